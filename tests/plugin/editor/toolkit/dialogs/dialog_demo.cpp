// A small program for the dialog window tests: a top-level window named "RimbaDialogs" stands in
// for a host's window, a frame opens inside it, and one of the toolkit's pop-ups is put to work.
// It prints what the user did, one line each, for the test script to read:
//   dialog_demo menu       an option menu at (10, 10) and a text edit at (10, 50); prints
//                          "menu RESULT top|channels", "focus" when the text edit takes the keys
//                          and "text TEXT"; ends when the host's window is unmapped
//   dialog_demo open DIR   a file selector over the frame; prints "chosen PATH" or "cancelled"
//   dialog_demo folder DIR a folder browser over the frame; prints "chosen PATH" or "cancelled"
//   dialog_demo message    a message through the platform's showMessage; prints "message closed"
// Every mode prints "ready" once the frame is up, then "popups N" (the windows other than the
// host's still shown on the screen) once the pop-up is done, and "windows N" (the windows left
// inside the host's window) when the frame has closed. Menu mode ends when the host's window is
// unmapped.

#include <X11/Xlib.h>
#include <poll.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include "common/platform/MessageBox.h"
#include "plugin/editor/toolkit/FileSelector.h"
#include "plugin/editor/toolkit/Frame.h"
#include "plugin/editor/toolkit/MessageBox.h"
#include "plugin/editor/toolkit/OptionMenu.h"
#include "plugin/editor/toolkit/TextEdit.h"

using namespace rimba::toolkit;

namespace {

class Reporter : public CControlListener {
public:
    explicit Reporter(const MenuModel* channels) : channels(channels) {}
    void valueChanged(CControl* control) override {
        if (auto* menu = dynamic_cast<COptionMenu*>(control)) {
            std::printf("menu %d %s\n", menu->getLastResult(),
                        menu->getLastItemMenu() == channels ? "channels" : "top");
        } else if (auto* text = dynamic_cast<CTextEdit*>(control)) {
            std::printf("text %s\n", text->getText().c_str());
        }
        std::fflush(stdout);
    }

private:
    const MenuModel* channels;
};

int childWindowsOf(Display* display, Window window) {
    Window root = 0;
    Window parent = 0;
    Window* children = nullptr;
    unsigned count = 0;
    XQueryTree(display, window, &root, &parent, &children, &count);
    if (children != nullptr) {
        XFree(children);
    }
    return static_cast<int>(count);
}

int shownWindowsBesides(Display* display, Window host) {
    Window root = 0;
    Window parent = 0;
    Window* children = nullptr;
    unsigned count = 0;
    XQueryTree(display, DefaultRootWindow(display), &root, &parent, &children, &count);
    int shown = 0;
    for (unsigned i = 0; i < count; ++i) {
        XWindowAttributes attributes{};
        if (children[i] != host && XGetWindowAttributes(display, children[i], &attributes) != 0 &&
            attributes.map_state == IsViewable) {
            ++shown;
        }
    }
    if (children != nullptr) {
        XFree(children);
    }
    return shown;
}

// Says when it takes the keyboard, so the test types only then.
class AnnouncedTextEdit : public CTextEdit {
public:
    using CTextEdit::CTextEdit;
    void takeFocus() override {
        std::printf("focus\n");
        std::fflush(stdout);
    }
};

void idleFor(CFrame& frame, int rounds) {
    for (int i = 0; i < rounds; ++i) {
        frame.idle();
        poll(nullptr, 0, 10);
    }
}

}  // namespace

int main(int argc, char** argv) {
    const std::string mode = argc > 1 ? argv[1] : "";
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) {
        std::fprintf(stderr, "no display\n");
        return 1;
    }
    const Window host = XCreateSimpleWindow(display, DefaultRootWindow(display), 100, 100, 400, 300, 0, 0, 0x808080);
    XStoreName(display, host, "RimbaDialogs");
    XSelectInput(display, host, StructureNotifyMask);
    XMapWindow(display, host);
    XSync(display, False);

    auto frame = std::make_unique<CFrame>(rectOfSize(0, 0, 400, 300), nullptr);
    if (!frame->open(reinterpret_cast<void*>(host))) {
        std::fprintf(stderr, "the frame did not open\n");
        return 1;
    }
    auto presenter = std::make_unique<FrameMessagePresenter>(*frame);
    auto channels = std::make_shared<MenuModel>();
    for (const char* name : {"OFF", "Any", "1", "2", "3"}) {
        channels->addEntry(name);
    }
    Reporter reporter(channels.get());
    auto* menu = frame->add(std::make_unique<COptionMenu>(rectOfSize(10, 10, 120, 20), &reporter, 96));
    menu->addEntry("Export to Audio File ...");
    menu->addSeparator();
    menu->addEntry("Version 1.50", true);
    menu->addSubmenu("Receive MIDI Channel", channels);
    menu->addEntry("AutoScroll");
    frame->add(std::make_unique<AnnouncedTextEdit>(rectOfSize(10, 50, 80, 20), &reporter, 32, "120"));
    idleFor(*frame, 5);
    std::printf("ready\n");
    std::fflush(stdout);

    if (mode == "open" && argc > 2) {
        const auto chosen = selectFile(dialogHostOf(*frame), FileSelectorMode::open, "Load VORN Drums Kit",
                                       {"VORN Drum Kit", "drs"}, argv[2]);
        std::printf(chosen ? "chosen %s\n" : "cancelled\n", chosen ? chosen->c_str() : "");
    } else if (mode == "folder" && argc > 2) {
        const auto chosen = selectFolder(dialogHostOf(*frame), "Select App Folder", argv[2]);
        std::printf(chosen ? "chosen %s\n" : "cancelled\n", chosen ? chosen->c_str() : "");
    } else if (mode == "message") {
        rimba::platform::showMessage("The selected mode will be activated on the next reboot of the plugin.",
                                     "VORN Studio");
        std::printf("message closed\n");
    } else {
        // Until the test closes the host's window.
        for (bool open = true; open;) {
            while (XPending(display) > 0) {
                XEvent event;
                XNextEvent(display, &event);
                open = open && event.type != UnmapNotify;
            }
            idleFor(*frame, 1);
        }
    }
    idleFor(*frame, 3);
    std::printf("popups %d\n", shownWindowsBesides(display, host));
    std::fflush(stdout);
    presenter.reset();
    frame.reset();
    XSync(display, False);
    std::printf("windows %d\n", childWindowsOf(display, host));
    std::fflush(stdout);
    XCloseDisplay(display);
    return 0;
}
