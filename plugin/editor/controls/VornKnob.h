#pragma once
// The rotary knob: master level, mix and the track knobs. It keeps an angle (KnobLogic.h) and
// turns it by one of three drags chosen when the button goes down.

#include "plugin/editor/controls/KnobLogic.h"
#include "plugin/editor/controls/VornControlEx.h"

namespace rimba::controls {

class CVornKnob : public CVornControlEx {
public:
    // `bitmapName`: "KnobGrayEx.png", "KnobRoseEx.png" or "KnobBlueEx.png".
    CVornKnob(const toolkit::CRect& size, toolkit::CControlListener* listener, long tag,
              std::string_view bitmapName = "KnobGrayEx.png");

    bool isTypeOf(std::string_view className) const override {
        return className == "CVornKnob" || CVornControlEx::isTypeOf(className);
    }
    const char* getClassName() const override { return "CVornKnob"; }

    void setKnobMode(KnobMode newMode) { mode = newMode; }
    KnobMode getKnobMode() const { return mode; }
    void setDetent(bool on);
    bool hasDetent() const { return detent; }
    void setSensitivity(float radiansPerPixel) { sensitivity = radiansPerPixel; }
    float getSensitivity() const { return sensitivity; }
    // Whether the value is written below the knob.
    void setShowValue(bool on) { showValue = on; }

    // A value set from outside (the editor): the angle follows it.
    void setKnobValue(float value);
    float getAngle() const { return angle; }
    bool isDragging() const { return dragging; }
    KnobDrag getDrag() const { return drag; }

    // 2 pi over 250 pixels of movement.
    static constexpr float kDefaultSensitivity = 0.025132741f;
    // The angle of the artwork's gap at the bottom that the pointer need not travel through.
    static constexpr float kDeadAngle = kKnob10Degrees;

protected:
    void drawControl(toolkit::CDrawContext& context) override;
    toolkit::MouseResult mouseDown(toolkit::CPoint where, unsigned buttons) override;
    toolkit::MouseResult mouseMoved(toolkit::CPoint where, unsigned buttons) override;
    toolkit::MouseResult mouseUp(toolkit::CPoint where, unsigned buttons) override;

private:
    KnobRange range() const;
    toolkit::CPoint fromCentre(toolkit::CPoint where) const;
    void turn(toolkit::CPoint p);

    FilmStrip strip;
    KnobMode mode = KnobMode::linear;
    KnobDrag drag = KnobDrag::linear;
    float angle = 0.0f;
    float sensitivity = kDefaultSensitivity;
    toolkit::CPoint lastPosition{};
    bool detent = false;
    bool dragging = false;
    bool showValue = true;
};

}  // namespace rimba::controls
