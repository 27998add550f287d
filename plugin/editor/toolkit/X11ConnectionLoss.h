#pragma once
// Xlib ends the process when a connection to the X server dies, once the process-wide I/O error
// handler (the host's) has run, unless the connection has an exit handler of its own that
// returns. The editor's connections have one: the host decides through its own connection
// whether the process ends (the standalone program closes, its plug-in saving as it closes), and
// a host that keeps running keeps running without the editor. A lost connection's requests do
// nothing, and nothing may wait on it any more. The X11 half of the toolkit only; include the
// X11 headers before this one.

#include <X11/Xlib.h>

namespace rimba::toolkit {

// `lost`, when given, turns true when the connection dies; it must live as long as the connection.
inline void surviveConnectionLoss(Display* display, bool* lost) {
    XSetIOErrorExitHandler(
        display,
        [](Display*, void* flag) {
            if (flag != nullptr)
                *static_cast<bool*>(flag) = true;
        },
        lost);
}

}  // namespace rimba::toolkit
