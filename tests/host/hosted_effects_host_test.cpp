// Effects in the instrument's slots as a host meets them: the built plug-in given a program that
// names fixture plug-ins (tests/plugins/) for its send and insert slots, then driven through the
// VST 2.4 binary interface only. What comes out of its outputs, the latency it reports and the
// time its effects are told.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "tests/host/HostChunks.h"
#include "tests/host/TestHost.h"
#include "tests/plugins/FixturePlugins.h"

namespace rimba::test {
namespace {

using namespace rimba::chunk_test;

constexpr int kSend1 = 0;
constexpr int kInsert1 = 2;
constexpr int kInsert2 = 3;
constexpr int kSendSetting = 2;  // send 1 among a track's stored settings
constexpr int kFrames = 512;

struct SlotEffect {
    int slot;
    const char* fixture;
    std::vector<float> parameters;  // of its one program
};

// The state block of stateBlock() (three tracks panned apart, playing from step 0) with its
// tracks' send 1 full and `effects` in their slots, switched on. The effects are named by file
// name, which the instrument finds in its effects folder.
std::vector<std::uint8_t> programWith(const std::vector<SlotEffect>& effects) {
    const FormRow& form = formTable()[6];
    Block block(stateBlock());
    const std::size_t tail = tailAt(form, kTracks);
    for (int t = 0; t < 3; ++t)
        block.f32(settingsAt(form, t) + 4 * kSendSetting, 1.0f);
    std::vector<SlotEffect> inOrder = effects;
    std::sort(inOrder.begin(), inOrder.end(), [](const SlotEffect& a, const SlotEffect& b) { return a.slot < b.slot; });
    for (const SlotEffect& effect : inOrder) {
        const auto slot = static_cast<std::size_t>(effect.slot);
        // A regular plug-in's state: its program's name in 32 bytes, then its values big-endian.
        Block state(32 + 4 * effect.parameters.size());
        state.text(0, "Program");
        for (std::size_t p = 0; p < effect.parameters.size(); ++p) {
            std::uint32_t bits = 0;
            std::memcpy(&bits, &effect.parameters[p], 4);
            state.be32(32 + 4 * p, bits);
        }
        block.i32(tail + kTailEffectEntries + 8 * slot, static_cast<std::int32_t>(state.bytes.size()));
        block.text(tail + kTailEffectPaths + 256 * slot, std::string(effect.fixture) + RIMBA_LIBRARY_EXTENSION);
        block.i32(tail + kTailEffectEnabled + 4 * slot, 1);
        block.append(state.bytes);
    }
    fixSize(block);
    return block.bytes;
}

std::vector<std::string> words(const std::string& line) {
    std::istringstream in(line);
    std::vector<std::string> tokens;
    for (std::string word; in >> word;)
        tokens.push_back(word);
    return tokens;
}

// The first frame above the master equaliser's floor (it keeps its filters out of denormals
// with a signal far below hearing).
long firstSound(const std::vector<float>& channel) {
    const auto sound = std::find_if(channel.begin(), channel.end(), [](float x) { return std::fabs(x) > 1e-3f; });
    return sound == channel.end() ? -1 : static_cast<long>(sound - channel.begin());
}

class HostedEffectsHost : public HostWithLibrary {
protected:
    void SetUp() override {
        HostWithLibrary::SetUp();
        // The fixtures' folder is the effects folder: a path of this machine would be no
        // Windows path under Wine.
        settings::SettingsStore("RimbaDrums_64")
            .writeText("Settings", "EffectPath",
                       platform::withNativeSeparators(std::string(RIMBA_FIXTURE_PLUGIN_DIR) + "/"));
        effect = plugin.create();
        ASSERT_NE(effect, nullptr);
        dispatch(effect, effSetSampleRate, 0, 0, nullptr, 44100.0f);
        dispatch(effect, effSetBlockSize, 0, kFrames);
        dispatch(effect, effMainsChanged, 0, 1);
        time.sampleRate = 44100.0;
        time.tempo = 120.0;
        time.flags = kVstTransportPlaying | kVstTempoValid;
        hostRecord().timeInfo = &time;
    }
    void TearDown() override {
        hostRecord().timeInfo = nullptr;
        if (effect != nullptr)
            closeEffect(effect);
        HostWithLibrary::TearDown();
    }

    // Another instance, made ready as the first.
    AEffect* another() {
        AEffect* made = plugin.create();
        dispatch(made, effSetSampleRate, 0, 0, nullptr, 44100.0f);
        dispatch(made, effSetBlockSize, 0, kFrames);
        dispatch(made, effMainsChanged, 0, 1);
        return made;
    }

    // Renders `blocks` blocks from the start of the song; every output channel, recorded whole.
    std::vector<std::vector<float>> render(AEffect* instance, int blocks) {
        std::vector<std::vector<float>> recorded(static_cast<std::size_t>(kOutputs));
        for (int b = 0; b < blocks; ++b) {
            time.samplePos = static_cast<double>(b) * kFrames;
            OutputBlock out(kOutputs, kFrames, 0.0f);
            instance->processReplacing(instance, nullptr, out.pointers(), kFrames);
            for (std::size_t c = 0; c < recorded.size(); ++c)
                recorded[c].insert(recorded[c].end(), out.channels[c].begin(), out.channels[c].end());
        }
        return recorded;
    }

    int ioChangesAsked() const {
        return static_cast<int>(std::count_if(hostRecord().calls.begin(), hostRecord().calls.end(),
                                              [](const auto& call) { return call.first == audioMasterIOChanged; }));
    }

    AEffect* effect = nullptr;
    VstTimeInfo time{};
};

// fixture-mono has one input and one output, as the mono versions of many effects.
TEST_F(HostedEffectsHost, AMonoEffectSoundsOnBothSidesOfTheMasterAndOfItsSendsOutputs) {
    ASSERT_EQ(give(effect, programWith({{kSend1, "fixture-mono", {}}, {kInsert1, "fixture-mono", {}}})), 1);
    const std::vector<std::vector<float>> out = render(effect, 20);
    const std::size_t sendLeft = kTracks + 2;
    for (const std::size_t left : {std::size_t{0}, sendLeft}) {
        SCOPED_TRACE(left == 0 ? "master" : "send 1");
        ASSERT_GE(firstSound(out[left]), 0);
        EXPECT_TRUE(out[left] == out[left + 1]) << "the right side is the left";
    }
}

// fixture-delay holds its input back by its parameter x 1000 frames and reports as much. The
// host moves every output of the instrument earlier by the latency it reports, so the outputs
// that do not pass through the inserts (the tracks') are held back as much as the master.
TEST_F(HostedEffectsHost, TheInsertsLatencyIsTheInitialDelayAndEveryOutputKeepsTimeWithIt) {
    ASSERT_EQ(give(effect, programWith({})), 1);
    const std::vector<std::vector<float>> dry = render(effect, 24);
    EXPECT_EQ(effect->initialDelay, 0);
    EXPECT_EQ(ioChangesAsked(), 0);

    AEffect* delayed = another();
    ASSERT_EQ(give(delayed, programWith({{kInsert1, "fixture-delay", {0.3f}}, {kInsert2, "fixture-delay", {0.15f}}})),
              1);
    EXPECT_EQ(delayed->initialDelay, 450) << "two inserts in series";
    EXPECT_EQ(ioChangesAsked(), 1);
    const std::vector<std::vector<float>> late = render(delayed, 24);
    for (const std::size_t channel : {0u, 1u, 2u, 3u, 4u}) {
        SCOPED_TRACE(channel);
        ASSERT_GT(firstSound(dry[channel]), -1);
        const std::vector<float> held(late[channel].begin(), late[channel].begin() + 450);
        const std::vector<float> after(late[channel].begin() + 450, late[channel].end());
        const std::vector<float> before(dry[channel].begin(), dry[channel].end() - 450);
        EXPECT_EQ(firstSound(held), -1);
        EXPECT_TRUE(after == before);
    }

    ASSERT_EQ(give(delayed, programWith({})), 1);
    EXPECT_EQ(delayed->initialDelay, 0);
    EXPECT_EQ(ioChangesAsked(), 2);
    closeEffect(delayed);
}

// A host block longer than the block size it told the instrument reaches the effects in pieces
// of that size; each is told the time where it starts. Quarter notes of 22050 frames at 120 BPM
// and 44100 Hz, bars of four from ppq 4: the third piece starts the bar at ppq 8.
TEST_F(HostedEffectsHost, EachPieceOfALongerBlockTellsTheEffectsItsOwnTime) {
    files::fixtures::TempFolder logFolder;
    const std::string logFile = logFolder / "calls.log";
    ScopedEnvironmentVariable logging("RIMBA_FIXTURE_LOG", logFile);
    ASSERT_EQ(give(effect, programWith({{kInsert1, "fixture-delay", {0.3f}}})), 1);
    dispatch(effect, effSetBlockSize, 0, 64);

    constexpr double kQuarter = 22050.0;
    time.ppqPos = 7.995;
    time.samplePos = time.ppqPos * kQuarter;
    time.barStartPos = 4.0;
    time.timeSigNumerator = 4;
    time.timeSigDenominator = 4;
    time.flags = kVstTransportPlaying | kVstTransportChanged | kVstTempoValid | kVstPpqPosValid | kVstBarsValid |
                 kVstTimeSigValid;
    OutputBlock out(kOutputs, 256, 0.0f);
    effect->processReplacing(effect, nullptr, out.pointers(), 256);

    std::ifstream in(logFile);
    std::vector<std::vector<std::string>> pieces;
    for (std::string line; std::getline(in, line);)
        if (const auto tokens = words(line);
            tokens.size() == 10 && tokens[0] == "fixture-delay" && tokens[2] == "process")
            pieces.push_back(tokens);
    ASSERT_EQ(pieces.size(), 4u);
    for (std::size_t k = 0; k < pieces.size(); ++k) {
        SCOPED_TRACE(k);
        const double offset = 64.0 * static_cast<double>(k);
        EXPECT_EQ(pieces[k][3], "64");
        EXPECT_DOUBLE_EQ(std::stod(pieces[k][5]), time.samplePos + offset);
        EXPECT_DOUBLE_EQ(std::stod(pieces[k][6]), 120.0);
        const double ppq = std::stod(pieces[k][7]);
        EXPECT_NEAR(ppq, 7.995 + offset / kQuarter, 1e-9);
        EXPECT_EQ(std::stod(pieces[k][8]), ppq >= 8.0 ? 8.0 : 4.0);
        EXPECT_EQ((std::stoi(pieces[k][9]) & kVstTransportChanged) != 0, k == 0) << "only the first piece";
    }
    EXPECT_GE(std::stod(pieces[3][7]), 8.0);
}

}  // namespace
}  // namespace rimba::test
