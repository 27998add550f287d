// Random keystrokes: how many are placed, where, with which draws, and how they are kept or
// cleared. Each test seeds the instrument's own random source; the expected draws come from a
// copy of it.

#include <cmath>
#include <functional>
#include <vector>

#include <gtest/gtest.h>

#include "plugin/core/RandomKeystrokes.h"
#include "tests/plugin/core/EngineFixture.h"
#include "tests/support/InstrumentProbe.h"

namespace rimba::engine_test {
namespace {

int countHits(const TrackPatterns& planes) {
    int count = 0;
    for (float hit : planes.randomHit)
        count += hit != 0.0f;
    return count;
}

void setRange(VornDrums& drums, int track, float minCell, float maxCell, float maxRoll = 0.0f) {
    const auto t = static_cast<std::size_t>(track);
    test::stateOf(drums).tracks.randomMinDensity[t] = minCell;
    test::stateOf(drums).tracks.randomMaxDensity[t] = maxCell;
    test::stateOf(drums).tracks.randomMaxRoll[t] = maxRoll;
}

// Every placed keystroke sits on a free step of the pattern and has values in range.
void expectWellFormed(const VornDrums& drums, int track, int maxRoll) {
    const TrackPatterns& planes = test::stateOf(drums).patterns[static_cast<std::size_t>(track)];
    const auto p = static_cast<std::size_t>(test::stateOf(drums).currentPattern);
    const int steps = test::stateOf(drums).patternSteps[p];
    for (int s = 0; s < kMaxSteps; ++s) {
        const auto step = static_cast<std::size_t>(s);
        if (planes.randomHit[step] == 0.0f) {
            EXPECT_EQ(planes.randomVelocity[step], 0.0f) << s;
            EXPECT_EQ(planes.randomHold[step], 1.0f) << s;
            EXPECT_EQ(planes.randomRoll[step], 0.0f) << s;
            continue;
        }
        EXPECT_LT(s, steps);
        EXPECT_EQ(planes.stepVelocity[p][step], 0.0f) << "a keystroke on a pattern hit at " << s;
        const float velocity = planes.randomVelocity[step];
        EXPECT_TRUE(velocity >= 1.0f && velocity <= 127.0f && velocity == std::trunc(velocity)) << velocity;
        const float hold = planes.randomHold[step] / 0.25f;
        EXPECT_TRUE(hold >= 1.0f && hold <= 16.0f && hold == std::trunc(hold)) << planes.randomHold[step];
        const float roll = planes.randomRoll[step];
        EXPECT_TRUE(roll >= 0.0f && roll <= static_cast<float>(maxRoll) && roll == std::trunc(roll)) << roll;
    }
}

TEST(RandomKeystrokes, MinAndMaxAtCellThreeOnSixteenStepsPlaceExactlyFour) {
    Engine engine;
    setRange(*engine, 0, 3.0f, 3.0f);
    test::stateOf(*engine).random.reseed(101);
    for (int trial = 0; trial < 40; ++trial) {
        auto& hits = test::stateOf(*engine).patterns[0].stepVelocity[0];
        hits.fill(0.0f);
        for (int k = 0; k < trial % 13; ++k)  // up to 12 pattern hits: at least 4 steps stay free
            hits[static_cast<std::size_t>((trial * 5 + k * 3) % 16)] = 100.0f;
        regenerateTrackRandom(test::stateOf(*engine), 0);
        EXPECT_EQ(countHits(test::stateOf(*engine).patterns[0]), 4) << trial;
        expectWellFormed(*engine, 0, 0);
    }
}

TEST(RandomKeystrokes, APatternFullOfHitsGetsNoneButTheArraysAreStillCleared) {
    Engine engine;
    setRange(*engine, 0, 4.0f, 4.0f, 3.0f);
    TrackPatterns& planes = test::stateOf(*engine).patterns[0];
    planes.stepVelocity[0].fill(0.0f);
    for (std::size_t s = 0; s < 16; ++s)
        planes.stepVelocity[0][s] = 90.0f;
    for (std::size_t s = 0; s < kMaxSteps; ++s) {  // left over from an earlier generation
        planes.randomHit[s] = s % 2 == 0 ? 1.0f : 0.0f;
        planes.randomVelocity[s] = 50.0f;
        planes.randomHold[s] = 2.5f;
        planes.randomRoll[s] = 2.0f;
    }
    test::stateOf(*engine).random.reseed(102);
    regenerateTrackRandom(test::stateOf(*engine), 0);
    for (std::size_t s = 0; s < kMaxSteps; ++s) {
        EXPECT_EQ(planes.randomHit[s], 0.0f) << s;
        EXPECT_EQ(planes.randomVelocity[s], 0.0f) << s;
        EXPECT_EQ(planes.randomHold[s], 1.0f) << s;
        EXPECT_EQ(planes.randomRoll[s], 0.0f) << s;
    }
}

TEST(RandomKeystrokes, SixtyFourStepsAtCellSixPlaceFortyEight) {
    Engine engine;
    test::stateOf(*engine).patternSteps[0] = 64;
    setRange(*engine, 0, 6.0f, 6.0f);
    test::stateOf(*engine).random.reseed(103);
    regenerateTrackRandom(test::stateOf(*engine), 0);
    EXPECT_EQ(countHits(test::stateOf(*engine).patterns[0]), 64 * 12 / 16);
    expectWellFormed(*engine, 0, 0);
}

TEST(RandomKeystrokes, MaxRollZeroGivesNoRollsAndThreeGivesRollsFromZeroToThree) {
    Engine engine;
    test::stateOf(*engine).patternSteps[0] = 64;
    test::stateOf(*engine).random.reseed(104);
    setRange(*engine, 0, 6.0f, 6.0f, 0.0f);
    regenerateTrackRandom(test::stateOf(*engine), 0);
    for (float roll : test::stateOf(*engine).patterns[0].randomRoll)
        EXPECT_EQ(roll, 0.0f);

    setRange(*engine, 0, 6.0f, 6.0f, 3.0f);
    regenerateTrackRandom(test::stateOf(*engine), 0);
    expectWellFormed(*engine, 0, 3);
}

TEST(RandomKeystrokes, ThePatternRandomParameterCountsWithAFloatProduct) {
    Engine engine;
    test::stateOf(*engine).patternSteps[0] = 10;
    engine->setParameter(0 * kSlotsPerTrack + 8, 0.7f);  // 10 * 0.7f is 7 in float, 6.99... in double
    EXPECT_EQ(countHits(test::stateOf(*engine).patterns[0]), 7);
}

TEST(RandomKeystrokes, ADensitySettingIsTruncatedToItsCellBeforeItCountsAsOff) {
    const std::pair<float, std::int32_t> cells[] = {{-0.5f, 0}, {-0.99f, 0}, {-1.0f, -1}, {-1.5f, -1},
                                                    {0.9f, 0},  {2.5f, 2},   {6.9f, 12},  {99.0f, 12}};
    for (const auto& [cell, density] : cells)
        EXPECT_EQ(densityOfCell(cell), density) << cell;
    EXPECT_EQ(densityOfCell(std::nanf("")), -1);
}

TEST(RandomKeystrokes, AFractionOfZeroClearsTheTrack) {
    Engine engine;
    test::stateOf(*engine).random.reseed(105);
    generateRandomKeystrokes(test::stateOf(*engine), 0, 0.5);
    ASSERT_EQ(countHits(test::stateOf(*engine).patterns[0]), 8);
    generateRandomKeystrokes(test::stateOf(*engine), 0, 0.0);
    EXPECT_EQ(countHits(test::stateOf(*engine).patterns[0]), 0);
    expectWellFormed(*engine, 0, 0);
}

// The placement rule computed here from a copy of the instrument's random source: a start step, a scan upward
// (wrapping) for a free step, then velocity, hold and roll in that order.
struct Keystroke {
    float hit = 0.0f;
    float velocity = 0.0f;
    float hold = 1.0f;
    float roll = 0.0f;
    bool operator==(const Keystroke&) const = default;
};

std::vector<Keystroke> expectedKeystrokes(RandomSource draws, const std::vector<bool>& patternHits, int count,
                                          int maxRoll) {
    const int steps = static_cast<int>(patternHits.size());
    std::vector<Keystroke> row(kMaxSteps);
    for (int k = 0; k < count; ++k) {
        const int start = draws.next() % steps;
        int found = -1;
        for (int i = 0; i < steps && found < 0; ++i) {
            const int s = (start + i) % steps;
            if (!patternHits[static_cast<std::size_t>(s)] && row[static_cast<std::size_t>(s)].hit == 0.0f)
                found = s;
        }
        if (found < 0)
            continue;
        Keystroke& placed = row[static_cast<std::size_t>(found)];
        placed.hit = 1.0f;
        const int velocity = draws.next() % 128;
        placed.velocity = static_cast<float>(velocity == 0 ? 1 : velocity);
        placed.hold = static_cast<float>(draws.next() % 16 + 1) * 0.25f;
        placed.roll = static_cast<float>(draws.next() % (maxRoll + 1));
    }
    return row;
}

std::vector<Keystroke> keystrokesOf(const TrackPatterns& planes) {
    std::vector<Keystroke> row(kMaxSteps);
    for (std::size_t s = 0; s < kMaxSteps; ++s)
        row[s] = {planes.randomHit[s], planes.randomVelocity[s], planes.randomHold[s], planes.randomRoll[s]};
    return row;
}

TEST(RandomKeystrokes, DrawsFollowThePlacementRuleInOrder) {
    Engine engine;
    std::vector<bool> patternHits(16, false);
    for (int s : {0, 1, 2, 7, 8, 15}) {
        patternHits[static_cast<std::size_t>(s)] = true;
        test::stateOf(*engine).patterns[0].stepVelocity[0][static_cast<std::size_t>(s)] = 100.0f;
    }
    test::stateOf(*engine).tracks.randomMaxRoll[0] = 2.0f;
    for (const unsigned seed : {7u, 8u, 9u, 10u}) {
        test::stateOf(*engine).random.reseed(seed);
        const std::vector<Keystroke> expected =
            expectedKeystrokes(test::stateOf(*engine).random, patternHits, 9, 2);  // 9 of 10 free
        generateRandomKeystrokes(test::stateOf(*engine), 0, 9.0 / 16.0);
        EXPECT_TRUE(keystrokesOf(test::stateOf(*engine).patterns[0]) == expected) << seed;
    }
}

TEST(RandomKeystrokes, TheDensityIsDrawnBetweenTheMinimumAndTheMaximum) {
    Engine engine;
    setRange(*engine, 0, 2.0f, 5.0f);  // 2 and 8 keystrokes per 16 steps
    for (const unsigned seed : {21u, 22u, 23u, 24u, 25u, 26u}) {
        test::stateOf(*engine).random.reseed(seed);
        RandomSource draws = test::stateOf(*engine).random;
        const int density = 2 + draws.next() % (8 - 2 + 1);
        regenerateTrackRandom(test::stateOf(*engine), 0);
        EXPECT_EQ(countHits(test::stateOf(*engine).patterns[0]), density) << seed;
    }
}

TEST(RandomKeystrokes, AnUnsetMinimumUsesTheMaximumAndAnUnsetMaximumTheMinimum) {
    Engine engine;
    test::stateOf(*engine).random.reseed(30);
    setRange(*engine, 0, -1.0f, 4.0f);  // 6
    regenerateTrackRandom(test::stateOf(*engine), 0);
    EXPECT_EQ(countHits(test::stateOf(*engine).patterns[0]), 6);
    setRange(*engine, 0, 5.0f, -1.0f);  // 8
    regenerateTrackRandom(test::stateOf(*engine), 0);
    EXPECT_EQ(countHits(test::stateOf(*engine).patterns[0]), 8);
    setRange(*engine, 0, 5.0f, 2.0f);  // a maximum below the minimum: the minimum
    regenerateTrackRandom(test::stateOf(*engine), 0);
    EXPECT_EQ(countHits(test::stateOf(*engine).patterns[0]), 8);
    setRange(*engine, 0, -1.0f, -1.0f);
    regenerateTrackRandom(test::stateOf(*engine), 0);
    EXPECT_EQ(countHits(test::stateOf(*engine).patterns[0]), 0);
    setRange(*engine, 0, 3.7f, 3.2f);  // cells are truncated
    regenerateTrackRandom(test::stateOf(*engine), 0);
    EXPECT_EQ(countHits(test::stateOf(*engine).patterns[0]), 4);
}

TEST(RandomKeystrokes, PerPatternSettingsOfTheCurrentPatternAreUsedWhenSwitchedOn) {
    Engine engine;
    test::stateOf(*engine).random.reseed(31);
    setRange(*engine, 0, 1.0f, 1.0f);
    test::stateOf(*engine).randomPerPattern = 1;
    test::stateOf(*engine).currentPattern = 6;
    test::stateOf(*engine).patternSteps[6] = 32;
    test::stateOf(*engine).patterns[0].randomMinDensity[6] = test::stateOf(*engine).patterns[0].randomMaxDensity[6] =
        5.0f;  // 8 per 16
    test::stateOf(*engine).patterns[0].randomMaxRoll[6] = 1.0f;
    regenerateTrackRandom(test::stateOf(*engine), 0);
    EXPECT_EQ(countHits(test::stateOf(*engine).patterns[0]), 16);
    expectWellFormed(*engine, 0, 1);

    test::stateOf(*engine).randomPerPattern = 0;
    regenerateTrackRandom(test::stateOf(*engine), 0);
    EXPECT_EQ(countHits(test::stateOf(*engine).patterns[0]), 2);  // 1 per 16 steps of 32
}

TEST(RandomKeystrokes, KeepingCopiesThemIntoTheCurrentPatternAndClearsThem) {
    Engine engine;
    test::stateOf(*engine).currentPattern = 3;
    TrackPatterns& planes = test::stateOf(*engine).patterns[2];
    planes.randomHit[5] = 1.0f;
    planes.randomVelocity[5] = 64.0f;
    planes.randomHold[5] = 1.75f;
    planes.randomRoll[5] = 2.0f;
    keepRandomKeystrokes(test::stateOf(*engine));
    EXPECT_EQ(planes.stepVelocity[3][5], 64.0f);
    EXPECT_EQ(planes.stepHold[3][5], 1.75f);
    EXPECT_EQ(planes.stepRoll[3][5], 2.0f);
    EXPECT_EQ(planes.stepVelocity[0][5], 0.0f);
    EXPECT_EQ(countHits(planes), 0);
    EXPECT_EQ(planes.randomVelocity[5], 0.0f);
    EXPECT_EQ(planes.randomHold[5], 1.0f);
    EXPECT_EQ(planes.randomRoll[5], 0.0f);
}

TEST(RandomKeystrokes, ClearAllRemovesTheKeystrokesOfEveryTrack) {
    Engine engine;
    test::stateOf(*engine).random.reseed(32);
    for (int t = 0; t < test::stateOf(*engine).trackCount; ++t)
        generateRandomKeystrokes(test::stateOf(*engine), t, 0.25);
    clearAllRandom(test::stateOf(*engine));
    for (int t = 0; t < test::stateOf(*engine).trackCount; ++t) {
        const TrackPatterns& planes = test::stateOf(*engine).patterns[static_cast<std::size_t>(t)];
        EXPECT_EQ(countHits(planes), 0) << t;
        for (std::size_t s = 0; s < kMaxSteps; ++s) {
            EXPECT_EQ(planes.randomVelocity[s], 0.0f);
            EXPECT_EQ(planes.randomHold[s], 1.0f);
        }
    }
}

TEST(RandomKeystrokes, RegeneratingAllServesTheActiveTracksOnly) {
    Engine engine(kSmallTrackCount);
    test::stateOf(*engine).random.reseed(33);
    for (int t = 0; t < kTrackSlots; ++t)
        setRange(*engine, t, 3.0f, 3.0f);
    regenerateAllRandom(test::stateOf(*engine));
    for (int t = 0; t < kTrackSlots; ++t)
        EXPECT_EQ(countHits(test::stateOf(*engine).patterns[static_cast<std::size_t>(t)]), t < kSmallTrackCount ? 4 : 0)
            << t;
}

// The layer as a whole, to compare two instruments' layers.
std::vector<float> layerOf(const VornDrums& drums) {
    std::vector<float> layer;
    for (int t = 0; t < kTrackSlots; ++t) {
        const TrackPatterns& planes = test::stateOf(drums).patterns[static_cast<std::size_t>(t)];
        for (const StepRow<float>* row :
             {&planes.randomHit, &planes.randomVelocity, &planes.randomHold, &planes.randomRoll})
            layer.insert(layer.end(), row->begin(), row->end());
    }
    return layer;
}

// Each command of the editor and the host: while the host plays it waits for the render loop's
// next block and then leaves the layer as the command's own function leaves it; an instrument
// that never rendered a block applies it at once.
TEST(RandomRequests, WaitForTheNextBlockWhileTheHostPlaysOrApplyAtOnceWhenItIsStill) {
    struct Case {
        const char* name;
        std::function<void(VornDrums&)> request;
        std::function<void(VornDrums&)> direct;
    };
    const std::vector<Case> cases = {
        {"regenerate all", [](VornDrums& d) { d.requestRandomRegeneration(); },
         [](VornDrums& d) { regenerateAllRandom(test::stateOf(d)); }},
        {"regenerate one", [](VornDrums& d) { d.requestTrackRandomRegeneration(1); },
         [](VornDrums& d) { regenerateTrackRandom(test::stateOf(d), 1); }},
        {"host parameter", [](VornDrums& d) { d.setParameter(2 * kSlotsPerTrack + 8, 0.5f); },
         [](VornDrums& d) { generateRandomKeystrokes(test::stateOf(d), 2, 0.5f); }},
        {"remove one", [](VornDrums& d) { d.requestRandomKeystrokeRemoval(0, 3); },
         [](VornDrums& d) { test::stateOf(d).patterns[0].randomHit[3] = 0.0f; }},
        {"clear one", [](VornDrums& d) { d.requestTrackRandomClear(1); },
         [](VornDrums& d) { test::stateOf(d).patterns[1].randomHit.fill(0.0f); }},
        {"clear all", [](VornDrums& d) { d.requestRandomClear(); },
         [](VornDrums& d) { clearAllRandom(test::stateOf(d)); }},
    };
    const auto prepare = [](VornDrums& drums) {
        for (int t = 0; t < 3; ++t)
            setRange(drums, t, 2.0f, 5.0f, 2.0f);
        for (int t = 0; t < 3; ++t)
            generateRandomKeystrokes(test::stateOf(drums), t, 1.0f);
        test::stateOf(drums).random.reseed(77);
    };
    for (const Case& c : cases) {
        Engine expected;
        prepare(*expected);
        c.direct(*expected);

        Engine still;  // no block has ever begun
        prepare(*still);
        c.request(*still);
        EXPECT_TRUE(test::stateOf(*still).randomRequests.empty()) << c.name;
        EXPECT_EQ(layerOf(*still), layerOf(*expected)) << c.name;

        Engine playing;
        playing.render(64);
        prepare(*playing);
        const std::vector<float> before = layerOf(*playing);
        c.request(*playing);
        EXPECT_FALSE(test::stateOf(*playing).randomRequests.empty()) << c.name;
        EXPECT_EQ(layerOf(*playing), before) << c.name;
        playing.render(64);
        EXPECT_EQ(layerOf(*playing), layerOf(*expected)) << c.name;
    }
}

TEST(RandomRequests, KeepingCopiesAtOnceAndClearsTheLayerAtTheNextBlock) {
    Engine engine;
    engine.render(64);
    TrackPatterns& planes = test::stateOf(*engine).patterns[2];
    planes.randomHit[5] = 1.0f;
    planes.randomVelocity[5] = 64.0f;
    planes.randomRoll[5] = 2.0f;
    engine->keepRandomKeystrokes();
    EXPECT_EQ(planes.stepVelocity[0][5], 64.0f);
    EXPECT_EQ(planes.randomHit[5], 1.0f) << "the render loop clears the layer";
    engine.render(64);
    EXPECT_EQ(planes.randomHit[5], 0.0f);
    EXPECT_EQ(planes.randomRoll[5], 0.0f);
}

}  // namespace
}  // namespace rimba::engine_test
