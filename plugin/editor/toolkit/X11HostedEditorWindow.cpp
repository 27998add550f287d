// The tool window of a hosted plug-in's editor on X11: a top-level window on a display
// connection of its own, transient for the owner's top-level window and typed as a utility
// window, so that a window manager keeps it above the owner. The X11 headers come first: the
// toolkit's headers then take back the names Xlib's macros would shadow.

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <algorithm>
#include <array>
#include <cstring>

#include "plugin/editor/toolkit/HostedEditorWindow.h"
#include "plugin/editor/toolkit/X11ConnectionLoss.h"
#include "plugin/editor/toolkit/X11ErrorTrap.h"

namespace rimba::toolkit {

namespace {

Window parentOf(Display* display, Window window) {
    Window root = 0;
    Window parent = 0;
    Window* children = nullptr;
    unsigned count = 0;
    if (!XQueryTree(display, window, &root, &parent, &children, &count))
        return 0;
    if (children != nullptr)
        XFree(children);
    return parent == root ? 0 : parent;
}

bool hasProperty(Display* display, Window window, Atom property) {
    Atom type = None;
    int format = 0;
    unsigned long items = 0;
    unsigned long after = 0;
    unsigned char* data = nullptr;
    const bool found = XGetWindowProperty(display, window, property, 0, 0, False, AnyPropertyType, &type, &format,
                                          &items, &after, &data) == Success &&
                       type != None;
    if (data != nullptr)
        XFree(data);
    return found;
}

// The owner's top-level window as the user sees it (a window manager's frame included) for the
// placement, and the client window a window manager knows (the one with WM_STATE) for the
// transient hint. Without a window manager both are the root's child.
struct OwnerWindows {
    Window outer = 0;
    Window client = 0;
};

OwnerWindows ownerWindowsOf(Display* display, Window owner) {
    const Atom wmState = XInternAtom(display, "WM_STATE", False);
    OwnerWindows found;
    for (Window window = owner; window != 0; window = parentOf(display, window)) {
        found.outer = window;
        if (found.client == 0 && hasProperty(display, window, wmState))
            found.client = window;
    }
    if (found.client == 0)
        found.client = found.outer;
    return found;
}

CRect screenRectOf(Display* display, Window window) {
    XWindowAttributes attributes{};
    if (!XGetWindowAttributes(display, window, &attributes))
        return {};
    int x = 0;
    int y = 0;
    Window child = 0;
    XTranslateCoordinates(display, window, DefaultRootWindow(display), 0, 0, &x, &y, &child);
    // The border lies outside the window's own origin.
    x -= attributes.border_width;
    y -= attributes.border_width;
    return {x, y, x + attributes.width + 2 * attributes.border_width,
            y + attributes.height + 2 * attributes.border_width};
}

// What a window manager added around the window: left, right, top, bottom; zeros without one.
std::array<long, 4> frameExtentsOf(Display* display, Window window) {
    std::array<long, 4> extents{};
    Atom type = None;
    int format = 0;
    unsigned long items = 0;
    unsigned long after = 0;
    unsigned char* data = nullptr;
    const Atom property = XInternAtom(display, "_NET_FRAME_EXTENTS", False);
    if (XGetWindowProperty(display, window, property, 0, 4, False, XA_CARDINAL, &type, &format, &items, &after,
                           &data) == Success &&
        type == XA_CARDINAL && format == 32 && items == 4)
        std::memcpy(extents.data(), data, sizeof extents);
    if (data != nullptr)
        XFree(data);
    return extents;
}

void setTitle(Display* display, Window window, const std::string& title) {
    XStoreName(display, window, title.c_str());
    XChangeProperty(display, window, XInternAtom(display, "_NET_WM_NAME", False),
                    XInternAtom(display, "UTF8_STRING", False), 8, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(title.data()), static_cast<int>(title.size()));
}

// A window of fixed size, where we put it: the user cannot resize the plug-in's editor; only
// the plug-in itself can (audioMasterSizeWindow).
void setFixedSize(Display* display, Window window, const CRect& place) {
    XSizeHints* size = XAllocSizeHints();
    if (size == nullptr)
        return;
    size->flags = USPosition | USSize | PMinSize | PMaxSize | PWinGravity;
    size->x = place.left;
    size->y = place.top;
    size->width = size->min_width = size->max_width = place.width();
    size->height = size->min_height = size->max_height = place.height();
    size->win_gravity = NorthWestGravity;
    XSetWMNormalHints(display, window, size);
    XFree(size);
}

void setToolWindowHints(Display* display, Window window, Window ownerClient, const CRect& place,
                        const std::string& className) {
    XSetTransientForHint(display, window, ownerClient);
    const Atom utility = XInternAtom(display, "_NET_WM_WINDOW_TYPE_UTILITY", False);
    XChangeProperty(display, window, XInternAtom(display, "_NET_WM_WINDOW_TYPE", False), XA_ATOM, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(&utility), 1);
    setFixedSize(display, window, place);
    XClassHint classHint{const_cast<char*>(className.c_str()), const_cast<char*>("RimbaDrums")};
    XSetClassHint(display, window, &classHint);
}

unsigned long greyPixel(Display* display, int screen, double shade) {
    XColor grey{};
    grey.red = grey.green = grey.blue = static_cast<unsigned short>(shade * 65535.0 + 0.5);
    grey.flags = DoRed | DoGreen | DoBlue;
    return XAllocColor(display, DefaultColormap(display, screen), &grey) != 0 ? grey.pixel
                                                                              : BlackPixel(display, screen);
}

class X11HostedEditorWindow final : public HostedEditorWindow {
public:
    X11HostedEditorWindow(Display* display, int stripHeight, int minimumWidth)
        : display(display), stripHeight(stripHeight), minimumWidth(minimumWidth) {}

    ~X11HostedEditorWindow() override {
        {
            // A plug-in may have left windows of its own inside ours, or a host destroyed the
            // owner around it: a refused destroy must not end the host.
            ErrorTrap trap(display);
            if (top != 0)
                XDestroyWindow(display, top);
            trap.failed();
        }
        XCloseDisplay(display);
    }

    bool create(const HostedEditorWindowRequest& request) {
        // Nothing here waits on the connection: a lost one only has to keep the process alive.
        surviveConnectionLoss(display, nullptr);
        const int screen = DefaultScreen(display);
        OwnerWindows ownerWindows;
        CRect ownerRect;
        {
            ErrorTrap trap(display);
            ownerWindows = ownerWindowsOf(display, static_cast<Window>(request.owner));
            ownerRect = screenRectOf(display, ownerWindows.outer);
            if (trap.failed() || ownerWindows.outer == 0)
                return false;
        }
        const int width = std::max(request.editorWidth, minimumWidth);
        const int height = request.editorHeight + stripHeight;
        const CRect place = request.place(ownerRect, width, height);

        XSetWindowAttributes attributes{};
        // The window's own ground shows beside the strip once a plug-in widens its editor, and
        // beside or under an editor narrower than the strip.
        attributes.background_pixel = greyPixel(display, screen, request.groundShade);
        attributes.event_mask = StructureNotifyMask;
        top = XCreateWindow(display, DefaultRootWindow(display), place.left, place.top, static_cast<unsigned>(width),
                            static_cast<unsigned>(height), 0, CopyFromParent, InputOutput, CopyFromParent,
                            CWBackPixel | CWEventMask, &attributes);
        protocols = XInternAtom(display, "WM_PROTOCOLS", False);
        deleteWindow = XInternAtom(display, "WM_DELETE_WINDOW", False);
        XSetWMProtocols(display, top, &deleteWindow, 1);
        setToolWindowHints(display, top, ownerWindows.client, place, request.className);
        setTitle(display, top, request.title);
        // A plug-in that tells its size only once open gets a window of 1 pixel, resized later.
        child = XCreateSimpleWindow(
            display, top, 0, stripHeight, static_cast<unsigned>(std::max(request.editorWidth, 1)),
            static_cast<unsigned>(std::max(request.editorHeight, 1)), 0, 0, WhitePixel(display, screen));
        XMapWindow(display, child);
        // The plug-in and the strip's frame reach these windows through connections of their own.
        XSync(display, False);
        return true;
    }

    std::uintptr_t window() const override { return top; }
    std::uintptr_t editorParent() const override { return child; }
    // The strip's frame makes its own child window along the top.
    std::uintptr_t stripParent() const override { return top; }

    void show() override {
        XMapRaised(display, top);
        XSync(display, False);
    }

    void followEditorSize(int width, int height) override {
        if (width <= 0 || height <= 0)
            return;
        ErrorTrap trap(display);
        const CRect client = screenRectOf(display, top);
        const int windowWidth = std::max(width, minimumWidth);
        // The window keeps its top left corner; the hints first, or a window manager holds it to
        // the old size.
        setFixedSize(display, top,
                     {client.left, client.top, client.left + windowWidth, client.top + height + stripHeight});
        XResizeWindow(display, child, static_cast<unsigned>(width), static_cast<unsigned>(height));
        XResizeWindow(display, top, static_cast<unsigned>(windowWidth), static_cast<unsigned>(height + stripHeight));
        XSync(display, False);
        trap.failed();
    }

    std::optional<CRect> outerRect() const override {
        ErrorTrap trap(display);
        const CRect client = screenRectOf(display, top);
        const std::array<long, 4> frame = frameExtentsOf(display, top);
        if (trap.failed() || client.isEmpty())
            return std::nullopt;
        return CRect{client.left - static_cast<int>(frame[0]), client.top - static_cast<int>(frame[2]),
                     client.right + static_cast<int>(frame[1]), client.bottom + static_cast<int>(frame[3])};
    }

    bool pumpEvents() override {
        bool closeAsked = false;
        while (XPending(display) > 0) {
            XEvent event;
            XNextEvent(display, &event);
            if (event.type == ClientMessage && event.xclient.message_type == protocols &&
                static_cast<Atom>(event.xclient.data.l[0]) == deleteWindow)
                closeAsked = true;
        }
        return closeAsked;
    }

private:
    Display* display;
    int stripHeight;
    int minimumWidth;
    Window top = 0;
    Window child = 0;
    Atom deleteWindow = None;
    Atom protocols = None;
};

}  // namespace

std::unique_ptr<HostedEditorWindow> openHostedEditorWindow(const HostedEditorWindowRequest& request) {
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr)
        return nullptr;
    auto window = std::make_unique<X11HostedEditorWindow>(display, request.stripHeight, request.minimumWidth);
    if (!window->create(request))
        return nullptr;
    return window;
}

}  // namespace rimba::toolkit
