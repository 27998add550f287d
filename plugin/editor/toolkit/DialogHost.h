#pragma once
// What a pop-up or a modal dialog needs of the window it opens over. On X11: the display
// connection, the owner window, and a nested event loop; on Windows: the owner window, and a
// wrapper for the system's own modal loops (menus, message boxes, file dialogs) that tells the
// frame one ran. A frame gives them (dialogHostOf); a program without a frame (the standalone's
// start-up, a test) makes one of its own. Editor thread only.

#include <functional>

#include "plugin/editor/toolkit/Frame.h"
#include "plugin/editor/toolkit/WindowSystem.h"

namespace rimba::toolkit {

struct DialogHost {
    WindowId owner = 0;  // the window the dialog belongs to; 0 for none
#if RIMBA_TOOLKIT_X11
    using EventFilter = std::function<bool(XEvent&)>;  // true: the event was the dialog's
    using Finished = std::function<bool()>;

    Display* display = nullptr;
    // Runs until `finished` answers true. Events the filter does not take go to the owner's
    // usual handling (a frame keeps redrawing itself under a dialog).
    std::function<void(const EventFilter&, const Finished&)> runModal;

    bool isUsable() const { return display != nullptr && static_cast<bool>(runModal); }
#else
    // Runs `body`, a call that holds the system's modal loop (TrackPopupMenu, MessageBoxW, ...).
    std::function<void(const std::function<void()>& body)> runModal;

    bool isUsable() const { return owner != 0 && static_cast<bool>(runModal); }
#endif
};

// The frame's window and loops; not usable while the frame is closed.
DialogHost dialogHostOf(CFrame& frame);

#if RIMBA_TOOLKIT_X11
// A nested loop of its own on `display`: events the filter does not take are dropped. It waits on
// the connection at most a few milliseconds at a time and never spins.
DialogHost dialogHostOnDisplay(Display* display, WindowId owner);
#else
// Dialogs owned by `owner` (a window of the caller's; 0 for none is not usable), with no frame
// to tell of the modal loops.
DialogHost dialogHostOnWindow(WindowId owner);
#endif

}  // namespace rimba::toolkit
