#pragma once
// The other side of a drag, played by the test on X connections of its own: a source that drags
// a uri-list onto a window, and a target window that records what a drag brings it. Each speaks
// XDND as written in the protocol's text, not through the toolkit's code.

#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace rimba::test {

Atom atomOf(Display* display, const char* name);

// Driven step by step from the test's thread: each call sends one message, pump() answers the
// target (the selection's data) and records what it says.
class XdndSourcePeer {
public:
    explicit XdndSourcePeer(std::string uriList);
    ~XdndSourcePeer();
    void enter(Window target, const std::vector<std::string>& types);
    void position(int rootX, int rootY);
    void drop();
    // False when the conversion request is to go unanswered.
    bool answersRequests = true;
    void pump();

    struct Answer {
        bool accepted;
        Atom action;
    };
    std::vector<Answer> statuses;
    int finishedCount = 0;
    bool finishedWithSuccess = false;
    Display* display;
    Window window = 0;
    Window target = 0;

private:
    void send(const char* type, long l1, long l2, long l3, long l4);
    std::string data;
};

// A mapped top-level window at (x, y) that takes (or refuses) every position, converts the
// selection on a drop and records it; answered on a thread of its own until destroyed. Through a
// proxy, the window (made on another connection, never read) says nothing itself: an unmapped
// window of the peer's, named in its XdndProxy, is XdndAware and gets the messages.
class XdndTargetPeer {
public:
    XdndTargetPeer(int x, int y, int width, int height, bool accepts, bool throughProxy = false);
    ~XdndTargetPeer();

    struct Seen {
        std::vector<std::string> enterTypes;
        int positions = 0;
        int leaves = 0;
        int drops = 0;
        std::string data;  // the converted XdndSelection
        bool messagesNamedTheWindow = true;  // every message named the visible window
    };
    Window window = 0;  // the visible one

    Seen seen();  // a copy, taken under the lock
    // The source's last message (a leave or a drop) may still be on its way when the source is
    // done with the drag: waits for it, a few seconds at most.
    Seen seenOnceTheDragEnded();
    std::atomic<int> positionsSeen{0};

private:
    void run();
    void handle(XEvent& event);
    Display* display;
    Display* windowOwner = nullptr;  // the visible window's connection, with a proxy
    Window receiver = 0;  // where the messages come: the window, or its proxy
    bool accepts;
    Window source = 0;
    std::mutex lock;
    Seen record;
    std::atomic<bool> stop{false};
    std::thread thread;
};

}  // namespace rimba::test
