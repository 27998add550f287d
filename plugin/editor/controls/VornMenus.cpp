#include "plugin/editor/controls/VornMenus.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace rimba::controls {

using toolkit::CRect;

CVornSwitchMenu::CVornSwitchMenu(const CRect& size, toolkit::CControlListener* listener, long tag,
                                 std::string_view bitmapName)
    : COptionMenu(size, listener, tag), strip(FilmStrip::load(bitmapName)) {}

void CVornSwitchMenu::setLit(bool on) {
    if (on == lit)
        return;
    lit = on;
    invalid();
}

void CVornSwitchMenu::setCaption(std::string text) {
    caption = std::move(text);
    invalid();
}

void CVornSwitchMenu::draw(toolkit::CDrawContext& context) {
    const CRect& box = getViewSize();
    if (!strip.isEmpty())
        strip.draw(context, {box.left, box.top}, lit ? 1 : 0);
    else
        fillRect(context, box, lit ? 0.95 : 0.25, lit ? 0.55 : 0.25, lit ? 0.2 : 0.28);
    // Right of the switch's lamp.
    const double ink = lit ? 0.05 : 0.88;
    drawText(context, {box.left + 10, box.top, box.right, box.bottom}, caption, 8.0, TextAlign::centre, ink, ink, ink);
    setDirty(false);
}

bool CVornSwitchMenu::takeRightClick() {
    const bool taken = rightClicked;
    rightClicked = false;
    return taken;
}

toolkit::MouseResult CVornSwitchMenu::onMouseDown(toolkit::CPoint where, unsigned buttons) {
    if ((buttons & toolkit::kRButton) == 0)
        return COptionMenu::onMouseDown(where, buttons);
    rightClicked = true;
    if (getListener())
        getListener()->valueChanged(this);
    return toolkit::MouseResult::handled;
}

std::optional<float> numberFieldValue(std::string_view typed, float minimum, float maximum) {
    const std::string text(typed);
    const char* begin = text.c_str();
    while (*begin == ' ')
        ++begin;
    if (*begin == '\0')
        return std::nullopt;
    char* end = nullptr;
    errno = 0;
    const double number = std::strtod(begin, &end);
    while (end && *end == ' ')
        ++end;
    if (end == begin || (end && *end != '\0') || !std::isfinite(number))
        return std::nullopt;
    // Out of range, or too large to hold: the nearest limit.
    const double limited = number < minimum ? minimum : (number > maximum ? maximum : number);
    return static_cast<float>(std::trunc(limited));
}

CVornTextEdit::CVornTextEdit(const CRect& size, toolkit::CControlListener* listener, long tag, float minimum,
                             float maximum, float value)
    : CTextEdit(size, this, tag), owner(listener) {
    setMin(minimum);
    setMax(maximum);
    setNumber(value);
}

void CVornTextEdit::setNumber(float value) {
    setValue(value);
    char text[32];
    std::snprintf(text, sizeof text, "%i", static_cast<int>(getValue()));
    setText(text);
}

void CVornTextEdit::draw(toolkit::CDrawContext& context) {
    if (isEditing()) {
        CTextEdit::draw(context);
        return;
    }
    const CRect& box = getViewSize();
    fillRect(context, box, 0x12 / 255.0, 0x17 / 255.0, 0x1E / 255.0);
    drawText(context, box, getText(), 11.0, TextAlign::centre, 0xD9 / 255.0, 0xDF / 255.0, 0xE8 / 255.0);
    setDirty(false);
}

void CVornTextEdit::valueChanged(toolkit::CControl*) {
    const std::optional<float> number = numberFieldValue(getText(), getMin(), getMax());
    if (!number) {
        setNumber(getValue());
        return;
    }
    setNumber(*number);
    if (owner)
        owner->valueChanged(this);
}

}  // namespace rimba::controls
