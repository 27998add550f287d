// Pattern files with values no editor writes: swing, fill attenuation and step counts far outside
// their ranges, in every line form, are held to the ranges the parameters and program chunks
// use, and the lines after them are still read.

#include <gtest/gtest.h>

#include "plugin/core/PatternSets.h"
#include "plugin/tools/AudioExport.h"
#include "tests/plugin/files/PatternFixtures.h"
#include "tests/plugin/files/SoundFixtures.h"
#include "tests/support/InstrumentProbe.h"

namespace rimba::test::patterns {
namespace {

using files::fixtures::TempFolder;

std::string header(const std::string& swing, const std::string& fill) {
    return line({"STEPNUMBER_MODE", "64", "2", swing, "0.0000", "0.0000", "0.0000", "0.0000", "0.0000", "0.0000",
                 "0.0000", "0.0000", "0.0000", "0.0000", "0.0000", fill});
}

class HostilePatternValues : public ::testing::Test {
protected:
    int loadSet(const std::string& text, int tracks = 12) {
        drums = makeDrums(tracks);
        const std::string path = folder / "hostile.ptn";
        writeText(path, text);
        return *loadPatternSet(test::stateOf(*drums), path);
    }
    int loadSingle(const std::string& text, int pattern) {
        drums = makeDrums(12);
        const std::string path = folder / "hostile.pat";
        writeText(path, text);
        return *loadPattern(test::stateOf(*drums), path, pattern);
    }

    TempFolder folder;
    std::unique_ptr<VornDrums> drums;
};

struct HeaderCase {
    const char* swing;
    const char* fill;
    std::int32_t expectedSwing;
    std::int32_t expectedFill;
};

TEST_F(HostilePatternValues, SwingAndFillAttenuationOfAHeaderAreHeldToTheirRanges) {
    const HeaderCase cases[] = {
        {"1000.0000", "99999.0000", 127, 127},
        {"2000000000.0000", "-5.0000", 127, 0},
        {"-2000000000.0000", "1e300", 0, 127},
        {"64.0000", "100.0000", 64, 100},  // values in range stay as they are
    };
    for (const HeaderCase& c : cases) {
        SCOPED_TRACE(std::string("swing ") + c.swing + ", fill " + c.fill);
        EXPECT_EQ(
            loadSet(header(c.swing, c.fill) + line({"PATTERN_NOTES", "1", "16", "0", "2", "36", "1.0", "90", "0.0"})),
            1);
        EXPECT_EQ(test::stateOf(*drums).swing, c.expectedSwing);
        EXPECT_EQ(test::stateOf(*drums).fillAttenuation, c.expectedFill);
        EXPECT_EQ(velocityAt(*drums, 0, 1, 2), 90.0f) << "the line after the header is still read";
    }
}

struct StepCountCase {
    const char* steps;
    std::int32_t expected;
};
constexpr StepCountCase kStepCounts[] = {{"0", 1}, {"-7", 1}, {"1000000000", 64}, {"99999999999", 64}, {"48", 48}};

TEST_F(HostilePatternValues, StepCountsOfEveryLineFormAreHeldToOneToSixtyFour) {
    for (const StepCountCase& c : kStepCounts) {
        SCOPED_TRACE(std::string("steps ") + c.steps);
        const std::string after = line({"PATTERN_NOTES", "9", "24", "1", "5", "37", "1.0", "70"});
        EXPECT_EQ(loadSet(line({"PATTERN_NOTES", "3", c.steps, "1", "0", "36", "1.0", "100"}) + after), 2);
        EXPECT_EQ(test::stateOf(*drums).patternSteps[3], c.expected) << "oldest form";
        EXPECT_EQ(test::stateOf(*drums).patternSteps[9], 24);
        EXPECT_EQ(velocityAt(*drums, 1, 9, 5), 70.0f);

        const std::string channel =
            "PATTERN_NOTES_CHANNEL;12;4;" + std::string(c.steps) + ";1;" + repeated("-1;-1;0;", 12) + "\r\n";
        EXPECT_EQ(loadSet(channel + after), 2);
        EXPECT_EQ(test::stateOf(*drums).patternSteps[4], c.expected) << "channel form";
        EXPECT_EQ(test::stateOf(*drums).patternSteps[9], 24);

        const std::string eightTrack =
            "PATTERN_NOTES_EX;5;" + std::string(c.steps) + ";1;" + repeated("-1;-1;0;", 8) + "\r\n";
        EXPECT_EQ(loadSet(eightTrack + after, 8), 2);
        EXPECT_EQ(test::stateOf(*drums).patternSteps[5], c.expected) << "eight-track form";

        const std::string single = "PATTERN_NOTES_CHANNEL;12;0;" + std::string(c.steps) + ";0;" +
                                   repeated("-1;-1;0;", 12) + "1.0000;38;1.0000;60;0.0000;\r\n";
        EXPECT_EQ(loadSingle(single, 6), 1);
        EXPECT_EQ(test::stateOf(*drums).patternSteps[6], c.expected) << "single pattern file";
        EXPECT_EQ(velocityAt(*drums, 2, 6, 1), 60.0f);
    }
}

TEST_F(HostilePatternValues, NoteVelocitiesAreMidiVelocitiesAndHoldsAndRollsAreNumbers) {
    const std::string notes = line({"STEPNUMBER_MODE", "64", "1", "0.0000", "0.0000", "0.0000", "0.0000", "0.0000",
                                    "0.0000", "0.0000", "0.0000", "0.0000", "0.0000", "0.0000", "0.0000"}) +
                              "PATTERN_NOTES;0;16;0;" + "1.0;36;nan;300;inf;" + "2.0;37;2.5;-40;1.0;" +
                              "3.0;38;1.5;99;2.0;\r\n";
    EXPECT_EQ(loadSet(notes), 1);
    EXPECT_EQ(velocityAt(*drums, 0, 0, 1), 127.0f);
    EXPECT_EQ(holdAt(*drums, 0, 0, 1), 1.0f);
    EXPECT_EQ(rollAt(*drums, 0, 0, 1), 0.0f);
    EXPECT_EQ(velocityAt(*drums, 1, 0, 2), 0.0f) << "a negative velocity is no hit";
    EXPECT_EQ(velocityAt(*drums, 2, 0, 3), 99.0f);
    EXPECT_EQ(holdAt(*drums, 2, 0, 3), 1.5f);
    EXPECT_EQ(rollAt(*drums, 2, 0, 3), 2.0f);
}

TEST_F(HostilePatternValues, AnAudioExportOfAHostilePatternLastsAtMostSixtyFourSteps) {
    ASSERT_EQ(loadSet("PATTERN_NOTES_CHANNEL;12;0;2000000000;0;" + repeated("-1;-1;0;", 12) + "\r\n"), 1);
    test::stateOf(*drums).playMode = 0;
    const std::int32_t frames = offlineFrameCount(
        kDefaultSampleRate, 120.0,
        test::stateOf(*drums).patternSteps[static_cast<std::size_t>(test::stateOf(*drums).currentPattern)]);
    EXPECT_EQ(frames, offlineFrameCount(kDefaultSampleRate, 120.0, kMaxSteps));
}

}  // namespace
}  // namespace rimba::test::patterns
