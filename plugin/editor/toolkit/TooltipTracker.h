#pragma once
// When a tooltip shows and hides, free of any window system: the pointer must rest over a view
// that carries a tooltip text for kTooltipDelayMs, counted on idle ticks against a monotonic
// millisecond clock (never a blocking wait). A move away, a click or the view's removal hides it;
// after a click it stays hidden until the pointer has left the view. Editor thread only.

#include <cstdint>
#include <string>
#include <vector>

#include "plugin/editor/toolkit/Geometry.h"

namespace rimba::toolkit {

class CView;

constexpr std::uint32_t kTooltipDelayMs = 600;

// The lines of a tooltip text: "\r\n" (or a lone "\n") breaks a line.
std::vector<std::string> tooltipLines(const std::string& text);

class TooltipTracker {
public:
    enum class Change { none, show, hide };

    // The pointer is over `view` (nullptr: over none, or over one without a tooltip text) at
    // `where`, at tick `now` (milliseconds, compared by difference only).
    Change pointerMoved(const CView* view, CPoint where, std::uint32_t now);
    Change pointerPressed();
    Change viewRemoved(const CView* view);  // a view about to be deleted
    Change idle(std::uint32_t now);

    bool isShown() const { return shown; }
    const CView* target() const { return view; }
    CPoint restingPoint() const { return where; }

private:
    Change hide();

    const CView* view = nullptr;
    CPoint where;
    std::uint32_t restingSince = 0;
    bool shown = false;
    bool suppressed = false;  // after a click, until the pointer leaves the view
};

}  // namespace rimba::toolkit
