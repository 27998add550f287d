// Pattern set files in every line form the reader takes, written line by line in the tests from
// the layout rules: the oldest form, the eight-track form, the channel form, headers of several
// lengths, the end marker, and the lexical rules.

#include <gtest/gtest.h>

#include "plugin/core/PatternSets.h"
#include "tests/plugin/files/PatternFixtures.h"
#include "tests/plugin/files/SoundFixtures.h"
#include "tests/support/InstrumentProbe.h"

namespace rimba::test::patterns {
namespace {

using files::fixtures::TempFolder;

const std::string kFullHeader = line({"STEPNUMBER_MODE", "64", "2", "0.0000", "0.0000", "0.0000", "0.0000", "0.0000",
                                      "0.0000", "0.0000", "0.0000", "0.0000", "0.0000", "0.0000", "0.0000", "64.0000"});

class PatternSetForms : public ::testing::Test {
protected:
    // Writes the text as a set file and loads it; answers the loader's count of pattern lines.
    int load(const std::string& text, int tracks = 12) {
        drums = makeDrums(tracks);
        const std::string path = folder / "set.ptn";
        writeText(path, text);
        return *loadPatternSet(test::stateOf(*drums), path);
    }

    TempFolder folder;
    std::unique_ptr<VornDrums> drums;
};

TEST_F(PatternSetForms, OldestLinesWithoutAHeaderTakeFourFieldEntries) {
    EXPECT_EQ(load(line({"PATTERN_NOTES", "3", "20", "1", "0", "36", "1.5", "100", "4", "38", "2", "80"})), 1);
    EXPECT_EQ(velocityAt(*drums, 0, 3, 0), 100.0f);
    EXPECT_EQ(holdAt(*drums, 0, 3, 0), 1.5f);
    EXPECT_EQ(rollAt(*drums, 0, 3, 0), 0.0f);
    EXPECT_EQ(velocityAt(*drums, 2, 3, 4), 80.0f);
    EXPECT_EQ(holdAt(*drums, 2, 3, 4), 2.0f);
    EXPECT_EQ(test::stateOf(*drums).patternSteps[3], 20);
    EXPECT_EQ(test::stateOf(*drums).chainEnabled[3], 1);
}

TEST_F(PatternSetForms, AHeaderOfSevenFieldsSetsItsValuesAndKeepsFourFieldEntries) {
    const std::string text = line({"STEPNUMBER_MODE", "64", "3", "25.0000", "1.0000", "1.0000", "1.0000"}) +
                             line({"PATTERN_NOTES", "0", "16", "0", "2", "36", "1.0", "50", "6", "37", "1.0", "60"});
    EXPECT_EQ(load(text), 1);
    const InstrumentState& state = test::stateOf(*drums);
    EXPECT_EQ(state.playMode, 2);
    EXPECT_EQ(state.swing, 25);
    EXPECT_EQ(state.randomAuto, 1);
    EXPECT_EQ(state.randomPerPattern, 1);
    EXPECT_EQ(state.randomGraphVisible, 0);
    EXPECT_EQ(state.fillAttenuation, 64);
    EXPECT_EQ(velocityAt(*drums, 0, 0, 2), 50.0f);
    EXPECT_EQ(velocityAt(*drums, 1, 0, 6), 60.0f);
    EXPECT_EQ(rollAt(*drums, 0, 0, 2), 0.0f);
}

TEST_F(PatternSetForms, AHeaderOfFourFieldsSetsOnlyPlayModeAndSwing) {
    EXPECT_EQ(load(line({"STEPNUMBER_MODE", "64", "2", "12.9000"})), 0);
    EXPECT_EQ(test::stateOf(*drums).playMode, 1);
    EXPECT_EQ(test::stateOf(*drums).swing, 12);
    EXPECT_EQ(test::stateOf(*drums).randomAuto, 0);
}

TEST_F(PatternSetForms, AFullHeaderMakesTheOldestFormTakeFiveFieldEntries) {
    const std::string text = line({"STEPNUMBER_MODE", "64", "1", "10.0000", "1.0000", "0.0000", "1.0000", "0.1000",
                                   "0.5000", "0.2000", "0.6000", "0.3000", "0.7000", "0.4000", "0.8000", "90.0000"}) +
                             line({"PATTERN_NOTES", "1", "16", "0", "2.0000", "36", "1.0000", "50", "3.0000", "6.0000",
                                   "37", "1.0000", "60", "1.0000"});
    EXPECT_EQ(load(text), 1);
    EXPECT_EQ(test::stateOf(*drums).playMode, 0);
    EXPECT_EQ(test::stateOf(*drums).randomGraphVisible, 1);
    EXPECT_EQ(test::stateOf(*drums).fillAttenuation, 90);
    const std::array<float, 8> reserved{0.1f, 0.2f, 0.3f, 0.4f, 0.5f, 0.6f, 0.7f, 0.8f};
    EXPECT_EQ(test::stateOf(*drums).patternSetReserved, reserved);
    EXPECT_EQ(rollAt(*drums, 0, 1, 2), 3.0f);
    EXPECT_EQ(rollAt(*drums, 1, 1, 6), 1.0f);
}

TEST_F(PatternSetForms, EightTrackLinesAreReadByATwelveTrackInstrument) {
    std::string triples;
    for (int t = 0; t < 8; ++t)
        triples += std::to_string(t % 7 - 1) + ";" + std::to_string(t % 5) + ";" + std::to_string(t % 3) + ";";
    const std::string text = kFullHeader + "PATTERN_NOTES_EX;5;48;1;" + triples +
                             "7.0000;43;0.5000;120;1.0000;40.0000;36;2.0000;30;3.0000;\r\n";
    EXPECT_EQ(load(text, 12), 1);
    for (int t = 0; t < 8; ++t) {
        EXPECT_EQ(test::stateOf(*drums).patterns[static_cast<std::size_t>(t)].randomMinDensity[5],
                  static_cast<float>(t % 7 - 1));
        EXPECT_EQ(test::stateOf(*drums).patterns[static_cast<std::size_t>(t)].randomMaxDensity[5],
                  static_cast<float>(t % 5));
        EXPECT_EQ(test::stateOf(*drums).patterns[static_cast<std::size_t>(t)].randomMaxRoll[5],
                  static_cast<float>(t % 3));
    }
    EXPECT_EQ(velocityAt(*drums, 7, 5, 7), 120.0f);
    EXPECT_EQ(holdAt(*drums, 7, 5, 7), 0.5f);
    EXPECT_EQ(rollAt(*drums, 7, 5, 7), 1.0f);
    EXPECT_EQ(velocityAt(*drums, 0, 5, 40), 30.0f);
    EXPECT_EQ(rollAt(*drums, 0, 5, 40), 3.0f);
    EXPECT_EQ(test::stateOf(*drums).patternSteps[5], 48);
    EXPECT_EQ(test::stateOf(*drums).chainEnabled[5], 1);
}

TEST_F(PatternSetForms, EightTrackLinesWithoutAFullHeaderTakeFourFieldEntries) {
    const std::string text = "PATTERN_NOTES_EX;0;16;0;" + repeated("-1;-1;0;", 8) + "1;36;1.0;99;3;37;1.0;98;\r\n";
    EXPECT_EQ(load(text, 8), 1);
    EXPECT_EQ(velocityAt(*drums, 0, 0, 1), 99.0f);
    EXPECT_EQ(velocityAt(*drums, 1, 0, 3), 98.0f);
}

TEST_F(PatternSetForms, AChannelLineForMoreTracksThanTheInstrumentHasIsSkippedWhole) {
    const std::string text = kFullHeader + "PATTERN_NOTES_CHANNEL;12;1;32;1;" + repeated("3;4;1;", 12) +
                             "0.0000;36;1.0000;100;0.0000;\r\n" + "PATTERN_NOTES_CHANNEL;8;2;24;1;" +
                             repeated("3;4;1;", 8) + "5.0000;37;1.0000;90;0.0000;\r\n";
    EXPECT_EQ(load(text, 8), 1);
    EXPECT_EQ(test::stateOf(*drums).patternSteps[1], 16);
    EXPECT_EQ(test::stateOf(*drums).chainEnabled[1], 0);
    EXPECT_EQ(hitCount(*drums, 0, 1), 0);
    EXPECT_EQ(test::stateOf(*drums).patterns[0].randomMinDensity[1], -1.0f);
    EXPECT_EQ(test::stateOf(*drums).patternSteps[2], 24);
    EXPECT_EQ(velocityAt(*drums, 1, 2, 5), 90.0f);
    EXPECT_EQ(test::stateOf(*drums).patterns[7].randomMaxDensity[2], 4.0f);
}

TEST_F(PatternSetForms, AChannelLineForFewerTracksPlacesTheirTriplesAndItsNotes) {
    const std::string text = "PATTERN_NOTES_CHANNEL;2;9;12;0;1;2;3;4;5;6;11.0000;47;1.0000;64;2.0000;\r\n";
    EXPECT_EQ(load(text, 12), 1);
    EXPECT_EQ(test::stateOf(*drums).patterns[0].randomMinDensity[9], 1.0f);
    EXPECT_EQ(test::stateOf(*drums).patterns[1].randomMaxRoll[9], 6.0f);
    EXPECT_EQ(test::stateOf(*drums).patterns[2].randomMinDensity[9], -1.0f);
    EXPECT_EQ(velocityAt(*drums, 11, 9, 11), 64.0f);
    EXPECT_EQ(rollAt(*drums, 11, 9, 11), 2.0f);
}

TEST_F(PatternSetForms, PatternsEndStopsTheReader) {
    const std::string text =
        line({"PATTERN_NOTES_CHANNEL", "0", "0", "16", "0", "1.0000", "36", "1.0000", "10", "0.0000"}) +
        line({"PATTERNS", "END"}) +
        line({"PATTERN_NOTES_CHANNEL", "0", "1", "16", "0", "1.0000", "36", "1.0000", "20", "0.0000"});
    EXPECT_EQ(load(text), 1);
    EXPECT_EQ(velocityAt(*drums, 0, 0, 1), 10.0f);
    EXPECT_EQ(velocityAt(*drums, 0, 1, 1), 0.0f);
}

TEST_F(PatternSetForms, PatternsWithoutAnEndFieldDoesNotStopTheReader) {
    const std::string later =
        line({"PATTERN_NOTES_CHANNEL", "0", "1", "16", "0", "1.0000", "36", "1.0000", "20", "0.0000"});
    // "END" without its ';' is no field: only the "\r" follows it.
    EXPECT_EQ(load(line({"PATTERNS", "ENDS"}) + "PATTERNS;END\r\n" + later), 1);
    EXPECT_EQ(velocityAt(*drums, 0, 1, 1), 20.0f);
}

TEST_F(PatternSetForms, KeysThirtyFiveAndFiftyTwoAndStepSixtyFourAreSkipped) {
    const std::string text = line({"PATTERN_NOTES_CHANNEL",
                                   "0",
                                   "0",
                                   "16",
                                   "0",
                                   "1.0000",
                                   "35",
                                   "1.0000",
                                   "11",
                                   "0.0000",  // below the drum keys
                                   "2.0000",
                                   "52",
                                   "1.0000",
                                   "12",
                                   "0.0000",  // above them
                                   "64.0000",
                                   "36",
                                   "1.0000",
                                   "13",
                                   "0.0000",  // past the last step
                                   "63.0000",
                                   "36",
                                   "1.0000",
                                   "14",
                                   "0.0000",  // the last step
                                   "3.0000",
                                   "51",
                                   "1.0000",
                                   "15",
                                   "0.0000"});  // the last key
    EXPECT_EQ(load(text), 1);
    int total = 0;
    for (int t = 0; t < kTrackSlots; ++t)
        total += hitCount(*drums, t, 0);
    EXPECT_EQ(total, 2);
    EXPECT_EQ(velocityAt(*drums, 0, 0, 63), 14.0f);
    EXPECT_EQ(velocityAt(*drums, 15, 0, 3), 15.0f);
}

TEST_F(PatternSetForms, StepsAreRealsTruncatedTowardZero) {
    EXPECT_EQ(load(line({"PATTERN_NOTES_CHANNEL", "0", "0", "16", "0", "5.9000", "36", "1.0000", "21", "0.0000",
                         "-0.5000", "37", "1.0000", "22", "0.0000"})),
              1);
    EXPECT_EQ(velocityAt(*drums, 0, 0, 5), 21.0f);
    EXPECT_EQ(velocityAt(*drums, 1, 0, 0), 22.0f);
}

TEST_F(PatternSetForms, AFieldOfSixHundredCharactersKeepsItsFirstFiveHundredTwelve) {
    // Cut at 512 the swing field reads 5; uncut it would be a number far beyond any swing.
    const std::string longField = std::string(511, '0') + "5" + std::string(88, '9');
    ASSERT_EQ(longField.size(), 600u);
    EXPECT_EQ(load(line({"STEPNUMBER_MODE", "64", "2", longField})), 0);
    EXPECT_EQ(test::stateOf(*drums).swing, 5);
}


TEST_F(PatternSetForms, PlayModeFieldsOneTwoAndThreeSelectRepeatChainAndRandom) {
    const std::vector<std::pair<std::string, int>> cases{{"1", 0}, {"2", 1}, {"3", 2}, {"0", 0}, {"4", 0}, {"-2", 0}};
    for (const auto& [field, mode] : cases) {
        load(line({"STEPNUMBER_MODE", "64", field, "0.0000"}));
        EXPECT_EQ(test::stateOf(*drums).playMode, mode) << "field " << field;
    }
}

TEST_F(PatternSetForms, AnIncompleteEntryAtTheEndOfALineIsIgnored) {
    EXPECT_EQ(load(line({"PATTERN_NOTES_CHANNEL", "0", "0", "16", "0", "1.0000", "36", "1.0000", "10", "0.0000",
                         "5.0000", "37", "1.0000", "20"})),
              1);
    EXPECT_EQ(velocityAt(*drums, 0, 0, 1), 10.0f);
    EXPECT_EQ(velocityAt(*drums, 1, 0, 5), 0.0f);
}

TEST_F(PatternSetForms, ShortLinesUnknownKeywordsAndOtherLetterCasesAreSkipped) {
    const std::string text = "PATTERN_NOTES_CHANNEL;\r\n" + line({"pattern_notes_channel", "0", "0", "20", "1", ""}) +
                             line({" PATTERN_NOTES_CHANNEL", "0", "0", "20", "1", ""}) +
                             line({"PATTERN_NOTES_CHANNEL", "0", "0", "20", "1"}) +  // five fields, six needed
                             line({"PATTERN_NOTES_CHANNEL", "0", "16", "20", "1", ""}) +  // pattern 16
                             line({"PATTERN_NOTES", "-1", "20", "1"}) + line({"NOTES", "0", "20", "1"});
    EXPECT_EQ(load(text), 0);
    EXPECT_EQ(test::stateOf(*drums).patternSteps,
              (PerPattern<std::int32_t>{16, 16, 16, 16, 16, 16, 16, 16, 16, 16, 16, 16, 16, 16, 16, 16}));
    EXPECT_EQ(test::stateOf(*drums).chainEnabled, PerPattern<std::int32_t>{});
}

TEST_F(PatternSetForms, LinesEndedByANewlineAloneAreReadAsWell) {
    EXPECT_EQ(load("STEPNUMBER_MODE;64;3;7.0000;\nPATTERN_NOTES;2;8;1;4;40;1;33;"), 1);
    EXPECT_EQ(test::stateOf(*drums).playMode, 2);
    EXPECT_EQ(test::stateOf(*drums).swing, 7);
    EXPECT_EQ(velocityAt(*drums, 4, 2, 4), 33.0f);
}

TEST_F(PatternSetForms, TextThatIsNoNumberReadsAsZero) {
    EXPECT_EQ(load(line({"STEPNUMBER_MODE", "64", "2", "swing", "yes", " 1"})), 0);
    EXPECT_EQ(test::stateOf(*drums).swing, 0);
    EXPECT_EQ(test::stateOf(*drums).randomAuto, 0);
    EXPECT_EQ(test::stateOf(*drums).randomPerPattern, 1);
}

}  // namespace
}  // namespace rimba::test::patterns
