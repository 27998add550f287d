// The knob's drags as a user makes them: presses and moves in frame coordinates on a knob
// whose centre is at (100, 100).

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <vector>

#include "plugin/editor/controls/VornKnob.h"

namespace rimba::controls {
namespace {

using toolkit::CControl;
using toolkit::CPoint;
using toolkit::kLButton;

struct Recorder : toolkit::CControlListener {
    std::vector<float> values;
    void valueChanged(CControl* control) override { values.push_back(control->getValue()); }
};

struct KnobFixture : ::testing::Test {
    Recorder listener;
    CVornKnob knob{toolkit::rectOfSize(84, 84, 32, 32), &listener, 59};
    const CPoint centre{100, 100};

    void press(CPoint at) { knob.onMouseDown(at, kLButton); }
    void move(CPoint at) { knob.onMouseMoved(at, kLButton); }
    void release(CPoint at) { knob.onMouseUp(at, kLButton); }
};

struct DragChoice {
    KnobMode mode;
    int dx;
    int dy;
    KnobDrag expected;
};

class KnobDragChoice : public KnobFixture, public ::testing::WithParamInterface<DragChoice> {};

TEST_P(KnobDragChoice, IsMadeAtMouseDownFromTheModeAndTheDistanceToTheCentre) {
    const DragChoice& c = GetParam();
    knob.setKnobMode(c.mode);
    press({centre.x + c.dx, centre.y + c.dy});
    EXPECT_TRUE(knob.isDragging());
    EXPECT_EQ(knob.getDrag(), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Modes, KnobDragChoice,
                         ::testing::Values(DragChoice{KnobMode::intuitive, 7, 0, KnobDrag::linear},
                                           DragChoice{KnobMode::intuitive, 8, 0, KnobDrag::circular},
                                           DragChoice{KnobMode::intuitive, 0, -7, KnobDrag::linear},
                                           DragChoice{KnobMode::intuitive, 5, 6, KnobDrag::linear},  // 61 < 64
                                           DragChoice{KnobMode::intuitive, 6, 6, KnobDrag::circular},  // 72
                                           DragChoice{KnobMode::linear, 15, 15, KnobDrag::linear},
                                           DragChoice{KnobMode::circular, 0, 0, KnobDrag::circular}));

TEST_F(KnobFixture, ALinearDragTurnsByHorizontalLessVerticalMovementTimesTheSensitivity) {
    knob.setSensitivity(0.01f);
    press(centre);
    move({centre.x + 10, centre.y - 5});  // 10 - (-5) = 15 pixels
    EXPECT_FLOAT_EQ(knob.getAngle(), 0.15f);
    EXPECT_FLOAT_EQ(knob.getValue(), 0.15f / kKnobTwoPi);
    ASSERT_EQ(listener.values.size(), 1u);
}

TEST_F(KnobFixture, ACircularDragFollowsThePointerAroundTheCentreBeyondTheDeadAngle) {
    knob.setKnobMode(KnobMode::circular);
    press({centre.x + 20, centre.y});
    move({centre.x + 20, centre.y + 20});  // a quarter turn of a half: 45 degrees clockwise
    const double pi = std::numbers::pi;
    const double expected = (pi / 4.0) * pi / (pi - pi / 18.0);
    EXPECT_NEAR(knob.getAngle(), expected, 1e-5);
}

TEST_F(KnobFixture, APressAloneNeverMovesTheKnob) {
    knob.setKnobMode(KnobMode::circular);
    press({centre.x + 20, centre.y + 20});
    release({centre.x + 20, centre.y + 20});
    press({centre.x - 20, centre.y - 3});
    EXPECT_EQ(knob.getAngle(), 0.0f);
    EXPECT_TRUE(listener.values.empty());
}

TEST_F(KnobFixture, DraggingPastTheEndStopsThereAndFurtherMovementChangesNothing) {
    knob.setSensitivity(0.05f);
    press(centre);
    for (int x = 1; x <= 200; ++x)
        move({centre.x + x, centre.y});
    EXPECT_EQ(knob.getValue(), 1.0f);
    EXPECT_EQ(knob.getAngle(), kKnobTwoPi);
    const std::size_t reports = listener.values.size();
    for (int x = 201; x <= 260; ++x)
        move({centre.x + x, centre.y});
    EXPECT_EQ(listener.values.size(), reports);
    EXPECT_EQ(knob.getValue(), 1.0f);
    // Coming back answers at once: the travel beyond the end is not owed first.
    move({centre.x + 259, centre.y});
    EXPECT_FLOAT_EQ(knob.getValue(), (kKnobTwoPi - 0.05f) / kKnobTwoPi);

    // The same at the minimum.
    for (int x = 258; x >= -100; --x)
        move({centre.x + x, centre.y});
    EXPECT_EQ(knob.getValue(), 0.0f);
    const std::size_t atMinimum = listener.values.size();
    move({centre.x - 150, centre.y});
    EXPECT_EQ(listener.values.size(), atMinimum);
}

TEST_F(KnobFixture, ADetentHoldsTheDefaultOverTwentyDegreesOfMovement) {
    constexpr float kStep = 0.002f;  // radians per pixel: 0.1 degree
    knob.setDefaultValue(0.5f);
    knob.setDetent(true);
    knob.setSensitivity(kStep);
    knob.setKnobValue(0.4f);
    press(centre);
    int heldMoves = 0;
    float before = knob.getValue();
    bool passed = false;
    for (int x = 1; x < 1000 && !passed; ++x) {
        move({centre.x + x, centre.y});
        const float value = knob.getValue();
        EXPECT_GE(value, before);  // turning one way never goes back
        if (value == 0.5f)
            ++heldMoves;
        passed = value > 0.5f;
        before = value;
    }
    ASSERT_TRUE(passed);
    const float heldAngle = static_cast<float>(heldMoves) * kStep;
    EXPECT_NEAR(heldAngle, kKnob20Degrees, 2 * kStep);
}

TEST_F(KnobFixture, MouseUpEndsTheDrag) {
    press(centre);
    release(centre);
    EXPECT_FALSE(knob.isDragging());
    knob.onMouseMoved({centre.x + 30, centre.y}, kLButton);
    EXPECT_EQ(knob.getValue(), 0.0f);
}

TEST_F(KnobFixture, OtherButtonsDoNotTurnTheKnob) {
    knob.onMouseDown(centre, toolkit::kRButton);
    EXPECT_FALSE(knob.isDragging());
}

struct AngleCase {
    float value;
    bool detent;
};

class KnobAngle : public ::testing::TestWithParam<AngleCase> {};

TEST_P(KnobAngle, AValueSetFromOutsideReadsBackFromItsAngle) {
    const KnobRange range{-1.0f, 1.0f, 0.0f, GetParam().detent};
    const float angle = knobAngleOfValue(GetParam().value, range);
    EXPECT_GE(angle, 0.0f);
    EXPECT_LE(angle, kKnobTwoPi);
    EXPECT_NEAR(knobValueOfAngle(angle, range), GetParam().value, 1e-5f);
}

INSTANTIATE_TEST_SUITE_P(Values, KnobAngle,
                         ::testing::Values(AngleCase{-1.0f, false}, AngleCase{0.3f, false}, AngleCase{1.0f, false},
                                           AngleCase{-1.0f, true}, AngleCase{-0.2f, true}, AngleCase{0.0f, true},
                                           AngleCase{0.01f, true}, AngleCase{1.0f, true}));

TEST(KnobValue, TheDetentLowersAnglesAboveTheDefaultByTwentyDegreesOverA340DegreeArc) {
    const KnobRange range{0.0f, 127.0f, 63.5f, true};
    const float middle = kKnob340Degrees * 0.5f;
    EXPECT_FLOAT_EQ(knobValueOfAngle(middle + 0.5f * kKnob20Degrees, range), 63.5f);
    EXPECT_FLOAT_EQ(knobValueOfAngle(kKnobTwoPi, range), 127.0f);
    EXPECT_FLOAT_EQ(knobValueOfAngle(middle + kKnob20Degrees + 0.1f, range), 63.5f + 0.1f / kKnob340Degrees * 127.0f);
    EXPECT_FLOAT_EQ(knobValueOfAngle(kKnob340Degrees, {0.0f, 127.0f, 63.5f, false}),
                    127.0f * kKnob340Degrees / kKnobTwoPi);
}

// The detent is the 20 degrees after the default's place on the 340-degree arc, on a range that
// does not start at 0: the default's angle is the detent's first, so turning down leaves the
// default at once and turning up is held.
TEST(KnobValue, TheDetentSpansTwentyDegreesFromTheDefaultsAngleOnAnyRange) {
    const KnobRange range{-1.0f, 1.0f, 0.0f, true};
    const float start = 0.5f * kKnob340Degrees;
    const std::pair<float, float> valueOfAngle[] = {
        {0.0f, -1.0f},
        {start - 0.01f, -0.01f / kKnob340Degrees * 2.0f},
        {start, 0.0f},
        {start + kKnob10Degrees, 0.0f},
        {start + kKnob20Degrees, 0.0f},
        {start + kKnob20Degrees + 0.01f, 0.01f / kKnob340Degrees * 2.0f},
        {kKnobTwoPi, 1.0f},
    };
    for (const auto& [angle, value] : valueOfAngle)
        EXPECT_NEAR(knobValueOfAngle(angle, range), value, 1e-5f) << angle;
    EXPECT_FLOAT_EQ(knobAngleOfValue(0.0f, range), start);
    EXPECT_GT(knobAngleOfValue(0.001f, range), start + kKnob20Degrees);
    EXPECT_LT(knobAngleOfValue(-0.001f, range), start);
}

TEST_F(KnobFixture, FromTheDefaultADetentKnobTurnsDownAtOnceAndUpOnlyPastTheDetent) {
    knob.setDefaultValue(0.5f);
    knob.setDetent(true);
    knob.setSensitivity(0.002f);
    for (const int dx : {-1, 1}) {
        knob.setKnobValue(0.5f);
        press(centre);
        move({centre.x + dx, centre.y});
        release({centre.x + dx, centre.y});
        if (dx < 0) {
            EXPECT_LT(knob.getValue(), 0.5f);
        } else {
            EXPECT_EQ(knob.getValue(), 0.5f);
        }
    }
}

// A value from outside the range, or a range of one value, still gives an angle on the dial.
TEST(KnobAngle, AValueOutsideTheRangeStopsAtTheDialsEndsAndARangeOfOneValueAtItsStart) {
    for (const bool detent : {false, true}) {
        const KnobRange range{-1.0f, 1.0f, 0.0f, detent};
        for (const float below : {-1.0001f, -3.0f})
            EXPECT_EQ(knobAngleOfValue(below, range), 0.0f) << below << " detent " << detent;
        for (const float above : {1.0001f, 5.0f})
            EXPECT_EQ(knobAngleOfValue(above, range), kKnobTwoPi) << above << " detent " << detent;
        const KnobRange single{0.5f, 0.5f, 0.5f, detent};
        EXPECT_EQ(knobAngleOfValue(0.5f, single), 0.0f);
        EXPECT_EQ(knobAngleOfValue(0.7f, single), 0.0f);
        EXPECT_EQ(knobValueOfAngle(1.0f, single), 0.5f);
    }
}

// A circular drag through the centre's own pixel has no direction there: the knob stays put
// rather than taking a value that is no number.
TEST_F(KnobFixture, ACircularDragThroughTheCentrePixelKeepsAValue) {
    knob.setKnobMode(KnobMode::circular);
    knob.setKnobValue(0.25f);
    press({centre.x + 20, centre.y});
    move(centre);
    EXPECT_EQ(knob.getValue(), 0.25f);
    move({centre.x, centre.y + 20});
    EXPECT_EQ(knob.getValue(), 0.25f);
    move({centre.x - 20, centre.y + 20});  // 45 degrees further, beyond the dead angle
    EXPECT_GT(knob.getValue(), 0.25f);
    EXPECT_LE(knob.getValue(), 1.0f);
}

}  // namespace
}  // namespace rimba::controls

namespace rimba::controls {
namespace {

TEST(KnobSetFromOutside, ADragStartsFromAValueSetThroughThePlainSetter) {
    CVornKnob knob(toolkit::rectOfSize(0, 0, 32, 32), nullptr, 59);
    knob.setSensitivity(0.01f);
    knob.setValue(0.5f);  // as the editor sets any control
    knob.onMouseDown({16, 16}, toolkit::kLButton);
    knob.onMouseMoved({17, 16}, toolkit::kLButton);
    EXPECT_FLOAT_EQ(knob.getValue(), 0.5f + 0.01f / kKnobTwoPi);
}

}  // namespace
}  // namespace rimba::controls
