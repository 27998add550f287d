// The main window on X11. Without a window manager (a test's Xvfb) the window is the client area
// and nothing else, so centring uses the client size; with one, the position is given as a
// program-specified position so that the manager keeps it.

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <poll.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

#include "StandAlone/MainWindow.h"
#include "StandAlone/ProgramIcon.h"

namespace rimba::standalone {

namespace {

// Before the editor tells its size; never seen, since the window stays hidden until then.
constexpr int kDefaultWidth = 640;
constexpr int kDefaultHeight = 480;

// _NET_WM_ICON: width, height, then the pixels as ARGB, each in a long (Xlib's format 32).
void setIcon(Display* display, Window window) {
    const auto pixels = drawProgramIcon();
    std::vector<unsigned long> property;
    property.reserve(2 + pixels.size());
    property.push_back(kProgramIconSide);
    property.push_back(kProgramIconSide);
    property.insert(property.end(), pixels.begin(), pixels.end());
    XChangeProperty(display, window, XInternAtom(display, "_NET_WM_ICON", False), XA_CARDINAL, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(property.data()), static_cast<int>(property.size()));
}

// The editor talks to the server over a connection of its own; an error on ours (a window the
// editor already destroyed) is reported and survived rather than ending the program.
int reportError(Display* display, XErrorEvent* error) {
    char text[256] = {};
    XGetErrorText(display, error->error_code, text, sizeof text);
    std::fprintf(stderr, "RimbaDrums: X error ignored: %s (request %d)\n", text, error->request_code);
    return 0;
}

// Xlib's I/O error handler serves every connection of the process, the editor's included, and
// runs before the connection's own exit handler, which decides whether the process ends: ours
// and the editor's return, so the program closes as after a window close, its plug-in saving.
int reportLostServer(Display*) {
    static bool reported = false;
    if (!reported)
        std::fprintf(stderr, "RimbaDrums: the connection to the X server was lost; closing\n");
    reported = true;
    return 0;
}

class X11MainWindow final : public MainWindow {
public:
    X11MainWindow(Display* connection, const std::string& title, const std::string& className) : display(connection) {
        const int screen = DefaultScreen(display);
        window = XCreateSimpleWindow(display, RootWindow(display, screen), 0, 0, kDefaultWidth, kDefaultHeight, 0,
                                     BlackPixel(display, screen), WhitePixel(display, screen));
        XStoreName(display, window, title.c_str());
        XClassHint hint{};
        std::string name = "RimbaDrums";
        std::string classText = className;
        hint.res_name = name.data();
        hint.res_class = classText.data();
        XSetClassHint(display, window, &hint);
        setIcon(display, window);
        deleteRequest = XInternAtom(display, "WM_DELETE_WINDOW", False);
        XSetWMProtocols(display, window, &deleteRequest, 1);
        XSelectInput(display, window, StructureNotifyMask);
        XSetIOErrorExitHandler(display, &X11MainWindow::noteLostConnection, this);
    }

    ~X11MainWindow() override {
        // After a lost connection both calls only free what Xlib holds here.
        if (!destroyed)
            XDestroyWindow(display, window);
        XCloseDisplay(display);
    }

    void* nativeHandle() const override { return reinterpret_cast<void*>(window); }

    void placeCentred(int width, int height) override {
        const int screen = DefaultScreen(display);
        const int x = (DisplayWidth(display, screen) - width) / 2;
        const int y = (DisplayHeight(display, screen) - height) / 2;
        XSizeHints* hints = XAllocSizeHints();
        if (hints != nullptr) {
            hints->flags = PPosition | PSize;
            hints->x = x;
            hints->y = y;
            hints->width = width;
            hints->height = height;
            XSetWMNormalHints(display, window, hints);
            XFree(hints);
        }
        XMoveResizeWindow(display, window, x, y, static_cast<unsigned>(width), static_cast<unsigned>(height));
        XFlush(display);
    }

    void show() override {
        XMapRaised(display, window);
        XFlush(display);
    }

    void run(int periodMilliseconds, int closeRequest, const std::function<void()>& tick) override {
        using Clock = std::chrono::steady_clock;
        const auto period = std::chrono::milliseconds(periodMilliseconds);
        auto due = Clock::now() + period;
        while (!destroyed && !lost) {
            handlePendingEvents();
            if (destroyed || lost)
                break;
            const auto now = Clock::now();
            if (now >= due) {
                tick();
                // A late tick is not repeated to catch up: the next one is a period from now.
                due = std::max(due + period, Clock::now());
                continue;
            }
            if (waitForEvents(std::chrono::duration_cast<std::chrono::milliseconds>(due - now).count() + 1,
                              closeRequest))
                destroyOnRequest();
        }
    }

private:
    static void noteLostConnection(Display*, void* self) { static_cast<X11MainWindow*>(self)->lost = true; }

    void handlePendingEvents() {
        while (!lost && XPending(display) > 0) {
            XEvent event{};
            XNextEvent(display, &event);
            if (event.type == ClientMessage && event.xclient.window == window &&
                static_cast<Atom>(event.xclient.data.l[0]) == deleteRequest) {
                // What a close request does to any window: it is destroyed, and its destruction
                // ends the loop.
                XDestroyWindow(display, window);
                XFlush(display);
            } else if (event.type == DestroyNotify && event.xdestroywindow.window == window) {
                destroyed = true;
            }
        }
    }

    // Whether `closeRequest` turned readable meanwhile.
    bool waitForEvents(long milliseconds, int closeRequest) {
        pollfd watched[2] = {{ConnectionNumber(display), POLLIN, 0}, {closeRequest, POLLIN, 0}};
        const int count = closeRequest >= 0 ? 2 : 1;
        if (poll(watched, count, static_cast<int>(std::clamp(milliseconds, 0L, 1000L))) <= 0)
            return false;
        return count == 2 && (watched[1].revents & POLLIN) != 0;
    }

    // What the close button does, asked from outside the window system.
    void destroyOnRequest() {
        XDestroyWindow(display, window);
        XFlush(display);
        destroyed = true;
    }

    Display* display;
    Window window = 0;
    Atom deleteRequest = 0;
    bool destroyed = false;
    bool lost = false;
};

}  // namespace

std::unique_ptr<MainWindow> createMainWindow(const std::string& title, const std::string& className, std::string& why) {
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) {
        why = "cannot open the X display (is DISPLAY set?)";
        return nullptr;
    }
    XSetErrorHandler(reportError);
    XSetIOErrorHandler(reportLostServer);
    return std::make_unique<X11MainWindow>(display, title, className);
}

}  // namespace rimba::standalone
