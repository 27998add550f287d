#include "plugin/editor/toolkit/DialogHost.h"

#include <X11/Xlib.h>
#include <poll.h>

namespace rimba::toolkit {

DialogHost dialogHostOf(CFrame& frame) {
    DialogHost host;
    host.display = frame.getDisplay();
    host.owner = frame.getWindow();
    if (host.display != nullptr) {
        host.runModal = [&frame](const DialogHost::EventFilter& filter, const DialogHost::Finished& finished) {
            frame.runModal(filter, finished);
        };
    }
    return host;
}

DialogHost dialogHostOnDisplay(Display* display, WindowId owner) {
    DialogHost host;
    host.display = display;
    host.owner = owner;
    host.runModal = [display](const DialogHost::EventFilter& filter, const DialogHost::Finished& finished) {
        while (!finished()) {
            if (XPending(display) == 0) {
                pollfd connection{ConnectionNumber(display), POLLIN, 0};
                poll(&connection, 1, 10);
                continue;
            }
            XEvent event;
            XNextEvent(display, &event);
            filter(event);
        }
    };
    return host;
}

}  // namespace rimba::toolkit
