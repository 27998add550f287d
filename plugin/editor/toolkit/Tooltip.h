#pragma once
// The tooltip of a frame: a small override-redirect window with a view's tooltip text, shown
// once the pointer has rested over the view (TooltipTracker) and hidden when it moves away, on a
// click, or when the presenter goes (with the frame's close). The frame makes one while its
// window is open and tells it where the pointer is. Editor thread only.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "plugin/editor/toolkit/Frame.h"
#include "plugin/editor/toolkit/TooltipTracker.h"

namespace rimba::toolkit {

class DialogWindow;

class TooltipPresenter {
public:
    using Clock = std::function<std::uint32_t()>;  // milliseconds, monotonic, wrapping

    // `toScreen` turns the frame's coordinates into the root window's; `clock` is the monotonic
    // millisecond tick unless a test gives its own.
    TooltipPresenter(Display* display, std::function<CPoint(CPoint)> toScreen, Clock clock = {});
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
    unsigned long windowId() const;  // 0 while hidden

private:
    void apply(TooltipTracker::Change change);
    void show();

    Display* display;
    std::function<CPoint(CPoint)> toScreen;
    Clock clock;
    TooltipTracker tracker;
    std::string text;
    std::unique_ptr<DialogWindow> window;
};

}  // namespace rimba::toolkit
