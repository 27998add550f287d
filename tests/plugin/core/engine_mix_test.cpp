// The mix through whole blocks: pan law on the master, solo and mute, the track outputs, the
// sample and synth shares, the master gain, and the send and insert slots with a plug-in the
// test controls.

#include <algorithm>
#include <cmath>
#include <vector>

#include <gtest/gtest.h>

#include "tests/plugin/core/EngineFixture.h"
#include "tests/support/LentPlugins.h"
#include "tests/support/InstrumentProbe.h"

namespace rimba::engine_test {
namespace {

constexpr int kLongSound = 100000;

// Track outputs and master sums carry the voice's output times voiceBusGain and the voice's
// smoothed gains; letting all of them reach their targets first makes every output a plain
// product of settings.
void settle(Engine& engine) {
    VornDrums& drums = *engine;
    for (TrackVoice& voice : test::stateOf(drums).voices)
        for (int i = 0; i < 5000; ++i)
            drums.controlUpdate(voice);
    test::stateOf(drums).voiceBusGain = 1.0f;
    test::stateOf(drums).masterGain = test::stateOf(drums).masterGainTable[static_cast<std::size_t>(
        static_cast<int>(test::stateOf(drums).settings.masterLevel) & 127)];
}

// Starts track `track`'s note at the first sample of the next block.
void strike(Engine& engine, int track) { engine->auditionStart(track, 100, false); }

// Every sample of `channel` from `from` on lies within `tolerance` of `value`.
::testing::AssertionResult allNear(const std::vector<float>& channel, double value, double tolerance,
                                   std::size_t from = 0) {
    for (std::size_t i = from; i < channel.size(); ++i)
        if (std::fabs(channel[i] - value) > tolerance)
            return ::testing::AssertionFailure() << "sample " << i << " is " << channel[i] << ", not " << value;
    return ::testing::AssertionSuccess();
}

struct PanCase {
    float pan;
    double left;
    double right;
};

TEST(PanLaw, TheMasterCarriesTheTrackSignalTimesThePanFactors) {
    for (const PanCase& c :
         {PanCase{0.5f, 1.0, 1.0}, PanCase{1.0f, 0.0, 1.0}, PanCase{0.75f, 0.25, 1.0}, PanCase{0.0f, 1.0, 0.0},
          PanCase{0.25f, 1.0, 0.25}, PanCase{0.6f, 0.7, 1.0}, PanCase{0.35f, 1.0, 0.55}}) {
        Engine engine;
        makeProbeTrack(*engine, 0, kLongSound);  // 16384: 0.5
        test::stateOf(*engine).tracks.pan[0] = c.pan;
        settle(engine);
        strike(engine, 0);
        engine.render(512);
        EXPECT_TRUE(allNear(engine.trackOutput(0), 0.5, 1e-5)) << c.pan;
        EXPECT_TRUE(allNear(engine.masterLeft(), 0.5 * c.left, 1e-4)) << c.pan;
        EXPECT_TRUE(allNear(engine.masterRight(), 0.5 * c.right, 1e-4)) << c.pan;
    }
}

TEST(Solo, OnlyTheSelectedTrackReachesTheMasterWhileEveryTrackOutputCarriesItsSignal) {
    Engine engine;
    makeProbeTrack(*engine, 0, kLongSound, 16384);
    makeProbeTrack(*engine, 1, kLongSound, 8192);
    makeProbeTrack(*engine, 2, kLongSound, 4096);
    test::stateOf(*engine).soloSelected = 1;
    test::stateOf(*engine).selectedTrack = 1;
    settle(engine);
    for (int t = 0; t < 3; ++t)
        strike(engine, t);
    engine.render(256);
    EXPECT_TRUE(allNear(engine.masterLeft(), 0.25, 1e-5));
    EXPECT_TRUE(allNear(engine.trackOutput(0), 0.5, 1e-5));
    EXPECT_TRUE(allNear(engine.trackOutput(2), 0.125, 1e-5));

    test::stateOf(*engine).soloSelected = 0;
    engine.clearRecording();
    engine.render(256);
    EXPECT_TRUE(allNear(engine.masterLeft(), 0.875, 1e-5));
}

TEST(Mute, AMutedTrackKeepsItsOutputButLeavesMasterSendsAndMetersAlone) {
    Engine engine;
    FakePlugin send;
    engine->placePlugin(0, &send);
    test::stateOf(*engine).effectEnabled[0] = 1;
    makeProbeTrack(*engine, 0, kLongSound, 16384);
    makeProbeTrack(*engine, 1, kLongSound, 8192);
    for (int t = 0; t < 2; ++t) {
        test::stateOf(*engine).tracks.send1[static_cast<std::size_t>(t)] = 1.0f;
        engine->updateTrackGains(t);
    }
    test::stateOf(*engine).tracks.mute[0] = 1.0f;
    engine->updateTrackGains(0);
    settle(engine);
    strike(engine, 0);
    strike(engine, 1);
    engine.render(256);
    EXPECT_TRUE(allNear(engine.trackOutput(0), 0.5, 1e-5));
    EXPECT_TRUE(allNear(engine.masterLeft(), 0.25, 1e-5));  // track 1 alone
    for (int i = 0; i < 256; ++i) {
        ASSERT_NEAR(send.inputs[0][static_cast<std::size_t>(i)], 0.25, 1e-5) << i;
        ASSERT_NEAR(send.inputs[1][static_cast<std::size_t>(i)], 0.25, 1e-5) << i;
    }
    EXPECT_EQ(test::stateOf(*engine).voices[0].peakLeft, 0.0f);
    EXPECT_EQ(test::stateOf(*engine).voices[0].peakRight, 0.0f);
    EXPECT_NEAR(test::stateOf(*engine).voices[1].peakLeft, 0.25f, 1e-5f);
    engine->placePlugin(0, nullptr);
}

TEST(TrackOutputs, CarryTheSignalBeforeLevelPanAndSends) {
    Engine engine;
    makeProbeTrack(*engine, 0, kLongSound);
    makeProbeTrack(*engine, 1, kLongSound);
    test::stateOf(*engine).tracks.level[1] = 0.3f;
    test::stateOf(*engine).tracks.pan[1] = 1.0f;
    test::stateOf(*engine).tracks.send2[1] = 0.8f;
    engine->updateTrackGains(1);
    settle(engine);
    strike(engine, 0);
    strike(engine, 1);
    engine.render(512);
    EXPECT_EQ(engine.trackOutput(0), engine.trackOutput(1));
    EXPECT_TRUE(allNear(engine.trackOutput(1), 0.5, 1e-5));
    const double level = std::pow(200.0, 0.3) / 100.0;
    EXPECT_TRUE(allNear(engine.masterLeft(), 0.5, 1e-4));  // track 1 is hard right
    EXPECT_TRUE(allNear(engine.masterRight(), 0.5 + 0.5 * level, 1e-4));
}

TEST(TrackOutputs, AnInvertedPolarityIsPartOfTheTrackSignal) {
    Engine engine;
    makeProbeTrack(*engine, 0, kLongSound);
    test::stateOf(*engine).tracks.phaseInvert[0] = 1.0f;
    settle(engine);
    strike(engine, 0);
    engine.render(128);
    EXPECT_TRUE(allNear(engine.trackOutput(0), -0.5, 1e-5));
    EXPECT_TRUE(allNear(engine.masterLeft(), -0.5, 1e-4));
}

// ---------------------------------------------------------------------------------------------
// Synth slot

struct ShareCase {
    float synthMix;
    double sampleShare;  // of the sample voice
    double synthShare;  // of the synth output, halved into synthGain
    bool sampleRendered;
};

TEST(SynthShares, ARoutedTrackBlendsItsSampleAndTheSynthByTheMix) {
    constexpr double kSynthLevel = 0.25;
    for (const ShareCase& c :
         {ShareCase{0.5f, 1.0, 1.0, true}, ShareCase{0.0f, 1e-6, 1.0, false}, ShareCase{1.0f, 1.0, 1e-6, true},
          ShareCase{0.75f, 1.0, 0.25, true}, ShareCase{0.6f, 1.0, 0.7, true}, ShareCase{0.25f, 0.25, 1.0, true},
          ShareCase{0.4f, 0.7, 1.0, true}}) {
        Engine engine;
        FakePlugin synth;
        synth.process = [](FakePlugin& plugin, int frames) {
            std::fill(plugin.outputs[2].begin(), plugin.outputs[2].begin() + frames, static_cast<float>(kSynthLevel));
        };
        engine->placePlugin(VornDrums::kSynthSlot, &synth);
        makeProbeTrack(*engine, 0, kLongSound);  // 0.5
        test::stateOf(*engine).tracks.synthRoute[0] = 1.0f;
        test::stateOf(*engine).tracks.synthMix[0] = c.synthMix;
        settle(engine);
        strike(engine, 0);
        engine.render(256);
        const double expected = (c.sampleRendered ? 0.5 * c.sampleShare : 0.0) + kSynthLevel * c.synthShare * 0.5;
        EXPECT_TRUE(allNear(engine.trackOutput(0), expected, 1e-5)) << "mix " << c.synthMix;
        // An unrendered voice never takes its start command.
        EXPECT_EQ(test::stateOf(*engine).voices[0].command == -1, c.sampleRendered) << "mix " << c.synthMix;
        EXPECT_EQ(synth.processCalls, 1);
        EXPECT_EQ(synth.lastFrames, 256);
        EXPECT_EQ(synth.deliveries, 1);
        engine->placePlugin(VornDrums::kSynthSlot, nullptr);
    }
}

TEST(SynthShares, AnUnroutedTrackIgnoresTheSynthOutput) {
    Engine engine;
    FakePlugin synth;
    synth.process = [](FakePlugin& plugin, int frames) {
        std::fill(plugin.outputs[2].begin(), plugin.outputs[2].begin() + frames, 0.25f);
    };
    engine->placePlugin(VornDrums::kSynthSlot, &synth);
    makeProbeTrack(*engine, 0, kLongSound);
    settle(engine);
    strike(engine, 0);
    engine.render(256);
    EXPECT_TRUE(allNear(engine.trackOutput(0), 0.5, 1e-5));
    engine->placePlugin(VornDrums::kSynthSlot, nullptr);
}

TEST(SynthShares, TheSynthPartCanRunThroughTheTrackEqualiser) {
    Engine engine;
    FakePlugin synth;
    synth.process = [](FakePlugin& plugin, int frames) {
        std::fill(plugin.outputs[2].begin(), plugin.outputs[2].begin() + frames, 0.25f);
    };
    engine->placePlugin(VornDrums::kSynthSlot, &synth);
    test::stateOf(*engine).tracks.synthRoute[0] = 1.0f;
    test::stateOf(*engine).tracks.synthMix[0] = 0.0f;  // synth only
    test::stateOf(*engine).tracks.eqOnSynth[0] = 1.0f;
    test::stateOf(*engine).tracks.eqGain[0] = {-1.0f, 0.0f, 0.0f};  // -20 dB low shelf: a constant is a very low tone
    for (int band = 0; band < kEqBands; ++band)
        engine->queueEqUpdate(0, band);
    engine.stop();
    engine.render(64);  // takes the coefficients in
    settle(engine);
    engine.clearRecording();
    engine.renderInBlocks(44100, 4096);
    // The wet shares reach 1 within a few thousand samples. A track band runs its biquad twice
    // (stage 0, then stage 1), and a low shelf passes a constant at A^2 = 10^(gain / 20) each time:
    // the constant synth part of 0.125 (0.25 times half the synth share) comes out at 0.125 / 100.
    const double shelfAtZeroHz = std::pow(10.0, -20.0 / 20.0);
    EXPECT_NEAR(engine.trackOutput(0).back(), 0.125 * shelfAtZeroHz * shelfAtZeroHz, 1e-5);
    engine->placePlugin(VornDrums::kSynthSlot, nullptr);
}

// ---------------------------------------------------------------------------------------------
// Master gain

TEST(MasterGain, TheMasterFollowsTheTableAtOneFiftiethOfAPercentPerSample) {
    for (const int level : {64, 63, 0, 127, 100}) {
        Engine engine;
        makeProbeTrack(*engine, 0, kLongSound);
        settle(engine);
        test::stateOf(*engine).settings.masterLevel = static_cast<float>(level);
        test::stateOf(*engine).masterGain = 1.0f;
        strike(engine, 0);
        engine.renderInBlocks(kLongSound - 1000, 4096);
        const double target = test::stateOf(*engine).masterGainTable[static_cast<std::size_t>(level)];
        double gain = 1.0;
        const std::vector<float>& master = engine.masterLeft();
        for (std::size_t i = 0; i < 4096; ++i) {
            if (std::fabs(target - gain) > 1e-6)
                gain += (target - gain) * 0.0002;
            ASSERT_NEAR(master[i], 0.5 * gain, 1e-5) << "level " << level << " sample " << i;
        }
        // Settled: in single precision the last steps of 0.0002 of the difference vanish below
        // the gain's resolution, so it stops a few ten-thousandths short (under 0.01 dB).
        EXPECT_NEAR(master.back(), 0.5 * target, 0.5 * target * 1e-3 + 1e-6) << level;
    }
}

// ---------------------------------------------------------------------------------------------
// Send and insert slots

class EffectSlots : public ::testing::Test {
protected:
    void SetUp() override {
        makeProbeTrack(*engine, 0, kLongSound);  // 0.5
        test::stateOf(*engine).tracks.send1[0] = 1.0f;  // send gain 1
        test::stateOf(*engine).tracks.send2[0] = 1.0f;
        engine->updateTrackGains(0);
        settle(engine);
        strike(engine, 0);
        // Host outputs start dirty, so silence has to be written.
        engine.prepare(512);
        for (int c = 0; c < engine.channelCount(); ++c)
            std::fill(engine.channel(c), engine.channel(c) + 512, 7.0f);
    }
    void TearDown() override { test::takeBackLentPlugins(*engine); }

    static void halve(FakePlugin& plugin, int frames) {
        for (int c = 0; c < 2; ++c)
            for (int i = 0; i < frames; ++i)
                plugin.outputs[static_cast<std::size_t>(c)][static_cast<std::size_t>(i)] =
                    0.5f * plugin.inputs[static_cast<std::size_t>(c)][static_cast<std::size_t>(i)];
    }

    Engine engine;
    FakePlugin sendOne;
    FakePlugin sendTwo;
    FakePlugin insertOne;
    FakePlugin insertTwo;
};

TEST_F(EffectSlots, ASendGetsTheSendSumsAndItsReturnJoinsTheMasterAndItsOwnOutputs) {
    sendOne.process = halve;
    engine->placePlugin(0, &sendOne);
    test::stateOf(*engine).effectEnabled[0] = 1;
    engine.render(512);
    EXPECT_EQ(sendOne.processCalls, 1);
    EXPECT_EQ(sendOne.lastFrames, 512);
    for (std::size_t i = 0; i < 512; ++i)
        ASSERT_NEAR(sendOne.inputs[0][i], 0.5, 1e-5) << i;
    EXPECT_TRUE(allNear(engine.masterLeft(), 0.5 + 0.25, 1e-4));
    EXPECT_TRUE(allNear(engine.masterRight(), 0.5 + 0.25, 1e-4));
    EXPECT_TRUE(allNear(engine.recorded[static_cast<std::size_t>(engine.sendChannel(0, 0))], 0.25, 1e-5));
    EXPECT_TRUE(allNear(engine.recorded[static_cast<std::size_t>(engine.sendChannel(0, 1))], 0.25, 1e-5));
    EXPECT_TRUE(allNear(engine.recorded[static_cast<std::size_t>(engine.sendChannel(1, 0))], 0.0, 0.0)) << "empty slot";
    EXPECT_TRUE(allNear(engine.recorded[static_cast<std::size_t>(engine.sendChannel(1, 1))], 0.0, 0.0)) << "empty slot";
}

TEST_F(EffectSlots, BothSendsAddTheirReturns) {
    sendOne.process = halve;
    sendTwo.process = [](FakePlugin& plugin, int frames) {
        std::fill(plugin.outputs[0].begin(), plugin.outputs[0].begin() + frames, 0.125f);
        std::fill(plugin.outputs[1].begin(), plugin.outputs[1].begin() + frames, -0.125f);
    };
    engine->placePlugin(0, &sendOne);
    engine->placePlugin(1, &sendTwo);
    test::stateOf(*engine).effectEnabled[0] = test::stateOf(*engine).effectEnabled[1] = 1;
    engine.render(512);
    EXPECT_TRUE(allNear(engine.masterLeft(), 0.5 + 0.25 + 0.125, 1e-4));
    EXPECT_TRUE(allNear(engine.masterRight(), 0.5 + 0.25 - 0.125, 1e-4));
    EXPECT_TRUE(allNear(engine.recorded[static_cast<std::size_t>(engine.sendChannel(1, 1))], -0.125, 0.0));
    for (std::size_t i = 0; i < 512; ++i)
        ASSERT_NEAR(sendTwo.inputs[1][i], 0.5, 1e-5) << i;
}

TEST_F(EffectSlots, ASwitchedOffSendIsNotRunAndReturnsSilence) {
    sendOne.process = halve;
    std::fill(sendOne.outputs[0].begin(), sendOne.outputs[0].end(), 3.0f);
    std::fill(sendOne.outputs[1].begin(), sendOne.outputs[1].end(), 3.0f);
    engine->placePlugin(0, &sendOne);
    test::stateOf(*engine).effectEnabled[0] = 0;
    engine.render(512);
    EXPECT_EQ(sendOne.processCalls, 0);
    EXPECT_TRUE(allNear(engine.masterLeft(), 0.5, 1e-4));
    EXPECT_TRUE(allNear(engine.recorded[static_cast<std::size_t>(engine.sendChannel(0, 0))], 0.0, 0.0));
    EXPECT_TRUE(allNear(engine.recorded[static_cast<std::size_t>(engine.sendChannel(0, 1))], 0.0, 0.0));
}

TEST_F(EffectSlots, InsertEffectsReplaceTheMasterOneAfterTheOther) {
    insertOne.process = [](FakePlugin& plugin, int frames) {
        for (int c = 0; c < 2; ++c)
            for (int i = 0; i < frames; ++i)
                plugin.outputs[static_cast<std::size_t>(c)][static_cast<std::size_t>(i)] =
                    2.0f * plugin.inputs[static_cast<std::size_t>(c)][static_cast<std::size_t>(i)];
    };
    insertTwo.process = [](FakePlugin& plugin, int frames) {
        for (int i = 0; i < frames; ++i) {
            plugin.outputs[0][static_cast<std::size_t>(i)] = plugin.inputs[0][static_cast<std::size_t>(i)] + 0.125f;
            plugin.outputs[1][static_cast<std::size_t>(i)] = -plugin.inputs[1][static_cast<std::size_t>(i)];
        }
    };
    engine->placePlugin(2, &insertOne);
    engine->placePlugin(3, &insertTwo);
    test::stateOf(*engine).effectEnabled[2] = test::stateOf(*engine).effectEnabled[3] = 1;
    engine.render(512);
    EXPECT_TRUE(allNear(engine.masterLeft(), 0.5 * 2 + 0.125, 2e-4));
    EXPECT_TRUE(allNear(engine.masterRight(), -(0.5 * 2), 2e-4));
    EXPECT_TRUE(allNear(engine.trackOutput(0), 0.5, 1e-5));

    test::stateOf(*engine).effectEnabled[3] = 0;
    engine.clearRecording();
    engine.render(512);
    EXPECT_EQ(insertTwo.processCalls, 1);
    EXPECT_TRUE(allNear(engine.masterLeft(), 1.0, 2e-4));
    EXPECT_TRUE(allNear(engine.masterRight(), 1.0, 2e-4));
}

TEST_F(EffectSlots, HostedPluginsRunWhileTheBlockIsMarkedActive) {
    int activeSeen = -1;
    sendOne.process = [&](FakePlugin&, int) { activeSeen = test::stateOf(*engine).handshake.renderActive.load(); };
    engine->placePlugin(0, &sendOne);
    test::stateOf(*engine).effectEnabled[0] = 1;
    engine.render(64);
    EXPECT_GE(activeSeen, 1);
    EXPECT_EQ(test::stateOf(*engine).handshake.renderActive.load(), 0);
}

}  // namespace
}  // namespace rimba::engine_test
