#include "tests/plugin/editor/toolkit/XdndPeers.h"

#include <poll.h>

#include <algorithm>
#include <chrono>

namespace rimba::test {

Atom atomOf(Display* display, const char* name) { return XInternAtom(display, name, False); }

namespace {

void sendMessage(Display* display, Window to, Atom type, const long (&data)[5]) {
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = to;
    event.xclient.message_type = type;
    event.xclient.format = 32;
    std::copy(data, data + 5, event.xclient.data.l);
    XSendEvent(display, to, False, NoEventMask, &event);
    XFlush(display);
}

std::string atomName(Display* display, long atom) {
    char* name = XGetAtomName(display, static_cast<Atom>(atom));
    std::string text = name ? name : "";
    if (name)
        XFree(name);
    return text;
}

}  // namespace

XdndSourcePeer::XdndSourcePeer(std::string uriList) : display(XOpenDisplay(nullptr)), data(std::move(uriList)) {
    window = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 1, 1, 0, 0, 0);
    XSetSelectionOwner(display, atomOf(display, "XdndSelection"), window, CurrentTime);
    XSync(display, False);
}

XdndSourcePeer::~XdndSourcePeer() { XCloseDisplay(display); }

void XdndSourcePeer::send(const char* type, long l1, long l2, long l3, long l4) {
    sendMessage(display, target, atomOf(display, type), {static_cast<long>(window), l1, l2, l3, l4});
}

void XdndSourcePeer::enter(Window to, const std::vector<std::string>& types) {
    target = to;
    std::vector<Atom> atoms;
    for (const std::string& name : types)
        atoms.push_back(atomOf(display, name.c_str()));
    const bool many = atoms.size() > 3;
    if (many)
        XChangeProperty(display, window, atomOf(display, "XdndTypeList"), XA_ATOM, 32, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(atoms.data()), static_cast<int>(atoms.size()));
    atoms.resize(3, None);
    send("XdndEnter", (5L << 24) | (many ? 1 : 0), many ? 0 : static_cast<long>(atoms[0]),
         many ? 0 : static_cast<long>(atoms[1]), many ? 0 : static_cast<long>(atoms[2]));
}

void XdndSourcePeer::position(int rootX, int rootY) {
    send("XdndPosition", 0, (static_cast<long>(rootX) << 16) | rootY, CurrentTime,
         static_cast<long>(atomOf(display, "XdndActionCopy")));
}

void XdndSourcePeer::drop() { send("XdndDrop", 0, CurrentTime, 0, 0); }

void XdndSourcePeer::pump() {
    while (XPending(display) > 0) {
        XEvent event;
        XNextEvent(display, &event);
        if (event.type == ClientMessage && event.xclient.message_type == atomOf(display, "XdndStatus")) {
            statuses.push_back({(event.xclient.data.l[1] & 1) != 0, static_cast<Atom>(event.xclient.data.l[4])});
        } else if (event.type == ClientMessage && event.xclient.message_type == atomOf(display, "XdndFinished")) {
            ++finishedCount;
            finishedWithSuccess = (event.xclient.data.l[1] & 1) != 0;
        } else if (event.type == SelectionRequest && answersRequests) {
            const XSelectionRequestEvent& request = event.xselectionrequest;
            XEvent reply{};
            reply.xselection.type = SelectionNotify;
            reply.xselection.requestor = request.requestor;
            reply.xselection.selection = request.selection;
            reply.xselection.target = request.target;
            reply.xselection.time = request.time;
            reply.xselection.property = request.property;
            XChangeProperty(display, request.requestor, request.property, request.target, 8, PropModeReplace,
                            reinterpret_cast<const unsigned char*>(data.data()), static_cast<int>(data.size()));
            XSendEvent(display, request.requestor, False, NoEventMask, &reply);
            XFlush(display);
        }
    }
}

XdndTargetPeer::XdndTargetPeer(int x, int y, int width, int height, bool accepts, bool throughProxy)
    : display(XOpenDisplay(nullptr)), accepts(accepts) {
    Display* visible = display;
    if (throughProxy)
        visible = windowOwner = XOpenDisplay(nullptr);
    window = XCreateSimpleWindow(visible, DefaultRootWindow(visible), x, y, static_cast<unsigned>(width),
                                 static_cast<unsigned>(height), 0, 0, 0);
    XMapWindow(visible, window);
    XSync(visible, False);
    receiver = window;
    if (throughProxy) {
        receiver = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 1, 1, 0, 0, 0);
        for (Window named : {window, receiver})
            XChangeProperty(display, named, atomOf(display, "XdndProxy"), XA_WINDOW, 32, PropModeReplace,
                            reinterpret_cast<const unsigned char*>(&receiver), 1);
    }
    const Atom version = 5;
    XChangeProperty(display, receiver, atomOf(display, "XdndAware"), XA_ATOM, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(&version), 1);
    XSync(display, False);
    thread = std::thread([this] { run(); });
}

XdndTargetPeer::~XdndTargetPeer() {
    stop = true;
    thread.join();
    XCloseDisplay(display);
    if (windowOwner)
        XCloseDisplay(windowOwner);
}

XdndTargetPeer::Seen XdndTargetPeer::seen() {
    std::lock_guard<std::mutex> guard(lock);
    return record;
}

XdndTargetPeer::Seen XdndTargetPeer::seenOnceTheDragEnded() {
    for (int i = 0; i < 250; ++i) {
        const Seen now = seen();
        if (now.leaves + now.drops > 0)
            return now;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return seen();
}

void XdndTargetPeer::run() {
    while (!stop) {
        if (XPending(display) == 0) {
            pollfd connection{ConnectionNumber(display), POLLIN, 0};
            poll(&connection, 1, 10);
            continue;
        }
        XEvent event;
        XNextEvent(display, &event);
        handle(event);
    }
}

void XdndTargetPeer::handle(XEvent& event) {
    std::lock_guard<std::mutex> guard(lock);
    if (event.type == SelectionNotify) {
        Atom type = 0;
        int format = 0;
        unsigned long count = 0, after = 0;
        unsigned char* bytes = nullptr;
        XGetWindowProperty(display, receiver, event.xselection.property, 0, 4096, True, AnyPropertyType, &type, &format,
                           &count, &after, &bytes);
        if (bytes)
            record.data.assign(reinterpret_cast<const char*>(bytes), count);
        if (bytes)
            XFree(bytes);
        sendMessage(display, source, atomOf(display, "XdndFinished"),
                    {static_cast<long>(window), 1, static_cast<long>(atomOf(display, "XdndActionCopy")), 0, 0});
        return;
    }
    if (event.type != ClientMessage)
        return;
    const long* l = event.xclient.data.l;
    const std::string type = atomName(display, static_cast<long>(event.xclient.message_type));
    if (event.xclient.window != window)
        record.messagesNamedTheWindow = false;
    if (type == "XdndEnter") {
        source = static_cast<Window>(l[0]);
        for (int i = 2; i < 5; ++i)
            if (l[i] != 0)
                record.enterTypes.push_back(atomName(display, l[i]));
    } else if (type == "XdndPosition") {
        ++record.positions;
        ++positionsSeen;
        sendMessage(display, source, atomOf(display, "XdndStatus"),
                    {static_cast<long>(window), accepts ? 1 : 0, 0, 0,
                     accepts ? static_cast<long>(atomOf(display, "XdndActionCopy")) : 0});
    } else if (type == "XdndLeave") {
        ++record.leaves;
    } else if (type == "XdndDrop") {
        ++record.drops;
        XConvertSelection(display, atomOf(display, "XdndSelection"), atomOf(display, "text/uri-list"),
                          atomOf(display, "PEER_DATA"), receiver, static_cast<Time>(l[2]));
        XFlush(display);
    }
}

}  // namespace rimba::test
