// The frame's X11 half: a child window of the host's window on a display connection of its own,
// an XImage over the frame's cairo surface for the blit, font cursors, and the event pump.
// The X11 headers come first: the toolkit's headers then take back the name CursorShape.

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/cursorfont.h>
#include <X11/keysym.h>
#include <poll.h>

#include <array>
#include <bit>
#include <cstdint>

#include "plugin/editor/toolkit/FrameWindow.h"
#include "plugin/editor/toolkit/KeyCodes.h"
#include "plugin/editor/toolkit/X11ConnectionLoss.h"
#include "plugin/editor/toolkit/X11ErrorTrap.h"
#include "plugin/editor/toolkit/Xdnd.h"

namespace rimba::toolkit {

namespace {

// The views get X11's keysyms as they are: the toolkit's key codes are those numbers.
static_assert(keys::kReturn == XK_Return && keys::kKeypadEnter == XK_KP_Enter && keys::kEscape == XK_Escape);
static_assert(keys::kBackSpace == XK_BackSpace && keys::kDelete == XK_Delete && keys::kKeypadDelete == XK_KP_Delete);
static_assert(keys::kLeft == XK_Left && keys::kRight == XK_Right && keys::kUp == XK_Up && keys::kDown == XK_Down);
static_assert(keys::kHome == XK_Home && keys::kEnd == XK_End && keys::kKeypadHome == XK_KP_Home &&
              keys::kKeypadEnd == XK_KP_End && keys::kKeypadLeft == XK_KP_Left && keys::kKeypadRight == XK_KP_Right);
static_assert(keys::kTab == XK_Tab && keys::kPageUp == XK_Page_Up && keys::kPageDown == XK_Page_Down &&
              keys::kInsert == XK_Insert && keys::kSpace == XK_space && keys::kKeypadUp == XK_KP_Up &&
              keys::kKeypadDown == XK_KP_Down);

unsigned modifiersOf(unsigned state) {
    unsigned result = 0;
    if (state & ShiftMask)
        result |= kShift;
    if (state & ControlMask)
        result |= kControl;
    if (state & Mod1Mask)
        result |= kAlt;
    return result;
}

// A letter typed with Control, as its lower-case key ('a' to 'z'; Shift gives the upper-case
// keysym), or 0.
unsigned controlLetterOf(unsigned state, KeySym symbol) {
    if ((state & ControlMask) == 0)
        return 0;
    if (symbol >= XK_a && symbol <= XK_z)
        return static_cast<unsigned>(symbol);
    if (symbol >= XK_A && symbol <= XK_Z)
        return static_cast<unsigned>(symbol - XK_A + XK_a);
    return 0;
}

unsigned heldButtonsOf(unsigned state) {
    unsigned result = 0;
    if (state & Button1Mask)
        result |= kLButton;
    if (state & Button2Mask)
        result |= kMButton;
    if (state & Button3Mask)
        result |= kRButton;
    return result;
}

// 0 for the wheel and any button the views have no name for.
unsigned buttonOf(unsigned xButton) {
    switch (xButton) {
        case Button1: return kLButton;
        case Button2: return kMButton;
        case Button3: return kRButton;
        default: return 0;
    }
}

unsigned fontCursorOf(CursorShape shape) {
    switch (shape) {
        case CursorShape::hand: return XC_hand2;
        case CursorShape::sizeAll: return XC_fleur;
        case CursorShape::sizeHorizontal: return XC_sb_h_double_arrow;
        case CursorShape::sizeVertical: return XC_sb_v_double_arrow;
        case CursorShape::text: return XC_xterm;
        case CursorShape::wait: return XC_watch;
        case CursorShape::arrow: break;
    }
    return XC_left_ptr;
}

constexpr std::size_t kCursorShapes = static_cast<std::size_t>(CursorShape::wait) + 1;

class X11FrameWindow final : public FrameWindow {
public:
    X11FrameWindow(CFrame& frame, Display* display, Window parentWindow)
        : frame(frame), connection(display), parentId(parentWindow), screenNumber(DefaultScreen(display)) {
        surviveConnectionLoss(connection, &lost);
    }

    ~X11FrameWindow() override {
        dropTarget.reset();
        if (image) {
            image->data = nullptr;  // the pixels are the frame picture's
            XDestroyImage(image);
        }
        // Made on a lost connection too: the requests then do nothing, but they free what Xlib
        // holds for the cursors and the GC.
        {
            // A host may destroy its window, and ours inside it, before it closes the editor:
            // the server then refuses our destroy, which Xlib's default handler would answer by
            // ending the host.
            ErrorTrap trap(connection);
            for (Cursor cursor : cursors)
                if (cursor != 0)
                    XFreeCursor(connection, cursor);
            if (gc)
                XFreeGC(connection, gc);
            if (windowId != 0)
                XDestroyWindow(connection, windowId);
            trap.failed();
        }
        XCloseDisplay(connection);
    }

    bool create() {
        Visual* visual = DefaultVisual(connection, screenNumber);
        int depth = DefaultDepth(connection, screenNumber);
        // The blit hands the picture's xRGB words to the server as they are: only a 24-bit TrueColor
        // visual with that layout takes them unchanged.
        if (visual->c_class != TrueColor || depth != 24 || visual->red_mask != 0xff0000 ||
            visual->green_mask != 0x00ff00 || visual->blue_mask != 0x0000ff)
            return false;
        const int width = frame.getWidth();
        const int height = frame.getHeight();
        XSetWindowAttributes attributes{};
        attributes.event_mask = ExposureMask | ButtonPressMask | ButtonReleaseMask | PointerMotionMask |
                                LeaveWindowMask | KeyPressMask | StructureNotifyMask | FocusChangeMask;
        attributes.background_pixel = BlackPixel(connection, screenNumber);
        attributes.border_pixel = 0;
        // A colormap of the default visual's own, so that a parent of another depth or visual
        // (a compositing host's window) still takes the child.
        attributes.colormap = DefaultColormap(connection, screenNumber);
        ErrorTrap trap(connection);
        windowId = XCreateWindow(connection, parentId, 0, 0, static_cast<unsigned>(width),
                                 static_cast<unsigned>(height), 0, depth, InputOutput, visual,
                                 CWEventMask | CWBackPixel | CWBorderPixel | CWColormap, &attributes);
        if (trap.failed()) {
            windowId = 0;  // the server made no window, there is nothing to destroy
            return false;
        }
        gc = XCreateGC(connection, windowId, 0, nullptr);
        image = XCreateImage(connection, visual, static_cast<unsigned>(depth), ZPixmap, 0, nullptr,
                             static_cast<unsigned>(width), static_cast<unsigned>(height), 32, 0);
        if (!gc || !image)
            return false;
        // The pixels are the picture's 32-bit words in this machine's byte order; Xlib swaps them when
        // the server wants the other.
        image->byte_order = std::endian::native == std::endian::little ? LSBFirst : MSBFirst;
        dropTarget = std::make_unique<XdndDropTarget>(frame, connection, windowId);
        XMapWindow(connection, windowId);
        XFlush(connection);
        return true;
    }

    void blit(const COffscreen& picture, const CRect& rect) override {
        if (rect.isEmpty())
            return;
        image->data = reinterpret_cast<char*>(const_cast<std::uint32_t*>(picture.pixels()));
        image->bytes_per_line = picture.stride();
        XPutImage(connection, windowId, gc, image, rect.left, rect.top, rect.left, rect.top,
                  static_cast<unsigned>(rect.width()), static_cast<unsigned>(rect.height()));
    }

    void finishBlits() override {
        // A round trip rather than a flush: whoever looks at the window next (a host's
        // screenshot, a pop-up drawn over it) sees the whole redraw, and a slow server cannot
        // pile up images faster than it shows them.
        XSync(connection, False);
    }

    void pumpEvents() override { pumpEvents(nullptr); }

    void pumpEvents(const std::function<bool(XEvent&)>& filter) override {
        while (!lost && XPending(connection) > 0) {
            XEvent event;
            XNextEvent(connection, &event);
            if (filter && filter(event))
                continue;
            dispatch(event);
        }
        if (dropTarget)
            dropTarget->checkTimeout();
    }

    bool dispatch(XEvent& event) override {
        if (event.xany.window != windowId)
            return false;
        switch (event.type) {
            case Expose: {
                const XExposeEvent& e = event.xexpose;
                frame.invalidate(rectOfSize(e.x, e.y, e.width, e.height));
                return true;
            }
            case ButtonPress: {
                const XButtonEvent& e = event.xbutton;
                unsigned button = buttonOf(e.button);
                if (button == 0)
                    return true;
                CPoint where{e.x, e.y};
                unsigned buttons = button | modifiersOf(e.state);
                if (clicks.press(where, button, e.time))
                    buttons |= kDoubleClick;
                frame.mouseDown(where, buttons);
                return true;
            }
            case ButtonRelease: {
                const XButtonEvent& e = event.xbutton;
                unsigned button = buttonOf(e.button);
                if (button == 0)
                    return true;
                frame.mouseUp({e.x, e.y}, button | modifiersOf(e.state));
                return true;
            }
            case MotionNotify: {
                // Only the latest of the moves queued right behind this one matters. The run stops
                // at the first other event: a move queued after a press or a release is part of a
                // drag (or follows it) and must reach the frame after that press or release.
                while (XPending(connection) > 0) {
                    XEvent next;
                    XPeekEvent(connection, &next);
                    if (next.type != MotionNotify || next.xany.window != windowId)
                        break;
                    XNextEvent(connection, &event);
                }
                const XMotionEvent& e = event.xmotion;
                frame.mouseMoved({e.x, e.y}, heldButtonsOf(e.state) | modifiersOf(e.state));
                return true;
            }
            case LeaveNotify:
                // Into a window of our own inside the frame's is no leaving.
                if (event.xcrossing.detail != NotifyInferior)
                    frame.mouseExitedWindow();
                return true;
            case ClientMessage:
            case SelectionNotify:
                if (dropTarget)
                    dropTarget->handle(event);
                return true;
            case SelectionRequest:
                // A target slower than the drag's wait still gets the last file dragged.
                if (dragAtoms)
                    answerSelectionRequest(connection, *dragAtoms, event.xselectionrequest, draggedUriList);
                return true;
            case KeyPress: {
                char text[32] = {};
                KeySym symbol = NoSymbol;
                int length = XLookupString(&event.xkey, text, sizeof text - 1, &symbol, nullptr);
                if (const unsigned letter = controlLetterOf(event.xkey.state, symbol);
                    letter != 0 && frame.shortcut(letter, modifiersOf(event.xkey.state)))
                    return true;
                frame.keyDown(static_cast<unsigned>(symbol), std::string_view(text, length > 0 ? length : 0));
                return true;
            }
            default: return true;
        }
    }

    bool connectionLost() const override { return lost; }

    void waitForEvent(int timeoutMs) override {
        if (XPending(connection) > 0)
            return;
        pollfd descriptor{ConnectionNumber(connection), POLLIN, 0};
        poll(&descriptor, 1, timeoutMs);
    }

    void setCursor(CursorShape shape) override {
        auto index = static_cast<std::size_t>(shape);
        if (index >= kCursorShapes)
            return;
        if (cursors[index] == 0)
            cursors[index] = XCreateFontCursor(connection, fontCursorOf(shape));
        XDefineCursor(connection, windowId, cursors[index]);
        XFlush(connection);
    }

    void grabKeyboardFocus() override {
        XWindowAttributes attributes;
        if (!XGetWindowAttributes(connection, windowId, &attributes) || attributes.map_state != IsViewable)
            return;
        // The window can still become unviewable before the server sees the request.
        ErrorTrap trap(connection);
        XSetInputFocus(connection, windowId, RevertToParent, CurrentTime);
        trap.failed();
    }

    void setDropAware(bool aware) override {
        if (dropTarget)
            dropTarget->setAware(aware);
    }

    DragResult dragFile(const std::string& uriList) override {
        if (!dragAtoms)
            dragAtoms = std::make_unique<XdndAtoms>(connection);
        draggedUriList = uriList;
        const XdndDragResult drag = runXdndDrag(frame, connection, windowId, *dragAtoms, uriList);
        const CPoint topLeft = origin();
        return {drag.accepted, drag.ran, {drag.releasedAt.x - topLeft.x, drag.releasedAt.y - topLeft.y}};
    }

    Display* display() const override { return connection; }
    WindowId window() const override { return windowId; }
    WindowId parent() const override { return parentId; }
    int screen() const override { return screenNumber; }

    CPoint origin() const override {
        int x = 0;
        int y = 0;
        Window child = 0;
        XTranslateCoordinates(connection, windowId, RootWindow(connection, screenNumber), 0, 0, &x, &y, &child);
        return {x, y};
    }

private:
    CFrame& frame;
    Display* connection;
    Window parentId;
    int screenNumber;
    bool lost = false;
    Window windowId = 0;
    GC gc = nullptr;
    XImage* image = nullptr;
    std::array<Cursor, kCursorShapes> cursors{};
    DoubleClickDetector clicks;
    std::unique_ptr<XdndDropTarget> dropTarget;
    std::unique_ptr<XdndAtoms> dragAtoms;  // made by the first drag out of the window
    std::string draggedUriList;
};

}  // namespace

std::unique_ptr<FrameWindow> openFrameWindow(CFrame& frame, void* parentWindow) {
    auto parent = static_cast<Window>(reinterpret_cast<std::uintptr_t>(parentWindow));
    if (parent == 0 || frame.getWidth() <= 0 || frame.getHeight() <= 0)
        return nullptr;
    Display* display = XOpenDisplay(nullptr);
    if (!display)
        return nullptr;
    auto window = std::make_unique<X11FrameWindow>(frame, display, parent);
    if (!window->create())
        return nullptr;  // the destructor closes the display
    return window;
}

}  // namespace rimba::toolkit
