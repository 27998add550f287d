// The frame's window as an XDND target: see Xdnd.h.
#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <algorithm>

#include "common/platform/Clock.h"
#include "plugin/editor/toolkit/DragAndDrop.h"
#include "plugin/editor/toolkit/X11ErrorTrap.h"
#include "plugin/editor/toolkit/Xdnd.h"

namespace rimba::toolkit {

namespace {

constexpr std::uint32_t kDataWaitMs = 1000;
// A uri-list of a few hundred files; a bigger one would come in pieces (INCR), which no file
// list of a drum machine needs.
constexpr long kMostDataWords = 1 << 18;

}  // namespace

XdndAtoms::XdndAtoms(Display* display) {
    const char* names[] = {"XdndAware",      "XdndProxy",     "XdndEnter",    "XdndPosition",   "XdndStatus",
                           "XdndLeave",      "XdndDrop",      "XdndFinished", "XdndSelection",  "XdndTypeList",
                           "XdndActionCopy", "text/uri-list", "TARGETS",      "RIMBA_XDND_DATA"};
    Atom* fields[] = {&aware,    &proxy,     &enter,    &position,   &status,  &leave,   &drop,
                      &finished, &selection, &typeList, &actionCopy, &uriList, &targets, &transfer};
    constexpr int count = static_cast<int>(std::size(names));
    Atom found[count] = {};
    XInternAtoms(display, const_cast<char**>(names), count, False, found);
    for (int i = 0; i < count; ++i)
        *fields[i] = found[i];
}

bool sendXdndMessage(Display* display, Window to, Window about, Atom type, const std::array<long, 5>& data) {
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.display = display;
    event.xclient.window = about;
    event.xclient.message_type = type;
    event.xclient.format = 32;
    std::copy(data.begin(), data.end(), event.xclient.data.l);
    // The other program may have closed its window since it last spoke.
    ErrorTrap trap(display);
    XSendEvent(display, to, False, NoEventMask, &event);
    return !trap.failed();
}

XdndDropTarget::XdndDropTarget(CFrame& frame, Display* display, Window window)
    : frame(frame), display(display), window(window), atoms(display) {}

void XdndDropTarget::setAware(bool on) {
    if (on == aware)
        return;
    aware = on;
    if (aware) {
        const Atom version = kXdndVersion;
        XChangeProperty(display, window, atoms.aware, XA_ATOM, 32, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(&version), 1);
    } else {
        XDeleteProperty(display, window, atoms.aware);
        offer = {};
    }
    XFlush(display);
}

bool XdndDropTarget::handle(XEvent& event) {
    if (event.type == SelectionNotify)
        return dataArrived(event.xselection);
    if (event.type != ClientMessage || event.xclient.format != 32)
        return false;
    const Atom type = event.xclient.message_type;
    const long* data = event.xclient.data.l;
    if (type == atoms.enter) {
        enter(data);
    } else if (type == atoms.position) {
        position(data);
    } else if (type == atoms.leave) {
        if (static_cast<Window>(data[0]) == offer.source && !offer.awaitingData)
            offer = {};
    } else if (type == atoms.drop) {
        drop(data);
    } else {
        return false;
    }
    return true;
}

void XdndDropTarget::enter(const long* data) {
    offer = {};
    if (!aware)
        return;
    const long version = (data[1] >> 24) & 0xff;
    // A source speaks the lower of its version and ours; below 3 the messages had other layouts.
    if (version < 3 || version > kXdndVersion)
        return;
    offer.source = static_cast<Window>(data[0]);
    offer.version = version;
    offer.hasUriList = offersUriList(data);
}

bool XdndDropTarget::offersUriList(const long* data) const {
    if ((data[1] & 1) == 0)
        return std::any_of(data + 2, data + 5, [this](long t) { return static_cast<Atom>(t) == atoms.uriList; });
    // More than three types: the full list is a property of the source's window.
    ErrorTrap trap(display);
    Atom type = 0;
    int format = 0;
    unsigned long count = 0;
    unsigned long after = 0;
    unsigned char* bytes = nullptr;
    bool found = false;
    if (XGetWindowProperty(display, static_cast<Window>(data[0]), atoms.typeList, 0, 1024, False, XA_ATOM, &type,
                           &format, &count, &after, &bytes) == Success &&
        bytes && format == 32) {
        const auto* types = reinterpret_cast<const unsigned long*>(bytes);
        found = std::find(types, types + count, atoms.uriList) != types + count;
    }
    if (bytes)
        XFree(bytes);
    return !trap.failed() && found;
}

void XdndDropTarget::position(const long* data) {
    if (offer.source == 0 || static_cast<Window>(data[0]) != offer.source || offer.awaitingData)
        return;
    const int rootX = static_cast<int>((data[2] >> 16) & 0xffff);
    const int rootY = static_cast<int>(data[2] & 0xffff);
    int x = 0;
    int y = 0;
    Window child = 0;
    XTranslateCoordinates(display, DefaultRootWindow(display), window, rootX, rootY, &x, &y, &child);
    offer.where = {x, y};
    offer.accepted = false;
    if (offer.hasUriList) {
        // A copy: the handler may set another handler while it answers.
        const DropHandler handler = frame.getDropHandler();
        offer.accepted = handler.drop && (!handler.accepts || handler.accepts(offer.where));
    }
    answerStatus();
}

void XdndDropTarget::answerStatus() {
    // An empty rectangle with "send positions" set: whether a drop is taken can change at any
    // pixel, so the source asks again at each move.
    const long flags = (offer.accepted ? 1 : 0) | 2;
    const long action = offer.accepted ? static_cast<long>(atoms.actionCopy) : 0;
    if (!sendXdndMessage(display, offer.source, offer.source, atoms.status,
                         {static_cast<long>(window), flags, 0, 0, action}))
        offer = {};
}

void XdndDropTarget::drop(const long* data) {
    if (offer.source == 0 || static_cast<Window>(data[0]) != offer.source || offer.awaitingData)
        return;
    if (!offer.accepted) {
        finish(false);
        return;
    }
    // The drop's own time: the source's ownership of the selection is checked against it.
    XConvertSelection(display, atoms.selection, atoms.uriList, atoms.transfer, window, static_cast<Time>(data[2]));
    XFlush(display);
    offer.awaitingData = true;
    offer.requestedAt = platform::tickMilliseconds();
}

bool XdndDropTarget::dataArrived(const XSelectionEvent& answer) {
    if (answer.requestor != window || answer.selection != atoms.selection)
        return false;
    if (!offer.awaitingData)
        return true;  // an answer come too late: its drop has been ended
    std::string text;
    if (answer.property != None) {
        Atom type = 0;
        int format = 0;
        unsigned long count = 0;
        unsigned long after = 0;
        unsigned char* bytes = nullptr;
        if (XGetWindowProperty(display, window, answer.property, 0, kMostDataWords, True, AnyPropertyType, &type,
                               &format, &count, &after, &bytes) == Success &&
            bytes && format == 8 && after == 0)
            text.assign(reinterpret_cast<const char*>(bytes), count);
        if (bytes)
            XFree(bytes);
    }
    const std::vector<std::string> paths = pathsOfUriList(text);
    const CPoint where = offer.where;
    finish(!paths.empty());
    // The source is told first: it need not wait while the handler loads what was dropped (or
    // shows a message about it).
    if (!paths.empty()) {
        const DropHandler handler = frame.getDropHandler();
        if (handler.drop)
            handler.drop(where, paths);
    }
    return true;
}

void XdndDropTarget::finish(bool success) {
    const Window source = offer.source;
    const long version = offer.version;
    offer = {};
    std::array<long, 5> data{static_cast<long>(window), 0, 0, 0, 0};
    if (version >= 5) {
        data[1] = success ? 1 : 0;
        data[2] = success ? static_cast<long>(atoms.actionCopy) : 0;
    }
    sendXdndMessage(display, source, source, atoms.finished, data);
}

void XdndDropTarget::checkTimeout() {
    if (offer.awaitingData && platform::tickMilliseconds() - offer.requestedAt > kDataWaitMs)
        finish(false);
}

}  // namespace rimba::toolkit
