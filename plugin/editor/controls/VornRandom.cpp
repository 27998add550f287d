#include "plugin/editor/controls/VornRandom.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace rimba::controls {

using toolkit::CPoint;
using toolkit::CRect;
using toolkit::MouseResult;

CVornPatternRandom::CVornPatternRandom(const CRect& size, toolkit::CControlListener* listener, long tag)
    : CVornControlEx(size, listener, tag), strip(FilmStrip::load("PatternRandom.png")) {
    setMin(0.0f);
    setMax(static_cast<float>(kCells - 1));
}

void CVornPatternRandom::setRange(DensityRange newRange) {
    range = newRange;
    invalid();
}

void CVornPatternRandom::setMaxRoll(int roll) {
    maxRoll = std::clamp(roll, 0, 3);
    invalid();
}

void CVornPatternRandom::report(Gesture gesture) {
    lastGesture = gesture;
    reportValue();
    invalid();
}

MouseResult CVornPatternRandom::mouseDown(CPoint where, unsigned buttons) {
    const int cell = cellInRow(getViewSize(), kCells, where);
    if (cell < 0)
        return MouseResult::handled;
    if (buttons & toolkit::kLButton) {
        setValue(static_cast<float>(cell));
        report(Gesture::pickCell);
    } else if (buttons & toolkit::kRButton) {
        if (cell == 0) {
            rollDragStart = maxRoll;
            rollDragX = where.x;
        } else {
            range = densityRangeAfterRightClick(range, cell);
            report(Gesture::range);
        }
    }
    return MouseResult::handled;
}

MouseResult CVornPatternRandom::mouseMoved(CPoint where, unsigned buttons) {
    if (rollDragStart < 0 || !(buttons & toolkit::kRButton))
        return MouseResult::handled;
    const int roll = maxRollAfterDrag(rollDragStart, where.x - rollDragX);
    if (roll != maxRoll) {
        maxRoll = roll;
        report(Gesture::maxRoll);
    }
    return MouseResult::handled;
}

MouseResult CVornPatternRandom::mouseUp(CPoint, unsigned) {
    rollDragStart = -1;
    return MouseResult::handled;
}

void CVornPatternRandom::drawControl(toolkit::CDrawContext& context) {
    // Keystrokes per 16 steps of each density cell; the artwork lights one segment per keystroke.
    constexpr int kDensityOfCell[kCells] = {0, 1, 2, 4, 6, 8, 12};
    const CRect& box = getViewSize();
    const int cellWidth = box.width() / kCells;
    const int picked = std::clamp(static_cast<int>(getValue()), 0, kCells - 1);
    if (!strip.isEmpty()) {
        strip.draw(context, {box.left, box.top}, kDensityOfCell[picked]);
    } else {
        for (int cell = 0; cell < kCells; ++cell) {
            const double level = cell <= picked && picked > 0 ? 0.85 : 0.3;
            fillRect(context, {box.left + cell * cellWidth, box.top, box.left + (cell + 1) * cellWidth - 1, box.bottom},
                     level, level * 0.45, level * 0.6);
        }
    }
    // The range of cells as a pink line under them, the max roll as dots on cell 0.
    if (range.minimum >= 0) {
        const int last = range.maximum >= 0 ? range.maximum : range.minimum;
        fillRect(
            context,
            {box.left + range.minimum * cellWidth, box.bottom - 2, box.left + (last + 1) * cellWidth - 1, box.bottom},
            0.682, 0.573, 0.925);
    }
    for (int dot = 0; dot < maxRoll; ++dot)
        fillRect(context, {box.left + 1 + dot * 3, box.top + 1, box.left + 3 + dot * 3, box.top + 3}, 1.0, 1.0, 1.0);
}

unsigned graphGripAt(const GraphRect& rect, const CRect& area, CPoint where) {
    constexpr int kReach = 5;
    const float w = static_cast<float>(area.width());
    const float h = static_cast<float>(area.height());
    const int left = area.left + static_cast<int>(rect.x0 * w);
    const int right = area.left + static_cast<int>(rect.x1 * w);
    const int top = area.top + static_cast<int>(rect.y0 * h);
    const int bottom = area.top + static_cast<int>(rect.y1 * h);
    if (where.x < left - kReach || where.x > right + kReach || where.y < top - kReach || where.y > bottom + kReach)
        return kGripNone;
    unsigned grip = kGripNone;
    if (std::abs(where.x - left) <= kReach)
        grip |= kGripLeft;
    else if (std::abs(where.x - right) <= kReach)
        grip |= kGripRight;
    if (std::abs(where.y - top) <= kReach)
        grip |= kGripTop;
    else if (std::abs(where.y - bottom) <= kReach)
        grip |= kGripBottom;
    if (grip != kGripNone)
        return grip;
    const bool inside = where.x > left && where.x < right && where.y > top && where.y < bottom;
    return inside ? kGripMove : kGripNone;
}

GraphRect dragGraphRect(GraphRect rect, unsigned grip, const CRect& area, int dx, int dy) {
    if (area.isEmpty())
        return rect;
    const float fx = static_cast<float>(dx) / static_cast<float>(area.width());
    const float fy = static_cast<float>(dy) / static_cast<float>(area.height());
    // Never so small that both edges lie within reach of one press: the rectangle can always be
    // grabbed again by either edge, and inside it.
    const float minWidth = std::min(1.0f, static_cast<float>(kGraphMinimumPixels) / static_cast<float>(area.width()));
    const float minHeight = std::min(1.0f, static_cast<float>(kGraphMinimumPixels) / static_cast<float>(area.height()));
    if (grip & kGripMove) {
        // The whole rectangle moves, stopping at the edges without changing its size.
        const float mx = std::clamp(fx, -rect.x0, 1.0f - rect.x1);
        const float my = std::clamp(fy, -rect.y0, 1.0f - rect.y1);
        return {rect.x0 + mx, rect.x1 + mx, rect.y0 + my, rect.y1 + my};
    }
    if (grip & kGripLeft)
        rect.x0 = std::clamp(rect.x0 + fx, 0.0f, std::max(rect.x1 - minWidth, 0.0f));
    if (grip & kGripRight)
        rect.x1 = std::clamp(rect.x1 + fx, std::min(rect.x0 + minWidth, 1.0f), 1.0f);
    if (grip & kGripTop)
        rect.y0 = std::clamp(rect.y0 + fy, 0.0f, std::max(rect.y1 - minHeight, 0.0f));
    if (grip & kGripBottom)
        rect.y1 = std::clamp(rect.y1 + fy, std::min(rect.y0 + minHeight, 1.0f), 1.0f);
    return rect;
}

CVornRandomGraphCtrl::CVornRandomGraphCtrl(const CRect& size, toolkit::CControlListener* listener, long tag)
    : CVornControlEx(size, listener, tag), background(FilmStrip::load("RandomGraph.png")), rects(kDefaultGraphRects) {
    setMin(0.0f);
    setMax(1.0f);
}

void CVornRandomGraphCtrl::setRect(int index, const GraphRect& rect) {
    rects[static_cast<std::size_t>(index & 1)] = rect;
    invalid();
}

MouseResult CVornRandomGraphCtrl::mouseDown(CPoint where, unsigned buttons) {
    if (!(buttons & toolkit::kLButton))
        return MouseResult::handled;
    held = -1;
    for (int i = 0; i < 2 && held < 0; ++i) {
        const unsigned g = graphGripAt(rects[static_cast<std::size_t>(i)], getViewSize(), where);
        if (g != kGripNone) {
            held = i;
            grip = g;
        }
    }
    pressedAt = where;
    if (held >= 0)
        pressedRect = rects[static_cast<std::size_t>(held)];
    return MouseResult::handled;
}

MouseResult CVornRandomGraphCtrl::mouseMoved(CPoint where, unsigned buttons) {
    if (held < 0 || !(buttons & toolkit::kLButton))
        return MouseResult::handled;
    const GraphRect moved =
        dragGraphRect(pressedRect, grip, getViewSize(), where.x - pressedAt.x, where.y - pressedAt.y);
    GraphRect& rect = rects[static_cast<std::size_t>(held)];
    if (moved == rect)
        return MouseResult::handled;
    rect = moved;
    setValue(static_cast<float>(held));
    reportValue();
    invalid();
    return MouseResult::handled;
}

MouseResult CVornRandomGraphCtrl::mouseUp(CPoint, unsigned) {
    held = -1;
    return MouseResult::handled;
}

void CVornRandomGraphCtrl::drawControl(toolkit::CDrawContext& context) {
    const CRect& box = getViewSize();
    if (!background.isEmpty())
        background.draw(context, {box.left, box.top}, 0);
    else
        fillRect(context, box, 0.1, 0.1, 0.12);
    const double colours[2][3] = {{0.682, 0.573, 0.925}, {0.333, 0.718, 0.918}};
    for (std::size_t i = 0; i < 2; ++i) {
        const GraphRect& r = rects[i];
        const double x = box.left + r.x0 * box.width();
        const double y = box.top + r.y0 * box.height();
        const double w = (r.x1 - r.x0) * box.width();
        const double h = (r.y1 - r.y0) * box.height();
        context.save();
        context.setColour(colours[i][0], colours[i][1], colours[i][2], 0.35);
        context.rectangle(x, y, w, h);
        context.fillPreserve();
        context.setColour(colours[i][0], colours[i][1], colours[i][2]);
        context.setLineWidth(1.0);
        context.stroke();
        context.restore();
    }
}

}  // namespace rimba::controls
