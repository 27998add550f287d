#include "plugin/editor/controls/VornPatternViews.h"

#include <algorithm>
#include <cstdio>

#include "plugin/editor/artwork/ArtworkGeometry.h"
#include "plugin/editor/controls/ControlLogic.h"

namespace rimba::controls {

using toolkit::CPoint;
using toolkit::CRect;
using toolkit::MouseResult;
using toolkit::rectOfSize;

namespace {

artwork::TrackFamily familyOf(int track) {
    return artwork::kTrackFamilyOfTrack[static_cast<std::size_t>(std::clamp(track, 0, kTrackSlots - 1))];
}

std::string numbered(const char* format, int number) {
    char text[16];
    std::snprintf(text, sizeof text, format, number);
    return text;
}

}  // namespace

std::array<double, 3> trackAccent(int track) {
    switch (familyOf(track)) {
        case artwork::TrackFamily::kKick:
            return {0.941, 0.569, 0.294};
        case artwork::TrackFamily::kSnare:
            return {0.914, 0.439, 0.561};
        case artwork::TrackFamily::kHat:
            return {0.333, 0.718, 0.918};
        case artwork::TrackFamily::kPercussion:
            break;
    }
    return {0.435, 0.796, 0.557};
}

CVornPattern::CVornPattern(const CRect& size, toolkit::CControlListener* listener, long tag, int trackIndex)
    : CVornControlEx(size, listener, tag), strip(FilmStrip::load("PatternLed.png")), track(trackIndex) {
    setMin(0.0f);
    setMax(static_cast<float>(kMaxSteps - 1));
}

void CVornPattern::setRow(const PatternRowValues& values) {
    row = values;
    row.stepCount = std::clamp(row.stepCount, 1, kMaxSteps);
    invalid();
}

void CVornPattern::setScrollOffset(int firstStep) {
    const int offset = std::clamp(firstStep, 0, kMaxSteps - kVisibleSteps);
    if (offset == scrollOffset) return;
    scrollOffset = offset;
    invalid();
}

void CVornPattern::setPlayingStep(int step) {
    if (step == playingStep) return;
    playingStep = step;
    invalid();
}

void CVornPattern::setScrollBar(bool present) {
    scrollBar = present;
    invalid();
}

int CVornPattern::frameOfColumn(int column) const {
    const int step = scrollOffset + column;
    const int velocity = static_cast<int>(row.velocity[static_cast<std::size_t>(step)]);
    return artwork::stepFrame(familyOf(track), std::clamp(velocity, 0, kMaxVelocity), step == playingStep);
}

CRect CVornPattern::stepsArea() const {
    CRect area = getViewSize();
    if (scrollBar) area.bottom -= kScrollBarHeight;
    return area;
}

void CVornPattern::drawControl(cairo_t* context) {
    const CRect area = stepsArea();
    const int width = area.width() / kVisibleSteps;
    for (int column = 0; column < kVisibleSteps; ++column) {
        const int step = scrollOffset + column;
        const CRect cell{area.left + column * width, area.top, area.left + (column + 1) * width, area.bottom};
        const auto s = static_cast<std::size_t>(step);
        if (!strip.isEmpty()) {
            strip.draw(context, {cell.left, cell.top}, frameOfColumn(column));
        } else {
            fillRect(context, {cell.left, cell.top, cell.right - 1, cell.bottom}, 0.16, 0.16, 0.18);
            const float velocity = row.velocity[s];
            if (velocity > 0.0f) {
                const auto accent = trackAccent(track);
                const int bar = static_cast<int>(static_cast<float>(cell.height() - 4) * velocity / 127.0f);
                fillRect(context, {cell.left + 2, cell.bottom - 2 - bar, cell.right - 3, cell.bottom - 2}, accent[0],
                         accent[1], accent[2]);
            }
            if (step == playingStep) fillRect(context, cell, 1.0, 1.0, 1.0, 0.25);
        }
        // A random keystroke where the pattern has no hit of its own shows in the random colour.
        if (row.randomHit[s] != 0.0f && row.velocity[s] <= 0.0f)
            fillRect(context, {cell.left + 5, cell.bottom - 12, cell.right - 5, cell.bottom - 5}, 0.682, 0.573, 0.925,
                     0.9);
        // Steps past the pattern's end are dimmed: they never play.
        if (step >= row.stepCount) fillRect(context, cell, 0.0, 0.0, 0.0, 0.55);
    }
    if (scrollBar) {
        const CRect& box = getViewSize();
        const CRect bar{box.left, box.bottom - kScrollBarHeight, box.right, box.bottom};
        fillRect(context, bar, 0.1, 0.1, 0.12);
        const int thumbWidth = bar.width() / 4;
        const int thumbLeft = bar.left + (bar.width() - thumbWidth) * scrollOffset / (kMaxSteps - kVisibleSteps);
        fillRect(context, {thumbLeft, bar.top + 2, thumbLeft + thumbWidth, bar.bottom - 2}, 0.5, 0.5, 0.55);
    }
}

CVornCellSelect::CVornCellSelect(const CRect& size, toolkit::CControlListener* listener, long tag,
                                 std::string_view bitmapName, int cellCount)
    : CVornControlEx(size, listener, tag), strip(FilmStrip::load(bitmapName)), cells(cellCount) {
    setMin(0.0f);
    setMax(static_cast<float>(cells - 1));
    // As many cells side by side as the control is wide enough for, in rows below each other.
    const int cellWidth = strip.frameWidth() > 0 ? strip.frameWidth() : size.width() / cells;
    columns = std::clamp(cellWidth > 0 ? size.width() / cellWidth : cells, 1, cells);
}

int CVornCellSelect::cellAt(CPoint where) const {
    const int rows = (cells + columns - 1) / columns;
    const int cell = cellInGrid(getViewSize(), columns, rows, where);
    return cell < cells ? cell : -1;
}

MouseResult CVornCellSelect::mouseDown(CPoint where, unsigned buttons) {
    if (!(buttons & toolkit::kLButton)) return CVornControlEx::mouseDown(where, buttons);
    const int cell = cellAt(where);
    if (cell >= 0) changeValueByUser(static_cast<float>(cell));
    return MouseResult::handled;
}

void CVornCellSelect::drawControl(cairo_t* context) {
    const CRect& box = getViewSize();
    const int rows = (cells + columns - 1) / columns;
    const int width = box.width() / columns;
    const int height = box.height() / rows;
    const int chosen = static_cast<int>(getValue());
    for (int cell = 0; cell < cells; ++cell) {
        const CRect one =
            rectOfSize(box.left + (cell % columns) * width, box.top + (cell / columns) * height, width, height);
        const bool on = cell == chosen;
        // The strips hold every cell unchosen, then every cell chosen.
        if (!strip.isEmpty() && strip.frames >= 2 * cells) {
            strip.draw(context, {one.left, one.top}, cell + (on ? cells : 0));
        } else {
            fillRect(context, {one.left, one.top, one.right - 1, one.bottom - 1}, on ? 0.95 : 0.22, on ? 0.6 : 0.22,
                     on ? 0.2 : 0.25);
            drawText(context, one, cellText(cell), 9.0, TextAlign::centre, on ? 0.0 : 0.85, on ? 0.0 : 0.85,
                     on ? 0.0 : 0.85);
        }
    }
}

CVornPatternSelect::CVornPatternSelect(const CRect& size, toolkit::CControlListener* listener, long tag)
    : CVornCellSelect(size, listener, tag, "PatternSel.png", kPatternCount) {}

std::string CVornPatternSelect::cellText(int cell) const { return numbered("%i", cell + 1); }

CVornPatternPage::CVornPatternPage(const CRect& size, toolkit::CControlListener* listener, long tag)
    : CVornCellSelect(size, listener, tag, "PatternPage.png", kMaxSteps / CVornPattern::kVisibleSteps) {}

std::string CVornPatternPage::cellText(int cell) const {
    char text[16];
    std::snprintf(text, sizeof text, "%i-%i", cell * 16 + 1, cell * 16 + 16);
    return text;
}

LoopRange loopRangeAfterClick(LoopRange range, int pattern, bool rightButton) {
    if (rightButton) {
        range.last = pattern;
        range.first = std::min(range.first, pattern);
    } else {
        range.first = pattern;
        range.last = std::max(range.last, pattern);
    }
    return range;
}

CVornLoopSelect::CVornLoopSelect(const CRect& size, toolkit::CControlListener* listener, long tag)
    : CVornControlEx(size, listener, tag), strip(FilmStrip::load("LoopLed.png")) {
    setMin(0.0f);
    setMax(static_cast<float>(kPatternCount - 1));
}

void CVornLoopSelect::setRange(int firstPattern, int lastPattern) {
    first = std::clamp(firstPattern, 0, kPatternCount - 1);
    last = std::clamp(lastPattern, first, kPatternCount - 1);
    invalid();
}

MouseResult CVornLoopSelect::mouseDown(CPoint where, unsigned buttons) {
    const bool right = (buttons & toolkit::kRButton) != 0;
    if (!right && !(buttons & toolkit::kLButton)) return CVornControlEx::mouseDown(where, buttons);
    const int pattern = cellInRow(getViewSize(), kPatternCount, where);
    if (pattern < 0) return MouseResult::handled;
    const LoopRange range = loopRangeAfterClick({first, last}, pattern, right);
    first = range.first;
    last = range.last;
    setValue(static_cast<float>(pattern));
    reportValue();
    invalid();
    return MouseResult::handled;
}

void CVornLoopSelect::drawControl(cairo_t* context) {
    const CRect& box = getViewSize();
    const int width = box.width() / kPatternCount;
    for (int pattern = 0; pattern < kPatternCount; ++pattern) {
        const bool inside = pattern >= first && pattern <= last;
        const CRect led = rectOfSize(box.left + pattern * width, box.top, width, box.height());
        if (!strip.isEmpty())
            strip.draw(context, {led.left, led.top}, inside ? 1 : 0);
        else
            fillRect(context, {led.left + 1, led.top, led.right - 1, led.bottom}, inside ? 0.3 : 0.15,
                     inside ? 0.95 : 0.2, inside ? 0.4 : 0.15);
    }
}

CVornDrum::CVornDrum(const CRect& size, toolkit::CControlListener* listener, long tag, int trackIndex)
    : CVornControlEx(size, listener, tag), track(trackIndex) {}

void CVornDrum::setDropTarget(bool on) {
    if (on == dropTarget) return;
    dropTarget = on;
    invalid();
}

void CVornDrum::drawControl(cairo_t* context) {
    const CRect& box = getViewSize();
    // The strip itself, its accent and its number are the background's; the drum shows when
    // another strip is dragged onto it.
    if (dropTarget) {
        const auto accent = trackAccent(track);
        cairo_save(context);
        cairo_set_source_rgb(context, accent[0], accent[1], accent[2]);
        cairo_set_line_width(context, 2.0);
        cairo_rectangle(context, box.left + 1, box.top + 1, box.width() - 2, box.height() - 2);
        cairo_stroke(context);
        cairo_restore(context);
    }
}

}  // namespace rimba::controls
