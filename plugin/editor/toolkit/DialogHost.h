#pragma once
// What a pop-up or a modal dialog needs of the window it opens over: the display connection, the
// owner window, and a nested event loop. A frame gives all three (dialogHostOf); a program
// without a frame (the standalone's start-up, a test) makes one over a display of its own.
// Editor thread only.

#include <functional>

#include "plugin/editor/toolkit/Frame.h"

namespace rimba::toolkit {

struct DialogHost {
    using EventFilter = std::function<bool(XEvent&)>;  // true: the event was the dialog's
    using Finished = std::function<bool()>;

    Display* display = nullptr;
    XWindowId owner = 0;  // the window the dialog belongs to; 0 for none
    // Runs until `finished` answers true. Events the filter does not take go to the owner's
    // usual handling (a frame keeps redrawing itself under a dialog).
    std::function<void(const EventFilter&, const Finished&)> runModal;

    bool isUsable() const { return display != nullptr && static_cast<bool>(runModal); }
};

// The frame's display, window and nested loop; not usable while the frame is closed.
DialogHost dialogHostOf(CFrame& frame);

// A nested loop of its own on `display`: events the filter does not take are dropped. It waits on
// the connection at most a few milliseconds at a time and never spins.
DialogHost dialogHostOnDisplay(Display* display, XWindowId owner);

}  // namespace rimba::toolkit
