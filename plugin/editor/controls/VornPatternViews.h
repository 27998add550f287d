#pragma once
// The pattern page's controls: the step row of one track (drawing only; its gestures are the
// pattern tools'), the pattern, page and loop selectors, and the drum strip behind a track.

#include <array>

#include "plugin/editor/controls/VornControlEx.h"
#include "plugin/model/Constants.h"

namespace rimba::controls {

// What the step row shows of one track's current pattern, copied from the instrument's state.
struct PatternRowValues {
    std::array<float, kMaxSteps> velocity{};   // 0 no hit, 1..127
    std::array<float, kMaxSteps> randomHit{};  // 1 where a random keystroke sits
    int stepCount = 16;                        // steps of the pattern, 1..64
};

class CVornPattern : public CVornControlEx {
public:
    static constexpr int kVisibleSteps = 16;
    static constexpr int kScrollBarHeight = 14;

    CVornPattern(const toolkit::CRect& size, toolkit::CControlListener* listener, long tag, int track);
    bool isTypeOf(std::string_view className) const override {
        return className == "CVornPattern" || CVornControlEx::isTypeOf(className);
    }
    const char* getClassName() const override { return "CVornPattern"; }

    void setRow(const PatternRowValues& values);
    const PatternRowValues& getRow() const { return row; }
    // The first visible step, 0..48 (the page times 16 when scrolled by pages).
    void setScrollOffset(int firstStep);
    int getScrollOffset() const { return scrollOffset; }
    void setPlayingStep(int step);  // -1 when none plays
    int getPlayingStep() const { return playingStep; }
    void setScrollBar(bool present);
    int getTrack() const { return track; }
    // The film-strip frame drawn for visible step `column` (0..15).
    int frameOfColumn(int column) const;

protected:
    void drawControl(cairo_t* context) override;

private:
    toolkit::CRect stepsArea() const;

    FilmStrip strip;
    PatternRowValues row;
    int track;
    int scrollOffset = 0;
    int playingStep = -1;
    bool scrollBar = false;
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
    void drawControl(cairo_t* context) override;
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
    void drawControl(cairo_t* context) override;
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

// The strip behind one track: its accent, number and name. Its menu and drag are the pattern
// tools'; here it draws, and shows when it is the target of a strip drag.
class CVornDrum : public CVornControlEx {
public:
    CVornDrum(const toolkit::CRect& size, toolkit::CControlListener* listener, long tag, int track);
    bool isTypeOf(std::string_view className) const override {
        return className == "CVornDrum" || CVornControlEx::isTypeOf(className);
    }
    const char* getClassName() const override { return "CVornDrum"; }

    int getTrack() const { return track; }
    void setDropTarget(bool on);
    bool isDropTarget() const { return dropTarget; }

protected:
    void drawControl(cairo_t* context) override;

private:
    int track;
    bool dropTarget = false;
};

// The accent colour of a track's family (kick, snare, hat, percussion), red, green, blue.
std::array<double, 3> trackAccent(int track);

}  // namespace rimba::controls
