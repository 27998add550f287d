#include "plugin/editor/toolkit/win32/Win32NativeMenu.h"

#include "common/platform/win32/Windows.h"
#include "plugin/editor/toolkit/win32/Win32Text.h"

namespace rimba::toolkit::win32 {

std::wstring menuItemText(const std::string& utf8) {
    std::wstring text;
    for (wchar_t unit : wideOf(utf8)) {
        if (unit == L'&')
            text += L'&';
        text += unit;
    }
    return text;
}

NativeMenu::NativeMenu(const MenuModel& model) {
    MenuChoice path;
    menu = build(model, path);
}

NativeMenu::~NativeMenu() {
    if (menu)
        DestroyMenu(menu);  // and every submenu attached to it
}

MenuHandle NativeMenu::build(const MenuModel& model, MenuChoice& path) {
    HMENU built = CreatePopupMenu();
    if (!built)
        return nullptr;
    for (int index = 0; index < model.getNbEntries(); ++index) {
        const MenuEntry& entry = model.getEntry(index);
        if (entry.separator) {
            AppendMenuW(built, MF_SEPARATOR, 0, nullptr);
            continue;
        }
        UINT flags = MF_STRING;
        if (entry.checked)
            flags |= MF_CHECKED;
        if (entry.disabled)
            flags |= MF_GRAYED;
        const std::wstring text = menuItemText(entry.text);
        path.push_back(index);
        if (entry.submenu) {
            HMENU submenu = build(*entry.submenu, path);
            if (submenu)
                AppendMenuW(built, flags | MF_POPUP, reinterpret_cast<UINT_PTR>(submenu), text.c_str());
        } else {
            choices.push_back(path);
            AppendMenuW(built, flags, static_cast<UINT_PTR>(choices.size()), text.c_str());
        }
        path.pop_back();
    }
    return built;
}

std::optional<MenuChoice> NativeMenu::choiceOf(unsigned id) const {
    if (id == 0 || id > choices.size())
        return std::nullopt;
    return choices[id - 1];
}

}  // namespace rimba::toolkit::win32
