// The toolkit without a window: dirty rectangles, double clicks, mouse capture and focus, the
// type test, and what the frame paints into its surface.

#include <gtest/gtest.h>

#include <memory>

#include "plugin/editor/toolkit/DirtyRegion.h"
#include "plugin/editor/toolkit/Frame.h"
#include "tests/plugin/editor/toolkit/ToolkitFixtures.h"

namespace rimba::test {
namespace {

using toolkit::CFrame;
using toolkit::CPoint;
using toolkit::CRect;
using toolkit::DirtyRegion;

TEST(DirtyRegion, MergesWhatOverlapsAndKeepsApartWhatDoesNot) {
    struct Case {
        const char* name;
        std::vector<CRect> added;
        std::vector<CRect> expected;
    };
    const Case cases[] = {
        {"apart", {{0, 0, 10, 10}, {20, 20, 30, 30}}, {{0, 0, 10, 10}, {20, 20, 30, 30}}},
        {"overlapping", {{0, 0, 10, 10}, {5, 5, 15, 15}}, {{0, 0, 15, 15}}},
        {"touching edges stay apart", {{0, 0, 10, 10}, {10, 0, 20, 10}}, {{0, 0, 10, 10}, {10, 0, 20, 10}}},
        {"inside", {{0, 0, 100, 100}, {10, 10, 20, 20}}, {{0, 0, 100, 100}}},
        {"empty ignored", {{5, 5, 5, 9}, {1, 1, 2, 2}}, {{1, 1, 2, 2}}},
        // The third bridges the first two, whose union then swallows nothing else.
        {"bridge", {{0, 0, 10, 10}, {30, 0, 40, 10}, {8, 0, 32, 5}}, {{0, 0, 40, 10}}},
    };
    for (const Case& c : cases) {
        DirtyRegion region;
        for (const CRect& r : c.added)
            region.add(r);
        EXPECT_EQ(region.getRects(), c.expected) << c.name;
    }
}

TEST(DirtyRegion, CollapsesIntoItsBoundsPastTheLimit) {
    DirtyRegion region;
    for (int i = 0; i <= static_cast<int>(DirtyRegion::kMostRects); ++i)
        region.add(toolkit::rectOfSize(i * 10, 0, 5, 5));
    ASSERT_EQ(region.getRects().size(), 1u);
    EXPECT_EQ(region.getRects()[0], (CRect{0, 0, static_cast<int>(DirtyRegion::kMostRects) * 10 + 5, 5}));
}

TEST(DoubleClick, NeedsTheSameButtonSoonAndNear) {
    struct Case {
        const char* name;
        CPoint second;
        unsigned button;
        unsigned long delay;
        bool isDouble;
    };
    const Case cases[] = {
        {"quick and still", {100, 100}, toolkit::kLButton, 200, true},
        {"at the interval", {100, 100}, toolkit::kLButton, 400, true},
        {"too slow", {100, 100}, toolkit::kLButton, 401, false},
        {"moved away", {110, 100}, toolkit::kLButton, 100, false},
        {"other button", {100, 100}, toolkit::kRButton, 100, false},
    };
    for (const Case& c : cases) {
        toolkit::DoubleClickDetector clicks;
        EXPECT_FALSE(clicks.press({100, 100}, toolkit::kLButton, 5000)) << c.name;
        EXPECT_EQ(clicks.press(c.second, c.button, 5000 + c.delay), c.isDouble) << c.name;
    }
    // A third quick press starts over rather than making a second double click.
    toolkit::DoubleClickDetector clicks;
    clicks.press({1, 1}, toolkit::kLButton, 0);
    EXPECT_TRUE(clicks.press({1, 1}, toolkit::kLButton, 100));
    EXPECT_FALSE(clicks.press({1, 1}, toolkit::kLButton, 200));
    // The server's time is a 32-bit tick that wraps.
    EXPECT_FALSE(clicks.press({1, 1}, toolkit::kLButton, 0xffffff00ul));
    EXPECT_TRUE(clicks.press({1, 1}, toolkit::kLButton, 0x40ul));
}

class FrameWithoutWindow : public ::testing::Test {
protected:
    CFrame frame{{0, 0, 200, 100}, nullptr};
    RecordingView* left = frame.add(std::make_unique<RecordingView>(CRect{10, 10, 60, 60}, 0xff0000));
    RecordingView* right = frame.add(std::make_unique<RecordingView>(CRect{100, 10, 150, 60}, 0x00ff00));
};

TEST_F(FrameWithoutWindow, TheViewThatTookTheDownGetsTheMovesAndTheUpWhereverThePointerGoes) {
    frame.mouseDown({20, 20}, toolkit::kLButton | toolkit::kShift);
    frame.mouseMoved({120, 20}, toolkit::kLButton);  // over the other view
    frame.mouseMoved({500, -40}, toolkit::kLButton);  // outside the frame
    frame.mouseUp({120, 20}, toolkit::kLButton);
    EXPECT_EQ(left->log, (std::vector<std::string>{"down 20,20 9", "move 120,20 1", "move 500,-40 1", "up 120,20 1"}));
    EXPECT_TRUE(right->log.empty());
    EXPECT_EQ(frame.getMouseCapture(), nullptr);
    // Free again: a move reaches the view under the pointer.
    frame.mouseMoved({120, 20}, 0);
    EXPECT_EQ(right->log, (std::vector<std::string>{"move 120,20 0"}));
}

TEST_F(FrameWithoutWindow, TheCaptureLastsUntilTheLastButtonIsUp) {
    frame.mouseDown({20, 20}, toolkit::kLButton);
    frame.mouseDown({20, 20}, toolkit::kRButton);
    frame.mouseUp({120, 20}, toolkit::kLButton);
    EXPECT_EQ(frame.getMouseCapture(), left);
    frame.mouseUp({120, 20}, toolkit::kRButton);
    EXPECT_EQ(frame.getMouseCapture(), nullptr);
    EXPECT_TRUE(right->log.empty());
}

TEST_F(FrameWithoutWindow, AViewThatDeclinesTheDownTakesNoCaptureAndHiddenViewsTakeNoMouse) {
    left->takesMouse = false;
    frame.mouseDown({20, 20}, toolkit::kLButton);
    EXPECT_EQ(frame.getMouseCapture(), nullptr);
    right->setVisible(false);
    EXPECT_EQ(frame.getViewAt({120, 20}), nullptr);
    right->setVisible(true);
    right->setMouseEnabled(false);
    EXPECT_EQ(frame.getViewAt({120, 20}), nullptr);
    // Where views overlap, the one added last is on top.
    auto* top = frame.add(std::make_unique<RecordingView>(CRect{0, 0, 30, 30}, 0x0000ff));
    EXPECT_EQ(frame.getViewAt({15, 15}), top);
}

TEST_F(FrameWithoutWindow, AViewRemovedDuringItsCaptureLeavesNoPointerBehind) {
    left->focusOnClick = true;
    frame.mouseDown({20, 20}, toolkit::kLButton);
    ASSERT_EQ(frame.getMouseCapture(), left);
    ASSERT_EQ(frame.getFocusView(), left);
    EXPECT_TRUE(frame.removeView(left));
    EXPECT_EQ(frame.getMouseCapture(), nullptr);
    EXPECT_EQ(frame.getFocusView(), nullptr);
    frame.mouseMoved({30, 30}, toolkit::kLButton);  // would reach a destroyed view
    frame.mouseUp({30, 30}, toolkit::kLButton);
    EXPECT_FALSE(frame.removeView(left));
}

TEST_F(FrameWithoutWindow, APointerMovingAcrossViewsEntersAndLeavesEachOnce) {
    using Crossings = std::vector<std::string>;
    frame.mouseMoved({20, 20}, 0);
    frame.mouseMoved({30, 30}, 0);  // still over the same view: nothing new
    EXPECT_EQ(frame.getHoverView(), left);
    frame.mouseMoved({120, 20}, 0);
    frame.mouseMoved({80, 80}, 0);  // over no view
    EXPECT_EQ(frame.getHoverView(), nullptr);
    EXPECT_EQ(left->crossings, (Crossings{"entered", "exited"}));
    EXPECT_EQ(right->crossings, (Crossings{"entered", "exited"}));
    // Leaving the window leaves the view too.
    frame.mouseMoved({120, 20}, 0);
    frame.mouseExitedWindow();
    EXPECT_EQ(right->crossings, (Crossings{"entered", "exited", "entered", "exited"}));
    // A view that takes no mouse is never entered, the one under it is.
    right->setMouseEnabled(false);
    frame.mouseMoved({120, 20}, 0);
    EXPECT_EQ(right->crossings.size(), 4u);
}

TEST_F(FrameWithoutWindow, ADragKeepsThePointerOnItsViewUntilTheRelease) {
    using Crossings = std::vector<std::string>;
    frame.mouseDown({20, 20}, toolkit::kLButton);  // no move before: the press enters it
    frame.mouseMoved({120, 20}, toolkit::kLButton);
    frame.mouseExitedWindow();
    EXPECT_EQ(frame.getHoverView(), left);
    EXPECT_EQ(left->crossings, (Crossings{"entered"}));
    EXPECT_TRUE(right->crossings.empty());
    // Released over the other view: the dragged one is left and the other entered.
    frame.mouseUp({120, 20}, toolkit::kLButton);
    EXPECT_EQ(left->crossings, (Crossings{"entered", "exited"}));
    EXPECT_EQ(right->crossings, (Crossings{"entered"}));
    EXPECT_EQ(frame.getHoverView(), right);
}

TEST_F(FrameWithoutWindow, ARemovedHoverViewIsForgottenWithoutBeingTold) {
    frame.mouseMoved({20, 20}, 0);
    ASSERT_EQ(frame.getHoverView(), left);
    EXPECT_TRUE(frame.removeView(left));
    EXPECT_EQ(frame.getHoverView(), nullptr);
    frame.mouseMoved({120, 20}, 0);  // would tell a destroyed view it was left
    EXPECT_EQ(frame.getHoverView(), right);
}

TEST_F(FrameWithoutWindow, KeysGoToTheFocusedViewWhichLosesItOnAClickElsewhere) {
    EXPECT_FALSE(frame.keyDown('a', "a"));
    left->focusOnClick = true;
    frame.mouseDown({20, 20}, toolkit::kLButton);
    frame.mouseUp({20, 20}, toolkit::kLButton);
    EXPECT_TRUE(frame.keyDown('a', "a"));
    frame.mouseDown({120, 20}, toolkit::kLButton);
    EXPECT_FALSE(frame.keyDown('b', "b"));
    EXPECT_EQ(left->log,
              (std::vector<std::string>{"down 20,20 1", "takeFocus", "up 20,20 1", "key 97 'a'", "looseFocus"}));
}

TEST_F(FrameWithoutWindow, TypeTestKnowsEveryBaseAndNothingElse) {
    for (const char* name : {"RecordingView", "CControl", "CView"})
        EXPECT_TRUE(left->isTypeOf(name)) << name;
    for (const char* name : {"CFrame", "CVornKnob", ""})
        EXPECT_FALSE(left->isTypeOf(name)) << name;
    EXPECT_STREQ(left->getClassName(), "RecordingView");
}

TEST_F(FrameWithoutWindow, RedrawPaintsOnlyDirtyViewsAndHoldsEachToItsRectangle) {
    frame.idle();  // without a window: the first paints everything, then the views idle
    EXPECT_EQ(left->idles, 1);
    EXPECT_EQ(frame.getPicture().pixelAt(30, 30), 0xff0000u);
    EXPECT_EQ(frame.getPicture().pixelAt(80, 30), 0x000000u);  // between the views
    EXPECT_EQ(frame.getPicture().pixelAt(9, 30), 0x000000u);  // just outside the left one
    const int rightDraws = right->draws;

    left->invalid();
    std::vector<CRect> painted = frame.redraw();
    EXPECT_EQ(painted, (std::vector<CRect>{{10, 10, 60, 60}}));
    EXPECT_EQ(right->draws, rightDraws);
    EXPECT_TRUE(frame.redraw().empty());

    // Moving a view shows again what lay under its old place.
    left->setViewSize({10, 70, 60, 95});
    painted = frame.redraw();
    EXPECT_EQ(frame.getPicture().pixelAt(30, 30), 0x000000u);
    EXPECT_EQ(frame.getPicture().pixelAt(30, 80), 0xff0000u);
    // Hiding a view too.
    right->setVisible(false);
    frame.redraw();
    EXPECT_EQ(frame.getPicture().pixelAt(120, 30), 0x000000u);
}

}  // namespace
}  // namespace rimba::test
