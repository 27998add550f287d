// The voice lanes of the batched render path, one kernel at a time, against renderVoice: a voice
// in a lane plays a stretch, the same voice plays it through renderVoice sample by sample, and
// every sample the lane leaves in the rows and the voice state it leaves behind must be the same
// to the bit. A kernel that does not take a stretch must leave the lanes as they were.

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
#include "tests/plugin/core/EngineFixture.h"
#include "tests/support/InstrumentProbe.h"

namespace rimba::engine_test {
namespace {

using batch::kLanes;

enum class Kernel { General, Steady, Unity, Chosen };
const char* nameOf(Kernel kernel) {
    switch (kernel) {
        case Kernel::General: return "playLanes";
        case Kernel::Steady: return "playSteadyLanes";
        case Kernel::Unity: return "playUnityLanes";
        case Kernel::Chosen: return "playVoiceGroup";
    }
    return "?";
}

// mixSample's routes of a voice's parts: straight to the track signal or through the equaliser,
// with or without the drum synth's part beside or through the equaliser.
struct Route {
    const char* name;
    bool eqSample;
    bool synthPart;
    bool synthThroughEq;
};
constexpr Route kRoutes[] = {
    {"direct", false, false, false},
    {"through the equaliser", true, false, false},
    {"with the synth beside", false, true, false},
    {"with the synth through the equaliser", true, true, true},
};

enum SoundKind { kDrum, kLoud, kLoudThenSilent };

// One voice's situation at the start of a stretch, and which kernels must take the stretch
// (playLanes and playVoiceGroup take every one).
struct Situation {
    const char* name;
    SoundKind sound;
    float start = 0.0f;  // the track's start and end, as shares of the sound
    float end = 1.0f;
    bool oneShot = true;
    bool reverse = false;
    bool loop = false;
    float rate = 1.0f;
    float position = 200.0f;
    int gate = 1;
    int fading = 0;
    int restart = 0;
    float declick = 1.0f;
    float velocityGain = 0.8f;
    float targetGain = 0.8f;
    float startFrame = 50.0f;
    float newGain = 0.7f;
    bool steadyTakes = true;
    bool unityTakes = true;
};

const Situation kSituations[] = {
    {.name = "plain", .sound = kDrum},
    {.name = "rising velocity", .sound = kDrum, .velocityGain = 0.2f, .targetGain = 0.9f},
    {.name = "falling velocity", .sound = kDrum, .velocityGain = 0.9f, .targetGain = 0.3f},
    {.name = "tuned", .sound = kDrum, .rate = 1.0594631f, .position = 200.25f, .unityTakes = false},
    {.name = "reverse", .sound = kDrum, .reverse = true, .rate = 0.9f, .position = 1500.5f, .unityTakes = false},
    {.name = "looping",
     .sound = kDrum,
     .start = 0.1f,
     .end = 0.11f,
     .loop = true,
     .rate = 1.3f,
     .position = 410.0f,
     .unityTakes = false},
    {.name = "reverse looping",
     .sound = kDrum,
     .start = 0.1f,
     .end = 0.11f,
     .reverse = true,
     .loop = true,
     .rate = 0.7f,
     .position = 405.5f,
     .unityTakes = false},
    // Whole steps land on the bounds themselves: forwards a loop wraps there, backwards not yet.
    {.name = "looping onto its end",
     .sound = kDrum,
     .start = 0.1f,
     .end = 0.11f,
     .loop = true,
     .position = 420.0f,
     .unityTakes = false},
    {.name = "reverse looping onto its start",
     .sound = kDrum,
     .start = 0.1f,
     .end = 0.11f,
     .reverse = true,
     .loop = true,
     .position = 405.0f,
     .unityTakes = false},
    {.name = "fading throughout", .sound = kLoud, .gate = 0, .fading = 1, .declick = 0.9f},
    {.name = "fading from its start", .sound = kLoud, .gate = 0, .fading = 1},
    {.name = "fading at a tuned rate",
     .sound = kLoud,
     .rate = 0.8f,
     .gate = 0,
     .fading = 1,
     .declick = 0.37f,
     .unityTakes = false},
    {.name = "fade ends and restarts",
     .sound = kLoudThenSilent,
     .position = 285.0f,
     .fading = 1,
     .restart = 1,
     .velocityGain = 0.5f,
     .targetGain = 0.5f,
     .steadyTakes = false,
     .unityTakes = false},
    {.name = "fade ends",
     .sound = kLoudThenSilent,
     .position = 290.0f,
     .gate = 0,
     .fading = 1,
     .steadyTakes = false,
     .unityTakes = false},
    {.name = "released one-shot runs out",
     .sound = kDrum,
     .position = 3975.0f,
     .gate = 0,
     .steadyTakes = false,
     .unityTakes = false},
    // A start before the sound puts the bounds around the idle position, where a voice that
    // lands on it falls silent.
    {.name = "onto the idle position",
     .sound = kDrum,
     .start = -0.001f,
     .position = -3.0f,
     .steadyTakes = false,
     .unityTakes = false},
    {.name = "reverse onto the idle position",
     .sound = kDrum,
     .start = -0.001f,
     .reverse = true,
     .position = 3.0f,
     .steadyTakes = false,
     .unityTakes = false},
    {.name = "idle with its gate held", .sound = kDrum, .position = -1.0f},
};

constexpr int kSoundFrames = 4000;
constexpr int kBegin = 5;
constexpr int kEnd = 48;  // 43 samples: ten groups of four and three more
constexpr int kColumn = 4;
constexpr float kSampleGain = 0.75f;
constexpr float kSynthGain = -0.4f;

std::vector<std::int16_t> soundOf(SoundKind kind) {
    std::mt19937 random(7);
    std::vector<std::int16_t> samples(kSoundFrames);
    for (int i = 0; i < kSoundFrames; ++i) {
        double value = 0.0;
        if (kind == kDrum)
            value = 20000.0 * std::exp(-i / 1500.0) * std::sin(0.07 * i) + static_cast<double>(random() % 200) - 100.0;
        else if (kind == kLoud || i < 300)
            value = 12000.0 + 8000.0 * std::sin(0.05 * i);
        samples[static_cast<std::size_t>(i)] = static_cast<std::int16_t>(value);
    }
    return samples;
}

std::uint32_t bitsOf(float value) {
    std::uint32_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

// An instrument whose tracks are given situations, and rows to play them into.
class VoiceLanesTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (int kind : {kDrum, kLoud, kLoudThenSilent})
            sounds[kind] = addSound(*engine, soundOf(static_cast<SoundKind>(kind)));
        for (int k = 0; k < batch::kBatchFrames; ++k) {
            scratch->busGain[k] = 0.6f + 0.0013f * static_cast<float>(k);
            scratch->busVector[k] = _mm_set1_ps(scratch->busGain[k]);
            synth[k] = 0.3f * std::sin(0.11f * static_cast<float>(k)) - 0.05f;
        }
    }

    TrackVoice& place(int track, const Situation& situation) {
        VornDrums& drums = *engine;
        const auto t = static_cast<std::size_t>(track);
        assignSound(drums, track, sounds[situation.sound]);
        test::stateOf(drums).tracks.start[t] = situation.start;
        test::stateOf(drums).tracks.end[t] = situation.end;
        test::stateOf(drums).tracks.oneShot[t] = situation.oneShot ? 1.0f : 0.0f;
        test::stateOf(drums).tracks.reverse[t] = situation.reverse ? 1.0f : 0.0f;
        test::stateOf(drums).tracks.loop[t] = situation.loop ? 1.0f : 0.0f;
        drums.recomputeBounds(track);
        TrackVoice& voice = test::stateOf(drums).voices[t];
        voice.rate = situation.rate;
        voice.position = situation.position;
        voice.gateOn = situation.gate;
        voice.fading = situation.fading;
        voice.restartPending = situation.restart;
        voice.declickGain = situation.declick;
        voice.velocityGain = situation.velocityGain;
        voice.targetVelocityGain = situation.targetGain;
        voice.startFrame = situation.startFrame;
        voice.newVelocityGain = situation.newGain;
        voice.sampleGain = kSampleGain;
        voice.synthGain = kSynthGain;
        voice.command = -1;
        return voice;
    }

    batch::LaneSource sourceOf(const TrackVoice& voice, const Route& route) {
        const auto t = static_cast<std::size_t>(voice.track);
        return {.voice = &voice,
                .sound = test::stateOf(*engine).voiceSound(voice),
                .oneShot = test::stateOf(*engine).tracks.oneShot[t] != 0.0f,
                .reverse = test::stateOf(*engine).tracks.reverse[t] != 0.0f,
                .loop = test::stateOf(*engine).tracks.loop[t] != 0.0f,
                .eqSample = route.eqSample,
                .synthThroughEq = route.synthThroughEq,
                .synthPart = route.synthPart,
                .equalised = route.eqSample || route.synthThroughEq,
                .synth = synth};
    }

    // What mixSample leaves as the track signal and the equaliser input of `voice`, sample by
    // sample over the stretch; the voice moves on as it goes.
    void renderReference(TrackVoice& voice, const Route& route, std::vector<float>& signal,
                         std::vector<float>& eqInput) {
        signal.clear();
        eqInput.clear();
        for (int k = kBegin; k < kEnd; ++k) {
            const float bus = scratch->busGain[k];
            float samplePart = engine->renderVoice(voice) * bus * voice.sampleGain;
            const float synthPart = route.synthPart ? synth[k] * bus * voice.synthGain : 0.0f;
            float direct = 0.0f;
            if (!route.eqSample) {
                direct = samplePart;
                samplePart = 0.0f;
            }
            if (route.synthThroughEq)
                samplePart += synthPart;
            else
                direct += synthPart;
            signal.push_back(direct);
            eqInput.push_back(samplePart);
        }
    }

    // Runs one kernel over the stretch; false when it did not take it.
    bool run(Kernel kernel, batch::VoiceLanes& lanes) {
        const batch::LaneRows rows{scratch->busGain, scratch->busVector, scratch->rows, scratch->eqRows, kColumn};
        switch (kernel) {
            case Kernel::General: batch::playLanes(lanes, rows, kBegin, kEnd); return true;
            case Kernel::Steady: return batch::playSteadyLanes(lanes, rows, kBegin, kEnd);
            case Kernel::Unity:
                return batch::playUnityLanes(lanes, rows, kBegin, kEnd, scratch->unity) == batch::kUnityDone;
            case Kernel::Chosen: batch::playVoiceGroup(lanes, rows, kBegin, kEnd, scratch->unity); return true;
        }
        return false;
    }

    void clearRows() {
        for (int k = 0; k < batch::kBatchFrames; ++k) {
            for (int c = 0; c < batch::kRowWidth; ++c) {
                scratch->rows[k][c] = 12345.0f;
                scratch->eqRows[k][c] = 12345.0f;
            }
        }
    }

    ::testing::AssertionResult sameColumn(const batch::Row* rows, int column, const std::vector<float>& expected) {
        for (int k = kBegin; k < kEnd; ++k) {
            const float got = rows[k][column];
            const float want = expected[static_cast<std::size_t>(k - kBegin)];
            if (bitsOf(got) != bitsOf(want))
                return ::testing::AssertionFailure()
                       << "sample " << k - kBegin << ": " << got << " instead of " << want;
        }
        return ::testing::AssertionSuccess();
    }

    Engine engine;
    std::unique_ptr<batch::BatchScratch> scratch = std::make_unique<batch::BatchScratch>();
    float synth[batch::kBatchFrames] = {};
    int sounds[3] = {};
};

::testing::AssertionResult sameVoice(const TrackVoice& a, const TrackVoice& b) {
    const float floatsA[] = {a.position, a.velocityGain, a.targetVelocityGain, a.declickGain};
    const float floatsB[] = {b.position, b.velocityGain, b.targetVelocityGain, b.declickGain};
    const char* names[] = {"position", "velocity gain", "target velocity gain", "declick gain"};
    for (std::size_t f = 0; f < std::size(floatsA); ++f)
        if (bitsOf(floatsA[f]) != bitsOf(floatsB[f]))
            return ::testing::AssertionFailure() << names[f] << " " << floatsA[f] << " instead of " << floatsB[f];
    if (a.fading != b.fading || a.restartPending != b.restartPending)
        return ::testing::AssertionFailure() << "fading " << a.fading << " and restart " << a.restartPending
                                             << " instead of " << b.fading << " and " << b.restartPending;
    return ::testing::AssertionSuccess();
}

TEST_F(VoiceLanesTest, EachKernelPlaysAVoiceAsRenderVoiceDoes) {
    DenormalGuard flushDenormals;  // as renderBlock runs both paths
    for (int s = 0; s < static_cast<int>(std::size(kSituations)); ++s) {
        const Situation& situation = kSituations[s];
        const TrackVoice& start = place(s % kTrackSlots, situation);
        const int lane = s % kLanes;  // every lane position gets its turn
        for (const Route& route : kRoutes) {
            TrackVoice reference = start;
            std::vector<float> signal, eqInput;
            renderReference(reference, route, signal, eqInput);
            for (Kernel kernel : {Kernel::General, Kernel::Steady, Kernel::Unity, Kernel::Chosen}) {
                SCOPED_TRACE(std::string(situation.name) + ", " + route.name + ", " + nameOf(kernel));
                TrackVoice played = start;
                batch::LaneSource sources[kLanes];
                sources[lane] = sourceOf(played, route);
                batch::VoiceLanes lanes;
                batch::loadVoiceLanes(lanes, sources, scratch->silentPair, scratch->zeros);
                clearRows();
                const bool taken = run(kernel, lanes);
                TrackVoice* voices[kLanes] = {};
                voices[lane] = &played;
                batch::storeVoiceLanes(lanes, voices);
                const bool mustTake = kernel == Kernel::Steady  ? situation.steadyTakes
                                      : kernel == Kernel::Unity ? situation.unityTakes
                                                                : true;
                EXPECT_EQ(taken, mustTake);
                if (!taken) {
                    EXPECT_TRUE(sameVoice(played, start)) << "a kernel that declines moved the voice";
                    continue;
                }
                EXPECT_TRUE(sameColumn(scratch->rows, kColumn + lane, signal)) << "track signal";
                if (route.eqSample || route.synthThroughEq) {
                    EXPECT_TRUE(sameColumn(scratch->eqRows, kColumn + lane, eqInput)) << "equaliser input";
                }
                EXPECT_TRUE(sameVoice(played, reference));
            }
        }
    }
}

// Four different voices share a group: no lane's decisions (a fade that ends, a restart, a voice
// that runs out, another rate) may leak into another's samples.
TEST_F(VoiceLanesTest, FourVoicesInOneGroupPlayAsEachWouldAlone) {
    DenormalGuard flushDenormals;
    // Situations by their place in the table: four different kinds; the restless ones together;
    // all forwards at a rate of 1, where fades that end split the stretch; fades beside other
    // directions.
    const int groups[][kLanes] = {{0, 3, 9, 17}, {4, 12, 14, 5}, {1, 13, 10, 15}, {11, 6, 16, 8}};
    for (const auto& group : groups) {
        for (int l = 0; l < kLanes; ++l)
            place(l, kSituations[group[l]]);
        for (const Route& route : kRoutes) {
            for (Kernel kernel : {Kernel::General, Kernel::Chosen}) {
                SCOPED_TRACE(std::string(route.name) + ", " + nameOf(kernel));
                TrackVoice played[kLanes];
                TrackVoice reference[kLanes];
                std::vector<float> signal[kLanes], eqInput[kLanes];
                batch::LaneSource sources[kLanes];
                TrackVoice* voices[kLanes];
                for (int l = 0; l < kLanes; ++l) {
                    played[l] = reference[l] = test::stateOf(*engine).voices[static_cast<std::size_t>(l)];
                    renderReference(reference[l], route, signal[l], eqInput[l]);
                    sources[l] = sourceOf(played[l], route);
                    voices[l] = &played[l];
                }
                batch::VoiceLanes lanes;
                batch::loadVoiceLanes(lanes, sources, scratch->silentPair, scratch->zeros);
                clearRows();
                ASSERT_TRUE(run(kernel, lanes));
                batch::storeVoiceLanes(lanes, voices);
                for (int l = 0; l < kLanes; ++l) {
                    SCOPED_TRACE(kSituations[group[l]].name);
                    EXPECT_TRUE(sameColumn(scratch->rows, kColumn + l, signal[l])) << "track signal";
                    if (route.eqSample) {
                        EXPECT_TRUE(sameColumn(scratch->eqRows, kColumn + l, eqInput[l])) << "equaliser input";
                    }
                    EXPECT_TRUE(sameVoice(played[l], reference[l]));
                }
            }
        }
    }
}

}  // namespace
}  // namespace rimba::engine_test
