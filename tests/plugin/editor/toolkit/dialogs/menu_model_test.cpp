#include "plugin/editor/toolkit/MenuModel.h"

#include <gtest/gtest.h>

namespace rimba::toolkit {
namespace {

// Rows of 20 pixels, separators of 9, a border of 2: entry i of a menu without separators has its
// top at 2 + 20 i.
constexpr MenuMetrics kMetrics{};
constexpr CRect kScreen{0, 0, 1000, 800};

int fixedWidth(const MenuModel&) { return 100; }

// "Export" | separator | "Disabled" (disabled) | "Channel" > {"OFF", "Any", "1"} | "Last"
struct MainMenu {
    std::shared_ptr<MenuModel> channels = std::make_shared<MenuModel>();
    MenuModel top;
    MainMenu() {
        channels->addEntry("OFF");
        channels->addEntry("Any");
        channels->addEntry("1");
        top.addEntry("Export");
        top.addSeparator();
        top.addEntry("Disabled", true);
        top.addSubmenu("Channel", channels);
        top.addEntry("Last");
    }
};

// The centre of row `row` in a menu opened at (left, top).
CPoint rowCentre(const MenuModel& menu, CPoint origin, int row) {
    const CRect r = menuRowRect(menu, kMetrics, 100, row);
    return {origin.x + 50, origin.y + (r.top + r.bottom) / 2};
}

TEST(MenuModel, RowsStackEntriesAndSeparatorsBetweenTheBorders) {
    MainMenu m;
    EXPECT_EQ(menuContentHeight(m.top, kMetrics), 2 + 4 * 20 + 9 + 2);
    EXPECT_EQ(menuRowAt(m.top, kMetrics, 1), -1);
    EXPECT_EQ(menuRowAt(m.top, kMetrics, 21), 0);
    EXPECT_EQ(menuRowAt(m.top, kMetrics, 22), 1);
    EXPECT_EQ(menuRowAt(m.top, kMetrics, 31), 2);
    EXPECT_EQ(menuRowAt(m.top, kMetrics, 2 + 4 * 20 + 9), -1);
}

TEST(MenuModel, CheckOnlyEntriesNamedLeavesOneCheckAndIgnoresBadIndexes) {
    MainMenu m;
    m.channels->checkEntry(0, true);
    EXPECT_TRUE(m.channels->checkOnlyEntriesNamed("1"));
    EXPECT_FALSE(m.channels->isEntryChecked(0));
    EXPECT_TRUE(m.channels->isEntryChecked(2));
    EXPECT_FALSE(m.channels->checkOnlyEntriesNamed("16"));
    EXPECT_FALSE(m.channels->isEntryChecked(2));
    m.channels->checkEntry(7, true);  // out of range: nothing happens
    EXPECT_EQ(m.top.findEntry("Last"), 4);
    EXPECT_EQ(m.top.findEntry(""), -1);  // the separator's empty text is not an entry
}

TEST(MenuNavigator, SeparatorsAndDisabledEntriesAreNeitherHighlightedNorChosen) {
    MainMenu m;
    const CPoint origin{10, 10};
    MenuNavigator nav(m.top, origin, kScreen, kMetrics, fixedWidth);
    for (int row : {1, 2}) {
        SCOPED_TRACE(row);
        EXPECT_EQ(nav.pointerMoved(rowCentre(m.top, origin, row)), MenuNavigator::Outcome::stillOpen);
        EXPECT_EQ(nav.levels().back().highlighted, -1);
        EXPECT_EQ(nav.pointerPressed(rowCentre(m.top, origin, row)), MenuNavigator::Outcome::stillOpen);
    }
    EXPECT_EQ(nav.pointerPressed(rowCentre(m.top, origin, 4)), MenuNavigator::Outcome::chosen);
    EXPECT_EQ(nav.choice(), MenuChoice{4});
}

TEST(MenuNavigator, HoverOpensASubmenuBesideItsRowAndAClickThereGivesTheChain) {
    MainMenu m;
    const CPoint origin{10, 10};
    MenuNavigator nav(m.top, origin, kScreen, kMetrics, fixedWidth);
    nav.pointerMoved(rowCentre(m.top, origin, 3));
    ASSERT_EQ(nav.levels().size(), 2u);
    const CRect sub = nav.levels()[1].frame;
    EXPECT_EQ(sub.left, 110);
    EXPECT_EQ(sub.top, 10 + menuRowRect(m.top, kMetrics, 100, 3).top - kMetrics.border);
    // Moving onto another row of the top menu closes the submenu again.
    nav.pointerMoved(rowCentre(m.top, origin, 0));
    EXPECT_EQ(nav.levels().size(), 1u);
    nav.pointerMoved(rowCentre(m.top, origin, 3));
    EXPECT_EQ(nav.pointerPressed(rowCentre(*m.channels, {sub.left, sub.top}, 2)), MenuNavigator::Outcome::chosen);
    EXPECT_EQ(nav.choice(), (MenuChoice{3, 2}));
}

TEST(MenuNavigator, ClickOutsideOrEscapeCancelsAndAClickOnASubmenuRowKeepsItOpen) {
    MainMenu m;
    const CPoint origin{10, 10};
    MenuNavigator outside(m.top, origin, kScreen, kMetrics, fixedWidth);
    EXPECT_EQ(outside.pointerPressed({500, 500}), MenuNavigator::Outcome::cancelled);
    EXPECT_TRUE(outside.levels().empty());
    MenuNavigator escape(m.top, origin, kScreen, kMetrics, fixedWidth);
    EXPECT_EQ(escape.escapePressed(), MenuNavigator::Outcome::cancelled);
    MenuNavigator click(m.top, origin, kScreen, kMetrics, fixedWidth);
    EXPECT_EQ(click.pointerPressed(rowCentre(m.top, origin, 3)), MenuNavigator::Outcome::stillOpen);
    EXPECT_EQ(click.levels().size(), 2u);
}

TEST(MenuNavigator, MenusStayOnTheScreenOpeningLeftOfTheirParentAtTheRightEdge) {
    MainMenu m;
    MenuNavigator nav(m.top, {950, 790}, kScreen, kMetrics, fixedWidth);
    const CRect top = nav.levels()[0].frame;
    EXPECT_EQ(top.right, 950);  // no room on the right: the menu ends where it was asked to start
    EXPECT_EQ(top.bottom, 800);
    nav.pointerMoved({top.left + 50, top.top + menuRowRect(m.top, kMetrics, 100, 3).centre().y});
    ASSERT_EQ(nav.levels().size(), 2u);
    EXPECT_EQ(nav.levels()[1].frame.right, top.left);
    EXPECT_LE(nav.levels()[1].frame.bottom, 800);
}

}  // namespace
}  // namespace rimba::toolkit
