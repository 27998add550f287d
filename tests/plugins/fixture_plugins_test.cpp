// The fixture plug-ins as a host sees them: each loaded from its built file through the platform's
// dynamic-library seam and driven through the VST 2.4 binary interface only.

#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "common/platform/DynamicLibrary.h"
#include "common/vst/VstAbi.h"
#include "tests/plugins/FixturePlugins.h"
#include "tests/support/Environment.h"
#include "tests/support/TempFolder.h"

namespace rimba::test {
namespace {

constexpr VstInt32 kFrames = 64;

// What the host callback was asked, and the time it answers (none unless a test sets one).
int versionQuestions = 0;
int ioChanges = 0;
const VstTimeInfo* hostTime = nullptr;

extern "C" VstIntPtr fixtureHost(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float) {
    if (opcode == audioMasterVersion) {
        ++versionQuestions;
        return kVstVersion;
    }
    if (opcode == audioMasterIOChanged)
        ++ioChanges;
    if (opcode == audioMasterGetTime)
        return reinterpret_cast<VstIntPtr>(hostTime);
    return 0;
}

float in0(int n) { return static_cast<float>(n % 13 - 6) / 8.0f; }
float in1(int n) { return static_cast<float>(n % 7) / 16.0f - 0.2f; }

struct FixtureCase {
    const char* name;
    bool exportsVstPluginMain;
    VstInt32 category;
    VstInt32 flags;
    VstInt32 inputs;
    VstInt32 outputs;
    VstInt32 params;
    VstInt32 programs;
    const char* product;
    const char* effectName;
    const char* firstProgram;
    bool wantsMidi;
    // Output `channel` at a frame whose inputs are a and b, after effOpen with nothing changed.
    float (*expected)(int channel, float a, float b);
};

// Test names and messages show a row by its fixture's name.
void PrintTo(const FixtureCase& fixture, std::ostream* out) { *out << fixture.name; }

constexpr VstInt32 kReplacing = effFlagsCanReplacing;
constexpr float kProgramAGain = 2.0f * (1.0f / 40.0f);

const FixtureCase kFixtures[] = {
    {"fixture-gain", true, kPlugCategEffect, kReplacing, 2, 2, 1, 1, "Fixture Gain", "Gain", "Unity", false,
     [](int c, float a, float b) { return c == 0 ? a : b; }},
    {"fixture-mono-out", true, kPlugCategEffect, kReplacing, 2, 1, 0, 1, "Fixture Mono Out", "Mono Out", "Half Sum",
     false, [](int, float a, float b) { return (a + b) * 0.5f; }},
    {"fixture-one-in-two-out", true, kPlugCategEffect, kReplacing, 1, 2, 0, 1, "Fixture Splitter", "Splitter", "Split",
     false, [](int c, float a, float) { return c == 0 ? a : -a; }},
    {"fixture-mono", true, kPlugCategEffect, kReplacing, 1, 1, 0, 1, "Fixture Mono", "Mono", "Through", false,
     [](int, float a, float) { return a; }},
    // The first block lies wholly inside the 300 frames the delay holds back.
    {"fixture-delay", true, kPlugCategEffect, kReplacing, 2, 2, 1, 1, "Fixture Delay", "Delay", "Look-ahead", false,
     [](int, float, float) { return 0.0f; }},
    {"fixture-meter", true, kPlugCategEffect, kReplacing, 2, 0, 0, 1, "Fixture Meter", "Meter", "Peak", false,
     [](int, float, float) { return 0.0f; }},
    {"fixture-instrument", true, kPlugCategSynth, kReplacing | effFlagsIsSynth, 0, 2, 0, 1, "Fixture Instrument",
     "Instrument", "Silence", false, [](int, float, float) { return 0.0f; }},
    {"fixture-main-only", false, kPlugCategEffect, kReplacing, 2, 2, 1, 1, "Fixture Main Only", "Main Only", "Unity",
     false, [](int c, float a, float b) { return c == 0 ? a : b; }},
    {"fixture-no-name", true, kPlugCategEffect, kReplacing, 2, 2, 0, 1, "", "", "Through", false,
     [](int c, float a, float b) { return c == 0 ? a : b; }},
    {"fixture-chunk-programs", true, kPlugCategEffect, kReplacing | effFlagsProgramChunks, 2, 2, 10, 4,
     "Fixture Chunk Programs", "Chunk Programs", "Chunk A", false,
     [](int c, float a, float b) { return (c == 0 ? a : b) * kProgramAGain; }},
    {"fixture-regular-programs", true, kPlugCategEffect, kReplacing, 2, 2, 10, 4, "Fixture Regular Programs",
     "Regular Programs", "Regular A", false, [](int c, float a, float b) { return (c == 0 ? a : b) * kProgramAGain; }},
    {"fixture-drum-synth", true, kPlugCategEffect, kReplacing, 0, 18, 128, 1, "Fixture Drum Synth", "Drum Synth",
     "Drum Synth", true, [](int, float, float) { return 0.0f; }},
    {"fixture-threaded", true, kPlugCategEffect, kReplacing, 2, 2, 0, 1, "Fixture Threaded", "Threaded", "Through",
     false, [](int c, float a, float b) { return c == 0 ? a : b; }},
};

VstIntPtr call(AEffect* effect, VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0, void* ptr = nullptr,
               float opt = 0.0f) {
    return effect->dispatcher(effect, opcode, index, value, ptr, opt);
}

std::string text(AEffect* effect, VstInt32 opcode, VstInt32 index = 0) {
    char buffer[256] = {};
    call(effect, opcode, index, 0, buffer);
    return buffer;
}

// A fixture loaded and made by its entry point, then opened and switched on as a host does.
class Loaded {
public:
    explicit Loaded(const std::string& name) : library(fixturePluginPath(name)) {
        auto entry = reinterpret_cast<VstPluginMainProc>(library.symbol("VSTPluginMain"));
        if (entry == nullptr)
            entry = reinterpret_cast<VstPluginMainProc>(library.symbol("main"));
        if (entry != nullptr)
            effect = entry(fixtureHost);
    }
    ~Loaded() { close(); }
    Loaded(const Loaded&) = delete;
    Loaded& operator=(const Loaded&) = delete;

    void start() {
        call(effect, effOpen);
        call(effect, effSetSampleRate, 0, 0, nullptr, 48000.0f);
        call(effect, effSetBlockSize, 0, kFrames);
        call(effect, effMainsChanged, 0, 1);
    }
    void close() {
        if (effect == nullptr)
            return;
        call(effect, effMainsChanged, 0, 0);
        call(effect, effClose);
        effect = nullptr;
    }

    platform::DynamicLibrary library;
    AEffect* effect = nullptr;
};

// Buffers for one block: the test signal on two inputs, outputs filled with a marker.
struct Block {
    explicit Block(int outputCount, int frames = kFrames)
        : inputs(2, std::vector<float>(static_cast<std::size_t>(frames))),
          outputs(static_cast<std::size_t>(outputCount), std::vector<float>(static_cast<std::size_t>(frames), 9.0f)) {
        for (int n = 0; n < frames; ++n) {
            inputs[0][static_cast<std::size_t>(n)] = in0(n);
            inputs[1][static_cast<std::size_t>(n)] = in1(n);
        }
        for (auto& channel : inputs)
            inputPointers.push_back(channel.data());
        for (auto& channel : outputs)
            outputPointers.push_back(channel.data());
    }
    void process(AEffect* effect, int frames = kFrames) {
        effect->processReplacing(effect, inputPointers.data(), outputPointers.data(), frames);
    }
    std::vector<std::vector<float>> inputs;
    std::vector<std::vector<float>> outputs;
    std::vector<float*> inputPointers;
    std::vector<float*> outputPointers;
};

class FixturePlugin : public ::testing::TestWithParam<FixtureCase> {};

TEST_P(FixturePlugin, DeclaresItselfAsItsTableRowSays) {
    const FixtureCase& fixture = GetParam();
    versionQuestions = 0;
    Loaded loaded(fixture.name);
    ASSERT_TRUE(loaded.library.isOpen()) << loaded.library.lastError();
    EXPECT_EQ(loaded.library.symbol("VSTPluginMain") != nullptr, fixture.exportsVstPluginMain);
    EXPECT_NE(loaded.library.symbol("main"), nullptr);
    AEffect* effect = loaded.effect;
    ASSERT_NE(effect, nullptr);
    EXPECT_EQ(versionQuestions, 1);

    EXPECT_EQ(effect->magic, kEffectMagic);
    EXPECT_EQ(effect->flags, fixture.flags);
    EXPECT_EQ(effect->numInputs, fixture.inputs);
    EXPECT_EQ(effect->numOutputs, fixture.outputs);
    EXPECT_EQ(effect->numParams, fixture.params);
    EXPECT_EQ(effect->numPrograms, fixture.programs);
    EXPECT_EQ(effect->version, 1);
    loaded.start();
    EXPECT_EQ(call(effect, effGetPlugCategory), fixture.category);
    EXPECT_EQ(call(effect, effGetVendorVersion), 1);
    EXPECT_EQ(call(effect, effCanDo, 0, 0, const_cast<char*>("receiveVstMidiEvent")), fixture.wantsMidi ? 1 : 0);
    EXPECT_EQ(text(effect, effGetVendorString), "Rimba Tests");
    EXPECT_EQ(text(effect, effGetProductString), fixture.product);
    EXPECT_EQ(text(effect, effGetEffectName), fixture.effectName);
    EXPECT_EQ(text(effect, effGetProgramNameIndexed, 0), fixture.firstProgram);
    EXPECT_EQ(text(effect, effGetProgramName), fixture.firstProgram);
}

TEST_P(FixturePlugin, ProcessesTheTestSignalAsItsTableRowSays) {
    const FixtureCase& fixture = GetParam();
    Loaded loaded(fixture.name);
    ASSERT_NE(loaded.effect, nullptr);
    loaded.start();
    Block block(fixture.outputs);
    block.process(loaded.effect);
    for (int c = 0; c < fixture.outputs; ++c)
        for (int n = 0; n < kFrames; ++n)
            ASSERT_FLOAT_EQ(block.outputs[static_cast<std::size_t>(c)][static_cast<std::size_t>(n)],
                            fixture.expected(c, in0(n), in1(n)))
                << "output " << c << " frame " << n;
}

INSTANTIATE_TEST_SUITE_P(Fixtures, FixturePlugin, ::testing::ValuesIn(kFixtures), [](const auto& info) {
    std::string name = info.param.name;
    std::erase(name, '-');
    return name;
});

TEST(FixturePlugins, HaveDistinctUniqueIds) {
    std::set<VstInt32> ids;
    for (const FixtureCase& fixture : kFixtures) {
        Loaded loaded(fixture.name);
        ASSERT_NE(loaded.effect, nullptr) << fixture.name;
        EXPECT_TRUE(ids.insert(loaded.effect->uniqueID).second) << fixture.name;
    }
}

TEST(FixturePlugins, ChunkProgramsSoundTheirProgramAndRestoreTheirBankButNotABadChunk) {
    Loaded loaded("fixture-chunk-programs");
    AEffect* effect = loaded.effect;
    ASSERT_NE(effect, nullptr);
    loaded.start();
    EXPECT_EQ(text(effect, effGetProgramNameIndexed, 3), "Chunk D");
    call(effect, effSetProgram, 0, 2);
    EXPECT_EQ(call(effect, effGetProgram), 2);
    Block block(2);
    block.process(effect);
    EXPECT_FLOAT_EQ(block.outputs[0][5], in0(5) * 2.0f * (21.0f / 40.0f));

    void* data = nullptr;
    const auto bankSize = call(effect, effGetChunk, 0, 0, &data);
    ASSERT_EQ(bankSize, 4 + 4 * (24 + 40));
    const std::vector<char> bank(static_cast<char*>(data), static_cast<char*>(data) + bankSize);
    EXPECT_EQ(std::string(bank.data(), 4), "RFCB");
    ASSERT_EQ(call(effect, effGetChunk, 1, 0, &data), 4 + 24 + 40);
    EXPECT_EQ(std::string(static_cast<char*>(data), 4), "RFCP");

    effect->setParameter(effect, 0, 0.125f);
    call(effect, effSetProgramName, 0, 0, const_cast<char*>("Renamed"));
    std::vector<char> damaged = bank;
    damaged[0] = 'X';
    EXPECT_EQ(call(effect, effSetChunk, 0, static_cast<VstIntPtr>(damaged.size()), damaged.data()), 0);
    EXPECT_EQ(call(effect, effSetChunk, 0, static_cast<VstIntPtr>(bank.size() - 1), const_cast<char*>(bank.data())), 0);
    EXPECT_EQ(effect->getParameter(effect, 0), 0.125f);
    EXPECT_EQ(text(effect, effGetProgramName), "Renamed");

    EXPECT_EQ(call(effect, effSetChunk, 0, static_cast<VstIntPtr>(bank.size()), const_cast<char*>(bank.data())), 1);
    EXPECT_EQ(effect->getParameter(effect, 0), 21.0f / 40.0f);
    EXPECT_EQ(text(effect, effGetProgramName), "Chunk C");
}

TEST(FixturePlugins, RegularProgramsEachStartWithTheirOwnValues) {
    Loaded loaded("fixture-regular-programs");
    AEffect* effect = loaded.effect;
    ASSERT_NE(effect, nullptr);
    loaded.start();
    for (int p = 0; p < 4; ++p) {
        call(effect, effSetProgram, 0, p);
        EXPECT_EQ(text(effect, effGetProgramName), std::string("Regular ") + static_cast<char>('A' + p));
        for (int i = 0; i < 10; ++i)
            EXPECT_EQ(effect->getParameter(effect, i), static_cast<float>(p * 10 + i + 1) / 40.0f);
    }
    call(effect, effSetProgram, 0, 1);
    Block block(2);
    block.process(effect);
    EXPECT_FLOAT_EQ(block.outputs[1][3], in1(3) * 2.0f * (11.0f / 40.0f));
}

TEST(FixturePlugins, DelayHoldsTheSoundBackAsLongAsItReportsAndTellsTheHostOfAChange) {
    Loaded loaded("fixture-delay");
    AEffect* effect = loaded.effect;
    ASSERT_NE(effect, nullptr);
    EXPECT_EQ(effect->initialDelay, 300);
    loaded.start();
    ioChanges = 0;
    effect->setParameter(effect, 0, 0.1f);
    EXPECT_EQ(effect->initialDelay, 100);
    EXPECT_EQ(ioChanges, 1);
    effect->setParameter(effect, 0, 0.1f);
    EXPECT_EQ(ioChanges, 1) << "no change, no call";

    Block first(2, 100);
    first.process(effect, 100);
    Block second(2, 100);
    second.process(effect, 100);
    for (int n = 0; n < 100; ++n) {
        ASSERT_EQ(first.outputs[0][static_cast<std::size_t>(n)], 0.0f) << n;
        ASSERT_EQ(second.outputs[0][static_cast<std::size_t>(n)], in0(n)) << n;
        ASSERT_EQ(second.outputs[1][static_cast<std::size_t>(n)], in1(n)) << n;
    }
}

TEST(FixturePlugins, DrumSynthSoundsKey39OnOutput5FromItsFrameUntilSilenced) {
    Loaded loaded("fixture-drum-synth");
    AEffect* effect = loaded.effect;
    ASSERT_NE(effect, nullptr);
    loaded.start();
    VstMidiEvent noteOn{};
    noteOn.type = kVstMidiType;
    noteOn.byteSize = sizeof noteOn;
    noteOn.deltaFrames = 10;
    noteOn.midiData[0] = static_cast<char>(0x90);
    noteOn.midiData[1] = 36 + 3;
    noteOn.midiData[2] = 100;
    VstEvents events{};
    events.numEvents = 1;
    events.events[0] = reinterpret_cast<VstEvent*>(&noteOn);
    call(effect, effProcessEvents, 0, 0, &events);

    Block block(18);
    block.process(effect);
    for (int c = 0; c < 18; ++c) {
        for (int n = 0; n < kFrames; ++n) {
            const float sample = block.outputs[static_cast<std::size_t>(c)][static_cast<std::size_t>(n)];
            if (c == 5 && n >= 10)
                ASSERT_NE(sample, 0.0f) << "frame " << n;
            else
                ASSERT_EQ(sample, 0.0f) << "output " << c << " frame " << n;
        }
    }
    // A cosine starts at its full amplitude: velocity / 127 x the default level 0.8.
    EXPECT_FLOAT_EQ(block.outputs[5][10], static_cast<float>(100.0 / 127.0 * 0.8));

    effect->setParameter(effect, 0x10030 + 3, 0.0f);
    block.process(effect);
    for (int n = 0; n < kFrames; ++n)
        ASSERT_EQ(block.outputs[5][static_cast<std::size_t>(n)], 0.0f) << "frame " << n;
}

TEST(FixturePlugins, DrumSynthLogsTheHostsCallsOneLineEach) {
    TempFolder folder;
    const std::string logFile = folder / "calls.log";
    {
        ScopedEnvironmentVariable variable("RIMBA_FIXTURE_LOG", logFile);
        Loaded loaded("fixture-drum-synth");
        AEffect* effect = loaded.effect;
        ASSERT_NE(effect, nullptr);
        loaded.start();
        VstMidiEvent notes[2] = {};
        const char bytes[2][3] = {{char(0x90), 39, 100}, {char(0x80), 39, 0}};
        for (int e = 0; e < 2; ++e) {
            notes[e].type = kVstMidiType;
            notes[e].byteSize = sizeof notes[e];
            notes[e].deltaFrames = 10 * (e + 1);
            std::memcpy(notes[e].midiData, bytes[e], 3);
        }
        VstEvents events{};
        events.numEvents = 2;
        events.events[0] = reinterpret_cast<VstEvent*>(&notes[0]);
        events.events[1] = reinterpret_cast<VstEvent*>(&notes[1]);
        call(effect, effProcessEvents, 0, 0, &events);
        Block block(18);
        block.process(effect);
        effect->setParameter(effect, 24, 0.25f);
        VstTimeInfo time{};
        time.samplePos = 64.0;
        time.tempo = 120.5;
        hostTime = &time;
        block.process(effect, 32);
        hostTime = nullptr;
        loaded.close();
    }
    std::ifstream in(logFile);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) {
        std::istringstream tokens(line);
        std::string library, instance, rest;
        tokens >> library >> instance;
        std::getline(tokens >> std::ws, rest);
        EXPECT_EQ(library, "fixture-drum-synth");
        lines.push_back(rest);
    }
    const std::vector<std::string> expected = {
        "dispatcher 0 0 0 0",
        "dispatcher 10 0 0 48000",
        "dispatcher 11 0 64 0",
        "dispatcher 12 0 1 0",
        "dispatcher 25 0 0 0 events 2 midi 10 144 39 100 midi 20 128 39 0",
        "process 64 time none",
        "setParameter 24 0.25",
        "process 32 time 64 120.5 0 0 0",
        "dispatcher 12 0 0 0",
        "dispatcher 1 0 0 0",
    };
    EXPECT_EQ(lines, expected);
}

#ifndef _WIN32
std::size_t threadCount() {
    std::size_t count = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator("/proc/self/task"))
        ++count;
    return count;
}
#endif

TEST(FixturePlugins, ThreadedFixtureRunsAThreadFromOpenUntilClose) {
    Loaded loaded("fixture-threaded");
    ASSERT_NE(loaded.effect, nullptr);
#ifndef _WIN32
    const std::size_t before = threadCount();
    loaded.start();
    // A sanitizer may start a thread of its own with the first thread made, so the fixture's
    // thread is the one that effClose ends.
    const std::size_t open = threadCount();
    EXPECT_GT(open, before);
#else
    loaded.start();
#endif
    const auto closing = std::chrono::steady_clock::now();
    loaded.close();
    EXPECT_LT(std::chrono::steady_clock::now() - closing, std::chrono::seconds(2));
#ifndef _WIN32
    // A joined thread may linger in /proc for a moment after the join returns.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(1);
    while (threadCount() != open - 1 && std::chrono::steady_clock::now() < deadline)
        std::this_thread::yield();
    EXPECT_EQ(threadCount(), open - 1);
#endif
}

}  // namespace
}  // namespace rimba::test
