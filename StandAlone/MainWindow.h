#pragma once
// The program's top-level window, the editor's only content: created hidden, sized to the
// editor's rectangle and centred on the screen, then shown; its loop runs the editor's idle
// timer until the window is closed, a termination signal asks for the close, or the display
// connection is lost. An X11 window on Linux; the interface keeps the system out
// of the program's start-up code. Main thread only.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace rimba::standalone {

class MainWindow {
public:
    virtual ~MainWindow() = default;

    // The handle the plug-in's editor opens into (an X11 window id, cast to a pointer).
    virtual void* nativeHandle() const = 0;
    // Gives the window a client area of width x height and centres it on the screen.
    virtual void placeCentred(int width, int height) = 0;
    virtual void show() = 0;
    // Calls `tick` every `periodMilliseconds` until the window is closed, then returns. Closes
    // are the close button, a window destroyed from outside, `closeRequest` turning readable (a
    // termination signal; the window is then destroyed as the close button does; -1 for none)
    // and a lost connection to the display, after which the window is gone with the server.
    virtual void run(int periodMilliseconds, int closeRequest, const std::function<void()>& tick) = 0;
};

// A hidden window with the given title and class name; nullptr and `why` when none can be made
// (no display).
std::unique_ptr<MainWindow> createMainWindow(const std::string& title, const std::string& className, std::string& why);

// The client area that holds an editor of `width` x `height`: never smaller than 100 x 100.
struct ClientSize {
    int width;
    int height;
};
ClientSize clientSizeFor(int editorWidth, int editorHeight);

}  // namespace rimba::standalone
