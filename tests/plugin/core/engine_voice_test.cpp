// One drum voice sample by sample: interpolation, the velocity gain, starts, retriggers and
// releases with their declick fades, reverse and looped playback, and bounds that move or reach
// beyond the sound.

#include <cmath>
#include <cstdint>
#include <vector>

#include <gtest/gtest.h>

#include "tests/plugin/core/EngineFixture.h"
#include "tests/support/InstrumentProbe.h"

namespace rimba::engine_test {
namespace {

constexpr std::int32_t kStart = 1;
constexpr std::int32_t kRelease = 0;
constexpr std::int32_t kChoke = 2;

class Voice : public ::testing::Test {
protected:
    Engine engine;
    VornDrums& drums = *engine;
    TrackVoice& voice = test::stateOf(drums).voices[0];

    // Track 0 gets `samples`; its velocity gain is 1 for every velocity and already there, and
    // its voice has finished an earlier note.
    void giveSound(std::vector<std::int16_t> samples, float sampleRate = 44100.0f) {
        test::stateOf(drums).tracks.levelVelocity[0] = 0.0f;
        assignSound(drums, 0, addSound(drums, std::move(samples), sampleRate));
        voice.velocityGain = voice.targetVelocityGain = 1.0f;
        voice.position = voice.endBound;
        voice.gateOn = 0;
        voice.fading = 0;
        voice.restartPending = 0;
    }

    void command(std::int32_t which, int velocity = 100) {
        if (which == kStart) {
            drums.auditionStart(0, velocity, false);
        } else {
            voice.command = which;
        }
    }

    std::vector<float> run(int samples) {
        std::vector<float> out;
        for (int i = 0; i < samples; ++i)
            out.push_back(drums.renderVoice(voice));
        return out;
    }
};

// The frame value at a fractional position, interpolated as the rule says, in 1/32768.
double interpolated(const std::vector<std::int16_t>& s, double position) {
    const auto n = static_cast<std::size_t>(std::trunc(position));
    return (s[n] + (s[n + 1] - s[n]) * (position - static_cast<double>(n))) / 32768.0;
}

TEST_F(Voice, PlaysItsSoundByLinearInterpolationAtTheRateOfTheSound) {
    const std::vector<std::int16_t> samples = rampSamples(1000, 7);
    giveSound(samples, 22050.0f);  // half the instrument's rate: half a frame per sample
    ASSERT_EQ(voice.rate, 0.5f);
    command(kStart);
    const std::vector<float> out = run(1000);
    for (int k = 0; k < 1000; ++k) {
        const double position = 0.5 * (k + 1);  // advanced before it is read
        const double expected = position < 1000 - 3 ? interpolated(samples, position) : 0.0;
        ASSERT_NEAR(out[static_cast<std::size_t>(k)], expected, 1e-6) << k;
    }
}

TEST_F(Voice, TheVelocityGainRisesByOnePercentPerSampleAndFallsAtOnce) {
    test::stateOf(drums).tracks.levelVelocity[0] = 1.0f;
    assignSound(drums, 0, addSound(drums, constantSamples(300, 16384)));
    voice.position = 300.0f;  // finished
    voice.gateOn = voice.fading = voice.restartPending = 0;
    drums.auditionStart(0, 64, false);  // gain 64/128 = 0.5
    const std::vector<float> rising = run(200);
    // The gain is updated before the start is taken, so the first sample still has the old one.
    double gain = 0.0;
    for (int k = 0; k < 200; ++k) {
        if (k > 0)
            gain += (0.5 - gain) * 0.01;
        ASSERT_NEAR(rising[static_cast<std::size_t>(k)], 0.5 * gain, 1e-6) << k;
    }
    run(200);  // past the end of the sound
    drums.auditionStart(0, 32, false);  // gain 0.25: taken at once from the next sample
    const std::vector<float> falling = run(3);
    EXPECT_NEAR(falling[1], 0.5 * 0.25, 1e-6);
    EXPECT_NEAR(falling[2], 0.5 * 0.25, 1e-6);
}

// The sample count of a declick fade of a constant output `level`: the output of fade sample k
// is level * 0.99^k, and the fade ends at the first output below 1e-4.
int fadeLength(double level) {
    int k = 0;
    double gain = 1.0;
    while (level * gain >= 1e-4) {
        gain *= 0.99;
        ++k;
    }
    return k;
}

TEST_F(Voice, RetriggerOfASoundingVoiceFadesThenRestartsFromTheStart) {
    for (const float oneShot : {1.0f, 0.0f}) {
        test::stateOf(drums).tracks.oneShot[0] = oneShot;
        giveSound(constantSamples(20000, 16384));  // 0.5
        command(kStart);
        run(100);
        ASSERT_EQ(voice.position, 100.0f);
        command(kStart);
        const int fade = fadeLength(0.5);
        ASSERT_GT(fade, 100);
        const std::vector<float> out = run(fade + 3);
        for (int k = 0; k < fade; ++k)
            ASSERT_NEAR(out[static_cast<std::size_t>(k)], 0.5 * std::pow(0.99, k), 1e-6) << k;
        EXPECT_EQ(out[static_cast<std::size_t>(fade)], 0.0f) << "the restart sample is silent";
        EXPECT_EQ(out[static_cast<std::size_t>(fade) + 1], 0.5f) << "then the sound from its start, at full level";
        EXPECT_EQ(voice.position, 2.0f);
        EXPECT_EQ(voice.declickGain, 1.0f);
    }
}

TEST_F(Voice, RetriggerOfAFinishedVoiceStartsAtOnce) {
    giveSound(constantSamples(50, 16384));
    command(kStart);
    run(100);  // well past the end
    command(kStart);
    const std::vector<float> out = run(2);
    EXPECT_EQ(out[0], 0.5f);
    EXPECT_EQ(voice.position, 2.0f);
}

TEST_F(Voice, AOneShotVoiceIgnoresANoteOff) {
    const std::vector<std::int16_t> samples = rampSamples(600, 9);
    giveSound(samples);
    command(kStart);
    run(50);
    command(kRelease);
    const std::vector<float> out = run(600);
    EXPECT_EQ(voice.gateOn, 0);
    for (int k = 0; k < 600; ++k) {
        const int position = 50 + k + 1;
        const double expected = position < 600 - 3 ? samples[static_cast<std::size_t>(position)] / 32768.0 : 0.0;
        ASSERT_NEAR(out[static_cast<std::size_t>(k)], expected, 1e-7) << k;
    }
}

TEST_F(Voice, ANoteOffFadesAVoiceThatIsNotOneShotByNinetyNinePercentPerSample) {
    test::stateOf(drums).tracks.oneShot[0] = 0.0f;
    giveSound(constantSamples(20000, 8192));  // 0.25
    command(kStart);
    run(10);
    command(kRelease);
    const int fade = fadeLength(0.25);
    const std::vector<float> out = run(fade + 1000);
    for (int k = 0; k < fade; ++k)
        ASSERT_NEAR(out[static_cast<std::size_t>(k)], 0.25 * std::pow(0.99, k), 1e-6) << k;
    // The sample that falls below 1e-4 is the last one; the voice is idle afterwards.
    EXPECT_LT(std::fabs(out[static_cast<std::size_t>(fade)]), 1e-4f);
    EXPECT_GT(std::fabs(out[static_cast<std::size_t>(fade)]), 0.0f);
    for (std::size_t k = static_cast<std::size_t>(fade) + 1; k < out.size(); ++k)
        ASSERT_EQ(out[k], 0.0f) << k;
    EXPECT_EQ(voice.position, -1.0f);
    EXPECT_EQ(voice.fading, 0);
}

TEST_F(Voice, AChokeFadesEvenAOneShotVoice) {
    giveSound(constantSamples(20000, 8192));
    command(kStart);
    run(10);
    command(kChoke);
    const int fade = fadeLength(0.25);
    const std::vector<float> out = run(fade + 10);
    EXPECT_NEAR(out[1], 0.25 * 0.99, 1e-6);
    EXPECT_LT(std::fabs(out[static_cast<std::size_t>(fade)]), 1e-4f);
    EXPECT_EQ(out[static_cast<std::size_t>(fade) + 1], 0.0f);
    EXPECT_EQ(voice.position, -1.0f);
}

// Reverse playback starts at frameCount * end - 1, and the last three frames before the end
// bound are never read, so the first two samples of a reverse start are silent.
TEST_F(Voice, ReverseStartsOneFrameBeforeTheEndAndSkipsTheLastThreeFrames) {
    const std::vector<std::int16_t> samples = rampSamples(1000, 8);
    for (const float end : {0.5f, 1.0f}) {
        test::stateOf(drums).tracks.reverse[0] = 1.0f;
        test::stateOf(drums).tracks.end[0] = end;
        giveSound(samples);
        const double endBound = 1000.0 * end;
        ASSERT_EQ(voice.endBound, static_cast<float>(endBound));
        command(kStart);
        const std::vector<float> out = run(600);
        EXPECT_EQ(voice.startFrame, static_cast<float>(endBound - 1));
        for (int k = 0; k < 600; ++k) {
            const double position = endBound - 1 - (k + 1);
            const double expected =
                position >= 0 && position < endBound - 3 ? samples[static_cast<std::size_t>(position)] / 32768.0 : 0.0;
            ASSERT_NEAR(out[static_cast<std::size_t>(k)], expected, 1e-7) << "end " << end << " sample " << k;
        }
        EXPECT_EQ(out[0], 0.0f);
        EXPECT_EQ(out[1], 0.0f);
        EXPECT_NE(out[2], 0.0f);
    }
}

// The positions a looped voice runs through, computed from the rule: advance, then jump to the
// other bound when past it.
std::vector<double> loopPositions(double startBound, double endBound, double startFrame, bool reverse, int count) {
    std::vector<double> positions;
    double position = startFrame;
    for (int k = 0; k < count; ++k) {
        if (reverse) {
            position -= 1.0;
            if (position < startBound)
                position = endBound;
        } else {
            position += 1.0;
            if (position >= endBound)
                position = startBound;
        }
        positions.push_back(position);
    }
    return positions;
}

TEST_F(Voice, ALoopedVoiceJumpsBetweenItsBoundsInBothDirections) {
    const std::vector<std::int16_t> samples = rampSamples(1000, 8);
    for (const bool reverse : {false, true}) {
        test::stateOf(drums).tracks.loop[0] = 1.0f;
        test::stateOf(drums).tracks.reverse[0] = reverse ? 1.0f : 0.0f;
        test::stateOf(drums).tracks.start[0] = 0.1f;
        test::stateOf(drums).tracks.end[0] = 0.2f;
        giveSound(samples);
        const double startBound = voice.startBound;
        const double endBound = voice.endBound;
        ASSERT_NEAR(startBound, 100.0, 1e-3);
        ASSERT_NEAR(endBound, 200.0, 1e-3);
        command(kStart);
        const std::vector<float> out = run(350);
        const double startFrame = reverse ? endBound - 1 : startBound;
        const std::vector<double> positions = loopPositions(startBound, endBound, startFrame, reverse, 350);
        int wraps = 0;
        for (int k = 0; k < 350; ++k) {
            const double p = positions[static_cast<std::size_t>(k)];
            wraps += k > 0 && std::fabs(p - positions[static_cast<std::size_t>(k - 1)]) > 1.5;
            const double expected = p >= startBound && p < endBound - 3 ? interpolated(samples, p) : 0.0;
            ASSERT_NEAR(out[static_cast<std::size_t>(k)], expected, 1e-6) << (reverse ? "reverse " : "forward ") << k;
        }
        EXPECT_GE(wraps, 3);
    }
}

TEST_F(Voice, RecomputeBoundsIdlesAVoiceThatLiesOutsideTheNewBounds) {
    giveSound(rampSamples(1000, 8));
    command(kStart);
    run(300);
    command(kRelease);  // a released one-shot voice plays on
    run(1);
    ASSERT_EQ(voice.position, 301.0f);

    test::stateOf(drums).tracks.start[0] = 0.1f;  // still inside
    drums.recomputeBounds(0);
    EXPECT_EQ(voice.position, 301.0f);

    test::stateOf(drums).tracks.start[0] = 0.5f;
    drums.recomputeBounds(0);
    EXPECT_EQ(voice.startBound, 500.0f);
    EXPECT_EQ(voice.position, -1.0f);
    for (float sample : run(2000))
        ASSERT_EQ(sample, 0.0f);
}

// Start and end points are settings that may point beyond the sound: the voice then reads
// nothing there (AddressSanitizer watches the reads).
TEST_F(Voice, BoundsBeyondTheSoundReadNothingOutsideIt) {
    const std::vector<std::int16_t> samples = rampSamples(100, 50);
    for (const float reverse : {0.0f, 1.0f}) {
        test::stateOf(drums).tracks.reverse[0] = reverse;
        test::stateOf(drums).tracks.start[0] = 0.0f;
        test::stateOf(drums).tracks.end[0] = 1.5f;
        giveSound(samples);
        ASSERT_EQ(voice.endBound, 150.0f);
        command(kStart);
        const std::vector<float> out = run(200);
        for (int k = 0; k < 200; ++k) {
            const double position = reverse != 0.0f ? 149.0 - (k + 1) : k + 1.0;
            // Frames 0..99 exist; the interpolation needs the next frame as well.
            const double expected = position >= 0 && position < 147 && position + 1 < 100
                                        ? samples[static_cast<std::size_t>(position)] / 32768.0
                                        : 0.0;
            ASSERT_NEAR(out[static_cast<std::size_t>(k)], expected, 1e-7) << "reverse " << reverse << " sample " << k;
        }
    }
    test::stateOf(drums).tracks.reverse[0] = 0.0f;
    test::stateOf(drums).tracks.start[0] = -0.5f;
    test::stateOf(drums).tracks.end[0] = 3.0f;
    giveSound(samples);
    command(kStart);
    for (float sample : run(400))
        ASSERT_TRUE(std::isfinite(sample));
}

TEST_F(Voice, AVoiceWithoutASoundOrWhileLoadingRendersNothingAndStaysWhereItIs) {
    giveSound(constantSamples(1000, 16384));
    command(kStart);
    run(10);
    voice.loading = 1;
    for (float sample : run(20))
        ASSERT_EQ(sample, 0.0f);
    EXPECT_EQ(voice.position, 10.0f);
    voice.loading = 0;
    voice.soundIndex = -1;
    for (float sample : run(20))
        ASSERT_EQ(sample, 0.0f);
    voice.soundIndex = 57;  // beyond the list
    for (float sample : run(20))
        ASSERT_EQ(sample, 0.0f);
    EXPECT_EQ(voice.position, 10.0f);
}

// The editor's pad sounds its own track (not the first track that shares its key) at the start
// of the next block, and its release lets the voice go.
TEST(EditorPad, APadPressSoundsTheTrackAtTheNextBlockAndTheReleaseLetsItGo) {
    Engine engine;
    engine.stop();
    engine.prepare(64);
    makeProbeTrack(*engine, 2, 44100);
    test::stateOf(*engine).settings.trackKey[1] =
        test::stateOf(*engine).settings.trackKey[2];  // a key two tracks share
    engine->padNote(2, 127);
    EXPECT_EQ(test::stateOf(*engine).voices[2].velocity, 0);  // nothing before the render loop takes it
    engine.render(64);
    EXPECT_EQ(test::stateOf(*engine).voices[2].velocity, 127);
    EXPECT_EQ(test::stateOf(*engine).voices[2].gateOn, 1);
    EXPECT_NE(engine.trackOutput(2)[0], 0.0f);
    for (int t : {0, 1, 3})
        EXPECT_EQ(test::stateOf(*engine).voices[static_cast<std::size_t>(t)].velocity, 0) << t;

    engine->padNote(2, 0);
    engine.render(64);
    EXPECT_EQ(test::stateOf(*engine).voices[2].gateOn, 0);
    engine->padNote(40, 127);  // no such track: nothing is queued
    EXPECT_TRUE(test::stateOf(*engine).editorNotes.empty());
}

}  // namespace
}  // namespace rimba::engine_test
