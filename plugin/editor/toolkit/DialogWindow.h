#pragma once
// An X11 window of a pop-up or a dialog, drawn into an offscreen picture of its size that is
// then copied to the window (as the frame does: cairo's Xlib surfaces would leave per-display
// state behind that only closing the frame's display frees). Pop-ups (menus, tooltips) are
// override-redirect windows that no window manager touches; dialogs are top-level windows marked
// transient for the editor's top-level window. Destroying the object destroys the window, its
// image and its graphics context. Editor thread only.

#include <memory>
#include <string>
#include <string_view>

#include "plugin/editor/toolkit/DialogText.h"
#include "plugin/editor/toolkit/DrawContext.h"
#include "plugin/editor/toolkit/Frame.h"
#include "plugin/editor/toolkit/Geometry.h"

namespace rimba::toolkit {

enum class DialogWindowKind { popup, dialog };

class DialogWindow {
public:
    // `frame` is in root-window coordinates. `owner` (0 for none): the window the dialog is
    // transient for (its top-level ancestor is looked up).
    DialogWindow(Display* display, DialogWindowKind kind, CRect frame, XWindowId owner, const std::string& title);
    ~DialogWindow();
    DialogWindow(const DialogWindow&) = delete;
    DialogWindow& operator=(const DialogWindow&) = delete;

    XWindowId id() const { return window; }
    const CRect& frame() const { return place; }
    // A context for one drawing, with the toolkit's font chosen; endDrawing destroys it and
    // copies the drawing to the window.
    std::unique_ptr<CDrawContext> beginDrawing();
    void endDrawing(std::unique_ptr<CDrawContext> context);
    void copyToWindow();
    // Waits until the server has mapped the window, so that focus and grabs can be asked for.
    void waitUntilMapped();
    void takeKeyboardFocus();

private:
    Display* display;
    XWindowId window = 0;
    void* copyContext = nullptr;  // the window's graphics context (Xlib's GC)
    CRect place;
    COffscreen picture;
};

// Root-window size of the display's default screen.
CRect screenRect(Display* display);
// Where `window`'s top left lies on the root window, and its size.
CRect windowScreenRect(Display* display, XWindowId window);

}  // namespace rimba::toolkit
