#pragma once
// The frame: the editor's one window, a child of the window the host passes when it opens the
// editor. It owns the views, draws the dirty ones into an offscreen picture of its own size and
// copies the changed rectangles to the window, routes the mouse and the keyboard to the views,
// and pumps its window's events on idle without ever blocking. Editor thread only.
//
// The window system stays behind FrameWindow (FrameWindow.h): X11 on Linux, the Windows API on
// Windows, each with its own window, blit and event handling. On X11, modal pop-ups (menus, text
// fields, dialogs) open windows of their own on the frame's display and run a nested event loop
// through runModal; on Windows the system's own modal loops (menus, message boxes, file dialogs)
// run inside runNativeModal.

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "plugin/editor/toolkit/DirtyRegion.h"
#include "plugin/editor/toolkit/DragAndDrop.h"
#include "plugin/editor/toolkit/DrawContext.h"
#include "plugin/editor/toolkit/Geometry.h"
#include "plugin/editor/toolkit/View.h"
#include "plugin/editor/toolkit/WindowSystem.h"

// Again here, for a file that took in X.h after View.h (include the X11 headers first).
#ifdef CursorShape
#undef CursorShape
#endif

namespace rimba::toolkit {

class FrameWindow;
class TooltipPresenter;

class CFrame {
public:
    CFrame(const CRect& size, std::shared_ptr<CBitmap> background);
    ~CFrame();  // closes the window if still open, then destroys every view
    CFrame(const CFrame&) = delete;
    CFrame& operator=(const CFrame&) = delete;

    // Creates the window inside `parentWindow` (an X11 window id cast to a pointer, or an HWND),
    // on X11 with a display connection of its own. False when the window cannot be made;
    // the frame then stays closed and can still draw into its picture.
    bool open(void* parentWindow);
    // Destroys the window, frees the cursors and closes the display connection. The views stay.
    void close();
    bool isOpen() const;

    const CRect& getViewSize() const { return size; }
    int getWidth() const { return size.width(); }
    int getHeight() const { return size.height(); }
    const std::shared_ptr<CBitmap>& getBackground() const { return background; }
    void setBackground(std::shared_ptr<CBitmap> bitmap);

    // Views, drawn in the order they were added (later ones on top). The frame owns them.
    CView* addView(std::unique_ptr<CView> view);
    template <class T>
    T* add(std::unique_ptr<T> view) {
        T* raw = view.get();
        addView(std::move(view));
        return raw;
    }
    bool removeView(CView* view);  // destroys it; false when it is not ours
    void removeAll();
    std::size_t getNbViews() const { return views.size(); }
    CView* getView(std::size_t index) const;
    bool isChild(const CView* view) const;
    // The topmost visible view under `where` that takes the mouse, or nullptr.
    CView* getViewAt(CPoint where) const;

    // Drawing. Every dirty view and every invalidated rectangle is repainted on the next
    // redraw: the background, then each visible view that meets the rectangle, clipped to it.
    // Views draw in frame coordinates: a view's getViewSize() is where it paints.
    void invalidate(const CRect& rect);
    void invalidateAll() { invalidate(size); }
    // Repaints what is dirty into the picture and copies the repainted rectangles to the
    // window (when open). Returns the rectangles repainted.
    std::vector<CRect> redraw();
    // Repaints the whole frame now, whether dirty or not (the picture only).
    void drawAll();
    const COffscreen& getPicture() const { return picture; }
    const DirtyRegion& getPendingRegion() const { return pending; }

    // Input, in frame coordinates. The view that takes a mouse-down captures the mouse: it gets
    // the moves and the up until the last button is released, wherever the pointer goes.
    void mouseDown(CPoint where, unsigned buttons);
    void mouseMoved(CPoint where, unsigned buttons);
    void mouseUp(CPoint where, unsigned buttons);
    bool keyDown(unsigned keySymbol, std::string_view text);  // to the focused view
    // A letter key ('a' to 'z') pressed with Control, and the modifiers held (kControl, kShift,
    // kAlt): the window's shortcuts, to the shortcut handler. True when it was used.
    using ShortcutHandler = std::function<bool(unsigned letter, unsigned modifiers)>;
    void setShortcutHandler(ShortcutHandler handler) { shortcutHandler = std::move(handler); }
    bool shortcut(unsigned letter, unsigned modifiers);
    // A press runs from the first button down to the last button up (or to the end of the
    // modal loop or the file drag that took the release): `begins` is heard before any view sees
    // the press, `ends` after the view has seen its release. What a press changes is one gesture.
    void setPressHandlers(std::function<void()> begins, std::function<void()> ends);
    bool pressInProgress() const { return pressOpen; }
    // The pointer left the window: the view it was over hears it left, unless it holds the
    // capture (it hears that at the release).
    void mouseExitedWindow();
    CView* getMouseCapture() const { return capture; }
    // The view the pointer is over (onMouseEntered told it so), or the capture while a drag runs.
    CView* getHoverView() const { return hover; }
    CView* getFocusView() const { return focus; }
    void setFocusView(CView* view);  // looseFocus on the old one, takeFocus on the new one
    // Asks the window system for the keyboard (a text field inside a host's window needs it).
    void grabKeyboardFocus();

    void setCursor(CursorShape shape);
    CursorShape getCursor() const { return cursor; }

    // Files dragged onto the window from other programs go to `handler` (DragAndDrop.h); an
    // empty handler (no `drop`) makes the window refuse them. Kept across close and open.
    void setDropHandler(DropHandler handler);
    const DropHandler& getDropHandler() const { return dropHandler; }
    // Drags the file at `path` out of the window, for a control's mouse-down or mouse-moved
    // handler while the left button is held: follows the pointer over other programs' windows
    // until the button is released (or Escape) and returns whether a target took the file. The
    // drag takes the button's release: the view that started it gets its mouse-up when its
    // handler returns. A release over the frame's own window drops nothing. False at once while
    // the window is closed or the left button is not down.
    bool startFileDrag(const std::string& path);

    // Pending window events (never waiting for one), then the redraw, then each view's onIdle.
    void idle();

    // For modal pop-ups and dialogs built on the frame.
    WindowId getWindow() const;  // the frame's own window; 0 while closed
    WindowId getParentWindow() const;  // the host's window; 0 while closed
    CPoint localToScreen(CPoint where) const;  // frame coordinates to the screen's
    CRect getScreenRect(const CView& view) const;
    // Runs `body`, which holds a modal loop of its own (the system's menu, message box or file
    // dialog): the press that opened it loses its release to that loop, and the frame ends the
    // press as mouseDown's caller returns. While it runs, idle() only redraws (as runModal's
    // loop does), so that a host's idle calls do not run the views' idle work inside a handler.
    void runNativeModal(const std::function<void()>& body);
#if RIMBA_TOOLKIT_X11
    Display* getDisplay() const;  // nullptr while closed
    int getScreen() const;  // the default screen of the display
    // A nested event loop: runs until `finished` returns true, the frame closes or the X server
    // is lost. Each X
    // event goes first to `filter` (true: consumed); the rest go to the frame as usual. The
    // frame redraws between events; while nothing happens the loop waits on the display's
    // connection for at most `waitMs` milliseconds at a time.
    void runModal(const std::function<bool(XEvent&)>& filter, const std::function<bool()>& finished, int waitMs = 10);
    // Dispatches one X event of the frame's window (expose, mouse, keys); false when it was not
    // ours. Used by the event pump and by modal loops that forward events.
    bool dispatchEvent(XEvent& event);
#endif

    // Called by a view when it goes away, so that the frame forgets any pointer to it.
    void forget(const CView* view);
    // The tooltips of the open window; nullptr while closed.
    TooltipPresenter* getTooltips() const { return tooltips.get(); }

private:
    void paintRect(CDrawContext& context, const CRect& rect);
    void collectDirtyViews();
    void dropPointersTo(const CView* view);
    void endDragOf(CView* view);
    void endPressTakenByModal(CView* target, CPoint where, unsigned buttons);
    void endPressIfReleased();
    void hoverOver(CView* view);

    CRect size;
    std::shared_ptr<CBitmap> background;
    std::vector<std::unique_ptr<CView>> views;
    COffscreen picture;
    DirtyRegion pending;
    CView* capture = nullptr;
    CView* focus = nullptr;
    CView* hover = nullptr;
    unsigned heldButtons = 0;  // mouse buttons down now; the capture ends when none is
    int modalRuns = 0;  // nested loops run so far: a press that ran one lost its release
    int nativeModalDepth = 0;  // runNativeModal calls under way
    CursorShape cursor = CursorShape::arrow;
    DropHandler dropHandler;
    ShortcutHandler shortcutHandler;
    std::function<void()> pressBegins;
    std::function<void()> pressEnds;
    bool pressOpen = false;
    std::optional<CPoint> releaseTakenByDrag;  // where a drag out of the window ended
    std::unique_ptr<FrameWindow> window;
    // Made with the window and gone before it: its own window lives on the window's display.
    std::unique_ptr<TooltipPresenter> tooltips;
};

}  // namespace rimba::toolkit
