#pragma once
// The entries of an option menu and the navigation of its open pop-up, free of any window system
// so that hovering, submenus and the chosen entry are testable without a display. The pop-up
// window (PopupMenuWindow) only draws what a MenuNavigator holds and feeds it the pointer.
// Editor thread only.

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "plugin/editor/toolkit/Geometry.h"

namespace rimba::toolkit {

class MenuModel;

struct MenuEntry {
    std::string text;
    bool checked = false;
    bool disabled = false;
    bool separator = false;
    std::shared_ptr<MenuModel> submenu;

    // Separators and disabled entries are shown but never highlighted nor chosen.
    bool isSelectable() const { return !separator && !disabled; }
};

class MenuModel {
public:
    int addEntry(std::string text, bool disabled = false);
    int addSeparator();
    int addSubmenu(std::string text, std::shared_ptr<MenuModel> submenu);
    void removeAllEntries() { entries.clear(); }

    int getNbEntries() const { return static_cast<int>(entries.size()); }
    const MenuEntry& getEntry(int index) const { return entries.at(static_cast<std::size_t>(index)); }
    bool isValidIndex(int index) const { return index >= 0 && index < getNbEntries(); }

    // Out-of-range indexes change nothing: a menu rebuilt from a shorter folder listing must not
    // fault on an index that was valid before.
    void checkEntry(int index, bool checked);
    void setEntryDisabled(int index, bool disabled);
    void setEntryText(int index, std::string text);
    bool isEntryChecked(int index) const { return isValidIndex(index) && getEntry(index).checked; }

    // The first entry (not a separator) whose text is `text`, or -1.
    int findEntry(const std::string& text) const;
    // Checks the entries whose text is `text` and unchecks every other one; true when one matched.
    bool checkOnlyEntriesNamed(const std::string& text);

private:
    std::vector<MenuEntry> entries;
};

// Row sizes of a drawn menu, in pixels.
struct MenuMetrics {
    int entryHeight = 20;
    int separatorHeight = 9;
    int border = 2;
};

// The vertical extent of each row of `menu` inside its window, borders included.
int menuContentHeight(const MenuModel& menu, const MenuMetrics& metrics);
CRect menuRowRect(const MenuModel& menu, const MenuMetrics& metrics, int width, int index);
// The row at `y` (window coordinates) or -1 above, below or on a border.
int menuRowAt(const MenuModel& menu, const MenuMetrics& metrics, int y);

// The chain of indexes from the top menu to the chosen entry: {3} is entry 3 of the top menu,
// {10, 4} entry 4 of the submenu opened from entry 10.
using MenuChoice = std::vector<int>;

// The open pop-up: the stack of shown menus (the top menu and the submenus opened from it), each
// with its place on the screen and its highlighted row. Points are in screen coordinates.
class MenuNavigator {
public:
    enum class Outcome { stillOpen, chosen, cancelled };

    struct Level {
        const MenuModel* menu = nullptr;
        CRect frame;  // on the screen
        int highlighted = -1;  // a selectable row, or -1
        int openedFrom = -1;  // the row of the level below that opened this one; -1 for the top
    };

    // `widthOf` gives the width a menu needs (its longest text plus margins); `screen` bounds
    // where the menus may appear.
    MenuNavigator(const MenuModel& top, CPoint where, CRect screen, MenuMetrics metrics,
                  std::function<int(const MenuModel&)> widthOf);

    Outcome pointerMoved(CPoint where);
    Outcome pointerPressed(CPoint where);
    Outcome escapePressed();

    const std::vector<Level>& levels() const { return shown; }
    const MenuChoice& choice() const { return chosenChain; }
    const MenuMetrics& metrics() const { return rowSizes; }

private:
    // The deepest shown level whose frame holds `where`, or -1.
    int levelAt(CPoint where) const;
    void highlight(int level, int row);
    void openSubmenu(int level, int row);
    CRect placeMenu(const MenuModel& menu, CPoint wanted, int alternativeRight) const;

    std::vector<Level> shown;
    CRect screen;
    MenuMetrics rowSizes;
    std::function<int(const MenuModel&)> widthOf;
    MenuChoice chosenChain;
};

}  // namespace rimba::toolkit
