// The toolkit's pop-ups and dialogs on Windows are the system's own: a native pop-up menu built
// from the MenuModel, MessageBoxW, the common file dialogs and the folder browser, each owned by
// the editor's top-level window and run inside the host's runModal (the frame then knows that
// the press which opened one has lost its release to the system's loop).

#include "common/platform/win32/Windows.h"
// After the Windows API itself, which they build on.
#include <commdlg.h>
#include <shlobj.h>

#include <algorithm>
#include <vector>

#include "plugin/editor/toolkit/DialogHost.h"
#include "plugin/editor/toolkit/FileSelector.h"
#include "plugin/editor/toolkit/MessageBox.h"
#include "plugin/editor/toolkit/PopupMenu.h"
#include "plugin/editor/toolkit/win32/Win32FileDialogText.h"
#include "plugin/editor/toolkit/win32/Win32NativeMenu.h"
#include "plugin/editor/toolkit/win32/Win32Text.h"
#include "plugin/editor/toolkit/win32/Win32Window.h"

namespace rimba::toolkit {

namespace {

HWND ownerOf(const DialogHost& host) { return reinterpret_cast<HWND>(host.owner); }

bool isExistingFolder(const std::string& path) {
    const DWORD attributes = GetFileAttributesW(win32::wideOf(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

// The folder browser opens on its start folder once its window exists.
int CALLBACK selectStartFolder(HWND browser, UINT message, LPARAM, LPARAM start) {
    if (message == BFFM_INITIALIZED && start != 0)
        SendMessageW(browser, BFFM_SETSELECTIONW, TRUE, start);
    return 0;
}

// COM for the folder browser's new style on this thread while it is open, balanced after.
class ApartmentForDialog {
public:
    ApartmentForDialog() : initialised(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {}
    ~ApartmentForDialog() {
        if (initialised)
            CoUninitialize();
    }
    ApartmentForDialog(const ApartmentForDialog&) = delete;
    ApartmentForDialog& operator=(const ApartmentForDialog&) = delete;

private:
    bool initialised;
};

}  // namespace

DialogHost dialogHostOf(CFrame& frame) {
    DialogHost host;
    host.owner = frame.getWindow();
    if (host.owner != 0) {
        host.runModal = [&frame](const std::function<void()>& body) { frame.runNativeModal(body); };
    }
    return host;
}

DialogHost dialogHostOnWindow(WindowId owner) {
    DialogHost host;
    host.owner = owner;
    host.runModal = [](const std::function<void()>& body) { body(); };
    return host;
}

std::optional<MenuChoice> runPopupMenu(const DialogHost& host, const MenuModel& menu, CPoint where) {
    if (!host.isUsable() || menu.getNbEntries() == 0)
        return std::nullopt;
    win32::NativeMenu native(menu);
    if (!native.handle())
        return std::nullopt;
    UINT chosen = 0;
    host.runModal([&] {
        chosen = static_cast<UINT>(TrackPopupMenu(
            native.handle(), TPM_RETURNCMD | TPM_NONOTIFY | TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RIGHTBUTTON, where.x,
            where.y, 0, ownerOf(host), nullptr));
    });
    return native.choiceOf(chosen);
}

void runMessageBox(const DialogHost& host, const std::string& text, const std::string& caption) {
    if (!host.isUsable())
        return;
    const std::wstring wideText = win32::wideOf(text);
    const std::wstring wideCaption = win32::wideOf(caption);
    host.runModal([&] { MessageBoxW(win32::topLevelOf(ownerOf(host)), wideText.c_str(), wideCaption.c_str(), MB_OK); });
}

std::optional<std::string> selectFile(const DialogHost& host, FileSelectorMode mode, const std::string& title,
                                      const FileFilter& filter, const std::string& start) {
    if (!host.isUsable())
        return std::nullopt;
    if (mode == FileSelectorMode::folder)
        return selectFolder(host, title, start);
    const win32::DialogStart place = win32::dialogStartOf(start, isExistingFolder(start));
    const std::wstring filterList = win32::fileDialogFilter(filter);
    const std::wstring wideTitle = win32::wideOf(title);
    const std::wstring folder = win32::wideOf(place.folder);
    const std::wstring extension = win32::wideOf(filter.extension);
    std::vector<wchar_t> name(32768, L'\0');
    const std::wstring startName = win32::wideOf(place.name);
    startName.copy(name.data(), std::min(startName.size(), name.size() - 1));

    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = win32::topLevelOf(ownerOf(host));
    dialog.lpstrFilter = filterList.c_str();
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = name.data();
    dialog.nMaxFile = static_cast<DWORD>(name.size());
    dialog.lpstrInitialDir = folder.empty() ? nullptr : folder.c_str();
    dialog.lpstrTitle = wideTitle.empty() ? nullptr : wideTitle.c_str();
    dialog.lpstrDefExt = extension.empty() ? nullptr : extension.c_str();
    dialog.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_NOCHANGEDIR | OFN_PATHMUSTEXIST;
    if (mode == FileSelectorMode::open)
        dialog.Flags |= OFN_FILEMUSTEXIST;
    bool taken = false;
    host.runModal(
        [&] { taken = (mode == FileSelectorMode::open ? GetOpenFileNameW(&dialog) : GetSaveFileNameW(&dialog)) != 0; });
    if (!taken)
        return std::nullopt;
    const std::string path = win32::utf8Of(name.data());
    if (mode == FileSelectorMode::save)
        return win32::savedPathWithExtension(path, filter.extension);
    return path;
}

std::optional<std::string> selectFolder(const DialogHost& host, const std::string& title, const std::string& start) {
    if (!host.isUsable())
        return std::nullopt;
    ApartmentForDialog apartment;
    const std::wstring wideTitle = win32::wideOf(title);
    const std::wstring startFolder = win32::wideOf(start);
    BROWSEINFOW browse{};
    browse.hwndOwner = win32::topLevelOf(ownerOf(host));
    browse.lpszTitle = wideTitle.c_str();
    browse.ulFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE;
    browse.lpfn = selectStartFolder;
    browse.lParam = startFolder.empty() ? 0 : reinterpret_cast<LPARAM>(startFolder.c_str());
    PIDLIST_ABSOLUTE chosen = nullptr;
    host.runModal([&] { chosen = SHBrowseForFolderW(&browse); });
    if (!chosen)
        return std::nullopt;
    std::vector<wchar_t> path(MAX_PATH * 4, L'\0');
    const bool isPath =
        SHGetPathFromIDListEx(chosen, path.data(), static_cast<DWORD>(path.size()), GPFIDL_DEFAULT) != 0;
    CoTaskMemFree(chosen);
    if (!isPath)
        return std::nullopt;
    return win32::folderWithoutTrailingSeparator(win32::utf8Of(path.data()));
}

}  // namespace rimba::toolkit
