#include "plugin/editor/toolkit/Tooltip.h"

#include <algorithm>
#include <cmath>

#include "common/platform/Clock.h"
#include "plugin/editor/toolkit/DialogText.h"

namespace rimba::toolkit {

namespace {

constexpr int kLineHeight = 16;
constexpr int kPadding = 5;
constexpr double kFontSize = 11.0;
// Below and right of the pointer, so the pointer never covers the text.
constexpr CPoint kOffset{12, 20};

TooltipSystem systemOf([[maybe_unused]] const CFrame& frame) {
#if RIMBA_TOOLKIT_X11
    return TooltipSystem{frame.getDisplay()};
#else
    return TooltipSystem{};
#endif
}

}  // namespace

TooltipPresenter::TooltipPresenter(TooltipSystem windowSystem, std::function<CPoint(CPoint)> frameToScreen, Clock ticks)
    : system(windowSystem),
      toScreen(std::move(frameToScreen)),
      clock(ticks ? std::move(ticks) : Clock(platform::tickMilliseconds)) {}

TooltipPresenter::TooltipPresenter(CFrame& openFrame)
    : TooltipPresenter(systemOf(openFrame), [&openFrame](CPoint where) { return openFrame.localToScreen(where); }) {}

TooltipPresenter::~TooltipPresenter() = default;

WindowId TooltipPresenter::windowId() const { return window ? window->id() : 0; }

void TooltipPresenter::onMouseMoved(const CView* view, CPoint where) {
    const bool hasText = view != nullptr && !view->getTooltipText().empty();
    if (hasText) {
        text = view->getTooltipText();
    }
    apply(tracker.pointerMoved(hasText ? view : nullptr, where, clock()));
}

void TooltipPresenter::onMouseDown() { apply(tracker.pointerPressed()); }

void TooltipPresenter::onViewRemoved(const CView* view) { apply(tracker.viewRemoved(view)); }

void TooltipPresenter::onIdle() { apply(tracker.idle(clock())); }

void TooltipPresenter::apply(TooltipTracker::Change change) {
    if (change == TooltipTracker::Change::show) {
        show();
    } else if (change == TooltipTracker::Change::hide) {
        window.reset();
    }
}

void TooltipPresenter::show() {
    if (!system.isUsable()) {
        return;
    }
    const std::vector<std::string> lines = tooltipLines(text);
    double widest = 0;
    for (const std::string& line : lines) {
        widest = std::max(widest, measureDialogText(line, kFontSize));
    }
    const int width = static_cast<int>(std::ceil(widest)) + 2 * kPadding;
    const int height = static_cast<int>(lines.size()) * kLineHeight + 2 * kPadding;
    const CPoint pointer = toScreen(tracker.restingPoint());
    const CRect screen = tooltipScreenArea(system, pointer);
    int left = std::min(pointer.x + kOffset.x, screen.right - width);
    int top = pointer.y + kOffset.y;
    if (top + height > screen.bottom) {
        top = pointer.y - height - 4;  // above the pointer near the bottom edge
    }
    left = std::max(left, screen.left);
    top = std::max(top, screen.top);
    window = showTooltipWindow(system, rectOfSize(left, top, width, height), [&](CDrawContext& context) {
        context.setColour(1.0, 1.0, 0.88);
        context.paint();
        context.setColour(0.4, 0.4, 0.4);
        context.setLineWidth(1.0);
        context.rectangle(0.5, 0.5, width - 1, height - 1);
        context.stroke();
        context.setColour(0, 0, 0);
        selectDialogFont(context, kFontSize);
        for (std::size_t i = 0; i < lines.size(); ++i) {
            const int rowTop = kPadding + static_cast<int>(i) * kLineHeight;
            drawTextInRow(context, lines[i], {kPadding, rowTop, width - kPadding, rowTop + kLineHeight});
        }
    });
}

}  // namespace rimba::toolkit
