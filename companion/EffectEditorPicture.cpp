// `effect PLUGIN --editor-screenshot F.png`: a plug-in's editor window as a musician sees it.
// The plug-in goes into send 1 of an instrument that keeps no settings, its window opens over a
// stand-in for the instrument's editor exactly as the slot label opens it, gets the instrument
// editor's 20-ms idle for a while so the plug-in draws, and the whole window, program bar
// included, is read back from the screen. Needs an X display (DISPLAY); Xvfb will do.

// CLI11 first: Xlib's macros (Success, None) would rewrite its names.
#include "companion/Commands.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <memory>
#include <string>
#include <thread>

#include "plugin/core/VornDrums.h"
#include "plugin/editor/PluginEditorWindows.h"
#include "plugin/editor/PluginProgramBar.h"
#include "plugin/editor/toolkit/DrawContext.h"

namespace rimba::tool {
namespace {

constexpr int kOwnerWidth = 640;
constexpr int kOwnerHeight = 200;
constexpr auto kIdlePeriod = std::chrono::milliseconds(20);

struct DisplayCloser {
    void operator()(Display* display) const { XCloseDisplay(display); }
};
using DisplayConnection = std::unique_ptr<Display, DisplayCloser>;

// The stand-in for the instrument's editor: a plain top-level window low on the screen, so the
// plug-in's window, which opens centred just above it, has room.
Window openOwnerWindow(Display* display) {
    const int screen = DefaultScreen(display);
    const int left = std::max((DisplayWidth(display, screen) - kOwnerWidth) / 2, 0);
    const int top = std::max(DisplayHeight(display, screen) - kOwnerHeight - 40, 0);
    const Window owner = XCreateSimpleWindow(display, DefaultRootWindow(display), left, top, kOwnerWidth, kOwnerHeight,
                                             0, 0, BlackPixel(display, screen));
    XMapWindow(display, owner);
    XSync(display, False);
    return owner;
}

struct ScreenArea {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
};

// The part of `window` on the screen, in screen coordinates.
ScreenArea visibleAreaOf(Display* display, Window window) {
    XWindowAttributes attributes{};
    if (!XGetWindowAttributes(display, window, &attributes))
        return {};
    int left = 0;
    int top = 0;
    Window child = 0;
    XTranslateCoordinates(display, window, DefaultRootWindow(display), 0, 0, &left, &top, &child);
    const int screen = DefaultScreen(display);
    const int right = std::min(left + attributes.width, DisplayWidth(display, screen));
    const int bottom = std::min(top + attributes.height, DisplayHeight(display, screen));
    left = std::max(left, 0);
    top = std::max(top, 0);
    return {left, top, std::max(right - left, 0), std::max(bottom - top, 0)};
}

// What the screen shows there, the plug-in's own windows inside ours included.
bool writeScreenArea(Display* display, const ScreenArea& area, const std::string& path) {
    if (area.width == 0 || area.height == 0)
        return false;
    XImage* image =
        XGetImage(display, DefaultRootWindow(display), area.left, area.top, static_cast<unsigned>(area.width),
                  static_cast<unsigned>(area.height), AllPlanes, ZPixmap);
    if (image == nullptr)
        return false;
    toolkit::COffscreen picture(area.width, area.height);
    for (int y = 0; y < area.height; ++y) {
        std::uint32_t* row = picture.pixels() + static_cast<std::ptrdiff_t>(y) * area.width;
        for (int x = 0; x < area.width; ++x)
            row[x] = static_cast<std::uint32_t>(XGetPixel(image, x, y) & 0xffffff);
    }
    XDestroyImage(image);
    return picture.writePng(path);
}

}  // namespace

int writeEffectEditorPicture(const std::string& library, const std::string& path, int idleMilliseconds) {
    DisplayConnection display(XOpenDisplay(nullptr));
    if (!display)
        return fail("the X display", "cannot be opened (is DISPLAY set?)");

    VornDrums drums(versionOnlyHost, [](InstrumentSettings&, bool) { return false; });
    if (const Result<> loaded = drums.selectEffect(0, library); !loaded) {
        std::printf("refused: %s\n", loaded.reason().c_str());
        return 1;
    }
    CPlugin& plugin = *drums.slotPlugin(0);
    if ((plugin.aeffect()->flags & effFlagsHasEditor) == 0)
        return fail(library, "the plug-in has no editor");

    const Window owner = openOwnerWindow(display.get());
    PluginEditorWindows windows;
    if (!windows.toggle(plugin, owner))
        return fail(library, "its editor window could not be opened");
    for (int waited = 0; waited < idleMilliseconds; waited += static_cast<int>(kIdlePeriod.count())) {
        windows.idle();
        std::this_thread::sleep_for(kIdlePeriod);
    }
    windows.idle();

    const CPluginEditor& editor = *windows.editorOf(plugin);
    XSync(display.get(), False);
    const ScreenArea area = visibleAreaOf(display.get(), editor.window());
    ERect* rect = nullptr;
    plugin.dispatch(effEditGetRect, 0, 0, &rect);
    if (rect != nullptr)
        std::printf("editor: %d x %d\n", rect->right - rect->left, rect->bottom - rect->top);
    std::printf("window: %d x %d\n", area.width, area.height);
    std::printf("program: %s\n", editor.bar().shownName().c_str());
    const bool written = writeScreenArea(display.get(), area, path);
    windows.closeAll();
    XDestroyWindow(display.get(), owner);
    if (!written)
        return fail(path, "cannot be written");
    return 0;
}

}  // namespace rimba::tool
