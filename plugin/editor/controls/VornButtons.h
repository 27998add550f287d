#pragma once
// Switches and push buttons: a film strip with one frame per state.

#include <array>
#include <string>

#include "plugin/editor/controls/VornControlEx.h"

namespace rimba::controls {

// On/off or n-state: a click moves to the next state, after the last back to the first. The
// states run evenly from the minimum to the maximum; the film strip holds one frame per state.
class CVornSwitch : public CVornControlEx {
public:
    CVornSwitch(const toolkit::CRect& size, toolkit::CControlListener* listener, long tag, std::string_view bitmapName);
    bool isTypeOf(std::string_view className) const override {
        return className == "CVornSwitch" || CVornControlEx::isTypeOf(className);
    }
    const char* getClassName() const override { return "CVornSwitch"; }
    int getStates() const { return strip.frames < 2 ? 2 : strip.frames; }

protected:
    void drawControl(toolkit::CDrawContext& context) override;
    toolkit::MouseResult mouseDown(toolkit::CPoint where, unsigned buttons) override;

private:
    FilmStrip strip;
};

// Momentary (down while held, reports the press and the release) or latching (each press
// toggles). Some carry a tooltip in English and French, shown by the `Tooltips` setting.
class CVornPushButton : public CVornControlEx {
public:
    enum class Kind { momentary, latching };

    CVornPushButton(const toolkit::CRect& size, toolkit::CControlListener* listener, long tag,
                    std::string_view bitmapName, Kind kind = Kind::momentary);
    bool isTypeOf(std::string_view className) const override {
        return className == "CVornPushButton" || CVornControlEx::isTypeOf(className);
    }
    const char* getClassName() const override { return "CVornPushButton"; }

    Kind getKind() const { return kind; }
    // The two texts, English first; the choice -1 shows none, 0 the English, 1 the French.
    void setTooltips(std::string english, std::string french);
    void setTooltipChoice(int choice);
    int getTooltipChoice() const { return tooltipChoice; }
    // The buttons of the last press: the random button tells a left click from a right one.
    unsigned getLastButtons() const { return lastButtons; }

protected:
    void drawControl(toolkit::CDrawContext& context) override;
    toolkit::MouseResult mouseDown(toolkit::CPoint where, unsigned buttons) override;
    toolkit::MouseResult mouseUp(toolkit::CPoint where, unsigned buttons) override;

private:
    FilmStrip strip;
    Kind kind;
    std::array<std::string, 2> tooltips;
    int tooltipChoice = 0;
    unsigned lastButtons = 0;
    bool held = false;
};

// The text a tooltip choice shows: "" for -1 or any choice that has no text.
const std::string& tooltipForChoice(const std::array<std::string, 2>& texts, int choice);

}  // namespace rimba::controls
