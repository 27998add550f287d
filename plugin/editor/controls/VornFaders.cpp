#include "plugin/editor/controls/VornFaders.h"

#include <cstdio>

namespace rimba::controls {

using toolkit::CPoint;
using toolkit::CRect;
using toolkit::MouseResult;

namespace {

constexpr int kTextBand = 12;
constexpr int kFallbackHandle = 10;

std::string formatted(const char* format, float value) {
    char text[32];
    std::snprintf(text, sizeof text, format, static_cast<double>(value));
    return text;
}

}  // namespace

CVornFaderBase::CVornFaderBase(const CRect& size, toolkit::CControlListener* listener, long tag,
                               std::string_view handleName)
    : CVornControlEx(size, listener, tag),
      handle(FilmStrip::load(handleName)),
      direction(size.height() > size.width() ? FaderDirection::vertical : FaderDirection::horizontal) {}

int CVornFaderBase::handleLength() const {
    if (handle.frameWidth() == 0)
        return kFallbackHandle;
    return direction == FaderDirection::vertical ? handle.frameHeight() : handle.frameWidth();
}

CRect CVornFaderBase::travelArea() const {
    CRect area = getViewSize();
    // The value is written in a band at the bottom, when the control leaves room for it.
    if (direction == FaderDirection::horizontal && area.height() >= 2 * kTextBand)
        area.bottom -= kTextBand;
    if (direction == FaderDirection::vertical && area.height() >= handleLength() + 4 * kTextBand)
        area.bottom -= kTextBand;
    return area;
}

float CVornFaderBase::valueAt(CPoint where) const {
    return faderValue(faderShare(travelArea(), handleLength(), where, direction), getMin(), getMax());
}

MouseResult CVornFaderBase::mouseDown(CPoint where, unsigned buttons) {
    if (!(buttons & toolkit::kLButton))
        return CVornControlEx::mouseDown(where, buttons);
    dragging = true;
    changeValueByUser(valueAt(where));
    return MouseResult::handled;
}

MouseResult CVornFaderBase::mouseMoved(CPoint where, unsigned buttons) {
    if (!dragging || !(buttons & toolkit::kLButton))
        return CVornControlEx::mouseMoved(where, buttons);
    changeValueByUser(valueAt(where));
    return MouseResult::handled;
}

MouseResult CVornFaderBase::mouseUp(CPoint where, unsigned buttons) {
    if (!dragging)
        return CVornControlEx::mouseUp(where, buttons);
    dragging = false;
    return MouseResult::handled;
}

void CVornFaderBase::drawControl(toolkit::CDrawContext& context) {
    const CRect& box = getViewSize();
    const CRect area = travelArea();
    const bool vertical = direction == FaderDirection::vertical;
    const int length = handleLength();
    const int travel = (vertical ? area.height() : area.width()) - length;
    const int offset = faderHandleOffset(getValue(), getMin(), getMax(), travel);
    // The slot the handle runs in.
    const CRect slot = vertical ? CRect{area.left + area.width() / 2 - 2, area.top + length / 2,
                                        area.left + area.width() / 2 + 2, area.bottom - length / 2}
                                : CRect{area.left + length / 2, area.top + area.height() / 2 - 2,
                                        area.right - length / 2, area.top + area.height() / 2 + 2};
    fillRect(context, slot, 0.08, 0.08, 0.1);
    const CPoint at = vertical
                          ? CPoint{area.left + (area.width() - handle.frameWidth()) / 2, area.bottom - length - offset}
                          : CPoint{area.left + offset, area.top + (area.height() - handle.frameHeight()) / 2};
    if (!handle.isEmpty()) {
        handle.draw(context, at, 0);
    } else {
        const CRect knob = vertical ? CRect{area.left + 1, at.y, area.right - 1, at.y + length}
                                    : CRect{at.x, area.top + 1, at.x + length, area.bottom - 1};
        fillRect(context, knob, 0.75, 0.75, 0.78);
    }
    if (area.bottom < box.bottom)
        drawText(context, {box.left, area.bottom, box.right, box.bottom}, valueText(), 9.0, TextAlign::centre, 0.9, 0.9,
                 0.9);
}

CVornFader::CVornFader(const CRect& size, toolkit::CControlListener* listener, long tag)
    : CVornFaderBase(size, listener, tag, "FaderCursor.png") {}

std::string CVornFader::valueText() const { return formatted("%.2f", getValue()); }

CVornSwitchFader::CVornSwitchFader(const CRect& size, toolkit::CControlListener* listener, long tag, int stepCount)
    : CVornFaderBase(size, listener, tag, "SwitchFader.png"), steps(stepCount < 2 ? 2 : stepCount) {}

float CVornSwitchFader::valueAt(CPoint where) const {
    return steppedValue(faderShare(travelArea(), handleLength(), where, getDirection()), getMin(), getMax(), steps);
}

std::string CVornSwitchFader::valueText() const { return formatted("%.1f", getValue()); }

CVornTuneControl::CVornTuneControl(const CRect& size, toolkit::CControlListener* listener, long tag)
    : CVornFaderBase(size, listener, tag, "FaderTune.png") {
    setDefaultValue(0.5f);
}

std::string CVornTuneControl::valueText() const { return formatted("%.2f", getValue() * 2.0f - 1.0f); }

}  // namespace rimba::controls
