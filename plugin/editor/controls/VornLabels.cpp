#include "plugin/editor/controls/VornLabels.h"

#include "plugin/editor/controls/ControlLogic.h"

namespace rimba::controls {

using toolkit::CPoint;
using toolkit::CRect;
using toolkit::MouseResult;

void drawPlate(toolkit::CDrawContext& context, const FilmStrip& plate, const CRect& box, std::string_view text) {
    if (!plate.isEmpty())
        plate.draw(context, {box.left, box.top}, 0);
    else
        fillRect(context, box, 0.12, 0.13, 0.15);
    drawText(context, box.offset(4, 0), text, 10.0, TextAlign::left, 0.92, 0.92, 0.88);
}

CVornLabel::CVornLabel(const CRect& size, toolkit::CControlListener* listener, long tag, std::string_view bitmapName,
                       int systemDoubleClickMs)
    : CVornControlEx(size, listener, tag),
      plate(FilmStrip::load(bitmapName)),
      doubleClickTime(labelDoubleClickTime(systemDoubleClickMs)) {}

void CVornLabel::setText(std::string newText) {
    if (newText == text)
        return;
    text = std::move(newText);
    invalid();
}

bool CVornLabel::takeRightClick() {
    const bool taken = rightClicked;
    rightClicked = false;
    return taken;
}

MouseResult CVornLabel::mouseDown(CPoint, unsigned buttons) {
    pressed = true;
    rightClicked = (buttons & toolkit::kRButton) != 0;
    setValue(labelValueOnMouseDown(getValue()));
    reportValue();
    return MouseResult::handled;
}

MouseResult CVornLabel::mouseUp(CPoint where, unsigned buttons) {
    if (!pressed)
        return CVornControlEx::mouseUp(where, buttons);
    pressed = false;
    setValue(0.0f);
    if (reportReleases)
        reportValue();
    return MouseResult::handled;
}

void CVornLabel::setDimmed(bool on, std::string placeholderText) {
    if (on == dimmed && placeholderText == placeholder)
        return;
    dimmed = on;
    placeholder = std::move(placeholderText);
    invalid();
}

void CVornLabel::drawControl(toolkit::CDrawContext& context) {
    if (!dimmed) {
        drawPlate(context, plate, getViewSize(), text);
        return;
    }
    const CRect& box = getViewSize();
    if (!plate.isEmpty())
        plate.draw(context, {box.left, box.top}, 0);
    else
        fillRect(context, box, 0.12, 0.13, 0.15);
    // The plate recedes under the panel's colour and the text is the captions' grey.
    fillRect(context, box, 0.09, 0.10, 0.12, 0.55);
    drawText(context, box.offset(4, 0), text.empty() ? placeholder : text, 9.0, TextAlign::left, 0.45, 0.48, 0.52);
}

CVornCaption::CVornCaption(const CRect& size, std::string text, TextAlign align, double fontSize)
    : CView(size), text(std::move(text)), align(align), fontSize(fontSize) {
    setMouseEnabled(false);
}

void CVornCaption::setText(std::string newText) {
    if (newText == text)
        return;
    text = std::move(newText);
    invalid();
}

void CVornCaption::draw(toolkit::CDrawContext& context) {
    drawText(context, getViewSize(), text, fontSize, align, 0.62, 0.66, 0.72);
    setDirty(false);
}

CVornLabelEffectEx::CVornLabelEffectEx(const CRect& size, toolkit::CControlListener* listener, long tag)
    : CVornControlEx(size, listener, tag), plate(FilmStrip::load("LabelNameLarge.png")) {}

void CVornLabelEffectEx::setText(std::string newText) {
    if (newText == text)
        return;
    text = std::move(newText);
    invalid();
}

MouseResult CVornLabelEffectEx::mouseDown(CPoint, unsigned) {
    setValue(1.0f);
    reportValue();
    return MouseResult::handled;
}

MouseResult CVornLabelEffectEx::mouseUp(CPoint, unsigned) {
    setValue(0.0f);
    return MouseResult::handled;
}

void CVornLabelEffectEx::drawControl(toolkit::CDrawContext& context) { drawPlate(context, plate, getViewSize(), text); }

}  // namespace rimba::controls
