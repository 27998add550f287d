#pragma once
// The faders: a handle bitmap that slides along the control and follows the pointer while the
// left button is held; the value is written beside it.

#include "plugin/editor/controls/ControlLogic.h"
#include "plugin/editor/controls/VornControlEx.h"

namespace rimba::controls {

// The shared mechanics; the members below differ in their artwork, steps and text.
class CVornFaderBase : public CVornControlEx {
public:
    // The direction follows the shape: taller than wide slides vertically.
    CVornFaderBase(const toolkit::CRect& size, toolkit::CControlListener* listener, long tag,
                   std::string_view handleName);

    FaderDirection getDirection() const { return direction; }
    int handleLength() const;
    // The area the handle slides in (the control less the band of the value text).
    toolkit::CRect travelArea() const;
    // The value the pointer at `where` stands for.
    virtual float valueAt(toolkit::CPoint where) const;
    virtual std::string valueText() const = 0;

protected:
    void drawControl(toolkit::CDrawContext& context) override;
    toolkit::MouseResult mouseDown(toolkit::CPoint where, unsigned buttons) override;
    toolkit::MouseResult mouseMoved(toolkit::CPoint where, unsigned buttons) override;
    toolkit::MouseResult mouseUp(toolkit::CPoint where, unsigned buttons) override;

private:
    FilmStrip handle;
    FaderDirection direction;
    bool dragging = false;
};

// Swing and fill attenuation.
class CVornFader : public CVornFaderBase {
public:
    CVornFader(const toolkit::CRect& size, toolkit::CControlListener* listener, long tag);
    bool isTypeOf(std::string_view className) const override {
        return className == "CVornFader" || CVornControlEx::isTypeOf(className);
    }
    const char* getClassName() const override { return "CVornFader"; }
    std::string valueText() const override;
};

// Stops on `steps` values from minimum to maximum (11 by default: tenths of 0 .. 1).
class CVornSwitchFader : public CVornFaderBase {
public:
    CVornSwitchFader(const toolkit::CRect& size, toolkit::CControlListener* listener, long tag, int steps = 11);
    bool isTypeOf(std::string_view className) const override {
        return className == "CVornSwitchFader" || CVornControlEx::isTypeOf(className);
    }
    const char* getClassName() const override { return "CVornSwitchFader"; }
    float valueAt(toolkit::CPoint where) const override;
    std::string valueText() const override;
    int getSteps() const { return steps; }

private:
    int steps;
};

// The track's tuning: 0 .. 1 with the middle untuned, written as the host shows "Tune" (-1 .. 1).
class CVornTuneControl : public CVornFaderBase {
public:
    CVornTuneControl(const toolkit::CRect& size, toolkit::CControlListener* listener, long tag);
    bool isTypeOf(std::string_view className) const override {
        return className == "CVornTuneControl" || CVornControlEx::isTypeOf(className);
    }
    const char* getClassName() const override { return "CVornTuneControl"; }
    std::string valueText() const override;
};

}  // namespace rimba::controls
