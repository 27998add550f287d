#pragma once
// The gestures of the pattern grid and of the drum strips as plain code on the pattern data: no
// window, no drawing. CVornPattern and CVornDrum feed them the mouse and act on their answers
// (redraw, cursor, report, menu), so that every rule is testable without a display.
//
// The grid reads the instrument's live pattern planes of its track (no private copy) and changes
// them only through its writer, which the editor hands on to the instrument: a change is heard at
// the next step the sequencer plays. Editor thread only.

#include <functional>
#include <optional>

#include "plugin/editor/toolkit/Geometry.h"
#include "plugin/model/PatternPlanes.h"

namespace rimba::controls {

// Where a grid sits: its rectangle, the optional step-number header along its top (part of the
// rectangle) and the optional scroll bar along its bottom.
struct GridGeometry {
    static constexpr int kVisibleSteps = 16;
    static constexpr int kScrollBarHeight = 14;
    static constexpr int kScrollBarReach = kScrollBarHeight + 10;  // the bottom band that reacts
    static constexpr int kArrowWidth = 22;
    static constexpr int kRightArrowReach = 20;
    static constexpr int kMaxScrollOffset = kMaxSteps - kVisibleSteps;

    toolkit::CRect box;
    bool scrollBar = false;
    int headerHeight = 0;

    // The rows of steps: the rectangle without the header and the scroll bar's band, so that
    // every pixel drawn as a step answers as one.
    toolkit::CRect stepsArea() const;
    // The step under x (integer arithmetic, first visible step `scrollOffset`); may lie outside
    // 0..63, or -1 when the grid is too narrow to hold a column.
    int stepAt(int x, int scrollOffset) const;
    // The velocity the height y stands for: 127 at the steps' top, 1 at their bottom.
    int velocityAt(int y) const;
    bool onScrollBar(toolkit::CPoint where) const;
    // The scroll bar's thumb, in pixels from the grid's left edge: a quarter of the track
    // between the two arrows.
    int thumbLeft(int scrollOffset) const;
    int thumbWidth() const;
};

// A hold or roll as the whole steps or hits the grid edits and draws: cut to 0..most first, then
// truncated. A pattern file may give any finite number, and one beyond an int has no whole part
// the arithmetic could take.
int wholeUnits(float value, int most);

// How a grid changes its track's planes: the planes belong to the instrument, whose render loop
// reads them meanwhile, so each change is one call the owner of the planes makes.
class GridWriter {
public:
    // The step of `pattern` takes all three values at once.
    virtual void setStep(int pattern, int step, const PatternStep& values) = 0;
    // The step's tune, shared by the track's patterns.
    virtual void setStepTune(int step, float semitones) = 0;
    // Takes away the random keystroke at the step: a request to the render loop, the layer's one
    // writer.
    virtual void removeKeystroke(int step) = 0;

protected:
    ~GridWriter() = default;
};

// The data a grid edits: one track's planes, read only, the writer that changes them and the
// pattern shown. Without planes or a writer only the scroll bar answers.
struct GridTarget {
    const TrackPatterns* data = nullptr;
    GridWriter* writer = nullptr;
    int pattern = 0;  // 0..15
    int stepCount = 16;  // steps of the pattern, 1..64

    bool editable() const { return data != nullptr && writer != nullptr; }
};

enum class GridButton { left, right };

// The modifier keys held at a press. For that gesture Shift adds lengthMode and Shift+Ctrl
// shortHoldMode as well, on top of the grid's own modes; Ctrl alone adds nothing.
struct GridKeys {
    bool shift = false;
    bool control = false;
};

struct HeldButtons {
    bool left = false;
    bool right = false;
};

// What a gesture did, for the control to redraw and report.
struct GridOutcome {
    enum class What { nothing, stepsChanged, scrolled, openMenu };
    What what = What::nothing;
    int firstStep = -1;  // stepsChanged: the changed steps, firstStep..lastStep
    int lastStep = -1;
    toolkit::CPoint menuAt;  // openMenu: the click point

    static GridOutcome changed(int first, int last) { return {What::stepsChanged, first, last, {}}; }
    static GridOutcome changed(int step) { return changed(step, step); }
    static GridOutcome scrolled() { return {What::scrolled, -1, -1, {}}; }
    static GridOutcome menu(toolkit::CPoint where) { return {What::openMenu, -1, -1, where}; }
    bool operator==(const GridOutcome&) const = default;
};

enum class RightDrag { undecided, horizontal, vertical };

// The cursor a gesture asks for.
enum class GridCursor { normal, undecided, horizontal, vertical, thumb };

// One grid's modes and gesture state. Gesture state lives from a press to its release.
class GridGestures {
public:
    static constexpr int kDragThreshold = 3;  // pixels a pointer moves before a drag counts
    static constexpr int kRollPixels = 10;
    static constexpr int kHoldPixels = 24;
    static constexpr int kShortHoldPixels = 6;
    static constexpr int kMaxRoll = 3;
    static constexpr int kMaxShortHold = 2;
    static constexpr float kMaxTune = 24.0f;

    bool lengthMode = false;  // right drags edit tunes and holds; a click inside a hold takes its hit
    bool shortHoldMode = false;  // horizontal right drags edit holds of 0..2 steps

    int getScrollOffset() const { return scrollOffset; }
    void setScrollOffset(int firstStep);  // limited to 0..48

    GridOutcome mouseDown(GridTarget target, const GridGeometry& geometry, toolkit::CPoint where, GridButton button,
                          GridKeys keys = {});
    GridOutcome mouseMoved(GridTarget target, const GridGeometry& geometry, toolkit::CPoint where, HeldButtons held);
    // Ends the gesture: a pending delete is made now.
    GridOutcome mouseUp(GridTarget target);

    GridCursor cursor() const;
    bool isActive() const { return gesture != Gesture::none; }
    int getPaintStep() const { return paintStep; }
    int getSelectedNote() const { return selectedNote; }
    int getPendingDelete() const { return pendingDelete; }
    RightDrag getRightDrag() const { return rightDrag; }
    // The modes the gesture under way follows (the grid's own plus the keys of its press).
    bool inLengthMode() const { return gestureLength; }
    bool inShortHoldMode() const { return gestureShortHold; }

private:
    enum class Gesture { none, left, right, thumb };

    GridOutcome pressScrollBar(const GridGeometry& geometry, toolkit::CPoint where);
    GridOutcome pressStep(GridTarget target, int step, toolkit::CPoint where, GridButton button, GridKeys keys);
    GridOutcome paint(GridTarget target, const GridGeometry& geometry, toolkit::CPoint where);
    GridOutcome rightDragTo(GridTarget target, toolkit::CPoint where);
    GridOutcome dragThumb(const GridGeometry& geometry, toolkit::CPoint where);
    GridOutcome scrollTo(int offset);
    void endGesture();

    int scrollOffset = 0;
    Gesture gesture = Gesture::none;
    int paintStep = -1;  // the previous painted step while painting
    bool painting = false;  // the left drag has gone past the threshold
    int pressedStep = -1;  // where the left press landed (after a redirect)
    int selectedNote = -1;  // the hit a redirected left press or a right drag edits
    int pendingDelete = -1;
    RightDrag rightDrag = RightDrag::undecided;
    toolkit::CPoint pressPoint;
    toolkit::CPoint lastMouse;  // y: the last event; x: the last applied horizontal change
    int scrollDragStart = -1;
    bool gestureLength = false;  // the modes taken at the press, kept until the release
    bool gestureShortHold = false;
};

// The rows of the drum strips on the page, for the strip drag and the strip menu.
struct StripRows {
    int firstStripTop = 0;
    int stripPitch = 0;  // pixels from one strip's top to the next one's
    int rows = 0;  // strips on the page, at most 12

    // The strip row under y, or -1 outside every row.
    int rowAt(int y) const;
};

// A strip drag: a press on a strip's handle chooses the source, the pointer over another row the
// target. Moves answer which highlights change.
class StripDrag {
public:
    struct TargetChange {
        int removed = -1;  // the row whose highlight goes, or -1
        int added = -1;  // the row newly highlighted, or -1
    };
    struct Copy {
        int source = -1;
        int target = -1;
    };

    // False when the row is none (the drag does not start).
    bool press(int row);
    TargetChange move(int row);
    // The copy to make when both rows are set; the drag ends either way.
    std::optional<Copy> release();
    void cancel();

    int getSource() const { return source; }
    int getTarget() const { return target; }

private:
    int source = -1;
    int target = -1;
};

}  // namespace rimba::controls
