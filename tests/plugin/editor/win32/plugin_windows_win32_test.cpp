// The hosted plug-ins' editor windows on Windows, with a plug-in of our own whose editor is a
// Win32 child window (fixture-editor) loaded through CPlugin, over an owner of the test's own: a
// top-level window with a child standing in for the instrument's editor. What the window is, who
// owns it, what the plug-in shows in it, the program bar in its strip, the order of the plug-in's editor calls (its
// log), the close box, the place kept for the next opening, the plug-in's resize requests, and that nothing of the
// thread's windows is left after twenty openings or a closing on another thread.

#include <gtest/gtest.h>

#include <windows.h>

#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "plugin/editor/PluginEditorWindows.h"
#include "plugin/editor/PluginProgramBar.h"
#include "tests/plugins/FixturePlugins.h"
#include "tests/support/Environment.h"
#include "tests/support/TempFolder.h"
#include "tests/support/win32/WindowList.h"

namespace rimba::test {
namespace {

constexpr COLORREF kFixtureColour = RGB(0x30, 0x80, 0xc0);

HWND hwnd(std::uintptr_t window) { return reinterpret_cast<HWND>(window); }

// A child's rectangle in its parent's client coordinates.
RECT placeInParent(HWND child) {
    RECT rect{};
    GetWindowRect(child, &rect);
    MapWindowPoints(nullptr, GetParent(child), reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

POINT topLeft(HWND window) {
    RECT rect{};
    GetWindowRect(window, &rect);
    return {rect.left, rect.top};
}

COLORREF pixel(HWND window, int x, int y) {
    HDC context = GetDC(window);
    const COLORREF colour = GetPixel(context, x, y);
    ReleaseDC(window, context);
    return colour;
}

LRESULT CALLBACK ownerProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcW(window, message, wParam, lParam);
}

// The instrument's side: a top-level window and, inside it, the child its editor is.
struct OwnerWindows {
    HWND top = nullptr;
    HWND editor = nullptr;

    OwnerWindows() {
        static const ATOM ownerClass = [] {
            WNDCLASSW description{};
            description.lpfnWndProc = ownerProcedure;
            description.hInstance = GetModuleHandleW(nullptr);
            description.lpszClassName = L"RimbaTestOwner";
            return RegisterClassW(&description);
        }();
        if (ownerClass == 0)
            return;
        top = CreateWindowExW(0, L"RimbaTestOwner", L"Owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 100, 400, 600, 300,
                              nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
        editor = CreateWindowExW(0, L"RimbaTestOwner", L"", WS_CHILD | WS_VISIBLE, 0, 0, 500, 200, top, nullptr,
                                 GetModuleHandleW(nullptr), nullptr);
        pumpMessages();
    }
    ~OwnerWindows() {
        if (top != nullptr)
            DestroyWindow(top);
    }
};

class PluginEditorWindowsWin32Test : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(owner.editor, nullptr);
        ASSERT_TRUE(plugin.load(fixturePluginPath("fixture-editor"), PluginSources{}));
    }

    std::string log() const {
        std::ifstream in(logFile);
        std::stringstream whole;
        whole << in.rdbuf();
        return whole.str();
    }
    int logged(const std::string& opcode) const {
        const std::string text = log();
        const std::string call = " dispatcher " + opcode + " ";
        int count = 0;
        for (auto at = text.find(call); at != std::string::npos; at = text.find(call, at + 1))
            ++count;
        return count;
    }

    // The host's side of the idle: the thread's messages, then every window's idle.
    template <class Done>
    bool idleUntil(Done done, int rounds = 200) {
        for (int round = 0; round < rounds; ++round) {
            pumpMessages();
            windows.idle();
            if (done())
                return true;
            Sleep(10);
        }
        return false;
    }

    HWND toolWindow() const {
        const CPluginEditor* editor = windows.editorOf(plugin);
        return editor != nullptr ? hwnd(editor->window()) : nullptr;
    }

    OwnerWindows owner;
    TempFolder folder;
    std::string logFile = folder / "log.txt";
    ScopedEnvironmentVariable logTo{"RIMBA_FIXTURE_LOG", logFile};
    CPlugin plugin;
    PluginEditorWindows windows;
};

TEST_F(PluginEditorWindowsWin32Test, OpensAToolWindowOwnedByTheOwnersTopLevelWindowWithThePluginUnderTheStrip) {
    ASSERT_TRUE(windows.toggle(plugin, reinterpret_cast<std::uintptr_t>(owner.editor)));
    const CPluginEditor* editor = windows.editorOf(plugin);
    ASSERT_NE(editor, nullptr);
    const HWND tool = hwnd(editor->window());
    ASSERT_TRUE(IsWindow(tool));
    EXPECT_TRUE(plugin.editorOpen());
    EXPECT_EQ(GetWindow(tool, GW_OWNER), owner.top);
    EXPECT_EQ(GetAncestor(tool, GA_PARENT), GetDesktopWindow()) << "a top-level window, not a child";
    EXPECT_NE(GetWindowLongPtrW(tool, GWL_EXSTYLE) & WS_EX_TOOLWINDOW, 0);
    EXPECT_NE(GetWindowLongPtrW(tool, GWL_STYLE) & WS_SYSMENU, 0) << "a close box";
    EXPECT_TRUE(IsWindowVisible(tool));
    wchar_t title[64] = {};
    GetWindowTextW(tool, title, 64);
    EXPECT_STREQ(title, L"Fixture Editor");
    EXPECT_EQ(clientSize(tool), std::make_pair(320, 150));

    const HWND parent = hwnd(editor->pluginParent());
    EXPECT_EQ(GetParent(parent), tool);
    const RECT place = placeInParent(parent);
    EXPECT_EQ((std::vector<long>{place.left, place.top, place.right, place.bottom}),
              (std::vector<long>{0, 30, 320, 150}));
    // The strip the bar's frame opens in, along the top.
    const HWND strip = ChildWindowFromPointEx(tool, POINT{5, 5}, CWP_ALL);
    ASSERT_NE(strip, tool);
    const RECT stripPlace = placeInParent(strip);
    EXPECT_EQ((std::vector<long>{stripPlace.left, stripPlace.top, stripPlace.right, stripPlace.bottom}),
              (std::vector<long>{0, 0, 320, 30}));
    // The plug-in made its editor in the window it was handed, and it shows.
    const std::vector<HWND> inside = childrenOf(parent);
    ASSERT_EQ(inside.size(), 1u);
    EXPECT_EQ(clientSize(inside[0]), std::make_pair(320, 120));
    EXPECT_TRUE(idleUntil([&] { return pixel(inside[0], 10, 10) == kFixtureColour; }))
        << std::hex << pixel(inside[0], 10, 10);
    EXPECT_TRUE(idleUntil([&] { return pixel(parent, 300, 100) == kFixtureColour; }));
    EXPECT_GE(logged("19"), 1);  // effEditIdle
    EXPECT_EQ(logged("15"), 0);
}

TEST_F(PluginEditorWindowsWin32Test, TheBarStandsInTheStripDrawnAndItsArrowsStepThroughThePrograms) {
    ASSERT_TRUE(windows.toggle(plugin, reinterpret_cast<std::uintptr_t>(owner.editor)));
    CPluginEditor& editor = *windows.editorOf(plugin);
    const HWND bar = hwnd(editor.barWindow());
    ASSERT_TRUE(IsWindow(bar));
    EXPECT_EQ(GetParent(bar), ChildWindowFromPointEx(toolWindow(), POINT{5, 5}, CWP_ALL));
    EXPECT_EQ(clientSize(bar), std::make_pair(320, 30));
    // The bar's plain grey right of the name plate, as the frame drew it.
    const auto barGrey = [&] {
        const COLORREF shown = pixel(bar, 300, 15);
        return GetRValue(shown) == GetGValue(shown) && GetGValue(shown) == GetBValue(shown) && GetRValue(shown) >= 40 &&
               GetRValue(shown) <= 41;
    };
    EXPECT_TRUE(idleUntil(barGrey)) << std::hex << pixel(bar, 300, 15);

    const auto click = [&](int x) {
        SendMessageW(bar, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, 15));
        SendMessageW(bar, WM_LBUTTONUP, 0, MAKELPARAM(x, 15));
        windows.idle();
    };
    const auto current = [&] { return plugin.dispatch(effGetProgram); };
    for (int expected : {1, 2, 2}) {
        click(76);  // next
        EXPECT_EQ(current(), expected);
    }
    EXPECT_EQ(editor.bar().shownName(), "Bright");
    for (int expected : {1, 0, 0}) {
        click(58);  // previous
        EXPECT_EQ(current(), expected);
    }
    EXPECT_EQ(editor.bar().shownName(), "Warm");
}

TEST_F(PluginEditorWindowsWin32Test, TogglingClosesItAndUnloadingClosesItBeforeThePluginGoes) {
    const auto ownerId = reinterpret_cast<std::uintptr_t>(owner.editor);
    ASSERT_TRUE(windows.toggle(plugin, ownerId));
    const HWND tool = toolWindow();
    ASSERT_TRUE(windows.toggle(plugin, ownerId));  // the same gesture closes it
    EXPECT_EQ(windows.openCount(), 0u);
    EXPECT_FALSE(IsWindow(tool));
    EXPECT_FALSE(plugin.editorOpen());
    EXPECT_EQ(logged("15"), 1);  // effEditClose

    ASSERT_TRUE(windows.toggle(plugin, ownerId));
    plugin.unload();
    EXPECT_EQ(windows.openCount(), 0u);
    const std::string text = log();
    const auto lastEditClose = text.rfind(" dispatcher 15 ");
    const auto effClose = text.find(" dispatcher 1 ");
    ASSERT_NE(lastEditClose, std::string::npos);
    ASSERT_NE(effClose, std::string::npos);
    EXPECT_LT(lastEditClose, effClose);
    EXPECT_EQ(logged("15"), 2);
}

TEST_F(PluginEditorWindowsWin32Test, TheCloseBoxClosesItAndItReopensWhereItWasLeft) {
    const auto ownerId = reinterpret_cast<std::uintptr_t>(owner.editor);
    ASSERT_TRUE(windows.toggle(plugin, ownerId));
    HWND tool = toolWindow();
    SetWindowPos(tool, nullptr, 333, 44, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    PostMessageW(tool, WM_CLOSE, 0, 0);
    EXPECT_TRUE(idleUntil([&] { return !windows.isOpen(plugin); }));
    EXPECT_FALSE(IsWindow(tool));
    EXPECT_EQ(logged("15"), 1);

    ASSERT_TRUE(windows.toggle(plugin, ownerId));
    tool = toolWindow();
    EXPECT_EQ(topLeft(tool).x, 333);
    EXPECT_EQ(topLeft(tool).y, 44);
    EXPECT_EQ(clientSize(tool), std::make_pair(320, 150));
}

TEST_F(PluginEditorWindowsWin32Test, APluginThatResizesItsEditorHasItsWindowFollowInPlace) {
    const auto askForSize = [&](int width, int height) {
        return plugin.dispatch(effVendorSpecific, fourCharCode('s', 'i', 'z', 'e'), width, nullptr,
                               static_cast<float>(height));
    };
    EXPECT_EQ(askForSize(400, 200), 0);  // no window to follow
    ASSERT_TRUE(windows.toggle(plugin, reinterpret_cast<std::uintptr_t>(owner.editor)));
    const HWND tool = toolWindow();
    const HWND parent = hwnd(windows.editorOf(plugin)->pluginParent());
    const POINT place = topLeft(tool);
    struct Case {
        int width, height;
        std::pair<int, int> client;
    };
    // The window is never narrower than its bar.
    for (const Case& c : {Case{400, 200, {400, 230}}, Case{100, 50, {270, 80}}}) {
        EXPECT_EQ(askForSize(c.width, c.height), 1);
        EXPECT_EQ(clientSize(tool), c.client) << c.width;
        EXPECT_EQ(clientSize(parent), std::make_pair(c.width, c.height));
        const RECT child = placeInParent(parent);
        EXPECT_EQ(child.top, 30);
        EXPECT_EQ(topLeft(tool).x, place.x);
        EXPECT_EQ(topLeft(tool).y, place.y);
    }
    EXPECT_TRUE(idleUntil([&] { return pixel(parent, 90, 40) == kFixtureColour; }));
    EXPECT_TRUE(windows.isOpen(plugin));
}

TEST_F(PluginEditorWindowsWin32Test, TwentyOpeningsLeaveNoWindowOfTheThreadBehind) {
    const auto ownerId = reinterpret_cast<std::uintptr_t>(owner.editor);
    pumpMessages();
    const std::size_t before = windowsOfThisThread().size();
    for (int opening = 0; opening < 20; ++opening) {
        ASSERT_TRUE(windows.toggle(plugin, ownerId)) << opening;
        EXPECT_GT(windowsOfThisThread().size(), before);
        idleUntil([] { return false; }, 2);
        ASSERT_TRUE(windows.toggle(plugin, ownerId));
        pumpMessages();
    }
    EXPECT_EQ(windowsOfThisThread().size(), before);
    EXPECT_EQ(logged("14"), 20);  // effEditOpen
    EXPECT_EQ(logged("15"), 20);
    // Nothing of ours stays registered either.
    WNDCLASSEXW found{};
    found.cbSize = sizeof found;
    EXPECT_FALSE(GetClassInfoExW(GetModuleHandleW(nullptr), L"RimbaHostedEditorWindow", &found));
}

TEST_F(PluginEditorWindowsWin32Test, AWindowClosedOnAnotherThreadGoesOnItsOwnThread) {
    // A slot replaced on the timer thread closes its window there; only the window's own thread
    // may destroy it.
    pumpMessages();
    const std::size_t before = windowsOfThisThread().size();
    ASSERT_TRUE(windows.toggle(plugin, reinterpret_cast<std::uintptr_t>(owner.editor)));
    const HWND tool = toolWindow();
    std::thread([&] { windows.close(plugin); }).join();
    EXPECT_EQ(windows.openCount(), 0u);
    EXPECT_EQ(logged("15"), 1);
    pumpMessages();
    EXPECT_FALSE(IsWindow(tool));
    EXPECT_EQ(windowsOfThisThread().size(), before);
}

TEST_F(PluginEditorWindowsWin32Test, APluginWithoutAnEditorOrAnOwnerThatIsNoWindowGetsNoWindow) {
    CPlugin gain;
    ASSERT_TRUE(gain.load(fixturePluginPath("fixture-gain"), PluginSources{}));
    EXPECT_FALSE(windows.toggle(gain, reinterpret_cast<std::uintptr_t>(owner.editor)));
    EXPECT_FALSE(gain.editorOpen());
    const HWND gone = owner.editor;
    DestroyWindow(owner.top);
    owner.top = nullptr;
    EXPECT_FALSE(windows.toggle(plugin, reinterpret_cast<std::uintptr_t>(gone)));
    EXPECT_FALSE(plugin.editorOpen());
    EXPECT_EQ(windows.openCount(), 0u);
}

}  // namespace
}  // namespace rimba::test
