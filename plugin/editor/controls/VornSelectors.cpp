#include "plugin/editor/controls/VornSelectors.h"

#include "plugin/editor/controls/ControlLogic.h"

namespace rimba::controls {

using toolkit::CPoint;
using toolkit::CRect;
using toolkit::MouseResult;
using toolkit::rectOfSize;

namespace {

// The panel's cells, as the artwork draws them (SelectNotes.png).
constexpr int kCellWidth = 24;
constexpr int kCellHeight = 20;
constexpr int kColumns = 12;
constexpr int kRows = 11;
constexpr int kMargin = 4;
constexpr int kNotes = 128;

CRect bottomRow(const CRect& panel) {
    const int top = panel.top + kMargin + kRows * kCellHeight + kMargin;
    return {panel.left + kMargin, top, panel.left + kMargin + kColumns * kCellWidth, top + kCellHeight};
}

CRect offCell(const CRect& panel) {
    const CRect row = bottomRow(panel);
    return {row.left, row.top, row.left + 4 * kCellWidth, row.bottom};
}

CRect pinCell(const CRect& panel) {
    const CRect row = bottomRow(panel);
    return {row.right - 2 * kCellWidth, row.top, row.right, row.bottom};
}

constexpr bool isSharp(int semitone) {
    return semitone == 1 || semitone == 3 || semitone == 6 || semitone == 8 || semitone == 10;
}

// The scale's plate: twelve 16-pixel cells after a 4-pixel margin (TuneScale.png).
constexpr int kScaleCell = 16;
constexpr int kScaleMargin = 4;

}  // namespace

int notePanelHit(const CRect& panel, CPoint where) {
    const CRect grid =
        rectOfSize(panel.left + kMargin, panel.top + kMargin, kColumns * kCellWidth, kRows * kCellHeight);
    if (grid.contains(where)) {
        const int note = cellInGrid(grid, kColumns, kRows, where);
        return note >= 0 && note < kNotes ? note : kPanelNothing;
    }
    if (offCell(panel).contains(where))
        return kPanelNoNote;
    if (pinCell(panel).contains(where))
        return kPanelPin;
    return kPanelNothing;
}

CRect notePanelCell(const CRect& panel, int note) {
    return rectOfSize(panel.left + kMargin + (note % kColumns) * kCellWidth,
                      panel.top + kMargin + (note / kColumns) * kCellHeight, kCellWidth, kCellHeight);
}

CVornNoteSelect::CVornNoteSelect(const CRect& size, toolkit::CControlListener* listener, long tag)
    : CVornControlEx(size, listener, tag),
      cell(FilmStrip::load("SelectNotes.png")),
      back(FilmStrip::load("SelectNotesBack.png")) {
    setMin(-1.0f);
    setMax(static_cast<float>(kNotes - 1));
    setValue(-1.0f);
}

void CVornNoteSelect::showAt(const CRect& where, int note) {
    setViewSize(where);
    setValue(static_cast<float>(note));
    setVisible(true);
    invalid();
}

void CVornNoteSelect::setPinned(bool on) {
    pinned = on;
    invalid();
}

MouseResult CVornNoteSelect::mouseDown(CPoint where, unsigned buttons) {
    if (!(buttons & toolkit::kLButton))
        return MouseResult::handled;
    const int hit = notePanelHit(getViewSize(), where);
    if (hit == kPanelNothing)
        return MouseResult::handled;
    if (hit == kPanelPin) {
        setPinned(!pinned);
        return MouseResult::handled;
    }
    setValue(static_cast<float>(hit));
    reportValue();
    invalid();
    if (!pinned)
        setVisible(false);
    return MouseResult::handled;
}

void CVornNoteSelect::drawControl(toolkit::CDrawContext& context) {
    const CRect& box = getViewSize();
    if (!back.isEmpty())
        back.draw(context, {box.left, box.top}, 0);
    else
        fillRect(context, box, 0.1, 0.1, 0.12);
    const int chosen = static_cast<int>(getValue());
    for (int note = 0; note < kNotes; ++note) {
        const CRect one = notePanelCell(box, note);
        const bool sharp = isSharp(note % 12);
        const int frame = note == chosen ? 2 : (sharp ? 1 : 0);
        if (!cell.isEmpty()) {
            cell.draw(context, {one.left, one.top}, frame);
        } else {
            const double shade = frame == 2 ? 0.95 : (sharp ? 0.2 : 0.8);
            fillRect(context, {one.left, one.top, one.right - 1, one.bottom - 1}, shade, frame == 2 ? 0.6 : shade,
                     frame == 2 ? 0.2 : shade);
        }
        // Light on the dark cells, dark on the lit one; sharps a little dimmer, as on a keyboard
        // chart.
        const double ink = frame == 2 ? 0.08 : (sharp ? 0.62 : 0.88);
        drawText(context, one, noteName(note), 7.0, TextAlign::centre, ink, ink, ink + 0.03);
    }
    const CRect off = offCell(box);
    fillRect(context, off, chosen < 0 ? 0.95 : 0.3, chosen < 0 ? 0.6 : 0.3, chosen < 0 ? 0.2 : 0.32);
    drawText(context, off, "OFF", 9.0, TextAlign::centre, 0.95, 0.95, 0.95);
    const CRect pin = pinCell(box);
    fillRect(context, pin, pinned ? 0.3 : 0.2, pinned ? 0.8 : 0.2, pinned ? 0.4 : 0.22);
    // The pin: a small drawing-pin head and needle.
    context.save();
    context.setColour(0.95, 0.95, 0.95);
    context.arc(pin.left + pin.width() / 2.0, pin.top + 7.0, 4.0, 0.0, 6.2831853);
    context.fill();
    context.setLineWidth(1.5);
    context.moveTo(pin.left + pin.width() / 2.0, pin.top + 10.0);
    context.lineTo(pin.left + pin.width() / 2.0, pin.bottom - 2.0);
    context.stroke();
    context.restore();
}

int scaleAfterClick(int scaleBits, int semitone) {
    if (semitone < 0 || semitone > 11)
        return scaleBits;
    return (scaleBits ^ (1 << semitone)) & 0xfff;
}

CVornTuneScaleSelect::CVornTuneScaleSelect(const CRect& size, toolkit::CControlListener* listener, long tag)
    : CVornControlEx(size, listener, tag),
      cell(FilmStrip::load("TuneScale.png")),
      back(FilmStrip::load("TuneScaleBack.png")) {
    setMin(0.0f);
    setMax(4095.0f);
    setValue(4095.0f);
}

bool CVornTuneScaleSelect::hasNote(int semitone) const {
    return semitone >= 0 && semitone < 12 && ((static_cast<int>(getValue()) >> semitone) & 1) != 0;
}

CRect CVornTuneScaleSelect::cellRect(int semitone) const {
    const CRect& box = getViewSize();
    const int top = box.top + (box.height() - kScaleCell) / 2;
    return rectOfSize(box.left + kScaleMargin + semitone * kScaleCell, top, kScaleCell, kScaleCell);
}

int CVornTuneScaleSelect::semitoneAt(CPoint where) const {
    for (int semitone = 0; semitone < 12; ++semitone)
        if (cellRect(semitone).contains(where))
            return semitone;
    return -1;
}

MouseResult CVornTuneScaleSelect::mouseDown(CPoint where, unsigned buttons) {
    if (!(buttons & toolkit::kLButton))
        return MouseResult::handled;
    const int semitone = semitoneAt(where);
    if (semitone >= 0)
        changeValueByUser(static_cast<float>(scaleAfterClick(static_cast<int>(getValue()), semitone)));
    return MouseResult::handled;
}

void CVornTuneScaleSelect::drawControl(toolkit::CDrawContext& context) {
    const CRect& box = getViewSize();
    if (!back.isEmpty())
        back.draw(context, {box.left, box.top}, 0);
    else
        fillRect(context, box, 0.1, 0.1, 0.12);
    for (int semitone = 0; semitone < 12; ++semitone) {
        const CRect one = cellRect(semitone);
        const bool in = hasNote(semitone);
        if (!cell.isEmpty())
            cell.draw(context, {one.left, one.top}, in ? 1 : 0);
        else
            fillRect(context, {one.left, one.top, one.right - 1, one.bottom - 1}, in ? 0.95 : 0.3, in ? 0.6 : 0.3,
                     in ? 0.2 : 0.32);
        const double ink = in ? 0.05 : 0.85;
        drawText(context, one, scaleNoteName(semitone), 7.0, TextAlign::centre, ink, ink, ink);
    }
}

}  // namespace rimba::controls
