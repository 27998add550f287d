#include "plugin/editor/toolkit/DirtyRegion.h"

#include <cstdint>
#include <cstdlib>

namespace rimba::toolkit {

void DirtyRegion::add(const CRect& rect) {
    if (rect.isEmpty())
        return;
    CRect grown = rect;
    // A merged rectangle may now meet others it did not before: keep merging until none does.
    for (bool merged = true; merged;) {
        merged = false;
        for (auto it = rects.begin(); it != rects.end(); ++it) {
            if (!it->intersection(grown).isEmpty()) {
                grown = grown.united(*it);
                rects.erase(it);
                merged = true;
                break;
            }
        }
    }
    rects.push_back(grown);
    if (rects.size() > kMostRects) {
        CRect all = bounds();
        rects.assign(1, all);
    }
}

CRect DirtyRegion::bounds() const {
    CRect all;
    for (const CRect& r : rects)
        all = all.united(r);
    return all;
}

bool DirtyRegion::intersects(const CRect& rect) const {
    for (const CRect& r : rects)
        if (!r.intersection(rect).isEmpty())
            return true;
    return false;
}

bool DoubleClickDetector::press(CPoint where, unsigned button, unsigned long timeMs) {
    // The window system's time is a 32-bit millisecond tick that wraps.
    const auto elapsed = static_cast<std::uint32_t>(timeMs - lastTime);
    bool isDouble = armed && button == lastButton && elapsed <= kIntervalMs &&
                    std::abs(where.x - lastWhere.x) <= kSlopPixels && std::abs(where.y - lastWhere.y) <= kSlopPixels;
    // The press that completes a double click does not start another: a third press is single.
    armed = !isDouble;
    lastWhere = where;
    lastTime = timeMs;
    lastButton = button;
    return isDouble;
}

}  // namespace rimba::toolkit
