#pragma once
// The tooltip of a frame: a small pop-up window with a view's tooltip text (an override-redirect
// window on X11, a topmost pop-up that never takes the activation on Windows), shown
// once the pointer has rested over the view (TooltipTracker) and hidden when it moves away, on a
// click, or when the presenter goes (with the frame's close). The frame makes one while its
// window is open and tells it where the pointer is. Editor thread only.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "plugin/editor/toolkit/Frame.h"
#include "plugin/editor/toolkit/TooltipTracker.h"
#include "plugin/editor/toolkit/WindowSystem.h"

namespace rimba::toolkit {

// What the system's half needs to show a tooltip window.
struct TooltipSystem {
#if RIMBA_TOOLKIT_X11
    Display* display = nullptr;
    bool isUsable() const { return display != nullptr; }
#else
    bool isUsable() const { return true; }
#endif
};

// A shown tooltip's window; destroying it hides it.
class TooltipWindow {
public:
    virtual ~TooltipWindow() = default;
    virtual WindowId id() const = 0;
};

// The system's half (X11Tooltip.cpp, win32/Win32Tooltip.cpp). The screen's rectangle that a
// tooltip near `point` (screen coordinates) stays inside.
CRect tooltipScreenArea(const TooltipSystem& system, CPoint point);
// A tooltip window at `place` (screen coordinates) showing what `draw` draws in its own
// coordinates; nullptr when the window cannot be made.
std::unique_ptr<TooltipWindow> showTooltipWindow(const TooltipSystem& system, const CRect& place,
                                                 const std::function<void(CDrawContext&)>& draw);

class TooltipPresenter {
public:
    using Clock = std::function<std::uint32_t()>;  // milliseconds, monotonic, wrapping

    // `toScreen` turns the frame's coordinates into the screen's; `clock` is the monotonic
    // millisecond tick unless a test gives its own.
    TooltipPresenter(TooltipSystem system, std::function<CPoint(CPoint)> toScreen, Clock clock = {});
#if RIMBA_TOOLKIT_X11
    TooltipPresenter(Display* display, std::function<CPoint(CPoint)> toScreen, Clock clock = {})
        : TooltipPresenter(TooltipSystem{display}, std::move(toScreen), std::move(clock)) {}
#endif
    explicit TooltipPresenter(CFrame& openFrame);
    ~TooltipPresenter();
    TooltipPresenter(const TooltipPresenter&) = delete;
    TooltipPresenter& operator=(const TooltipPresenter&) = delete;

    // `view` is the view under the pointer (or nullptr); one without a tooltip text counts as none.
    void onMouseMoved(const CView* view, CPoint where);
    void onMouseDown();
    void onViewRemoved(const CView* view);
    void onIdle();
    bool isShown() const { return window != nullptr; }
    WindowId windowId() const;  // 0 while hidden

private:
    void apply(TooltipTracker::Change change);
    void show();

    TooltipSystem system;
    std::function<CPoint(CPoint)> toScreen;
    Clock clock;
    TooltipTracker tracker;
    std::string text;
    std::unique_ptr<TooltipWindow> window;
};

}  // namespace rimba::toolkit
