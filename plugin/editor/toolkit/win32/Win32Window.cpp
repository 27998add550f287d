#include "plugin/editor/toolkit/win32/Win32Window.h"

#include <cstdint>
#include <map>

namespace rimba::toolkit::win32 {

namespace {

struct ClassRecord {
    ATOM atom = 0;
    int users = 0;
};

// Editor thread only, as every window of the toolkit.
std::map<std::wstring, ClassRecord>& classRecords() {
    static std::map<std::wstring, ClassRecord> records;
    return records;
}

std::wstring uniqueClassName(const wchar_t* purpose, HINSTANCE module) {
    wchar_t suffix[32];
    wsprintfW(suffix, L".%p", static_cast<void*>(module));
    return std::wstring(L"RimbaDrums.") + purpose + suffix;
}

}  // namespace

HINSTANCE thisModule() {
    HMODULE module = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCWSTR>(&thisModule), &module);
    return module;
}

WindowClassUse::WindowClassUse(const wchar_t* purpose, WNDPROC procedure)
    : className(uniqueClassName(purpose, thisModule())), instance(thisModule()) {
    ClassRecord& record = classRecords()[className];
    if (record.users == 0) {
        WNDCLASSEXW description{};
        description.cbSize = sizeof description;
        description.lpfnWndProc = procedure;
        description.hInstance = instance;
        description.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
        description.lpszClassName = className.c_str();
        record.atom = RegisterClassExW(&description);
        if (record.atom == 0) {
            classRecords().erase(className);
            return;
        }
    }
    ++record.users;
    atom = record.atom;
}

WindowClassUse::~WindowClassUse() {
    if (atom == 0)
        return;
    auto found = classRecords().find(className);
    if (found == classRecords().end() || --found->second.users > 0)
        return;
    UnregisterClassW(className.c_str(), instance);
    classRecords().erase(found);
}

void copyPicture(HDC device, const COffscreen& picture, const CRect& rect) {
    const CRect area = rect.intersection(rectOfSize(0, 0, picture.width(), picture.height()));
    if (area.isEmpty())
        return;
    // The rows of the rectangle alone, as a top-down DIB of the picture's width whose first row is
    // the rectangle's top: the source's y is then 0 whichever end SetDIBitsToDevice counts from
    // (Windows and Wine read a top-down DIB's ySrc differently).
    BITMAPINFO format{};
    format.bmiHeader.biSize = sizeof format.bmiHeader;
    format.bmiHeader.biWidth = picture.width();
    format.bmiHeader.biHeight = -area.height();
    format.bmiHeader.biPlanes = 1;
    format.bmiHeader.biBitCount = 32;
    format.bmiHeader.biCompression = BI_RGB;
    const std::uint32_t* firstRow = picture.pixels() + static_cast<std::size_t>(area.top) * picture.width();
    SetDIBitsToDevice(device, area.left, area.top, static_cast<DWORD>(area.width()), static_cast<DWORD>(area.height()),
                      area.left, 0, 0, static_cast<UINT>(area.height()), firstRow, &format, DIB_RGB_COLORS);
}

HWND topLevelOf(HWND window) {
    HWND root = window ? GetAncestor(window, GA_ROOT) : nullptr;
    return root ? root : window;
}

}  // namespace rimba::toolkit::win32
