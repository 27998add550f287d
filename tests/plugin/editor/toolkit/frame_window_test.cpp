// The frame in a real X server (Xvfb): its child window, what reaches the screen, events from
// the server to the views, the accessors pop-ups use, and what close leaves behind.

#include <gtest/gtest.h>

// Xlib after GoogleTest (its macros clash with names there) and before the toolkit (View.h).
#include "tests/plugin/editor/toolkit/XTestHost.h"

#include <X11/keysym.h>

#include <algorithm>
#include <atomic>
#include <memory>
#include <thread>

#include "common/platform/MessageBox.h"
#include "plugin/editor/toolkit/AEffGUIEditor.h"
#include "plugin/editor/toolkit/Bitmap.h"
#include "plugin/editor/toolkit/Frame.h"
#include "plugin/editor/toolkit/Tooltip.h"
#include "tests/plugin/editor/toolkit/StandinArtwork.h"
#include "tests/plugin/editor/toolkit/ToolkitFixtures.h"

namespace rimba::test {
namespace {

using toolkit::CFrame;
using toolkit::CRect;

void* asParent(Window window) { return reinterpret_cast<void*>(static_cast<std::uintptr_t>(window)); }

class FrameInXServer : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(x.connected()) << "no X server: run under tests/support/with-xvfb.sh";
        host = x.makeWindow(50, 60, 320, 240);
        frame = std::make_unique<CFrame>(CRect{0, 0, 300, 200}, toolkit::CBitmap::load("Background.png"));
        view = frame->add(std::make_unique<RecordingView>(CRect{100, 100, 150, 150}, 0x00ff00));
        ASSERT_TRUE(frame->open(asParent(host)));
        child = frame->getWindow();
    }
    void TearDown() override {
        frame.reset();
        if (x.connected())
            XDestroyWindow(x.display, host);
    }
    bool shows(int px, int py, std::uint32_t colour) {
        return XTestHost::idleUntil([this] { frame->idle(); }, [&] { return x.pixel(child, px, py) == colour; });
    }

    XTestHost x;
    Window host = 0;
    std::unique_ptr<CFrame> frame;
    RecordingView* view = nullptr;
    Window child = 0;
};

TEST_F(FrameInXServer, OpensOneChildWindowOfItsSizeAndShowsTheBackgroundAndTheViews) {
    EXPECT_EQ(x.children(host), std::vector<Window>{child});
    EXPECT_EQ(x.sizeOf(child), (std::pair<int, int>{300, 200}));
    EXPECT_EQ(frame->getParentWindow(), host);
    ASSERT_TRUE(shows(standin::kMarkerLeft + 1, standin::kMarkerTop + 1, standin::kMarker));
    EXPECT_EQ(x.pixel(child, 5, 5), standin::kSmallBackground);
    EXPECT_EQ(x.pixel(child, 120, 120), 0x00ff00u);
    // A changed view reaches the screen at the next idle.
    view->colour = 0x0000ff;
    view->invalid();
    EXPECT_TRUE(shows(120, 120, 0x0000ffu));
}

TEST_F(FrameInXServer, ServerEventsReachTheViewsWithCaptureDoubleClickAndModifiers) {
    x.sendButton(child, ButtonPress, Button1, 110, 110, ShiftMask, 1000);
    x.sendMotion(child, 10, 10, Button1Mask);  // outside the view: still captured
    x.sendButton(child, ButtonRelease, Button1, 10, 10, Button1Mask, 1050);
    x.sendButton(child, ButtonPress, Button1, 111, 110, 0, 1200);
    x.sendButton(child, ButtonRelease, Button1, 111, 110, Button1Mask, 1250);
    x.sendButton(child, ButtonPress, Button3, 112, 112, ControlMask | Mod1Mask, 5000);
    x.sendButton(child, ButtonRelease, Button3, 112, 112, Button3Mask, 5010);
    const std::vector<std::string> expected{"down 110,110 9", "move 10,10 1",    "up 10,10 1",  "down 111,110 65",
                                            "up 111,110 1",   "down 112,112 50", "up 112,112 2"};
    EXPECT_TRUE(XTestHost::idleUntil([this] { frame->idle(); }, [&] { return view->log.size() >= expected.size(); }));
    EXPECT_EQ(view->log, expected);
}

// All queued before one idle, as xdotool sends "mousemove mousedown mousemove mouseup" in one go.
TEST_F(FrameInXServer, MovesQueuedBehindAPressStayAfterItAndOnlyAdjacentMovesMerge) {
    x.sendMotion(child, 115, 115, 0);
    x.sendMotion(child, 120, 120, 0);
    x.sendButton(child, ButtonPress, Button1, 120, 120, 0, 1000);
    x.sendMotion(child, 130, 130, Button1Mask);
    x.sendMotion(child, 140, 140, Button1Mask);
    x.sendButton(child, ButtonRelease, Button1, 140, 140, Button1Mask, 1050);
    const std::vector<std::string> expected{"move 120,120 0", "down 120,120 1", "move 140,140 1", "up 140,140 1"};
    EXPECT_TRUE(XTestHost::idleUntil([this] { frame->idle(); }, [&] { return view->log.size() >= expected.size(); }));
    EXPECT_EQ(view->log, expected);
}

TEST_F(FrameInXServer, TheOpenFramesTooltipShowsOverAViewAndAPressOrTheViewsRemovalHidesIt) {
    view->setTooltipText("Level");
    toolkit::TooltipPresenter* tooltips = frame->getTooltips();
    ASSERT_NE(tooltips, nullptr);
    auto idleUntilShown = [&](bool shown) {
        return XTestHost::idleUntil([this] { frame->idle(); }, [&] { return tooltips->isShown() == shown; });
    };
    x.sendMotion(child, 120, 120, 0);
    EXPECT_TRUE(idleUntilShown(true));
    x.sendButton(child, ButtonPress, Button1, 120, 120, 0, 1000);
    x.sendButton(child, ButtonRelease, Button1, 120, 120, Button1Mask, 1010);
    EXPECT_TRUE(idleUntilShown(false));
    // After a click it shows again only once the pointer has left the view and come back.
    // (Idled in between: moves queued back to back merge into the last.)
    x.sendMotion(child, 20, 20, 0);
    XTestHost::idleUntil([this] { frame->idle(); }, [] { return false; }, 5);
    x.sendMotion(child, 125, 125, 0);
    EXPECT_TRUE(idleUntilShown(true));
    EXPECT_TRUE(frame->removeView(view));
    view = nullptr;
    EXPECT_FALSE(tooltips->isShown());
    frame->close();
    EXPECT_EQ(frame->getTooltips(), nullptr);
}

TEST_F(FrameInXServer, KeysReachTheFocusedView) {
    view->focusOnClick = true;
    x.sendButton(child, ButtonPress, Button1, 110, 110, 0, 1000);
    x.sendButton(child, ButtonRelease, Button1, 110, 110, Button1Mask, 1010);
    x.sendKey(child, XK_a);
    EXPECT_TRUE(XTestHost::idleUntil([this] { frame->idle(); }, [&] { return view->log.size() >= 4; }));
    ASSERT_EQ(view->log.size(), 4u);
    EXPECT_EQ(view->log[3], "key " + std::to_string(XK_a) + " 'a'");
}

TEST_F(FrameInXServer, GivesPopUpsTheDisplayScreenPlacesAndANestedEventLoop) {
    ASSERT_NE(frame->getDisplay(), nullptr);
    EXPECT_NE(frame->getDisplay(), x.display);  // a connection of its own
    // No window manager: the host window stands where it was made.
    EXPECT_EQ(frame->getScreenRect(*view), (CRect{150, 160, 200, 210}));
    // A pop-up's own window on the frame's display, fed by the test's connection; the loop ends
    // when the pop-up has seen its click, while the frame goes on drawing.
    Display* display = frame->getDisplay();
    Window popUp = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 40, 40, 0, 0, 0);
    XSelectInput(display, popUp, ButtonPressMask);
    XSync(display, False);
    x.sendButton(popUp, ButtonPress, Button1, 3, 4, 0, 10);
    view->colour = 0xff00ff;
    view->invalid();
    bool clicked = false;
    frame->runModal(
        [&](XEvent& event) {
            if (event.xany.window != popUp)
                return false;
            clicked = event.type == ButtonPress && event.xbutton.x == 3;
            return true;
        },
        [&] { return clicked; });
    EXPECT_TRUE(clicked);
    EXPECT_EQ(x.pixel(child, 120, 120), 0xff00ffu);
    XDestroyWindow(display, popUp);
}

TEST_F(FrameInXServer, CloseLeavesNoWindowAndTheFrameCanOpenAgain) {
    frame->setCursor(toolkit::CursorShape::hand);
    frame->close();
    EXPECT_TRUE(x.children(host).empty());
    EXPECT_EQ(frame->getDisplay(), nullptr);
    EXPECT_EQ(frame->getCursor(), toolkit::CursorShape::hand);
    ASSERT_TRUE(frame->open(asParent(host)));
    EXPECT_EQ(x.children(host).size(), 1u);
    EXPECT_TRUE(shows(120, 120, 0x00ff00u));
}

TEST(FrameParent, AWindowIdThatIsNoWindowFailsTheOpenWithoutHarm) {
    XTestHost x;
    ASSERT_TRUE(x.connected());
    CFrame frame({0, 0, 100, 100}, nullptr);
    EXPECT_FALSE(frame.open(nullptr));
    EXPECT_FALSE(frame.open(reinterpret_cast<void*>(std::uintptr_t{0x3fffff0})));
    EXPECT_FALSE(frame.isOpen());
}

TEST(GuiEditor, OpensAgainWithoutACloseInOneWindowAndFailsWithoutAParent) {
    XTestHost x;
    ASSERT_TRUE(x.connected());
    Window host = x.makeWindow(0, 0, 400, 300);
    toolkit::AEffGUIEditor editor({0, 0, 400, 300});
    ASSERT_TRUE(editor.open(asParent(host)));
    ASSERT_TRUE(editor.open(asParent(host)));
    EXPECT_EQ(x.children(host).size(), 1u);
    editor.close();
    EXPECT_TRUE(x.children(host).empty());
    EXPECT_FALSE(editor.open(nullptr));
    EXPECT_FALSE(editor.isOpen());
    XDestroyWindow(x.display, host);
}

TEST(GuiEditor, ShowsTheSystemsMessagesOverItsFrameWhileOpenAndOnStandardErrorOnceClosed) {
    XTestHost x;
    ASSERT_TRUE(x.connected());
    Window host = x.makeWindow(0, 0, 400, 300);
    const Window root = DefaultRootWindow(x.display);
    toolkit::AEffGUIEditor editor({0, 0, 400, 300});
    ASSERT_TRUE(editor.open(asParent(host)));
    const std::vector<Window> before = x.children(root);

    // Another client answers the message box with Return, as a user would.
    std::atomic<bool> answered{false};
    std::thread user([&] {
        XTestHost other;
        for (int round = 0; round < 200 && !answered.load(); ++round) {
            for (Window window : other.children(root))
                if (std::find(before.begin(), before.end(), window) == before.end()) {
                    other.sendKey(window, XK_Return);
                    answered.store(true);
                }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
    });
    testing::internal::CaptureStderr();
    platform::showMessage("The sound file could not be read.", "RimbaDrums");
    const std::string whileOpen = testing::internal::GetCapturedStderr();
    user.join();
    EXPECT_TRUE(answered.load());
    EXPECT_EQ(whileOpen.find("could not be read"), std::string::npos);

    editor.close();
    testing::internal::CaptureStderr();
    platform::showMessage("The kit could not be read.", "RimbaDrums");
    EXPECT_NE(testing::internal::GetCapturedStderr().find("The kit could not be read."), std::string::npos);
    XDestroyWindow(x.display, host);
}

}  // namespace
}  // namespace rimba::test
