#include "plugin/editor/controls/VornControlEx.h"

#include <algorithm>
#include <cmath>

#include "plugin/editor/controls/ArtFrames.h"
#include "plugin/editor/controls/ControlLogic.h"
#include "plugin/editor/controls/ValueReadout.h"

namespace rimba::controls {

using toolkit::CPoint;
using toolkit::CRect;
using toolkit::MouseResult;

FilmStrip FilmStrip::load(std::string_view name) {
    FilmStrip strip;
    strip.bitmap = toolkit::CBitmap::load(name);
    const ArtFrameSize size = artFrameSize(name);
    strip.frames = std::max(1, size.frames);
    strip.width = size.width;
    strip.height = size.height;
    if (strip.bitmap && strip.width == 0) {
        strip.width = strip.bitmap->getWidth();
        strip.height = strip.bitmap->getHeight();
    }
    return strip;
}

void FilmStrip::draw(toolkit::CDrawContext& context, CPoint where, int frame) const {
    if (!bitmap)
        return;
    bitmap->drawFrame(context, where, std::clamp(frame, 0, frames - 1), frames);
}

void drawText(toolkit::CDrawContext& context, const CRect& box, std::string_view text, double size, TextAlign align,
              double red, double green, double blue) {
    if (text.empty() || box.isEmpty())
        return;
    context.save();
    context.rectangle(box.left, box.top, box.width(), box.height());
    context.clip();
    context.selectFont(size);
    const double advance = context.textAdvance(text);
    const toolkit::CFontMetrics font = context.fontMetrics();
    double x = box.left + 2.0;
    if (align == TextAlign::centre)
        x = box.left + (box.width() - advance) / 2.0;
    if (align == TextAlign::right)
        x = box.right - 2.0 - advance;
    const double y = box.top + (box.height() + font.ascent - font.descent) / 2.0;
    context.setColour(red, green, blue);
    context.showText(x, y, text);
    context.restore();
}

void fillRect(toolkit::CDrawContext& context, const CRect& box, double red, double green, double blue, double alpha) {
    context.save();
    context.setColour(red, green, blue, alpha);
    context.rectangle(box.left, box.top, box.width(), box.height());
    context.fill();
    context.restore();
}

void strokeRect(toolkit::CDrawContext& context, const CRect& box, double lineWidth, double red, double green,
                double blue) {
    const double inset = lineWidth / 2.0;
    context.save();
    context.setColour(red, green, blue);
    context.setLineWidth(lineWidth);
    context.rectangle(box.left + inset, box.top + inset, box.width() - lineWidth, box.height() - lineWidth);
    context.stroke();
    context.restore();
}

int frameOfValue(float value, float minimum, float maximum, int frames) {
    if (frames <= 1 || maximum == minimum)
        return 0;
    const float share = std::clamp((value - minimum) / (maximum - minimum), 0.0f, 1.0f);
    return static_cast<int>(std::lround(share * static_cast<float>(frames - 1)));
}

CVornControlEx::CVornControlEx(const CRect& size, toolkit::CControlListener* listener, long tag,
                               std::shared_ptr<toolkit::CBitmap> background)
    : CControl(size, listener, tag, std::move(background)) {}

CVornControlEx::~CVornControlEx() {
    if (assignmentGroup->selected == this)
        assignmentGroup->selected = nullptr;
}

void CVornControlEx::draw(toolkit::CDrawContext& context) {
    drawControl(context);
    if (assignmentMode)
        drawAssignment(context);
    setDirty(false);
}

MouseResult CVornControlEx::onMouseDown(CPoint where, unsigned buttons) {
    if (assignmentMode) {
        assignmentClick = true;
        toggleAssignmentSelection();
        return MouseResult::handled;
    }
    assignmentClick = false;
    return mouseDown(where, buttons);
}

MouseResult CVornControlEx::onMouseMoved(CPoint where, unsigned buttons) {
    if (assignmentClick)
        return MouseResult::handled;
    return mouseMoved(where, buttons);
}

MouseResult CVornControlEx::onMouseUp(CPoint where, unsigned buttons) {
    if (assignmentClick) {
        assignmentClick = false;
        return MouseResult::handled;
    }
    return mouseUp(where, buttons);
}

MouseResult CVornControlEx::mouseDown(CPoint where, unsigned buttons) { return CControl::onMouseDown(where, buttons); }

MouseResult CVornControlEx::mouseMoved(CPoint where, unsigned buttons) {
    return CControl::onMouseMoved(where, buttons);
}

MouseResult CVornControlEx::mouseUp(CPoint where, unsigned buttons) { return CControl::onMouseUp(where, buttons); }

void CVornControlEx::setAssignmentMode(bool on) {
    if (on == assignmentMode)
        return;
    assignmentMode = on;
    invalid();
}

void CVornControlEx::setAssignments(std::vector<int> numbers) {
    assignments = std::move(numbers);
    if (assignmentMode)
        invalid();
}

std::string CVornControlEx::assignmentDisplay() const {
    const std::vector<std::string_view> formats = assignmentFormats();
    return assignmentText(formats, assignments);
}

void CVornControlEx::changeValueByUser(float newValue) {
    const float before = getValue();
    setValue(newValue);
    if (getValue() == before)
        return;
    reportValue();
    invalid();
    if (valueReadout && valueReadout->isShownFor(this))
        showValueReadout();
}

void CVornControlEx::setValueReadout(CValueReadout* readout, ValueFormatter formatter) {
    if (valueReadout)
        valueReadout->hide(this);
    valueReadout = readout;
    valueFormatter = std::move(formatter);
}

std::string CVornControlEx::valueReadoutText() const {
    return valueFormatter ? valueFormatter(getValue()) : std::string();
}

void CVornControlEx::showValueReadout() {
    if (valueReadout && valueFormatter)
        valueReadout->show(this, getViewSize(), valueReadoutText());
}

// In assignment mode the control shows its assignments, not its value.
void CVornControlEx::onMouseEntered() {
    if (!assignmentMode)
        showValueReadout();
}

void CVornControlEx::onMouseExited() {
    if (valueReadout)
        valueReadout->hide(this);
}

void CVornControlEx::drawAssignment(toolkit::CDrawContext& context) const {
    const CRect& box = getViewSize();
    fillRect(context, box, 1.0, 1.0, 1.0, 120.0 / 255.0);
    if (isAssignmentSelected())
        strokeRect(context, box, 2.0, 0.85, 0.1, 0.1);
    drawText(context, box, assignmentDisplay(), 10.0, TextAlign::centre, 0.0, 0.0, 0.0);
}

void CVornControlEx::toggleAssignmentSelection() {
    CVornControlEx* before = assignmentGroup->selected;
    assignmentGroup->selected = before == this ? nullptr : this;
    if (before && before != this)
        before->invalid();
    invalid();
}

}  // namespace rimba::controls
