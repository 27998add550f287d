#pragma once
// The toolkit's option menu and text edit made ours: a menu behind a switch's look (the effect
// slots, the main menu) and a field for small numbers (the tempo).

#include <optional>
#include <string>

#include "plugin/editor/controls/VornControlEx.h"
#include "plugin/editor/toolkit/OptionMenu.h"
#include "plugin/editor/toolkit/TextEdit.h"

namespace rimba::controls {

// A click opens the menu; the switch shows lit while `setLit` says so (an effect loaded in the
// slot), with an optional caption written over it.
class CVornSwitchMenu : public toolkit::COptionMenu {
public:
    CVornSwitchMenu(const toolkit::CRect& size, toolkit::CControlListener* listener, long tag,
                    std::string_view bitmapName);
    bool isTypeOf(std::string_view className) const override {
        return className == "CVornSwitchMenu" || COptionMenu::isTypeOf(className);
    }
    const char* getClassName() const override { return "CVornSwitchMenu"; }

    void setLit(bool on);
    bool isLit() const { return lit; }
    void setCaption(std::string text);
    // A right click opens no menu: it is reported to the listener, which takes it here (an
    // effect slot shows or hides its plug-in's editor with it).
    bool takeRightClick();

    void draw(toolkit::CDrawContext& context) override;
    toolkit::MouseResult onMouseDown(toolkit::CPoint where, unsigned buttons) override;

private:
    FilmStrip strip;
    std::string caption;
    bool lit = false;
    bool rightClicked = false;
};

// The number a typed text gives within [minimum, maximum], or nothing when it is not a number.
std::optional<float> numberFieldValue(std::string_view typed, float minimum, float maximum);

// A field for a whole number: what is typed is read as a number, limited to the control's
// minimum and maximum, shown again with "%i" and reported as the value. A text that is no number
// puts the number before back, without a report.
class CVornTextEdit : public toolkit::CTextEdit, private toolkit::CControlListener {
public:
    CVornTextEdit(const toolkit::CRect& size, toolkit::CControlListener* listener, long tag, float minimum,
                  float maximum, float value);
    bool isTypeOf(std::string_view className) const override {
        return className == "CVornTextEdit" || CTextEdit::isTypeOf(className);
    }
    const char* getClassName() const override { return "CVornTextEdit"; }

    // A value from the program (no report).
    void setNumber(float value);

    // At rest the number sits light on a dark well like the labels; while typed, the toolkit's
    // field shows with its caret.
    void draw(toolkit::CDrawContext& context) override;

private:
    void valueChanged(toolkit::CControl* control) override;

    toolkit::CControlListener* owner;
};

}  // namespace rimba::controls
