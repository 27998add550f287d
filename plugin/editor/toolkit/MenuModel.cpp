#include "plugin/editor/toolkit/MenuModel.h"

#include <algorithm>
#include <utility>

namespace rimba::toolkit {

int MenuModel::addEntry(std::string text, bool disabled) {
    MenuEntry entry;
    entry.text = std::move(text);
    entry.disabled = disabled;
    entries.push_back(std::move(entry));
    return getNbEntries() - 1;
}

int MenuModel::addSeparator() {
    MenuEntry entry;
    entry.separator = true;
    entries.push_back(std::move(entry));
    return getNbEntries() - 1;
}

int MenuModel::addSubmenu(std::string text, std::shared_ptr<MenuModel> submenu) {
    const int index = addEntry(std::move(text));
    entries.back().submenu = std::move(submenu);
    return index;
}

void MenuModel::checkEntry(int index, bool checked) {
    if (isValidIndex(index)) {
        entries[static_cast<std::size_t>(index)].checked = checked;
    }
}

void MenuModel::setEntryDisabled(int index, bool disabled) {
    if (isValidIndex(index)) {
        entries[static_cast<std::size_t>(index)].disabled = disabled;
    }
}

void MenuModel::setEntryText(int index, std::string text) {
    if (isValidIndex(index)) {
        entries[static_cast<std::size_t>(index)].text = std::move(text);
    }
}

int MenuModel::findEntry(const std::string& text) const {
    for (int i = 0; i < getNbEntries(); ++i) {
        if (!getEntry(i).separator && getEntry(i).text == text) {
            return i;
        }
    }
    return -1;
}

bool MenuModel::checkOnlyEntriesNamed(const std::string& text) {
    bool matched = false;
    for (MenuEntry& entry : entries) {
        entry.checked = !entry.separator && entry.text == text;
        matched = matched || entry.checked;
    }
    return matched;
}

namespace {

int rowHeight(const MenuEntry& entry, const MenuMetrics& metrics) {
    return entry.separator ? metrics.separatorHeight : metrics.entryHeight;
}

}  // namespace

int menuContentHeight(const MenuModel& menu, const MenuMetrics& metrics) {
    int height = 2 * metrics.border;
    for (int i = 0; i < menu.getNbEntries(); ++i) {
        height += rowHeight(menu.getEntry(i), metrics);
    }
    return height;
}

CRect menuRowRect(const MenuModel& menu, const MenuMetrics& metrics, int width, int index) {
    int top = metrics.border;
    for (int i = 0; i < index && i < menu.getNbEntries(); ++i) {
        top += rowHeight(menu.getEntry(i), metrics);
    }
    const int height = menu.isValidIndex(index) ? rowHeight(menu.getEntry(index), metrics) : 0;
    return {metrics.border, top, width - metrics.border, top + height};
}

int menuRowAt(const MenuModel& menu, const MenuMetrics& metrics, int y) {
    int top = metrics.border;
    for (int i = 0; i < menu.getNbEntries(); ++i) {
        const int bottom = top + rowHeight(menu.getEntry(i), metrics);
        if (y >= top && y < bottom) {
            return i;
        }
        top = bottom;
    }
    return -1;
}

MenuNavigator::MenuNavigator(const MenuModel& top, CPoint where, CRect screenArea, MenuMetrics metrics,
                             std::function<int(const MenuModel&)> measure)
    : screen(screenArea), rowSizes(metrics), widthOf(std::move(measure)) {
    Level level;
    level.menu = &top;
    level.frame = placeMenu(top, where, where.x);
    shown.push_back(level);
}

CRect MenuNavigator::placeMenu(const MenuModel& menu, CPoint wanted, int alternativeRight) const {
    const int width = std::max(widthOf(menu), 2 * rowSizes.border + 1);
    const int height = menuContentHeight(menu, rowSizes);
    int left = wanted.x;
    // A menu that would run off the right edge opens to the left of its parent instead.
    if (left + width > screen.right) {
        left = std::max(screen.left, alternativeRight - width);
    }
    int top = std::min(wanted.y, screen.bottom - height);
    top = std::max(top, screen.top);
    return rectOfSize(left, top, width, height);
}

int MenuNavigator::levelAt(CPoint where) const {
    for (int i = static_cast<int>(shown.size()) - 1; i >= 0; --i) {
        if (shown[static_cast<std::size_t>(i)].frame.contains(where)) {
            return i;
        }
    }
    return -1;
}

void MenuNavigator::highlight(int level, int row) {
    Level& shownLevel = shown[static_cast<std::size_t>(level)];
    const bool selectable = shownLevel.menu->isValidIndex(row) && shownLevel.menu->getEntry(row).isSelectable();
    shownLevel.highlighted = selectable ? row : -1;
}

void MenuNavigator::openSubmenu(int level, int row) {
    const Level& parent = shown[static_cast<std::size_t>(level)];
    const MenuModel& submenu = *parent.menu->getEntry(row).submenu;
    const CRect rowRect = menuRowRect(*parent.menu, rowSizes, parent.frame.width(), row);
    Level opened;
    opened.menu = &submenu;
    opened.openedFrom = row;
    opened.frame =
        placeMenu(submenu, {parent.frame.right, parent.frame.top + rowRect.top - rowSizes.border}, parent.frame.left);
    shown.push_back(opened);
}

MenuNavigator::Outcome MenuNavigator::pointerMoved(CPoint where) {
    const int level = levelAt(where);
    if (level < 0) {
        // Leaving the menus keeps the submenus open (the pointer may be on its way to one) but
        // takes the highlight off the deepest menu.
        shown.back().highlighted = -1;
        return Outcome::stillOpen;
    }
    const Level& current = shown[static_cast<std::size_t>(level)];
    const int row = menuRowAt(*current.menu, rowSizes, where.y - current.frame.top);
    const bool onOpenedRow =
        level + 1 < static_cast<int>(shown.size()) && shown[static_cast<std::size_t>(level) + 1].openedFrom == row;
    if (!onOpenedRow) {
        shown.resize(static_cast<std::size_t>(level) + 1);
    }
    highlight(level, row);
    const int highlighted = shown[static_cast<std::size_t>(level)].highlighted;
    if (!onOpenedRow && highlighted >= 0 && current.menu->getEntry(highlighted).submenu) {
        openSubmenu(level, highlighted);
    }
    return Outcome::stillOpen;
}

MenuNavigator::Outcome MenuNavigator::pointerPressed(CPoint where) {
    const int level = levelAt(where);
    if (level < 0) {
        shown.clear();
        return Outcome::cancelled;
    }
    pointerMoved(where);
    const Level& current = shown[static_cast<std::size_t>(level)];
    const int row = current.highlighted;
    if (row < 0 || current.menu->getEntry(row).submenu) {
        // A separator, a disabled entry or a submenu's own entry: the menu stays as it is.
        return Outcome::stillOpen;
    }
    chosenChain.clear();
    for (int i = 1; i <= level; ++i) {
        chosenChain.push_back(shown[static_cast<std::size_t>(i)].openedFrom);
    }
    chosenChain.push_back(row);
    shown.clear();
    return Outcome::chosen;
}

MenuNavigator::Outcome MenuNavigator::escapePressed() {
    shown.clear();
    return Outcome::cancelled;
}

}  // namespace rimba::toolkit
