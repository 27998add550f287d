#pragma once
// Xlib's error handler belongs to the whole process (and so to the host). It is replaced only
// around the few requests that can fail for reasons outside our control (a host's window id that
// is no window, a focus request on a window being unmapped, a message to another program's window
// that has just gone) and restored at once, after a round trip has delivered any error those
// requests caused. The X11 half of the toolkit only; include the X11 headers before this one.

#include <X11/Xlib.h>

namespace rimba::toolkit {

class ErrorTrap {
public:
    explicit ErrorTrap(Display* display) : display(display) {
        caught = false;
        previous = XSetErrorHandler(&ErrorTrap::handler);
    }
    ~ErrorTrap() { XSetErrorHandler(previous); }
    ErrorTrap(const ErrorTrap&) = delete;
    ErrorTrap& operator=(const ErrorTrap&) = delete;
    // True when any request sent since the trap was set failed.
    bool failed() {
        XSync(display, False);
        return caught;
    }

private:
    static int handler(Display*, XErrorEvent*) {
        caught = true;
        return 0;
    }
    static inline bool caught = false;
    Display* display;
    int (*previous)(Display*, XErrorEvent*);
};

}  // namespace rimba::toolkit
