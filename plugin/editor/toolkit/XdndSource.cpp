// The drag of a file out of the frame's window: see Xdnd.h.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/cursorfont.h>
#include <X11/keysym.h>

#include <algorithm>
#include <optional>

#include "common/platform/Clock.h"
#include "plugin/editor/toolkit/X11ErrorTrap.h"
#include "plugin/editor/toolkit/Xdnd.h"

namespace rimba::toolkit {

namespace {

constexpr std::uint32_t kStatusWaitMs = 1000;  // for the answer to the last position after the release
constexpr std::uint32_t kFinishedWaitMs = 5000;  // for the target to take the data after the drop
constexpr int kDeepestWindow = 64;

struct DropWindow {
    Window window = 0;  // the window the messages name
    Window messagesTo = 0;  // where they go: the window, or its proxy
    long version = 0;  // 0: no XDND target
};

long propertyWord(Display* display, Window window, Atom name, Atom type) {
    Atom actualType = 0;
    int format = 0;
    unsigned long count = 0;
    unsigned long after = 0;
    unsigned char* bytes = nullptr;
    long value = 0;
    if (XGetWindowProperty(display, window, name, 0, 1, False, type, &actualType, &format, &count, &after, &bytes) ==
            Success &&
        bytes && format == 32 && count == 1)
        value = static_cast<long>(*reinterpret_cast<const unsigned long*>(bytes));
    if (bytes)
        XFree(bytes);
    return value;
}

// A window takes drops when it says so, or when its valid proxy does (a proxy names itself in
// its own XdndProxy; any other is stale and ignored).
DropWindow dropWindowOf(Display* display, const XdndAtoms& atoms, Window window) {
    DropWindow found{window, window, 0};
    const auto proxy = static_cast<Window>(propertyWord(display, window, atoms.proxy, XA_WINDOW));
    if (proxy != 0 && static_cast<Window>(propertyWord(display, proxy, atoms.proxy, XA_WINDOW)) == proxy)
        found.messagesTo = proxy;
    found.version = propertyWord(display, found.messagesTo, atoms.aware, XA_ATOM);
    if (found.version < 3)
        found.version = 0;
    return found;
}

class XdndDrag {
public:
    XdndDrag(CFrame& frame, Display* display, Window own, const XdndAtoms& atoms, const std::string& uriList)
        : frame(frame), display(display), own(own), atoms(atoms), uriList(uriList) {}

    XdndDragResult run() {
        // A drag begun after the button came up (from a handler of the release) would wait for
        // a release that never comes.
        const std::optional<PointerState> start = queryPointer();
        if (!start || !start->leftHeld)
            return {};
        XSetSelectionOwner(display, atoms.selection, own, CurrentTime);
        if (XGetSelectionOwner(display, atoms.selection) != own)
            return {};
        refusedCursor = XCreateFontCursor(display, XC_circle);
        acceptedCursor = XCreateFontCursor(display, XC_hand2);
        // The pointer goes wherever the user takes it, over any program's window; the keyboard
        // only for Escape.
        const bool grabbed =
            XGrabPointer(display, own, False, ButtonPressMask | ButtonReleaseMask | PointerMotionMask, GrabModeAsync,
                         GrabModeAsync, None, refusedCursor, CurrentTime) == GrabSuccess;
        if (grabbed) {
            const bool keyboard =
                XGrabKeyboard(display, own, False, GrabModeAsync, GrabModeAsync, CurrentTime) == GrabSuccess;
            moveTo(start->where.x, start->where.y, CurrentTime);
            frame.runModal([this](XEvent& event) { return take(event); }, [this] { return isOver(); });
            if (keyboard)
                XUngrabKeyboard(display, CurrentTime);
            XUngrabPointer(display, CurrentTime);
        }
        XFreeCursor(display, refusedCursor);
        XFreeCursor(display, acceptedCursor);
        XFlush(display);
        return {grabbed, grabbed && accepted, pointer};
    }

private:
    enum class Phase { dragging, released, dropped, over };

    struct PointerState {
        CPoint where;  // root coordinates
        bool leftHeld = false;
    };
    std::optional<PointerState> queryPointer() {
        Window root = 0;
        Window child = 0;
        int x = 0, y = 0, windowX = 0, windowY = 0;
        unsigned mask = 0;
        if (!XQueryPointer(display, own, &root, &child, &x, &y, &windowX, &windowY, &mask))
            return std::nullopt;
        return PointerState{{x, y}, (mask & Button1Mask) != 0};
    }

    // Every input event is the drag's while it lasts; the frame keeps the rest (its exposes).
    bool take(XEvent& event) {
        switch (event.type) {
            case MotionNotify:
                if (phase == Phase::dragging)
                    moveTo(event.xmotion.x_root, event.xmotion.y_root, event.xmotion.time);
                return true;
            case ButtonRelease:
                if (phase == Phase::dragging && event.xbutton.button == Button1) {
                    moveTo(event.xbutton.x_root, event.xbutton.y_root, event.xbutton.time);
                    phase = Phase::released;
                    releasedTick = platform::tickMilliseconds();
                    if (!awaitingStatus)
                        decide();
                }
                return true;
            case ButtonPress:
            case KeyRelease: return true;
            case KeyPress:
                if (XLookupKeysym(&event.xkey, 0) == XK_Escape && phase == Phase::dragging)
                    cancel();
                return true;
            case SelectionRequest:
                if (event.xselectionrequest.owner != own)
                    return false;
                answerSelectionRequest(display, atoms, event.xselectionrequest, uriList);
                return true;
            case ClientMessage: return message(event.xclient);
            default: return false;
        }
    }

    bool message(const XClientMessageEvent& event) {
        if (event.window != own || event.format != 32)
            return false;
        const auto from = static_cast<Window>(event.data.l[0]);
        if (event.message_type == atoms.status) {
            if (from == target.window && (phase == Phase::dragging || phase == Phase::released))
                statusArrived(event.data.l);
            return true;
        }
        if (event.message_type == atoms.finished) {
            if (from == target.window && phase == Phase::dropped) {
                // Before version 5 a finished drop carried no verdict: the status's was final.
                if (version >= 5)
                    accepted = (event.data.l[1] & 1) != 0;
                phase = Phase::over;
            }
            return true;
        }
        return false;
    }

    void moveTo(int x, int y, Time time) {
        pointer = {x, y};
        lastTime = time;
        const DropWindow under = windowUnder(x, y);
        if (under.window != target.window) {
            if (target.window != 0)
                send(atoms.leave, {});
            target = under;
            version = std::min(kXdndVersion, target.version);
            awaitingStatus = false;
            setAccepted(false);
            if (target.window != 0)
                send(atoms.enter, {version << 24, static_cast<long>(atoms.uriList), 0, 0});
        }
        if (target.window == 0)
            return;
        // One position at a time: the next goes when the target has answered this one.
        if (awaitingStatus) {
            positionPending = true;
            return;
        }
        sendPosition();
    }

    void sendPosition() {
        positionPending = false;
        awaitingStatus = true;
        send(atoms.position, {0, (static_cast<long>(pointer.x) << 16) | (pointer.y & 0xffff),
                              static_cast<long>(lastTime), static_cast<long>(atoms.actionCopy)});
    }

    void statusArrived(const long* data) {
        awaitingStatus = false;
        setAccepted((data[1] & 1) != 0);
        if (phase == Phase::released) {
            decide();
        } else if (positionPending) {
            sendPosition();
        }
    }

    void decide() {
        if (target.window != 0 && accepted) {
            send(atoms.drop, {0, static_cast<long>(lastTime), 0, 0});
            phase = target.window != 0 ? Phase::dropped : Phase::over;
            droppedTick = platform::tickMilliseconds();
            return;
        }
        cancel();
    }

    void cancel() {
        if (target.window != 0)
            send(atoms.leave, {});
        setAccepted(false);
        phase = Phase::over;
    }

    bool isOver() {
        const std::uint32_t now = platform::tickMilliseconds();
        // A target that never answers refuses.
        if (phase == Phase::released && awaitingStatus && now - releasedTick > kStatusWaitMs)
            cancel();
        if (phase == Phase::dropped && now - droppedTick > kFinishedWaitMs) {
            setAccepted(false);
            phase = Phase::over;
        }
        return phase == Phase::over;
    }

    // The deepest window under the pointer that takes drops, so that a plug-in's window inside a
    // host's gets what is dropped on it. Our own window takes nothing from itself.
    DropWindow windowUnder(int x, int y) {
        const Window root = DefaultRootWindow(display);
        DropWindow found;
        // Windows of other programs come and go between two requests.
        ErrorTrap trap(display);
        Window current = root;
        for (int depth = 0; depth < kDeepestWindow && current != 0; ++depth) {
            const DropWindow candidate = dropWindowOf(display, atoms, current);
            if (candidate.version != 0)
                found = candidate;
            int childX = 0;
            int childY = 0;
            Window child = 0;
            if (!XTranslateCoordinates(display, root, current, x, y, &childX, &childY, &child))
                break;
            current = child;
        }
        if (trap.failed() || found.window == own)
            return {};
        return found;
    }

    // The message's first word is always the source's window; `rest` fills the other four.
    void send(Atom type, const std::array<long, 4>& rest) {
        std::array<long, 5> data{static_cast<long>(own), rest[0], rest[1], rest[2], rest[3]};
        if (!sendXdndMessage(display, target.messagesTo, target.window, type, data)) {
            // Gone: as if the pointer had left it.
            target = {};
            awaitingStatus = false;
            setAccepted(false);
            if (phase == Phase::dropped)
                phase = Phase::over;
        }
    }

    void setAccepted(bool value) {
        if (value == accepted)
            return;
        accepted = value;
        XChangeActivePointerGrab(display, ButtonPressMask | ButtonReleaseMask | PointerMotionMask,
                                 accepted ? acceptedCursor : refusedCursor, CurrentTime);
    }

    CFrame& frame;
    Display* display;
    Window own;
    const XdndAtoms& atoms;
    const std::string& uriList;
    Cursor refusedCursor = 0;
    Cursor acceptedCursor = 0;
    Phase phase = Phase::dragging;
    DropWindow target;
    long version = 0;
    bool accepted = false;
    bool awaitingStatus = false;
    bool positionPending = false;
    CPoint pointer;
    Time lastTime = CurrentTime;
    std::uint32_t releasedTick = 0;
    std::uint32_t droppedTick = 0;
};

}  // namespace

void answerSelectionRequest(Display* display, const XdndAtoms& atoms, const XSelectionRequestEvent& request,
                            const std::string& uriList) {
    XEvent reply{};
    reply.xselection.type = SelectionNotify;
    reply.xselection.display = display;
    reply.xselection.requestor = request.requestor;
    reply.xselection.selection = request.selection;
    reply.xselection.target = request.target;
    reply.xselection.time = request.time;
    reply.xselection.property = None;
    // An old-style requestor names no property: the target's name is the property's.
    const Atom property = request.property != None ? request.property : request.target;
    ErrorTrap trap(display);
    if (request.selection == atoms.selection && request.target == atoms.uriList) {
        XChangeProperty(display, request.requestor, property, atoms.uriList, 8, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(uriList.data()), static_cast<int>(uriList.size()));
        reply.xselection.property = property;
    } else if (request.selection == atoms.selection && request.target == atoms.targets) {
        const Atom offered[] = {atoms.targets, atoms.uriList};
        XChangeProperty(display, request.requestor, property, XA_ATOM, 32, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(offered), 2);
        reply.xselection.property = property;
    }
    XSendEvent(display, request.requestor, False, NoEventMask, &reply);
    trap.failed();
}

XdndDragResult runXdndDrag(CFrame& frame, Display* display, Window own, const XdndAtoms& atoms,
                           const std::string& uriList) {
    return XdndDrag(frame, display, own, atoms, uriList).run();
}

}  // namespace rimba::toolkit
