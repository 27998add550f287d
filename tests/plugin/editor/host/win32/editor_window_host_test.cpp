// A Win32 host of the test's own for the Windows DLL's editor: it loads the library as a host
// does, makes a top-level window, opens the editor inside it again and again, idles it the way a
// host's timer does, and looks at what the window shows and at what is left after each close.

#include <gtest/gtest.h>

#include <windows.h>
// GDI+ wants min and max as windows.h defines them without NOMINMAX.
#include <algorithm>
namespace Gdiplus {
using std::max;
using std::min;
}  // namespace Gdiplus
#include <gdiplus.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "common/settings/SettingsStore.h"
#include "common/vst/VstAbi.h"
#include "tests/host/TestHost.h"
#include "tests/support/win32/WindowList.h"

namespace rimba::test {
namespace {

// A view's rectangle in the editor: left and top included, right and bottom excluded.
struct ViewArea {
    int left, top, right, bottom;
};

// The host's side of the idle: messages, then effEditIdle, about every 10 ms.
template <class Done>
bool idleUntil(AEffect* effect, Done done, int rounds) {
    for (int i = 0; i < rounds; ++i) {
        pumpMessages();
        dispatch(effect, effEditIdle);
        if (done())
            return true;
        Sleep(10);
    }
    return false;
}

LRESULT CALLBACK hostWindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcW(window, message, wParam, lParam);
}

HWND makeHostWindow(int width, int height) {
    static const ATOM windowClass = [] {
        WNDCLASSW description{};
        description.lpfnWndProc = hostWindowProcedure;
        description.hInstance = GetModuleHandleW(nullptr);
        description.lpszClassName = L"RimbaDrumsTestHost";
        description.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
        return RegisterClassW(&description);
    }();
    if (windowClass == 0)
        return nullptr;
    RECT outer{0, 0, width, height};
    AdjustWindowRect(&outer, WS_OVERLAPPEDWINDOW, FALSE);
    HWND window = CreateWindowExW(0, L"RimbaDrumsTestHost", L"Test host", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0,
                                  outer.right - outer.left, outer.bottom - outer.top, nullptr, nullptr,
                                  GetModuleHandleW(nullptr), nullptr);
    pumpMessages();
    return window;
}

// Where the editor of `tracks` tracks shows a view at open, as the companion lays it out with the
// same code (`rimbadrums-tool.exe editor --layout`); hidden views are left out.
std::vector<ViewArea> shownViews(int tracks) {
    std::vector<ViewArea> areas;
    const std::string command =
        std::string("\"") + RIMBA_EDITOR_TOOL_PATH + "\" editor --layout --tracks " + std::to_string(tracks);
    FILE* pipe = _popen(command.c_str(), "r");
    if (pipe == nullptr)
        return areas;
    char line[256];
    while (std::fgets(line, sizeof line, pipe)) {
        long tag = 0;
        char name[64] = {};
        ViewArea a{};
        char hidden[16] = {};
        if (std::sscanf(line, "%ld %63s %d %d %d %d %15s", &tag, name, &a.left, &a.top, &a.right, &a.bottom, hidden) ==
            6)
            areas.push_back(a);
    }
    _pclose(pipe);
    return areas;
}

// GDI+ for the test's own reading of the artwork's PNG files, apart from the plug-in's.
class GdiplusSession {
public:
    GdiplusSession() {
        Gdiplus::GdiplusStartupInput input;
        started = Gdiplus::GdiplusStartup(&token, &input, nullptr) == Gdiplus::Ok;
    }
    ~GdiplusSession() {
        if (started)
            Gdiplus::GdiplusShutdown(token);
    }
    bool started = false;

private:
    ULONG_PTR token = 0;
};

// The share of the points of a 16 x 16 grid of the window that no view covers where the window
// shows the artwork generator's own PNG file (read by GDI+, not by the plug-in's code): what
// shows of the background between the controls.
double shareLikeArtwork(HWND window, const std::string& name, const std::vector<ViewArea>& covered) {
    const std::string path = std::string(RIMBA_ARTWORK_PNG_DIR) + "/" + name;
    const std::wstring widePath(path.begin(), path.end());
    Gdiplus::Bitmap artwork(widePath.c_str());
    if (artwork.GetLastStatus() != Gdiplus::Ok)
        return 0.0;
    const auto [windowWidth, windowHeight] = clientSize(window);
    const int width = std::min(static_cast<int>(artwork.GetWidth()), windowWidth);
    const int height = std::min(static_cast<int>(artwork.GetHeight()), windowHeight);
    HDC screen = GetDC(window);
    int alike = 0;
    int looked = 0;
    for (int i = 0; i < 16; ++i) {
        for (int j = 0; j < 16; ++j) {
            const int px = (2 * i + 1) * width / 32;
            const int py = (2 * j + 1) * height / 32;
            if (std::any_of(covered.begin(), covered.end(), [&](const ViewArea& a) {
                    return px >= a.left && px < a.right && py >= a.top && py < a.bottom;
                }))
                continue;
            ++looked;
            const COLORREF shown = GetPixel(screen, px, py);
            Gdiplus::Color colour;
            artwork.GetPixel(px, py, &colour);
            const std::uint32_t expected = colour.GetValue() & 0xffffffu;
            const std::uint32_t shownRgb =
                (std::uint32_t{GetRValue(shown)} << 16) | (std::uint32_t{GetGValue(shown)} << 8) | GetBValue(shown);
            if (shownRgb == expected)
                ++alike;
        }
    }
    ReleaseDC(window, screen);
    EXPECT_GE(looked, 32) << "too little of the background shows between the views to tell";
    return looked == 0 ? 0.0 : static_cast<double>(alike) / looked;
}

class WindowsEditorHost : public ::testing::Test {
protected:
    void SetUp() override {
        clearUserStore();
        ASSERT_TRUE(gdiplus.started);
        ASSERT_TRUE(library.loaded()) << library.loadError();
    }

    AEffect* createWithTracks(int tracks) {
        settings::SettingsStore store("RimbaDrums_64");
        store.writeText("Settings", "PluginName", "RimbaDrums_64");
        store.writeNumber("Settings", "ChannelNumber", static_cast<std::uint32_t>(tracks));
        AEffect* effect = library.create();
        if (effect)
            dispatch(effect, effOpen);
        return effect;
    }
    static ERect rectOf(AEffect* effect) {
        ERect* rect = nullptr;
        if (dispatch(effect, effEditGetRect, 0, 0, &rect) != 1 || rect == nullptr)
            return {};
        return *rect;
    }

    GdiplusSession gdiplus;
    PluginLibrary library{RIMBA_PLUGIN_PATH};
};

TEST_F(WindowsEditorHost, OpensTwentyTimesAtTheSizeOfTheTrackCountShowingItsBackgroundAndLeavesNothingBehind) {
    struct Case {
        int tracks;
        int height;
        const char* background;
        const char* other;
    };
    for (const Case c : {Case{12, 850, "BackgroundLarge.png", "Background.png"},
                         Case{8, 642, "Background.png", "BackgroundLarge.png"}}) {
        SCOPED_TRACE(std::to_string(c.tracks) + " tracks");
        AEffect* effect = createWithTracks(c.tracks);
        ASSERT_NE(effect, nullptr);
        ASSERT_NE(effect->flags & effFlagsHasEditor, 0);
        const ERect rect = rectOf(effect);
        EXPECT_EQ((std::vector<int>{rect.top, rect.left, rect.bottom, rect.right}),
                  (std::vector<int>{0, 0, c.height, 1005}));
        const std::vector<ViewArea> views = shownViews(c.tracks);
        ASSERT_GT(views.size(), 200u) << "no layout from " << RIMBA_EDITOR_TOOL_PATH;

        HWND window = makeHostWindow(rect.right - rect.left, rect.bottom - rect.top);
        ASSERT_NE(window, nullptr);
        const std::size_t windowsBefore = windowsOfThisThread().size();
        DWORD gdiAfterSecond = 0;
        DWORD userAfterSecond = 0;
        for (int opening = 1; opening <= 20; ++opening) {
            SCOPED_TRACE("opening " + std::to_string(opening));
            ASSERT_EQ(dispatch(effect, effEditOpen, 0, 0, window), 1);
            const std::vector<HWND> children = childrenOf(window);
            ASSERT_EQ(children.size(), 1u);
            EXPECT_EQ(clientSize(children[0]), (std::pair<int, int>{1005, c.height}));
            if (opening == 1 || opening == 20) {
                ASSERT_TRUE(idleUntil(
                    effect, [&] { return shareLikeArtwork(children[0], c.background, views) > 0.7; }, 300))
                    << "share like " << c.background << ": " << shareLikeArtwork(children[0], c.background, views);
                EXPECT_GT(shareLikeArtwork(children[0], c.background, views),
                          shareLikeArtwork(children[0], c.other, views) + 0.1);
            } else {
                idleUntil(
                    effect, [] { return false; }, 3);
            }
            dispatch(effect, effEditClose);
            pumpMessages();
            EXPECT_TRUE(childrenOf(window).empty());
            EXPECT_EQ(windowsOfThisThread().size(), windowsBefore);
            // Windows counts each process's GDI and USER objects; Wine answers 0 (its
            // GetGuiResources is a stub), so there the windows counted above carry the check.
            const DWORD gdi = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
            const DWORD user = GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS);
            if (opening == 2) {
                gdiAfterSecond = gdi;
                userAfterSecond = user;
            } else if (opening > 2) {
                EXPECT_LE(gdi, gdiAfterSecond);
                EXPECT_LE(user, userAfterSecond);
            }
        }
        DestroyWindow(window);
        pumpMessages();
        dispatch(effect, effClose);
    }
}

}  // namespace
}  // namespace rimba::test
