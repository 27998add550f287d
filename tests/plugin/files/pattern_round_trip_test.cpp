// Pattern sets and single patterns saved and loaded back, the header as written, and saves that
// fail or files that cannot be read.

#include <filesystem>

#include <gtest/gtest.h>

#include "plugin/core/PatternSets.h"
#include "tests/plugin/files/PatternFixtures.h"
#include "tests/plugin/files/SoundFixtures.h"
#include "tests/support/InstrumentProbe.h"

namespace rimba::test::patterns {
namespace {

using files::fixtures::TempFolder;

void expectSamePatterns(const VornDrums& saved, const VornDrums& loaded) {
    for (int t = 0; t < test::stateOf(saved).trackCount; ++t) {
        const TrackPatterns& a = test::stateOf(saved).patterns[at(t)];
        const TrackPatterns& b = test::stateOf(loaded).patterns[at(t)];
        EXPECT_EQ(a.stepVelocity, b.stepVelocity) << "track " << t;
        EXPECT_EQ(a.stepHold, b.stepHold) << "track " << t;
        EXPECT_EQ(a.stepRoll, b.stepRoll) << "track " << t;
        EXPECT_EQ(a.randomMinDensity, b.randomMinDensity) << "track " << t;
        EXPECT_EQ(a.randomMaxDensity, b.randomMaxDensity) << "track " << t;
        EXPECT_EQ(a.randomMaxRoll, b.randomMaxRoll) << "track " << t;
    }
    EXPECT_EQ(test::stateOf(saved).patternSteps, test::stateOf(loaded).patternSteps);
    EXPECT_EQ(test::stateOf(saved).chainEnabled, test::stateOf(loaded).chainEnabled);
    EXPECT_EQ(test::stateOf(saved).playMode, test::stateOf(loaded).playMode);
    EXPECT_EQ(test::stateOf(saved).swing, test::stateOf(loaded).swing);
    EXPECT_EQ(test::stateOf(saved).randomAuto, test::stateOf(loaded).randomAuto);
    EXPECT_EQ(test::stateOf(saved).randomPerPattern, test::stateOf(loaded).randomPerPattern);
    EXPECT_EQ(test::stateOf(saved).randomGraphVisible, test::stateOf(loaded).randomGraphVisible);
    EXPECT_EQ(test::stateOf(saved).patternSetReserved, test::stateOf(loaded).patternSetReserved);
    EXPECT_EQ(test::stateOf(saved).fillAttenuation, test::stateOf(loaded).fillAttenuation);
}

void roundTripFullSet(int tracks, const std::string& expectedKeyword) {
    TempFolder folder;
    const std::string path = folder / "full.ptn";
    auto saved = makeDrums(tracks);
    fillEverything(*saved);
    ASSERT_TRUE(savePatternSet(test::stateOf(*saved), path));

    const std::vector<std::string> lines = linesOf(readText(path));
    ASSERT_EQ(lines.size(), 17u);
    for (int p = 0; p < kPatternCount; ++p) {
        const std::vector<std::string> fields = fieldsOf(lines[at(p + 1)]);
        ASSERT_FALSE(fields.empty());
        EXPECT_EQ(fields[0], expectedKeyword);
    }

    auto loaded = makeDrums(tracks);
    EXPECT_EQ(*loadPatternSet(test::stateOf(*loaded), path), kPatternCount);
    expectSamePatterns(*saved, *loaded);
    EXPECT_EQ(test::stateOf(*loaded).currentPattern, 0);
}

TEST(PatternSetRoundTrip, FullPatternsOfTwelveTracksComeBackIdentical) {
    roundTripFullSet(12, "PATTERN_NOTES_CHANNEL");
}

TEST(PatternSetRoundTrip, FullPatternsOfEightTracksComeBackIdenticalThroughTheEightTrackForm) {
    roundTripFullSet(8, "PATTERN_NOTES_EX");
}

TEST(PatternSetRoundTrip, ABusyLineHoldsAnEntryForEveryHitOfEveryTrack) {
    TempFolder folder;
    const std::string path = folder / "busy.ptn";
    auto drums = makeDrums(12);
    fillEverything(*drums);
    ASSERT_TRUE(savePatternSet(test::stateOf(*drums), path));
    const std::vector<std::string> fields = fieldsOf(linesOf(readText(path))[1]);
    // Head of five fields, twelve random triples, then 64 steps x 12 tracks of five fields.
    EXPECT_EQ(fields.size(), 5u + 36u + 64u * 12u * 5u);
}

TEST(PatternSetRoundTrip, HeaderAtResetValuesIsTheKeywordSixtyFourOneTwelveZerosAndSixtyFour) {
    TempFolder folder;
    const std::string path = folder / "reset.ptn";
    auto drums = makeDrums(12);
    fillEverything(*drums);
    resetPatterns(test::stateOf(*drums));
    ASSERT_TRUE(savePatternSet(test::stateOf(*drums), path));
    const std::string expected =
        "STEPNUMBER_MODE;64;1;0.0000;0.0000;0.0000;0.0000;0.0000;0.0000;0.0000;0.0000;"
        "0.0000;0.0000;0.0000;0.0000;64.0000;\r\n";
    EXPECT_EQ(readText(path).substr(0, expected.size()), expected);
}

TEST(PatternSetRoundTrip, ResetPatternLinesCarryOnlyTheirHeadAndTriples) {
    TempFolder folder;
    const std::string path = folder / "reset.ptn";
    auto drums = makeDrums(8);
    resetPatterns(test::stateOf(*drums));
    ASSERT_TRUE(savePatternSet(test::stateOf(*drums), path));
    const std::vector<std::string> lines = linesOf(readText(path));
    ASSERT_EQ(lines.size(), 17u);
    EXPECT_EQ(lines[3], "PATTERN_NOTES_EX;2;16;0;" + repeated("-1;-1;0;", 8));
}

TEST(PatternSetRoundTrip, ReservedValuesAreWrittenInPairsOfKAndKPlusFour) {
    TempFolder folder;
    const std::string path = folder / "reserved.ptn";
    auto drums = makeDrums(12);
    for (int k = 0; k < 8; ++k)
        test::stateOf(*drums).patternSetReserved[at(k)] = static_cast<float>(k + 1);
    ASSERT_TRUE(savePatternSet(test::stateOf(*drums), path));
    const std::vector<std::string> header = fieldsOf(linesOf(readText(path))[0]);
    ASSERT_EQ(header.size(), 16u);
    const std::vector<std::string> expected{"1.0000", "5.0000", "2.0000", "6.0000",
                                            "3.0000", "7.0000", "4.0000", "8.0000"};
    EXPECT_EQ(std::vector<std::string>(header.begin() + 7, header.begin() + 15), expected);
}

TEST(PatternSetRoundTrip, NoteEntriesAreWrittenWithTheTrackKeyAndRealSteps) {
    TempFolder folder;
    const std::string path = folder / "one.ptn";
    auto drums = makeDrums(12);
    resetPatterns(test::stateOf(*drums));
    test::stateOf(*drums).patterns[3].stepVelocity[0][9] = 77.0f;
    test::stateOf(*drums).patterns[3].stepHold[0][9] = 2.5f;
    test::stateOf(*drums).patterns[3].stepRoll[0][9] = 2.0f;
    test::stateOf(*drums).settings.trackKey[3] = 45.7f;
    ASSERT_TRUE(savePatternSet(test::stateOf(*drums), path));
    const std::string expected =
        "PATTERN_NOTES_CHANNEL;12;0;16;0;" + repeated("-1;-1;0;", 12) + "9.0000;45;2.5000;77;2.0000;";
    EXPECT_EQ(linesOf(readText(path))[1], expected);
}

TEST(PatternSetRoundTrip, LoadingASetFirstEmptiesEveryPatternAndTheRandomSettings) {
    TempFolder folder;
    const std::string path = folder / "small.ptn";
    writeText(path, line({"PATTERN_NOTES_CHANNEL", "0", "4", "32", "1", "2.0000", "37", "1.0000", "90", "0.0000"}));
    auto drums = makeDrums(12);
    fillEverything(*drums);
    test::stateOf(*drums).patterns[1].randomHit[5] = 1.0f;
    test::stateOf(*drums).tracks.randomMinDensity[1] = 2.0f;
    test::stateOf(*drums).tracks.randomMaxDensity[1] = 4.0f;
    test::stateOf(*drums).tracks.randomMaxRoll[1] = 3.0f;

    EXPECT_EQ(*loadPatternSet(test::stateOf(*drums), path), 1);
    for (int t = 0; t < 12; ++t) {
        for (int p = 0; p < kPatternCount; ++p)
            EXPECT_EQ(hitCount(*drums, t, p), (t == 1 && p == 4) ? 1 : 0) << t << " " << p;
    }
    EXPECT_EQ(velocityAt(*drums, 1, 4, 2), 90.0f);
    EXPECT_EQ(test::stateOf(*drums).patternSteps[4], 32);
    EXPECT_EQ(test::stateOf(*drums).patternSteps[5], 16);
    EXPECT_EQ(test::stateOf(*drums).chainEnabled[4], 1);
    EXPECT_EQ(test::stateOf(*drums).chainEnabled[1], 0);
    EXPECT_EQ(test::stateOf(*drums).patterns[1].randomHit[5], 0.0f);
    EXPECT_EQ(test::stateOf(*drums).patterns[1].randomMinDensity[4], -1.0f);
    EXPECT_EQ(test::stateOf(*drums).tracks.randomMinDensity[1], -1.0f);
    EXPECT_EQ(test::stateOf(*drums).tracks.randomMaxDensity[1], -1.0f);
    EXPECT_EQ(test::stateOf(*drums).tracks.randomMaxRoll[1], 0.0f);
    EXPECT_EQ(test::stateOf(*drums).playMode, 0);
    EXPECT_EQ(test::stateOf(*drums).swing, 0);
    EXPECT_EQ(test::stateOf(*drums).fillAttenuation, 64);
    EXPECT_EQ(test::stateOf(*drums).currentPattern, 0);
}

TEST(PatternSetRoundTrip, AFileThatCannotBeReadChangesNothing) {
    TempFolder folder;
    auto drums = makeDrums(12);
    fillEverything(*drums);
    auto untouched = makeDrums(12);
    fillEverything(*untouched);
    EXPECT_FALSE(loadPatternSet(test::stateOf(*drums), folder / "missing.ptn"));
    EXPECT_FALSE(loadPattern(test::stateOf(*drums), folder / "missing.pat", 7));
    EXPECT_FALSE(loadPatternSet(test::stateOf(*drums), folder.path()));
    expectSamePatterns(*untouched, *drums);
    EXPECT_EQ(test::stateOf(*drums).currentPattern, 7);
}

TEST(SinglePatternRoundTrip, AFullPatternComesBackIdenticalInAnotherPatternSlot) {
    TempFolder folder;
    const std::string path = folder / "one.pat";
    auto saved = makeDrums(12);
    fillEverything(*saved);
    ASSERT_TRUE(savePattern(test::stateOf(*saved), path, 6));
    const std::vector<std::string> lines = linesOf(readText(path));
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(fieldsOf(lines[0])[0], "PATTERN_NOTES_CHANNEL");

    auto loaded = makeDrums(12);
    EXPECT_EQ(*loadPattern(test::stateOf(*loaded), path, 11), 1);
    for (int t = 0; t < 12; ++t) {
        EXPECT_EQ(test::stateOf(*saved).patterns[at(t)].stepVelocity[6],
                  test::stateOf(*loaded).patterns[at(t)].stepVelocity[11]);
        EXPECT_EQ(test::stateOf(*saved).patterns[at(t)].stepHold[6],
                  test::stateOf(*loaded).patterns[at(t)].stepHold[11]);
        EXPECT_EQ(test::stateOf(*saved).patterns[at(t)].stepRoll[6],
                  test::stateOf(*loaded).patterns[at(t)].stepRoll[11]);
        EXPECT_EQ(test::stateOf(*saved).patterns[at(t)].randomMaxDensity[6],
                  test::stateOf(*loaded).patterns[at(t)].randomMaxDensity[11]);
    }
    EXPECT_EQ(test::stateOf(*loaded).patternSteps[11], test::stateOf(*saved).patternSteps[6]);
    EXPECT_EQ(test::stateOf(*loaded).chainEnabled[11], 0);  // the chain field of a single pattern is not read
}

TEST(SinglePatternRoundTrip, AnEightTrackInstrumentWritesTheChannelFormToo) {
    TempFolder folder;
    const std::string path = folder / "eight.pat";
    auto drums = makeDrums(8);
    resetPatterns(test::stateOf(*drums));
    test::stateOf(*drums).patternSteps[2] = 24;
    test::stateOf(*drums).chainEnabled[2] = 1;
    ASSERT_TRUE(savePattern(test::stateOf(*drums), path, 2));
    EXPECT_EQ(readText(path), "PATTERN_NOTES_CHANNEL;8;2;24;1;" + repeated("-1;-1;0;", 8) + "\r\n");
    EXPECT_FALSE(savePattern(test::stateOf(*drums), folder / "bad.pat", 16));
}

}  // namespace
}  // namespace rimba::test::patterns
