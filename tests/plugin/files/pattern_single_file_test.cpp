// Single pattern files, written line by line in the tests: the pattern they fill is the one they
// are loaded into, whatever pattern the file names.

#include <gtest/gtest.h>

#include "plugin/core/PatternSets.h"
#include "tests/plugin/files/PatternFixtures.h"
#include "tests/plugin/files/SoundFixtures.h"
#include "tests/support/InstrumentProbe.h"

namespace rimba::test::patterns {
namespace {

using files::fixtures::TempFolder;

class SinglePatternFile : public ::testing::Test {
protected:
    void SetUp() override { drums = makeDrums(12); }

    int load(const std::string& text, int pattern) {
        const std::string path = folder / "one.pat";
        writeText(path, text);
        const Result<int> lines = loadPattern(test::stateOf(*drums), path, pattern);
        return lines ? *lines : -1;
    }

    void fillPattern(int pattern, float velocity) {
        for (int t = 0; t < test::stateOf(*drums).trackCount; ++t) {
            TrackPatterns& planes = test::stateOf(*drums).patterns[static_cast<std::size_t>(t)];
            planes.stepVelocity[static_cast<std::size_t>(pattern)].fill(velocity);
            planes.stepHold[static_cast<std::size_t>(pattern)].fill(3.0f);
            planes.stepRoll[static_cast<std::size_t>(pattern)].fill(2.0f);
            planes.randomMinDensity[static_cast<std::size_t>(pattern)] = 4.0f;
        }
    }

    TempFolder folder;
    std::unique_ptr<VornDrums> drums;
};

TEST_F(SinglePatternFile, AFileNamingPatternFiveFillsPatternTwoWhenPatternTwoIsCurrent) {
    test::stateOf(*drums).currentPattern = 2;
    const std::string text =
        "PATTERN_NOTES_CHANNEL;12;5;24;1;" + repeated("2;3;1;", 12) + "4.0000;38;1.5000;88;1.0000;\r\n";
    EXPECT_EQ(load(text, test::stateOf(*drums).currentPattern), 1);
    EXPECT_EQ(velocityAt(*drums, 2, 2, 4), 88.0f);
    EXPECT_EQ(holdAt(*drums, 2, 2, 4), 1.5f);
    EXPECT_EQ(rollAt(*drums, 2, 2, 4), 1.0f);
    EXPECT_EQ(test::stateOf(*drums).patternSteps[2], 24);
    EXPECT_EQ(test::stateOf(*drums).patterns[11].randomMaxDensity[2], 3.0f);
    EXPECT_EQ(test::stateOf(*drums).chainEnabled[2], 0);
    EXPECT_EQ(hitCount(*drums, 2, 5), 0);
    EXPECT_EQ(test::stateOf(*drums).patternSteps[5], 16);
    EXPECT_EQ(test::stateOf(*drums).patterns[0].randomMinDensity[5], -1.0f);
}

TEST_F(SinglePatternFile, LoadingClearsThatPatternAndEveryRandomKeystrokeButNothingElse) {
    fillPattern(2, 50.0f);
    fillPattern(3, 60.0f);
    for (int t = 0; t < test::stateOf(*drums).trackCount; ++t)
        test::stateOf(*drums).patterns[static_cast<std::size_t>(t)].randomHit[7] = 1.0f;
    test::stateOf(*drums).playMode = 2;
    test::stateOf(*drums).swing = 20;

    EXPECT_EQ(load(line({"PATTERN_NOTES_CHANNEL", "0", "9", "32", "1", "1.0000", "36", "1.0000", "99", "0.0000"}), 2),
              1);
    EXPECT_EQ(hitCount(*drums, 0, 2), 1);
    EXPECT_EQ(velocityAt(*drums, 0, 2, 1), 99.0f);
    EXPECT_EQ(holdAt(*drums, 0, 2, 5), 1.0f);
    EXPECT_EQ(rollAt(*drums, 0, 2, 5), 0.0f);
    for (int t = 0; t < test::stateOf(*drums).trackCount; ++t) {
        EXPECT_EQ(hitCount(*drums, t, 3), kMaxSteps) << "track " << t;
        EXPECT_EQ(test::stateOf(*drums).patterns[static_cast<std::size_t>(t)].randomHit[7], 0.0f) << "track " << t;
        EXPECT_EQ(test::stateOf(*drums).patterns[static_cast<std::size_t>(t)].randomMinDensity[2], 4.0f)
            << "track " << t;
    }
    EXPECT_EQ(test::stateOf(*drums).playMode, 2);
    EXPECT_EQ(test::stateOf(*drums).swing, 20);
}

TEST_F(SinglePatternFile, AnEightTrackLineTakesFiveFieldEntries) {
    const std::string text = "PATTERN_NOTES_EX;9;40;1;" + repeated("1;5;2;", 8) + "3.0000;39;1.0000;70;2.0000;\r\n";
    EXPECT_EQ(load(text, 0), 1);
    EXPECT_EQ(test::stateOf(*drums).patternSteps[0], 40);
    EXPECT_EQ(test::stateOf(*drums).chainEnabled[0], 0);
    EXPECT_EQ(velocityAt(*drums, 3, 0, 3), 70.0f);
    EXPECT_EQ(rollAt(*drums, 3, 0, 3), 2.0f);
    EXPECT_EQ(test::stateOf(*drums).patterns[7].randomMaxDensity[0], 5.0f);
    EXPECT_EQ(test::stateOf(*drums).patterns[8].randomMaxDensity[0], -1.0f);
    EXPECT_EQ(hitCount(*drums, 3, 9), 0);
}

TEST_F(SinglePatternFile, OtherLineFormsAndTheEndMarkerAreSkipped) {
    const std::string text =
        line({"STEPNUMBER_MODE", "64", "3", "50.0000"}) +
        line({"PATTERN_NOTES", "0", "20", "1", "1", "36", "1.0", "77"}) + line({"PATTERNS", "END"}) +
        line({"PATTERN_NOTES_CHANNEL", "0", "0", "12", "0", "2.0000", "37", "1.0000", "66", "0.0000"});
    EXPECT_EQ(load(text, 4), 1);
    EXPECT_EQ(test::stateOf(*drums).playMode, 1);
    EXPECT_EQ(test::stateOf(*drums).swing, 0);
    EXPECT_EQ(velocityAt(*drums, 0, 4, 1), 0.0f);
    EXPECT_EQ(velocityAt(*drums, 1, 4, 2), 66.0f);
    EXPECT_EQ(test::stateOf(*drums).patternSteps[4], 12);
}

TEST_F(SinglePatternFile, AChannelLineForMoreTracksThanTheInstrumentHasIsSkipped) {
    drums = makeDrums(8);
    const std::string text =
        "PATTERN_NOTES_CHANNEL;12;0;32;0;" + repeated("-1;-1;0;", 12) + "0.0000;36;1.0000;100;0.0000;\r\n";
    EXPECT_EQ(load(text, 1), 0);
    EXPECT_EQ(test::stateOf(*drums).patternSteps[1], 16);
    EXPECT_EQ(hitCount(*drums, 0, 1), 0);
}

TEST_F(SinglePatternFile, APatternIndexOutOfRangeChangesNothing) {
    fillPattern(0, 40.0f);
    EXPECT_EQ(load(line({"PATTERN_NOTES_CHANNEL", "0", "0", "12", "0"}), 16), -1);
    EXPECT_EQ(load(line({"PATTERN_NOTES_CHANNEL", "0", "0", "12", "0"}), -1), -1);
    EXPECT_EQ(hitCount(*drums, 0, 0), kMaxSteps);
}

}  // namespace
}  // namespace rimba::test::patterns
