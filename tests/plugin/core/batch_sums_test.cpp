// The sums of a batch against mixSample's sums written out here: the master, the send inputs,
// the track outputs, the voices' peaks and last track signals, from rows of track signals and
// stretches of gains, must come out as summing voice by voice, sample by sample, gives them, to
// the bit.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "plugin/core/BatchSums.h"
#include "plugin/core/DenormalGuard.h"
#include "tests/plugin/core/EngineFixture.h"
#include "tests/support/LentPlugins.h"
#include "tests/support/InstrumentProbe.h"

namespace rimba::engine_test {
namespace {

constexpr int kFrames = 37;
constexpr int kAt = 3;  // the batch starts a few samples into the block
constexpr int kGainLeft = VornDrums::kTargetGainLeft;

std::uint32_t bitsOf(float value) {
    std::uint32_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

// A batch's rows and gains as the voices and equalisers would leave them: twelve tracks, some
// silent, some muted, one track whose voice serves another, and three stretches of gains whose
// edges fall inside groups of four samples.
class BatchSumsTest : public ::testing::Test {
protected:
    void prepare() {
        VornDrums& drums = *engine;
        drums.placePlugin(0, &sends[0]);
        drums.placePlugin(1, &sends[1]);
        std::mt19937 random(3);
        auto uniform = [&](float low, float high) { return std::uniform_real_distribution<float>(low, high)(random); };
        batch::BatchScratch& s = *scratch;
        std::fill(std::begin(s.voiceOfTrack), std::end(s.voiceOfTrack), -1);
        test::stateOf(drums).voices[9].track = 14;  // a voice away from its track leaves track 9 without one
        for (float& signal : test::stateOf(drums).trackSignal)
            signal = uniform(-1.0f, 1.0f);
        for (int v = 0; v < kTrackSlots; ++v) {
            TrackVoice& voice = test::stateOf(drums).voices[static_cast<std::size_t>(v)];
            batch::VoicePlan& plan = s.plans[v];
            plan = {};
            voice.peakLeft = uniform(0.0f, 0.3f);
            voice.peakRight = uniform(0.0f, 0.3f);
            if (voice.track >= test::stateOf(drums).trackCount)
                continue;
            s.voiceOfTrack[voice.track] = v;
            plan.mixed = true;
            plan.heard = v % 5 != 4;
            plan.silent = v % 4 == 1;
            plan.column = (v * 7) % kTrackSlots;  // columns need not follow voice order
        }
        s.layout.count = kTrackSlots;
        for (int k = 0; k < batch::kBatchFrames; ++k)
            for (int c = 0; c < batch::kRowWidth; ++c)
                s.rows[k][c] = uniform(-1.0f, 1.0f);
        const int edges[] = {0, 3, 19, kFrames};
        s.spanCount = 3;
        for (int span = 0; span < s.spanCount; ++span) {
            s.spans[span] = {edges[span], edges[span + 1], span > 0};
            s.spanTable[span] = 2 * span;
            for (int value = 0; value < batch::kControlValues; ++value)
                for (int v = 0; v < kTrackSlots; ++v)
                    s.control[2 * span][value][v] = uniform(-1.5f, 1.5f);
        }
        // Silent voices that still change something: a peak below zero rises to zero, and an
        // infinite gain makes 0 times it not a number.
        test::stateOf(drums).voices[1].peakLeft = -1.0f;
        s.control[2][kGainLeft + 3][5] = std::numeric_limits<float>::infinity();
        channels.assign(static_cast<std::size_t>(drums.getAeffect()->numOutputs),
                        std::vector<float>(kAt + kFrames, 7.0f));
        outputs.clear();
        for (auto& channel : channels)
            outputs.push_back(channel.data());
        outputs[2 + 5] = nullptr;  // a host that left a track output out
    }

    // mixSample's sums: every mixed voice in voice order, its track signal times its gains.
    struct Expected {
        std::vector<std::vector<float>> channels;
        std::vector<float> sends[4];
        float peakLeft[kTrackSlots];
        float peakRight[kTrackSlots];
        float trackSignal[kTrackSlots];
    };

    Expected expect(bool metering) {
        VornDrums& drums = *engine;
        const batch::BatchScratch& s = *scratch;
        Expected e;
        e.channels = channels;
        for (int v = 0; v < kTrackSlots; ++v) {
            e.peakLeft[v] = test::stateOf(drums).voices[static_cast<std::size_t>(v)].peakLeft;
            e.peakRight[v] = test::stateOf(drums).voices[static_cast<std::size_t>(v)].peakRight;
        }
        std::copy(test::stateOf(drums).trackSignal.begin(), test::stateOf(drums).trackSignal.end(), e.trackSignal);
        for (int span = 0; span < s.spanCount; ++span) {
            const float(*gains)[kTrackSlots] = s.control[s.spanTable[span]];
            for (int k = s.spans[span].begin; k < s.spans[span].end; ++k) {
                float sum[6] = {};
                for (int v = 0; v < kTrackSlots; ++v) {
                    const batch::VoicePlan& plan = s.plans[v];
                    if (!plan.mixed)
                        continue;
                    const float p = plan.silent ? 0.0f : s.rows[k][plan.column];
                    e.trackSignal[test::stateOf(drums).voices[static_cast<std::size_t>(v)].track] = p;
                    if (plan.heard) {
                        for (int o = 0; o < 6; ++o)
                            sum[o] += p * gains[kGainLeft + o][v];
                        e.peakLeft[v] = std::max(e.peakLeft[v], std::fabs(p * gains[kGainLeft][v]));
                        e.peakRight[v] = std::max(e.peakRight[v], std::fabs(p * gains[kGainLeft + 1][v]));
                    }
                    if (metering) {
                        if (e.peakLeft[v] > 1e-5f)
                            e.peakLeft[v] *= 0.9999f;
                        if (e.peakRight[v] > 1e-5f)
                            e.peakRight[v] *= 0.9999f;
                    }
                }
                e.channels[0][static_cast<std::size_t>(kAt + k)] = sum[0];
                e.channels[1][static_cast<std::size_t>(kAt + k)] = sum[1];
                for (int t = 0; t < test::stateOf(drums).trackCount; ++t)
                    e.channels[static_cast<std::size_t>(2 + t)][static_cast<std::size_t>(kAt + k)] = e.trackSignal[t];
                for (int o = 2; o < 6; ++o)
                    e.sends[o - 2].push_back(sum[o]);
            }
        }
        return e;
    }

    Engine engine;
    FakePlugin sends[2];
    std::unique_ptr<batch::BatchScratch> scratch = std::make_unique<batch::BatchScratch>();
    std::vector<std::vector<float>> channels;
    std::vector<float*> outputs;

    void TearDown() override { test::takeBackLentPlugins(*engine); }
};

::testing::AssertionResult sameSamples(const std::vector<float>& got, const std::vector<float>& want, int from) {
    for (std::size_t i = static_cast<std::size_t>(from); i < want.size(); ++i)
        if (bitsOf(got[i]) != bitsOf(want[i]))
            return ::testing::AssertionFailure() << "sample " << i << ": " << got[i] << " instead of " << want[i];
    return ::testing::AssertionSuccess();
}

TEST_F(BatchSumsTest, SumsComeOutAsMixSampleAddsThemVoiceByVoice) {
    DenormalGuard flushDenormals;  // as renderBlock runs both paths
    for (const bool metering : {false, true}) {
        SCOPED_TRACE(metering ? "metering" : "not metering");
        prepare();
        const Expected expected = expect(metering);
        batch::mixBatch(
            test::stateOf(*engine), *scratch,
            {.outputs = outputs.data(), .at = kAt, .frames = kFrames, .trackOutputs = true, .metering = metering});
        EXPECT_TRUE(sameSamples(channels[0], expected.channels[0], 0)) << "master left";
        EXPECT_TRUE(sameSamples(channels[1], expected.channels[1], 0)) << "master right";
        for (int t = 0; t < test::stateOf(*engine).trackCount; ++t) {
            if (t != 5) {
                EXPECT_TRUE(sameSamples(channels[static_cast<std::size_t>(2 + t)],
                                        expected.channels[static_cast<std::size_t>(2 + t)], 0))
                    << "track " << t;
            }
        }
        EXPECT_TRUE(sameSamples(channels[2 + 5], std::vector<float>(kAt + kFrames, 7.0f), 0)) << "left out";
        for (int send = 0; send < 4; ++send) {
            const auto& input = sends[send / 2].inputs[static_cast<std::size_t>(send % 2)];
            EXPECT_TRUE(sameSamples(std::vector<float>(input.begin() + kAt, input.begin() + kAt + kFrames),
                                    expected.sends[send], 0))
                << "send input " << send;
        }
        for (int v = 0; v < kTrackSlots; ++v) {
            const TrackVoice& voice = test::stateOf(*engine).voices[static_cast<std::size_t>(v)];
            EXPECT_EQ(bitsOf(voice.peakLeft), bitsOf(expected.peakLeft[v])) << "voice " << v;
            EXPECT_EQ(bitsOf(voice.peakRight), bitsOf(expected.peakRight[v])) << "voice " << v;
        }
        for (int t = 0; t < test::stateOf(*engine).trackCount; ++t)
            EXPECT_EQ(bitsOf(test::stateOf(*engine).trackSignal[static_cast<std::size_t>(t)]),
                      bitsOf(expected.trackSignal[t]))
                << "track " << t;
    }
}

}  // namespace
}  // namespace rimba::engine_test
