#include "plugin/editor/controls/KnobLogic.h"

#include <algorithm>
#include <cmath>

namespace rimba::controls {

namespace {

float detentAngle(const KnobRange& range) {
    return kKnob340Degrees * (range.defaultValue - range.minimum) / (range.maximum - range.minimum);
}

}  // namespace

KnobDrag chooseKnobDrag(KnobMode mode, toolkit::CPoint fromCentre) {
    switch (mode) {
        case KnobMode::linear: return KnobDrag::linear;
        case KnobMode::circular: return KnobDrag::circular;
        case KnobMode::intuitive: break;
    }
    const int squaredDistance = fromCentre.x * fromCentre.x + fromCentre.y * fromCentre.y;
    return squaredDistance < 64 ? KnobDrag::linear : KnobDrag::circular;
}

KnobMode knobModeFromSetting(int setting) {
    if (setting == 1)
        return KnobMode::circular;
    if (setting == 2)
        return KnobMode::intuitive;
    return KnobMode::linear;
}

float knobAngleChange(KnobDrag drag, toolkit::CPoint p, toolkit::CPoint q, float sensitivity, float deadAngle) {
    if (p == q)
        return 0.0f;
    if (drag == KnobDrag::linear)
        return static_cast<float>(p.x - q.x - (p.y - q.y)) * sensitivity;
    const float dot = static_cast<float>(p.x * q.x + p.y * q.y);
    if (dot == 0.0f)
        return 0.0f;
    const float cross = static_cast<float>(p.y * q.x - p.x * q.y);
    return std::atan(cross / dot) * kKnobPi / (kKnobPi - deadAngle);
}

float limitKnobAngle(float angle) { return std::clamp(angle, 0.0f, kKnobTwoPi); }

float knobValueOfAngle(float angle, const KnobRange& range) {
    if (range.maximum == range.minimum)
        return range.minimum;
    float usableArc = kKnobTwoPi;
    if (range.detent) {
        const float middle = detentAngle(range);
        if (angle > middle)
            angle = std::max(angle - kKnob20Degrees, middle);
        usableArc = kKnob340Degrees;
    }
    return angle / usableArc * (range.maximum - range.minimum) + range.minimum;
}

float knobAngleOfValue(float value, const KnobRange& range) {
    if (range.maximum == range.minimum)
        return 0.0f;
    const float share = (value - range.minimum) / (range.maximum - range.minimum);
    if (!range.detent)
        return limitKnobAngle(share * kKnobTwoPi);
    float angle = share * kKnob340Degrees;
    // Past the default the angle lies beyond the 20 degrees the detent holds.
    if (angle > detentAngle(range))
        angle += kKnob20Degrees;
    return limitKnobAngle(angle);
}

}  // namespace rimba::controls
