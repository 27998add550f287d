#include "plugin/editor/controls/VornPatternViews.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <utility>

#include "plugin/editor/artwork/ArtworkGeometry.h"
#include "plugin/editor/controls/ControlLogic.h"
#include "plugin/editor/toolkit/DialogHost.h"
#include "plugin/editor/toolkit/PopupMenu.h"

namespace rimba::controls {

using toolkit::CPoint;
using toolkit::CRect;
using toolkit::CursorShape;
using toolkit::MenuChoice;
using toolkit::MenuModel;
using toolkit::MouseResult;
using toolkit::rectOfSize;

namespace {

// A menu's entries in order; an empty text is a separator.
template <typename Entry>
struct MenuRow {
    const char* text;
    std::optional<Entry> entry;
};

constexpr MenuRow<GridMenuEntry> kGridMenu[] = {
    {"Reset", GridMenuEntry::reset},
    {"Clean", GridMenuEntry::clean},
    {"", std::nullopt},
    {"Duplicate", GridMenuEntry::duplicate},
    {"", std::nullopt},
    {"Randomize Step", GridMenuEntry::randomizeStep},
    {"Randomize Step in place", GridMenuEntry::randomizeStepInPlace},
    {"Randomize Pitch", GridMenuEntry::randomizePitch},
    {"Randomize Hold", GridMenuEntry::randomizeHold},
    {"Restore", GridMenuEntry::restore},
    {"", std::nullopt},
    {"Undo", GridMenuEntry::undo},
    {"Redo", GridMenuEntry::redo},
};

constexpr MenuRow<StripEntry> kStripMenu[] = {
    {"Reset", StripEntry::reset},
    {"Clean", StripEntry::clean},
    {"", std::nullopt},
    {"Copy", StripEntry::copy},
    {"Paste", StripEntry::paste},
    {"", std::nullopt},
    {"Duplicate Measure 1", StripEntry::duplicateMeasure1},
    {"Duplicate Measures 1+2", StripEntry::duplicateMeasures12},
};

template <typename Entry, std::size_t N>
MenuModel menuOf(const MenuRow<Entry> (&rows)[N]) {
    MenuModel menu;
    for (const MenuRow<Entry>& row : rows) {
        if (row.entry)
            menu.addEntry(row.text);
        else
            menu.addSeparator();
    }
    return menu;
}

template <typename Entry, std::size_t N>
std::optional<Entry> entryOf(const MenuRow<Entry> (&rows)[N], const MenuChoice& choice) {
    if (choice.size() != 1 || choice.front() < 0 || choice.front() >= static_cast<int>(N))
        return std::nullopt;
    return rows[choice.front()].entry;
}

// The toolkit's pop-up over the view's open frame; nothing while the frame is closed.
std::optional<MenuChoice> popupOverFrame(const toolkit::CView& view, const MenuModel& menu, CPoint where) {
    toolkit::CFrame* frame = view.getFrame();
    if (frame == nullptr || !frame->isOpen())
        return std::nullopt;
    return toolkit::runPopupMenu(toolkit::dialogHostOf(*frame), menu, frame->localToScreen(where));
}

// The pop-up's pointer grab takes the release of the click that opened it: the frame must still
// hear of it, or it would hand every later move and click to the view that opened the menu.
void releaseAfterMenu(const toolkit::CView& view, CPoint where, unsigned button) {
    if (toolkit::CFrame* frame = view.getFrame())
        frame->mouseUp(where, button);
}

CursorShape cursorShapeOf(GridCursor cursor) {
    switch (cursor) {
        case GridCursor::undecided: return CursorShape::sizeAll;
        case GridCursor::horizontal:
        case GridCursor::thumb: return CursorShape::sizeHorizontal;
        case GridCursor::vertical: return CursorShape::sizeVertical;
        case GridCursor::normal: break;
    }
    return CursorShape::arrow;
}

// The one button a press names: left wins when a press somehow names both.
std::optional<GridButton> pressedButton(unsigned buttons) {
    if (buttons & toolkit::kLButton)
        return GridButton::left;
    if (buttons & toolkit::kRButton)
        return GridButton::right;
    return std::nullopt;
}

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
        case artwork::TrackFamily::kKick: return {0.941, 0.569, 0.294};
        case artwork::TrackFamily::kSnare: return {0.914, 0.439, 0.561};
        case artwork::TrackFamily::kHat: return {0.333, 0.718, 0.918};
        case artwork::TrackFamily::kPercussion: break;
    }
    return {0.435, 0.796, 0.557};
}

MenuModel gridMenu() { return menuOf(kGridMenu); }

std::optional<GridMenuEntry> gridMenuEntryOf(const MenuChoice& choice) { return entryOf(kGridMenu, choice); }

MenuModel stripMenu() { return menuOf(kStripMenu); }

std::optional<StripEntry> stripMenuEntryOf(const MenuChoice& choice) { return entryOf(kStripMenu, choice); }

CVornPattern::CVornPattern(const CRect& size, toolkit::CControlListener* listener, long tag, int trackIndex)
    : CVornControlEx(size, listener, tag), strip(FilmStrip::load("PatternLed.png")), track(trackIndex) {
    setMin(0.0f);
    setMax(static_cast<float>(kMaxSteps - 1));
    popupMenu = [this](const MenuModel& menu, CPoint where) { return popupOverFrame(*this, menu, where); };
}

void CVornPattern::setRow(const PatternRowValues& values) {
    row = values;
    row.stepCount = std::clamp(row.stepCount, 1, kMaxSteps);
    invalid();
}

void CVornPattern::setScrollOffset(int firstStep) {
    const int before = gestures.getScrollOffset();
    gestures.setScrollOffset(firstStep);
    if (gestures.getScrollOffset() != before)
        invalid();
}

// Only the two columns that change are drawn again: the playing step moves at every step on every
// strip, and redrawing whole rows for it would be most of an idle tick's work.
void CVornPattern::setPlayingStep(int step) {
    if (step == playingStep)
        return;
    const int previous = playingStep;
    playingStep = step;
    toolkit::CFrame* frame = getFrame();
    if (frame == nullptr || isDirty()) {
        invalid();
        return;
    }
    for (int changed : {previous, step})
        if (const std::optional<CRect> cell = columnRect(changed - getScrollOffset()))
            frame->invalidate(*cell);
}

std::optional<CRect> CVornPattern::columnRect(int column) const {
    if (column < 0 || column >= kVisibleSteps)
        return std::nullopt;
    const CRect area = geometry().stepsArea();
    const int width = area.width() / kVisibleSteps;
    return CRect{area.left + column * width, area.top, area.left + (column + 1) * width, area.bottom};
}

void CVornPattern::setScrollBar(bool present) {
    scrollBar = present;
    invalid();
}

void CVornPattern::setHeaderHeight(int pixels) {
    headerHeight = std::clamp(pixels, 0, getViewSize().height());
    invalid();
}

GridGeometry CVornPattern::geometry() const { return {getViewSize(), scrollBar, headerHeight}; }

void CVornPattern::setHighlighted(bool on) {
    if (on == highlighted)
        return;
    highlighted = on;
    invalid();
}

void CVornPattern::attachPatterns(const TrackPatterns* data, GridWriter* newWriter, int patternIndex, int stepCount) {
    patternIndex = std::clamp(patternIndex, 0, kPatternCount - 1);
    // A drag on the row that goes away ends as its release would: a pending delete is made
    // where it was meant.
    if (gestures.isActive() && (data != patterns || newWriter != writer || patternIndex != pattern)) {
        act(gestures.mouseUp(target()));
        showCursor();
    }
    patterns = data;
    writer = newWriter;
    pattern = patternIndex;
    row.stepCount = std::clamp(stepCount, 1, kMaxSteps);
    refreshRow();
    invalid();
}

void CVornPattern::refreshRow() {
    if (patterns == nullptr)
        return;
    const auto p = static_cast<std::size_t>(pattern);
    row.velocity = patterns->stepVelocity[p];
    row.roll = patterns->stepRoll[p];
    row.hold = patterns->stepHold[p];
    row.tune = patterns->stepTune;
    row.randomHit = loadRelaxedRow(patterns->randomHit);
}

std::optional<GridMenuEntry> CVornPattern::askMenu(CPoint where) const {
    if (!popupMenu)
        return std::nullopt;
    MenuModel menu = gridMenu();
    if (entryAvailable)
        for (int index = 0; index < static_cast<int>(std::size(kGridMenu)); ++index)
            if (const std::optional<GridMenuEntry> entry = kGridMenu[index].entry)
                menu.setEntryDisabled(index, !entryAvailable(*entry));
    const std::optional<MenuChoice> choice = popupMenu(menu, where);
    const std::optional<GridMenuEntry> entry = choice ? gridMenuEntryOf(*choice) : std::nullopt;
    if (entry && entryAvailable && !entryAvailable(*entry))
        return std::nullopt;
    return entry;
}

void CVornPattern::handOver(GridMenuEntry entry) {
    menuChoice = entry;
    reportValue();
}

bool CVornPattern::openMenu(CPoint where) {
    const std::optional<GridMenuEntry> entry = askMenu(where);
    if (entry)
        handOver(*entry);
    return entry.has_value();
}

std::optional<GridMenuEntry> CVornPattern::takeMenuChoice() { return std::exchange(menuChoice, std::nullopt); }

MouseResult CVornPattern::mouseDown(CPoint where, unsigned buttons) {
    const std::optional<GridButton> button = pressedButton(buttons);
    if (!button)
        return CVornControlEx::mouseDown(where, buttons);
    const GridKeys keys{(buttons & toolkit::kShift) != 0, (buttons & toolkit::kControl) != 0};
    const GridOutcome outcome = gestures.mouseDown(target(), geometry(), where, *button, keys);
    if (outcome.what == GridOutcome::What::openMenu) {
        const std::optional<GridMenuEntry> entry = askMenu(outcome.menuAt);
        releaseAfterMenu(*this, where, *button == GridButton::left ? toolkit::kLButton : toolkit::kRButton);
        // Last: the listener may take this view off the frame when it hears the choice.
        if (entry)
            handOver(*entry);
        return MouseResult::handled;
    }
    act(outcome);
    showCursor();
    return MouseResult::handled;
}

MouseResult CVornPattern::mouseMoved(CPoint where, unsigned buttons) {
    if (!gestures.isActive())
        return CVornControlEx::mouseMoved(where, buttons);
    const HeldButtons held{(buttons & toolkit::kLButton) != 0, (buttons & toolkit::kRButton) != 0};
    act(gestures.mouseMoved(target(), geometry(), where, held));
    showCursor();
    return MouseResult::handled;
}

MouseResult CVornPattern::mouseUp(CPoint where, unsigned buttons) {
    if (!gestures.isActive())
        return CVornControlEx::mouseUp(where, buttons);
    act(gestures.mouseUp(target()));
    showCursor();
    return MouseResult::handled;
}

void CVornPattern::act(const GridOutcome& outcome) {
    switch (outcome.what) {
        case GridOutcome::What::stepsChanged:
            refreshRow();
            invalid();
            for (int step = outcome.firstStep; step <= outcome.lastStep; ++step) {
                setValue(static_cast<float>(step));
                reportValue();
            }
            break;
        case GridOutcome::What::scrolled:
            invalid();
            if (scrolled)
                scrolled(gestures.getScrollOffset());
            break;
        case GridOutcome::What::openMenu:
        case GridOutcome::What::nothing: break;
    }
}

void CVornPattern::showCursor() {
    const GridCursor wanted = gestures.cursor();
    if (wanted == shownCursor)
        return;
    shownCursor = wanted;
    setCursor(cursorShapeOf(wanted));
}

int CVornPattern::frameOfColumn(int column) const {
    const int step = getScrollOffset() + column;
    const int velocity = static_cast<int>(row.velocity[static_cast<std::size_t>(step)]);
    return artwork::stepFrame(familyOf(track), std::clamp(velocity, 0, kMaxVelocity), step == playingStep);
}

void CVornPattern::drawControl(toolkit::CDrawContext& context) {
    const CRect area = geometry().stepsArea();
    const int width = area.width() / kVisibleSteps;
    for (int column = 0; column < kVisibleSteps; ++column) {
        const int step = getScrollOffset() + column;
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
            if (step == playingStep)
                fillRect(context, cell, 1.0, 1.0, 1.0, 0.25);
        }
        drawMarks(context, cell, s);
    }
    drawHolds(context);
    // Steps past the pattern's end are dimmed, holds running into them too: they never play.
    for (int column = 0; column < kVisibleSteps; ++column) {
        if (getScrollOffset() + column < row.stepCount)
            continue;
        fillRect(context, {area.left + column * width, area.top, area.left + (column + 1) * width, area.bottom}, 0.0,
                 0.0, 0.0, 0.55);
    }
    if (scrollBar)
        drawScrollBar(context);
    if (highlighted) {
        const auto accent = trackAccent(track);
        strokeRect(context, getViewSize(), 2.0, accent[0], accent[1], accent[2]);
    }
}

// What a step holds besides its velocity: the roll as one dot per extra hit along the top, the
// tune as its offset on a dark plate, a random keystroke without a hit of its own as a violet
// block.
void CVornPattern::drawMarks(toolkit::CDrawContext& context, const CRect& cell, std::size_t s) const {
    const bool hit = row.velocity[s] > 0.0f;
    const int roll = hit ? wholeUnits(row.roll[s], GridGestures::kMaxRoll) : 0;
    for (int i = 0; i < roll; ++i)
        fillRect(context, rectOfSize(cell.left + 5 + 4 * i, cell.top + 2, 2, 2), 0.95, 0.96, 0.98);
    const int tune = static_cast<int>(std::lround(row.tune[s]));
    if (hit && tune != 0) {
        const CRect plate{cell.left + 1, cell.top + 7, cell.right - 1, cell.top + 15};
        fillRect(context, plate, 0.07, 0.09, 0.12, 0.8);
        drawText(context, plate, numbered("%+i", tune), 7.0, TextAlign::centre, 0.949, 0.698, 0.306);
    }
    if (row.randomHit[s] != 0.0f && !hit)
        fillRect(context, {cell.left + 5, cell.bottom - 9, cell.right - 5, cell.bottom - 4}, 0.682, 0.573, 0.925, 0.9);
}

// A hold longer than one step runs as a bar from its hit's middle to the end of the last step it
// covers, over the following steps; the part beyond the visible columns or the pattern's end is
// not drawn. A hit scrolled out to the left still shows the rest of its hold.
void CVornPattern::drawHolds(toolkit::CDrawContext& context) const {
    const CRect area = geometry().stepsArea();
    const int width = area.width() / kVisibleSteps;
    const int first = getScrollOffset();
    const int end = std::min(first + kVisibleSteps, row.stepCount);  // one past the last drawn step
    const auto accent = trackAccent(track);
    for (int step = 0; step < end; ++step) {
        const auto s = static_cast<std::size_t>(step);
        if (row.velocity[s] <= 0.0f || row.hold[s] <= 1.0f)
            continue;
        const int last = std::min(step + wholeUnits(std::ceil(row.hold[s]), kMaxSteps) - 1, end - 1);
        if (last < first)
            continue;
        const int left = step >= first ? area.left + (step - first) * width + width / 2 : area.left;
        const int right = area.left + (last - first + 1) * width - 2;
        fillRect(context, {left, area.bottom - 4, right, area.bottom - 2}, accent[0], accent[1], accent[2]);
    }
}

// The bar as its clicks read it, over the whole band that answers as the bar: an arrow of 22
// pixels at each end and the thumb a quarter of the track between them. The track shows where
// the pattern's hits lie over its 64 steps, so the thumb frames the ones on show.
void CVornPattern::drawScrollBar(toolkit::CDrawContext& context) const {
    const GridGeometry grid = geometry();
    const CRect& box = grid.box;
    const CRect bar{box.left, box.bottom - GridGeometry::kScrollBarReach, box.right, box.bottom};
    fillRect(context, bar, 0.1, 0.1, 0.12);
    const int arrow = GridGeometry::kArrowWidth;
    const int middle = bar.top + bar.height() / 2;
    context.save();
    context.setColour(0.6, 0.6, 0.65);
    context.moveTo(bar.left + arrow - 7, middle - 5);
    context.lineTo(bar.left + arrow - 7, middle + 5);
    context.lineTo(bar.left + 7, middle);
    context.closePath();
    context.moveTo(bar.right - arrow + 7, middle - 5);
    context.lineTo(bar.right - arrow + 7, middle + 5);
    context.lineTo(bar.right - 7, middle);
    context.closePath();
    context.fill();
    context.restore();
    const int thumbLeft = bar.left + grid.thumbLeft(getScrollOffset());
    fillRect(context, {thumbLeft, bar.top + 3, thumbLeft + grid.thumbWidth(), bar.bottom - 3}, 0.36, 0.37, 0.42);
    const int track = box.width() - 2 * arrow;
    const auto accent = trackAccent(this->track);
    for (int step = 0; step < row.stepCount; ++step) {
        if (row.velocity[static_cast<std::size_t>(step)] <= 0.0f)
            continue;
        const int x = bar.left + arrow + track * step / kMaxSteps;
        fillRect(context, {x + 1, middle - 3, x + 3, middle + 3}, accent[0], accent[1], accent[2], 0.85);
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
    if (!(buttons & toolkit::kLButton))
        return CVornControlEx::mouseDown(where, buttons);
    const int cell = cellAt(where);
    if (cell >= 0)
        changeValueByUser(static_cast<float>(cell));
    return MouseResult::handled;
}

void CVornCellSelect::drawControl(toolkit::CDrawContext& context) {
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
    if (!right && !(buttons & toolkit::kLButton))
        return CVornControlEx::mouseDown(where, buttons);
    const int pattern = cellInRow(getViewSize(), kPatternCount, where);
    if (pattern < 0)
        return MouseResult::handled;
    const LoopRange range = loopRangeAfterClick({first, last}, pattern, right);
    first = range.first;
    last = range.last;
    setValue(static_cast<float>(pattern));
    reportValue();
    invalid();
    return MouseResult::handled;
}

void CVornLoopSelect::drawControl(toolkit::CDrawContext& context) {
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
    : CVornControlEx(size, listener, tag), track(trackIndex) {
    popupMenu = [this](const MenuModel& menu, CPoint where) { return popupOverFrame(*this, menu, where); };
}

void CVornDrum::setRows(int firstStripTop, int stripPitch, int rowCount) {
    rows = {firstStripTop, stripPitch, rowCount};
}

std::optional<StripAction> CVornDrum::takeStripAction() { return std::exchange(action, std::nullopt); }

void CVornDrum::showHighlight(int row, bool on) const {
    if (row >= 0 && highlight)
        highlight(row, on);
}

void CVornDrum::hand(const StripAction& chosen) {
    action = chosen;
    reportValue();
}

MouseResult CVornDrum::mouseDown(CPoint where, unsigned buttons) {
    const std::optional<GridButton> button = pressedButton(buttons);
    if (!button)
        return CVornControlEx::mouseDown(where, buttons);
    // A second button during a drag belongs to the drag.
    if (drag.getSource() >= 0)
        return MouseResult::handled;
    const int row = rows.rowAt(where.y);
    // Off every strip row (or before the editor told the rows) the handle is no handle.
    if (row < 0)
        return CVornControlEx::mouseDown(where, buttons);
    if (*button == GridButton::right) {
        if (!popupMenu)
            return MouseResult::handled;
        const std::optional<MenuChoice> choice = popupMenu(stripMenu(), where);
        releaseAfterMenu(*this, where, toolkit::kRButton);
        const std::optional<StripEntry> entry = choice ? stripMenuEntryOf(*choice) : std::nullopt;
        // Last: the listener may take this view off the frame when it hears the choice.
        if (entry)
            hand({*entry, row, -1});
        return MouseResult::handled;
    }
    if (drag.press(row)) {
        showHighlight(row, true);
        setCursor(CursorShape::hand);
    }
    return MouseResult::handled;
}

MouseResult CVornDrum::mouseMoved(CPoint where, unsigned buttons) {
    if (drag.getSource() < 0)
        return CVornControlEx::mouseMoved(where, buttons);
    if (!(buttons & toolkit::kLButton))
        return MouseResult::handled;
    const StripDrag::TargetChange change = drag.move(rows.rowAt(where.y));
    showHighlight(change.removed, false);
    showHighlight(change.added, true);
    return MouseResult::handled;
}

MouseResult CVornDrum::mouseUp(CPoint where, unsigned buttons) {
    if (drag.getSource() < 0)
        return CVornControlEx::mouseUp(where, buttons);
    if (!(buttons & toolkit::kLButton))
        return MouseResult::handled;
    showHighlight(drag.getSource(), false);
    showHighlight(drag.getTarget(), false);
    const std::optional<StripDrag::Copy> copy = drag.release();
    setCursor(CursorShape::arrow);
    if (copy)
        hand({StripEntry::dragCopy, copy->source, copy->target});
    return MouseResult::handled;
}

// The strip itself, its accent and its number are the background's; a drag lights the grids.
void CVornDrum::drawControl(toolkit::CDrawContext&) {}

}  // namespace rimba::controls
