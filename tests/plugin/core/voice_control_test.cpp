// The control-rate update: pan law, sample and synth shares, pitch and the scale mapping.

#include <cmath>
#include <utility>

#include <gtest/gtest.h>

#include "plugin/model/Tags.h"
#include "tests/plugin/core/CoreFixture.h"
#include "tests/support/InstrumentProbe.h"

namespace rimba::test {
namespace {

// Runs enough control updates for every smoothed value to settle on its target.
void settle(VornDrums& drums, TrackVoice& voice) {
    for (int i = 0; i < 5000; ++i)
        drums.controlUpdate(voice);
}

struct PanCase {
    float pan;
    float left;
    float right;
};

TEST(PanLaw, CentreIsFullOnBothSidesAndQuartersSitAtAQuarter) {
    auto drums = makeInstrument();
    for (const PanCase& c : {PanCase{0.5f, 1.0f, 1.0f}, PanCase{1.0f, 0.0f, 1.0f}, PanCase{0.75f, 0.25f, 1.0f},
                             PanCase{0.0f, 1.0f, 0.0f}, PanCase{0.25f, 1.0f, 0.25f}, PanCase{0.6f, 0.7f, 1.0f},
                             PanCase{0.9f, 0.1f, 1.0f}, PanCase{0.4f, 1.0f, 0.7f}}) {
        TrackVoice& voice = test::stateOf(*drums).voices[1];
        test::stateOf(*drums).tracks.pan[1] = c.pan;
        settle(*drums, voice);
        EXPECT_NEAR(voice.gainLeft, c.left, 2e-4f) << c.pan;
        EXPECT_NEAR(voice.gainRight, c.right, 2e-4f) << c.pan;
    }
}

// The setting is corrected where it is written; the render loop, which never writes a setting,
// plays any pan outside the range as its nearest end.
TEST(PanLaw, APanOutsideTheRangeIsCorrectedInTheSettingAndPlaysAsTheNearestEnd) {
    auto drums = makeInstrument();
    drums->setValue(tags::trackTag(0, tags::kPan), 1.7f);
    EXPECT_EQ(test::stateOf(*drums).tracks.pan[0], 1.0f);
    drums->setValue(tags::trackTag(0, tags::kPan), -0.3f);
    EXPECT_EQ(test::stateOf(*drums).tracks.pan[0], 0.0f);
    for (const auto& [outside, end] : {std::pair{1.7f, 1.0f}, std::pair{-0.3f, 0.0f}}) {
        test::stateOf(*drums).tracks.pan[1] = end;
        settle(*drums, test::stateOf(*drums).voices[1]);
        const float left = test::stateOf(*drums).voices[1].gainLeft;
        const float right = test::stateOf(*drums).voices[1].gainRight;
        test::stateOf(*drums).tracks.pan[1] = outside;
        settle(*drums, test::stateOf(*drums).voices[1]);
        EXPECT_EQ(test::stateOf(*drums).voices[1].gainLeft, left) << outside;
        EXPECT_EQ(test::stateOf(*drums).voices[1].gainRight, right) << outside;
        EXPECT_EQ(test::stateOf(*drums).tracks.pan[1], outside);
    }
}

TEST(PanLaw, SendsFollowLevelTimesSendTimesPan) {
    auto drums = makeInstrument();
    test::stateOf(*drums).tracks.send1[2] = 1.0f;
    test::stateOf(*drums).tracks.pan[2] = 0.75f;
    drums->updateTrack(2);
    TrackVoice& voice = test::stateOf(*drums).voices[2];
    settle(*drums, voice);
    EXPECT_NEAR(voice.send1Right, 1.0f, 2e-4f);
    EXPECT_NEAR(voice.send1Left, 0.25f, 2e-4f);
    EXPECT_NEAR(voice.send2Left, 0.25f * 1e-6f, 1e-6f);
}

TEST(ControlUpdate, SmoothsGainsOnePercentAtATime) {
    auto drums = makeInstrument();
    TrackVoice& voice = test::stateOf(*drums).voices[0];
    voice.gainLeft = 0.0f;
    drums->controlUpdate(voice);
    EXPECT_NEAR(voice.gainLeft, 0.01f, 1e-6f);  // 1% of the way to 1.0
    drums->controlUpdate(voice);
    EXPECT_NEAR(voice.gainLeft, 0.0199f, 1e-6f);
}

TEST(SynthShares, HalfMixOnARoutedTrackKeepsBothParts) {
    auto drums = makeInstrument();
    test::stateOf(*drums).tracks.synthRoute[3] = 1.0f;
    test::stateOf(*drums).tracks.synthMix[3] = 0.5f;
    TrackVoice& voice = test::stateOf(*drums).voices[3];
    settle(*drums, voice);
    EXPECT_NEAR(voice.sampleGain, 1.0f, 2e-4f);
    EXPECT_NEAR(voice.synthGain, 0.5f, 2e-4f);
}

TEST(SynthShares, MixZeroLeavesTheSampleAtTheFloor) {
    auto drums = makeInstrument();
    test::stateOf(*drums).tracks.synthRoute[3] = 1.0f;
    test::stateOf(*drums).tracks.synthMix[3] = 0.0f;
    TrackVoice& voice = test::stateOf(*drums).voices[3];
    voice.sampleGain = 1e-6f;
    settle(*drums, voice);
    EXPECT_NEAR(voice.sampleGain, 1e-6f, 1e-7f);
    EXPECT_NEAR(voice.synthGain, 0.5f, 2e-4f);
}

TEST(SynthShares, AnUnroutedTrackPlaysItsSampleWithInvertedPolarityWhenAsked) {
    auto drums = makeInstrument();
    test::stateOf(*drums).tracks.phaseInvert[4] = 1.0f;
    TrackVoice& voice = test::stateOf(*drums).voices[4];
    settle(*drums, voice);
    EXPECT_NEAR(voice.sampleGain, -1.0f, 2e-4f);
    EXPECT_NEAR(voice.synthGain, -0.5f, 2e-4f);
}

TEST(Pitch, TuneAndVelocityTuneSetTheRate) {
    auto drums = makeInstrument();
    test::stateOf(*drums).tracks.tune[5] = 12.0f;
    drums->updateTrack(5);
    TrackVoice& voice = test::stateOf(*drums).voices[5];
    EXPECT_NEAR(voice.rate, 2.0f, 1e-5f);
    test::stateOf(*drums).tracks.tuneVelocity[5] = 7.0f;
    voice.velocity = 127;
    drums->controlUpdate(voice);
    EXPECT_NEAR(voice.rate, 2.0f * std::pow(2.0f, 7.0f / 12.0f), 1e-4f);
}

TEST(Pitch, TheSoundsOwnRateScalesTheRate) {
    auto drums = makeInstrument();
    auto sound = std::make_unique<Sound>();
    sound->samples.assign(10, 0);
    sound->frameCount = 10;
    sound->sampleRate = 22050.0f;
    test::stateOf(*drums).soundList.push_back(std::move(sound));
    test::stateOf(*drums).voices[6].soundIndex = 0;
    drums->controlUpdate(test::stateOf(*drums).voices[6]);
    EXPECT_NEAR(test::stateOf(*drums).voices[6].rate, 0.5f, 1e-6f);
}

// With the scale notes {0, 4, 7}, a semitone offset is mapped proportionally onto the allowed
// notes: w = 5 of 12 lands on entry floor(3 * 5 / 12) = 1, the major third.
TEST(Pitch, TheScaleMapsSemitonesProportionallyOntoItsNotes) {
    auto drums = makeInstrument();
    const std::size_t t = 7;
    test::stateOf(*drums).tracks.tuneScale[t] = 1.0f;
    test::stateOf(*drums).tracks.scaleNotes[t].fill(0);
    test::stateOf(*drums).tracks.scaleNotes[t][0] = test::stateOf(*drums).tracks.scaleNotes[t][4] =
        test::stateOf(*drums).tracks.scaleNotes[t][7] = 1;
    test::stateOf(*drums).tracks.tuneVelocity[t] = 5.0f;
    drums->updateTrack(7);
    TrackVoice& voice = test::stateOf(*drums).voices[t];
    voice.velocity = 127;  // x = 5 semitones
    drums->controlUpdate(voice);
    EXPECT_NEAR(voice.rate, std::pow(2.0f, 4.0f / 12.0f), 1e-5f);

    test::stateOf(*drums).tracks.tuneVelocity[t] = 17.5f;  // x = 17.5: octave 1, w = 5, the fraction dropped
    drums->controlUpdate(voice);
    EXPECT_NEAR(voice.rate, std::pow(2.0f, 16.0f / 12.0f), 1e-5f);

    test::stateOf(*drums).tracks.tuneVelocity[t] = -1.0f;  // x = -1: octave -1, w = 11 lands on entry 2
    drums->controlUpdate(voice);
    EXPECT_NEAR(voice.rate, std::pow(2.0f, -5.0f / 12.0f), 1e-5f);
}

TEST(Pitch, AScaleIsIgnoredWhileTuneScaleIsOff) {
    auto drums = makeInstrument();
    test::stateOf(*drums).tracks.scaleNotes[8].fill(0);
    test::stateOf(*drums).tracks.scaleNotes[8][0] = 1;
    test::stateOf(*drums).tracks.tuneVelocity[8] = 5.0f;
    drums->updateTrack(8);
    test::stateOf(*drums).voices[8].velocity = 127;
    drums->controlUpdate(test::stateOf(*drums).voices[8]);
    EXPECT_NEAR(test::stateOf(*drums).voices[8].rate, std::pow(2.0f, 5.0f / 12.0f), 1e-5f);
}

TEST(TrackGains, MutingATrackDropsItsVoiceToTheFloor) {
    auto drums = makeInstrument();
    test::stateOf(*drums).tracks.mute[9] = 1.0f;
    drums->updateTrackGains(9);
    EXPECT_EQ(test::stateOf(*drums).voices[9].levelGain, 1e-6f);
    EXPECT_NEAR(test::stateOf(*drums).voices[8].levelGain, 1.0f, 1e-6f);
}

}  // namespace
}  // namespace rimba::test
