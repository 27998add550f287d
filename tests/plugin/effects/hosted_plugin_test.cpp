// One plug-in in one holder: what loading finds out and sets up, what unloading sends, and the
// MIDI a drum synth is handed, with the fixture plug-ins of tests/plugins/ loaded as a slot
// loads them.

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "plugin/effects/CPlugin.h"
#include "tests/plugins/FixturePlugins.h"
#include "tests/support/Environment.h"
#include "tests/support/TempFolder.h"

namespace rimba {
namespace {

using test::fixturePluginPath;

struct LoadCase {
    const char* fixture;
    bool loads;
    const char* labelOrReason;  // the slot's label, or a word of the refusal
    int inputBuffers;
    int outputBuffers;
    bool wantsMidi;
};

std::ostream& operator<<(std::ostream& out, const LoadCase& c) { return out << c.fixture; }

class LoadingAFixture : public ::testing::TestWithParam<LoadCase> {};

TEST_P(LoadingAFixture, GivesTheSlotsLabelBuffersAndMidiWishOrRefusesItWithNothingLoaded) {
    const LoadCase& c = GetParam();
    CPlugin plugin;
    const Result<> loaded = plugin.load(fixturePluginPath(c.fixture), PluginSources{});
    ASSERT_EQ(loaded.ok(), c.loads) << loaded.reason();
    if (!c.loads) {
        EXPECT_NE(loaded.reason().find(c.labelOrReason), std::string::npos) << loaded.reason();
        EXPECT_FALSE(plugin.isLoaded());
        EXPECT_TRUE(plugin.path().empty());
        return;
    }
    EXPECT_EQ(plugin.description().label, c.labelOrReason);
    EXPECT_EQ(plugin.description().vendor, "Rimba Tests");
    EXPECT_EQ(plugin.inputBufferCount(), c.inputBuffers);
    EXPECT_EQ(plugin.outputBufferCount(), c.outputBuffers);
    EXPECT_EQ(plugin.description().wantsMidi, c.wantsMidi);
    EXPECT_EQ(plugin.path(), fixturePluginPath(c.fixture));
}

INSTANTIATE_TEST_SUITE_P(
    Fixtures, LoadingAFixture,
    ::testing::Values(LoadCase{"fixture-gain", true, "Gain", 2, 2, false},
                      LoadCase{"fixture-main-only", true, "Main Only", 2, 2, false},
                      LoadCase{"fixture-no-name", true, "no name", 2, 2, false},
                      LoadCase{"fixture-mono-out", true, "Mono Out", 2, 2, false},
                      LoadCase{"fixture-one-in-two-out", true, "Splitter", 2, 2, false},
                      LoadCase{"fixture-drum-synth", true, "Drum Synth", 2, 18, true},
                      LoadCase{"fixture-instrument", false, "instrument", 0, 0, false},
                      LoadCase{"no-such-fixture", false, "cannot open", 0, 0, false}),
    [](const ::testing::TestParamInfo<LoadCase>& info) {
        std::string name = info.param.fixture;
        for (char& c : name)
            if (c == '-')
                c = '_';
        return name;
    });

// The dispatcher calls a fixture logged, as "OPCODE VALUE" for each.
std::vector<std::string> loggedCalls(const std::string& logFile) {
    std::ifstream in(logFile);
    std::vector<std::string> calls;
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream words(line);
        std::string library, instance, kind, opcode, index, value;
        words >> library >> instance >> kind >> opcode >> index >> value;
        if (kind == "dispatcher")
            calls.push_back(opcode + " " + value);
    }
    return calls;
}

class LoggedFixture : public ::testing::Test {
protected:
    void SetUp() override { test::setEnvironmentVariable("RIMBA_FIXTURE_LOG", logFile); }
    void TearDown() override { test::setEnvironmentVariable("RIMBA_FIXTURE_LOG", std::nullopt); }

    test::TempFolder folder;
    std::string logFile = folder.path() + "/calls.log";
};

TEST_F(LoggedFixture, LoadOpensInTheHostsOrderAndUnloadSuspendsAndClosesBeforeTheLibraryGoes) {
    {
        CPlugin plugin;
        PluginSources sources;
        sources.sampleRate = 48000.0f;
        sources.blockSize = 256;
        ASSERT_TRUE(plugin.load(fixturePluginPath("fixture-gain"), sources).ok());
        plugin.unload();
    }
    // open, rate, block size, vendor, product, vendor version, effect name, three canDo
    // questions, mains on, program 0's name, program 0 selected; then mains off and close.
    const std::vector<std::string> expected{"0 0",  "10 0", "11 256", "47 0", "48 0", "49 0", "45 0", "51 0", "51 0",
                                            "51 0", "12 1", "29 0",   "67 0", "2 0",  "68 0", "12 0", "1 0"};
    std::vector<std::string> calls = loggedCalls(logFile);
    // The rate travels in the float argument; the log's value column is the integer one.
    EXPECT_EQ(calls, expected);
}

TEST_F(LoggedFixture, APluginRunningItsOwnThreadIsClosedBeforeItsCodeIsUnmappedEveryTime) {
    CPlugin plugin;
    for (int round = 0; round < 20; ++round) {
        ASSERT_TRUE(plugin.load(fixturePluginPath("fixture-threaded"), PluginSources{}).ok());
        plugin.processBlock(64);
    }
    plugin.unload();
    const std::vector<std::string> calls = loggedCalls(logFile);
    int opens = 0;
    int closes = 0;
    for (std::size_t i = 0; i < calls.size(); ++i) {
        opens += calls[i] == "0 0";
        if (calls[i] == "1 0") {
            ++closes;
            ASSERT_GT(i, 0u);
            EXPECT_EQ(calls[i - 1], "12 0") << "mains off comes right before every close";
        }
    }
    EXPECT_EQ(opens, 20);
    EXPECT_EQ(closes, 20);
}

TEST_F(LoggedFixture, QueuedNotesReachTheSynthInOneEventBlockWithTheirFramesBeforeItsProcess) {
    CPlugin plugin;
    ASSERT_TRUE(plugin.load(fixturePluginPath("fixture-drum-synth"), PluginSources{}).ok());
    plugin.queueMidi(0, 0x90, 36 + 3, 100);
    plugin.queueMidi(17, 0x80, 36 + 3, 0);
    plugin.queueMidi(40, 0x90, 36 + 5, 64);
    plugin.deliverQueuedMidi();
    plugin.processBlock(64);
    plugin.deliverQueuedMidi();  // nothing left: no second event block
    plugin.unload();

    std::ifstream in(logFile);
    std::string line;
    std::vector<std::string> eventLines;
    while (std::getline(in, line))
        if (line.find("dispatcher 25 ") != std::string::npos)
            eventLines.push_back(line.substr(line.find("events")));
    ASSERT_EQ(eventLines.size(), 1u);
    EXPECT_EQ(eventLines[0], "events 3 midi 0 144 39 100 midi 17 128 39 0 midi 40 144 41 64");
}

TEST(HostedPluginBuffers, AMonoOutputPluginSoundsOnBothOutputsAndChannelsBeyondItsOwnAreSafe) {
    CPlugin plugin;
    ASSERT_TRUE(plugin.load(fixturePluginPath("fixture-mono-out"), PluginSources{}).ok());
    for (int i = 0; i < 128; ++i) {
        plugin.inputChannel(0)[i] = 0.5f;
        plugin.inputChannel(1)[i] = 0.25f;
    }
    plugin.outputChannel(1)[0] = 0.0f;
    plugin.processBlock(128);
    for (int i = 0; i < 128; ++i) {
        ASSERT_FLOAT_EQ(plugin.outputChannel(0)[i], 0.375f) << i;
        ASSERT_EQ(plugin.outputChannel(1)[i], plugin.outputChannel(0)[i]) << i;
    }
    // A caller asking past the plug-in's channels reads silence and writes nowhere that matters.
    plugin.inputChannel(7)[0] = 1.0f;
    EXPECT_EQ(plugin.outputChannel(9)[0], 0.0f);
}

TEST(HostedPluginBuffers, AnUnloadedHolderProcessesSilenceAndAnswersNothing) {
    CPlugin plugin;
    ASSERT_TRUE(plugin.load(fixturePluginPath("fixture-gain"), PluginSources{}).ok());
    plugin.unload();
    EXPECT_FALSE(plugin.isLoaded());
    EXPECT_TRUE(plugin.path().empty());
    plugin.processBlock(64);
    EXPECT_EQ(plugin.outputChannel(0)[0], 0.0f);
    EXPECT_EQ(plugin.programCount(), 0);
    EXPECT_EQ(plugin.getParameter(0), 0.0f);
    EXPECT_FALSE(plugin.load("", PluginSources{}).ok());
}

}  // namespace
}  // namespace rimba

namespace rimba {
namespace {

// fixture-absurd-counts declares the programs and parameters its environment names. Counts that
// would make every bank, preset and program list of the plug-in impossible to hold are refused
// at load; the largest allowed load as any plug-in does.
TEST(HostedPluginCounts, APluginDeclaringUnreasonableProgramsOrParametersIsRefusedAtLoad) {
    struct Case {
        const char* programs;
        const char* parameters;
        const char* refusalWord;  // nullptr: it loads
    };
    const Case cases[] = {
        {"100000", "100000", "programs"},   {"1", "1073741824", "parameters"}, {"16385", "1", "programs"},
        {"1", "16385", "parameters"},       {"4096", "2048", "values"},       {"16384", "256", nullptr},
        {"256", "16384", nullptr},          {"-5", "-5", nullptr},
    };
    for (const Case& c : cases) {
        test::ScopedEnvironmentVariable programs{"RIMBA_FIXTURE_PROGRAMS", c.programs};
        test::ScopedEnvironmentVariable parameters{"RIMBA_FIXTURE_PARAMETERS", c.parameters};
        CPlugin plugin;
        const Result<> loaded = plugin.load(fixturePluginPath("fixture-absurd-counts"), PluginSources{});
        const std::string row = std::string(c.programs) + " x " + c.parameters + ": " + loaded.reason();
        if (c.refusalWord == nullptr) {
            EXPECT_TRUE(loaded) << row;
            EXPECT_TRUE(plugin.isLoaded()) << row;
            continue;
        }
        EXPECT_FALSE(loaded) << row;
        EXPECT_NE(loaded.reason().find(c.refusalWord), std::string::npos) << row;
        EXPECT_FALSE(plugin.isLoaded()) << row;
    }
}

}  // namespace
}  // namespace rimba
