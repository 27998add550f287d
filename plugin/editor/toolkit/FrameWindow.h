#pragma once
// The window system's half of a frame: a child window of the host's, a blit of the frame's
// picture into it, an event pump and cursors. X11 on Linux (X11FrameWindow.cpp), the Windows API
// on Windows (win32/Win32FrameWindow.cpp).

#include <functional>
#include <memory>
#include <string>

#include "plugin/editor/toolkit/DrawContext.h"
#include "plugin/editor/toolkit/Frame.h"

namespace rimba::toolkit {

class FrameWindow {
public:
    virtual ~FrameWindow() = default;
    // Copies `rect` of `image` (the frame's size) to the same place in the window.
    virtual void blit(const COffscreen& image, const CRect& rect) = 0;
    // After the blits of one redraw: returns once the window system has them all.
    virtual void finishBlits() = 0;
    // Hands every pending event to the frame without waiting for one (on Windows the host's
    // message loop delivers them: nothing to do).
    virtual void pumpEvents() = 0;
#if RIMBA_TOOLKIT_X11
    // As pumpEvents; `filter`, when set, sees each event first and keeps those it returns true for.
    virtual void pumpEvents(const std::function<bool(XEvent&)>& filter) = 0;
    // One event of the frame's window to the frame; false when it was not ours.
    virtual bool dispatch(XEvent& event) = 0;
    // Waits at most `timeoutMs` for an event to arrive (modal loops only).
    virtual void waitForEvent(int timeoutMs) = 0;
    // The X server went away: no event will come, and modal loops end.
    virtual bool connectionLost() const = 0;
    virtual Display* display() const = 0;
    virtual int screen() const = 0;
#endif
    virtual void setCursor(CursorShape shape) = 0;
    virtual void grabKeyboardFocus() = 0;
    // Whether the window takes files dropped on it (the frame's drop handler answers for it).
    virtual void setDropAware(bool aware) = 0;
    // Drags `uriList` (text/uri-list; the Windows half hands the paths on as CF_HDROP) out of the
    // window while the left button is held; returns once the drag is over.
    struct DragResult {
        bool accepted = false;  // a target took the drop
        bool tookRelease = false;  // the drag ran and took the button's release (or Escape ended it)
        CPoint releasedAt;  // the pointer's last place, in the window's coordinates
    };
    virtual DragResult dragFile(const std::string& uriList) = 0;
    virtual WindowId window() const = 0;
    virtual WindowId parent() const = 0;
    virtual CPoint origin() const = 0;  // the window's top left on the screen
};

// nullptr when no display can be opened or the window not made. `parentWindow` is the host's
// window: an X11 window id cast to a pointer, or an HWND.
std::unique_ptr<FrameWindow> openFrameWindow(CFrame& frame, void* parentWindow);

}  // namespace rimba::toolkit
