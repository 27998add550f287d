#include "plugin/editor/toolkit/DialogWindow.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <poll.h>

#include <bit>
#include <string>

namespace rimba::toolkit {

namespace {

constexpr long kDialogEvents = ExposureMask | ButtonPressMask | ButtonReleaseMask | PointerMotionMask | KeyPressMask |
                               StructureNotifyMask | LeaveWindowMask | FocusChangeMask;

Window topLevelOf(Display* display, Window window) {
    Window current = window;
    for (int depth = 0; depth < 64 && current != 0; ++depth) {
        Window root = 0;
        Window parent = 0;
        Window* children = nullptr;
        unsigned count = 0;
        if (XQueryTree(display, current, &root, &parent, &children, &count) == 0) {
            return current;
        }
        if (children != nullptr) {
            XFree(children);
        }
        if (parent == root || parent == 0) {
            return current;
        }
        current = parent;
    }
    return current;
}

}  // namespace

DialogWindow::DialogWindow(Display* connection, DialogWindowKind kind, CRect frameRect, XWindowId owner,
                           const std::string& title)
    : display(connection), place(frameRect), picture(frameRect.width(), frameRect.height()) {
    const int screen = DefaultScreen(display);
    XSetWindowAttributes attributes{};
    attributes.override_redirect = kind == DialogWindowKind::popup ? True : False;
    attributes.background_pixel = WhitePixel(display, screen);
    attributes.event_mask = kDialogEvents;
    attributes.save_under = kind == DialogWindowKind::popup ? True : False;
    window =
        XCreateWindow(display, RootWindow(display, screen), place.left, place.top, static_cast<unsigned>(place.width()),
                      static_cast<unsigned>(place.height()), 0, CopyFromParent, InputOutput, CopyFromParent,
                      CWOverrideRedirect | CWBackPixel | CWEventMask | CWSaveUnder, &attributes);
    if (kind == DialogWindowKind::dialog) {
        XStoreName(display, window, title.c_str());
        if (owner != 0) {
            XSetTransientForHint(display, window, topLevelOf(display, owner));
        }
        // A window manager must not place or size the dialog elsewhere than over the editor.
        XSizeHints hints{};
        hints.flags = PPosition | PSize | PMinSize | PMaxSize;
        hints.x = place.left;
        hints.y = place.top;
        hints.width = hints.min_width = hints.max_width = place.width();
        hints.height = hints.min_height = hints.max_height = place.height();
        XSetWMNormalHints(display, window, &hints);
    }
    copyContext = XCreateGC(display, window, 0, nullptr);
    XMapRaised(display, window);
    XFlush(display);
}

DialogWindow::~DialogWindow() {
    XFreeGC(display, static_cast<GC>(copyContext));
    XDestroyWindow(display, window);
    XFlush(display);
}

std::unique_ptr<CDrawContext> DialogWindow::beginDrawing() {
    std::unique_ptr<CDrawContext> context = picture.beginDrawing();
    selectDialogFont(*context);
    return context;
}

void DialogWindow::endDrawing(std::unique_ptr<CDrawContext> context) {
    context.reset();
    copyToWindow();
}

void DialogWindow::copyToWindow() {
    const int screen = DefaultScreen(display);
    Visual* visual = DefaultVisual(display, screen);
    // The picture's pixels are 32-bit words in this machine's byte order, which is what a 24-bit
    // TrueColor visual takes (the frame needs the same visual); Xlib swaps them for a server of
    // the other order.
    XImage* image = XCreateImage(display, visual, static_cast<unsigned>(DefaultDepth(display, screen)), ZPixmap, 0,
                                 reinterpret_cast<char*>(picture.pixels()), static_cast<unsigned>(place.width()),
                                 static_cast<unsigned>(place.height()), 32, picture.stride());
    if (image == nullptr) {
        return;
    }
    image->byte_order = std::endian::native == std::endian::little ? LSBFirst : MSBFirst;
    XPutImage(display, window, static_cast<GC>(copyContext), image, 0, 0, 0, 0, static_cast<unsigned>(place.width()),
              static_cast<unsigned>(place.height()));
    // The pixels are the picture's: XDestroyImage would free them.
    image->data = nullptr;
    XDestroyImage(image);
    XFlush(display);
}

void DialogWindow::waitUntilMapped() {
    XWindowAttributes state{};
    // Bounded (about a second): an unmappable window must not hang the editor.
    for (int attempt = 0; attempt < 200; ++attempt) {
        XSync(display, False);
        if (XGetWindowAttributes(display, window, &state) != 0 && state.map_state == IsViewable) {
            return;
        }
        pollfd connection{ConnectionNumber(display), POLLIN, 0};
        poll(&connection, 1, 5);
    }
}

void DialogWindow::takeKeyboardFocus() {
    XSetInputFocus(display, window, RevertToParent, CurrentTime);
    XFlush(display);
}

CRect screenRect(Display* display) {
    const int screen = DefaultScreen(display);
    return {0, 0, DisplayWidth(display, screen), DisplayHeight(display, screen)};
}

CRect windowScreenRect(Display* display, XWindowId window) {
    XWindowAttributes attributes{};
    if (window == 0 || XGetWindowAttributes(display, window, &attributes) == 0) {
        return {};
    }
    int x = 0;
    int y = 0;
    Window child = 0;
    XTranslateCoordinates(display, window, DefaultRootWindow(display), 0, 0, &x, &y, &child);
    return rectOfSize(x, y, attributes.width, attributes.height);
}

}  // namespace rimba::toolkit
