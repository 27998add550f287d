#pragma once
// The pattern page's controls: the step row of one track with its gestures and its menu, the
// pattern, page and loop selectors, and the drum strip's handle with its menu and drag. The
// gestures' rules are GridGestures.h; the menus' operations on the instrument are the editor's
// (the pattern tools): these controls only say which entry was chosen.

#include <array>
#include <functional>
#include <optional>

#include "plugin/editor/controls/GridGestures.h"
#include "plugin/editor/controls/VornControlEx.h"
#include "plugin/editor/toolkit/MenuModel.h"
#include "plugin/model/Constants.h"
#include "plugin/model/PatternPlanes.h"

namespace rimba::controls {

// Pops up a menu at a point of the frame and answers the chosen entry. The controls' default
// shows the toolkit's pop-up over their open frame (nothing while it is closed); tests and the
// editor may hand in their own.
using PopupMenuFunction =
    std::function<std::optional<toolkit::MenuChoice>(const toolkit::MenuModel& menu, toolkit::CPoint where)>;

// The grid menu's entries, in menu order.
enum class GridMenuEntry {
    reset,
    clean,
    duplicate,
    randomizeStep,
    randomizeStepInPlace,
    randomizePitch,
    randomizeHold,
    restore,
    undo,
    redo,
};
toolkit::MenuModel gridMenu();
std::optional<GridMenuEntry> gridMenuEntryOf(const toolkit::MenuChoice& choice);

// What the step row shows of one track's current pattern, copied from the instrument's state.
struct PatternRowValues {
    std::array<float, kMaxSteps> velocity{};  // 0 no hit, 1..127
    std::array<float, kMaxSteps> roll{};  // 0..3 extra hits
    std::array<float, kMaxSteps> hold{};  // in steps; more than 1 runs over the next steps
    std::array<float, kMaxSteps> tune{};  // semitones, -24..24, shared by the track's patterns
    std::array<float, kMaxSteps> randomHit{};  // 1 where a random keystroke sits
    int stepCount = 16;  // steps of the pattern, 1..64
    bool operator==(const PatternRowValues&) const = default;
};

// The step row of one track. Attached to the track's live planes and a writer for them, it
// edits them under the mouse (GridGestures.h); after each change it redraws and reports to its listener with the
// value set to the changed step (once per step for a painted stretch). A choice in its menu is
// reported too: the listener then finds it with takeMenuChoice and performs it (the control
// cannot reach the instrument; the editor keeps each grid's reference pattern).
class CVornPattern : public CVornControlEx {
public:
    static constexpr int kVisibleSteps = GridGeometry::kVisibleSteps;
    static constexpr int kScrollBarHeight = GridGeometry::kScrollBarHeight;

    CVornPattern(const toolkit::CRect& size, toolkit::CControlListener* listener, long tag, int track);
    bool isTypeOf(std::string_view className) const override {
        return className == "CVornPattern" || CVornControlEx::isTypeOf(className);
    }
    const char* getClassName() const override { return "CVornPattern"; }

    void setRow(const PatternRowValues& values);
    const PatternRowValues& getRow() const { return row; }
    // The first visible step, 0..48 (the page times 16 when scrolled by pages).
    void setScrollOffset(int firstStep);
    int getScrollOffset() const { return gestures.getScrollOffset(); }
    void setPlayingStep(int step);  // -1 when none plays
    int getPlayingStep() const { return playingStep; }
    void setScrollBar(bool present);
    bool hasScrollBar() const { return scrollBar; }
    // A step-number header drawn by another view over the top `pixels` of this one.
    void setHeaderHeight(int pixels);
    int getTrack() const { return track; }
    // The film-strip frame drawn for visible step `column` (0..15).
    int frameOfColumn(int column) const;
    // The rectangle of visible column 0..15; nothing for a column outside the grid.
    std::optional<toolkit::CRect> columnRect(int column) const;

    // The live planes the gestures read, the writer their changes go through, the pattern shown
    // and its step count; nullptr planes detach (the row then shows what setRow gives and only
    // the scroll bar answers). The drawn row is taken from the planes at once and after every
    // change.
    void attachPatterns(const TrackPatterns* data, GridWriter* writer, int pattern, int stepCount);
    const TrackPatterns* getPatterns() const { return patterns; }
    int getPattern() const { return pattern; }
    void setLengthMode(bool on) { gestures.lengthMode = on; }
    bool isLengthMode() const { return gestures.lengthMode; }
    void setShortHoldMode(bool on) { gestures.shortHoldMode = on; }
    bool isShortHoldMode() const { return gestures.shortHoldMode; }
    const GridGestures& getGestures() const { return gestures; }
    GridGeometry geometry() const;
    // Outlined in the track's colour: the source and the target of a strip drag.
    void setHighlighted(bool on);
    bool isHighlighted() const { return highlighted; }

    // Opens the grid menu at `where` (frame coordinates); what the scroll bar does beside its
    // arrows and thumb, and what the editor may offer elsewhere. True when an entry was chosen.
    bool openMenu(toolkit::CPoint where);
    // The entry chosen last, once; nothing when none is waiting.
    std::optional<GridMenuEntry> takeMenuChoice();

    PopupMenuFunction popupMenu;
    // Told the new first visible step after the scroll bar moved it (a step-number header
    // follows it).
    std::function<void(int firstStep)> scrolled;
    // Whether an entry of the grid menu can be chosen now ("Undo" with nothing to undo cannot);
    // every entry can while it is not set.
    std::function<bool(GridMenuEntry entry)> entryAvailable;

protected:
    void drawControl(toolkit::CDrawContext& context) override;
    toolkit::MouseResult mouseDown(toolkit::CPoint where, unsigned buttons) override;
    toolkit::MouseResult mouseMoved(toolkit::CPoint where, unsigned buttons) override;
    toolkit::MouseResult mouseUp(toolkit::CPoint where, unsigned buttons) override;

private:
    GridTarget target() const { return {patterns, writer, pattern, row.stepCount}; }
    std::optional<GridMenuEntry> askMenu(toolkit::CPoint where) const;
    void handOver(GridMenuEntry entry);
    void act(const GridOutcome& outcome);
    void refreshRow();
    void showCursor();
    void drawScrollBar(toolkit::CDrawContext& context) const;
    void drawHolds(toolkit::CDrawContext& context) const;
    void drawMarks(toolkit::CDrawContext& context, const toolkit::CRect& cell, std::size_t step) const;

    FilmStrip strip;
    PatternRowValues row;
    int track;
    int playingStep = -1;
    bool scrollBar = false;
    int headerHeight = 0;
    bool highlighted = false;
    const TrackPatterns* patterns = nullptr;
    GridWriter* writer = nullptr;
    int pattern = 0;
    GridGestures gestures;
    GridCursor shownCursor = GridCursor::normal;
    std::optional<GridMenuEntry> menuChoice;
};

// A row of cells of which one is chosen: a click chooses the cell under the pointer, and the
// value becomes its index. Patterns (16) and pages (4) are this.
class CVornCellSelect : public CVornControlEx {
public:
    CVornCellSelect(const toolkit::CRect& size, toolkit::CControlListener* listener, long tag,
                    std::string_view bitmapName, int cells);
    int getCells() const { return cells; }
    int cellAt(toolkit::CPoint where) const;

protected:
    void drawControl(toolkit::CDrawContext& context) override;
    toolkit::MouseResult mouseDown(toolkit::CPoint where, unsigned buttons) override;
    virtual std::string cellText(int cell) const = 0;

    FilmStrip strip;
    int cells;
    int columns;
};

class CVornPatternSelect : public CVornCellSelect {
public:
    CVornPatternSelect(const toolkit::CRect& size, toolkit::CControlListener* listener, long tag);
    bool isTypeOf(std::string_view className) const override {
        return className == "CVornPatternSelect" || CVornControlEx::isTypeOf(className);
    }
    const char* getClassName() const override { return "CVornPatternSelect"; }

protected:
    std::string cellText(int cell) const override;
};

class CVornPatternPage : public CVornCellSelect {
public:
    CVornPatternPage(const toolkit::CRect& size, toolkit::CControlListener* listener, long tag);
    bool isTypeOf(std::string_view className) const override {
        return className == "CVornPatternPage" || CVornControlEx::isTypeOf(className);
    }
    const char* getClassName() const override { return "CVornPatternPage"; }

protected:
    std::string cellText(int cell) const override;
};

// The loop range of patterns: one LED under each of the 16 patterns. A left click sets the
// first pattern of the loop, a right click the last; the range never runs backwards (a first
// past the last moves the last with it, and the other way round). The value is the clicked
// pattern.
class CVornLoopSelect : public CVornControlEx {
public:
    CVornLoopSelect(const toolkit::CRect& size, toolkit::CControlListener* listener, long tag);
    bool isTypeOf(std::string_view className) const override {
        return className == "CVornLoopSelect" || CVornControlEx::isTypeOf(className);
    }
    const char* getClassName() const override { return "CVornLoopSelect"; }

    int getFirst() const { return first; }
    int getLast() const { return last; }
    void setRange(int firstPattern, int lastPattern);

protected:
    void drawControl(toolkit::CDrawContext& context) override;
    toolkit::MouseResult mouseDown(toolkit::CPoint where, unsigned buttons) override;

private:
    FilmStrip strip;
    int first = 0;
    int last = 0;
};

// The loop range after a click on `pattern`: left sets the first, right the last.
struct LoopRange {
    int first = 0;
    int last = 0;
    friend bool operator==(const LoopRange&, const LoopRange&) = default;
};
LoopRange loopRangeAfterClick(LoopRange range, int pattern, bool rightButton);

// What a drum strip asks of the editor: one of the strip menu's entries on `track`, or the copy
// of the whole track `track` onto `targetTrack` that a strip drag ends with.
enum class StripEntry { reset, clean, copy, paste, duplicateMeasure1, duplicateMeasures12, dragCopy };
struct StripAction {
    StripEntry entry = StripEntry::reset;
    int track = -1;
    int targetTrack = -1;  // dragCopy only
    bool operator==(const StripAction&) const = default;
};
toolkit::MenuModel stripMenu();
std::optional<StripEntry> stripMenuEntryOf(const toolkit::MenuChoice& choice);

// The handle of one track's strip. A right click opens the strip menu on the row under the
// pointer; a left press starts a strip drag from that row, and the rows the pointer then passes
// over (the frame hands a pressed control every move, even outside it) become the target. The
// strip rows are the page's (setRows), so one handle knows every row. A menu choice or a
// finished drag is reported to the listener, which takes it with takeStripAction.
class CVornDrum : public CVornControlEx {
public:
    CVornDrum(const toolkit::CRect& size, toolkit::CControlListener* listener, long tag, int track);
    bool isTypeOf(std::string_view className) const override {
        return className == "CVornDrum" || CVornControlEx::isTypeOf(className);
    }
    const char* getClassName() const override { return "CVornDrum"; }

    int getTrack() const { return track; }

    // The page's strips: the first one's top, the distance from one strip's top to the next and
    // how many there are. Until set, no row is under the pointer and the handle does nothing.
    void setRows(int firstStripTop, int stripPitch, int rows);
    const StripRows& getRows() const { return rows; }
    const StripDrag& getDrag() const { return drag; }
    // The action waiting, once; nothing when none is.
    std::optional<StripAction> takeStripAction();

    PopupMenuFunction popupMenu;
    // Told when a row's grid is to be highlighted (the drag's source and target) and when no
    // longer.
    std::function<void(int row, bool on)> highlight;

protected:
    void drawControl(toolkit::CDrawContext& context) override;
    toolkit::MouseResult mouseDown(toolkit::CPoint where, unsigned buttons) override;
    toolkit::MouseResult mouseMoved(toolkit::CPoint where, unsigned buttons) override;
    toolkit::MouseResult mouseUp(toolkit::CPoint where, unsigned buttons) override;

private:
    void showHighlight(int row, bool on) const;
    void hand(const StripAction& action);

    int track;
    StripRows rows;
    StripDrag drag;
    std::optional<StripAction> action;
};

// The accent colour of a track's family (kick, snare, hat, percussion), red, green, blue.
std::array<double, 3> trackAccent(int track);

}  // namespace rimba::controls
