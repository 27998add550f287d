// The frame in a Windows host's window, shown through Wine's X11 driver on an Xvfb: the child
// window, what it shows, real input from xdotool (a Linux program Wine starts as it is, with no
// handle to wait on: each step waits for what it brings about), the cursor, the tooltip, the
// native pop-up menu, and what opening and closing leaves behind.

#include <gtest/gtest.h>

#include "common/platform/win32/Windows.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "plugin/editor/toolkit/DialogHost.h"
#include "plugin/editor/toolkit/Frame.h"
#include "plugin/editor/toolkit/KeyCodes.h"
#include "plugin/editor/toolkit/PopupMenu.h"
#include "plugin/editor/toolkit/TextEdit.h"
#include "plugin/editor/toolkit/Tooltip.h"
#include "tests/support/win32/WindowList.h"

namespace rimba::toolkit {
namespace {

using test::childrenOf;
using test::pumpMessages;
using test::windowsOfThisThread;

// ---- the hand: xdotool -------------------------------------------------------------------------

void xdotool(const std::string& arguments) {
    std::wstring command = L"Z:\\usr\\bin\\xdotool " + std::wstring(arguments.begin(), arguments.end());
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    ASSERT_TRUE(
        CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        << "xdotool " << arguments;
    if (process.hProcess)
        CloseHandle(process.hProcess);
    if (process.hThread)
        CloseHandle(process.hThread);
}

std::string at(POINT point) { return std::to_string(point.x) + " " + std::to_string(point.y); }

// A host's loop: messages, then the editor's idle, until `done` (at most about ten seconds).
bool idleUntil(CFrame* frame, const std::function<bool()>& done) {
    for (int round = 0; round < 1000; ++round) {
        pumpMessages();
        if (frame)
            frame->idle();
        if (done())
            return true;
        Sleep(10);
    }
    return false;
}

// ---- the host's window -------------------------------------------------------------------------

LRESULT CALLBACK hostProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcW(window, message, wParam, lParam);
}

HWND makeHostWindow() {
    WNDCLASSW description{};
    description.lpfnWndProc = hostProcedure;
    description.hInstance = GetModuleHandleW(nullptr);
    description.lpszClassName = L"FrameWindowTestHost";
    description.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    RegisterClassW(&description);
    HWND window = CreateWindowExW(0, L"FrameWindowTestHost", L"Frame test host", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 40,
                                  40, 480, 360, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    idleUntil(nullptr, [&] { return IsWindowVisible(window) != 0; });
    return window;
}

// The colour the window shows at `where` (client coordinates), as 0xRRGGBB.
std::uint32_t shownAt(HWND window, CPoint where) {
    HDC device = GetDC(window);
    const COLORREF colour = GetPixel(device, where.x, where.y);
    ReleaseDC(window, device);
    return (GetRValue(colour) << 16) | (GetGValue(colour) << 8) | GetBValue(colour);
}

POINT screenPointOf(HWND window, CPoint where) {
    POINT point{where.x, where.y};
    ClientToScreen(window, &point);
    return point;
}

// ---- views of the test's own -------------------------------------------------------------------

// Paints its rectangle in one colour and writes down the mouse as it gets it.
class RecordingView : public CView {
public:
    RecordingView(const CRect& size, std::uint32_t rgb) : CView(size), colour(rgb) {}

    void draw(CDrawContext& context) override {
        context.setColour(((colour >> 16) & 0xff) / 255.0, ((colour >> 8) & 0xff) / 255.0, (colour & 0xff) / 255.0);
        context.rectangle(getViewSize());
        context.fill();
    }
    MouseResult onMouseDown(CPoint where, unsigned buttons) override {
        log.push_back("down " + describe(where, buttons));
        if (onDown)
            onDown(where);
        return MouseResult::handled;
    }
    MouseResult onMouseMoved(CPoint where, unsigned buttons) override {
        if (buttons & (kLButton | kRButton | kMButton))
            log.push_back("drag " + describe(where, buttons));
        return MouseResult::handled;
    }
    MouseResult onMouseUp(CPoint where, unsigned buttons) override {
        log.push_back("up " + describe(where, buttons));
        return MouseResult::handled;
    }
    void onMouseExited() override { ++exits; }

    static std::string describe(CPoint where, unsigned buttons) {
        std::string text = std::to_string(where.x) + "," + std::to_string(where.y);
        if (buttons & kLButton)
            text += " left";
        if (buttons & kRButton)
            text += " right";
        if (buttons & kShift)
            text += " shift";
        if (buttons & kControl)
            text += " control";
        if (buttons & kDoubleClick)
            text += " double";
        return text;
    }
    bool logged(const std::string& entry) const {
        for (const std::string& line : log)
            if (line == entry)
                return true;
        return false;
    }

    std::uint32_t colour;
    std::vector<std::string> log;
    int exits = 0;
    std::function<void(CPoint)> onDown;
};

constexpr std::uint32_t kRed = 0xCC2211;
constexpr std::uint32_t kBlue = 0x1133CC;
constexpr std::uint32_t kGreen = 0x22AA44;

class Win32FrameWindow : public ::testing::Test {
protected:
    // One host window for the suite: Wine takes seconds to destroy a shown top-level window.
    static void SetUpTestSuite() { host = makeHostWindow(); }
    static void TearDownTestSuite() { DestroyWindow(host); }

    void SetUp() override {
        ASSERT_NE(host, nullptr);
        frame = std::make_unique<CFrame>(rectOfSize(0, 0, 240, 160), nullptr);
        top = frame->add(std::make_unique<RecordingView>(rectOfSize(0, 0, 240, 80), kRed));
        bottom = frame->add(std::make_unique<RecordingView>(rectOfSize(0, 80, 240, 80), kBlue));
        ASSERT_TRUE(frame->open(host));
        child = reinterpret_cast<HWND>(frame->getWindow());
        ASSERT_TRUE(idleUntil(frame.get(), [&] { return shownAt(child, {10, 10}) == kRed; }));
    }

    void TearDown() override { frame.reset(); }

    // Waits until the pointer is over the frame's window at `where`, so that what follows starts
    // from there.
    bool pointerTo(CPoint where) {
        const POINT screen = screenPointOf(child, where);
        xdotool("mousemove " + at(screen));
        return idleUntil(frame.get(), [&] {
            POINT now{};
            return GetCursorPos(&now) && now.x == screen.x && now.y == screen.y;
        });
    }

    static HWND host;
    std::unique_ptr<CFrame> frame;
    RecordingView* top = nullptr;
    RecordingView* bottom = nullptr;
    HWND child = nullptr;
};

HWND Win32FrameWindow::host = nullptr;

TEST_F(Win32FrameWindow, IsAChildOfTheHostsWindowOfTheFramesSizeAndShowsItsPicture) {
    EXPECT_EQ(childrenOf(host), std::vector<HWND>{child});
    EXPECT_EQ(GetParent(child), host);
    EXPECT_EQ(frame->getParentWindow(), reinterpret_cast<WindowId>(host));
    RECT client{};
    GetClientRect(child, &client);
    EXPECT_EQ(client.right - client.left, 240);
    EXPECT_EQ(client.bottom - client.top, 160);
    // The picture's rows in their order: the red view on top, the blue one below.
    EXPECT_EQ(shownAt(child, {0, 0}), kRed);
    EXPECT_EQ(shownAt(child, {239, 79}), kRed);
    EXPECT_EQ(shownAt(child, {0, 80}), kBlue);
    EXPECT_EQ(shownAt(child, {239, 159}), kBlue);

    // A redraw copies only what changed.
    bottom->colour = kGreen;
    bottom->invalid();
    ASSERT_TRUE(idleUntil(frame.get(), [&] { return shownAt(child, {5, 150}) == kGreen; }));
    EXPECT_EQ(shownAt(child, {5, 5}), kRed);

    // Whatever covered the window, its painting brings the picture back.
    HDC device = GetDC(child);
    RECT all{0, 0, 240, 160};
    FillRect(device, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    ReleaseDC(child, device);
    ASSERT_EQ(shownAt(child, {5, 5}), 0xFFFFFFu);
    RECT part{0, 60, 120, 100};
    InvalidateRect(child, &part, FALSE);
    UpdateWindow(child);
    EXPECT_EQ(shownAt(child, {5, 65}), kRed);
    EXPECT_EQ(shownAt(child, {5, 95}), kGreen);
    EXPECT_EQ(shownAt(child, {200, 5}), 0xFFFFFFu);  // outside the painted rectangle: left as it was
}

TEST_F(Win32FrameWindow, ClicksReachTheViewUnderThePointerWithTheirButtonsAndModifiers) {
    ASSERT_TRUE(pointerTo({30, 20}));
    xdotool("click 1");
    ASSERT_TRUE(idleUntil(frame.get(), [&] { return top->logged("up 30,20 left"); }));
    EXPECT_TRUE(top->logged("down 30,20 left"));

    ASSERT_TRUE(pointerTo({50, 120}));
    xdotool("click --repeat 2 --delay 80 1");
    EXPECT_TRUE(idleUntil(frame.get(), [&] { return bottom->logged("down 50,120 left double"); }))
        << ::testing::PrintToString(bottom->log);
    EXPECT_EQ(bottom->log.front(), "down 50,120 left");  // the first of the two is a single one

    // Wine takes the modifiers from its own idea of the keyboard, which follows xdotool's key
    // release only later: the modified click comes last.
    xdotool("keydown shift click 3 keyup shift");
    ASSERT_TRUE(idleUntil(frame.get(), [&] { return bottom->logged("up 50,120 right shift"); }))
        << ::testing::PrintToString(bottom->log);
    EXPECT_TRUE(bottom->logged("down 50,120 right shift"));
    // The tests after this one start with the key up.
    EXPECT_TRUE(idleUntil(frame.get(), [] { return GetKeyState(VK_SHIFT) >= 0; }));
    EXPECT_EQ(top->log.size(), 2u);  // nothing of the other clicks went to the view above
}

TEST_F(Win32FrameWindow, ADragKeepsTheViewThatTookThePressOutsideItAndOutsideTheWindow) {
    ASSERT_TRUE(pointerTo({20, 20}));
    xdotool("mousedown 1");
    ASSERT_TRUE(idleUntil(frame.get(), [&] { return top->logged("down 20,20 left"); }));
    EXPECT_EQ(GetCapture(), child);
    // Over the view below, then past the window's right edge.
    xdotool("mousemove " + at(screenPointOf(child, {20, 120})));
    ASSERT_TRUE(idleUntil(frame.get(), [&] { return top->logged("drag 20,120 left"); }));
    xdotool("mousemove " + at(screenPointOf(child, {300, 120})));
    ASSERT_TRUE(idleUntil(frame.get(), [&] { return top->logged("drag 300,120 left"); }));
    EXPECT_TRUE(bottom->log.empty());
    xdotool("mouseup 1");
    ASSERT_TRUE(idleUntil(frame.get(), [&] { return top->logged("up 300,120 left"); }));
    EXPECT_EQ(GetCapture(), nullptr);
    EXPECT_EQ(frame->getMouseCapture(), nullptr);
}

TEST_F(Win32FrameWindow, KeysTypedReachTheFocusedTextFieldAndReturnCommitsIt) {
    auto* field = frame->add(std::make_unique<CTextEdit>(rectOfSize(10, 90, 200, 24), nullptr, 1, "kit"));
    ASSERT_TRUE(pointerTo({20, 100}));
    xdotool("click 1");  // a click into the field starts the editing and takes the keyboard
    ASSERT_TRUE(idleUntil(frame.get(), [&] { return field->isEditing(); }));
    EXPECT_EQ(frame->getFocusView(), field);
    EXPECT_EQ(GetFocus(), child);
    xdotool("key BackSpace type --delay 30 \"s 9\"");
    ASSERT_TRUE(idleUntil(frame.get(), [&] { return field->getEditor().getText() == "kis 9"; }))
        << field->getEditor().getText();
    xdotool("key Home Delete Return");
    ASSERT_TRUE(idleUntil(frame.get(), [&] { return !field->isEditing(); }));
    EXPECT_EQ(field->getText(), "is 9");
}

// The editor's undo keys: a letter with Control goes to the shortcuts (and its control
// character to nobody), and a press with its drag is heard as one gesture.
TEST_F(Win32FrameWindow, ControlLettersReachTheShortcutsAndAPressWithItsDragIsOneGesture) {
    std::vector<std::string> heard;
    frame->setShortcutHandler([&heard](unsigned letter, unsigned modifiers) {
        heard.push_back(std::string(1, static_cast<char>(letter)) + ((modifiers & kShift) != 0 ? " shift" : ""));
        return true;
    });
    frame->setPressHandlers([&heard] { heard.push_back("press"); }, [&heard] { heard.push_back("release"); });
    ASSERT_TRUE(pointerTo({20, 20}));
    xdotool("mousedown 1");
    ASSERT_TRUE(idleUntil(frame.get(), [&] { return top->logged("down 20,20 left"); }));
    xdotool("mousemove " + at(screenPointOf(child, {20, 60})) + " mouseup 1");
    ASSERT_TRUE(idleUntil(frame.get(), [&] { return top->logged("up 20,60 left"); }));

    frame->grabKeyboardFocus();
    xdotool("key ctrl+z key ctrl+shift+z key ctrl+y key z");
    ASSERT_TRUE(idleUntil(frame.get(), [&] { return heard.size() >= 5; })) << ::testing::PrintToString(heard);
    EXPECT_EQ(heard, (std::vector<std::string>{"press", "release", "z", "z shift", "y"}));
    EXPECT_TRUE(idleUntil(frame.get(), [] { return GetKeyState(VK_CONTROL) >= 0 && GetKeyState(VK_SHIFT) >= 0; }));
}

TEST_F(Win32FrameWindow, TheCursorIsTheFramesOverItsWindow) {
    struct Case {
        CursorShape shape;
        LPCWSTR system;
    };
    const Case cases[] = {
        {CursorShape::hand, reinterpret_cast<LPCWSTR>(IDC_HAND)},
        {CursorShape::sizeAll, reinterpret_cast<LPCWSTR>(IDC_SIZEALL)},
        {CursorShape::sizeHorizontal, reinterpret_cast<LPCWSTR>(IDC_SIZEWE)},
        {CursorShape::sizeVertical, reinterpret_cast<LPCWSTR>(IDC_SIZENS)},
        {CursorShape::text, reinterpret_cast<LPCWSTR>(IDC_IBEAM)},
        {CursorShape::wait, reinterpret_cast<LPCWSTR>(IDC_WAIT)},
        {CursorShape::arrow, reinterpret_cast<LPCWSTR>(IDC_ARROW)},
    };
    for (const Case& c : cases) {
        frame->setCursor(c.shape);
        SetCursor(nullptr);
        // What the system asks each time the pointer moves over the window.
        SendMessageW(child, WM_SETCURSOR, reinterpret_cast<WPARAM>(child), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
        EXPECT_EQ(GetCursor(), LoadCursorW(nullptr, c.system)) << static_cast<int>(c.shape);
    }
}

TEST_F(Win32FrameWindow, ARestingPointerShowsTheTooltipInAPopUpOfItsOwnAndAClickHidesIt) {
    top->setTooltipText("Volume");
    const std::vector<HWND> before = windowsOfThisThread();
    ASSERT_TRUE(pointerTo({40, 30}));
    xdotool("mousemove " + at(screenPointOf(child, {41, 30})));
    ASSERT_TRUE(idleUntil(frame.get(), [&] { return frame->getTooltips()->isShown(); }));
    const auto tip = reinterpret_cast<HWND>(frame->getTooltips()->windowId());
    EXPECT_EQ(windowsOfThisThread().size(), before.size() + 1);
    EXPECT_TRUE(IsWindowVisible(tip));
    EXPECT_NE(GetWindowLongW(tip, GWL_EXSTYLE) & WS_EX_TOPMOST, 0);
    EXPECT_NE(GetWindowLongW(tip, GWL_EXSTYLE) & WS_EX_NOACTIVATE, 0);
    EXPECT_NE(GetForegroundWindow(), tip);
    RECT place{};
    GetWindowRect(tip, &place);
    const POINT pointer = screenPointOf(child, {41, 30});
    EXPECT_EQ(place.left, pointer.x + 12);  // beside the pointer, below it
    EXPECT_EQ(place.top, pointer.y + 20);
    EXPECT_EQ(shownAt(tip, {3, 3}), 0xFFFFE0u);  // the tooltip's ground, drawn by the toolkit
    xdotool("click 1");
    ASSERT_TRUE(idleUntil(frame.get(), [&] { return !frame->getTooltips()->isShown(); }));
    EXPECT_FALSE(IsWindow(tip));
}

TEST_F(Win32FrameWindow, APressThatOpensTheNativeMenuGetsTheChosenEntryAndEndsWithTheMenu) {
    auto kits = std::make_shared<MenuModel>();
    kits->addEntry("Rock");
    kits->addEntry("Jazz");
    MenuModel menu;
    menu.addEntry("One");
    menu.addEntry("Two");
    menu.addSubmenu("Kits", kits);
    std::optional<MenuChoice> chosen;
    top->onDown = [&](CPoint where) {
        // The keys wait in xdotool until the menu is open: the menu's loop holds this thread.
        xdotool("sleep 1 key Down Down Down Right Down Return");
        chosen = runPopupMenu(dialogHostOf(*frame), menu, frame->localToScreen(where));
    };
    ASSERT_TRUE(pointerTo({60, 40}));
    xdotool("click 1");
    ASSERT_TRUE(idleUntil(frame.get(), [&] { return chosen.has_value(); }));
    EXPECT_EQ(*chosen, (MenuChoice{2, 1}));
    // The menu's loop took the release: the frame ended the press itself.
    EXPECT_TRUE(top->logged("up 60,40 left"));
    EXPECT_EQ(frame->getMouseCapture(), nullptr);
}

TEST_F(Win32FrameWindow, TheWindowIsAnOleDropTargetWhileTheFrameHasADropHandler) {
    // What RegisterDragDrop leaves on the window, and RevokeDragDrop takes away.
    const auto registered = [&] { return GetPropW(child, L"OleDropTargetInterface") != nullptr; };
    EXPECT_FALSE(registered());
    frame->setDropHandler({nullptr, [](CPoint, const std::vector<std::string>&) {}});
    EXPECT_TRUE(registered());
    frame->setDropHandler({});
    EXPECT_FALSE(registered());
    // Kept across a close and an open, as on X11.
    frame->setDropHandler({nullptr, [](CPoint, const std::vector<std::string>&) {}});
    frame->close();
    ASSERT_TRUE(frame->open(host));
    child = reinterpret_cast<HWND>(frame->getWindow());
    EXPECT_TRUE(registered());
}

TEST(Win32FrameWindowOpenClose, TwentyOpensAndClosesLeaveNoWindowAndNoClassBehind) {
    HWND host = makeHostWindow();
    ASSERT_NE(host, nullptr);
    const std::size_t windowsBefore = windowsOfThisThread().size();
    const DWORD gdiBefore = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    const DWORD userBefore = GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS);
    wchar_t className[128] = {};
    for (int round = 0; round < 20; ++round) {
        CFrame frame(rectOfSize(0, 0, 120, 90), nullptr);
        frame.add(std::make_unique<RecordingView>(rectOfSize(0, 0, 120, 90), kGreen));
        ASSERT_TRUE(frame.open(host)) << round;
        const auto child = reinterpret_cast<HWND>(frame.getWindow());
        ASSERT_TRUE(idleUntil(&frame, [&] { return shownAt(child, {60, 45}) == kGreen; })) << round;
        GetClassNameW(child, className, 127);
        frame.close();
        pumpMessages();
        EXPECT_FALSE(IsWindow(child)) << round;
        EXPECT_TRUE(childrenOf(host).empty()) << round;
    }
    EXPECT_EQ(windowsOfThisThread().size(), windowsBefore);
    // The class went with the last window of it.
    WNDCLASSEXW description{};
    description.cbSize = sizeof description;
    EXPECT_FALSE(GetClassInfoExW(GetModuleHandleW(nullptr), className, &description)) << className;
    // Wine answers 0 for both; Windows counts the objects.
    EXPECT_LE(GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS), gdiBefore);
    EXPECT_LE(GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS), userBefore);
    DestroyWindow(host);
}

}  // namespace
}  // namespace rimba::toolkit
