// The equaliser lanes of the batched render path against plain scalar biquads written out here:
// the tracks' equalisers side by side (four on SSE2, eight on AVX2, each set the processor has),
// and the master's two channels side by side, must
// give every sample and leave every stage's state as one Direct Form I biquad per stage gives
// and leaves them, in single precision and in the order of the sample-by-sample path (Mixer.cpp),
// to the bit.

#include <cmath>
#include <cstdint>
#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "plugin/core/BatchScratch.h"
#include "plugin/core/DenormalGuard.h"

namespace rimba {
namespace {

using batch::TrackBands;

// One stage: an input of exactly 0 becomes 1e-5 (the path's denormal guard), an output within
// 1e-10 of 0 becomes 0, and the output is blended with the input by the stage's wet share.
float referenceStage(const EqCoefficients& c, EqStage& s, float input) {
    const float x = input == 0.0f ? 1e-5f : input;
    float y = c.b0 * x + c.b1 * s.x1 + c.b2 * s.x2 - c.a1 * s.y1 - c.a2 * s.y2;
    if (std::fabs(y) <= 1e-10f)
        y = 0.0f;
    s.x2 = s.x1;
    s.x1 = x;
    s.y2 = s.y1;
    s.y1 = y;
    return (1.0f - s.mix) * x + s.mix * y;
}

// A track's equaliser: every stage's wet share rises towards 1, then the stages run in order.
float referenceTrack(TrackBands& bands, float input) {
    float m = input;
    for (EqBand& band : bands) {
        for (EqStage& stage : band.stages) {
            if (1.0f - stage.mix > 1e-6f)
                stage.mix += (1.0f - stage.mix) * 0.01f;
            m = referenceStage(band.coefficients, stage, m);
        }
    }
    return m;
}

std::uint32_t bitsOf(float value) {
    std::uint32_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

::testing::AssertionResult sameBands(const TrackBands& a, const TrackBands& b) {
    for (std::size_t band = 0; band < a.size(); ++band) {
        for (std::size_t s = 0; s < 2; ++s) {
            const EqStage& x = a[band].stages[s];
            const EqStage& y = b[band].stages[s];
            const float got[] = {x.x1, x.x2, x.y1, x.y2, x.mix};
            const float want[] = {y.x1, y.x2, y.y1, y.y2, y.mix};
            for (std::size_t f = 0; f < std::size(got); ++f)
                if (bitsOf(got[f]) != bitsOf(want[f]))
                    return ::testing::AssertionFailure() << "band " << band << " stage " << s << " value " << f << ": "
                                                         << got[f] << " instead of " << want[f];
        }
        if (bitsOf(a[band].targetMix) != bitsOf(b[band].targetMix))
            return ::testing::AssertionFailure() << "band " << band << " target";
    }
    return ::testing::AssertionSuccess();
}

float uniform(std::mt19937& random, float low, float high) {
    return std::uniform_real_distribution<float>(low, high)(random);
}

enum class Wet { Rising, Settled, Mixed };

// Bands of a random design and history, with wet shares that still rise, that have settled at 1,
// or some of each.
TrackBands randomBands(std::mt19937& random, Wet wet) {
    TrackBands bands;
    for (int b = 0; b < kEqBands; ++b) {
        EqBand& band = bands[static_cast<std::size_t>(b)];
        band.coefficients = designEqBand(eqBandKind(b), uniform(random, -15.0f, 15.0f),
                                         uniform(random, 40.0f, 12000.0f), uniform(random, 0.1f, 1.0f), 44100.0);
        for (EqStage& stage : band.stages) {
            stage = {uniform(random, -0.5f, 0.5f), uniform(random, -0.5f, 0.5f), uniform(random, -0.5f, 0.5f),
                     uniform(random, -0.5f, 0.5f), 1.0f};
            if (wet == Wet::Rising || (wet == Wet::Mixed && random() % 2 == 0))
                stage.mix = random() % 3 == 0 ? 0.0f : uniform(random, 0.0f, 1.0f);
        }
    }
    return bands;
}

struct TrackCase {
    int tracks;
    int frames;
    Wet wet;
};

// From fewer samples than there are stages (the pipeline never fills) to a whole batch, with
// spare lanes in the last group and every number of groups.
const TrackCase kTrackCases[] = {
    {1, 1, Wet::Rising},    {3, 2, Wet::Mixed},    {4, 5, Wet::Rising},     {5, 6, Wet::Settled},
    {6, 7, Wet::Mixed},     {8, 8, Wet::Rising},   {11, 33, Wet::Settled},  {12, 64, Wet::Mixed},
    {13, 255, Wet::Rising}, {16, 256, Wet::Mixed}, {16, 256, Wet::Settled}, {2, 200, Wet::Rising},
};

// Each instruction set the processor has: SSE2 always, AVX2 where there is one.
std::vector<batch::EqualiserSet> availableSets() {
    std::vector<batch::EqualiserSet> sets{batch::EqualiserSet::Sse2};
    if (batch::equaliserSetAvailable(batch::EqualiserSet::Avx2))
        sets.push_back(batch::EqualiserSet::Avx2);
    return sets;
}

TEST(EqualiserLanes, TracksSideBySideFilterAsTheirOwnBiquadsOnEveryInstructionSet) {
    DenormalGuard flushDenormals;  // as renderBlock runs both paths
    constexpr int kFirstColumn = 3;  // the equalised tracks' run of columns starts anywhere
    std::mt19937 random(5);
    auto input = std::make_unique<batch::BatchScratch>();
    auto scratch = std::make_unique<batch::BatchScratch>();
    for (const TrackCase& test : kTrackCases) {
        SCOPED_TRACE(std::to_string(test.tracks) + " tracks, " + std::to_string(test.frames) + " samples");
        std::vector<TrackBands> original(static_cast<std::size_t>(test.tracks));
        for (auto& track : original)
            track = randomBands(random, test.wet);
        for (int k = 0; k < batch::kBatchFrames; ++k) {
            for (int c = 0; c < batch::kRowWidth; ++c) {
                input->rows[k][c] = uniform(random, -1.0f, 1.0f);
                // Exact zeros meet the guard; track 1 hears only a whisper that its stages flush.
                if (c == kFirstColumn + 1)
                    input->eqRows[k][c] = uniform(random, 1e-12f, 2e-12f);
                else
                    input->eqRows[k][c] = k % 7 == 3 ? 0.0f : uniform(random, -1.0f, 1.0f);
            }
        }
        if (test.tracks > 1)
            for (EqBand& band : original[1])
                for (EqStage& stage : band.stages)
                    stage.x1 = stage.x2 = stage.y1 = stage.y2 = 0.0f;

        std::vector<TrackBands> expectedBands = original;
        std::vector<float> expected(static_cast<std::size_t>(test.frames * batch::kRowWidth));
        for (int k = 0; k < test.frames; ++k) {
            for (int c = 0; c < batch::kRowWidth; ++c) {
                const int track = c - kFirstColumn;
                float value = input->rows[k][c];
                if (track >= 0 && track < test.tracks)
                    value += referenceTrack(expectedBands[static_cast<std::size_t>(track)], input->eqRows[k][c]);
                expected[static_cast<std::size_t>(k * batch::kRowWidth + c)] = value;
            }
        }

        for (const batch::EqualiserSet set : availableSets()) {
            SCOPED_TRACE(set == batch::EqualiserSet::Avx2 ? "AVX2" : "SSE2");
            std::vector<TrackBands> bands = original;
            std::vector<TrackBands*> pointers;
            for (auto& track : bands)
                pointers.push_back(&track);
            std::memcpy(scratch->rows, input->rows, sizeof scratch->rows);
            std::memcpy(scratch->eqRows, input->eqRows, sizeof scratch->eqRows);
            batch::equaliseTrackColumnsWith(set, pointers.data(), test.tracks, kFirstColumn, scratch->rows,
                                            scratch->eqRows, test.frames);

            // Columns outside the tracks, spare lanes among them, keep their signal.
            int wrong = 0;
            for (int k = 0; k < test.frames && wrong < 5; ++k) {
                for (int c = 0; c < batch::kRowWidth; ++c) {
                    const float want = expected[static_cast<std::size_t>(k * batch::kRowWidth + c)];
                    if (bitsOf(scratch->rows[k][c]) != bitsOf(want)) {
                        ADD_FAILURE() << "sample " << k << " column " << c << ": " << scratch->rows[k][c]
                                      << " instead of " << want;
                        ++wrong;
                    }
                }
            }
            for (int t = 0; t < test.tracks; ++t)
                EXPECT_TRUE(sameBands(bands[static_cast<std::size_t>(t)], expectedBands[static_cast<std::size_t>(t)]))
                    << "track " << t;
        }
    }
}

// The master equaliser: each band that is on or still fading out runs over the whole block
// before the next, left and then right at each sample, its wet share moving towards the target
// (approachMix in Mixer.cpp).
void referenceMaster(TrackBands& bands, float target, std::vector<float>& left, std::vector<float>& right) {
    for (EqBand& band : bands) {
        band.targetMix = target;
        if (target == 0.0f && band.stages[0].mix <= 1e-6f)
            continue;
        for (std::size_t i = 0; i < left.size(); ++i) {
            for (int side = 0; side < 2; ++side) {
                EqStage& stage = band.stages[static_cast<std::size_t>(side)];
                const float difference = target - stage.mix;
                if (std::fabs(difference) > 1e-6f)
                    stage.mix += difference * 0.01f;
                float& sample = side == 0 ? left[i] : right[i];
                sample = referenceStage(band.coefficients, stage, sample);
            }
        }
    }
}

struct MasterCase {
    const char* name;
    float target;
    float mix[kEqBands];  // of the left stage; the right one's differs a little
};

const MasterCase kMasterCases[] = {
    {"switched on", 1.0f, {0.0f, 0.0f, 0.0f}},
    {"on and settled", 1.0f, {1.0f, 1.0f, 1.0f}},
    {"fading out, one band already out", 0.0f, {0.5f, 1e-7f, 0.3f}},
    {"fading out, two bands already out", 0.0f, {0.0f, 0.8f, 0.0f}},
    {"off", 0.0f, {0.0f, 0.0f, 0.0f}},
};

TEST(EqualiserLanes, MasterChannelsFilterAsTheirOwnBiquads) {
    DenormalGuard flushDenormals;
    std::mt19937 random(9);
    for (const MasterCase& test : kMasterCases) {
        for (int frames : {1, 2, 3, 64, 255}) {
            SCOPED_TRACE(std::string(test.name) + ", " + std::to_string(frames) + " samples");
            TrackBands bands = randomBands(random, Wet::Settled);
            for (int b = 0; b < kEqBands; ++b) {
                auto& stages = bands[static_cast<std::size_t>(b)].stages;
                stages[0].mix = test.mix[b];
                stages[1].mix = test.mix[b] > 0.0f ? test.mix[b] * 0.9f : 0.0f;
            }
            std::vector<float> left(static_cast<std::size_t>(frames)), right(static_cast<std::size_t>(frames));
            for (int i = 0; i < frames; ++i) {
                left[static_cast<std::size_t>(i)] = i % 5 == 2 ? 0.0f : uniform(random, -1.0f, 1.0f);
                right[static_cast<std::size_t>(i)] = uniform(random, -1.0f, 1.0f);
            }
            TrackBands expectedBands = bands;
            std::vector<float> expectedLeft = left, expectedRight = right;
            referenceMaster(expectedBands, test.target, expectedLeft, expectedRight);

            batch::equaliseMaster(bands, test.target, left.data(), right.data(), frames);

            for (int i = 0; i < frames; ++i) {
                const auto at = static_cast<std::size_t>(i);
                ASSERT_EQ(bitsOf(left[at]), bitsOf(expectedLeft[at])) << "left " << i;
                ASSERT_EQ(bitsOf(right[at]), bitsOf(expectedRight[at])) << "right " << i;
            }
            EXPECT_TRUE(sameBands(bands, expectedBands));
        }
    }
}

}  // namespace
}  // namespace rimba
