// The hosted plug-ins' editor windows on a real X server, with a plug-in of our own whose editor
// is an X11 window (fixture-editor) loaded through CPlugin: size and place of the window, the
// plug-in's editor at the bar's foot, its idle and close calls (read back from its log), the close
// box, the place kept for the next opening, and the bar's arrows clicked as a user would.

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <sstream>
#include <string>

#include "plugin/editor/PluginEditorWindows.h"
#include "plugin/editor/PluginProgramBar.h"
#include "tests/plugins/FixturePlugins.h"
#include "tests/support/Environment.h"
#include "tests/support/TempFolder.h"
// Xlib last: its macros clash with names in the headers above.
#include <X11/Xatom.h>

#include "tests/plugin/editor/toolkit/XTestHost.h"

namespace rimba::test {
namespace {

TEST(PluginEditorPlace, CentredAboveTheOwnerKeptOnScreenOrWhereItWasLeft) {
    struct Case {
        toolkit::CRect owner;
        EditorWindowPlace remembered;
        toolkit::CRect expected;
    };
    const Case cases[] = {
        {{100, 400, 700, 700}, {}, {240, 250, 560, 400}},  // centred, just above
        {{0, 50, 200, 250}, {}, {0, 0, 320, 150}},  // wider than the owner, at the top
        {{100, 400, 700, 700}, {-20, 5, 300, 155}, {-20, 5, 300, 155}},  // left where the user put it
    };
    for (const Case& c : cases)
        EXPECT_EQ(pluginEditorPlace(c.owner, 320, 150, c.remembered), c.expected) << c.owner.left << "," << c.owner.top;
}

class PluginEditorWindowsTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(x.connected()) << "no X server: run under tests/support/with-xvfb.sh";
        owner = x.makeWindow(100, 400, 600, 300);
        ASSERT_TRUE(plugin.load(fixturePluginPath("fixture-editor"), PluginSources{}));
    }

    int logged(const std::string& opcode) const {
        std::ifstream in(logFile);
        std::string line;
        int count = 0;
        while (std::getline(in, line))
            count += line.find(" dispatcher " + opcode + " ") != std::string::npos ? 1 : 0;
        return count;
    }

    toolkit::CPoint rootPlace(Window window) {
        int left = 0, top = 0;
        Window child = 0;
        XTranslateCoordinates(x.display, window, DefaultRootWindow(x.display), 0, 0, &left, &top, &child);
        return {left, top};
    }

    void click(Window window, int left, int top) {
        x.sendButton(window, ButtonPress, Button1, left, top, 0, time += 1000);
        x.sendButton(window, ButtonRelease, Button1, left, top, Button1Mask, time += 10);
        windows.idle();
    }

    XTestHost x;
    TempFolder folder;
    std::string logFile = folder / "log.txt";
    ScopedEnvironmentVariable logTo{"RIMBA_FIXTURE_LOG", logFile};
    Window owner = 0;
    CPlugin plugin;
    PluginEditorWindows windows;
    unsigned long time = 1000;
};

TEST_F(PluginEditorWindowsTest, OpensAToolWindowAboveTheOwnerWithThePluginsEditorUnderTheBar) {
    ASSERT_TRUE(windows.toggle(plugin, owner));
    const CPluginEditor* editor = windows.editorOf(plugin);
    ASSERT_NE(editor, nullptr);
    EXPECT_TRUE(plugin.editorOpen());
    const Window top = editor->window();
    EXPECT_EQ(x.sizeOf(top), std::make_pair(320, 150));
    EXPECT_EQ(rootPlace(top), (toolkit::CPoint{240, 250}));

    XWindowAttributes child{};
    XGetWindowAttributes(x.display, editor->pluginParent(), &child);
    EXPECT_EQ((toolkit::CRect{child.x, child.y, child.x + child.width, child.y + child.height}),
              (toolkit::CRect{0, 30, 320, 150}));
    // The plug-in made its editor in the window it was handed.
    const std::vector<Window> inside = x.children(editor->pluginParent());
    ASSERT_EQ(inside.size(), 1u);
    EXPECT_EQ(x.pixel(inside[0], 10, 10), 0x3080c0u);

    Window transientFor = 0;
    XGetTransientForHint(x.display, top, &transientFor);
    EXPECT_EQ(transientFor, owner);
    char* title = nullptr;
    XFetchName(x.display, top, &title);
    EXPECT_STREQ(title, "Fixture Editor");
    XFree(title);

    windows.idle();
    windows.idle();
    EXPECT_EQ(logged("19"), 2);  // effEditIdle
    EXPECT_EQ(logged("15"), 0);
}

TEST_F(PluginEditorWindowsTest, TheCloseBoxClosesThePluginsEditorAndTheWindowReopensWhereItWasLeft) {
    ASSERT_TRUE(windows.toggle(plugin, owner));
    Window top = windows.editorOf(plugin)->window();
    XMoveWindow(x.display, top, 333, 44);
    XEvent close{};
    close.xclient.type = ClientMessage;
    close.xclient.window = top;
    close.xclient.message_type = XInternAtom(x.display, "WM_PROTOCOLS", False);
    close.xclient.format = 32;
    close.xclient.data.l[0] = static_cast<long>(XInternAtom(x.display, "WM_DELETE_WINDOW", False));
    XSendEvent(x.display, top, False, NoEventMask, &close);
    XSync(x.display, False);

    EXPECT_TRUE(XTestHost::idleUntil([&] { windows.idle(); }, [&] { return !windows.isOpen(plugin); }));
    EXPECT_EQ(logged("15"), 1);  // effEditClose
    EXPECT_FALSE(plugin.editorOpen());

    ASSERT_TRUE(windows.toggle(plugin, owner));
    EXPECT_EQ(rootPlace(windows.editorOf(plugin)->window()), (toolkit::CPoint{333, 44}));
    ASSERT_TRUE(windows.toggle(plugin, owner));  // the same gesture closes it
    EXPECT_EQ(windows.openCount(), 0u);
    EXPECT_EQ(logged("15"), 2);
}

TEST_F(PluginEditorWindowsTest, APluginThatResizesItsEditorHasItsWindowFollowInPlace) {
    const auto askForSize = [&](int width, int height) {
        return plugin.dispatch(effVendorSpecific, fourCharCode('s', 'i', 'z', 'e'), width, nullptr,
                               static_cast<float>(height));
    };
    EXPECT_EQ(askForSize(400, 200), 0);  // no window to follow
    ASSERT_TRUE(windows.toggle(plugin, owner));
    const CPluginEditor& editor = *windows.editorOf(plugin);
    const toolkit::CPoint place = rootPlace(editor.window());
    struct Case {
        int width, height;
        std::pair<int, int> window;
        toolkit::CPoint besideBarOrEditor;  // shows the window's own ground
    };
    const unsigned long barGrey = 0x282828;
    // The window is never narrower than its bar.
    for (const Case& c : {Case{400, 200, {400, 230}, {360, 15}}, Case{100, 50, {270, 80}, {200, 60}}}) {
        EXPECT_EQ(askForSize(c.width, c.height), 1);
        EXPECT_EQ(x.sizeOf(editor.window()), c.window) << c.width;
        EXPECT_EQ(x.sizeOf(editor.pluginParent()), std::make_pair(c.width, c.height));
        EXPECT_EQ(rootPlace(editor.window()), place);
        // The server paints a grown window's new ground a moment later.
        EXPECT_TRUE(XTestHost::idleUntil(
            [&] { windows.idle(); },
            [&] { return x.pixel(editor.window(), c.besideBarOrEditor.x, c.besideBarOrEditor.y) == barGrey; }))
            << c.width;
    }
    windows.idle();
    EXPECT_TRUE(windows.isOpen(plugin));
}

TEST_F(PluginEditorWindowsTest, UnloadingThePluginClosesItsWindowFirst) {
    ASSERT_TRUE(windows.toggle(plugin, owner));
    plugin.unload();
    EXPECT_EQ(windows.openCount(), 0u);
    std::ifstream in(logFile);
    std::stringstream whole;
    whole << in.rdbuf();
    const std::string log = whole.str();
    const auto editClose = log.find(" dispatcher 15 ");
    ASSERT_NE(editClose, std::string::npos);
    EXPECT_LT(editClose, log.find(" dispatcher 1 "));  // before effClose
}

TEST_F(PluginEditorWindowsTest, APluginWithoutAnEditorGetsNoWindow) {
    CPlugin gain;
    ASSERT_TRUE(gain.load(fixturePluginPath("fixture-gain"), PluginSources{}));
    EXPECT_FALSE(windows.toggle(gain, owner));
    EXPECT_EQ(windows.openCount(), 0u);
    EXPECT_FALSE(gain.editorOpen());
}

TEST_F(PluginEditorWindowsTest, TheArrowsStepThroughTheProgramsAndStopAtBothEnds) {
    ASSERT_TRUE(windows.toggle(plugin, owner));
    CPluginEditor& editor = *windows.editorOf(plugin);
    const Window bar = editor.barWindow();
    ASSERT_NE(bar, 0u);
    const auto current = [&] { return plugin.dispatch(effGetProgram); };
    for (int expected : {1, 2, 2}) {
        click(bar, 76, 15);  // next
        EXPECT_EQ(current(), expected);
    }
    EXPECT_EQ(editor.bar().shownName(), "Bright");
    for (int expected : {1, 0, 0}) {
        click(bar, 58, 15);  // previous
        EXPECT_EQ(current(), expected);
    }
    EXPECT_EQ(editor.bar().shownName(), "Warm");
}

}  // namespace
}  // namespace rimba::test
