// One plug-in in one holder: what loading finds out and sets up, what unloading sends, and the
// MIDI a drum synth is handed, with the fixture plug-ins of tests/plugins/ loaded as a slot
// loads them.

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "plugin/effects/CPlugin.h"
#include "plugin/effects/PluginLimits.h"
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

INSTANTIATE_TEST_SUITE_P(Fixtures, LoadingAFixture,
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
        {"100000", "100000", "programs"}, {"1", "1073741824", "parameters"},
        {"16385", "1", "programs"},       {"1", "16385", "parameters"},
        {"4096", "2048", "values"},       {"16384", "256", nullptr},
        {"256", "16384", nullptr},        {"-5", "-5", nullptr},
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
            // A negative count is none, for every list and image made from it.
            EXPECT_EQ(plugin.programCount(), std::max(std::atoi(c.programs), 0)) << row;
            EXPECT_EQ(plugin.parameterCount(), std::max(std::atoi(c.parameters), 0)) << row;
            continue;
        }
        EXPECT_FALSE(loaded) << row;
        EXPECT_NE(loaded.reason().find(c.refusalWord), std::string::npos) << row;
        EXPECT_FALSE(plugin.isLoaded()) << row;
    }
}

}  // namespace
}  // namespace rimba

// --- the edges of the holder's limits -----------------------------------------------------------

namespace rimba {
namespace {

// Each count at, just below and just above its limit, read from the descriptor alone.
TEST(HostedPluginCounts, EachDeclaredCountIsTakenUpToItsLimitAndRefusedOnePast) {
    struct Case {
        VstInt32 inputs, outputs, programs, parameters;
        const char* refusalWord;  // nullptr: taken
    };
    const Case cases[] = {
        {0, 0, 0, 0, nullptr},
        {256, 256, 1, 1, nullptr},
        {257, 2, 1, 1, "inputs or outputs"},
        {2, 257, 1, 1, "inputs or outputs"},
        {-1, 2, 1, 1, "inputs or outputs"},
        {2, -1, 1, 1, "inputs or outputs"},
        {2, 2, 16384, 1, nullptr},
        {2, 2, 16385, 1, "16385 programs"},
        {2, 2, 1, 16384, nullptr},
        {2, 2, 1, 16385, "16385 parameters"},
        {2, 2, 4096, 1024, nullptr},  // 2^22 values
        {2, 2, 397, 10565, "values"},  // 2^22 + 1
        {2, 2, -16385, -16385, nullptr},  // negative counts are none
    };
    for (const Case& c : cases) {
        AEffect effect{};
        effect.numInputs = c.inputs;
        effect.numOutputs = c.outputs;
        effect.numPrograms = c.programs;
        effect.numParams = c.parameters;
        const Result<> checked = checkDeclaredCounts(effect);
        const std::string row = std::to_string(c.inputs) + " in, " + std::to_string(c.outputs) + " out, " +
                                std::to_string(c.programs) + " x " + std::to_string(c.parameters) + ": " +
                                checked.reason();
        EXPECT_EQ(checked.ok(), c.refusalWord == nullptr) << row;
        if (c.refusalWord != nullptr) {
            EXPECT_NE(checked.reason().find(c.refusalWord), std::string::npos) << row;
        }
    }
}

// A caller may ask for any channel: past the plug-in's own it gets the one shared buffer that is
// never read (inputs) or the one that stays silent (outputs), never a pointer beside the list.
TEST(HostedPluginBuffers, EveryChannelOutsideThePluginsOwnIsTheSharedSpareBuffer) {
    for (const char* fixture : {"fixture-gain", "fixture-mono-out", "fixture-drum-synth"}) {
        CPlugin plugin;
        ASSERT_TRUE(plugin.load(fixturePluginPath(fixture), PluginSources{}).ok()) << fixture;
        const int inputs = plugin.inputBufferCount();
        const int outputs = plugin.outputBufferCount();
        float* const spareInput = plugin.inputChannel(1000);
        float* const spareOutput = plugin.outputChannel(1000);
        for (int c = 0; c < inputs; ++c)
            EXPECT_NE(plugin.inputChannel(c), spareInput) << fixture << " input " << c;
        for (int c = 0; c < outputs; ++c)
            EXPECT_NE(plugin.outputChannel(c), spareOutput) << fixture << " output " << c;
        for (const int outside : {inputs, inputs + 1, -1, INT_MIN})
            EXPECT_EQ(plugin.inputChannel(outside), spareInput) << fixture << " input " << outside;
        for (const int outside : {outputs, outputs + 1, -1, INT_MIN})
            EXPECT_EQ(plugin.outputChannel(outside), spareOutput) << fixture << " output " << outside;
        EXPECT_EQ(spareOutput[0], 0.0f);
        EXPECT_EQ(spareOutput[CPlugin::kBufferFrames - 1], 0.0f);
    }
}

class LoggedSynth : public ::testing::Test {
protected:
    void SetUp() override {
        test::setEnvironmentVariable("RIMBA_FIXTURE_LOG", logFile);
        ASSERT_TRUE(plugin.load(fixturePluginPath("fixture-drum-synth"), sources).ok());
    }
    void TearDown() override { test::setEnvironmentVariable("RIMBA_FIXTURE_LOG", std::nullopt); }

    // The words of every log line of one kind ("dispatcher", "process"), after the kind.
    std::vector<std::vector<std::string>> logged(const std::string& kind) const {
        std::ifstream in(logFile);
        std::vector<std::vector<std::string>> lines;
        for (std::string line; std::getline(in, line);) {
            std::istringstream words(line);
            std::vector<std::string> tokens;
            for (std::string word; words >> word;)
                tokens.push_back(word);
            if (tokens.size() > 3 && tokens[2] == kind)
                lines.emplace_back(tokens.begin() + 3, tokens.end());
        }
        return lines;
    }
    // The block sizes the plug-in was told (effSetBlockSize), in order.
    std::vector<std::string> toldBlockSizes() const {
        std::vector<std::string> sizes;
        for (const auto& words : logged("dispatcher"))
            if (words[0] == "11")
                sizes.push_back(words[2]);
        return sizes;
    }

    test::TempFolder folder;
    std::string logFile = folder.path() + "/calls.log";
    PluginSources sources;
    CPlugin plugin;
};

// The block size a plug-in is told and the frames it is handed stay within its buffers, at load
// and afterwards, whatever the instrument asks.
TEST_F(LoggedSynth, BlockSizesAndBlocksStayWithinTheBuffers) {
    struct Case {
        int asked;
        const char* told;
        const char* processed;  // nullptr: nothing to process
    };
    const Case cases[] = {{-7, "1", nullptr},        {0, "1", nullptr},         {1, "1", "1"},
                          {16383, "16383", "16383"}, {16384, "16384", "16384"}, {16385, "16384", "16384"},
                          {100000, "16384", "16384"}};
    for (const Case& c : cases) {
        const std::string row = "asked " + std::to_string(c.asked);
        sources.blockSize = c.asked;
        plugin.unload();
        std::ofstream(logFile, std::ios::trunc).close();
        ASSERT_TRUE(plugin.load(fixturePluginPath("fixture-drum-synth"), sources).ok());
        plugin.setBlockSize(c.asked);
        plugin.processBlock(c.asked);
        EXPECT_EQ(toldBlockSizes(), (std::vector<std::string>{c.told, c.told})) << row << ": at load, then set";
        const auto process = logged("process");
        if (c.processed == nullptr) {
            EXPECT_TRUE(process.empty()) << row;
        } else {
            ASSERT_EQ(process.size(), 1u) << row;
            EXPECT_EQ(process[0][0], c.processed) << row;
        }
    }
}

// The queue keeps 4096 notes and drops the rest; the plug-in takes them in event blocks of at
// most 512, in the order queued; a second round finds the whole queue free again.
TEST_F(LoggedSynth, FourThousandNinetySixQueuedNotesReachTheSynthInOrderInBlocksOf512) {
    constexpr int kKept = static_cast<int>(MidiQueue::kCapacity);
    for (int round = 0; round < 2; ++round) {
        for (int i = 0; i < kKept + 100; ++i)
            plugin.queueMidi(round * 10000 + i, 0x90, 36, 100);
        plugin.deliverQueuedMidi();
    }
    std::vector<int> blocks;
    std::vector<int> frames;
    for (const auto& words : logged("dispatcher")) {
        if (words[0] != "25")
            continue;
        // "25 INDEX VALUE OPT events N midi DELTA STATUS KEY VELOCITY ..."
        blocks.push_back(std::stoi(words[5]));
        for (std::size_t w = 6; w + 4 < words.size(); w += 5)
            frames.push_back(std::stoi(words[w + 1]));
    }
    EXPECT_EQ(blocks, std::vector<int>(2 * kKept / 512, 512));
    std::vector<int> expected;
    for (int round = 0; round < 2; ++round)
        for (int i = 0; i < kKept; ++i)
            expected.push_back(round * 10000 + i);
    EXPECT_EQ(frames, expected);
}

// Names are read into a cleared 256-byte buffer and kept to 100 characters, however far past the
// published 32 a plug-in writes.
TEST(HostedPluginNames, AnEffectNameIsKeptToAHundredCharacters) {
    for (const std::size_t length : {99u, 100u, 101u, 255u}) {
        const std::string name(length, 'n');
        test::ScopedEnvironmentVariable named{"RIMBA_FIXTURE_NAME", name};
        test::ScopedEnvironmentVariable programs{"RIMBA_FIXTURE_PROGRAMS", "1"};
        test::ScopedEnvironmentVariable parameters{"RIMBA_FIXTURE_PARAMETERS", "1"};
        CPlugin plugin;
        ASSERT_TRUE(plugin.load(fixturePluginPath("fixture-absurd-counts"), PluginSources{}).ok());
        EXPECT_EQ(plugin.description().effectName, name.substr(0, 100)) << length;
        EXPECT_EQ(plugin.description().label, name.substr(0, 100)) << length;
    }
}

// A program name goes to the plug-in cut to the published 24 characters: plug-ins copy it into
// a field of that many and its terminating zero.
TEST(HostedPluginNames, AProgramNameIsHandedOverCutToTwentyFourCharacters) {
    test::ScopedEnvironmentVariable programs{"RIMBA_FIXTURE_PROGRAMS", "1"};
    test::ScopedEnvironmentVariable parameters{"RIMBA_FIXTURE_PARAMETERS", "1"};
    CPlugin plugin;
    ASSERT_TRUE(plugin.load(fixturePluginPath("fixture-absurd-counts"), PluginSources{}).ok());
    for (const std::size_t length : {0u, 23u, 24u, 25u, 40u}) {
        const std::string name(length, 'p');
        plugin.setProgramName(name);
        EXPECT_EQ(plugin.programName(), name.substr(0, 24)) << length;
    }
}

struct SizeRequests : PluginEditorOwner {
    std::vector<std::pair<int, int>> asked;
    void pluginGoing(CPlugin&) override {}
    bool pluginEditorResized(CPlugin&, int width, int height) override {
        asked.emplace_back(width, height);
        return true;
    }
};

// audioMasterSizeWindow reaches the window only with a size it can take, and only while a window
// shows the editor.
TEST(HostedPluginEditor, ASizeRequestReachesTheOpenWindowOnlyWhenBothSidesAreAtLeastOnePixel) {
    CPlugin plugin;
    ASSERT_TRUE(plugin.load(fixturePluginPath("fixture-gain"), PluginSources{}).ok());
    const auto ask = [&](int width, int height) {
        return CPlugin::hostCallback(plugin.aeffect(), audioMasterSizeWindow, width, height, nullptr, 0.0f);
    };
    EXPECT_EQ(ask(300, 200), 0) << "no window is open";
    SizeRequests window;
    plugin.setEditorOwner(&window);
    const std::pair<int, int> refused[] = {{0, 200}, {300, 0}, {-1, 200}, {300, -1}, {0, 0}};
    for (const auto& [width, height] : refused)
        EXPECT_EQ(ask(width, height), 0) << width << " x " << height;
    EXPECT_EQ(ask(1, 1), 1);
    EXPECT_EQ(ask(300, 200), 1);
    EXPECT_EQ(window.asked, (std::vector<std::pair<int, int>>{{1, 1}, {300, 200}}));
    plugin.setEditorOwner(nullptr);
}

}  // namespace
}  // namespace rimba
