#pragma once
// XDND, version 5, on the frame's display connection: the frame's window as a drop target and
// the drag of a file out of it. The X11 half of the toolkit only (X11FrameWindow.cpp); include
// the X11 headers before this one.
//
// Both halves run inside the frame's event pump and never wait on another program beyond a
// bounded time: a target that is slow to convert the selection, a source that vanishes, or a
// window that goes away between two requests ends the exchange, never the host.

#include <X11/Xlib.h>

#include <array>
#include <cstdint>
#include <string>

#include "plugin/editor/toolkit/Frame.h"

namespace rimba::toolkit {

constexpr long kXdndVersion = 5;

struct XdndAtoms {
    explicit XdndAtoms(Display* display);
    Atom aware = 0, proxy = 0, enter = 0, position = 0, status = 0, leave = 0, drop = 0, finished = 0;
    Atom selection = 0, typeList = 0, actionCopy = 0, uriList = 0, targets = 0, transfer = 0;
};

// One XDND client message: `about` is the window the message names (the target for a source's
// messages, the source for a target's), `to` the window it is sent to (the target's proxy, if
// any). False when the window is gone.
bool sendXdndMessage(Display* display, Window to, Window about, Atom type, const std::array<long, 5>& data);

// The frame's window as a drop target: offers of text/uri-list are answered position by position
// with what the frame's drop handler accepts; a drop converts XdndSelection and hands the paths
// to the handler. The conversion is asked for and its answer taken in later pumps; an answer
// that has not come after a second ends the drop as failed.
class XdndDropTarget {
public:
    XdndDropTarget(CFrame& frame, Display* display, Window window);
    // XdndAware on the window (or taken away): only a window that takes drops says it does.
    void setAware(bool aware);
    // A client message or selection answer meant for the drop target; false for anything else.
    bool handle(XEvent& event);
    // Called after each pump: ends a drop whose data never came.
    void checkTimeout();

private:
    struct Offer {
        Window source = 0;  // 0: no drag over the window
        long version = 0;
        bool hasUriList = false;
        CPoint where;
        bool accepted = false;
        bool awaitingData = false;
        std::uint32_t requestedAt = 0;
    };
    void enter(const long* data);
    void position(const long* data);
    void drop(const long* data);
    bool dataArrived(const XSelectionEvent& answer);
    bool offersUriList(const long* data) const;
    void answerStatus();
    void finish(bool success);

    CFrame& frame;
    Display* display;
    Window window;
    XdndAtoms atoms;
    bool aware = false;
    Offer offer;
};

// The text a drag source gives for XdndSelection: text/uri-list, and the list of targets.
// Answers every request (a refusal as property None), whatever its window has become.
void answerSelectionRequest(Display* display, const XdndAtoms& atoms, const XSelectionRequestEvent& request,
                            const std::string& uriList);

// The modal drag of `uriList` out of the frame's window `own`, started while the left button is
// held. It does not run when the button is no longer down or the pointer cannot be grabbed
// (another program holds it).
struct XdndDragResult {
    bool ran = false;
    bool accepted = false;  // a target took the drop
    CPoint releasedAt;  // where the pointer was last, in root coordinates
};
XdndDragResult runXdndDrag(CFrame& frame, Display* display, Window own, const XdndAtoms& atoms,
                           const std::string& uriList);

}  // namespace rimba::toolkit
