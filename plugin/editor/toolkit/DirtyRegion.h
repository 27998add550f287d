#pragma once
// The part of the frame that needs repainting: a short list of rectangles that never overlap.
// A rectangle that meets one already listed merges with it (their bounding box), so a meter
// redrawn every tick stays one rectangle; past a handful the whole region collapses into its
// bounding box, cheaper to repaint once than to track.

#include <vector>

#include "plugin/editor/toolkit/Geometry.h"

namespace rimba::toolkit {

class DirtyRegion {
public:
    static constexpr std::size_t kMostRects = 64;

    void add(const CRect& rect);
    void clear() { rects.clear(); }
    bool isEmpty() const { return rects.empty(); }
    const std::vector<CRect>& getRects() const { return rects; }
    CRect bounds() const;
    bool intersects(const CRect& rect) const;

private:
    std::vector<CRect> rects;
};

// Tells a double click from two single ones by the window system's event times.
class DoubleClickDetector {
public:
    static constexpr unsigned long kIntervalMs = 400;
    static constexpr int kSlopPixels = 4;

    // True when this press completes a double click of the same button near the last press.
    bool press(CPoint where, unsigned button, unsigned long timeMs);

private:
    CPoint lastWhere{};
    unsigned long lastTime = 0;
    unsigned lastButton = 0;
    bool armed = false;
};

}  // namespace rimba::toolkit
