// The grid menu, the strip menu, the whole-track copy and the rotate buttons, on the planes of a
// real instrument.

#include <algorithm>
#include <cstdlib>
#include <map>
#include <tuple>

#include <gtest/gtest.h>

#include "plugin/tools/PatternEdit.h"
#include "tests/plugin/files/PatternFixtures.h"
#include "tests/support/InstrumentProbe.h"

namespace rimba::test::patterns {
namespace {

std::size_t at(int index) { return static_cast<std::size_t>(index); }

class PatternEdit : public ::testing::Test {
protected:
    void SetUp() override {
        drums = makeDrums(12);
        test::stateOf(*drums).editRandom.reseed(20240611);
    }

    TrackPatterns& planes(int track) { return test::stateOf(*drums).patterns[at(track)]; }

    void setHit(int track, int pattern, int step, float velocity, float hold = 1.0f, float roll = 0.0f) {
        planes(track).stepVelocity[at(pattern)][at(step)] = velocity;
        planes(track).stepHold[at(pattern)][at(step)] = hold;
        planes(track).stepRoll[at(pattern)][at(step)] = roll;
    }

    // The (velocity, hold, tune) of every hit of the row, counted.
    std::map<std::tuple<float, float, float>, int> hitsOf(int track, int pattern, int steps) {
        std::map<std::tuple<float, float, float>, int> hits;
        for (int s = 0; s < steps; ++s) {
            const float v = velocityAt(*drums, track, pattern, s);
            if (v != 0.0f)
                ++hits[{v, holdAt(*drums, track, pattern, s), planes(track).stepTune[at(s)]}];
        }
        return hits;
    }

    std::unique_ptr<VornDrums> drums;
};

TEST_F(PatternEdit, CleanKeepsAHitOfVelocityFiveAndRemovesOneOfFour) {
    setHit(0, 0, 2, 5.0f, 2.0f);
    setHit(0, 0, 3, 4.0f, 2.0f);
    planes(0).stepTune[2] = 3.0f;
    planes(0).stepTune[3] = -3.0f;
    cleanRow(*drums, 0, 0);
    EXPECT_EQ(velocityAt(*drums, 0, 0, 2), 5.0f);
    EXPECT_EQ(holdAt(*drums, 0, 0, 2), 2.0f);
    EXPECT_EQ(planes(0).stepTune[2], 3.0f);
    EXPECT_EQ(velocityAt(*drums, 0, 0, 3), 0.0f);
    EXPECT_EQ(holdAt(*drums, 0, 0, 3), 0.0f);
    EXPECT_EQ(planes(0).stepTune[3], 0.0f);
}

TEST_F(PatternEdit, StripCleanKeepsVelocityFiveAndClearsQuieterStepsWithTheirKeystrokes) {
    test::stateOf(*drums).currentPattern = 4;
    setHit(1, 4, 0, 5.0f, 2.0f, 1.0f);
    setHit(1, 4, 1, 4.0f, 2.0f, 3.0f);
    planes(1).randomHit[0] = 1.0f;
    planes(1).randomHit[1] = 1.0f;
    cleanStrip(*drums, 1);
    EXPECT_EQ(velocityAt(*drums, 1, 4, 0), 5.0f);
    EXPECT_EQ(rollAt(*drums, 1, 4, 0), 1.0f);
    EXPECT_EQ(planes(1).randomHit[0], 1.0f);
    EXPECT_EQ(velocityAt(*drums, 1, 4, 1), 0.0f);
    EXPECT_EQ(holdAt(*drums, 1, 4, 1), 1.0f);
    EXPECT_EQ(rollAt(*drums, 1, 4, 1), 0.0f);
    EXPECT_EQ(planes(1).randomHit[1], 0.0f);
}

TEST_F(PatternEdit, GridResetEmptiesEveryStepWithHoldAndTuneZeroButKeepsRolls) {
    for (int s = 0; s < kMaxSteps; ++s) {
        setHit(2, 1, s, 90.0f, 3.0f, 2.0f);
        planes(2).stepTune[at(s)] = 5.0f;
    }
    resetRow(*drums, 2, 1);
    for (int s = 0; s < kMaxSteps; ++s) {
        EXPECT_EQ(velocityAt(*drums, 2, 1, s), 0.0f);
        EXPECT_EQ(holdAt(*drums, 2, 1, s), 0.0f);
        EXPECT_EQ(rollAt(*drums, 2, 1, s), 2.0f);
        EXPECT_EQ(planes(2).stepTune[at(s)], 0.0f);
    }
}

TEST_F(PatternEdit, StripResetEmptiesTheCurrentPatternAndRemovesEveryKeystroke) {
    test::stateOf(*drums).currentPattern = 3;
    for (int s = 0; s < kMaxSteps; ++s) {
        setHit(0, 3, s, 90.0f, 3.0f, 2.0f);
        setHit(0, 4, s, 80.0f);
        planes(0).randomHit[at(s)] = 1.0f;
    }
    resetStrip(*drums, 0);
    EXPECT_EQ(hitCount(*drums, 0, 3), 0);
    EXPECT_EQ(hitCount(*drums, 0, 4), kMaxSteps);
    for (int s = 0; s < kMaxSteps; ++s) {
        EXPECT_EQ(holdAt(*drums, 0, 3, s), 1.0f);
        EXPECT_EQ(rollAt(*drums, 0, 3, s), 0.0f);
        EXPECT_EQ(planes(0).randomHit[at(s)], 0.0f);
    }
}

TEST_F(PatternEdit, DuplicateOfFortyStepsCopiesZeroToTwentyThreeOntoFortyToSixtyThree) {
    test::stateOf(*drums).patternSteps[0] = 40;
    for (int s = 0; s < 40; ++s) {
        setHit(5, 0, s, static_cast<float>(s + 1), static_cast<float>(s % 4));
        planes(5).stepTune[at(s)] = static_cast<float>(s) * 0.5f;
    }
    duplicateRow(*drums, 5, 0);
    EXPECT_EQ(test::stateOf(*drums).patternSteps[0], 64);
    for (int s = 40; s < 64; ++s) {
        EXPECT_EQ(velocityAt(*drums, 5, 0, s), static_cast<float>(s - 40 + 1)) << s;
        EXPECT_EQ(holdAt(*drums, 5, 0, s), static_cast<float>((s - 40) % 4)) << s;
        EXPECT_EQ(planes(5).stepTune[at(s)], static_cast<float>(s - 40) * 0.5f) << s;
    }
    EXPECT_EQ(velocityAt(*drums, 5, 0, 39), 40.0f);
}


TEST_F(PatternEdit, PasteWithoutCopyDoesNothing) {
    setHit(0, 0, 0, 100.0f);
    setHit(1, 0, 5, 60.0f);
    StripClipboard clipboard;
    pasteStrip(*drums, clipboard, 1);
    EXPECT_EQ(velocityAt(*drums, 1, 0, 0), 0.0f);
    EXPECT_EQ(velocityAt(*drums, 1, 0, 5), 60.0f);
}

TEST_F(PatternEdit, CopyThenPasteCopiesTheWholeTrackButNotTunesOrKeystrokes) {
    for (int p = 0; p < kPatternCount; ++p) {
        setHit(2, p, p, 10.0f + static_cast<float>(p), 2.5f, 3.0f);
        planes(2).randomMinDensity[at(p)] = 1.0f;
        planes(2).randomMaxDensity[at(p)] = 4.0f;
        planes(2).randomMaxRoll[at(p)] = 2.0f;
    }
    setHit(7, 3, 20, 99.0f);
    planes(2).stepTune[1] = 7.0f;
    planes(2).randomHit[9] = 1.0f;
    test::stateOf(*drums).tracks.randomMinDensity[2] = 2.0f;
    test::stateOf(*drums).tracks.randomMaxDensity[2] = 5.0f;
    test::stateOf(*drums).tracks.randomMaxRoll[2] = 1.0f;

    StripClipboard clipboard;
    copyStrip(clipboard, test::stateOf(*drums), 2);
    EXPECT_EQ(clipboard.copySourceTrack, 2);
    pasteStrip(*drums, clipboard, 7);

    EXPECT_EQ(planes(7).stepVelocity, planes(2).stepVelocity);
    EXPECT_EQ(planes(7).stepHold, planes(2).stepHold);
    EXPECT_EQ(planes(7).stepRoll, planes(2).stepRoll);
    EXPECT_EQ(velocityAt(*drums, 7, 3, 20), 0.0f);
    EXPECT_EQ(planes(7).randomMinDensity, planes(2).randomMinDensity);
    EXPECT_EQ(planes(7).randomMaxDensity, planes(2).randomMaxDensity);
    EXPECT_EQ(planes(7).randomMaxRoll, planes(2).randomMaxRoll);
    EXPECT_EQ(test::stateOf(*drums).tracks.randomMinDensity[7], 2.0f);
    EXPECT_EQ(test::stateOf(*drums).tracks.randomMaxDensity[7], 5.0f);
    EXPECT_EQ(test::stateOf(*drums).tracks.randomMaxRoll[7], 1.0f);
    EXPECT_EQ(planes(7).stepTune[1], 0.0f);
    EXPECT_EQ(planes(7).randomHit[9], 0.0f);
}


TEST_F(PatternEdit, DuplicateMeasureOneRepeatsTheFirstFourStepsOfThePage) {
    test::stateOf(*drums).currentPattern = 6;
    for (int k = 0; k < 4; ++k)
        setHit(3, 6, 16 + k, static_cast<float>(10 * (k + 1)), 1.5f, static_cast<float>(k));
    setHit(3, 6, 30, 127.0f);
    setHit(3, 6, 32, 77.0f);
    duplicateMeasure1(*drums, 3, 1);
    for (int s = 16; s < 32; ++s) {
        EXPECT_EQ(velocityAt(*drums, 3, 6, s), static_cast<float>(10 * ((s - 16) % 4 + 1))) << s;
        EXPECT_EQ(holdAt(*drums, 3, 6, s), 1.5f) << s;
        EXPECT_EQ(rollAt(*drums, 3, 6, s), static_cast<float>((s - 16) % 4)) << s;
    }
    EXPECT_EQ(velocityAt(*drums, 3, 6, 32), 77.0f);
    EXPECT_EQ(hitCount(*drums, 3, 6), 17);
}

TEST_F(PatternEdit, DuplicateMeasuresOneAndTwoRepeatsTheFirstEightStepsOfThePage) {
    test::stateOf(*drums).currentPattern = 0;
    setHit(0, 0, 48, 20.0f);
    setHit(0, 0, 55, 30.0f, 2.0f, 1.0f);
    setHit(0, 0, 60, 40.0f);
    duplicateMeasures12(*drums, 0, 3);
    EXPECT_EQ(velocityAt(*drums, 0, 0, 56), 20.0f);
    EXPECT_EQ(velocityAt(*drums, 0, 0, 63), 30.0f);
    EXPECT_EQ(holdAt(*drums, 0, 0, 63), 2.0f);
    EXPECT_EQ(rollAt(*drums, 0, 0, 63), 1.0f);
    EXPECT_EQ(velocityAt(*drums, 0, 0, 60), 0.0f);
    EXPECT_EQ(hitCount(*drums, 0, 0), 4);
    duplicateMeasures12(*drums, 0, 4);  // no such page
    EXPECT_EQ(hitCount(*drums, 0, 0), 4);
}

TEST_F(PatternEdit, RandomizeStepNeverPlacesTwoHitsOnOneStep) {
    test::stateOf(*drums).patternSteps[0] = 16;
    // Four hits told apart by their velocity, hold and tune: none may overwrite another.
    for (int k = 0; k < 4; ++k) {
        setHit(4, 0, 3 * k, static_cast<float>(20 + k), static_cast<float>(k + 1));
        planes(4).stepTune[at(3 * k)] = static_cast<float>(-k);
    }
    const auto before = hitsOf(4, 0, 16);
    const std::optional<ReferencePattern> reference = takeReferencePattern(test::stateOf(*drums), 4, 0);
    for (int round = 0; round < 200; ++round) {
        randomizeSteps(*drums, 4, 0, reference);
        ASSERT_EQ(hitsOf(4, 0, 16), before) << "round " << round;
    }
}

TEST_F(PatternEdit, RandomizeStepOnADensePatternOnlyDropsHitsNeverInventsThem) {
    test::stateOf(*drums).patternSteps[1] = 8;
    for (int s = 0; s < 8; ++s) {
        setHit(0, 1, s, static_cast<float>(s + 1));
        planes(0).stepTune[at(s)] = static_cast<float>(s);
    }
    setHit(0, 1, 8, 99.0f);  // beyond the step count: untouched
    const auto reference = std::optional<ReferencePattern>(takeReferencePattern(test::stateOf(*drums), 0, 1));
    bool lostSome = false;
    for (int round = 0; round < 50; ++round) {
        randomizeSteps(*drums, 0, 1, reference);
        const auto after = hitsOf(0, 1, 8);
        int total = 0;
        for (const auto& [hit, count] : after) {
            EXPECT_EQ(count, 1);
            const float velocity = std::get<0>(hit);
            EXPECT_EQ(std::get<2>(hit), velocity - 1.0f) << "a hit must keep its own tune";
            total += count;
        }
        lostSome = lostSome || total < 8;
    }
    EXPECT_TRUE(lostSome) << "eight hits on eight steps with eight draws each rarely all find room";
    EXPECT_EQ(velocityAt(*drums, 0, 1, 8), 99.0f);
}

TEST_F(PatternEdit, RandomizeStepInPlaceKeepsThePlacesAndShufflesTheHits) {
    test::stateOf(*drums).patternSteps[0] = 16;
    const std::vector<int> places{1, 4, 6, 11, 15};
    for (std::size_t k = 0; k < places.size(); ++k)
        setHit(6, 0, places[k], static_cast<float>(30 + k), 2.0f);
    const auto before = hitsOf(6, 0, 16);
    const auto reference = std::optional<ReferencePattern>(takeReferencePattern(test::stateOf(*drums), 6, 0));
    bool moved = false;
    for (int round = 0; round < 20; ++round) {
        randomizeStepsInPlace(*drums, 6, 0, reference);
        EXPECT_EQ(hitsOf(6, 0, 16), before);
        for (int s = 0; s < 16; ++s) {
            const bool isPlace = std::find(places.begin(), places.end(), s) != places.end();
            EXPECT_EQ(velocityAt(*drums, 6, 0, s) != 0.0f, isPlace) << s;
        }
        moved = moved || velocityAt(*drums, 6, 0, 1) != 30.0f;
    }
    EXPECT_TRUE(moved);
}

TEST_F(PatternEdit, RandomizePitchGivesEveryHitATuneOfTheReferenceHits) {
    test::stateOf(*drums).patternSteps[0] = 16;
    for (int s = 0; s < 16; ++s)
        planes(8).stepTune[at(s)] = 100.0f + static_cast<float>(s);  // tunes of empty steps
    const std::vector<int> places{0, 5, 9};
    for (const int s : places) {
        setHit(8, 0, s, 100.0f);
        planes(8).stepTune[at(s)] = static_cast<float>(s);
    }
    const auto reference = std::optional<ReferencePattern>(takeReferencePattern(test::stateOf(*drums), 8, 0));
    for (int round = 0; round < 30; ++round) {
        randomizePitch(*drums, 8, 0, reference);
        for (const int s : places) {
            const float tune = planes(8).stepTune[at(s)];
            EXPECT_TRUE(tune == 0.0f || tune == 5.0f || tune == 9.0f) << tune;
        }
        EXPECT_EQ(planes(8).stepTune[1], 101.0f);
    }
}

TEST_F(PatternEdit, RandomizeHoldGivesEveryStepOfThePatternHoldOneOrTwo) {
    test::stateOf(*drums).patternSteps[2] = 20;
    planes(1).stepHold[2].fill(7.0f);
    const auto reference = std::optional<ReferencePattern>(takeReferencePattern(test::stateOf(*drums), 1, 2));
    randomizeHold(*drums, 1, 2, reference);
    int ones = 0;
    for (int s = 0; s < 20; ++s) {
        const float hold = holdAt(*drums, 1, 2, s);
        EXPECT_TRUE(hold == 1.0f || hold == 2.0f) << hold;
        ones += hold == 1.0f ? 1 : 0;
    }
    EXPECT_GT(ones, 0);
    EXPECT_LT(ones, 20);
    EXPECT_EQ(holdAt(*drums, 1, 2, 20), 7.0f);
}

TEST_F(PatternEdit, RandomizationsAndRestoreWithoutAReferenceDoNothing) {
    setHit(0, 0, 3, 80.0f, 3.0f);
    planes(0).stepTune[3] = 2.0f;
    const std::optional<ReferencePattern> none;
    randomizeSteps(*drums, 0, 0, none);
    randomizeStepsInPlace(*drums, 0, 0, none);
    randomizePitch(*drums, 0, 0, none);
    randomizeHold(*drums, 0, 0, none);
    restoreRow(*drums, 0, 0, none);
    EXPECT_EQ(velocityAt(*drums, 0, 0, 3), 80.0f);
    EXPECT_EQ(holdAt(*drums, 0, 0, 3), 3.0f);
    EXPECT_EQ(holdAt(*drums, 0, 0, 4), 1.0f);
    EXPECT_EQ(planes(0).stepTune[3], 2.0f);
}


TEST_F(PatternEdit, RestoreBringsBackVelocityHoldAndTuneOfAllSixtyFourSteps) {
    test::stateOf(*drums).patternSteps[0] = 16;
    setHit(3, 0, 2, 70.0f, 2.0f, 1.0f);
    setHit(3, 0, 50, 60.0f, 4.0f);
    planes(3).stepTune[2] = -4.0f;
    const auto reference = std::optional<ReferencePattern>(takeReferencePattern(test::stateOf(*drums), 3, 0));
    resetRow(*drums, 3, 0);
    setHit(3, 0, 7, 90.0f);
    restoreRow(*drums, 3, 0, reference);
    EXPECT_EQ(velocityAt(*drums, 3, 0, 2), 70.0f);
    EXPECT_EQ(holdAt(*drums, 3, 0, 2), 2.0f);
    EXPECT_EQ(planes(3).stepTune[2], -4.0f);
    EXPECT_EQ(velocityAt(*drums, 3, 0, 50), 60.0f);
    EXPECT_EQ(holdAt(*drums, 3, 0, 50), 4.0f);
    EXPECT_EQ(velocityAt(*drums, 3, 0, 7), 0.0f);
    EXPECT_EQ(holdAt(*drums, 3, 0, 7), 1.0f);
}

TEST_F(PatternEdit, RotateLeftMovesEveryStepOneEarlierAndTheFirstToTheLast) {
    test::stateOf(*drums).currentPattern = 5;
    test::stateOf(*drums).patternSteps[5] = 12;
    for (int t : {0, 11}) {
        setHit(t, 5, 0, 100.0f, 2.0f, 3.0f);
        setHit(t, 5, 4, 50.0f, 1.5f, 1.0f);
        setHit(t, 5, 12, 33.0f);  // beyond the step count: stays
    }
    setHit(0, 6, 0, 10.0f);  // another pattern: stays
    rotatePatternLeft(*drums);
    for (int t : {0, 11}) {
        EXPECT_EQ(velocityAt(*drums, t, 5, 11), 100.0f);
        EXPECT_EQ(holdAt(*drums, t, 5, 11), 2.0f);
        EXPECT_EQ(rollAt(*drums, t, 5, 11), 3.0f);
        EXPECT_EQ(velocityAt(*drums, t, 5, 3), 50.0f);
        EXPECT_EQ(rollAt(*drums, t, 5, 3), 1.0f);
        EXPECT_EQ(velocityAt(*drums, t, 5, 0), 0.0f);
        EXPECT_EQ(velocityAt(*drums, t, 5, 12), 33.0f);
        EXPECT_EQ(hitCount(*drums, t, 5), 3);
    }
    EXPECT_EQ(velocityAt(*drums, 0, 6, 0), 10.0f);
}

TEST_F(PatternEdit, RotateRightMovesEveryStepOneLaterAndTheLastToTheFirst) {
    test::stateOf(*drums).currentPattern = 0;
    test::stateOf(*drums).patternSteps[0] = 16;
    setHit(2, 0, 15, 100.0f, 2.0f, 2.0f);
    setHit(2, 0, 3, 50.0f);
    rotatePatternRight(*drums);
    EXPECT_EQ(velocityAt(*drums, 2, 0, 0), 100.0f);
    EXPECT_EQ(holdAt(*drums, 2, 0, 0), 2.0f);
    EXPECT_EQ(rollAt(*drums, 2, 0, 0), 2.0f);
    EXPECT_EQ(velocityAt(*drums, 2, 0, 4), 50.0f);
    EXPECT_EQ(velocityAt(*drums, 2, 0, 15), 0.0f);
    EXPECT_EQ(velocityAt(*drums, 2, 0, 16), 0.0f);
    rotatePatternLeft(*drums);
    EXPECT_EQ(velocityAt(*drums, 2, 0, 15), 100.0f);
    EXPECT_EQ(velocityAt(*drums, 2, 0, 3), 50.0f);
}

TEST_F(PatternEdit, RotatingAPatternWithoutStepsDoesNothing) {
    test::stateOf(*drums).currentPattern = 1;
    test::stateOf(*drums).patternSteps[1] = 0;
    setHit(0, 1, 0, 100.0f);
    rotatePatternLeft(*drums);
    rotatePatternRight(*drums);
    EXPECT_EQ(velocityAt(*drums, 0, 1, 0), 100.0f);
    EXPECT_EQ(hitCount(*drums, 0, 1), 1);
}

}  // namespace
}  // namespace rimba::test::patterns
