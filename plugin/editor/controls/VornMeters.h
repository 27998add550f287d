#pragma once
// Level meters and the progress bar: the lit image of the strip shown over the dark one up to
// the level. They take no mouse.

#include "plugin/editor/controls/VornControlEx.h"

namespace rimba::controls {

// How many pixels of `length` a level of 0..1 lights.
int litLength(float level, int length);

class CVornMeterBase : public CVornControlEx {
public:
    CVornMeterBase(const toolkit::CRect& size, toolkit::CControlListener* listener, long tag,
                   std::string_view bitmapName, bool vertical);
    // The level from the editor's idle refresh; redraws only when it moves a pixel.
    void setLevel(float level);

protected:
    void drawControl(toolkit::CDrawContext& context) override;
    toolkit::MouseResult mouseDown(toolkit::CPoint, unsigned) override { return toolkit::MouseResult::notHandled; }

private:
    int lengthOfView() const;

    FilmStrip strip;
    bool vertical;
};

class CVornVuMeter : public CVornMeterBase {
public:
    CVornVuMeter(const toolkit::CRect& size, toolkit::CControlListener* listener, long tag);
    bool isTypeOf(std::string_view className) const override {
        return className == "CVornVuMeter" || CVornControlEx::isTypeOf(className);
    }
    const char* getClassName() const override { return "CVornVuMeter"; }
};

class CVornVuMeterVert : public CVornMeterBase {
public:
    CVornVuMeterVert(const toolkit::CRect& size, toolkit::CControlListener* listener, long tag);
    bool isTypeOf(std::string_view className) const override {
        return className == "CVornVuMeterVert" || CVornControlEx::isTypeOf(className);
    }
    const char* getClassName() const override { return "CVornVuMeterVert"; }
};

class CVornProgressBar : public CVornMeterBase {
public:
    CVornProgressBar(const toolkit::CRect& size, toolkit::CControlListener* listener, long tag);
    bool isTypeOf(std::string_view className) const override {
        return className == "CVornProgressBar" || CVornControlEx::isTypeOf(className);
    }
    const char* getClassName() const override { return "CVornProgressBar"; }
};

}  // namespace rimba::controls
