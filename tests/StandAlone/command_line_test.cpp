// The command line as the parser reads it, before anything starts: values at and beside each
// limit, options it does not know, options without their value, device names at their length;
// and the choices it stores, in a settings folder of the test's own.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "StandAlone/CommandLine.h"
#include "common/settings/SettingsStore.h"
#include "common/vst/StandaloneLink.h"
#include "plugin/model/Constants.h"
#include "tests/support/Environment.h"
#include "tests/support/TempFolder.h"

namespace rimba::standalone {
namespace {

using ::testing::HasSubstr;

struct Accepted {
    const char* what;
    std::vector<std::string> arguments;
    CommandLine parsed;
};

void PrintTo(const Accepted& line, std::ostream* out) { *out << line.what; }

class AcceptedLines : public ::testing::TestWithParam<Accepted> {};

TEST_P(AcceptedLines, ParseIntoTheirChoices) {
    std::string why;
    const std::optional<CommandLine> line = parseCommandLine(GetParam().arguments, why);
    ASSERT_TRUE(line.has_value()) << why;
    EXPECT_EQ(*line, GetParam().parsed);
    EXPECT_TRUE(why.empty());
    // Any device choice, and only one, makes the program store the choices.
    const CommandLine& parsed = GetParam().parsed;
    const bool chosen = parsed.audioDevice || parsed.sampleRate || parsed.bufferSize || parsed.midiDevice;
    EXPECT_EQ(hasDeviceChoices(*line), chosen);
}

const std::string kLongestName(127, 'n');
constexpr std::nullopt_t none = std::nullopt;

CommandLine choosing(std::optional<std::string> audio, std::optional<int> rate, std::optional<int> buffer,
                     std::optional<std::string> midi) {
    CommandLine line;
    line.audioDevice = std::move(audio);
    line.sampleRate = rate;
    line.bufferSize = buffer;
    line.midiDevice = std::move(midi);
    return line;
}

CommandLine asking(bool help, bool listDevices) {
    CommandLine line;
    line.help = help;
    line.listDevices = listDevices;
    return line;
}

INSTANTIATE_TEST_SUITE_P(
    Lines, AcceptedLines,
    ::testing::Values(Accepted{"Nothing", {}, CommandLine{}},
                      Accepted{"LowestRate", {"--rate", "8000"}, choosing(none, 8000, none, none)},
                      Accepted{"HighestRate", {"--rate", "768000"}, choosing(none, 768000, none, none)},
                      Accepted{"SmallestBuffer", {"--buffer", "16"}, choosing(none, none, 16, none)},
                      Accepted{"LargestBuffer", {"--buffer", "16384"}, choosing(none, none, 16384, none)},
                      Accepted{"RateJustAboveLowest", {"--rate", "8001"}, choosing(none, 8001, none, none)},
                      Accepted{"RateJustBelowHighest", {"--rate", "767999"}, choosing(none, 767999, none, none)},
                      Accepted{"BufferJustAboveSmallest", {"--buffer", "17"}, choosing(none, none, 17, none)},
                      Accepted{"BufferJustBelowLargest", {"--buffer", "16383"}, choosing(none, none, 16383, none)},
                      Accepted{"AudioNameJustBelowLongest",
                               {"--audio", kLongestName.substr(1)},
                               choosing(kLongestName.substr(1), none, none, none)},
                      Accepted{"OnlyAudio", {"--audio", "JACK"}, choosing("JACK", none, none, none)},
                      Accepted{"OnlyBuffer", {"--buffer", "512"}, choosing(none, none, 512, none)},
                      Accepted{"OnlyMidi", {"--midi", "Keys:0"}, choosing(none, none, none, "Keys:0")},
                      Accepted{"LongestAudioName", {"--audio", kLongestName}, choosing(kLongestName, none, none, none)},
                      Accepted{"LongestMidiName", {"--midi", kLongestName}, choosing(none, none, none, kLongestName)},
                      Accepted{"EmptyMidiNameForNoInput", {"--midi", ""}, choosing(none, none, none, "")},
                      Accepted{"EveryChoice",
                               {"--audio", "JACK", "--rate", "48000", "--buffer", "256", "--midi", "Keys:0"},
                               choosing("JACK", 48000, 256, "Keys:0")},
                      Accepted{
                          "LaterValueWins", {"--rate", "44100", "--rate", "96000"}, choosing(none, 96000, none, none)},
                      Accepted{"Help", {"--help"}, asking(true, false)},
                      Accepted{"ShortHelp", {"-h"}, asking(true, false)},
                      Accepted{"ListDevices", {"--list-devices"}, asking(false, true)},
                      Accepted{"ListDevicesAndHelp", {"--list-devices", "-h"}, asking(true, true)}),
    [](const auto& info) { return std::string(info.param.what); });

struct Refused {
    const char* what;
    std::vector<std::string> arguments;
    const char* reason;
};

void PrintTo(const Refused& line, std::ostream* out) { *out << line.what; }

class RefusedLines : public ::testing::TestWithParam<Refused> {};

TEST_P(RefusedLines, GiveNoChoicesAndSayWhy) {
    std::string why;
    EXPECT_FALSE(parseCommandLine(GetParam().arguments, why).has_value());
    EXPECT_THAT(why, HasSubstr(GetParam().reason));
}

const std::string kOverlongName(128, 'n');

INSTANTIATE_TEST_SUITE_P(
    Lines, RefusedLines,
    ::testing::Values(
        Refused{"RateJustBelowLowest",
                {"--rate", "7999"},
                "--rate takes a whole number of Hz from 8000 to 768000, not 7999"},
        Refused{"RateJustAboveHighest", {"--rate", "768001"}, "from 8000 to 768000, not 768001"},
        Refused{"RateZero", {"--rate", "0"}, "from 8000 to 768000, not 0"},
        Refused{"RateNegative", {"--rate", "-44100"}, "from 8000 to 768000, not -44100"},
        Refused{"RateWithUnit", {"--rate", "44100Hz"}, "not 44100Hz"},
        Refused{"RateFraction", {"--rate", "44100.5"}, "not 44100.5"},
        Refused{"RateEmpty", {"--rate", ""}, "from 8000 to 768000, not "},
        Refused{"RateBeyondInt", {"--rate", "99999999999"}, "not 99999999999"},
        Refused{"BufferJustBelowSmallest",
                {"--buffer", "15"},
                "--buffer takes a whole number of frames from 16 to 16384, not 15"},
        Refused{"BufferJustAboveLargest", {"--buffer", "16385"}, "from 16 to 16384, not 16385"},
        Refused{"BufferWord", {"--buffer", "big"}, "from 16 to 16384, not big"},
        Refused{"BufferZero", {"--buffer", "0"}, "from 16 to 16384, not 0"},
        Refused{"BufferNegative", {"--buffer", "-16"}, "from 16 to 16384, not -16"},
        Refused{"BufferEmpty", {"--buffer", ""}, "from 16 to 16384, not "},
        Refused{"BufferWrappingToSmallest", {"--buffer", "4294967312"}, "not 4294967312"},
        Refused{"RatePlusSign", {"--rate", "+48000"}, "not +48000"},
        Refused{"RateLeadingSpace", {"--rate", " 48000"}, "not  48000"},
        Refused{"RateTrailingSpace", {"--rate", "48000 "}, "not 48000 "},
        Refused{"RateTakingTheNextOption", {"--rate", "--buffer", "256"}, "not --buffer"},
        Refused{"BadValueAfterGoodOnes", {"--audio", "JACK", "--rate", "48000", "--buffer", "15"}, "not 15"},
        Refused{"AudioNameOneByteTooLong", {"--audio", kOverlongName}, "--audio: a device name has at most 127 bytes"},
        Refused{"MidiNameOneByteTooLong", {"--midi", kOverlongName}, "--midi: a device name has at most 127 bytes"},
        Refused{"AudioWithoutValue", {"--audio"}, "--audio needs a value"},
        Refused{"RateWithoutValue", {"--buffer", "256", "--rate"}, "--rate needs a value"},
        Refused{"BufferWithoutValue", {"--buffer"}, "--buffer needs a value"},
        Refused{"MidiWithoutValue", {"--midi"}, "--midi needs a value"},
        Refused{"UnknownOption", {"--volume", "11"}, "unknown option --volume"},
        Refused{"UnknownAfterGoodOnes", {"--audio", "JACK", "-v"}, "unknown option -v"},
        Refused{"ValueJoinedToOption", {"--rate=48000"}, "unknown option --rate=48000"},
        Refused{"BareWord", {"JACK"}, "unknown option JACK"},
        Refused{"ListDevicesTakesNoValue", {"--list-devices", "1"}, "unknown option 1"},
        Refused{"OptionsAreCaseSensitive", {"--HELP"}, "unknown option --HELP"},
        Refused{"LoneDash", {"-"}, "unknown option -"}),
    [](const auto& info) { return std::string(info.param.what); });

// The choices go to the instrument's own settings store, each only when it was given, so that a
// later line changes what it names and keeps the rest.
TEST(StoredChoices, EachGivenChoiceIsStoredUnderTheInstrumentsSettingsAndOthersAreKept) {
    test::TempFolder folder;
    test::ScopedEnvironmentVariable configuration{"XDG_CONFIG_HOME", folder.path()};
    const auto stored = [] {
        const settings::SettingsStore store(kProductName);
        return std::tuple{store.readText("Settings", "AudioDevice"), store.readNumber("Settings", "SampleRate"),
                          store.readNumber("Settings", "BufferSize"), store.readText("Settings", "MidiDevice")};
    };
    using Stored = decltype(stored());

    ASSERT_TRUE(storeDeviceChoices(CommandLine{}));
    EXPECT_TRUE(folder.namesIn().empty()) << "nothing chosen, nothing written";

    ASSERT_TRUE(storeDeviceChoices(choosing("JACK", 8000, 16384, "Keys:0")));
    EXPECT_EQ(stored(), (Stored{"JACK", 8000u, 16384u, "Keys:0"}));
    ASSERT_TRUE(storeDeviceChoices(choosing(none, none, 16, none)));
    EXPECT_EQ(stored(), (Stored{"JACK", 8000u, 16u, "Keys:0"}));
    ASSERT_TRUE(storeDeviceChoices(choosing(kLongestName, 768000, none, "")));
    EXPECT_EQ(stored(), (Stored{kLongestName, 768000u, 16u, ""}));
}

}  // namespace
}  // namespace rimba::standalone
