#pragma once
// The knob's turning arithmetic, free of any view so that it is testable without a display.
// The knob keeps an angle from 0 to 2 pi in single precision; the constants are written out as
// the floats they round to so that every build turns the same knob the same way.

#include "plugin/editor/toolkit/Geometry.h"

namespace rimba::controls {

inline constexpr float kKnobPi = 3.1415927f;
inline constexpr float kKnobTwoPi = 6.2831855f;
inline constexpr float kKnob340Degrees = 5.9341197f;
inline constexpr float kKnob10Degrees = 0.17453294f;
inline constexpr float kKnob20Degrees = 0.34906587f;

// The knob behaviour mode (`KnobBehaviorMode`), set on every knob by the main menu.
enum class KnobMode : int { linear = 0, circular = 1, intuitive = 2 };
enum class KnobDrag { linear, circular };

// Intuitive mode drags linearly when the click lies within 8 pixels of the centre.
KnobDrag chooseKnobDrag(KnobMode mode, toolkit::CPoint fromCentre);
KnobMode knobModeFromSetting(int setting);  // unknown numbers read as linear

// The angle change of one pointer move from q to p (both relative to the centre).
float knobAngleChange(KnobDrag drag, toolkit::CPoint p, toolkit::CPoint q, float sensitivity, float deadAngle);

// The angle kept within 0 .. 2 pi.
float limitKnobAngle(float angle);

struct KnobRange {
    float minimum = 0.0f;
    float maximum = 1.0f;
    float defaultValue = 0.0f;
    bool detent = false;  // holds the default over 20 degrees of turning
};

// The value an angle stands for, and the angle that shows a value set from outside.
float knobValueOfAngle(float angle, const KnobRange& range);
float knobAngleOfValue(float value, const KnobRange& range);

}  // namespace rimba::controls
