#include "plugin/editor/toolkit/TooltipTracker.h"

namespace rimba::toolkit {

std::vector<std::string> tooltipLines(const std::string& text) {
    std::vector<std::string> lines;
    std::string line;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
            continue;  // the "\n" that follows ends the line
        }
        if (text[i] == '\n') {
            lines.push_back(line);
            line.clear();
        } else {
            line += text[i];
        }
    }
    lines.push_back(line);
    return lines;
}

TooltipTracker::Change TooltipTracker::hide() {
    const bool wasShown = shown;
    shown = false;
    return wasShown ? Change::hide : Change::none;
}

TooltipTracker::Change TooltipTracker::pointerMoved(const CView* over, CPoint point, std::uint32_t now) {
    if (over == view) {
        if (!shown) {
            // Still moving: the rest starts again.
            where = point;
            restingSince = now;
        }
        return Change::none;
    }
    view = over;
    where = point;
    restingSince = now;
    suppressed = false;
    return hide();
}

TooltipTracker::Change TooltipTracker::pointerPressed() {
    suppressed = view != nullptr;
    return hide();
}

TooltipTracker::Change TooltipTracker::viewRemoved(const CView* removed) {
    if (removed == nullptr || removed != view) {
        return Change::none;
    }
    view = nullptr;
    suppressed = false;
    return hide();
}

TooltipTracker::Change TooltipTracker::idle(std::uint32_t now) {
    if (shown || suppressed || view == nullptr) {
        return Change::none;
    }
    if (static_cast<std::uint32_t>(now - restingSince) >= kTooltipDelayMs) {
        shown = true;
        return Change::show;
    }
    return Change::none;
}

}  // namespace rimba::toolkit
