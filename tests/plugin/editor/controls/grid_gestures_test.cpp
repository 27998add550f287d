// The pattern grid's and the drum strips' gestures: the rules on the planes, then the two
// controls driven through a frame that is never opened, with their menus scripted.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "plugin/editor/controls/GridGestures.h"
#include "plugin/editor/controls/VornPatternViews.h"
#include "plugin/editor/toolkit/Frame.h"
#include "tests/support/GridPlanesWriter.h"

namespace rimba::controls {
namespace {

using toolkit::CPoint;
using toolkit::rectOfSize;

std::size_t at(int index) { return static_cast<std::size_t>(index); }

// 16 columns of 20 pixels; the steps 40 pixels high, so a height y stands for velocity
// 127 - int((y - 4) / 32 * 128).
class Grid : public ::testing::Test {
protected:
    float& velocity(int step) { return data.stepVelocity[1][at(step)]; }
    float& hold(int step) { return data.stepHold[1][at(step)]; }
    float& roll(int step) { return data.stepRoll[1][at(step)]; }
    float& tune(int step) { return data.stepTune[at(step)]; }
    static CPoint onStep(int step, int y = 20) { return {step * 20 + 10, y}; }

    GridOutcome press(CPoint where, GridButton button = GridButton::left) {
        return gestures.mouseDown(target, geometry, where, button);
    }
    // One pixel at a time, horizontally then vertically, as a slow hand moves.
    void dragBy(CPoint from, int dx, int dy, GridButton button) {
        const HeldButtons held{button == GridButton::left, button == GridButton::right};
        CPoint p = from;
        for (int i = 0; i != dx; i += dx > 0 ? 1 : -1)
            gestures.mouseMoved(target, geometry, {p.x += dx > 0 ? 1 : -1, p.y}, held);
        for (int i = 0; i != dy; i += dy > 0 ? 1 : -1)
            gestures.mouseMoved(target, geometry, {p.x, p.y += dy > 0 ? 1 : -1}, held);
    }

    TrackPatterns data{};
    test::GridPlanesWriter writer{data};
    GridTarget target{&data, &writer, 1, 16};
    GridGeometry geometry{rectOfSize(0, 0, 320, 40), false, 0};
    GridGestures gestures;
};

// The layer is the render loop's: the click asks for the keystroke's removal, and the hit under
// it stays as it is.
TEST_F(Grid, AClickOnARandomKeystrokeOnlyAsksForItsRemovalEvenOverAHit) {
    for (const float hit : {0.0f, 90.0f}) {
        velocity(5) = hit;
        data.randomHit[5] = 1.0f;
        writer.keystrokesRemoved.clear();
        EXPECT_EQ(press(onStep(5)), GridOutcome::changed(5));
        gestures.mouseUp(target);
        EXPECT_EQ(writer.keystrokesRemoved, std::vector<int>{5});
        EXPECT_EQ(velocity(5), hit);
    }
    EXPECT_EQ(writer.writes, 0);
}

TEST_F(Grid, ALeftClickSetsOrDeletesAndLengthModeDeletesOnlyAtTheRelease) {
    struct Case {
        bool lengthMode, shortHold;
        float before;
        int moveDown;  // pixels moved between press and release
        float whilePressed, holdWhilePressed, after;
    };
    const Case cases[] = {
        {false, false, 0, 0, 127, 0, 127}, {false, false, 60, 0, 0, 2, 0}, {true, true, 60, 0, 0, 2, 0},
        {true, false, 60, 0, 60, 0, 0},    {true, false, 60, 3, 60, 0, 0}, {true, false, 60, 4, 60, 0, 60},
    };
    for (const Case& c : cases) {
        gestures.lengthMode = c.lengthMode;
        gestures.shortHoldMode = c.shortHold;
        velocity(3) = c.before;
        hold(3) = 2;
        roll(3) = 1;
        press(onStep(3, 4));
        EXPECT_EQ(velocity(3), c.whilePressed);
        EXPECT_EQ(hold(3), c.holdWhilePressed);
        // Straight down from the top: a selected note or painting would change the velocity.
        for (int y = 5; y <= 4 + c.moveDown; ++y)
            gestures.mouseMoved(target, geometry, {70, y}, {true, false});
        gestures.mouseUp(target);
        const float expected = c.moveDown > 3 ? 127.0f - static_cast<float>(c.moveDown) * 4.0f : c.after;
        EXPECT_EQ(velocity(3), expected) << c.lengthMode << c.shortHold << " moved " << c.moveDown;
        if (velocity(3) == 0.0f) {
            EXPECT_EQ(roll(3), 0.0f);
        }
    }
}

TEST_F(Grid, AVerticalRightDragSetsVelocityOrInLengthModeTheTune) {
    struct Case {
        bool lengthMode;
        int dy;
        float velocityAfter, tuneAfter;
    };
    const Case cases[] = {
        {false, -200, 127, 0}, {false, -20, 120, 0},  {false, 150, 1, 0},
        {true, -200, 100, 20}, {true, -300, 100, 24}, {true, 300, 100, -24},
    };
    for (const Case& c : cases) {
        gestures.lengthMode = c.lengthMode;
        velocity(8) = 100;
        tune(8) = 0;
        press(onStep(8), GridButton::right);
        EXPECT_EQ(gestures.cursor(), GridCursor::undecided);
        dragBy(onStep(8), 0, c.dy, GridButton::right);
        EXPECT_EQ(gestures.cursor(), GridCursor::vertical);
        gestures.mouseUp(target);
        EXPECT_EQ(velocity(8), c.velocityAfter) << c.lengthMode << " " << c.dy;
        EXPECT_NEAR(tune(8), c.tuneAfter, 1e-3) << c.lengthMode << " " << c.dy;
        EXPECT_EQ(gestures.cursor(), GridCursor::normal);
    }
}

TEST_F(Grid, AHorizontalRightDragStepsRollsAndHoldsWithinTheirLimits) {
    struct Case {
        bool lengthMode, shortHold;
        std::vector<std::pair<int, float>> movesAndValue;  // dx from the last point, value after
    };
    const Case cases[] = {
        // Roll: a change every 10 pixels, at most 3; turning back counts from the last change.
        {false, false, {{9, 0}, {1, 1}, {15, 2}, {20, 3}, {60, 3}, {-15, 2}}},
        // Short holds: a change every 6 pixels, 0..2.
        {true, true, {{6, 1}, {30, 2}, {-6, 1}, {-40, 0}}},
        {false, true, {{12, 2}}},
        // Holds: a change every 24 pixels, ending before the next hit at step 7.
        {true, false, {{24, 1}, {72, 4}, {24, 5}, {240, 5}, {-24, 4}}},
    };
    for (const Case& c : cases) {
        data = {};
        gestures.lengthMode = c.lengthMode;
        gestures.shortHoldMode = c.shortHold;
        velocity(2) = 80;
        velocity(7) = 80;
        press(onStep(2), GridButton::right);
        CPoint p = onStep(2);
        for (const auto& [dx, value] : c.movesAndValue) {
            dragBy(p, dx, 0, GridButton::right);
            p.x += dx;
            const float got = c.lengthMode || c.shortHold ? hold(2) : roll(2);
            EXPECT_EQ(got, value) << c.lengthMode << c.shortHold << " at dx " << p.x - onStep(2).x;
        }
        EXPECT_EQ(gestures.cursor(), GridCursor::horizontal);
        gestures.mouseUp(target);
    }
}

// Shift at a press edits tunes and holds for that drag, Shift+Ctrl short holds; the grid's own
// modes still apply and are only added to; the next press without keys is back to velocity and
// rolls.
TEST_F(Grid, KeysHeldAtARightPressChooseTheValueTheDragEdits) {
    const GridKeys none{}, shift{true, false}, shiftCtrl{true, true}, ctrl{false, true};
    struct Case {
        GridKeys keys;
        bool lengthMode, shortHold;
        int dx, dy;
        float velocityAfter, rollAfter, holdAfter, tuneAfter;
    };
    const Case cases[] = {
        {none, false, false, 0, -20, 100, 0, 0, 0},    {shift, false, false, 0, -20, 80, 0, 0, 2},
        {shift, false, false, 0, -300, 80, 0, 0, 24},  {shift, false, false, 0, 300, 80, 0, 0, -24},
        {shift, false, false, 48, 0, 80, 0, 2, 0},     {shift, false, false, 240, 0, 80, 0, 5, 0},
        {shiftCtrl, false, false, 60, 0, 80, 0, 2, 0}, {shiftCtrl, false, false, 0, -20, 80, 0, 0, 2},
        {ctrl, false, false, 20, 0, 80, 2, 0, 0},      {none, false, false, 20, 0, 80, 2, 0, 0},
        {none, true, false, 48, 0, 80, 0, 2, 0},       {shift, false, true, 240, 0, 80, 0, 2, 0},
        {shiftCtrl, true, false, 240, 0, 80, 0, 2, 0}, {none, false, false, 0, 10, 70, 0, 0, 0},
    };
    for (const Case& c : cases) {
        data = {};
        gestures.lengthMode = c.lengthMode;
        gestures.shortHoldMode = c.shortHold;
        velocity(2) = 80;
        velocity(7) = 80;  // a hold from step 2 ends before it: at most 5 steps
        gestures.mouseDown(target, geometry, onStep(2), GridButton::right, c.keys);
        dragBy(onStep(2), c.dx, c.dy, GridButton::right);
        EXPECT_EQ(gestures.cursor(), c.dx != 0 ? GridCursor::horizontal : GridCursor::vertical);
        gestures.mouseUp(target);
        const std::string trace = "keys " + std::to_string(c.keys.shift) + std::to_string(c.keys.control) + " modes " +
                                  std::to_string(c.lengthMode) + std::to_string(c.shortHold) + " by " +
                                  std::to_string(c.dx) + "," + std::to_string(c.dy);
        EXPECT_EQ(velocity(2), c.velocityAfter) << trace;
        EXPECT_EQ(roll(2), c.rollAfter) << trace;
        EXPECT_EQ(hold(2), c.holdAfter) << trace;
        EXPECT_NEAR(tune(2), c.tuneAfter, 1e-3) << trace;
        EXPECT_FALSE(gestures.inLengthMode()) << "the keys' modes end with the gesture";
        EXPECT_EQ(gestures.lengthMode, c.lengthMode) << "the grid's own mode is left as it was";
    }
}

// At the pattern's last steps, on a grid scrolled to its last page (first step 48).
TEST_F(Grid, HoldsAtTheLastStepsStopBeforeTheNextHitAndShortHoldsAtTwo) {
    gestures.setScrollOffset(48);
    struct Case {
        GridKeys keys;
        int column;  // visible column, step 48 + column
        int laterHit;
        float holdAfter;
    };
    const Case cases[] = {
        {{true, false}, 13, 63, 2},
        {{true, false}, 14, 63, 1},
        {{true, true}, 15, -1, 2},
        {{true, false}, 0, 50, 2},
    };
    for (const Case& c : cases) {
        data = {};
        const int step = 48 + c.column;
        velocity(step) = 90;
        if (c.laterHit >= 0)
            velocity(c.laterHit) = 90;
        gestures.mouseDown(target, geometry, onStep(c.column), GridButton::right, c.keys);
        dragBy(onStep(c.column), 64 * 24, 0, GridButton::right);
        gestures.mouseUp(target);
        EXPECT_EQ(hold(step), c.holdAfter) << "step " << step;
        if (c.laterHit >= 0) {
            EXPECT_EQ(velocity(c.laterHit), 90.0f);
        }
    }
}

// A left press with Shift follows lengthMode for that click: a click inside a hold takes its hit,
// whose deletion waits for the release; with Shift+Ctrl (short holds) it deletes at once.
TEST_F(Grid, ShiftAtALeftPressTakesAClickInsideAHoldToItsHit) {
    struct Case {
        GridKeys keys;
        int selected, pendingWhilePressed;
        float velocity4WhilePressed, velocity6After;
    };
    const Case cases[] = {
        {{true, false}, 4, 4, 70, 0},
        {{false, false}, -1, -1, 70, 127},
        {{true, true}, -1, -1, 70, 127},
        {{false, true}, -1, -1, 70, 127},
    };
    for (const Case& c : cases) {
        data = {};
        velocity(4) = 70;
        hold(4) = 3;  // covers steps 5 and 6
        gestures.mouseDown(target, geometry, onStep(6), GridButton::left, c.keys);
        EXPECT_EQ(gestures.getSelectedNote(), c.selected);
        EXPECT_EQ(gestures.getPendingDelete(), c.pendingWhilePressed);
        EXPECT_EQ(velocity(4), c.velocity4WhilePressed);
        gestures.mouseUp(target);
        EXPECT_EQ(velocity(6), c.velocity6After);
        EXPECT_EQ(velocity(4), c.selected == 4 ? 0.0f : 70.0f) << "deleted at the release";
    }
}

TEST_F(Grid, PaintingStartsPastThreePixelsAndGivesTheHeightsVelocity) {
    press(onStep(2, 20));  // sets a hit of 127 at step 2
    gestures.mouseMoved(target, geometry, {53, 20}, {true, false});
    EXPECT_EQ(velocity(2), 127.0f) << "three pixels are no drag yet";
    // y 12: 127 - int(8 / 32 * 128) = 95. Right to step 6 paints 2..5; step 6 waits.
    EXPECT_EQ(gestures.mouseMoved(target, geometry, onStep(6, 12), {true, false}), GridOutcome::changed(2, 5));
    for (int s = 2; s <= 5; ++s)
        EXPECT_EQ(velocity(s), 95.0f) << s;
    EXPECT_EQ(velocity(6), 0.0f);
    // Back left to step 4 at y 36 (the bottom): 4..6 get velocity 1.
    roll(6) = 2;
    gestures.mouseMoved(target, geometry, onStep(4, 36), {true, false});
    for (int s = 4; s <= 6; ++s)
        EXPECT_EQ(velocity(s), 1.0f) << s;
    EXPECT_EQ(roll(6), 0.0f);
    EXPECT_EQ(velocity(3), 95.0f);
    // Far left of the grid is step 0.
    gestures.mouseMoved(target, geometry, {-50, 4}, {true, false});
    EXPECT_EQ(velocity(0), 127.0f);
    gestures.mouseUp(target);
    EXPECT_EQ(gestures.getPaintStep(), -1);
}

TEST_F(Grid, LengthModeTakesAClickInsideAHoldToItsHit) {
    gestures.lengthMode = true;
    velocity(4) = 70;
    hold(4) = 3;  // covers steps 5 and 6
    press(onStep(6));
    EXPECT_EQ(gestures.getSelectedNote(), 4);
    EXPECT_EQ(gestures.getPendingDelete(), 4);
    EXPECT_EQ(hold(4), 0.0f);
    EXPECT_EQ(velocity(6), 0.0f);
    // Dragged down more than 3 pixels: the hit stays with the height's velocity.
    dragBy(onStep(6), 0, 8, GridButton::left);  // y 28: 127 - int(24 / 32 * 128) = 31
    gestures.mouseUp(target);
    EXPECT_EQ(velocity(4), 31.0f);
    // Just past the hold: a new hit of its own.
    hold(4) = 3;
    press(onStep(7));
    gestures.mouseUp(target);
    EXPECT_EQ(velocity(7), 127.0f);
    EXPECT_EQ(hold(4), 3.0f);
}

TEST_F(Grid, TheScrollBarsArrowsThumbAndRestOfTheBar) {
    geometry = {rectOfSize(0, 0, 320, 54), true, 0};  // bar from y 40; clicks from y 30 react
    EXPECT_EQ(geometry.thumbLeft(0), 22);
    EXPECT_EQ(geometry.thumbWidth(), 69);
    struct Case {
        int offset;
        CPoint where;
        int offsetAfter;
        GridOutcome::What what;
    };
    const Case cases[] = {
        {0, {300, 45}, 1, GridOutcome::What::scrolled}, {48, {319, 45}, 48, GridOutcome::What::nothing},
        {5, {21, 30}, 4, GridOutcome::What::scrolled},  {0, {0, 50}, 0, GridOutcome::What::nothing},
        {0, {200, 45}, 0, GridOutcome::What::openMenu}, {0, {50, 45}, 0, GridOutcome::What::nothing},
        {0, {299, 45}, 0, GridOutcome::What::openMenu}, {16, {91, 45}, 16, GridOutcome::What::nothing},
    };
    for (const Case& c : cases) {
        gestures.setScrollOffset(c.offset);
        const GridOutcome outcome = press(c.where);
        EXPECT_EQ(outcome.what, c.what) << c.offset << " " << c.where.x;
        if (c.what == GridOutcome::What::openMenu) {
            EXPECT_EQ(outcome.menuAt, c.where);
        }
        EXPECT_EQ(gestures.getScrollOffset(), c.offsetAfter) << c.offset << " " << c.where.x;
        gestures.mouseUp(target);
    }
    // y 29 is above the bar's reach: a step.
    press({10, 29});
    gestures.mouseUp(target);
    EXPECT_EQ(velocity(16), 127.0f);

    // The thumb: 48 steps over three quarters of the 276-pixel track.
    gestures.setScrollOffset(0);
    press({50, 45});
    EXPECT_EQ(gestures.cursor(), GridCursor::thumb);
    const std::pair<int, int> drags[] = {{103, 23}, {207, 48}, {400, 48}, {-60, 0}};
    for (const auto& [dx, offset] : drags) {
        gestures.mouseMoved(target, geometry, {50 + dx, 45}, {true, false});
        EXPECT_EQ(gestures.getScrollOffset(), offset) << dx;
    }
    gestures.mouseUp(target);
}

TEST_F(Grid, StepsPastSixtyThreeAreIgnored) {
    geometry = {rectOfSize(0, 0, 330, 40), false, 0};  // a 17th partial column
    gestures.setScrollOffset(48);
    EXPECT_EQ(geometry.stepAt(325, 48), 64);
    EXPECT_EQ(press({325, 20}), GridOutcome{});
    EXPECT_FALSE(gestures.isActive());
    EXPECT_EQ(press({315, 20}), GridOutcome::changed(63));
}

bool samePlanes(const TrackPatterns& a, const TrackPatterns& b) {
    return a.stepVelocity == b.stepVelocity && a.stepHold == b.stepHold && a.stepRoll == b.stepRoll &&
           a.randomHit == b.randomHit && a.randomVelocity == b.randomVelocity && a.randomHold == b.randomHold &&
           a.randomRoll == b.randomRoll && a.randomMinDensity == b.randomMinDensity &&
           a.randomMaxDensity == b.randomMaxDensity && a.randomMaxRoll == b.randomMaxRoll && a.stepTune == b.stepTune;
}

// Every pixel of a column, on a grid scrolled anywhere, lands on the first shown step plus the
// column; a pixel left of the grid lands before the first shown step, not on it.
TEST_F(Grid, OnAScrolledGridEachColumnIsTheFirstShownStepPlusItsIndex) {
    for (const int offset : {0, 1, 17, 47, 48}) {
        for (const int column : {0, 1, 14, 15}) {
            for (const int x : {20 * column, 20 * column + 19}) {
                const int step = offset + column;
                EXPECT_EQ(geometry.stepAt(x, offset), step) << "offset " << offset << " x " << x;
                data = {};
                gestures.setScrollOffset(offset);
                EXPECT_EQ(press({x, 20}), GridOutcome::changed(step)) << "offset " << offset << " x " << x;
                gestures.mouseUp(target);
                EXPECT_EQ(velocity(step), 127.0f);
            }
        }
        EXPECT_EQ(geometry.stepAt(-1, offset), offset - 1) << offset;
        EXPECT_EQ(geometry.stepAt(-20, offset), offset - 1) << offset;
        EXPECT_EQ(geometry.stepAt(-21, offset), offset - 2) << offset;
    }
    // Before step 0, and on a grid too narrow for a column, a press is no step at all.
    data = {};
    gestures.setScrollOffset(0);
    EXPECT_EQ(press({-1, 20}), GridOutcome{});
    geometry = {rectOfSize(0, 0, 15, 40), false, 0};
    EXPECT_EQ(press({5, 20}), GridOutcome{});
    EXPECT_FALSE(gestures.isActive());
    EXPECT_TRUE(samePlanes(data, TrackPatterns{}));
}

// A right drag decides its direction once the pointer has moved more than three pixels one way.
TEST_F(Grid, ARightDragDecidesItsDirectionPastThreePixels) {
    velocity(4) = 80;
    const std::pair<CPoint, GridCursor> moves[] = {
        {{3, 0}, GridCursor::undecided},   {{-3, 3}, GridCursor::undecided}, {{4, 0}, GridCursor::horizontal},
        {{-4, 0}, GridCursor::horizontal}, {{0, 4}, GridCursor::vertical},   {{3, -4}, GridCursor::vertical},
    };
    for (const auto& [by, cursor] : moves) {
        press(onStep(4), GridButton::right);
        gestures.mouseMoved(target, geometry, {onStep(4).x + by.x, onStep(4).y + by.y}, {false, true});
        EXPECT_EQ(gestures.cursor(), cursor) << by.x << "," << by.y;
        gestures.mouseUp(target);
    }
}

// Painting on the last page: past the right edge the pointer's step is 63, which waits like any
// pointer step; back past the left edge it paints down to the step under the pointer. Nothing
// outside the pattern's 64 steps is written.
TEST_F(Grid, PaintingPastEitherEdgeOfTheLastPageStaysWithinThePattern) {
    gestures.setScrollOffset(48);
    data.stepVelocity[2][0] = 33.0f;  // the step after the pattern's last, in memory
    press(onStep(12));  // step 60
    gestures.mouseMoved(target, geometry, {400, 4}, {true, false});
    for (int s = 60; s <= 62; ++s)
        EXPECT_EQ(velocity(s), 127.0f) << s;
    EXPECT_EQ(velocity(63), 0.0f) << "the pointer's step waits";
    gestures.mouseMoved(target, geometry, {-45, 36}, {true, false});  // step 48 - 3 = 45
    for (int s = 45; s <= 63; ++s)
        EXPECT_EQ(velocity(s), 1.0f) << s;
    EXPECT_EQ(velocity(44), 0.0f);
    gestures.mouseUp(target);
    EXPECT_EQ(data.stepVelocity[2][0], 33.0f);
    for (int s = 0; s < kMaxSteps; ++s) {
        EXPECT_EQ(data.stepVelocity[0][static_cast<std::size_t>(s)], 0.0f) << s;
        EXPECT_EQ(data.stepHold[0][static_cast<std::size_t>(s)], 0.0f) << s;
    }
}

// A grid given a pattern outside 0..15 edits nothing, whatever the gesture.
TEST_F(Grid, AGridOfAPatternOutsideTheSixteenChangesNothing) {
    for (int p = 0; p < kPatternCount; ++p)
        data.stepVelocity[static_cast<std::size_t>(p)][3] = 50.0f;
    const TrackPatterns before = data;
    for (const int pattern : {-1, kPatternCount, kPatternCount + 1}) {
        const GridTarget outside{&data, &writer, pattern, 16};
        for (const GridButton button : {GridButton::left, GridButton::right}) {
            EXPECT_EQ(gestures.mouseDown(outside, geometry, onStep(3), button, {true, false}), GridOutcome{})
                << pattern;
            for (int dx = 1; dx <= 60; ++dx)
                gestures.mouseMoved(outside, geometry, {onStep(3).x + dx, 20 + dx / 4},
                                    {button == GridButton::left, button == GridButton::right});
            gestures.mouseUp(outside);
        }
        EXPECT_TRUE(samePlanes(data, before)) << pattern;
    }
}

// The height's velocity under a step-number header, with steps 30 pixels high so that the
// formula's truncation shows: 127 at the top 4 pixels and above, 1 at the bottom and below.
TEST(GridHeights, VelocityTruncatesTheHeightsShareAndIsClampedAboveAndBelowTheSteps) {
    const GridGeometry withHeader{rectOfSize(0, 0, 320, 48), false, 10};  // steps from y 10, h 30
    const std::pair<int, int> velocityOfY[] = {{-50, 127}, {0, 127}, {14, 127}, {15, 123}, {16, 119},
                                               {29, 63},   {44, 1},  {45, 1},   {200, 1}};
    for (const auto& [y, velocity] : velocityOfY)
        EXPECT_EQ(withHeader.velocityAt(y), velocity) << y;
}

// A pattern file may hold any finite hold or roll: a drag edits it from the nearest value the
// grid itself allows, so one unit shorter than the longest is the longest less one.
TEST_F(Grid, AHoldOrRollFarOutsideItsRangeIsEditedFromTheNearestEnd) {
    struct Case {
        bool lengthMode, shortHold;
        float before;
        int dx;
        float after;
    };
    const Case cases[] = {
        {true, false, 3e9f, -24, 62}, {true, false, 1e30f, -24, 62}, {true, false, -3e9f, 24, 1},
        {true, true, 1e30f, -6, 1},   {true, true, -1e30f, 6, 1},    {false, false, 1e30f, -10, 2},
        {false, false, -3e9f, 10, 1}, {true, false, 63.5f, -24, 62}, {true, false, -2.0f, 24, 1},
        {false, false, -2.0f, 10, 1},
    };
    for (const Case& c : cases) {
        data = {};
        gestures.lengthMode = c.lengthMode;
        gestures.shortHoldMode = c.shortHold;
        velocity(0) = 90;
        float& edited = c.lengthMode || c.shortHold ? hold(0) : roll(0);
        edited = c.before;
        press(onStep(0), GridButton::right);
        dragBy(onStep(0), c.dx, 0, GridButton::right);
        gestures.mouseUp(target);
        EXPECT_EQ(edited, c.after) << c.lengthMode << c.shortHold << " from " << c.before << " by " << c.dx;
    }
}

TEST_F(Grid, AHoldStopsAtSixtyThreeStepsWhenNoHitFollows) {
    gestures.lengthMode = true;
    velocity(0) = 90;
    press(onStep(0), GridButton::right);
    dragBy(onStep(0), 80 * GridGestures::kHoldPixels, 0, GridButton::right);
    gestures.mouseUp(target);
    EXPECT_EQ(hold(0), 63.0f);
}

// The scroll bar's parts, each at its first and last pixel: the arrows' 22 and 20 pixels, and
// the thumb of a quarter of the 276-pixel track from 22 + 276 x offset / 64 (offset 5: 43).
TEST_F(Grid, EachPartOfTheScrollBarAnswersFromItsFirstPixelToItsLast) {
    geometry = {rectOfSize(0, 0, 320, 54), true, 0};
    gestures.setScrollOffset(5);
    ASSERT_EQ(geometry.thumbLeft(5), 43);
    struct Case {
        int x;
        GridOutcome::What what;
        int offsetAfter;
    };
    const Case cases[] = {
        {0, GridOutcome::What::scrolled, 4},   {21, GridOutcome::What::scrolled, 4},
        {22, GridOutcome::What::openMenu, 5},  {42, GridOutcome::What::openMenu, 5},
        {43, GridOutcome::What::nothing, 5},   {111, GridOutcome::What::nothing, 5},
        {112, GridOutcome::What::openMenu, 5}, {299, GridOutcome::What::openMenu, 5},
        {300, GridOutcome::What::scrolled, 6}, {319, GridOutcome::What::scrolled, 6},
    };
    for (const Case& c : cases) {
        gestures.setScrollOffset(5);
        EXPECT_EQ(press({c.x, 45}).what, c.what) << c.x;
        EXPECT_EQ(gestures.cursor(), c.what == GridOutcome::What::nothing ? GridCursor::thumb : GridCursor::normal)
            << c.x;
        EXPECT_EQ(gestures.getScrollOffset(), c.offsetAfter) << c.x;
        gestures.mouseUp(target);
    }
}

TEST(StripGestures, RowsSourceAndTarget) {
    const StripRows rows{100, 40, 12};
    const std::pair<int, int> rowOfY[] = {{99, -1}, {100, 0}, {139, 0}, {140, 1}, {579, 11}, {580, -1}};
    for (const auto& [y, row] : rowOfY)
        EXPECT_EQ(rows.rowAt(y), row) << y;
    EXPECT_EQ((StripRows{100, 40, 8}.rowAt(420)), -1);
    // Never more than the twelve strips a page holds.
    EXPECT_EQ((StripRows{100, 40, 16}.rowAt(579)), 11);
    EXPECT_EQ((StripRows{100, 40, 16}.rowAt(580)), -1);

    StripDrag drag;
    EXPECT_FALSE(drag.press(-1));
    EXPECT_TRUE(drag.press(3));
    const std::pair<int, std::pair<int, int>> moves[] = {
        {3, {-1, -1}}, {5, {-1, 5}}, {5, {-1, -1}}, {6, {5, 6}}, {3, {6, -1}}, {7, {-1, 7}}, {-1, {7, -1}},
    };
    for (const auto& [row, change] : moves) {
        const StripDrag::TargetChange got = drag.move(row);
        EXPECT_EQ(std::make_pair(got.removed, got.added), change) << row;
    }
    EXPECT_FALSE(drag.release()) << "released beyond the strips: nothing to copy";
    drag.press(3);
    drag.move(9);
    const auto copy = drag.release();
    ASSERT_TRUE(copy);
    EXPECT_EQ(std::make_pair(copy->source, copy->target), std::make_pair(3, 9));
    EXPECT_EQ(drag.getSource(), -1);
}

// The controls on a frame that never opens: the frame still routes the mouse and captures it.
struct Heard : toolkit::CControlListener {
    std::vector<std::string> events;
    void valueChanged(toolkit::CControl* control) override {
        if (auto* grid = dynamic_cast<CVornPattern*>(control)) {
            const auto entry = grid->takeMenuChoice();
            events.push_back(entry ? "menu " + std::to_string(static_cast<int>(*entry))
                                   : "step " + std::to_string(static_cast<int>(grid->getValue())));
        } else if (auto* drum = dynamic_cast<CVornDrum*>(control)) {
            const auto action = drum->takeStripAction();
            events.push_back(action ? "strip " + std::to_string(static_cast<int>(action->entry)) + " " +
                                          std::to_string(action->track) + " " + std::to_string(action->targetTrack)
                                    : "none");
        }
    }
};

// Chooses the entry named `text`, remembering every menu it was shown.
PopupMenuFunction choosing(std::string text, std::vector<std::string>* shown) {
    return
        [text = std::move(text), shown](const toolkit::MenuModel& menu, CPoint) -> std::optional<toolkit::MenuChoice> {
            std::string all;
            for (int i = 0; i < menu.getNbEntries(); ++i)
                all += (menu.getEntry(i).separator ? std::string("-") : menu.getEntry(i).text) + "|";
            shown->push_back(all);
            const int index = menu.findEntry(text);
            if (index < 0)
                return std::nullopt;
            return toolkit::MenuChoice{index};
        };
}

TEST(PatternControl, ReportsEachChangedStepAndTheChosenMenuEntry) {
    toolkit::CFrame frame(rectOfSize(0, 0, 400, 200), nullptr);
    Heard heard;
    auto* grid = frame.add(std::make_unique<CVornPattern>(rectOfSize(0, 100, 320, 54), &heard, 8192, 0));
    grid->setScrollBar(true);
    TrackPatterns data{};
    test::GridPlanesWriter writer(data);
    grid->attachPatterns(&data, &writer, 2, 16);
    std::vector<std::string> shown;

    frame.mouseDown({30, 120}, toolkit::kLButton);
    frame.mouseUp({30, 120}, toolkit::kLButton);
    EXPECT_EQ(heard.events, std::vector<std::string>{"step 1"});
    EXPECT_EQ(data.stepVelocity[2][1], 127.0f);
    EXPECT_EQ(grid->getRow().velocity[1], 127.0f) << "the drawn row follows the planes";

    frame.mouseDown({50, 120}, toolkit::kRButton);
    EXPECT_EQ(frame.getCursor(), toolkit::CursorShape::sizeAll);
    frame.mouseMoved({50, 110}, toolkit::kRButton);  // 2 has no hit: a right drag makes one
    EXPECT_EQ(frame.getCursor(), toolkit::CursorShape::sizeVertical);
    frame.mouseMoved({50, 60}, toolkit::kRButton);  // outside the grid: still ours
    frame.mouseUp({50, 60}, toolkit::kRButton);
    EXPECT_EQ(frame.getCursor(), toolkit::CursorShape::arrow);
    EXPECT_EQ(data.stepVelocity[2][2], 60.0f);
    EXPECT_EQ(heard.events, (std::vector<std::string>{"step 1", "step 2", "step 2"}));

    const std::pair<std::string, std::string> menus[] = {
        {"Randomize Step in place", "menu 4"}, {"Restore", "menu 7"}, {"", ""}};
    for (const auto& [entry, report] : menus) {
        grid->popupMenu = choosing(entry, &shown);
        heard.events.clear();
        frame.mouseDown({200, 150}, toolkit::kLButton);  // the bar beside the thumb
        EXPECT_EQ(frame.getMouseCapture(), nullptr) << "the menu took the release";
        EXPECT_EQ(heard.events, report.empty() ? std::vector<std::string>{} : std::vector<std::string>{report});
    }
    EXPECT_EQ(shown.front(),
              "Reset|Clean|-|Duplicate|-|Randomize Step|Randomize Step in place|Randomize Pitch|"
              "Randomize Hold|Restore|-|Undo|Redo|");
    EXPECT_FALSE(grid->takeMenuChoice());

    heard.events.clear();
    std::vector<int> firstSteps;
    grid->scrolled = [&](int firstStep) { firstSteps.push_back(firstStep); };
    frame.mouseDown({310, 150}, toolkit::kLButton);  // the right arrow
    frame.mouseUp({310, 150}, toolkit::kLButton);
    EXPECT_EQ(grid->getScrollOffset(), 1);
    EXPECT_EQ(firstSteps, std::vector<int>{1});
    EXPECT_TRUE(heard.events.empty()) << "scrolling changes no step";
}

TEST(DrumControl, DragsOntoAnotherStripAndHandsOverTheStripMenu) {
    toolkit::CFrame frame(rectOfSize(0, 0, 400, 600), nullptr);
    Heard heard;
    auto* drum = frame.add(std::make_unique<CVornDrum>(rectOfSize(0, 180, 20, 40), &heard, 8192 + 64 + 9, 2));
    drum->setRows(100, 40, 12);
    std::vector<std::pair<int, bool>> highlights;
    drum->highlight = [&](int row, bool on) { highlights.emplace_back(row, on); };

    frame.mouseDown({10, 190}, toolkit::kLButton);
    frame.mouseMoved({200, 310}, toolkit::kLButton);  // row 5, far outside the handle
    frame.mouseMoved({200, 350}, toolkit::kLButton);  // row 6
    frame.mouseUp({200, 350}, toolkit::kLButton);
    EXPECT_EQ(highlights,
              (std::vector<std::pair<int, bool>>{{2, true}, {5, true}, {5, false}, {6, true}, {2, false}, {6, false}}));
    EXPECT_EQ(heard.events, std::vector<std::string>{"strip 6 2 6"});

    std::vector<std::string> shown;
    heard.events.clear();
    const std::pair<std::string, std::string> menus[] = {
        {"Paste", "strip 3 2 -1"}, {"Duplicate Measures 1+2", "strip 5 2 -1"}, {"", ""}};
    for (const auto& [entry, report] : menus) {
        drum->popupMenu = choosing(entry, &shown);
        heard.events.clear();
        frame.mouseDown({10, 200}, toolkit::kRButton);
        EXPECT_EQ(frame.getMouseCapture(), nullptr);
        EXPECT_EQ(heard.events, report.empty() ? std::vector<std::string>{} : std::vector<std::string>{report});
    }
    EXPECT_EQ(shown.front(), "Reset|Clean|-|Copy|Paste|-|Duplicate Measure 1|Duplicate Measures 1+2|");
}

}  // namespace
}  // namespace rimba::controls
