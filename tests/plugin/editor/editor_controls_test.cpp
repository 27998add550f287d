// The editor's controls show the instrument's state: after a change to the instrument, the
// refresh the commands call puts each value, text and lit state on the control of its role.
// Built on a frame that is never opened: no X server needed.

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

#include "plugin/editor/Editor.h"
#include "plugin/editor/EditorControls.h"
#include "plugin/editor/toolkit/Bitmap.h"
#include "plugin/editor/toolkit/Frame.h"
#include "plugin/model/Tags.h"
#include "tests/plugin/editor/OpenEditor.h"
#include "tests/support/InstrumentProbe.h"

namespace rimba::test {
namespace {

class EditorControlsState : public ::testing::Test {
protected:
    EditorControlsState()
        : drums(versionOnlyHost,
                [](InstrumentSettings& settings, bool) {
                    settings.channelNumber = 8;
                    return false;
                }),
          frame(Editor::sizeFor(8), toolkit::CBitmap::load(Editor::backgroundFor(8))),
          controls(frame, drums, nullptr) {}

    VornDrums drums;
    toolkit::CFrame frame;
    EditorControls controls;
};

TEST_F(EditorControlsState, RefreshAllShowsEveryKindOfStateOnItsControl) {
    drums.setValue(tags::trackTag(2, tags::kLevel), 0.25f);
    drums.setValue(tags::trackTag(2, tags::kPan), 0.75f);
    drums.setValue(tags::trackTag(2, tags::kMute), 1.0f);
    drums.setValue(tags::trackTag(3, tags::kReverse), 1.0f);
    test::stateOf(drums).soloSelected = 1;
    test::stateOf(drums).selectedTrack = 3;
    test::stateOf(drums).tempo = 133;
    drums.choosePattern(5);
    test::stateOf(drums).playMode = 2;
    test::stateOf(drums).swing = 127;
    test::stateOf(drums).settings.masterLevel = 100.0f;
    test::stateOf(drums).settings.knobBehaviorMode = 2;
    test::stateOf(drums).settings.drumKitFile = "/library/Drum Kits/Dusty Room.drs";
    test::stateOf(drums).settings.trackKey[3] = 60.0f;
    test::stateOf(drums).effectEnabled[1] = 1;
    test::stateOf(drums).masterEqGain[1] = -0.5f;
    controls.refreshAll(3);

    EditorViews& v = controls.views();
    struct Shown {
        const char* what;
        std::function<float()> value;
        float expected;
    };
    const Shown cases[] = {
        {"track 3 level", [&] { return v.strips[2].level->getValue(); }, 0.25f},
        {"track 3 pan", [&] { return v.strips[2].pan->getValue(); }, 0.75f},
        {"track 3 mute", [&] { return v.strips[2].mute->getValue(); }, 1.0f},
        {"track 2 mute", [&] { return v.strips[1].mute->getValue(); }, 0.0f},
        {"track 4 solo", [&] { return v.strips[3].solo->getValue(); }, 1.0f},
        {"track 3 solo", [&] { return v.strips[2].solo->getValue(); }, 0.0f},
        {"track 4 selected", [&] { return v.strips[3].select->getValue(); }, 1.0f},
        {"track 1 selected", [&] { return v.strips[0].select->getValue(); }, 0.0f},
        {"reverse of the selected track", [&] { return v.reverse->getValue(); }, 1.0f},
        {"tempo", [&] { return v.tempo->getValue(); }, 133.0f},
        {"pattern", [&] { return v.patternSelect->getValue(); }, 5.0f},
        {"loop mode", [&] { return v.loopMode->getValue(); }, 0.0f},
        {"random mode", [&] { return v.randomMode->getValue(); }, 1.0f},
        {"swing", [&] { return v.swing->getValue(); }, 1.0f},
        {"master level", [&] { return v.masterLevel->getValue(); }, 100.0f},
        {"master EQ band gain", [&] { return v.masterEq->getBands()[1].gain; }, -0.5f},
        {"send 2 lit", [&] { return v.effectSlots[1]->isLit() ? 1.0f : 0.0f; }, 1.0f},
        {"send 1 lit", [&] { return v.effectSlots[0]->isLit() ? 1.0f : 0.0f; }, 0.0f},
        {"knob mode", [&] { return static_cast<float>(v.strips[7].send2->getKnobMode()); }, 2.0f},
    };
    for (const Shown& c : cases)
        EXPECT_FLOAT_EQ(c.value(), c.expected) << c.what;
    EXPECT_EQ(v.kitName->getText(), "Dusty Room");
    EXPECT_EQ(v.keyLabel->getText(), "C3");
}

TEST_F(EditorControlsState, RefreshTrackTouchesThatTrackAloneAndTheShownPageMovesEveryRow) {
    drums.setValue(tags::trackTag(5, tags::kSend1), 0.5f);
    drums.setValue(tags::trackTag(6, tags::kSend1), 0.5f);
    controls.refreshTrack(5);
    EditorViews& v = controls.views();
    EXPECT_FLOAT_EQ(v.strips[5].send1->getValue(), 0.5f);
    EXPECT_FLOAT_EQ(v.strips[6].send1->getValue(), 0.0f);

    controls.showPage(2);
    EXPECT_FLOAT_EQ(v.patternPage->getValue(), 2.0f);
    for (const TrackStripViews& s : v.strips)
        EXPECT_EQ(s.steps->getScrollOffset(), 32);
    // A refresh keeps the page shown.
    controls.refreshTrack(0);
    EXPECT_EQ(v.strips[0].steps->getScrollOffset(), 32);
}

TEST(ShownFileName, DropsFolderAndExtensionOfEitherSystem) {
    EXPECT_EQ(shownFileName("/home/me/Drum Kits/Studio.drs"), "Studio");
    EXPECT_EQ(shownFileName("\\Samples\\Kick.wav"), "Kick");
    EXPECT_EQ(shownFileName("NoExtension"), "NoExtension");
    EXPECT_EQ(shownFileName(""), "");
}

TEST(WavePeaks, TakeTheLargestMagnitudeOfEachColumn) {
    const std::vector<std::int16_t> samples{0, 100, -32767, 5, 16384, -2, 0, 0};
    const std::vector<float> peaks = wavePeaks(samples, 4);
    ASSERT_EQ(peaks.size(), 4u);
    EXPECT_FLOAT_EQ(peaks[0], 100.0f / 32767.0f);
    EXPECT_FLOAT_EQ(peaks[1], 1.0f);
    EXPECT_FLOAT_EQ(peaks[2], 16384.0f / 32767.0f);
    EXPECT_FLOAT_EQ(peaks[3], 0.0f);
    // More columns than samples: each column still looks at one sample.
    EXPECT_FLOAT_EQ(wavePeaks({-32767}, 3)[2], 1.0f);
}

}  // namespace
}  // namespace rimba::test
