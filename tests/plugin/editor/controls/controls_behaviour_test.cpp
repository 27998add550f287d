// The controls as the editor meets them: their type test, what a click reports, and the
// assignment display.

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "plugin/editor/controls/ValueReadout.h"
#include "plugin/editor/controls/VornButtons.h"
#include "plugin/editor/controls/VornFaders.h"
#include "plugin/editor/controls/VornFilter.h"
#include "plugin/editor/controls/VornKnob.h"
#include "plugin/editor/controls/VornLabels.h"
#include "plugin/editor/controls/VornMenus.h"
#include "plugin/editor/controls/VornMeters.h"
#include "plugin/editor/controls/VornPatternViews.h"
#include "plugin/editor/controls/VornRandom.h"
#include "plugin/editor/controls/VornSelectors.h"
#include "plugin/editor/controls/VornWave.h"
#include "plugin/editor/toolkit/Frame.h"

namespace rimba::controls {
namespace {

using toolkit::CControl;
using toolkit::CPoint;
using toolkit::CRect;
using toolkit::kLButton;
using toolkit::kRButton;
using toolkit::rectOfSize;

struct Recorder : toolkit::CControlListener {
    std::vector<float> values;
    void valueChanged(CControl* control) override { values.push_back(control->getValue()); }
};

const CRect kBox = rectOfSize(0, 0, 64, 40);

struct Made {
    const char* name;
    std::function<std::unique_ptr<CVornControlEx>()> make;
};

std::vector<Made> everyControl() {
    return {
        {"CVornKnob", [] { return std::make_unique<CVornKnob>(kBox, nullptr, 1); }},
        {"CVornFader", [] { return std::make_unique<CVornFader>(kBox, nullptr, 1); }},
        {"CVornSwitchFader", [] { return std::make_unique<CVornSwitchFader>(kBox, nullptr, 1); }},
        {"CVornTuneControl", [] { return std::make_unique<CVornTuneControl>(kBox, nullptr, 1); }},
        {"CVornFilter", [] { return std::make_unique<CVornFilter>(kBox, nullptr, 1, nullptr); }},
        {"CVornRandomGraphCtrl", [] { return std::make_unique<CVornRandomGraphCtrl>(kBox, nullptr, 1); }},
        {"CVornSwitch", [] { return std::make_unique<CVornSwitch>(kBox, nullptr, 1, "SwitchMute.png"); }},
        {"CVornPushButton", [] { return std::make_unique<CVornPushButton>(kBox, nullptr, 1, "Play.png"); }},
        {"CVornLabel", [] { return std::make_unique<CVornLabel>(kBox, nullptr, 1); }},
        {"CVornLabelEffectEx", [] { return std::make_unique<CVornLabelEffectEx>(kBox, nullptr, 1); }},
        {"CVornPattern", [] { return std::make_unique<CVornPattern>(kBox, nullptr, 1, 0); }},
        {"CVornPatternRandom", [] { return std::make_unique<CVornPatternRandom>(kBox, nullptr, 1); }},
        {"CVornPatternSelect", [] { return std::make_unique<CVornPatternSelect>(kBox, nullptr, 1); }},
        {"CVornPatternPage", [] { return std::make_unique<CVornPatternPage>(kBox, nullptr, 1); }},
        {"CVornLoopSelect", [] { return std::make_unique<CVornLoopSelect>(kBox, nullptr, 1); }},
        {"CVornNoteSelect", [] { return std::make_unique<CVornNoteSelect>(kBox, nullptr, 1); }},
        {"CVornTuneScaleSelect", [] { return std::make_unique<CVornTuneScaleSelect>(kBox, nullptr, 1); }},
        {"CVornDrum", [] { return std::make_unique<CVornDrum>(kBox, nullptr, 1, 0); }},
        {"CVornWave", [] { return std::make_unique<CVornWave>(kBox, nullptr, 1); }},
        {"CVornVuMeter", [] { return std::make_unique<CVornVuMeter>(kBox, nullptr, 1); }},
        {"CVornVuMeterVert", [] { return std::make_unique<CVornVuMeterVert>(kBox, nullptr, 1); }},
        {"CVornProgressBar", [] { return std::make_unique<CVornProgressBar>(kBox, nullptr, 1); }},
    };
}

TEST(TypeTest, EveryControlAnswersItsOwnNameAndTheToolkitsButNoOtherControls) {
    const std::vector<Made> all = everyControl();
    for (const Made& made : all) {
        const auto control = made.make();
        EXPECT_STREQ(control->getClassName(), made.name);
        EXPECT_TRUE(control->isTypeOf(made.name)) << made.name;
        EXPECT_TRUE(control->isTypeOf("CControl")) << made.name;
        EXPECT_TRUE(control->isTypeOf("CView")) << made.name;
        for (const Made& other : all) {
            if (std::string_view(other.name) == made.name)
                continue;
            EXPECT_FALSE(control->isTypeOf(other.name)) << made.name << " says it is " << other.name;
        }
    }
}

TEST(Assignment, AControlWithoutAssignmentShowsAQuestionMark) {
    for (const Made& made : everyControl()) {
        const auto control = made.make();
        EXPECT_EQ(control->assignmentDisplay(), "?") << made.name;
    }
    CVornKnob knob(kBox, nullptr, 1);
    knob.setAssignments({12});
    EXPECT_EQ(knob.assignmentDisplay(), "12  ");
}

TEST(Assignment, TheFilterNamesItsNineHandles) {
    CVornFilter filter(kBox, nullptr, 45, nullptr);
    filter.setAssignments({1, -1, -1, 4, 5, -1, -1, -1, 9});
    EXPECT_EQ(filter.assignmentDisplay(), "LP Freq:1  BP Freq:4  BP Q:5  HP Gain:9  ");
}

TEST(Assignment, AClickSelectsTheControlClearsTheOthersOfItsGroupAndLeavesTheValue) {
    Recorder listener;
    AssignmentGroup group;
    CVornSwitch first(kBox, &listener, 1, "SwitchMute.png");
    CVornSwitch second(kBox.offset(100, 0), &listener, 2, "SwitchMute.png");
    for (CVornSwitch* s : {&first, &second}) {
        s->setAssignmentGroup(&group);
        s->setAssignmentMode(true);
    }
    first.onMouseDown({5, 5}, kLButton);
    first.onMouseUp({5, 5}, kLButton);
    EXPECT_TRUE(first.isAssignmentSelected());
    second.onMouseDown({105, 5}, kLButton);
    EXPECT_TRUE(second.isAssignmentSelected());
    EXPECT_FALSE(first.isAssignmentSelected());
    second.onMouseDown({105, 5}, kLButton);
    EXPECT_FALSE(second.isAssignmentSelected());
    EXPECT_EQ(first.getValue(), 0.0f);
    EXPECT_EQ(second.getValue(), 0.0f);
    EXPECT_TRUE(listener.values.empty());

    // Out of assignment mode a click switches again.
    first.setAssignmentMode(false);
    first.onMouseDown({5, 5}, kLButton);
    EXPECT_EQ(first.getValue(), 1.0f);
}

TEST(Label, MouseDownReportsAndMouseUpReportsOnlyWhenAskedTo) {
    Recorder listener;
    CVornLabel label(kBox, &listener, 49);
    label.onMouseDown({5, 5}, kLButton);
    label.onMouseUp({5, 5}, kLButton);
    EXPECT_EQ(listener.values, (std::vector<float>{1.0f}));
    EXPECT_EQ(label.getValue(), 0.0f);
    label.setReportReleases(true);
    label.onMouseDown({5, 5}, kLButton);
    label.onMouseUp({5, 5}, kLButton);
    EXPECT_EQ(listener.values, (std::vector<float>{1.0f, 1.0f, 0.0f}));
    EXPECT_EQ(CVornLabel(kBox, nullptr, 1, "LabelKey.png", 120).getDoubleClickTime(), 250);
}

TEST(PushButton, AMomentaryButtonReportsThePressAndTheReleaseALatchingOneToggles) {
    Recorder listener;
    CVornPushButton random(kBox, &listener, 89, "Random.png");
    random.onMouseDown({5, 5}, kRButton);
    random.onMouseUp({5, 5}, kRButton);
    EXPECT_EQ(listener.values, (std::vector<float>{1.0f, 0.0f}));
    EXPECT_EQ(random.getLastButtons(), unsigned{kRButton});
    listener.values.clear();
    CVornPushButton play(kBox, &listener, 30, "Play.png", CVornPushButton::Kind::latching);
    play.onMouseDown({5, 5}, kLButton);
    play.onMouseUp({5, 5}, kLButton);
    play.onMouseDown({5, 5}, kLButton);
    EXPECT_EQ(listener.values, (std::vector<float>{1.0f, 0.0f}));
}

TEST(PushButton, ShowsTheTooltipOfTheChosenLanguage) {
    CVornPushButton button(kBox, nullptr, 89, "Random.png");
    button.setTooltips("Random", "Aléatoire");
    EXPECT_EQ(button.getTooltipText(), "Random");
    button.setTooltipChoice(1);
    EXPECT_EQ(button.getTooltipText(), "Aléatoire");
    button.setTooltipChoice(-1);
    EXPECT_EQ(button.getTooltipText(), "");
}

TEST(Faders, ADragReportsTheValueUnderThePointerAndTheTextFollowsTheFormat) {
    Recorder listener;
    // 108 wide with an 8-pixel handle: 100 pixels of travel from x = 4.
    CVornSwitchFader stepped(rectOfSize(0, 0, 108, 30), &listener, 2);
    stepped.onMouseDown({4 + 33, 8}, kLButton);
    stepped.onMouseMoved({4 + 36, 8}, kLButton);  // 0.36 rounds to 0.4
    stepped.onMouseUp({4 + 36, 8}, kLButton);
    EXPECT_EQ(listener.values.size(), 2u);
    EXPECT_FLOAT_EQ(listener.values[0], 0.3f);
    EXPECT_EQ(stepped.valueText(), "0.4");

    CVornTuneControl tune(rectOfSize(0, 0, 16, 108), nullptr, 3);
    EXPECT_EQ(tune.getDirection(), FaderDirection::vertical);
    tune.onMouseDown({8, 4}, kLButton);
    EXPECT_EQ(tune.valueText(), "1.00");
    // Below 64 pixels of travel and handle the value text takes the bottom 12: the 16-pixel
    // handle's centre runs from y = 8 to y = 88.
    tune.onMouseMoved({8, 48}, kLButton);
    EXPECT_EQ(tune.valueText(), "0.00");

    CVornFader swing(rectOfSize(0, 0, 108, 30), nullptr, 87);
    swing.onMouseDown({4 + 25, 8}, kLButton);
    EXPECT_EQ(swing.valueText(), "0.25");
}

TEST(ValueReadout, SitsAboveItsControlInsideTheWindowAndBelowWhenThereIsNoRoomAbove) {
    const CRect window{0, 0, 300, 200};
    struct Case {
        const char* where;
        CRect control;
    };
    const Case cases[] = {{"in the middle", rectOfSize(100, 100, 32, 32)},
                          {"at the left edge", rectOfSize(0, 100, 8, 32)},
                          {"at the right edge", rectOfSize(292, 100, 8, 32)},
                          {"at the top", rectOfSize(100, 4, 32, 32)}};
    for (const Case& c : cases) {
        const CRect box = CValueReadout::placeBeside(c.control, window, "-12.5 dB");
        EXPECT_TRUE(box.left >= window.left && box.right <= window.right && box.top >= window.top &&
                    box.bottom <= window.bottom)
            << c.where;
        EXPECT_TRUE(box.bottom <= c.control.top || box.top >= c.control.bottom) << c.where << ": covers the control";
        EXPECT_GT(box.width(), 30) << c.where << ": too narrow for its text";
    }
    EXPECT_GE(CValueReadout::placeBeside(rectOfSize(100, 4, 32, 32), window, "C").top, 36);
}

TEST(ValueReadout, AControlShowsItsFormattedValueWhileEnteredAndFollowsItsDrag) {
    toolkit::CFrame frame(rectOfSize(0, 0, 300, 200), nullptr);
    Recorder recorder;
    auto* fader = frame.add(std::make_unique<CVornFader>(rectOfSize(100, 100, 108, 28), &recorder, 1));
    auto* knob = frame.add(std::make_unique<CVornKnob>(rectOfSize(20, 100, 32, 32), &recorder, 2));
    auto* readout = frame.add(std::make_unique<CValueReadout>(frame.getViewSize()));
    fader->setValueReadout(readout, [](float value) { return "fader " + std::to_string(std::lround(value * 100)); });
    knob->setValueReadout(readout, [](float value) { return "knob " + std::to_string(std::lround(value * 100)); });

    frame.mouseMoved({150, 108}, 0);
    const std::string hovered = readout->getText();
    EXPECT_EQ(hovered, "fader " + std::to_string(std::lround(fader->getValue() * 100)));
    frame.mouseDown({150, 108}, kLButton);
    frame.mouseMoved({190, 108}, kLButton);
    ASSERT_FALSE(recorder.values.empty());
    EXPECT_EQ(readout->getText(), "fader " + std::to_string(std::lround(recorder.values.back() * 100)));
    frame.mouseUp({190, 108}, kLButton);
    // Straight onto the knob: the fader's late exit must not hide the knob's value.
    frame.mouseMoved({36, 116}, 0);
    EXPECT_EQ(readout->getText(), "knob 0");
    frame.mouseMoved({5, 5}, 0);
    EXPECT_EQ(readout->getText(), "");
    // In assignment mode the control shows its assignments instead.
    knob->setAssignmentMode(true);
    frame.mouseMoved({36, 116}, 0);
    EXPECT_EQ(readout->getText(), "");
}

TEST(PatternRandom, ALeftClickReportsTheCellEveryTimeARightClickEditsTheRange) {
    Recorder listener;
    CVornPatternRandom random(rectOfSize(0, 0, 70, 12), &listener, 8193);
    random.onMouseDown({35, 5}, kLButton);
    random.onMouseDown({35, 5}, kLButton);
    EXPECT_EQ(listener.values, (std::vector<float>{3.0f, 3.0f}));
    random.onMouseDown({25, 5}, kRButton);
    random.onMouseDown({55, 5}, kRButton);
    EXPECT_EQ(random.getRange(), (DensityRange{2, 5}));
    EXPECT_EQ(random.getLastGesture(), CVornPatternRandom::Gesture::range);
    random.onMouseDown({3, 5}, kRButton);
    random.onMouseMoved({25, 5}, kRButton);
    EXPECT_EQ(random.getMaxRoll(), 2);
    EXPECT_EQ(random.getLastGesture(), CVornPatternRandom::Gesture::maxRoll);
}

TEST(NoteSelect, APickReportsTheNoteAndHidesThePanelUnlessItIsPinned) {
    Recorder listener;
    CVornNoteSelect select(kBox, &listener, 75);
    const CRect panel{635, 110, 932, 383};
    select.showAt(panel, 36);
    const CRect c1 = notePanelCell(panel, 36);
    select.onMouseDown({c1.left + 2, c1.top + 2}, kLButton);
    EXPECT_EQ(listener.values, (std::vector<float>{36.0f}));
    EXPECT_FALSE(select.isVisible());

    select.showAt(panel, 36);
    select.setPinned(true);
    const CRect c2 = notePanelCell(panel, 61);
    select.onMouseDown({c2.left + 2, c2.top + 2}, kLButton);
    EXPECT_TRUE(select.isVisible());
    select.onMouseDown({panel.left + 10, panel.top + 4 + 220 + 4 + 5}, kLButton);  // "OFF"
    EXPECT_EQ(listener.values, (std::vector<float>{36.0f, 61.0f, -1.0f}));
}

struct FlatResponse : FilterResponse {
    double gainDbAt(double, const FilterBands&) const override { return 0.0; }
    double frequencyHz(float setting) const override { return 20.0 * std::pow(800.0, setting); }
    double quality(int, float setting) const override { return setting; }
    double gainDb(float setting) const override { return 20.0 * setting; }
};

TEST(Filter, DraggingAHandleReportsItsBandAndWritesFrequencyQualityAndGain) {
    Recorder listener;
    CVornFilter filter(rectOfSize(0, 0, 161, 41), &listener, 47, std::make_shared<FlatResponse>());
    // The middle band's handle: frequency 0.4815352 of 160 pixels, gain 0 at mid-height.
    filter.onMouseDown({77, 20}, kLButton);
    filter.onMouseMoved({80, 10}, kLButton);
    ASSERT_EQ(listener.values, (std::vector<float>{1.0f}));
    EXPECT_FLOAT_EQ(filter.getBands()[1].frequency, 0.5f);
    EXPECT_FLOAT_EQ(filter.getBands()[1].gain, 0.5f);
    EXPECT_EQ(filter.bandText(1), "566Hz    0.71     10.00dB");
    filter.onMouseUp({80, 10}, kLButton);
    // A right drag changes the quality only.
    filter.onMouseDown({80, 10}, kRButton);
    filter.onMouseMoved({80, 0}, kRButton);
    EXPECT_NEAR(filter.getBands()[1].quality, 0.807f, 1e-5f);
    EXPECT_FLOAT_EQ(filter.getBands()[1].frequency, 0.5f);
}

}  // namespace
}  // namespace rimba::controls

namespace rimba::controls {
namespace {

TEST(NumberField, ReadsAWholeNumberWithinItsLimitsOrNothing) {
    EXPECT_EQ(numberFieldValue("120", 10.0f, 480.0f), 120.0f);
    EXPECT_EQ(numberFieldValue(" 95 ", 10.0f, 480.0f), 95.0f);
    EXPECT_EQ(numberFieldValue("5", 10.0f, 480.0f), 10.0f);
    EXPECT_EQ(numberFieldValue("1e9", 10.0f, 480.0f), 480.0f);
    EXPECT_EQ(numberFieldValue("99.7", 10.0f, 480.0f), 99.0f);
    EXPECT_EQ(numberFieldValue("", 10.0f, 480.0f), std::nullopt);
    EXPECT_EQ(numberFieldValue("12a", 10.0f, 480.0f), std::nullopt);
    EXPECT_EQ(numberFieldValue("nan", 10.0f, 480.0f), std::nullopt);
}

TEST(MenuAndField, AnswerTheirNamesAndTheToolkitsOwn) {
    CVornSwitchMenu menu(kBox, nullptr, 41, "SwitchEffect.png");
    CVornTextEdit tempo(kBox, nullptr, 32, 10.0f, 480.0f, 120.0f);
    EXPECT_TRUE(menu.isTypeOf("CVornSwitchMenu") && menu.isTypeOf("COptionMenu") && menu.isTypeOf("CControl") &&
                menu.isTypeOf("CView"));
    EXPECT_TRUE(tempo.isTypeOf("CVornTextEdit") && tempo.isTypeOf("CTextEdit") && tempo.isTypeOf("CControl") &&
                tempo.isTypeOf("CView"));
    EXPECT_FALSE(menu.isTypeOf("CVornTextEdit"));
    EXPECT_EQ(tempo.getText(), "120");
}

TEST(MenuAndField, ATypedTempoIsLimitedShownAgainAndReportedAndANonNumberIsUndone) {
    Recorder listener;
    CVornTextEdit tempo(kBox, &listener, 32, 10.0f, 480.0f, 120.0f);
    tempo.beginEditing();
    tempo.onKeyDown(0xff08, "");  // BackSpace x 3
    tempo.onKeyDown(0xff08, "");
    tempo.onKeyDown(0xff08, "");
    tempo.onKeyDown('9', "9");
    tempo.onKeyDown('9', "9");
    tempo.onKeyDown('9', "9");
    tempo.onKeyDown(0xff0d, "");  // Return
    EXPECT_EQ(tempo.getText(), "480");
    EXPECT_EQ(listener.values, (std::vector<float>{480.0f}));
    tempo.beginEditing();
    tempo.onKeyDown('x', "x");
    tempo.onKeyDown(0xff0d, "");
    EXPECT_EQ(tempo.getText(), "480");
    EXPECT_EQ(listener.values.size(), 1u);
}

}  // namespace
}  // namespace rimba::controls
