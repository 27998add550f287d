#include "plugin/editor/controls/VornKnob.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "plugin/editor/artwork/ArtworkGeometry.h"

namespace rimba::controls {

using toolkit::CPoint;
using toolkit::CRect;
using toolkit::MouseResult;

namespace {

constexpr int kValueTextHeight = 12;

}  // namespace

CVornKnob::CVornKnob(const CRect& size, toolkit::CControlListener* listener, long tag, std::string_view bitmapName)
    : CVornControlEx(size, listener, tag), strip(FilmStrip::load(bitmapName)) {
    setBackground(strip.bitmap);
}

void CVornKnob::setDetent(bool on) {
    detent = on;
    angle = knobAngleOfValue(getValue(), range());
}

void CVornKnob::setKnobValue(float value) {
    setValue(value);
    angle = knobAngleOfValue(getValue(), range());
    invalid();
}

KnobRange CVornKnob::range() const { return {getMin(), getMax(), getDefaultValue(), detent}; }

CPoint CVornKnob::fromCentre(CPoint where) const {
    const CPoint centre = getViewSize().centre();
    return {where.x - centre.x, where.y - centre.y};
}

MouseResult CVornKnob::mouseDown(CPoint where, unsigned buttons) {
    if (!(buttons & toolkit::kLButton))
        return CVornControlEx::mouseDown(where, buttons);
    const CPoint p = fromCentre(where);
    // A value the editor set through the plain setValue leaves the angle behind: take it up.
    if (knobValueOfAngle(angle, range()) != getValue())
        angle = knobAngleOfValue(getValue(), range());
    drag = chooseKnobDrag(mode, p);
    dragging = true;
    setCursor(drag == KnobDrag::linear ? toolkit::CursorShape::sizeAll : toolkit::CursorShape::hand);
    // The press is the first position of the drag, so the knob never jumps when it is taken.
    lastPosition = p;
    turn(p);
    return MouseResult::handled;
}

MouseResult CVornKnob::mouseMoved(CPoint where, unsigned buttons) {
    if (!dragging || !(buttons & toolkit::kLButton))
        return CVornControlEx::mouseMoved(where, buttons);
    turn(fromCentre(where));
    return MouseResult::handled;
}

MouseResult CVornKnob::mouseUp(CPoint where, unsigned buttons) {
    if (!dragging)
        return CVornControlEx::mouseUp(where, buttons);
    dragging = false;
    CVornControlEx::mouseUp(where, buttons);
    setCursor(toolkit::CursorShape::arrow);
    return MouseResult::handled;
}

void CVornKnob::turn(CPoint p) {
    if (p == lastPosition)
        return;
    angle = limitKnobAngle(angle + knobAngleChange(drag, p, lastPosition, sensitivity, kDeadAngle));
    // Every move counts from the one before, whether the value changed or not: inside the
    // detent or against an end the pointer still travels, and counting from an older position
    // would add the same stretch again on every move.
    lastPosition = p;
    changeValueByUser(knobValueOfAngle(angle, range()));
}

void CVornKnob::drawControl(toolkit::CDrawContext& context) {
    const CRect& box = getViewSize();
    // The frames run from the minimum to the maximum, so the picture follows the value (which
    // the detent holds still) rather than the raw angle.
    const int frame = frameOfValue(getValue(), getMin(), getMax(), strip.frames);
    if (!strip.isEmpty()) {
        const int x = box.left + (box.width() - strip.frameWidth()) / 2;
        strip.draw(context, {x, box.top}, frame);
    } else {
        // Without artwork: a plain disc with a pointer, so the knob stays usable.
        const double radius = std::min(box.width(), box.height() - kValueTextHeight) / 2.0 - 1.0;
        const double cx = box.left + box.width() / 2.0;
        const double cy = box.top + radius + 1.0;
        context.save();
        context.setColour(0.35, 0.35, 0.38);
        context.arc(cx, cy, radius, 0.0, 2.0 * kKnobPi);
        context.fill();
        const double share = getMax() != getMin() ? (getValue() - getMin()) / (getMax() - getMin()) : 0.0;
        const double pointer =
            (artwork::kKnobArcStartDegrees + share * artwork::kKnobArcSweepDegrees) * (kKnobPi / 180.0);
        context.setColour(1.0, 1.0, 1.0);
        context.setLineWidth(2.0);
        context.moveTo(cx, cy);
        context.lineTo(cx + radius * std::cos(pointer), cy + radius * std::sin(pointer));
        context.stroke();
        context.restore();
    }
    if (showValue && box.height() >= kValueTextHeight * 2) {
        char text[32];
        std::snprintf(text, sizeof text, "%.2f", static_cast<double>(getValue()));
        drawText(context, {box.left, box.bottom - kValueTextHeight, box.right, box.bottom}, text, 9.0,
                 TextAlign::centre, 0.9, 0.9, 0.9);
    }
}

}  // namespace rimba::controls
