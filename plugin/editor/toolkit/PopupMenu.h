#pragma once
// The pop-up of an option menu: override-redirect windows (one per open submenu) drawn with
// cairo, run modally until an entry is chosen, a click lands outside every menu or Escape is
// pressed. The pointer and the keyboard are grabbed while it is open, so a click anywhere on the
// screen reaches it. Every window it made is gone when it returns. On Windows it is the system's
// pop-up menu built from the same model (win32/Win32Dialogs.cpp). Editor thread only.

#include <optional>

#include "plugin/editor/toolkit/DialogHost.h"
#include "plugin/editor/toolkit/MenuModel.h"

namespace rimba::toolkit {

// Opens `menu` with its top left at `where` (root-window coordinates). The chosen entry's chain
// of indexes, or nullopt when the menu was closed without a choice or cannot open.
std::optional<MenuChoice> runPopupMenu(const DialogHost& host, const MenuModel& menu, CPoint where);

// The width a drawn menu needs: its longest text with room for the check mark and the arrow.
int popupMenuWidth(const MenuModel& menu);

}  // namespace rimba::toolkit
