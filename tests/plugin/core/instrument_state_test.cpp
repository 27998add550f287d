// The instrument's state after construction and after the operations that keep it consistent.

#include <cmath>

#include <gtest/gtest.h>

#include "plugin/model/Tags.h"
#include "tests/plugin/core/CoreFixture.h"
#include "tests/support/InstrumentProbe.h"

namespace rimba::test {
namespace {

TEST(LevelGain, DefaultLevelGivesUnityGain) { EXPECT_NEAR(levelGainFromSetting(0.8691760f, false), 1.0f, 1e-6f); }

TEST(LevelGain, LowOrMutedLevelsGiveTheFloorNotZero) {
    EXPECT_EQ(levelGainFromSetting(0.01f, false), 1e-6f);
    EXPECT_EQ(levelGainFromSetting(0.0f, false), 1e-6f);
    EXPECT_EQ(levelGainFromSetting(0.8691760f, true), 1e-6f);
    EXPECT_EQ(levelGainFromSetting(1.0f, true), 1e-6f);
    EXPECT_NEAR(levelGainFromSetting(1.0f, false), 2.0f, 1e-5f);  // 200 / 100
    EXPECT_GT(levelGainFromSetting(0.0101f, false), 1e-6f);
}

TEST(SendGain, FullSendIsUnityAndLowSendsTheFloor) {
    EXPECT_NEAR(sendGainFromSetting(1.0f), 1.0f, 1e-6f);
    EXPECT_NEAR(sendGainFromSetting(0.5f), std::sqrt(200.0f) / 200.0f, 1e-6f);
    EXPECT_EQ(sendGainFromSetting(0.01f), 1e-6f);
}

TEST(MasterGainTable, RunsFromSilenceToUnityWithAQuarterInTheMiddle) {
    const MasterGainTable table = buildMasterGainTable();
    EXPECT_EQ(table[0], 1e-6f);
    EXPECT_FLOAT_EQ(table[127], 1.0f);
    EXPECT_FLOAT_EQ(table[64], 0.25f);
    EXPECT_FLOAT_EQ(table[63], 0.25f);
    EXPECT_NEAR(table[1], 0.00107f, 0.000005f);
    for (int k = 2; k < 128; ++k) {
        if (k != 64) {
            EXPECT_GT(table[static_cast<std::size_t>(k)], table[static_cast<std::size_t>(k - 1)]) << k;
        }
    }
}

TEST(InstrumentDefaults, TracksStartWithTheirDefaultSettings) {
    auto drums = makeInstrument();
    for (int t = 0; t < kTrackSlots; ++t) {
        const auto i = static_cast<std::size_t>(t);
        EXPECT_FLOAT_EQ(test::stateOf(*drums).tracks.level[i], t < 12 ? 0.8691760f : 0.0f) << t;
        if (t >= 12)
            continue;  // slots beyond the active tracks are never played, saved or shown
        EXPECT_EQ(test::stateOf(*drums).tracks.pan[i], 0.5f);
        EXPECT_EQ(test::stateOf(*drums).tracks.levelVelocity[i], 1.0f);
        EXPECT_EQ(test::stateOf(*drums).tracks.oneShot[i], 1.0f);
        EXPECT_EQ(test::stateOf(*drums).tracks.end[i], 1.0f);
        EXPECT_EQ(test::stateOf(*drums).tracks.randomMinDensity[i], -1.0f);
        EXPECT_EQ(test::stateOf(*drums).tracks.randomMaxDensity[i], -1.0f);
        EXPECT_EQ(test::stateOf(*drums).tracks.synthMix[i], 0.5f);
        EXPECT_EQ(test::stateOf(*drums).tracks.eqQ[i][1], 0.707f);
        EXPECT_EQ(test::stateOf(*drums).tracks.eqFreq[i][2], 0.6889311f);
        EXPECT_EQ(test::stateOf(*drums).tracks.scaleNotes[i][11], 1);
        EXPECT_EQ(test::stateOf(*drums).tracks.tuneRatio[i], 1.0f);
        EXPECT_EQ(test::stateOf(*drums).tracks.soundPath[i][0], 0);
        EXPECT_EQ(test::stateOf(*drums).voices[i].soundIndex, -1);
        EXPECT_NEAR(test::stateOf(*drums).voices[i].levelGain, 1.0f, 1e-6f);
        EXPECT_EQ(test::stateOf(*drums).voices[i].sendGain1, 1e-6f);
        EXPECT_EQ(test::stateOf(*drums).settings.trackKey[i], 36.0f + static_cast<float>(t));
    }
}

TEST(InstrumentDefaults, PatternsAndSequencerStartEmpty) {
    auto drums = makeInstrument();
    const InstrumentState& state = test::stateOf(*drums);
    EXPECT_EQ(state.patterns[3].stepHold[15][63], 1.0f);
    EXPECT_EQ(state.patterns[15].stepVelocity[0][0], 0.0f);
    EXPECT_EQ(state.patterns[0].randomHold[10], 1.0f);
    EXPECT_EQ(state.patterns[0].randomMinDensity[7], -1.0f);
    for (int p = 0; p < kPatternCount; ++p) {
        EXPECT_EQ(state.patternSteps[static_cast<std::size_t>(p)], 16);
        EXPECT_EQ(state.chainEnabled[static_cast<std::size_t>(p)], 0);
    }
    EXPECT_EQ(state.playMode, 1);
    EXPECT_EQ(state.fillAttenuation, 64);
    EXPECT_EQ(state.playing, 1);
    EXPECT_EQ(state.tempo, 120);
    EXPECT_EQ(state.previousTempo, 120);
    EXPECT_EQ(state.sampleRate, 44100);
    EXPECT_EQ(state.settings.masterLevel, 127.0f);
    EXPECT_EQ(state.settings.patternTriggerMidiKey, -1);
    EXPECT_EQ(state.settings.enableMidiProgramChange, 1);
    EXPECT_TRUE(state.midiInput.empty());
    EXPECT_TRUE(state.pendingEvents.empty());
}

TEST(InstrumentDefaults, VoicesServeTheirOwnTrackAndStartIdle) {
    auto drums = makeInstrument();
    for (int v = 0; v < kTrackSlots; ++v) {
        const TrackVoice& voice = test::stateOf(*drums).voices[static_cast<std::size_t>(v)];
        EXPECT_EQ(voice.track, v);
        EXPECT_EQ(voice.key, 24);
        EXPECT_EQ(voice.position, -1.0f);
        EXPECT_EQ(voice.command, -1);
        EXPECT_EQ(voice.fading, -1);
        EXPECT_EQ(voice.declickGain, 1.0f);
        EXPECT_EQ(voice.startFrame, -1.0f);
    }
}

TEST(InstrumentDefaults, TheStandaloneClockClaimsItsValidFields) {
    auto drums = makeInstrument();
    const VstInt32 expected = kVstTempoValid | kVstClockValid | kVstNanosValid | kVstPpqPosValid | kVstTimeSigValid;
    EXPECT_EQ(test::stateOf(*drums).standaloneTime.flags, expected);
    EXPECT_EQ(test::stateOf(*drums).standaloneTime.samplePos, 0.0);
}

TEST(TrackMode, EightTracksKeepAllParametersAndFourteenOutputs) {
    auto drums = makeInstrument(8);
    EXPECT_EQ(test::stateOf(*drums).trackCount, 8);
    EXPECT_EQ(drums->getAeffect()->numParams, 240);
    EXPECT_EQ(drums->getAeffect()->numOutputs, 14);
    EXPECT_EQ(test::stateOf(*drums).tracks.level[7], 0.8691760f);
    EXPECT_EQ(test::stateOf(*drums).tracks.level[8], 0.0f);  // tracks beyond the mode are never reset or played
    VstPinProperties pin{};
    ASSERT_TRUE(drums->getOutputProperties(10, &pin));
    EXPECT_STREQ(pin.label, "Send 1");
    EXPECT_STREQ(pin.shortLabel, "LEFT");
}

TEST(TrackMode, ADamagedTrackCountFallsBackToTwelve) {
    for (int stored : {0, 7, 9, 16, 17, -1, 1000}) {
        auto drums = makeInstrument(stored);
        EXPECT_EQ(test::stateOf(*drums).trackCount, 12) << stored;
        EXPECT_EQ(drums->getAeffect()->numOutputs, 18) << stored;
    }
}

TEST(TagSpace, GlobalTagsFollowTheStepGrids) {
    EXPECT_EQ(tags::trackTag(2, tags::kPan), 42);
    EXPECT_EQ(tags::globalBase(12), 12528);
    EXPECT_EQ(tags::globalBase(8), 8352);
    EXPECT_TRUE(tags::isTrackTag(239, 12));
    EXPECT_FALSE(tags::isTrackTag(240, 12));
    EXPECT_TRUE(tags::isStepGridTag(240, 12));
    EXPECT_TRUE(tags::isStepGridTag(12527, 12));
    EXPECT_FALSE(tags::isStepGridTag(12528, 12));
    EXPECT_TRUE(tags::isPatternRandomTag(0x10000 + 11, 12));
    EXPECT_FALSE(tags::isPatternRandomTag(0x10000 + 8, 8));
}

TEST(TrackSlots, EveryValueSlotReachesItsOwnSetting) {
    TrackSettings settings{};
    for (int slotIndex = 1; slotIndex < kSlotsPerTrack; ++slotIndex)
        *settings.slot(5, slotIndex) = static_cast<float>(slotIndex);
    EXPECT_EQ(settings.level[5], 1.0f);
    EXPECT_EQ(settings.mute[5], 8.0f);
    EXPECT_EQ(settings.end[5], 13.0f);
    EXPECT_EQ(settings.synthRoute[5], 19.0f);
    EXPECT_EQ(settings.level[4], 0.0f);
    EXPECT_EQ(settings.slot(5, 0), nullptr);
    EXPECT_EQ(settings.slot(5, 20), nullptr);
    EXPECT_EQ(settings.slot(16, 1), nullptr);
    EXPECT_EQ(settings.slot(-1, 1), nullptr);
}

// The setting is raised where it is written (the start or end setting, a sound load); the
// voice's bounds, moved by the render loop, treat an end below the start as the start.
TEST(RecomputeBounds, RaisesAnEndBelowTheStart) {
    auto drums = makeInstrument();
    test::stateOf(*drums).tracks.start[3] = 0.6f;
    test::stateOf(*drums).tracks.end[3] = 0.2f;
    drums->recomputeBounds(3);
    EXPECT_EQ(test::stateOf(*drums).voices[3].endBound, test::stateOf(*drums).voices[3].startBound);
    drums->keepEndAfterStart(3);
    EXPECT_EQ(test::stateOf(*drums).tracks.end[3], 0.6f);
    test::stateOf(*drums).tracks.end[3] = 0.9f;
    drums->keepEndAfterStart(3);
    EXPECT_EQ(test::stateOf(*drums).tracks.end[3], 0.9f);
    drums->setValue(tags::trackTag(3, tags::kEnd), 0.1f);
    EXPECT_EQ(test::stateOf(*drums).tracks.end[3], 0.6f);
}

TEST(RecomputeBounds, ScalesTheBoundsByTheSoundAndIdlesAVoiceOutsideThem) {
    auto drums = makeInstrument();
    auto sound = std::make_unique<Sound>();
    sound->samples.assign(1000, 0);
    sound->frameCount = 1000;
    test::stateOf(*drums).soundList.push_back(std::move(sound));
    TrackVoice& voice = test::stateOf(*drums).voices[2];
    voice.soundIndex = 0;
    test::stateOf(*drums).tracks.start[2] = 0.25f;
    test::stateOf(*drums).tracks.end[2] = 0.75f;
    voice.position = 500.0f;
    drums->recomputeBounds(2);
    EXPECT_EQ(voice.startBound, 250.0f);
    EXPECT_EQ(voice.endBound, 750.0f);
    EXPECT_EQ(voice.position, 500.0f);
    voice.position = 750.0f;  // at the end bound is outside
    drums->recomputeBounds(2);
    EXPECT_EQ(voice.position, -1.0f);
    voice.soundIndex = 7;  // out of range counts as no sound
    voice.position = 10.0f;
    drums->recomputeBounds(2);
    EXPECT_EQ(voice.endBound, 0.0f);
    EXPECT_EQ(voice.position, -1.0f);
}

TEST(SampleRate, TheSameIntegerRateTwiceResetsTheEqualisersOnlyOnce) {
    auto drums = makeInstrument();
    test::stateOf(*drums).trackEq[4][1].stages[0].y1 = 0.5f;
    drums->setSampleRate(48000.0f);
    EXPECT_EQ(test::stateOf(*drums).sampleRate, 48000);
    EXPECT_EQ(test::stateOf(*drums).trackEq[4][1].stages[0].y1, 0.0f);
    test::stateOf(*drums).trackEq[4][1].stages[0].y1 = 0.5f;
    drums->setSampleRate(48000.7f);
    EXPECT_EQ(test::stateOf(*drums).trackEq[4][1].stages[0].y1, 0.5f);
    drums->setSampleRate(44100.0f);
    EXPECT_EQ(test::stateOf(*drums).trackEq[4][1].stages[0].y1, 0.0f);
}

TEST(SampleRate, ARateThatCannotBeOneIsIgnored) {
    auto drums = makeInstrument();
    for (float rate : {0.0f, -48000.0f, std::nanf(""), INFINITY, 3e9f}) {
        drums->setSampleRate(rate);
        EXPECT_EQ(test::stateOf(*drums).sampleRate, 44100) << rate;
    }
}

TEST(SampleRate, QueuesCoefficientsForTheMasterAndEveryActiveTrack) {
    auto drums = makeInstrument();
    test::stateOf(*drums).filterUpdates.applyAll([](const FilterUpdate&) {});
    drums->setSampleRate(96000.0f);
    std::vector<std::pair<int, int>> queued;
    test::stateOf(*drums).filterUpdates.applyAll(
        [&](const FilterUpdate& update) { queued.emplace_back(update.target, update.band); });
    EXPECT_EQ(queued.size(), 3u + 12u * 3u);
    EXPECT_EQ(queued.front(), std::make_pair(-1, 0));
    EXPECT_EQ(queued.back(), std::make_pair(11, 2));
}

TEST(ResetSequencer, DropsWaitingMasterUpdatesAndQueuesThemAnew) {
    auto drums = makeInstrument();
    test::stateOf(*drums).filterUpdates.applyAll([](const FilterUpdate&) {});
    test::stateOf(*drums).masterEqGain[0] = 0.5f;
    drums->queueEqUpdate(-1, 0);
    drums->queueEqUpdate(3, 1);
    test::stateOf(*drums).masterEq[2].stages[1].x1 = 0.25f;
    test::stateOf(*drums).currentPattern = 5;
    test::stateOf(*drums).patterns[2].stepVelocity[4][9] = 100.0f;
    drums->resetSequencer();
    EXPECT_EQ(test::stateOf(*drums).currentPattern, 0);
    EXPECT_EQ(test::stateOf(*drums).patterns[2].stepVelocity[4][9], 0.0f);
    EXPECT_EQ(test::stateOf(*drums).masterEq[2].stages[1].x1, 0.0f);
    std::vector<std::pair<int, int>> queued;
    test::stateOf(*drums).filterUpdates.applyAll(
        [&](const FilterUpdate& update) { queued.emplace_back(update.target, update.band); });
    const std::vector<std::pair<int, int>> expected{{3, 1}, {-1, 0}, {-1, 1}, {-1, 2}};
    EXPECT_EQ(queued, expected);
}

}  // namespace
}  // namespace rimba::test
