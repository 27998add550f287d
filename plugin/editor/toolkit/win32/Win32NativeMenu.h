#pragma once
// A MenuModel as a Windows pop-up menu (CreatePopupMenu and its submenus): the texts, the check
// marks, disabled entries, separators and submenus, each choosable entry with a command id of
// its own that maps back to the chain of indexes the toolkit's menus answer with. Destroying the
// object destroys the menu and its submenus. Editor thread only.

#include <optional>
#include <string>
#include <vector>

#include "plugin/editor/toolkit/MenuModel.h"

struct HMENU__;  // what HMENU points to, as <windows.h> declares it

namespace rimba::toolkit::win32 {

using MenuHandle = HMENU__*;

class NativeMenu {
public:
    explicit NativeMenu(const MenuModel& model);
    ~NativeMenu();
    NativeMenu(const NativeMenu&) = delete;
    NativeMenu& operator=(const NativeMenu&) = delete;

    MenuHandle handle() const { return menu; }
    // The entry of command id `id` (what TrackPopupMenu with TPM_RETURNCMD answers); nothing for
    // 0 (no choice) or an id that is not ours.
    std::optional<MenuChoice> choiceOf(unsigned id) const;

private:
    MenuHandle build(const MenuModel& model, MenuChoice& path);

    MenuHandle menu = nullptr;
    std::vector<MenuChoice> choices;  // command id n is choices[n - 1]
};

// An entry's text as a menu shows it: '&' would mark the next letter as the entry's mnemonic.
std::wstring menuItemText(const std::string& utf8);

}  // namespace rimba::toolkit::win32
