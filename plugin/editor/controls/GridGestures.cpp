#include "plugin/editor/controls/GridGestures.h"

#include <algorithm>
#include <cstdlib>

namespace rimba::controls {

using toolkit::CPoint;
using toolkit::CRect;

namespace {

constexpr int kLastStep = kMaxSteps - 1;
constexpr int kMaxStripRows = kDefaultTrackCount;

// Division that rounds towards minus infinity: a pointer left of the grid or above the first strip
// must land before them, not on their first column or row.
int floorDivide(int value, int divisor) {
    const int quotient = value / divisor;
    return (value % divisor != 0 && (value < 0) != (divisor < 0)) ? quotient - 1 : quotient;
}

bool isStep(int step) { return step >= 0 && step <= kLastStep; }

std::size_t at(int step) { return static_cast<std::size_t>(step); }

PatternStep stepOf(const GridTarget& target, int step) {
    const auto p = at(target.pattern);
    const auto s = at(step);
    return {target.data->stepVelocity[p][s], target.data->stepRoll[p][s], target.data->stepHold[p][s]};
}

// Hands the step's new values to the writer and says whether they changed, so that a gesture
// reports only real edits.
bool changeStep(const GridTarget& target, int step, const PatternStep& values) {
    if (stepOf(target, step) == values)
        return false;
    target.writer->setStep(target.pattern, step, values);
    return true;
}

// The nearest earlier hit whose hold covers `step`, or -1.
int hitHolding(const GridTarget& target, int step) {
    const auto& velocity = target.data->stepVelocity[at(target.pattern)];
    const auto& hold = target.data->stepHold[at(target.pattern)];
    for (int c = step - 1; c >= 0; --c) {
        if (velocity[at(c)] == 0.0f)
            continue;
        return static_cast<float>(step) < static_cast<float>(c) + hold[at(c)] ? c : -1;
    }
    return -1;
}

// The first hit after `step`, or -1.
int nextHit(const GridTarget& target, int step) {
    const auto& velocity = target.data->stepVelocity[at(target.pattern)];
    for (int t = step + 1; t <= kLastStep; ++t)
        if (velocity[at(t)] != 0.0f)
            return t;
    return -1;
}

}  // namespace

int wholeUnits(float value, int most) {
    if (!(value > 0.0f))
        return 0;
    return value >= static_cast<float>(most) ? most : static_cast<int>(value);
}

CRect GridGeometry::stepsArea() const {
    CRect area = box;
    area.top += headerHeight;
    if (scrollBar)
        area.bottom -= kScrollBarReach;
    return area;
}

int GridGeometry::stepAt(int x, int scrollOffset) const {
    const int columnWidth = box.width() / kVisibleSteps;
    if (columnWidth <= 0)
        return -1;
    return floorDivide(x - box.left, columnWidth) + scrollOffset;
}

int GridGeometry::velocityAt(int y) const {
    const CRect area = stepsArea();
    const int h = area.height() - 8;
    if (h <= 0)
        return kMaxVelocity;
    const int v = kMaxVelocity - static_cast<int>(static_cast<double>(y - area.top - 4) / h * 128.0);
    return std::clamp(v, 1, kMaxVelocity);
}

bool GridGeometry::onScrollBar(CPoint where) const { return scrollBar && where.y >= box.bottom - kScrollBarReach; }

int GridGeometry::thumbLeft(int scrollOffset) const {
    return kArrowWidth + (box.width() - 2 * kArrowWidth) * scrollOffset / kMaxSteps;
}

int GridGeometry::thumbWidth() const { return (box.width() - 2 * kArrowWidth) / 4; }

void GridGestures::setScrollOffset(int firstStep) {
    scrollOffset = std::clamp(firstStep, 0, GridGeometry::kMaxScrollOffset);
}

GridOutcome GridGestures::scrollTo(int offset) {
    const int before = scrollOffset;
    setScrollOffset(offset);
    return scrollOffset != before ? GridOutcome::scrolled() : GridOutcome{};
}

GridOutcome GridGestures::mouseDown(GridTarget target, const GridGeometry& geometry, CPoint where, GridButton button,
                                    GridKeys keys) {
    // A second button during a drag belongs to that drag: it starts nothing of its own.
    if (gesture != Gesture::none)
        return {};
    if (geometry.onScrollBar(where))
        return pressScrollBar(geometry, where);
    return pressStep(target, geometry.stepAt(where.x, scrollOffset), where, button, keys);
}

GridOutcome GridGestures::pressScrollBar(const GridGeometry& geometry, CPoint where) {
    const int x = where.x - geometry.box.left;
    const int width = geometry.box.width();
    if (x >= width - GridGeometry::kRightArrowReach)
        return scrollTo(scrollOffset + 1);
    if (x < GridGeometry::kArrowWidth)
        return scrollTo(scrollOffset - 1);
    const int thumb = geometry.thumbLeft(scrollOffset);
    if (x >= thumb && x < thumb + geometry.thumbWidth()) {
        gesture = Gesture::thumb;
        scrollDragStart = scrollOffset;
        pressPoint = where;
        return {};
    }
    return GridOutcome::menu(where);
}

GridOutcome GridGestures::pressStep(GridTarget target, int step, CPoint where, GridButton button, GridKeys keys) {
    if (!target.editable() || target.pattern < 0 || target.pattern >= kPatternCount || !isStep(step))
        return {};
    // The keys only add to the grid's modes, and only until the release: letting go of Shift
    // mid-drag does not turn a hold into a roll.
    gestureLength = lengthMode || keys.shift;
    gestureShortHold = shortHoldMode || (keys.shift && keys.control);
    if (gestureLength && !gestureShortHold) {
        const int holder = hitHolding(target, step);
        if (holder >= 0) {
            step = holder;
            selectedNote = holder;
        }
    }
    pressPoint = where;
    lastMouse = where;
    if (button == GridButton::right) {
        gesture = Gesture::right;
        selectedNote = step;
        rightDrag = RightDrag::undecided;
        return {};
    }
    gesture = Gesture::left;
    pressedStep = step;
    paintStep = step;
    painting = false;

    const PatternStep now = stepOf(target, step);
    // A random keystroke goes first and alone: the hit under it stays as it is.
    if (loadRelaxed(target.data->randomHit[at(step)]) != 0.0f) {
        target.writer->removeKeystroke(step);
    } else if (now.velocity != 0.0f) {
        if (!gestureLength || gestureShortHold) {
            target.writer->setStep(target.pattern, step, {.velocity = 0.0f, .roll = 0.0f, .hold = now.hold});
        } else {
            // The hit stays until the release, so that a drag can still keep it.
            target.writer->setStep(target.pattern, step, {.velocity = now.velocity, .roll = now.roll, .hold = 0.0f});
            pendingDelete = step;
        }
    } else {
        target.writer->setStep(target.pattern, step, {.velocity = static_cast<float>(kMaxVelocity)});
    }
    return GridOutcome::changed(step);
}

GridOutcome GridGestures::mouseMoved(GridTarget target, const GridGeometry& geometry, CPoint where, HeldButtons held) {
    if (!target.editable() && gesture != Gesture::thumb)
        return {};
    switch (gesture) {
        case Gesture::left: return held.left ? paint(target, geometry, where) : GridOutcome{};
        case Gesture::right: return held.right ? rightDragTo(target, where) : GridOutcome{};
        case Gesture::thumb: return held.left || held.right ? dragThumb(geometry, where) : GridOutcome{};
        case Gesture::none: break;
    }
    return {};
}

GridOutcome GridGestures::paint(GridTarget target, const GridGeometry& geometry, CPoint where) {
    const int dx = where.x - pressPoint.x;
    const int dy = where.y - pressPoint.y;
    if (std::abs(dy) > kDragThreshold)
        pendingDelete = -1;
    const float v = static_cast<float>(geometry.velocityAt(where.y));
    // A painted step takes the height's velocity and loses its rolls; its hold stays.
    const auto paintStepAt = [&](int step) {
        return changeStep(target, step, {.velocity = v, .roll = 0.0f, .hold = stepOf(target, step).hold});
    };

    if (selectedNote >= 0)
        return paintStepAt(selectedNote) ? GridOutcome::changed(selectedNote) : GridOutcome{};
    if (!painting && (std::abs(dx) > kDragThreshold || std::abs(dy) > kDragThreshold))
        painting = true;
    if (!painting)
        return {};

    const int g = std::clamp(geometry.stepAt(where.x, scrollOffset), 0, kLastStep);
    const int p = paintStep;
    // Moving right paints from the previous step up to the one before the pointer; otherwise
    // from the pointer's step back to the previous one.
    const int first = g > p ? p : g;
    const int last = g > p ? g - 1 : p;
    paintStep = g;
    bool changed = false;
    for (int step = first; step <= last; ++step) {
        if (paintStepAt(step))
            changed = true;
    }
    return changed ? GridOutcome::changed(first, last) : GridOutcome{};
}

GridOutcome GridGestures::rightDragTo(GridTarget target, CPoint where) {
    if (rightDrag == RightDrag::undecided) {
        if (std::abs(where.x - pressPoint.x) > kDragThreshold)
            rightDrag = RightDrag::horizontal;
        else if (std::abs(where.y - pressPoint.y) > kDragThreshold)
            rightDrag = RightDrag::vertical;
        else
            return {};
        // The movement that decided the direction counts: lastMouse is still the press point.
    }
    const int step = selectedNote;
    PatternStep values = stepOf(target, step);
    const auto changedTo = [&](const PatternStep& changed) {
        return changeStep(target, step, changed) ? GridOutcome::changed(step) : GridOutcome{};
    };
    const int dy = where.y - lastMouse.y;
    lastMouse.y = where.y;

    if (rightDrag == RightDrag::vertical) {
        if (gestureLength) {
            const float tune = target.data->stepTune[at(step)];
            const auto raised =
                static_cast<float>(std::clamp(static_cast<double>(tune) - dy * 0.1, -kMaxTune * 1.0, kMaxTune * 1.0));
            if (raised == tune)
                return {};
            target.writer->setStepTune(step, raised);
            return GridOutcome::changed(step);
        }
        values.velocity = static_cast<float>(std::clamp(static_cast<int>(values.velocity) - dy, 1, kMaxVelocity));
        return changedTo(values);
    }

    // Horizontal: whole units of pixels since the last applied change, each move counting from
    // the previous applied one, so that turning back past an end takes effect at once.
    const int pixelsPerUnit = gestureShortHold ? kShortHoldPixels : gestureLength ? kHoldPixels : kRollPixels;
    const int units = (where.x - lastMouse.x) / pixelsPerUnit;
    if (units == 0)
        return {};
    lastMouse.x = where.x;
    if (gestureShortHold) {
        const int longer = std::clamp(wholeUnits(values.hold, kMaxShortHold) + units, 0, kMaxShortHold);
        values.hold = static_cast<float>(longer);
        return changedTo(values);
    }
    if (gestureLength) {
        int longer = std::clamp(wholeUnits(values.hold, kLastStep) + units, 0, kLastStep);
        // A hold ends before the next hit of the row, or the two would overlap.
        const int next = nextHit(target, step);
        if (next >= 0)
            longer = std::min(longer, next - step);
        values.hold = static_cast<float>(longer);
        return changedTo(values);
    }
    values.roll = static_cast<float>(std::clamp(wholeUnits(values.roll, kMaxRoll) + units, 0, kMaxRoll));
    return changedTo(values);
}

GridOutcome GridGestures::dragThumb(const GridGeometry& geometry, CPoint where) {
    const double track = (geometry.box.width() - 2 * GridGeometry::kArrowWidth) * 0.75;
    if (track <= 0.0)
        return {};
    const int dx = where.x - pressPoint.x;
    return scrollTo(scrollDragStart + static_cast<int>(dx / track * GridGeometry::kMaxScrollOffset));
}

GridOutcome GridGestures::mouseUp(GridTarget target) {
    GridOutcome outcome;
    if (pendingDelete >= 0 && target.editable()) {
        target.writer->setStep(target.pattern, pendingDelete, {});
        outcome = GridOutcome::changed(pendingDelete);
    }
    endGesture();
    return outcome;
}

void GridGestures::endGesture() {
    gesture = Gesture::none;
    paintStep = -1;
    painting = false;
    pressedStep = -1;
    selectedNote = -1;
    pendingDelete = -1;
    rightDrag = RightDrag::undecided;
    scrollDragStart = -1;
    gestureLength = false;
    gestureShortHold = false;
}

GridCursor GridGestures::cursor() const {
    switch (gesture) {
        case Gesture::right:
            switch (rightDrag) {
                case RightDrag::undecided: return GridCursor::undecided;
                case RightDrag::horizontal: return GridCursor::horizontal;
                case RightDrag::vertical: return GridCursor::vertical;
            }
            break;
        case Gesture::thumb: return GridCursor::thumb;
        case Gesture::left:
        case Gesture::none: break;
    }
    return GridCursor::normal;
}

int StripRows::rowAt(int y) const {
    if (stripPitch <= 0)
        return -1;
    const int row = floorDivide(y - firstStripTop, stripPitch);
    return row >= 0 && row < std::min(rows, kMaxStripRows) ? row : -1;
}

bool StripDrag::press(int row) {
    source = row;
    target = -1;
    return row >= 0;
}

StripDrag::TargetChange StripDrag::move(int row) {
    if (source < 0)
        return {};
    // The source itself and the space beyond the strips are no target: dropping there copies
    // nothing.
    const int wanted = row >= 0 && row != source ? row : -1;
    if (wanted == target)
        return {};
    const TargetChange change{target, wanted};
    target = wanted;
    return change;
}

std::optional<StripDrag::Copy> StripDrag::release() {
    std::optional<Copy> copy;
    if (source >= 0 && target >= 0)
        copy = Copy{source, target};
    cancel();
    return copy;
}

void StripDrag::cancel() {
    source = -1;
    target = -1;
}

}  // namespace rimba::controls
