// The block size the host chooses changes nothing in what is heard, except where the countdown
// rule says so: an event counted down from c fires at sample c - 1 of its block, and one counted
// down from 0 at sample 0, so a step whose start falls in the first sample of a block sounds one
// sample later than the same step in the middle of a block.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include <gtest/gtest.h>

#include "tests/plugin/core/EngineFixture.h"
#include "tests/support/InstrumentProbe.h"

namespace rimba::engine_test {
namespace {

// A decaying tone, the same on every run.
std::vector<std::int16_t> decayingTone(int frames, double cyclesPerFrame, double amplitude) {
    std::vector<std::int16_t> samples(static_cast<std::size_t>(frames));
    for (int n = 0; n < frames; ++n) {
        const double envelope = std::exp(-4.0 * n / frames);
        samples[static_cast<std::size_t>(n)] =
            static_cast<std::int16_t>(amplitude * envelope * std::sin(2.0 * 3.141592653589793 * cyclesPerFrame * n));
    }
    return samples;
}

void hit(VornDrums& drums, int track, int pattern, int step, float velocity, float roll = 0.0f) {
    auto& planes = test::stateOf(drums).patterns[static_cast<std::size_t>(track)];
    planes.stepVelocity[static_cast<std::size_t>(pattern)][static_cast<std::size_t>(step)] = velocity;
    planes.stepRoll[static_cast<std::size_t>(pattern)][static_cast<std::size_t>(step)] = roll;
}

// Two patterns chained, swing, rolls, a choke pair, a reversed and a looped sound, pitch that
// follows velocity, random keystrokes drawn at each start, track and master equalisers, pan and
// sends: everything that runs per sample or per step.
void setUpSong(Engine& engine) {
    VornDrums& drums = *engine;
    test::stateOf(drums).swing = 40;
    test::stateOf(drums).fillAttenuation = 20;
    test::stateOf(drums).playMode = 1;
    test::stateOf(drums).chainEnabled[0] = test::stateOf(drums).chainEnabled[1] = 1;
    test::stateOf(drums).randomAuto = 1;
    test::stateOf(drums).settings.masterLevel = 110.0f;

    for (int s = 0; s < 16; s += 4)
        hit(drums, 0, 0, s, 120.0f);
    hit(drums, 0, 1, 0, 127.0f);
    hit(drums, 0, 1, 10, 90.0f);
    hit(drums, 1, 0, 4, 100.0f);
    hit(drums, 1, 0, 12, 100.0f);
    hit(drums, 1, 0, 15, 80.0f, 2.0f);
    hit(drums, 1, 1, 4, 110.0f, 3.0f);
    for (int s = 0; s < 16; s += 2) {
        hit(drums, 2, 0, s, 60.0f + s);
        hit(drums, 2, 1, s + 1, 70.0f);
    }
    hit(drums, 3, 0, 6, 100.0f);
    hit(drums, 3, 0, 14, 100.0f);
    hit(drums, 3, 1, 7, 100.0f, 1.0f);
    hit(drums, 4, 0, 0, 127.0f, 3.0f);
    hit(drums, 4, 1, 9, 100.0f);

    TrackSettings& tracks = test::stateOf(drums).tracks;
    tracks.tuneVelocity[0] = 3.0f;
    tracks.pan[1] = 0.3f;
    tracks.send1[1] = 0.7f;
    tracks.oneShot[2] = 0.0f;  // released at every empty step: declick fades
    tracks.choke[2] = tracks.choke[3] = 1.0f;
    tracks.reverse[3] = 1.0f;
    tracks.end[3] = 0.8f;
    tracks.loop[4] = 1.0f;
    tracks.oneShot[4] = 0.0f;
    tracks.start[4] = 0.1f;
    tracks.end[4] = 0.4f;
    tracks.level[5] = 0.7f;
    tracks.pan[5] = 0.9f;
    tracks.randomMinDensity[5] = 2.0f;
    tracks.randomMaxDensity[5] = 5.0f;
    tracks.randomMaxRoll[5] = 2.0f;
    tracks.eqOnSample[1] = 1.0f;
    tracks.eqGain[1] = {0.3f, -0.4f, 0.5f};
    test::stateOf(drums).masterEqOn = 1.0f;
    test::stateOf(drums).masterEqGain = {-0.2f, 0.35f, 0.1f};
    for (int t = 0; t < 6; ++t)
        drums.updateTrack(t);
    for (int band = 0; band < kEqBands; ++band) {
        drums.queueEqUpdate(1, band);
        drums.queueEqUpdate(FilterUpdate::kMasterTarget, band);
    }

    assignSound(drums, 0, addSound(drums, decayingTone(9000, 0.002, 20000.0)));
    assignSound(drums, 1, addSound(drums, decayingTone(7000, 0.03, 15000.0), 22050.0f));
    assignSound(drums, 2, addSound(drums, decayingTone(3000, 0.21, 9000.0)));
    assignSound(drums, 3, addSound(drums, decayingTone(12000, 0.17, 8000.0), 48000.0f));
    assignSound(drums, 4, addSound(drums, decayingTone(6000, 0.01, 12000.0)));
    assignSound(drums, 5, addSound(drums, decayingTone(4000, 0.05, 10000.0)));
}

// The song from its start, after one silent block with the transport stopped that takes the
// queued equaliser settings in (they are applied at the end of a block, whatever its length).
void renderSong(Engine& engine, int blockSize, long total) {
    setUpSong(engine);
    test::stateOf(*engine).random.reseed(20240611);
    engine.stop();
    engine.render(64);
    engine.clearRecording();
    engine.play(0.0);
    engine.renderInBlocks(total, blockSize);
}

long firstDifference(const std::vector<float>& a, const std::vector<float>& b) {
    if (a.size() != b.size())
        return static_cast<long>(std::min(a.size(), b.size()));
    for (std::size_t i = 0; i < a.size(); ++i)
        if (std::memcmp(&a[i], &b[i], sizeof(float)) != 0)
            return static_cast<long>(i);
    return -1;
}

TEST(BlockSize, TwoBarsRenderBitIdenticallyInBlocksOf64_512_4096AndOddSizes) {
    const long total = 180224;  // two bars and a tail
    ASSERT_GT(total, 2 * kBar);
    Engine reference;
    renderSong(reference, 64, total);

    // The song is not silence: every played track has sounded on its own output.
    auto loudest = [](const std::vector<float>& channel) {
        float peak = 0.0f;
        for (float sample : channel)
            peak = std::max(peak, std::fabs(sample));
        return peak;
    };
    EXPECT_GT(loudest(reference.masterLeft()), 0.05f);
    for (int t = 0; t < 6; ++t)
        EXPECT_GT(loudest(reference.trackOutput(t)), 0.05f) << "track " << t;

    // 1000 and 333 are no multiples of the 16-sample control period.
    for (const int blockSize : {512, 4096, 1000, 333}) {
        for (long j = 1; j <= 32; ++j)
            ASSERT_NE(stepStart(j) % blockSize, 0) << "step " << j << " would start a block of " << blockSize;
        Engine other;
        renderSong(other, blockSize, total);
        for (int c = 0; c < reference.channelCount(); ++c) {
            EXPECT_EQ(firstDifference(reference.recorded[static_cast<std::size_t>(c)],
                                      other.recorded[static_cast<std::size_t>(c)]),
                      -1)
                << "channel " << c << " in blocks of " << blockSize;
        }
    }
}

// The countdown rule applied to a step boundary at `boundary` (samples, maybe fractional) with
// blocks of `blockSize` from sample 0: the block that holds the boundary gives the countdown
// trunc(boundary - blockStart); c fires at blockStart + c - 1, and 0 at blockStart.
long fireSample(double boundary, long blockSize) {
    const long blockStart = static_cast<long>(std::floor(boundary / static_cast<double>(blockSize))) * blockSize;
    const auto countdown = static_cast<long>(std::trunc(boundary - static_cast<double>(blockStart)));
    return blockStart + (countdown == 0 ? 0 : countdown - 1);
}

std::vector<long> probeOnsetsInBlocksOf(int blockSize) {
    Engine engine;
    makeProbeTrack(*engine, 0, 40);
    for (int s = 0; s < 4; ++s)
        hit(*engine, 0, 0, s, 100.0f);
    engine.play(0.0);
    engine.renderInBlocks(4 * kStep, blockSize);
    return onsets(engine.trackOutput(0));
}

TEST(BlockSize, AStepStartingInTheFirstSampleOfABlockSoundsOneSampleLater) {
    // 1378 * 4 = 5512: step 1 (at 5512.5) starts in the first sample of the fifth block.
    // 441 * 25 = 11025: step 2 starts exactly on the first sample of the 26th block.
    struct Case {
        int blockSize;
        int lateStep;
    };
    for (const Case c : {Case{1378, 1}, Case{441, 2}}) {
        std::vector<long> expected;
        for (int j = 0; j < 4; ++j) {
            expected.push_back(fireSample(j * kStep, c.blockSize));
            const long elsewhere = j == 0 ? 0 : stepStart(j) - 1;
            if (j == c.lateStep) {
                EXPECT_EQ(expected.back(), elsewhere + 1) << c.blockSize;
            } else {
                EXPECT_EQ(expected.back(), elsewhere) << c.blockSize << " step " << j;
            }
        }
        EXPECT_EQ(probeOnsetsInBlocksOf(c.blockSize), expected) << "blocks of " << c.blockSize;
    }
    // In blocks of 64 no step of the bar starts a block, and each sounds just before its start.
    EXPECT_EQ(probeOnsetsInBlocksOf(64), (std::vector<long>{0, stepStart(1) - 1, stepStart(2) - 1, stepStart(3) - 1}));
}

TEST(BlockSize, ABlockLongerThanAHostedPluginsBufferIsRenderedInPiecesWithTheSameResult) {
    Engine whole;
    Engine pieces;
    for (Engine* engine : {&whole, &pieces}) {
        makeProbeTrack(**engine, 0, 3000);
        for (int s = 0; s < 16; ++s)
            hit(**engine, 0, 0, s, 100.0f, s % 3 == 0 ? 2.0f : 0.0f);
        engine->play(0.0);
    }
    whole.renderInBlocks(kBar, 10000);
    pieces.renderInBlocks(kBar, 2000);
    EXPECT_EQ(firstDifference(whole.masterLeft(), pieces.masterLeft()), -1);
    EXPECT_EQ(firstDifference(whole.trackOutput(0), pieces.trackOutput(0)), -1);
}

}  // namespace
}  // namespace rimba::engine_test
