// The step sequencer against the host's clock: where steps, swung steps and roll hits land, the
// roll velocity shapes, pattern starts and chains, note-offs, and blocks that play nothing.

#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <set>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "common/platform/Clock.h"
#include "plugin/core/RandomKeystrokes.h"
#include "tests/plugin/core/EngineFixture.h"
#include "tests/support/InstrumentProbe.h"

namespace rimba::engine_test {
namespace {

constexpr std::uint8_t kNoteOn = 0x90;
constexpr std::uint8_t kNoteOff = 0x80;

std::vector<PendingEvent> pendingOf(const VornDrums& drums) {
    std::vector<PendingEvent> events;
    for (std::size_t i = 0; i < test::stateOf(drums).pendingEvents.size(); ++i)
        events.push_back(test::stateOf(drums).pendingEvents[i]);
    return events;
}

std::vector<PendingEvent> pendingForKey(const VornDrums& drums, int key) {
    std::vector<PendingEvent> events;
    for (const PendingEvent& event : pendingOf(drums))
        if (event.data1 == key)
            events.push_back(event);
    return events;
}

void hitAt(VornDrums& drums, int track, int pattern, int step, float velocity, float roll = 0.0f) {
    auto& planes = test::stateOf(drums).patterns[static_cast<std::size_t>(track)];
    planes.stepVelocity[static_cast<std::size_t>(pattern)][static_cast<std::size_t>(step)] = velocity;
    planes.stepRoll[static_cast<std::size_t>(pattern)][static_cast<std::size_t>(step)] = roll;
}

void hitsOnEveryStep(VornDrums& drums, int track, int pattern, float velocity) {
    for (int s = 0; s < kMaxSteps; ++s)
        hitAt(drums, track, pattern, s, velocity);
}

int keyOf(const VornDrums& drums, int track) {
    return static_cast<int>(test::stateOf(drums).settings.trackKey[static_cast<std::size_t>(track)]);
}

// The sequencer's work for one block starting at `samplePos`, without the per-sample walk, so
// the events it made are still in the pending list with their full countdowns.
void sequenceBlock(Engine& engine, double samplePos, int frames) {
    engine.play(samplePos);
    engine->takeStepEdits();
    engine->runSequencer(engine.clock.time, frames);
}

// ---------------------------------------------------------------------------------------------
// Step positions

TEST(StepTiming, EachStepIsPlacedAtTheWholeSampleOfItsStartWithinTheBlock) {
    Engine engine;
    hitsOnEveryStep(*engine, 0, 0, 100.0f);
    const double blockStart = 1000.0;
    sequenceBlock(engine, blockStart, static_cast<int>(kBar));
    const std::vector<PendingEvent> events = pendingForKey(*engine, keyOf(*engine, 0));
    // Steps 1..16 start inside [1000, 89200); step 0 began before the block.
    ASSERT_EQ(events.size(), 16u);
    for (int j = 1; j <= 16; ++j) {
        const PendingEvent& event = events[static_cast<std::size_t>(j - 1)];
        EXPECT_EQ(event.countdown, static_cast<std::int32_t>(std::trunc(j * kStep - blockStart))) << j;
        EXPECT_EQ(event.status, kNoteOn);
        EXPECT_EQ(event.data2, 100);
        EXPECT_EQ(event.fromSequencer, 1);
    }
}

// An event counted down from c fires at sample c - 1 of its block (c = 0 fires at sample 0), so a
// step at sample 5512.5 sounds from sample 5511 when no block starts at its boundary.
TEST(StepTiming, StepsAt120BpmSoundOneSampleBeforeTheirWholeSampleStart) {
    Engine engine;
    makeProbeTrack(*engine, 0, 40);
    hitsOnEveryStep(*engine, 0, 0, 100.0f);
    engine.play(0.0);
    engine.renderInBlocks(kBar, 64);
    std::vector<long> expected{0};
    for (long j = 1; j < 16; ++j) {
        ASSERT_NE(stepStart(j) % 64, 0) << "no step may start a block here";
        expected.push_back(stepStart(j) - 1);
    }
    EXPECT_EQ(expected[1], 5511);
    EXPECT_EQ(expected[2], 11024);
    EXPECT_EQ(onsets(engine.trackOutput(0)), expected);
}

TEST(StepTiming, SwingSixtyFourDelaysOnlyTheOddStepsByHalfAStep) {
    Engine engine;
    hitsOnEveryStep(*engine, 0, 0, 100.0f);
    test::stateOf(*engine).swing = 64;
    sequenceBlock(engine, 0.0, static_cast<int>(kBar));
    const std::vector<PendingEvent> events = pendingForKey(*engine, keyOf(*engine, 0));
    ASSERT_EQ(events.size(), 16u);
    const auto halfStep = static_cast<std::int32_t>(std::trunc(0.5 * kStep));
    ASSERT_EQ(halfStep, 2756);
    for (int j = 0; j < 16; ++j) {
        const std::int32_t delay = (j % 2 == 1) ? halfStep : 0;
        EXPECT_EQ(events[static_cast<std::size_t>(j)].countdown, stepStart(j) + delay) << j;
    }
}

TEST(StepTiming, SwingScalesWithItsSettingOverOneHundredTwentyEight) {
    Engine engine;
    hitAt(*engine, 0, 0, 3, 100.0f);
    test::stateOf(*engine).swing = 32;
    sequenceBlock(engine, 0.0, static_cast<int>(kBar));
    const std::vector<PendingEvent> events = pendingForKey(*engine, keyOf(*engine, 0));
    ASSERT_FALSE(events.empty());
    EXPECT_EQ(events[0].countdown, stepStart(3) + static_cast<std::int32_t>(std::trunc(32.0 / 128.0 * kStep)));
}

// ---------------------------------------------------------------------------------------------
// Rolls

TEST(Rolls, RollOfThreeSpreadsFourHitsAQuarterStepApart) {
    Engine engine;
    hitAt(*engine, 0, 0, 0, 100.0f, 3.0f);
    sequenceBlock(engine, 0.0, 4096);
    const std::vector<PendingEvent> events = pendingForKey(*engine, keyOf(*engine, 0));
    ASSERT_EQ(events.size(), 4u);
    const std::int32_t expected[4] = {0, 1378, 2756, 4134};
    for (int k = 0; k < 4; ++k) {
        EXPECT_EQ(static_cast<std::int32_t>(std::trunc(k * kStep / 4.0)), expected[k]);
        EXPECT_EQ(events[static_cast<std::size_t>(k)].countdown, expected[k]) << k;
        EXPECT_EQ(events[static_cast<std::size_t>(k)].status, kNoteOn);
    }
}

TEST(Rolls, ARollOnASwungStepStartsFromTheSwungStart) {
    Engine engine;
    hitAt(*engine, 0, 0, 1, 100.0f, 3.0f);
    test::stateOf(*engine).swing = 64;
    sequenceBlock(engine, 0.0, 8192);
    const std::vector<PendingEvent> events = pendingForKey(*engine, keyOf(*engine, 0));
    ASSERT_EQ(events.size(), 4u);
    const std::int32_t swungStart = stepStart(1) + static_cast<std::int32_t>(std::trunc(0.5 * kStep));
    for (int k = 0; k < 4; ++k)
        EXPECT_EQ(events[static_cast<std::size_t>(k)].countdown,
                  swungStart + static_cast<std::int32_t>(std::trunc(k * kStep / 4.0)));
}

// The four hits of a roll cross block boundaries and fire one sample before their offset.
TEST(Rolls, RollHitsSoundAcrossBlocksAtTheirOwnSamples) {
    Engine engine;
    makeProbeTrack(*engine, 0, 40);
    hitAt(*engine, 0, 0, 0, 100.0f, 3.0f);
    engine.play(0.0);
    engine.renderInBlocks(5000, 256);
    EXPECT_EQ(onsets(engine.trackOutput(0)), (std::vector<long>{0, 1377, 2755, 4133}));
}

struct RollShapeCase {
    int attenuation;
    int rolls;
    std::vector<double> factors;  // from the worked examples, exact
};

// The worked examples: below 64 the hits rise to a full last one; at 64 all are full; at 127 the
// first is full and the second at 71/512 (about 0.139).
TEST(Rolls, VelocityShapesOfTheWorkedExamples) {
    const std::vector<RollShapeCase> cases = {
        {0, 1, {1.0 / 8, 1.0}},      {0, 2, {1.0 / 16, 1.0 / 4, 1.0}}, {0, 3, {27.0 / 512, 9.0 / 64, 3.0 / 8, 1.0}},
        {64, 1, {1.0, 1.0}},         {64, 2, {1.0, 1.0, 1.0}},         {64, 3, {1.0, 1.0, 1.0, 1.0}},
        {127, 1, {1.0, 71.0 / 512}},
    };
    EXPECT_NEAR(27.0 / 512, 0.0527, 1e-4);
    EXPECT_NEAR(9.0 / 64, 0.1406, 1e-4);
    EXPECT_NEAR(71.0 / 512, 0.139, 5e-4);
    for (const RollShapeCase& c : cases) {
        for (const float velocity : {100.0f, 127.0f}) {
            Engine engine;
            test::stateOf(*engine).fillAttenuation = c.attenuation;
            hitAt(*engine, 0, 0, 0, velocity, static_cast<float>(c.rolls));
            sequenceBlock(engine, 0.0, 64);
            const std::vector<PendingEvent> events = pendingForKey(*engine, keyOf(*engine, 0));
            ASSERT_EQ(events.size(), c.factors.size()) << c.attenuation << " " << c.rolls;
            for (std::size_t k = 0; k < events.size(); ++k) {
                EXPECT_EQ(events[k].data2, static_cast<int>(std::trunc(c.factors[k] * velocity)))
                    << "attenuation " << c.attenuation << " rolls " << c.rolls << " hit " << k << " velocity "
                    << velocity;
            }
        }
    }
}

// The roll factors are ratios of whole numbers over 512: h = 512 / (8U + (64 - U) r) below 64 and
// h = ((128 - U)(8 - r) + 64 r) / 512 from 64 up. The velocities are computed here in whole
// numbers, so the expectation carries no rounding error of its own.
std::int64_t exactRollVelocity(int attenuation, int rolls, int hit, int velocity) {
    std::int64_t numerator = velocity;
    std::int64_t denominator = 1;
    if (attenuation < 64) {
        const std::int64_t d = 8 * attenuation + (64 - attenuation) * rolls;  // g = (d / 512)^(r - k)
        for (int i = hit; i < rolls; ++i) {
            numerator *= d;
            denominator *= 512;
        }
    } else {
        const std::int64_t e = (128 - attenuation) * (8 - rolls) + 64 * rolls;  // g = (e / 512)^k
        for (int i = 0; i < hit; ++i) {
            numerator *= e;
            denominator *= 512;
        }
    }
    return numerator / denominator;
}

TEST(Rolls, EveryAttenuationGivesTheExactShapeAndAFullLastOrFirstHit) {
    Engine engine;
    int mismatches = 0;
    for (int attenuation = 0; attenuation <= 127; ++attenuation) {
        test::stateOf(*engine).fillAttenuation = attenuation;
        for (int rolls = 0; rolls <= 3; ++rolls) {
            for (int velocity = 1; velocity <= 127; ++velocity) {
                test::stateOf(*engine).pendingEvents.clear();
                engine->playHit(0, static_cast<float>(velocity), static_cast<float>(rolls), 0, kStep);
                ASSERT_EQ(test::stateOf(*engine).pendingEvents.size(), static_cast<std::size_t>(rolls + 1));
                for (int k = 0; k <= rolls; ++k) {
                    const std::int64_t expected = exactRollVelocity(attenuation, rolls, k, velocity);
                    if (test::stateOf(*engine).pendingEvents[static_cast<std::size_t>(k)].data2 != expected &&
                        ++mismatches <= 10) {
                        ADD_FAILURE() << "attenuation " << attenuation << " rolls " << rolls << " hit " << k
                                      << " velocity " << velocity << ": "
                                      << int(test::stateOf(*engine).pendingEvents[static_cast<std::size_t>(k)].data2)
                                      << " instead of " << expected;
                    }
                }
            }
        }
    }
    EXPECT_EQ(mismatches, 0);
}

// ---------------------------------------------------------------------------------------------
// Host start positions

TEST(HostStart, AStartInMidPatternPlaysFromTheStepThere) {
    Engine engine;
    makeProbeTrack(*engine, 0, 40);
    hitsOnEveryStep(*engine, 0, 0, 100.0f);
    const long start = stepStart(5) + 150;  // inside step 5
    engine.play(static_cast<double>(start));
    engine.render(8192);
    EXPECT_EQ(test::stateOf(*engine).currentStep, 6);
    // Step 5 began before the block and is not played; step 6 is the first.
    EXPECT_EQ(onsets(engine.trackOutput(0)), (std::vector<long>{stepStart(6) - start - 1}));
}

TEST(HostStart, AStartInALaterBarTakesTheStepWithinThePattern) {
    Engine engine;
    hitAt(*engine, 0, 0, 13, 90.0f);
    const long j = 3 * 16 + 13;
    sequenceBlock(engine, static_cast<double>(stepStart(j) - 10), 64);
    EXPECT_EQ(test::stateOf(*engine).currentStep, 13);
    const std::vector<PendingEvent> events = pendingForKey(*engine, keyOf(*engine, 0));
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].data2, 90);
    EXPECT_EQ(events[0].countdown,
              static_cast<std::int32_t>(std::trunc(static_cast<double>(j) * kStep - (stepStart(j) - 10))));
}

TEST(HostStart, ABlockThatStartsOnAStepPlaysItAtOffsetZero) {
    Engine engine;
    hitAt(*engine, 0, 0, 2, 90.0f);
    sequenceBlock(engine, 11025.0, 64);  // step 2 starts exactly here
    const std::vector<PendingEvent> events = pendingForKey(*engine, keyOf(*engine, 0));
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].countdown, 0);
}

// ---------------------------------------------------------------------------------------------
// Pattern starts and chains

// Renders the block of 512 samples around the start of bar `bar` (its step 0).
void renderAcrossBarStart(Engine& engine, int bar) {
    engine.play(static_cast<double>(bar * kBar - 100));
    engine.render(512);
}

TEST(PatternChain, ModeOneMovesFromFiveToTwoWhenTwoAndFiveAreChained) {
    Engine engine;
    makeProbeTrack(*engine, 0, 40);
    makeProbeTrack(*engine, 1, 40);
    hitAt(*engine, 0, 2, 0, 100.0f);  // pattern 2 plays track 0
    hitAt(*engine, 1, 5, 0, 100.0f);  // pattern 5 plays track 1
    test::stateOf(*engine).playMode = 1;
    test::stateOf(*engine).chainEnabled[2] = test::stateOf(*engine).chainEnabled[5] = 1;
    test::stateOf(*engine).currentPattern = test::stateOf(*engine).playingPattern = 5;
    renderAcrossBarStart(engine, 1);
    EXPECT_EQ(test::stateOf(*engine).playingPattern, 2);
    EXPECT_EQ(test::stateOf(*engine).currentPattern, 2);
    EXPECT_EQ(onsets(engine.trackOutput(0)), std::vector<long>{100 - 1});
    EXPECT_TRUE(onsets(engine.trackOutput(1)).empty());

    renderAcrossBarStart(engine, 2);
    EXPECT_EQ(test::stateOf(*engine).playingPattern, 5);
}

TEST(PatternChain, ModeOneWithNothingChainedKeepsThePattern) {
    Engine engine;
    test::stateOf(*engine).playMode = 1;
    test::stateOf(*engine).currentPattern = test::stateOf(*engine).playingPattern = 7;
    renderAcrossBarStart(engine, 1);
    EXPECT_EQ(test::stateOf(*engine).playingPattern, 7);
    EXPECT_EQ(test::stateOf(*engine).currentPattern, 7);
}

TEST(PatternChain, ModeOneWithOnlyThePlayingPatternChainedComesBackToIt) {
    Engine engine;
    test::stateOf(*engine).playMode = 1;
    test::stateOf(*engine).chainEnabled[7] = 1;
    test::stateOf(*engine).currentPattern = test::stateOf(*engine).playingPattern = 7;
    renderAcrossBarStart(engine, 1);
    EXPECT_EQ(test::stateOf(*engine).playingPattern, 7);
}

TEST(PatternChain, ModeOneWrapsFromFifteenToTheFirstChainedPattern) {
    Engine engine;
    test::stateOf(*engine).playMode = 1;
    test::stateOf(*engine).chainEnabled[1] = test::stateOf(*engine).chainEnabled[15] = 1;
    test::stateOf(*engine).currentPattern = test::stateOf(*engine).playingPattern = 15;
    renderAcrossBarStart(engine, 1);
    EXPECT_EQ(test::stateOf(*engine).playingPattern, 1);
}

TEST(PatternChain, ModeTwoWithNothingChainedKeepsThePatternAfterSixteenDraws) {
    Engine engine;
    test::stateOf(*engine).playMode = 2;
    test::stateOf(*engine).currentPattern = test::stateOf(*engine).playingPattern = 4;
    test::stateOf(*engine).random.reseed(4242);
    RandomSource draws = test::stateOf(*engine).random;
    renderAcrossBarStart(engine, 1);
    EXPECT_EQ(test::stateOf(*engine).playingPattern, 4);
    for (int draw = 0; draw < 16; ++draw)
        draws.next();
    EXPECT_EQ(test::stateOf(*engine).random.next(), draws.next()) << "exactly sixteen draws are made";
}

TEST(PatternChain, ModeTwoTakesTheFirstDrawThatIsChained) {
    const std::set<int> chained{3, 9, 12};
    for (const unsigned seed : {1u, 77u, 2024u, 31337u}) {
        RandomSource draws(seed);
        int expected = 0;  // the pattern playing before the start
        for (int draw = 0; draw < 16; ++draw) {
            const int r = draws.next() % 16;
            if (chained.count(r)) {
                expected = r;
                break;
            }
        }
        Engine engine;
        test::stateOf(*engine).playMode = 2;
        for (int p : chained)
            test::stateOf(*engine).chainEnabled[static_cast<std::size_t>(p)] = 1;
        test::stateOf(*engine).random.reseed(seed);
        renderAcrossBarStart(engine, 1);
        EXPECT_EQ(test::stateOf(*engine).playingPattern, expected) << seed;
    }
}

TEST(PatternChain, ModeZeroRepeatsThePatternWhateverIsChained) {
    Engine engine;
    test::stateOf(*engine).playMode = 0;
    test::stateOf(*engine).chainEnabled[2] = test::stateOf(*engine).chainEnabled[5] = 1;
    test::stateOf(*engine).currentPattern = test::stateOf(*engine).playingPattern = 5;
    renderAcrossBarStart(engine, 1);
    EXPECT_EQ(test::stateOf(*engine).playingPattern, 5);
}

TEST(PatternChain, AQueuedPatternIsTakenAtTheNextStartInsteadOfTheChain) {
    Engine engine;
    test::stateOf(*engine).playMode = 1;
    test::stateOf(*engine).chainEnabled[2] = test::stateOf(*engine).chainEnabled[5] = 1;
    test::stateOf(*engine).playingPattern = 5;
    test::stateOf(*engine).currentPattern = 9;
    renderAcrossBarStart(engine, 1);
    EXPECT_EQ(test::stateOf(*engine).playingPattern, 9);
    EXPECT_EQ(test::stateOf(*engine).currentPattern, 9);
}

TEST(PatternChain, ThePatternChangesOnlyAtStepZero) {
    Engine engine;
    test::stateOf(*engine).playMode = 1;
    test::stateOf(*engine).chainEnabled[2] = test::stateOf(*engine).chainEnabled[5] = 1;
    test::stateOf(*engine).currentPattern = test::stateOf(*engine).playingPattern = 5;
    engine.play(static_cast<double>(stepStart(1)));
    engine.renderInBlocks(kBar - stepStart(1) - 200, 512);  // steps 1..15
    EXPECT_EQ(test::stateOf(*engine).playingPattern, 5);
    EXPECT_EQ(test::stateOf(*engine).currentStep, 15);
}

// Which track (0 or 1) and which step, told by the velocity (step + 1), every note-on that the
// sequencer queued while it ran over `steps` steps in blocks of 1000 samples.
struct PlayedStep {
    int track;
    int step;
    bool operator==(const PlayedStep&) const = default;
};
void PrintTo(const PlayedStep& played, std::ostream* out) {
    *out << "track " << played.track << " step " << played.step;
}
std::vector<PlayedStep> playedSteps(Engine& engine, long steps) {
    std::vector<PlayedStep> played;
    for (long at = 0; at < stepStart(steps); at += 1000) {
        sequenceBlock(engine, static_cast<double>(at), static_cast<int>(std::min(1000L, stepStart(steps) - at)));
        for (const PendingEvent& event : pendingOf(*engine))
            if (event.status == kNoteOn)
                played.push_back({event.data1 == keyOf(*engine, 0) ? 0 : 1, event.data2 - 1});
        test::stateOf(*engine).pendingEvents.clear();
    }
    return played;
}

void hitsNamingTheirSteps(VornDrums& drums, int track, int pattern) {
    for (int s = 0; s < kMaxSteps; ++s)
        hitAt(drums, track, pattern, s, static_cast<float>(s + 1));
}

TEST(PatternChain, ChainedPatternsOfDifferentLengthsEachPlayFromTheirFirstStepThroughTheirOwnLength) {
    Engine engine;
    hitsNamingTheirSteps(*engine, 0, 2);
    hitsNamingTheirSteps(*engine, 1, 5);
    test::stateOf(*engine).patternSteps[5] = 32;
    test::stateOf(*engine).playMode = 1;
    test::stateOf(*engine).chainEnabled[2] = test::stateOf(*engine).chainEnabled[5] = 1;
    test::stateOf(*engine).currentPattern = test::stateOf(*engine).playingPattern =
        5;  // the first start moves on to pattern 2

    std::vector<PlayedStep> expected;
    for (int s = 0; s < 16; ++s)
        expected.push_back({0, s});
    for (int s = 0; s < 32; ++s)
        expected.push_back({1, s});
    for (int s = 0; s < 16; ++s)
        expected.push_back({0, s});
    const std::vector<PlayedStep> played = playedSteps(engine, 64);
    ASSERT_EQ(played.size(), expected.size());
    for (std::size_t j = 0; j < expected.size(); ++j)
        EXPECT_EQ(played[j], expected[j]) << "song step " << j;
}

TEST(PatternChain, AJumpOfTheHostsClockTakesTheStepFromTheSongPosition) {
    Engine engine;
    hitsNamingTheirSteps(*engine, 1, 5);
    test::stateOf(*engine).patternSteps[5] = 32;
    test::stateOf(*engine).playMode = 0;
    test::stateOf(*engine).currentPattern = test::stateOf(*engine).playingPattern = 5;
    sequenceBlock(engine, static_cast<double>(stepStart(3)), 64);
    EXPECT_EQ(test::stateOf(*engine).currentStep, 3);
    sequenceBlock(engine, static_cast<double>(stepStart(4)), 64);
    EXPECT_EQ(test::stateOf(*engine).currentStep, 4) << "running on";
    sequenceBlock(engine, static_cast<double>(stepStart(40)), 64);  // a locate
    EXPECT_EQ(test::stateOf(*engine).currentStep, 40 % 32);
    sequenceBlock(engine, static_cast<double>(stepStart(2)), 64);  // a loop back
    EXPECT_EQ(test::stateOf(*engine).currentStep, 2);
}

TEST(PatternChain, APatternOfNoStepsKeepsPlayingTheLastStepWithoutStarting) {
    Engine engine;
    test::stateOf(*engine).patternSteps[0] = 0;
    test::stateOf(*engine).currentStep = 5;
    test::stateOf(*engine).playMode = 1;
    test::stateOf(*engine).chainEnabled[3] = 1;
    hitAt(*engine, 0, 0, 5, 100.0f);
    sequenceBlock(engine, 0.0, static_cast<int>(kBar));
    const std::vector<PendingEvent> events = pendingForKey(*engine, keyOf(*engine, 0));
    ASSERT_EQ(events.size(), 16u);
    for (int j = 0; j < 16; ++j)
        EXPECT_EQ(events[static_cast<std::size_t>(j)].countdown, stepStart(j));
    EXPECT_EQ(test::stateOf(*engine).currentStep, 5);
    EXPECT_EQ(test::stateOf(*engine).playingPattern, 0) << "no pattern start without step 0";
}

// ---------------------------------------------------------------------------------------------
// Random keystrokes in the sequencer

int countRandomHits(const VornDrums& drums, int track) {
    int count = 0;
    for (float hit : test::stateOf(drums).patterns[static_cast<std::size_t>(track)].randomHit)
        count += hit != 0.0f;
    return count;
}

TEST(RandomAuto, KeystrokesAreRedrawnAtEveryPatternStartAndOnlyThere) {
    Engine engine;
    test::stateOf(*engine).random.reseed(5);
    test::stateOf(*engine).randomAuto = 1;
    test::stateOf(*engine).tracks.randomMinDensity[0] = test::stateOf(*engine).tracks.randomMaxDensity[0] =
        3.0f;  // 4 per 16 steps
    engine.play(0.0);
    engine.render(512);  // step 0
    EXPECT_EQ(countRandomHits(*engine, 0), 4);

    clearAllRandom(test::stateOf(*engine));
    engine.renderInBlocks(kBar - 512 - 200, 512);  // steps 1..15
    EXPECT_EQ(countRandomHits(*engine, 0), 0);

    engine.render(512);  // step 0 of the second bar
    EXPECT_EQ(countRandomHits(*engine, 0), 4);
}

TEST(RandomAuto, RegenerationSeesThePatternChosenByTheChain) {
    Engine engine;
    test::stateOf(*engine).random.reseed(6);
    test::stateOf(*engine).randomAuto = 1;
    test::stateOf(*engine).randomPerPattern = 1;
    test::stateOf(*engine).playMode = 1;
    test::stateOf(*engine).chainEnabled[3] = 1;
    test::stateOf(*engine).patterns[0].randomMinDensity[3] = test::stateOf(*engine).patterns[0].randomMaxDensity[3] =
        6.0f;  // 12 of 16
    engine.play(0.0);
    engine.render(512);
    EXPECT_EQ(test::stateOf(*engine).playingPattern, 3);
    EXPECT_EQ(countRandomHits(*engine, 0), 12);
}

TEST(RandomAuto, ARandomKeystrokePlaysWhereThePatternHasNoHit) {
    Engine engine;
    auto& planes = test::stateOf(*engine).patterns[0];
    planes.randomHit[4] = 1.0f;
    planes.randomVelocity[4] = 77.0f;
    planes.randomRoll[4] = 1.0f;
    planes.randomHit[6] = 1.0f;
    planes.randomVelocity[6] = 55.0f;
    hitAt(*engine, 0, 0, 6, 99.0f);  // the pattern's own hit wins here
    sequenceBlock(engine, 0.0, static_cast<int>(kBar));
    std::vector<std::pair<std::int32_t, int>> noteOns;
    for (const PendingEvent& event : pendingForKey(*engine, keyOf(*engine, 0)))
        if (event.status == kNoteOn)
            noteOns.emplace_back(event.countdown, event.data2);
    const std::int32_t quarter = static_cast<std::int32_t>(std::trunc(kStep / 4.0));
    // fillAttenuation 64: both roll hits full.
    EXPECT_EQ(noteOns, (std::vector<std::pair<std::int32_t, int>>{
                           {stepStart(4), 77}, {stepStart(4) + quarter, 77}, {stepStart(6), 99}}));
}

// ---------------------------------------------------------------------------------------------
// Note-offs

TEST(NoteOffs, ARoutedTrackGetsANoteOffAtEveryStepWithoutAHit) {
    Engine engine;
    FakePlugin synth;
    engine->placePlugin(VornDrums::kSynthSlot, &synth);
    test::stateOf(*engine).tracks.synthRoute[3] = 1.0f;
    hitAt(*engine, 3, 0, 4, 100.0f);
    hitAt(*engine, 3, 0, 10, 100.0f);
    sequenceBlock(engine, 0.0, static_cast<int>(kBar));
    const std::vector<PendingEvent> events = pendingForKey(*engine, keyOf(*engine, 3));
    ASSERT_EQ(events.size(), 16u);
    for (int j = 0; j < 16; ++j) {
        const PendingEvent& event = events[static_cast<std::size_t>(j)];
        const bool hit = j == 4 || j == 10;
        EXPECT_EQ(event.status, hit ? kNoteOn : kNoteOff) << j;
        EXPECT_EQ(event.data2, hit ? 100 : 0) << j;
        EXPECT_EQ(event.countdown, stepStart(j)) << j;
        EXPECT_EQ(event.fromSequencer, 1);
    }
    // The synth gets the same notes on key 36 + track.
    ASSERT_EQ(synth.queued.size(), 16u);
    for (int j = 0; j < 16; ++j) {
        const FakePlugin::QueuedNote& note = synth.queued[static_cast<std::size_t>(j)];
        EXPECT_EQ(note.deltaFrames, stepStart(j));
        EXPECT_EQ(note.data1, 36 + 3);
        EXPECT_EQ(note.status, (j == 4 || j == 10) ? kNoteOn : kNoteOff);
    }
    engine->placePlugin(VornDrums::kSynthSlot, nullptr);
}

TEST(NoteOffs, ASampleOnlyTrackGetsOneNoteOffAtTheFirstEmptyStepAfterItsHits) {
    Engine engine;
    hitAt(*engine, 0, 0, 2, 100.0f);
    hitAt(*engine, 0, 0, 3, 100.0f);
    hitAt(*engine, 0, 0, 9, 100.0f);
    sequenceBlock(engine, 0.0, static_cast<int>(kBar));
    std::vector<std::pair<int, std::int32_t>> seen;  // status, countdown
    for (const PendingEvent& event : pendingForKey(*engine, keyOf(*engine, 0)))
        seen.emplace_back(event.status, event.countdown);
    EXPECT_EQ(seen, (std::vector<std::pair<int, std::int32_t>>{{kNoteOn, stepStart(2)},
                                                               {kNoteOn, stepStart(3)},
                                                               {kNoteOff, stepStart(4)},
                                                               {kNoteOn, stepStart(9)},
                                                               {kNoteOff, stepStart(10)}}));
    EXPECT_EQ(test::stateOf(*engine).voices[0].noteSent, 0);
}

TEST(NoteOffs, ANoteOffOnASwungStepIsSwungToo) {
    Engine engine;
    test::stateOf(*engine).swing = 64;
    hitAt(*engine, 0, 0, 0, 100.0f);
    sequenceBlock(engine, 0.0, 16384);
    const std::vector<PendingEvent> events = pendingForKey(*engine, keyOf(*engine, 0));
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[1].status, kNoteOff);
    EXPECT_EQ(events[1].countdown, stepStart(1) + static_cast<std::int32_t>(std::trunc(0.5 * kStep)));
}

// ---------------------------------------------------------------------------------------------
// Blocks without steps

TEST(TransportStopped, NoStepPlaysButReceivedNotesStillSound) {
    Engine engine;
    makeProbeTrack(*engine, 0, 40);
    hitsOnEveryStep(*engine, 0, 0, 100.0f);
    engine.stop();
    engine.render(4096);
    EXPECT_TRUE(test::stateOf(*engine).pendingEvents.empty());
    EXPECT_TRUE(onsets(engine.trackOutput(0)).empty());

    sendMidi(*engine, 0x90, static_cast<std::uint8_t>(keyOf(*engine, 0)), 100, 10);
    engine.clearRecording();
    engine.render(4096);
    EXPECT_EQ(onsets(engine.trackOutput(0)), std::vector<long>{9});
}

TEST(TransportStopped, PlayingOffStopsTheSequencerWhileTheHostPlays) {
    Engine engine;
    hitsOnEveryStep(*engine, 0, 0, 100.0f);
    test::stateOf(*engine).playing = 0;
    engine.play(0.0);
    engine.render(4096);
    EXPECT_TRUE(test::stateOf(*engine).pendingEvents.empty());
    EXPECT_EQ(test::stateOf(*engine).running, 0);
}

// A message drained at sample s with deltaFrames d fires at s + d - 1 (d = 0: at s); only one
// message is drained per sample.
TEST(ReceivedNotes, ABurstIsDrainedOneMessagePerSampleAndWaitsItsDelta) {
    Engine engine;
    for (int t = 0; t < 4; ++t)
        makeProbeTrack(*engine, t, 40);
    engine.stop();
    sendMidi(*engine, 0x90, static_cast<std::uint8_t>(keyOf(*engine, 0)), 100, 0);
    sendMidi(*engine, 0x90, static_cast<std::uint8_t>(keyOf(*engine, 1)), 100, 0);
    sendMidi(*engine, 0x90, static_cast<std::uint8_t>(keyOf(*engine, 2)), 100, 0);
    sendMidi(*engine, 0x90, static_cast<std::uint8_t>(keyOf(*engine, 3)), 100, 5);
    engine.render(64);
    EXPECT_EQ(onsets(engine.trackOutput(0)), std::vector<long>{0});
    EXPECT_EQ(onsets(engine.trackOutput(1)), std::vector<long>{1});
    EXPECT_EQ(onsets(engine.trackOutput(2)), std::vector<long>{2});
    EXPECT_EQ(onsets(engine.trackOutput(3)), std::vector<long>{3 + 5 - 1});
}

TEST(HostWithoutClock, NoTimeInfoGivesASilentBlockAndEventsKeepTheirCountdowns) {
    Engine engine;
    makeProbeTrack(*engine, 0, 40);
    hitsOnEveryStep(*engine, 0, 0, 100.0f);
    test::stateOf(*engine).pendingEvents.append(
        {.countdown = 100, .status = kNoteOn, .data1 = 36, .data2 = 100, .fromSequencer = 0});
    engine.play(0.0);
    engine.clock.answers = false;
    engine.prepare(256);
    for (int c = 0; c < engine.channelCount(); ++c)
        std::fill(engine.channel(c), engine.channel(c) + 256, 0.5f);
    engine.render(256);
    for (int c = 0; c < engine.channelCount(); ++c) {
        for (float sample : engine.recorded[static_cast<std::size_t>(c)])
            ASSERT_EQ(sample, 0.0f) << "channel " << c;
    }
    ASSERT_EQ(test::stateOf(*engine).pendingEvents.size(), 1u);
    EXPECT_EQ(test::stateOf(*engine).pendingEvents[0].countdown, 100);

    engine.clock.answers = true;
    engine.clearRecording();
    engine.play(0.0);
    engine.render(64);
    // Counted on from 100: 64 samples later it still waits, beside the new step 0 hit.
    bool found = false;
    for (const PendingEvent& event : pendingOf(*engine))
        found = found || (event.fromSequencer == 0 && event.countdown == 36);
    EXPECT_TRUE(found);
}

TEST(LoadHandshake, ALoadInProgressSilencesTheBlockAndHoldsTheEvents) {
    Engine engine;
    makeProbeTrack(*engine, 0, 40);
    hitsOnEveryStep(*engine, 0, 0, 100.0f);
    engine.play(0.0);
    engine.render(64);  // an idle block: the load clock starts now
    engine.clearRecording();
    test::stateOf(*engine).pendingEvents.clear();
    test::stateOf(*engine).pendingEvents.append(
        {.countdown = 30, .status = kNoteOn, .data1 = 36, .data2 = 100, .fromSequencer = 0});
    test::stateOf(*engine).handshake.loadsInProgress = 1;
    test::stateOf(*engine).lastIdleTick = platform::tickMilliseconds() - 4000;  // stuck, but not for long enough
    engine.play(stepStart(1) - 10.0);
    engine.render(64);
    for (float sample : engine.trackOutput(0))
        ASSERT_EQ(sample, 0.0f);
    for (float sample : engine.masterLeft())
        ASSERT_EQ(sample, 0.0f);
    ASSERT_EQ(test::stateOf(*engine).pendingEvents.size(), 1u);  // step 1 was not played
    EXPECT_EQ(test::stateOf(*engine).pendingEvents[0].countdown, 30);
    EXPECT_EQ(test::stateOf(*engine).handshake.loadsInProgress.load(), 1);
    EXPECT_EQ(test::stateOf(*engine).handshake.renderActive.load(), 0);
}

TEST(LoadHandshake, ALoadStuckForMoreThanFiveSecondsIsForgottenAndTheBlockPlays) {
    Engine engine;
    makeProbeTrack(*engine, 0, 40);
    hitsOnEveryStep(*engine, 0, 0, 100.0f);
    test::stateOf(*engine).handshake.loadsInProgress = 1;
    test::stateOf(*engine).lastIdleTick = platform::tickMilliseconds() - 5001;
    test::stateOf(*engine).handshake.lastLoadBegan = platform::tickMilliseconds() - 5001;
    engine.play(0.0);
    engine.render(64);
    EXPECT_EQ(test::stateOf(*engine).handshake.loadsInProgress.load(), 0);
    EXPECT_EQ(onsets(engine.trackOutput(0)), std::vector<long>{0});
}

// A program loading its sounds and effects one after another keeps the counter raised with no
// idle block between the loads; that is progress, not a loader that never finished.
TEST(LoadHandshake, LoadsFollowingEachOtherForMoreThanFiveSecondsKeepTheBlockSilent) {
    Engine engine;
    makeProbeTrack(*engine, 0, 40);
    hitsOnEveryStep(*engine, 0, 0, 100.0f);
    test::stateOf(*engine).lastIdleTick = platform::tickMilliseconds() - 6000;
    test::stateOf(*engine).handshake.beginLoad();  // the latest of the loads, begun just now
    engine.play(0.0);
    engine.render(64);
    EXPECT_EQ(test::stateOf(*engine).handshake.loadsInProgress.load(), 1);
    for (float sample : engine.trackOutput(0))
        ASSERT_EQ(sample, 0.0f);
    test::stateOf(*engine).handshake.endLoad();
}

// The audio export drives the render loop with its own two channels; a silent block must not
// reach for the host's other outputs, which the export does not have.
TEST(OfflineRender, ASilentBlockWritesOnlyTheTwoChannelsOfTheExport) {
    Engine engine;
    std::vector<std::vector<float>> buffers(static_cast<std::size_t>(engine.channelCount()),
                                            std::vector<float>(256, 7.0f));
    std::vector<float*> pointers;
    for (auto& buffer : buffers)
        pointers.push_back(buffer.data());
    test::stateOf(*engine).offlineRender = 1;
    for (const bool loading : {false, true}) {
        engine.clock.answers = loading;  // no time info, or a load in progress
        test::stateOf(*engine).handshake.loadsInProgress = loading ? 1 : 0;
        test::stateOf(*engine).lastIdleTick = platform::tickMilliseconds();
        for (auto& buffer : buffers)
            std::fill(buffer.begin(), buffer.end(), 7.0f);
        engine->renderBlock(pointers.data(), 256);
        for (int c = 0; c < engine.channelCount(); ++c) {
            const float expected = c < 2 ? 0.0f : 7.0f;
            for (float sample : buffers[static_cast<std::size_t>(c)])
                ASSERT_EQ(sample, expected) << "channel " << c << (loading ? " during a load" : " without time info");
        }
    }
    test::stateOf(*engine).handshake.loadsInProgress = 0;
    test::stateOf(*engine).offlineRender = 0;
}

// ---------------------------------------------------------------------------------------------
// The standalone host's own clock

TEST(StandaloneClock, RunsWhilePlayingWhateverTheHostTransportAndKeepsItsPlaceWhenStopped) {
    Engine engine(kDefaultTrackCount, true);
    ASSERT_EQ(test::stateOf(*engine).standalone, 1);
    hitsOnEveryStep(*engine, 0, 0, 100.0f);
    engine.stop();  // the host's transport flag plays no part
    test::stateOf(*engine).playing = 1;
    engine.render(4096);
    EXPECT_EQ(test::stateOf(*engine).standalonePos, 4096.0);
    EXPECT_EQ(test::stateOf(*engine).running, 1);
    EXPECT_EQ(test::stateOf(*engine).voices[0].velocity, 100);  // step 0 was played

    test::stateOf(*engine).playing = 0;
    test::stateOf(*engine).voices[0].velocity = 0;
    engine.render(4096);  // would hold step 1 if the clock ran
    EXPECT_EQ(test::stateOf(*engine).standalonePos, 4096.0);
    EXPECT_EQ(test::stateOf(*engine).running, 0);
    EXPECT_EQ(test::stateOf(*engine).voices[0].velocity, 0);
}

TEST(StandaloneClock, ATempoChangeKeepsTheMusicalPosition) {
    Engine engine(kDefaultTrackCount, true);
    hitsOnEveryStep(*engine, 0, 0, 100.0f);
    test::stateOf(*engine).playing = 1;
    test::stateOf(*engine).standalonePos = 2 * kStep;  // step 2 at 120 BPM
    test::stateOf(*engine).tempo = 60;
    engine.render(64);
    EXPECT_EQ(test::stateOf(*engine).previousTempo, 60);
    EXPECT_EQ(test::stateOf(*engine).standalonePos, 4 * kStep + 64);  // step 2 at 60 BPM, plus the block
    EXPECT_EQ(test::stateOf(*engine).currentStep, 2);
    EXPECT_EQ(test::stateOf(*engine).currentTempo, 60.0);
}

// Play pressed while playing starts the standalone clock again from the first step; pressed
// while stopped it goes on from where it stood. Stop releases every voice.
TEST(StandaloneClock, PlayWhilePlayingRestartsFromTheFirstStepAndStopReleasesTheVoices) {
    Engine engine(kDefaultTrackCount, true);
    hitsOnEveryStep(*engine, 0, 0, 100.0f);
    test::stateOf(*engine).playing = 1;
    engine.render(4096);
    engine.render(4096);
    ASSERT_EQ(test::stateOf(*engine).standalonePos, 8192.0);

    engine->startPlaying();
    engine.render(64);
    EXPECT_EQ(test::stateOf(*engine).standalonePos, 64.0);
    EXPECT_EQ(test::stateOf(*engine).currentStep, 0);

    engine->stopPlaying();
    EXPECT_EQ(test::stateOf(*engine).playing.load(), 0);
    EXPECT_EQ(test::stateOf(*engine).voices[1].command, -1) << "the voices are released by the render loop";
    engine.render(64);  // stopped: the clock stands at 64; the voices (without sounds) keep it
    for (int t = 0; t < kTrackSlots; ++t)
        EXPECT_EQ(test::stateOf(*engine).voices[static_cast<std::size_t>(t)].command, 0) << t;
    engine->startPlaying();
    engine.render(64);
    EXPECT_EQ(test::stateOf(*engine).playing.load(), 1);
    EXPECT_EQ(test::stateOf(*engine).standalonePos, 128.0);
}

// ---------------------------------------------------------------------------------------------
// Edits beside the audio thread

// The notes a block sends the drum synth, as (frame, status, key, velocity).
using SentNotes = std::vector<std::array<int, 4>>;

SentNotes renderBarFromItsStart(Engine& engine, FakePlugin& synth) {
    synth.delivered.clear();
    engine.prepare(static_cast<int>(kBar));
    engine.play(0.0);
    engine.renderUnrecorded(static_cast<int>(kBar));
    SentNotes notes;
    for (const FakePlugin::QueuedNote& note : synth.delivered)
        notes.push_back({note.deltaFrames, note.status, note.data1, note.data2});
    return notes;
}

TrackPatterns rowOfHits(float velocity, float roll) {
    TrackPatterns planes{};
    planes.stepVelocity[0].fill(velocity);
    planes.stepRoll[0].fill(roll);
    return planes;
}

// The user-interface thread turns a track's pattern between two whole states while the audio
// thread plays it: each block plays one of them whole, never a mixture of the two, even though
// each state is written value by value.
TEST(StepEditsBesideTheAudioThread, EveryBlockPlaysOneWholeStateOfTheTrack) {
    Engine engine;
    FakePlugin synth;
    engine->placePlugin(VornDrums::kSynthSlot, &synth);
    test::stateOf(*engine).tracks.synthRoute[0] = 1.0f;
    const TrackPatterns single = rowOfHits(100.0f, 0.0f);
    const TrackPatterns rolled = rowOfHits(60.0f, 2.0f);
    engine->setTrackPatterns(0, single);
    const SentNotes singleNotes = renderBarFromItsStart(engine, synth);
    engine->setTrackPatterns(0, rolled);
    const SentNotes rolledNotes = renderBarFromItsStart(engine, synth);
    ASSERT_EQ(singleNotes.size(), 16u);
    ASSERT_EQ(rolledNotes.size(), 48u);

    std::atomic<bool> done{false};
    std::thread editor([&] {
        for (bool turn = false; !done.load(); turn = !turn) {
            engine->setTrackPatterns(0, turn ? rolled : single);
            std::this_thread::sleep_for(std::chrono::microseconds(100));
        }
    });
    int singleBlocks = 0;
    int rolledBlocks = 0;
    int mixedBlocks = 0;
    for (int block = 0; block < 20000 && (singleBlocks < 50 || rolledBlocks < 50); ++block) {
        const SentNotes notes = renderBarFromItsStart(engine, synth);
        singleBlocks += notes == singleNotes;
        rolledBlocks += notes == rolledNotes;
        mixedBlocks += notes != singleNotes && notes != rolledNotes;
    }
    done.store(true);
    editor.join();
    EXPECT_EQ(mixedBlocks, 0);
    EXPECT_GE(singleBlocks, 50);
    EXPECT_GE(rolledBlocks, 50);
    engine->placePlugin(VornDrums::kSynthSlot, nullptr);
}

}  // namespace
}  // namespace rimba::engine_test
