#pragma once
// The test's own connection to the X server: a host window to open frames and editors in,
// pixels read back from the server, child windows listed, and events sent as the server would.

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

namespace rimba::test {

class XTestHost {
public:
    XTestHost() : display(XOpenDisplay(nullptr)) {}
    ~XTestHost() {
        if (display)
            XCloseDisplay(display);
    }
    XTestHost(const XTestHost&) = delete;
    XTestHost& operator=(const XTestHost&) = delete;

    bool connected() const { return display != nullptr; }

    // A mapped top-level window, as a host makes for a plug-in's editor.
    Window makeWindow(int x, int y, int width, int height) {
        Window window =
            XCreateSimpleWindow(display, DefaultRootWindow(display), x, y, static_cast<unsigned>(width),
                                static_cast<unsigned>(height), 0, 0, WhitePixel(display, DefaultScreen(display)));
        XMapWindow(display, window);
        XSync(display, False);
        return window;
    }

    std::vector<Window> children(Window parent) {
        XSync(display, False);
        Window root = 0, up = 0, *list = nullptr;
        unsigned count = 0;
        std::vector<Window> result;
        if (XQueryTree(display, parent, &root, &up, &list, &count))
            result.assign(list, list + count);
        if (list)
            XFree(list);
        return result;
    }

    // Width and height of a window as the server has it.
    std::pair<int, int> sizeOf(Window window) {
        XWindowAttributes attributes{};
        XGetWindowAttributes(display, window, &attributes);
        return {attributes.width, attributes.height};
    }

    // 0xRRGGBB of one pixel of a window's contents.
    std::uint32_t pixel(Window window, int x, int y) {
        XImage* image = XGetImage(display, window, x, y, 1, 1, AllPlanes, ZPixmap);
        if (!image)
            return 0xdeadbeef;
        const auto value = static_cast<std::uint32_t>(XGetPixel(image, 0, 0)) & 0xffffff;
        XDestroyImage(image);
        return value;
    }

    // Calls `idle` until `done` holds, at most `rounds` times (with a short pause between, as a
    // host's timer would); true when it held.
    static bool idleUntil(const std::function<void()>& idle, const std::function<bool()>& done, int rounds = 200);

    // The process's open file descriptors: each display connection is a socket, so one left open
    // shows as a descriptor more.
    static std::size_t openDescriptorCount();

    void sendButton(Window window, int type, unsigned button, int x, int y, unsigned state, unsigned long time);
    void sendMotion(Window window, int x, int y, unsigned state);
    // A key as the server sends it; `state` holds the modifiers down (ShiftMask, ControlMask).
    void sendKey(Window window, KeySym symbol, unsigned state = 0);

    Display* display;
};

}  // namespace rimba::test
