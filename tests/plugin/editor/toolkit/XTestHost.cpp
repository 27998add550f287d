#include "tests/plugin/editor/toolkit/XTestHost.h"

#include <chrono>
#include <filesystem>
#include <iterator>
#include <thread>

namespace rimba::test {

std::size_t XTestHost::openDescriptorCount() {
    return static_cast<std::size_t>(
        std::distance(std::filesystem::directory_iterator("/proc/self/fd"), std::filesystem::directory_iterator{}));
}

bool XTestHost::idleUntil(const std::function<void()>& idle, const std::function<bool()>& done, int rounds) {
    for (int i = 0; i < rounds; ++i) {
        idle();
        if (done())
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return false;
}

void XTestHost::sendButton(Window window, int type, unsigned button, int x, int y, unsigned state, unsigned long time) {
    XEvent event{};
    event.xbutton.type = type;
    event.xbutton.display = display;
    event.xbutton.window = window;
    event.xbutton.root = DefaultRootWindow(display);
    event.xbutton.x = x;
    event.xbutton.y = y;
    event.xbutton.button = button;
    event.xbutton.state = state;
    event.xbutton.time = time;
    event.xbutton.same_screen = True;
    XSendEvent(display, window, False, type == ButtonPress ? ButtonPressMask : ButtonReleaseMask, &event);
    XSync(display, False);
}

void XTestHost::sendMotion(Window window, int x, int y, unsigned state) {
    XEvent event{};
    event.xmotion.type = MotionNotify;
    event.xmotion.display = display;
    event.xmotion.window = window;
    event.xmotion.root = DefaultRootWindow(display);
    event.xmotion.x = x;
    event.xmotion.y = y;
    event.xmotion.state = state;
    event.xmotion.same_screen = True;
    XSendEvent(display, window, False, PointerMotionMask, &event);
    XSync(display, False);
}

void XTestHost::sendKey(Window window, KeySym symbol, unsigned state) {
    XEvent event{};
    event.xkey.type = KeyPress;
    event.xkey.display = display;
    event.xkey.window = window;
    event.xkey.root = DefaultRootWindow(display);
    event.xkey.keycode = XKeysymToKeycode(display, symbol);
    event.xkey.state = state;
    event.xkey.same_screen = True;
    XSendEvent(display, window, False, KeyPressMask, &event);
    XSync(display, False);
}

}  // namespace rimba::test
