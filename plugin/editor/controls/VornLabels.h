#pragma once
// Labels: a plate with a name on it (program, kit, pattern set, key, effect). A click asks the
// editor to open the label's menu.

#include <string>

#include "plugin/editor/controls/VornControlEx.h"
#include "plugin/editor/toolkit/DirtyRegion.h"

namespace rimba::controls {

class CVornLabel : public CVornControlEx {
public:
    // `bitmapName`: "LabelName.png" or "LabelKey.png". `systemDoubleClickMs`: the window
    // system's double-click time (by default the one the toolkit tells double clicks by); the
    // label keeps at least 250 ms.
    CVornLabel(const toolkit::CRect& size, toolkit::CControlListener* listener, long tag,
               std::string_view bitmapName = "LabelName.png",
               int systemDoubleClickMs = static_cast<int>(toolkit::DoubleClickDetector::kIntervalMs));
    bool isTypeOf(std::string_view className) const override {
        return className == "CVornLabel" || CVornControlEx::isTypeOf(className);
    }
    const char* getClassName() const override { return "CVornLabel"; }

    void setText(std::string newText);
    const std::string& getText() const { return text; }
    // Whether mouse up reports too (the value back at 0).
    void setReportReleases(bool on) { reportReleases = on; }
    bool getReportReleases() const { return reportReleases; }
    int getDoubleClickTime() const { return doubleClickTime; }
    // A label whose menu has nothing loaded behind it yet (the synth sound without a drum synth)
    // shows greyed, with `placeholder` in place of an empty name; it still opens its menu.
    void setDimmed(bool on, std::string placeholderText = {});
    bool isDimmed() const { return dimmed; }
    // Whether the press just reported was made with the right button; cleared by asking. A right
    // click reports like a left one, so a label whose listener does not ask still opens its menu
    // (the synth sound's label opens the drum synth's editor with it).
    bool takeRightClick();

protected:
    void drawControl(toolkit::CDrawContext& context) override;
    toolkit::MouseResult mouseDown(toolkit::CPoint where, unsigned buttons) override;
    toolkit::MouseResult mouseUp(toolkit::CPoint where, unsigned buttons) override;

private:
    FilmStrip plate;
    std::string text;
    int doubleClickTime;
    bool reportReleases = false;
    bool pressed = false;
    bool rightClicked = false;
    bool dimmed = false;
    std::string placeholder;
};

// A small caption under or beside a control, or a heading that names what a panel shows. It is
// no control: it reports nothing and takes no mouse, so a click on it falls through to nothing
// rather than to a neighbour.
class CVornCaption : public toolkit::CView {
public:
    CVornCaption(const toolkit::CRect& size, std::string text, TextAlign align = TextAlign::centre,
                 double fontSize = 7.5);
    bool isTypeOf(std::string_view className) const override {
        return className == "CVornCaption" || CView::isTypeOf(className);
    }
    const char* getClassName() const override { return "CVornCaption"; }
    void setText(std::string newText);
    const std::string& getText() const { return text; }
    void draw(toolkit::CDrawContext& context) override;

private:
    std::string text;
    TextAlign align;
    double fontSize;
};

// The name of a loaded effect on the large plate; a click reports 1.
class CVornLabelEffectEx : public CVornControlEx {
public:
    CVornLabelEffectEx(const toolkit::CRect& size, toolkit::CControlListener* listener, long tag);
    bool isTypeOf(std::string_view className) const override {
        return className == "CVornLabelEffectEx" || CVornControlEx::isTypeOf(className);
    }
    const char* getClassName() const override { return "CVornLabelEffectEx"; }

    void setText(std::string newText);
    const std::string& getText() const { return text; }

protected:
    void drawControl(toolkit::CDrawContext& context) override;
    toolkit::MouseResult mouseDown(toolkit::CPoint where, unsigned buttons) override;
    toolkit::MouseResult mouseUp(toolkit::CPoint where, unsigned buttons) override;

private:
    FilmStrip plate;
    std::string text;
};

// A plate with text on it, shared by the labels.
void drawPlate(toolkit::CDrawContext& context, const FilmStrip& plate, const toolkit::CRect& box,
               std::string_view text);

}  // namespace rimba::controls
