#include "plugin/editor/controls/VornButtons.h"

#include "plugin/editor/controls/ControlLogic.h"

namespace rimba::controls {

using toolkit::CPoint;
using toolkit::CRect;
using toolkit::MouseResult;

namespace {

void drawPlainButton(toolkit::CDrawContext& context, const CRect& box, bool lit) {
    fillRect(context, box, lit ? 0.95 : 0.25, lit ? 0.55 : 0.25, lit ? 0.2 : 0.28);
}

}  // namespace

CVornSwitch::CVornSwitch(const CRect& size, toolkit::CControlListener* listener, long tag, std::string_view bitmapName)
    : CVornControlEx(size, listener, tag), strip(FilmStrip::load(bitmapName)) {
    setBackground(strip.bitmap);
}

MouseResult CVornSwitch::mouseDown(CPoint where, unsigned buttons) {
    if (!(buttons & toolkit::kLButton))
        return CVornControlEx::mouseDown(where, buttons);
    changeValueByUser(nextSwitchValue(getValue(), getMin(), getMax(), getStates()));
    return MouseResult::handled;
}

void CVornSwitch::drawControl(toolkit::CDrawContext& context) {
    const int state = switchState(getValue(), getMin(), getMax(), getStates());
    const CRect& box = getViewSize();
    if (!strip.isEmpty())
        strip.draw(context, {box.left, box.top}, state);
    else
        drawPlainButton(context, box, state > 0);
}

const std::string& tooltipForChoice(const std::array<std::string, 2>& texts, int choice) {
    static const std::string none;
    if (choice < 0 || choice > 1)
        return none;
    return texts[static_cast<std::size_t>(choice)];
}

CVornPushButton::CVornPushButton(const CRect& size, toolkit::CControlListener* listener, long tag,
                                 std::string_view bitmapName, Kind buttonKind)
    : CVornControlEx(size, listener, tag), strip(FilmStrip::load(bitmapName)), kind(buttonKind) {
    setBackground(strip.bitmap);
}

void CVornPushButton::setTooltips(std::string english, std::string french) {
    tooltips = {std::move(english), std::move(french)};
    setTooltipText(tooltipForChoice(tooltips, tooltipChoice));
}

void CVornPushButton::setTooltipChoice(int choice) {
    tooltipChoice = choice;
    setTooltipText(tooltipForChoice(tooltips, tooltipChoice));
}

MouseResult CVornPushButton::mouseDown(CPoint where, unsigned buttons) {
    if (!(buttons & (toolkit::kLButton | toolkit::kRButton)))
        return CVornControlEx::mouseDown(where, buttons);
    lastButtons = buttons;
    if (kind == Kind::latching) {
        changeValueByUser(getValue() != getMin() ? getMin() : getMax());
        return MouseResult::handled;
    }
    held = true;
    // A press always reports, even when the value was left at the maximum by a caller.
    setValue(getMax());
    reportValue();
    invalid();
    return MouseResult::handled;
}

MouseResult CVornPushButton::mouseUp(CPoint where, unsigned buttons) {
    if (!held)
        return CVornControlEx::mouseUp(where, buttons);
    held = false;
    setValue(getMin());
    reportValue();
    invalid();
    return MouseResult::handled;
}

void CVornPushButton::drawControl(toolkit::CDrawContext& context) {
    const bool lit = getValue() != getMin();
    const CRect& box = getViewSize();
    if (!strip.isEmpty())
        strip.draw(context, {box.left, box.top}, lit ? 1 : 0);
    else
        drawPlainButton(context, box, lit);
}

}  // namespace rimba::controls
