// The formulas behind each control: what a pointer position or a click turns into.

#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "plugin/editor/controls/ControlLogic.h"
#include "plugin/editor/controls/VornButtons.h"
#include "plugin/editor/controls/VornMeters.h"
#include "plugin/editor/controls/VornPatternViews.h"
#include "plugin/editor/controls/VornRandom.h"
#include "plugin/editor/controls/VornSelectors.h"
#include "plugin/editor/controls/VornWave.h"

namespace rimba::controls {
namespace {

using toolkit::CPoint;
using toolkit::CRect;
using toolkit::rectOfSize;

struct FaderCase {
    FaderDirection direction;
    CPoint where;
    float share;
};

class FaderShare : public ::testing::TestWithParam<FaderCase> {};

// A 108 x 16 horizontal fader and a 16 x 108 vertical one at (10, 20), with an 8-pixel handle:
// 100 pixels of travel, starting 4 pixels in.
TEST_P(FaderShare, CentresTheHandleUnderThePointerAndStopsAtTheEnds) {
    const FaderCase& c = GetParam();
    const CRect area =
        c.direction == FaderDirection::horizontal ? rectOfSize(10, 20, 108, 16) : rectOfSize(10, 20, 16, 108);
    EXPECT_FLOAT_EQ(faderShare(area, 8, c.where, c.direction), c.share);
}

INSTANTIATE_TEST_SUITE_P(Positions, FaderShare,
                         ::testing::Values(FaderCase{FaderDirection::horizontal, {14, 25}, 0.0f},
                                           FaderCase{FaderDirection::horizontal, {64, 25}, 0.5f},
                                           FaderCase{FaderDirection::horizontal, {114, 25}, 1.0f},
                                           FaderCase{FaderDirection::horizontal, {0, 25}, 0.0f},
                                           FaderCase{FaderDirection::horizontal, {500, 25}, 1.0f},
                                           FaderCase{
                                               FaderDirection::vertical, {15, 124}, 0.0f},  // bottom is the minimum
                                           FaderCase{FaderDirection::vertical, {15, 24}, 1.0f},
                                           FaderCase{FaderDirection::vertical, {15, 49}, 0.75f},
                                           FaderCase{FaderDirection::vertical, {15, -40}, 1.0f}));

struct StepCase {
    float share;
    float minimum;
    float maximum;
    int steps;
    float value;
};

class SteppedFader : public ::testing::TestWithParam<StepCase> {};

TEST_P(SteppedFader, StopsOnTheNearestStep) {
    const StepCase& c = GetParam();
    EXPECT_NEAR(steppedValue(c.share, c.minimum, c.maximum, c.steps), c.value, 1e-6f);
}

INSTANTIATE_TEST_SUITE_P(Steps, SteppedFader,
                         ::testing::Values(StepCase{0.0f, 0.0f, 1.0f, 11, 0.0f}, StepCase{0.34f, 0.0f, 1.0f, 11, 0.3f},
                                           StepCase{0.36f, 0.0f, 1.0f, 11, 0.4f}, StepCase{1.0f, 0.0f, 1.0f, 11, 1.0f},
                                           StepCase{0.5f, -24.0f, 24.0f, 5, 0.0f},
                                           StepCase{0.6f, -24.0f, 24.0f, 5, 0.0f},
                                           StepCase{0.63f, -24.0f, 24.0f, 5, 12.0f}));

TEST(FaderValue, RunsFromTheMinimumToTheMaximumAndPlacesTheHandleBack) {
    EXPECT_FLOAT_EQ(faderValue(0.25f, 0.0f, 127.0f), 31.75f);
    EXPECT_EQ(faderHandleOffset(31.75f, 0.0f, 127.0f, 100), 25);
    EXPECT_EQ(faderHandleOffset(500.0f, 0.0f, 127.0f, 100), 100);
}

// The fader's edges: a value outside the range puts the handle at its end, half a pixel rounds
// away from the start, and a fader with no travel or a range of one value has one place only.
TEST(FaderValue, TheHandleStaysOnItsTravelAndAFaderWithoutTravelHasOnePlace) {
    EXPECT_EQ(faderHandleOffset(-5.0f, 0.0f, 1.0f, 100), 0);
    EXPECT_EQ(faderHandleOffset(0.25f, 0.0f, 1.0f, 10), 3);  // 2.5 pixels
    EXPECT_EQ(faderHandleOffset(0.24f, 0.0f, 1.0f, 10), 2);  // 2.4
    EXPECT_EQ(faderHandleOffset(0.5f, 0.5f, 0.5f, 100), 0);
    EXPECT_EQ(faderHandleOffset(0.7f, 0.5f, 0.5f, 100), 0);
    EXPECT_EQ(faderHandleOffset(0.5f, 0.0f, 1.0f, 0), 0);
    for (const int length : {8, 6}) {  // the handle as long as the fader, or longer
        EXPECT_EQ(faderShare(rectOfSize(10, 20, length, 16), 8, {14, 25}, FaderDirection::horizontal), 0.0f) << length;
        EXPECT_EQ(faderShare(rectOfSize(10, 20, 16, length), 8, {15, 24}, FaderDirection::vertical), 0.0f) << length;
    }
    // A stepped fader of fewer than two steps stays at its minimum.
    for (const int steps : {1, 0, -3})
        EXPECT_EQ(steppedValue(0.7f, 2.0f, 5.0f, steps), 2.0f) << steps;
}

TEST(SwitchClick, AValueOutsideTheRangeCountsAsTheNearestEndState) {
    EXPECT_EQ(switchState(7.0f, 0.0f, 2.0f, 3), 2);
    EXPECT_EQ(switchState(-4.0f, 0.0f, 2.0f, 3), 0);
    EXPECT_FLOAT_EQ(nextSwitchValue(7.0f, 0.0f, 2.0f, 3), 0.0f);
    EXPECT_FLOAT_EQ(nextSwitchValue(-4.0f, 0.0f, 2.0f, 3), 1.0f);
}

struct SwitchCase {
    float value;
    float minimum;
    float maximum;
    int states;
    float next;
};

class SwitchClick : public ::testing::TestWithParam<SwitchCase> {};

TEST_P(SwitchClick, MovesToTheNextStateAndAfterTheLastToTheFirst) {
    const SwitchCase& c = GetParam();
    EXPECT_FLOAT_EQ(nextSwitchValue(c.value, c.minimum, c.maximum, c.states), c.next);
}

INSTANTIATE_TEST_SUITE_P(States, SwitchClick,
                         ::testing::Values(SwitchCase{0.0f, 0.0f, 1.0f, 2, 1.0f}, SwitchCase{1.0f, 0.0f, 1.0f, 2, 0.0f},
                                           SwitchCase{0.0f, 0.0f, 2.0f, 3, 1.0f}, SwitchCase{1.0f, 0.0f, 2.0f, 3, 2.0f},
                                           SwitchCase{2.0f, 0.0f, 2.0f, 3, 0.0f},
                                           SwitchCase{0.5f, 0.0f, 1.0f, 3, 1.0f}));

TEST(Cells, AreCountedFromTheLeftAndOutsideIsNoCell) {
    const CRect row = rectOfSize(0, 0, 70, 10);
    EXPECT_EQ(cellInRow(row, 7, {0, 5}), 0);
    EXPECT_EQ(cellInRow(row, 7, {69, 5}), 6);
    EXPECT_EQ(cellInRow(row, 7, {70, 5}), -1);
    EXPECT_EQ(cellInRow(row, 7, {35, 10}), -1);
    // 75 / 7 leaves 5 pixels over at the right: no cell there.
    EXPECT_EQ(cellInRow(rectOfSize(0, 0, 75, 10), 7, {72, 5}), -1);
    EXPECT_EQ(cellInGrid(rectOfSize(0, 0, 80, 40), 8, 2, {15, 25}), 9);
    // 45 / 2 leaves the bottom pixel row over: no cell there either.
    EXPECT_EQ(cellInGrid(rectOfSize(0, 0, 80, 45), 8, 2, {15, 43}), 9);
    EXPECT_EQ(cellInGrid(rectOfSize(0, 0, 80, 45), 8, 2, {15, 44}), -1);
}

TEST(NoteNames, EveryMidiNoteHasALetterAnOptionalSharpAndAnOctaveWithMiddleCAsC3) {
    const char* const names[12] = {"C", "C#", "D", "D#", "E", "F", "F#", "G", "G#", "A", "A#", "B"};
    for (int note = 0; note <= 127; ++note) {
        const std::string expected = std::string(names[note % 12]) + std::to_string(note / 12 - 2);
        EXPECT_EQ(noteName(note), expected) << "note " << note;
    }
    EXPECT_EQ(noteName(0), "C-2");
    EXPECT_EQ(noteName(36), "C1");
    EXPECT_EQ(noteName(61), "C#3");
    EXPECT_EQ(noteName(127), "G8");
}

TEST(ScaleNames, AreTwoCharactersEach) {
    EXPECT_EQ(scaleNoteName(0), "C ");
    EXPECT_EQ(scaleNoteName(1), "C#");
    EXPECT_EQ(scaleNoteName(11), "B ");
}

TEST(Label, MouseDownReportsOneOrZeroWhenItWasNotZero) {
    EXPECT_EQ(labelValueOnMouseDown(0.0f), 1.0f);
    EXPECT_EQ(labelValueOnMouseDown(1.0f), 0.0f);
    EXPECT_EQ(labelValueOnMouseDown(0.5f), 0.0f);
}

TEST(Label, KeepsTheSystemDoubleClickTimeButNeverBelow250Milliseconds) {
    EXPECT_EQ(labelDoubleClickTime(100), 250);
    EXPECT_EQ(labelDoubleClickTime(250), 250);
    EXPECT_EQ(labelDoubleClickTime(500), 500);
    EXPECT_EQ(labelDoubleClickTime(-1), 250);
}

TEST(AssignmentText, WritesNumbersOfZeroOrMoreEachFollowedByTwoSpacesOrAQuestionMark) {
    const std::string_view single[] = {"%i"};
    const int none[] = {-1};
    const int seven[] = {7};
    const int zero[] = {0};
    EXPECT_EQ(assignmentText(single, {}), "?");
    EXPECT_EQ(assignmentText(single, none), "?");
    EXPECT_EQ(assignmentText(single, seven), "7  ");
    EXPECT_EQ(assignmentText(single, zero), "0  ");
    const std::string_view filter[] = {"LP Freq:%i", "LP Q:%i", "LP Gain:%i"};
    const int some[] = {3, -1, 12};
    EXPECT_EQ(assignmentText(filter, some), "LP Freq:3  LP Gain:12  ");
}

struct RangeCase {
    DensityRange before;
    int cell;
    DensityRange after;
};

class DensityRangeClick : public ::testing::TestWithParam<RangeCase> {};

TEST_P(DensityRangeClick, FollowsTheRightClickRules) {
    EXPECT_EQ(densityRangeAfterRightClick(GetParam().before, GetParam().cell), GetParam().after);
}

INSTANTIATE_TEST_SUITE_P(Rules, DensityRangeClick,
                         ::testing::Values(RangeCase{{-1, -1}, 2, {2, -1}},  // min unset: min = a
                                           RangeCase{{2, -1}, 5, {2, 5}},  // max unset, a >= min
                                           RangeCase{{2, 5}, 5, {2, -1}},  // a = max: max unset
                                           RangeCase{{2, -1}, 2, {-1, -1}},  // a = min, no max: min unset
                                           RangeCase{{3, -1}, 1, {1, 3}},  // max unset, a < min
                                           RangeCase{{2, 5}, 2, {5, -1}},  // a = min with a max: min = max
                                           RangeCase{{2, 5}, 1, {1, 5}},  // a < min
                                           RangeCase{{2, 5}, 6, {2, 6}},  // max < a
                                           RangeCase{{2, 6}, 5, {2, 5}},  // nearer the max
                                           RangeCase{{2, 6}, 3, {3, 6}},  // nearer the min
                                           RangeCase{{2, 6}, 4, {4, 6}},  // halfway: the min moves
                                           RangeCase{{0, -1}, 1, {0, 1}},
                                           RangeCase{{0, 3}, 3, {-1, -1}}));  // min 0 without a max unsets both

TEST(DensityRangeClick, TwoThenFiveGiveTwoToFiveAndFurtherClicksUndoIt) {
    DensityRange range;
    range = densityRangeAfterRightClick(range, 2);
    range = densityRangeAfterRightClick(range, 5);
    EXPECT_EQ(range, (DensityRange{2, 5}));
    range = densityRangeAfterRightClick(range, 5);
    EXPECT_EQ(range, (DensityRange{2, -1}));
    range = densityRangeAfterRightClick(range, 2);
    EXPECT_EQ(range, (DensityRange{-1, -1}));
}

TEST(MaxRoll, ChangesByOnePerTenPixelsWithinZeroToThree) {
    EXPECT_EQ(maxRollAfterDrag(0, 9), 0);
    EXPECT_EQ(maxRollAfterDrag(0, 10), 1);
    EXPECT_EQ(maxRollAfterDrag(1, 25), 3);
    EXPECT_EQ(maxRollAfterDrag(2, 100), 3);
    EXPECT_EQ(maxRollAfterDrag(2, -35), 0);
}

TEST(LoopRange, LeftSetsTheFirstRightTheLastAndItNeverRunsBackwards) {
    EXPECT_EQ(loopRangeAfterClick({0, 3}, 2, false), (LoopRange{2, 3}));
    EXPECT_EQ(loopRangeAfterClick({0, 3}, 7, false), (LoopRange{7, 7}));
    EXPECT_EQ(loopRangeAfterClick({4, 6}, 9, true), (LoopRange{4, 9}));
    EXPECT_EQ(loopRangeAfterClick({4, 6}, 1, true), (LoopRange{1, 1}));
}

TEST(NotePanel, CellsAreOctaveRowsOfTwelveWithOffAndThePinBelow) {
    const CRect panel{635, 110, 932, 383};
    EXPECT_EQ(notePanelHit(panel, {635 + 4, 110 + 4}), 0);
    EXPECT_EQ(notePanelHit(panel, {635 + 4 + 24 * 11 + 23, 110 + 4 + 20 * 5 + 19}), 71);
    EXPECT_EQ(notePanelHit(panel, {635 + 4 + 24 * 7 + 1, 110 + 4 + 20 * 10 + 1}), 127);
    EXPECT_EQ(notePanelHit(panel, {635 + 4 + 24 * 8 + 1, 110 + 4 + 20 * 10 + 1}), kPanelNothing);  // past G8
    EXPECT_EQ(notePanelHit(panel, {635 + 10, 110 + 4 + 220 + 4 + 5}), kPanelNoNote);
    EXPECT_EQ(notePanelHit(panel, {635 + 4 + 288 - 5, 110 + 4 + 220 + 4 + 5}), kPanelPin);
    EXPECT_EQ(notePanelHit(panel, {635 + 1, 110 + 1}), kPanelNothing);
}

TEST(TuneScale, AClickFlipsOneSemitone) {
    EXPECT_EQ(scaleAfterClick(0xfff, 1), 0xffd);
    EXPECT_EQ(scaleAfterClick(0, 11), 0x800);
    EXPECT_EQ(scaleAfterClick(0x91, 12), 0x91);
}

TEST(RandomGraph, APressNearAnEdgeResizesInsideMovesAndFarAwayTakesNothing) {
    const CRect area = rectOfSize(0, 0, 100, 100);
    const GraphRect rect{0.2f, 0.6f, 0.2f, 0.6f};
    EXPECT_EQ(graphGripAt(rect, area, {22, 40}), unsigned{kGripLeft});
    EXPECT_EQ(graphGripAt(rect, area, {58, 62}), unsigned{kGripRight | kGripBottom});
    EXPECT_EQ(graphGripAt(rect, area, {40, 40}), unsigned{kGripMove});
    EXPECT_EQ(graphGripAt(rect, area, {80, 80}), unsigned{kGripNone});
    const GraphRect moved = dragGraphRect(rect, kGripMove, area, 70, -50);
    EXPECT_FLOAT_EQ(moved.x1, 1.0f);  // stopped at the edge, size kept
    EXPECT_FLOAT_EQ(moved.x0, 0.6f);
    EXPECT_FLOAT_EQ(moved.y0, 0.0f);
    EXPECT_FLOAT_EQ(moved.y1, 0.4f);
    // Never past its other edge, and never so narrow that one press reaches both edges: the
    // narrowed rectangle is taken by its right edge again and grows back.
    const GraphRect narrowed = dragGraphRect(rect, kGripLeft, area, 90, 0);
    EXPECT_FLOAT_EQ(narrowed.x0, 0.6f - kGraphMinimumPixels / 100.0f);
    EXPECT_EQ(graphGripAt(narrowed, area, {61, 40}), unsigned{kGripRight});
    EXPECT_FLOAT_EQ(dragGraphRect(narrowed, kGripRight, area, 30, 0).x1, 0.9f);
    const GraphRect flattened = dragGraphRect(rect, kGripBottom, area, 0, -90);
    EXPECT_FLOAT_EQ(flattened.y1, 0.2f + kGraphMinimumPixels / 100.0f);
}

TEST(Meters, LightTheirLevelsShareOfTheirLength) {
    EXPECT_EQ(litLength(0.0f, 40), 0);
    EXPECT_EQ(litLength(0.5f, 40), 20);
    EXPECT_EQ(litLength(2.0f, 40), 40);
    EXPECT_EQ(litLength(-1.0f, 40), 0);
    EXPECT_EQ(litLength(std::nanf(""), 40), 0);
}

TEST(WaveWindow, ZoomNarrowsTheViewAroundAPointWithoutLeavingTheSample) {
    const WaveWindow whole = waveWindow(1.0f, 0.3f);
    EXPECT_FLOAT_EQ(whole.from, 0.0f);
    EXPECT_FLOAT_EQ(whole.to, 1.0f);
    const WaveWindow quarter = waveWindow(4.0f, 0.5f);
    EXPECT_FLOAT_EQ(quarter.from, 0.375f);
    EXPECT_FLOAT_EQ(quarter.to, 0.625f);
    EXPECT_FLOAT_EQ(waveWindow(4.0f, 0.95f).to, 1.0f);
    EXPECT_FLOAT_EQ(wavePositionAt(quarter, 99, 100), 0.625f);
}

TEST(Tooltips, ChoiceMinusOneShowsNoneZeroEnglishOneFrench) {
    const std::array<std::string, 2> texts{"Generate", "Générer"};
    EXPECT_EQ(tooltipForChoice(texts, -1), "");
    EXPECT_EQ(tooltipForChoice(texts, 0), "Generate");
    EXPECT_EQ(tooltipForChoice(texts, 1), "Générer");
    EXPECT_EQ(tooltipForChoice(texts, 2), "");
}

}  // namespace
}  // namespace rimba::controls
