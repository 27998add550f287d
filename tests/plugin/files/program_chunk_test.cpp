// The program chunk: the bytes of the current form, every older form built here from the form
// table, library-relative sound paths, export mode and the effect state blocks.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <optional>

#include "common/platform/Paths.h"
#include "plugin/files/LibraryFolder.h"
#include "plugin/files/ProgramChunk.h"
#include "tests/plugin/files/ChunkFixture.h"
#include "tests/support/LentPlugins.h"
#include "tests/support/InstrumentProbe.h"

namespace rimba::chunk_test {
namespace {

using files::fixtures::TempFolder;

// A hosted plug-in whose programs, parameters and bank the test sets and reads back.
class FakeEffect : public HostedPlugin {
public:
    struct Program {
        std::string name;
        std::vector<float> values;
    };

    FakeEffect(std::string library, std::vector<Program> programs, bool chunks = false)
        : path(std::move(library)), programs(std::move(programs)), chunks(chunks), buffer(kMaxBlockFrames) {}

    float* inputChannel(int) override { return buffer.data(); }
    float* outputChannel(int) override { return buffer.data(); }
    void processBlock(int) override {}
    void queueMidi(std::int32_t, std::uint8_t, std::uint8_t, std::uint8_t) override {}
    void deliverQueuedMidi() override {}
    void setParameter(std::int32_t index, float value) override {
        programs.at(static_cast<std::size_t>(current)).values.at(static_cast<std::size_t>(index)) = value;
    }
    void setSampleRate(float) override {}
    void setBlockSize(std::int32_t) override {}

    bool programsAreChunks() override { return chunks; }
    std::int32_t programCount() override { return static_cast<std::int32_t>(programs.size()); }
    std::int32_t parameterCount() override {
        return programs.empty() ? 0 : static_cast<std::int32_t>(programs[0].values.size());
    }
    std::int32_t currentProgram() override { return current; }
    void setCurrentProgram(std::int32_t program) override { current = program; }
    std::string programName() override { return programs.at(static_cast<std::size_t>(current)).name; }
    void setProgramName(const std::string& name) override {
        programs.at(static_cast<std::size_t>(current)).name = name;
    }
    float getParameter(std::int32_t index) override {
        return programs.at(static_cast<std::size_t>(current)).values.at(static_cast<std::size_t>(index));
    }
    std::vector<std::uint8_t> bankChunk() override { return bank; }
    void setBankChunk(std::span<const std::uint8_t> state) override { bank.assign(state.begin(), state.end()); }
    std::string libraryPath() override { return path; }

    std::string path;
    std::vector<Program> programs;
    bool chunks;
    std::vector<std::uint8_t> bank;
    std::int32_t current = 0;
    std::vector<float> buffer;
};

std::uint32_t bitsOf(float value) { return std::bit_cast<std::uint32_t>(value); }

// --- the current form, byte by byte ------------------------------------------------------------

class CurrentForm : public ::testing::Test {
protected:
    void SetUp() override {
        std::filesystem::create_directories(root.path() + "/library/Samples");
        writeWave(root.path() + "/library/Samples/kick.wav", testSound(1000, 1));
        drums = makeDrums(12, root.path() + "/library");
    }

    TempFolder root;
    std::unique_ptr<VornDrums> drums;
};

TEST_F(CurrentForm, ABlockOfKnownStateHasEveryFieldAtTheOffsetOfTheTables) {
    VornDrums& d = *drums;
    setSoundPath(d, 3, root.path() + "/library/Samples/kick.wav");
    ASSERT_GE(test::stateOf(d).voices[3].soundIndex, 0);
    TrackPatterns& planes = test::stateOf(d).patterns[3];
    planes.randomMinDensity[5] = 2.7f;
    planes.randomMaxDensity[5] = 4.0f;
    planes.randomMaxRoll[5] = 1.0f;
    test::stateOf(d).tracks.scaleNotes[3][7] = 0;
    planes.stepVelocity[9][33] = 127.0f;
    planes.stepHold[9][33] = 2.0f;
    planes.stepRoll[9][33] = 3.0f;
    planes.stepVelocity[15][63] = -5.9f;
    test::stateOf(d).tracks.level[3] = 0.3f;
    test::stateOf(d).tracks.choke[3] = 1.0f;
    test::stateOf(d).tracks.eqGain[3][2] = -0.25f;
    test::stateOf(d).tracks.phaseInvert[3] = 1.0f;

    test::stateOf(d).patternSteps[2] = 48;
    test::stateOf(d).chainEnabled[15] = 1;
    test::stateOf(d).currentPattern = 6;
    test::stateOf(d).playMode = 2;
    test::stateOf(d).swing = 33;
    test::stateOf(d).randomAuto = 1;
    test::stateOf(d).randomPerPattern = 1;
    test::stateOf(d).playing = 0;
    test::stateOf(d).tempo = 97;
    test::stateOf(d).effectEnabled[3] = 1;
    test::stateOf(d).settings.muteMidiKey = 1;
    test::stateOf(d).settings.patternTriggerMidiKey = 72;
    test::stateOf(d).randomGraphVisible = 1;
    test::stateOf(d).fillAttenuation = 21;
    test::stateOf(d).masterEqOn = 1.0f;
    test::stateOf(d).masterEqQ[1] = 0.4f;
    test::stateOf(d).masterEqGain[2] = 0.5f;
    for (std::size_t i = 0; i < 8; ++i)
        test::stateOf(d).patternSetReserved[i] = 100.0f + static_cast<float>(i);

    FakeEffect hall("/effects/Hall.so", {{"Hall", {0.25f, 0.5f, 1.0f}}, {"Room", {0.125f, -2.0f, 3.5f}}});
    hall.current = 1;
    FakeEffect bank("/opt/fx/Bank.so", {{"One", {0.0f}}}, true);
    bank.bank = {1, 2, 3, 4, 5};
    FakeEffect synth("", {{"Kit", {0.75f}}});
    d.placePlugin(0, &hall);
    d.placePlugin(2, &bank);
    d.placePlugin(VornDrums::kSynthSlot, &synth);

    const std::vector<std::uint8_t> b = chunkOf(d);
    test::takeBackLentPlugins(d);

    // Header.
    const std::size_t hallBytes = 2 * (3 + 8) * 4;
    const std::size_t total = kFixed + 12 * kTrack + hallBytes + 5 + (1 + 8) * 4;
    ASSERT_EQ(b.size(), total);
    EXPECT_EQ(le32At(b, 0), total);
    EXPECT_EQ(i32At(b, 4), 1480);
    EXPECT_EQ(be32At(b, 8), 1480u);
    EXPECT_EQ(i32At(b, 12), 12);
    for (std::size_t i = 16; i < 32; ++i)
        EXPECT_EQ(b[i], 0) << i;
    EXPECT_EQ(textAt(b, 32, 32), "1.50");
    EXPECT_EQ(b[36], 0);

    // Track 3.
    const std::size_t t3 = kHeader + 3 * kTrack;
    EXPECT_EQ(textAt(b, t3 + kPath, 256), "\\Samples\\kick.wav");
    EXPECT_EQ(s8At(b, t3 + kRandom + 3 * 5), 2);
    EXPECT_EQ(s8At(b, t3 + kRandom + 3 * 5 + 1), 4);
    EXPECT_EQ(s8At(b, t3 + kRandom + 3 * 5 + 2), 1);
    EXPECT_EQ(s8At(b, t3 + kRandom + 3 * 6), -1);  // an untouched pattern is off
    EXPECT_EQ(s8At(b, t3 + kScale + 7), 0);
    EXPECT_EQ(s8At(b, t3 + kScale + 8), 1);
    EXPECT_EQ(s8At(b, t3 + kSteps + 48 * 33 + 9), 127);
    EXPECT_EQ(s8At(b, t3 + kSteps + 48 * 33 + 16 + 9), 2);
    EXPECT_EQ(s8At(b, t3 + kSteps + 48 * 33 + 32 + 9), 3);
    EXPECT_EQ(s8At(b, t3 + kSteps + 48 * 63 + 15), -5);
    EXPECT_EQ(s8At(b, t3 + kSteps + 48 * 0 + 16 + 0), 1);  // an empty step holds 1
    EXPECT_EQ(f32At(b, t3 + kSettings + 4 * kLevel), 0.3f);
    EXPECT_EQ(f32At(b, t3 + kSettings + 4 * kPan), 0.5f);
    EXPECT_EQ(f32At(b, t3 + kSettings + 4 * kChoke), 1.0f);
    EXPECT_EQ(f32At(b, t3 + kSettings + 4 * kBand2Gain), -0.25f);
    EXPECT_EQ(f32At(b, t3 + kSettings + 4 * kBand0Freq), 0.2407676f);
    EXPECT_EQ(f32At(b, t3 + kSettings + 4 * kSynthMix), 0.5f);
    EXPECT_EQ(f32At(b, t3 + kSettings + 4 * kPhaseInvert), 1.0f);
    for (std::size_t i = kTrackZero; i < kTrack; ++i)
        EXPECT_EQ(b[t3 + i], 0) << i;
    EXPECT_EQ(textAt(b, kHeader + kPath, 256), "");  // a track without a sound names none

    // Tail.
    const std::size_t tail = kHeader + 12 * kTrack;
    EXPECT_EQ(i32At(b, tail + kTailSteps + 4 * 2), 48);
    EXPECT_EQ(i32At(b, tail + kTailSteps + 4 * 3), 16);
    EXPECT_EQ(i32At(b, tail + kTailChain + 4 * 15), 1);
    EXPECT_EQ(i32At(b, tail + kTailCurrentPattern), 6);
    EXPECT_EQ(i32At(b, tail + kTailPlayMode), 2);
    EXPECT_EQ(i32At(b, tail + kTailSwing), 33);
    EXPECT_EQ(i32At(b, tail + kTailRandomAuto), 1);
    EXPECT_EQ(i32At(b, tail + kTailRandomPerPattern), 1);
    EXPECT_EQ(i32At(b, tail + kTailPlaying), 0);
    EXPECT_EQ(i32At(b, tail + kTailTempo), 97);
    EXPECT_EQ(i32At(b, tail + kTailEffectEnabled + 4 * 3), 1);
    EXPECT_EQ(i32At(b, tail + kTailMuteKey), 1);
    EXPECT_EQ(i32At(b, tail + kTailTriggerKey), 72);
    EXPECT_EQ(i32At(b, tail + kTailGraph), 1);
    EXPECT_EQ(i32At(b, tail + kTailFill), 21);
    for (std::size_t i = 188; i < kTailEffectEntries; ++i)
        EXPECT_EQ(b[tail + i], 0) << i;
    EXPECT_EQ(i32At(b, tail + kTailEffectEntries), static_cast<std::int32_t>(hallBytes));
    EXPECT_EQ(i32At(b, tail + kTailEffectEntries + 4), 1);
    EXPECT_EQ(i32At(b, tail + kTailEffectEntries + 8), 0);
    EXPECT_EQ(i32At(b, tail + kTailEffectEntries + 16), 5);
    EXPECT_EQ(i32At(b, tail + kTailSynthEntry), 36);
    EXPECT_EQ(f32At(b, tail + kTailMasterEqOn), 1.0f);
    EXPECT_EQ(f32At(b, tail + kTailMasterBands + 12 + 4), 0.4f);
    EXPECT_EQ(f32At(b, tail + kTailMasterBands + 24 + 8), 0.5f);
    const std::array<int, 8> order{0, 4, 1, 5, 2, 6, 3, 7};
    for (std::size_t k = 0; k < 8; ++k)
        EXPECT_EQ(f32At(b, tail + kTailReserved + 4 * k), 100.0f + static_cast<float>(order[k])) << k;
    EXPECT_EQ(textAt(b, tail + kTailEffectPaths, 256), "Hall.so");
    EXPECT_EQ(textAt(b, tail + kTailEffectPaths + 256, 256), "");
    EXPECT_EQ(textAt(b, tail + kTailEffectPaths + 512, 256), "/opt/fx/Bank.so");

    // State blocks: the program-by-program one, the bank chunk, the synth's.
    const std::size_t blocks = tail + kTailStateBlocks;
    EXPECT_EQ(textAt(b, blocks, 32), "Hall");
    EXPECT_EQ(be32At(b, blocks + 32), bitsOf(0.25f));
    EXPECT_EQ(be32At(b, blocks + 40), bitsOf(1.0f));
    EXPECT_EQ(textAt(b, blocks + 44, 32), "Room");
    EXPECT_EQ(be32At(b, blocks + 44 + 36), bitsOf(-2.0f));
    EXPECT_EQ(std::vector<std::uint8_t>(b.begin() + static_cast<std::ptrdiff_t>(blocks + hallBytes),
                                        b.begin() + static_cast<std::ptrdiff_t>(blocks + hallBytes + 5)),
              (std::vector<std::uint8_t>{1, 2, 3, 4, 5}));
    EXPECT_EQ(textAt(b, blocks + hallBytes + 5, 32), "Kit");
    EXPECT_EQ(be32At(b, blocks + hallBytes + 5 + 32), bitsOf(0.75f));
    EXPECT_EQ(hall.current, 1);  // the saved program is selected again
}

TEST_F(CurrentForm, AStepHoldOfOneAndAHalfIsStoredAsOne) {
    test::stateOf(*drums).patterns[0].stepHold[4][10] = 1.5f;
    test::stateOf(*drums).patterns[0].stepHold[4][11] = 0.75f;
    const std::vector<std::uint8_t> b = chunkOf(*drums);
    EXPECT_EQ(s8At(b, kHeader + kSteps + 48 * 10 + 16 + 4), 1);
    EXPECT_EQ(s8At(b, kHeader + kSteps + 48 * 11 + 16 + 4), 0);
    auto other = makeDrums(12, root.path() + "/library");
    ASSERT_EQ(give(*other, b), 1);
    EXPECT_EQ(test::stateOf(*other).patterns[0].stepHold[4][10], 1.0f);
}

TEST_F(CurrentForm, TheSizeIsTheFixedPartPlusTheTracksWithoutStateBlocks) {
    auto eight = makeDrums(8, root.path() + "/library");
    EXPECT_EQ(chunkOf(*eight).size(), 1512u + 3580u * 8);
    EXPECT_EQ(chunkOf(*drums).size(), 1512u + 3580u * 12);
}

// --- every older form ----------------------------------------------------------------------------

class EveryForm : public ::testing::TestWithParam<int> {};

// Track `t` of a block of form `f`: one hit with hold and roll, random settings (one pair
// saved as "off" the old way), scale notes and settings as far as the form holds them.
void writeEveryFormTrack(Block& block, const FormRow& f, int t) {
    block.text(trackAt(f, t) + kPath, "\\Samples\\none.wav");
    block.s8(stepAt(f, t, 5) + 3, 100);
    if (!f.velocityOnly) {
        block.s8(stepAt(f, t, 5) + 16 + 3, 3);
        block.s8(stepAt(f, t, 5) + 32 + 3, 2);
    }
    if (f.random) {
        block.s8(randomAt(f, t) + 3 * 4, 2);
        block.s8(randomAt(f, t) + 3 * 4 + 1, 5);
        block.s8(randomAt(f, t) + 3 * 4 + 2, 1);
        block.s8(randomAt(f, t) + 3 * 6, 0);  // minimum 0 with maximum -1: off
        block.s8(randomAt(f, t) + 3 * 6 + 1, -1);
        block.s8(randomAt(f, t) + 3 * 6 + 2, 3);
    }
    if (f.scaleNotes) {
        block.s8(scaleAt(f, t) + 1, 0);
        block.s8(scaleAt(f, t) + 11, 0);
    }
    const auto setting = [&](int position, float value) {
        block.f32(settingsAt(f, t) + 4 * static_cast<std::size_t>(position), value);
    };
    setting(kLevel, 0.5f);
    setting(kPan, 0.25f);
    setting(kTune, 0.75f);
    setting(kTuneVelocity, 0.5f);
    setting(kStart, 0.125f);
    setting(kEnd, 0.875f);
    if (f.settingsRead == 14) {
        setting(12, 9.0f);  // the float no later form kept
        setting(13, 1.0f);  // mute
    } else {
        setting(kRandomMin, 2.0f);
        setting(kMute, 1.0f);
        setting(kChoke, 1.0f);
        setting(kRandomMax, 6.0f);
        setting(kRandomMaxRoll, 3.0f);
    }
    if (f.settingsRead == 32) {
        setting(kTuneScale, 1.0f);
        setting(kSynthRoute, 1.0f);
        setting(kEqOnSample, 1.0f);
        setting(kBand0Freq, 0.3f);
        setting(kBand1Q, 0.9f);
        setting(kBand2Gain - 2, 0.65f);  // band 2's position
        setting(kBand2Gain, -0.5f);
        setting(kSynthMix, 0.25f);
        setting(kEqOnSynth, 1.0f);
        setting(kPhaseInvert, 1.0f);
    } else {
        // What lies in the settings area beyond the settings the form reads is not read.
        for (int i = f.settingsRead; i < static_cast<int>(f.settingsArea / 4); ++i)
            setting(i, 1.0f);
    }
}

// The tail of a block of form `f` with 8 tracks, every value away from its reset value.
void writeEveryFormTail(Block& block, const FormRow& f) {
    const std::size_t tail = tailAt(f, 8);
    block.i32(tail + kTailSteps + 4 * 3, 24);
    block.i32(tail + kTailChain + 4 * 3, 1);
    block.i32(tail + kTailChain + 4 * 7, 1);
    block.i32(tail + kTailCurrentPattern, 3);
    block.i32(tail + kTailPlayMode, 0);
    block.i32(tail + kTailSwing, 40);
    if (f.tail != 0) {
        block.i32(tail + kTailRandomAuto, 0);
        block.i32(tail + kTailRandomPerPattern, 1);
        block.i32(tail + kTailPlaying, 0);
        block.i32(tail + kTailTempo, 133);
        block.i32(tail + kTailEffectEnabled + 8, 1);
        block.i32(tail + kTailMuteKey, 1);
        block.i32(tail + kTailTriggerKey, 60);
        block.i32(tail + kTailGraph, 1);
        block.i32(tail + kTailFill, 100);
        const std::size_t shift = tailShift(f);
        block.f32(tail + kTailMasterEqOn - shift, 1.0f);
        block.f32(tail + kTailMasterBands - shift, 0.2407676f);
        block.f32(tail + kTailMasterBands - shift + 4, 0.707f);
        block.f32(tail + kTailMasterBands - shift + 12, 0.4815352f);
        block.f32(tail + kTailMasterBands - shift + 16, 0.707f);
        block.f32(tail + kTailMasterBands - shift + 20, 0.25f);
        block.f32(tail + kTailMasterBands - shift + 24, 0.6889311f);
        block.f32(tail + kTailMasterBands - shift + 28, 0.707f);
        const std::array<int, 8> order{0, 4, 1, 5, 2, 6, 3, 7};
        for (std::size_t k = 0; k < 8; ++k)
            block.f32(tail + kTailReserved - shift + 4 * k, 10.0f + static_cast<float>(order[k]));
    }
}

void expectEveryFormTrack(const VornDrums& d, const FormRow& f, int t) {
    const TrackPatterns& planes = test::stateOf(d).patterns[t];
    EXPECT_EQ(planes.stepVelocity[3][5], 100.0f);
    EXPECT_EQ(planes.stepHold[3][5], f.velocityOnly ? 1.0f : 3.0f);
    EXPECT_EQ(planes.stepRoll[3][5], f.velocityOnly ? 0.0f : 2.0f);
    EXPECT_EQ(planes.stepHold[0][0], 1.0f);
    if (f.random) {
        EXPECT_EQ(planes.randomMinDensity[4], 2.0f);
        EXPECT_EQ(planes.randomMaxDensity[4], 5.0f);
        EXPECT_EQ(planes.randomMaxRoll[4], 1.0f);
        EXPECT_EQ(planes.randomMinDensity[6], -1.0f);
        EXPECT_EQ(planes.randomMaxDensity[6], -1.0f);
        EXPECT_EQ(planes.randomMaxRoll[6], 3.0f);
    } else {
        EXPECT_EQ(planes.randomMinDensity[4], -1.0f);
        EXPECT_EQ(planes.randomMaxDensity[4], -1.0f);
        EXPECT_EQ(planes.randomMaxRoll[4], 0.0f);
    }
    const auto& scale = test::stateOf(d).tracks.scaleNotes[t];
    EXPECT_EQ(scale[1], f.scaleNotes ? 0 : 1);
    EXPECT_EQ(scale[11], f.scaleNotes ? 0 : 1);
    EXPECT_EQ(scale[2], 1);

    EXPECT_EQ(test::stateOf(d).tracks.level[t], 0.5f);
    EXPECT_EQ(test::stateOf(d).tracks.pan[t], 0.25f);
    EXPECT_EQ(test::stateOf(d).tracks.tune[t], f.tuneConverted ? 6.0f : 0.75f);
    EXPECT_EQ(test::stateOf(d).tracks.tuneVelocity[t], f.tuneConverted ? 6.0f : 0.5f);
    EXPECT_EQ(test::stateOf(d).tracks.start[t], 0.125f);
    EXPECT_EQ(test::stateOf(d).tracks.end[t], 0.875f);
    EXPECT_EQ(test::stateOf(d).tracks.mute[t], 1.0f);
    EXPECT_EQ(test::stateOf(d).tracks.randomMinDensity[t], f.settingsRead == 14 ? -1.0f : 2.0f);
    EXPECT_EQ(test::stateOf(d).tracks.randomMaxDensity[t], f.settingsRead == 14 ? -1.0f : 6.0f);
    EXPECT_EQ(test::stateOf(d).tracks.choke[t], f.settingsRead == 14 ? 0.0f : 1.0f);
    EXPECT_EQ(test::stateOf(d).tracks.randomMaxRoll[t], f.settingsRead == 14 ? 0.0f : 3.0f);
    const bool all = f.settingsRead == 32;
    EXPECT_EQ(test::stateOf(d).tracks.tuneScale[t], all ? 1.0f : 0.0f);
    EXPECT_EQ(test::stateOf(d).tracks.synthRoute[t], 0.0f);  // read, yet never restored
    EXPECT_EQ(test::stateOf(d).tracks.eqOnSample[t], all ? 1.0f : 0.0f);
    EXPECT_EQ(test::stateOf(d).tracks.eqFreq[t][0], all ? 0.3f : 0.2407676f);
    EXPECT_EQ(test::stateOf(d).tracks.eqFreq[t][2], all ? 0.65f : 0.6889311f);
    EXPECT_EQ(test::stateOf(d).tracks.eqQ[t][1], all ? 0.9f : 0.707f);
    EXPECT_EQ(test::stateOf(d).tracks.eqGain[t][2], all ? -0.5f : 0.0f);
    EXPECT_EQ(test::stateOf(d).tracks.synthMix[t], all ? 0.25f : 0.5f);
    EXPECT_EQ(test::stateOf(d).tracks.eqOnSynth[t], all ? 1.0f : 0.0f);
    EXPECT_EQ(test::stateOf(d).tracks.phaseInvert[t], all ? 1.0f : 0.0f);
    EXPECT_EQ(soundPathOf(d, t), "");  // the named sound does not exist
}

void expectEveryFormTail(const VornDrums& d, const FormRow& f) {
    const InstrumentState& s = test::stateOf(d);
    EXPECT_EQ(s.patternSteps[3], 24);
    EXPECT_EQ(s.patternSteps[4], 16);
    EXPECT_EQ(s.chainEnabled[3], 1);
    EXPECT_EQ(s.chainEnabled[7], 1);
    EXPECT_EQ(s.currentPattern, 3);
    EXPECT_EQ(s.playMode, 0);
    EXPECT_EQ(s.swing, 40);
    if (f.tail == 0) {
        EXPECT_EQ(s.tempo, 120);
        EXPECT_EQ(s.playing, 1);
        EXPECT_EQ(s.randomAuto, 0);
        EXPECT_EQ(s.randomPerPattern, 0);
        EXPECT_EQ(s.randomGraphVisible, 0);
        EXPECT_EQ(s.effectEnabled[0], 0);
        EXPECT_EQ(s.masterEqOn, 0.0f);
        EXPECT_EQ(s.masterEqGain[1], 0.0f);
        EXPECT_EQ(s.masterEqFreq[2], 0.6889311f);
        EXPECT_EQ(s.patternSetReserved[2], 0.0f);
        EXPECT_EQ(s.fillAttenuation, 77);
        EXPECT_EQ(s.settings.patternTriggerMidiKey, 40);
    } else {
        EXPECT_EQ(s.tempo, 133);
        EXPECT_EQ(s.playing, 0);
        EXPECT_EQ(s.randomAuto, 0);
        EXPECT_EQ(s.randomPerPattern, 1);
        EXPECT_EQ(s.randomGraphVisible, 1);
        EXPECT_EQ(s.effectEnabled[0], 0);
        EXPECT_EQ(s.effectEnabled[2], 1);
        EXPECT_EQ(s.masterEqOn, 1.0f);
        EXPECT_EQ(s.masterEqGain[1], 0.25f);
        for (std::size_t i = 0; i < 8; ++i)
            EXPECT_EQ(s.patternSetReserved[i], 10.0f + static_cast<float>(i)) << i;
        EXPECT_EQ(s.fillAttenuation, 100);
        EXPECT_EQ(s.settings.muteMidiKey, 1);
        EXPECT_EQ(s.settings.patternTriggerMidiKey, 60);
    }
}

TEST_P(EveryForm, LoadsWithTheConversionsOfItsFormAndDefaultsForWhatItLacks) {
    const FormRow& f = formTable()[static_cast<std::size_t>(GetParam())];
    TempFolder library;
    auto drums = makeDrums(8, library.path());
    VornDrums& d = *drums;
    // Values an old block must reset or leave alone.
    test::stateOf(d).tempo = 99;
    test::stateOf(d).playing = 0;
    test::stateOf(d).randomAuto = 1;
    test::stateOf(d).randomGraphVisible = 1;
    test::stateOf(d).effectEnabled[0] = 1;
    test::stateOf(d).masterEqOn = 1.0f;
    test::stateOf(d).masterEqGain[1] = 0.9f;
    test::stateOf(d).patternSetReserved[2] = 5.0f;
    test::stateOf(d).fillAttenuation = 77;
    test::stateOf(d).settings.patternTriggerMidiKey = 40;
    test::stateOf(d).tracks.synthRoute[2] = 1.0f;

    Block block = emptyBlock(f);
    const int t = 2;
    writeEveryFormTrack(block, f, t);
    writeEveryFormTail(block, f);
    if (f.header == 0) {
        ASSERT_EQ(block.bytes.size(), 10828u);
    }
    ASSERT_EQ(give(d, block.bytes), 1) << f.name;
    expectEveryFormTrack(d, f, t);
    expectEveryFormTail(d, f);
}

INSTANTIATE_TEST_SUITE_P(ProgramChunk, EveryForm, ::testing::Range(0, 7),
                         [](const ::testing::TestParamInfo<int>& info) {
                             return std::string(formTable()[static_cast<std::size_t>(info.param)].name);
                         });

TEST(OlderForms, ANumberedFormAbove1480IsRefusedAndChangesNothing) {
    TempFolder library;
    auto drums = makeDrums(8, library.path());
    FormRow future = formTable()[6];
    future.version = 1481;
    Block block = emptyBlock(future);
    block.s8(stepAt(future, 0, 0), 100);
    const std::vector<std::uint8_t> before = chunkOf(*drums);
    EXPECT_EQ(give(*drums, block.bytes), 0);
    EXPECT_EQ(chunkOf(*drums), before);
    future.version = 1480;
    Block accepted = emptyBlock(future);
    EXPECT_EQ(give(*drums, accepted.bytes), 1);
}

TEST(OlderForms, AnEightTrackBlockReadWithTwelveTracksLeavesTracksEightToElevenEmpty) {
    TempFolder library;
    auto drums = makeDrums(12, library.path());
    for (int t = 0; t < 12; ++t) {
        TrackPatterns& planes = test::stateOf(*drums).patterns[static_cast<std::size_t>(t)];
        planes.stepVelocity[2][7] = 90.0f;
        planes.stepHold[2][7] = 4.0f;
        planes.stepRoll[2][7] = 2.0f;
        planes.randomMinDensity[2] = 1.0f;
        planes.randomMaxDensity[2] = 3.0f;
        planes.randomMaxRoll[2] = 2.0f;
        test::stateOf(*drums).tracks.randomMinDensity[static_cast<std::size_t>(t)] = 2.0f;
        test::stateOf(*drums).tracks.randomMaxDensity[static_cast<std::size_t>(t)] = 5.0f;
        test::stateOf(*drums).tracks.randomMaxRoll[static_cast<std::size_t>(t)] = 1.0f;
        test::stateOf(*drums).tracks.choke[static_cast<std::size_t>(t)] = 1.0f;
        test::stateOf(*drums).tracks.synthRoute[static_cast<std::size_t>(t)] = 1.0f;
    }
    const FormRow& f = formTable()[5];  // 1300..1450, eight tracks
    Block block = emptyBlock(f);
    block.s8(stepAt(f, 7, 7) + 2, 50);
    ASSERT_EQ(give(*drums, block.bytes), 1);

    EXPECT_EQ(test::stateOf(*drums).patterns[7].stepVelocity[2][7], 50.0f);
    for (int t = 8; t < 12; ++t) {
        const auto i = static_cast<std::size_t>(t);
        const TrackPatterns& planes = test::stateOf(*drums).patterns[i];
        EXPECT_EQ(planes.stepVelocity[2][7], 0.0f) << t;
        EXPECT_EQ(planes.stepHold[2][7], 1.0f) << t;
        EXPECT_EQ(planes.stepRoll[2][7], 0.0f) << t;
        EXPECT_EQ(planes.randomMinDensity[2], -1.0f) << t;
        EXPECT_EQ(planes.randomMaxDensity[2], -1.0f) << t;
        EXPECT_EQ(planes.randomMaxRoll[2], 0.0f) << t;
        EXPECT_EQ(test::stateOf(*drums).tracks.randomMinDensity[i], -1.0f) << t;
        EXPECT_EQ(test::stateOf(*drums).tracks.randomMaxDensity[i], -1.0f) << t;
        EXPECT_EQ(test::stateOf(*drums).tracks.randomMaxRoll[i], 0.0f) << t;
        EXPECT_EQ(test::stateOf(*drums).tracks.choke[i], 0.0f) << t;
        EXPECT_EQ(test::stateOf(*drums).tracks.synthRoute[i], 0.0f) << t;  // routing is never kept by a load
    }
    // Its next block has twelve tracks again.
    EXPECT_EQ(i32At(chunkOf(*drums), 12), 12);
}

TEST(OlderForms, AVersionWhoseSwappedCopyDisagreesIsReadAsAPlainBlock) {
    TempFolder library;
    auto drums = makeDrums(8, library.path());
    const FormRow& plain = formTable()[1];
    Block block = emptyBlock(plain);
    // Bytes 4..11 are the first track's path here, and they look like no version.
    block.text(trackAt(plain, 0), "\\abcdef.wav");
    block.s8(stepAt(plain, 0, 9) + 1, 64);
    ASSERT_EQ(give(*drums, block.bytes), 1);
    EXPECT_EQ(test::stateOf(*drums).patterns[0].stepVelocity[1][9], 64.0f);
}

// --- export mode ---------------------------------------------------------------------------------

TEST(ExportMode, ABlockOf256BytesSetsOnlyTheFolderAndTheNextBlockWritesEachTracksSound) {
    TempFolder root;
    const std::string library = root / "lib";
    std::filesystem::create_directories(library);
    std::filesystem::create_directories(root / "out");
    const std::vector<std::int16_t> kick = testSound(1000, 5);
    writeWave(test::below(library, "kick.wav"), kick);
    writeWave(test::below(library, "Snare.WAV"), testSound(400, 6));
    auto drums = makeDrums(8, library);
    setSoundPath(*drums, 0, test::below(library, "kick.wav"));
    setSoundPath(*drums, 2, test::below(library, "Snare.WAV"));
    drums->setValue(0 * 20 + 12, 0.25f);  // start
    drums->setValue(0 * 20 + 13, 0.75f);  // end
    const std::vector<std::uint8_t> before = chunkOf(*drums);

    Block folder(256);
    folder.text(0, root.path() + "/out/");
    ASSERT_EQ(give(*drums, folder.bytes), 1);
    EXPECT_EQ(drums->sampleExportFolder, root / "out");
    EXPECT_EQ(soundPathOf(*drums, 0), test::below(library, "kick.wav"));

    const std::vector<std::uint8_t> exported = chunkOf(*drums);
    EXPECT_EQ(textAt(exported, kHeader + kPath, 256), "\\kick.wav");
    EXPECT_EQ(textAt(exported, kHeader + kTrack + kPath, 256), "");
    EXPECT_EQ(textAt(exported, kHeader + 2 * kTrack + kPath, 256), "\\Snare.WAV");
    for (std::size_t at = 0; at < before.size(); ++at) {
        const std::size_t inTrack = (at - kHeader) % kTrack;
        const bool pathField = at >= kHeader && at < kHeader + 8 * kTrack && inTrack < 256;
        if (!pathField) {
            ASSERT_EQ(exported[at], before[at]) << at;
        }
    }
    const std::vector<std::string> written{"Snare.wav", "kick.wav"};
    std::vector<std::string> found;
    for (const auto& entry : std::filesystem::directory_iterator(root / "out"))
        found.push_back(entry.path().filename().string());
    std::sort(found.begin(), found.end());
    EXPECT_EQ(found, written);
    // The kick's file holds the part of the sound between its start and end.
    const std::vector<std::uint8_t> wave = files::fixtures::readBytes(root.path() + "/out/kick.wav");
    ASSERT_EQ(wave.size(), 46u + 2 * 500);
    EXPECT_EQ(le32At(wave, 24), 44100u);
    for (std::size_t i = 0; i < 500; ++i)
        ASSERT_EQ(static_cast<std::int16_t>(wave[46 + 2 * i] | wave[47 + 2 * i] << 8), kick[250 + i]) << i;

    EXPECT_TRUE(drums->sampleExportFolder.empty());
    std::filesystem::remove_all(root / "out");
    std::filesystem::create_directories(root / "out");
    EXPECT_EQ(chunkOf(*drums), before);
    EXPECT_TRUE(std::filesystem::is_empty(root / "out"));
}

TEST(ExportMode, AFolderThatIsMissingOrRelativeGetsNoFilesAndTheNextBlockIsAsUsual) {
    TempFolder root;
    writeWave(test::below(root.path(), "kick.wav"), testSound(1000, 5));
    auto drums = makeDrums(8, root.path());
    setSoundPath(*drums, 0, test::below(root.path(), "kick.wav"));
    const std::vector<std::uint8_t> before = chunkOf(*drums);
    std::filesystem::create_directories(root / "relative");
    const std::filesystem::path startedIn = std::filesystem::current_path();
    std::filesystem::current_path(root.path());
    for (const std::string& named : {root / "missing", std::string("relative")}) {
        SCOPED_TRACE(named);
        Block folder(256);
        folder.text(0, named);
        ASSERT_EQ(give(*drums, folder.bytes), 1);
        EXPECT_EQ(chunkOf(*drums), before);
        EXPECT_TRUE(drums->sampleExportFolder.empty());
    }
    std::filesystem::current_path(startedIn);
    EXPECT_FALSE(std::filesystem::exists(root / "missing"));
    EXPECT_TRUE(std::filesystem::is_empty(root / "relative"));
}

// --- effect state blocks -------------------------------------------------------------------------

TEST(EffectState, APluginLoadedFromTheNamedLibraryGetsEveryProgramBack) {
    TempFolder library;
    auto source = makeDrums(8, library.path(), "/effects/");
    FakeEffect saved("/effects/Hall.so", {{"Hall", {0.25f, 0.5f}}, {"Plate", {0.75f, 1.0f}}, {"Room", {0.0f, 0.125f}}});
    saved.current = 2;
    FakeEffect savedSynth("", {{"Kit A", {0.5f}}, {"Kit B", {0.25f}}});
    savedSynth.current = 1;
    source->placePlugin(1, &saved);
    source->placePlugin(VornDrums::kSynthSlot, &savedSynth);
    const std::vector<std::uint8_t> b = chunkOf(*source);
    test::takeBackLentPlugins(*source);

    auto target = makeDrums(8, library.path(), "/effects/");
    FakeEffect loaded("/effects/Hall.so", {{"", {0.0f, 0.0f}}, {"", {0.0f, 0.0f}}, {"", {0.0f, 0.0f}}});
    FakeEffect synth("", {{"", {0.0f}}, {"", {0.0f}}});
    target->placePlugin(1, &loaded);
    target->placePlugin(VornDrums::kSynthSlot, &synth);
    ASSERT_EQ(give(*target, b), 1);
    ASSERT_EQ(test::stateOf(*target).effectIn(1), &loaded);
    EXPECT_EQ(loaded.programs[1].name, "Plate");
    EXPECT_EQ(loaded.programs[1].values, (std::vector<float>{0.75f, 1.0f}));
    EXPECT_EQ(loaded.programs[2].values, (std::vector<float>{0.0f, 0.125f}));
    EXPECT_EQ(loaded.current, 2);
    EXPECT_EQ(synth.programs[0].name, "Kit A");
    EXPECT_EQ(synth.programs[1].values, (std::vector<float>{0.25f}));
    EXPECT_EQ(synth.current, 1);
    test::takeBackLentPlugins(*target);
}

TEST(EffectState, ABankChunkIsGivenBackWhole) {
    TempFolder library;
    auto source = makeDrums(8, library.path(), "/effects/");
    FakeEffect saved("/effects/Bank.so", {{"a", {}}, {"b", {}}}, true);
    saved.bank = {9, 8, 7, 6, 5, 4, 3};
    saved.current = 1;
    source->placePlugin(3, &saved);
    const std::vector<std::uint8_t> b = chunkOf(*source);
    test::takeBackLentPlugins(*source);

    auto target = makeDrums(8, library.path(), "/effects/");
    FakeEffect loaded("/effects/Bank.so", {{"", {}}, {"", {}}}, true);
    target->placePlugin(3, &loaded);
    ASSERT_EQ(give(*target, b), 1);
    EXPECT_EQ(loaded.bank, saved.bank);
    EXPECT_EQ(loaded.current, 1);
    test::takeBackLentPlugins(*target);
}

TEST(EffectState, SlotsThatNeedALibraryLoadedOrThatTheBlockLeavesEmptyComeOutEmpty) {
    TempFolder library;
    auto source = makeDrums(8, library.path(), "/effects/");
    FakeEffect saved("/effects/Hall.so", {{"Hall", {0.5f}}});
    source->placePlugin(0, &saved);
    const std::vector<std::uint8_t> b = chunkOf(*source);
    test::takeBackLentPlugins(*source);

    auto target = makeDrums(8, library.path(), "/effects/");
    FakeEffect other("/effects/Other.so", {{"", {0.0f}}});
    FakeEffect unnamed("/effects/Spare.so", {{"", {0.0f}}});
    target->placePlugin(0, &other);
    target->placePlugin(2, &unnamed);
    ASSERT_EQ(give(*target, b), 1);
    EXPECT_EQ(test::stateOf(*target).effectIn(0), nullptr);  // no effect library can be loaded yet
    EXPECT_EQ(test::stateOf(*target).effectIn(2), nullptr);
    EXPECT_EQ(other.programs[0].values[0], 0.0f);
}

TEST(EffectState, AStoredEffectPathInABlockIsLookedForInTheEffectFolderWithThisSystemsExtension) {
    // Through a block: the plug-in in the slot came from the same library, so it stays.
    TempFolder library;
    const FormRow& f = formTable()[6];
    Block block = emptyBlock(f);
    const std::size_t tail = tailAt(f, 8);
    block.i32(tail + kTailEffectEntries, 36);
    block.i32(tail + kTailEffectEntries + 4, 0);
    block.text(tail + kTailEffectPaths, "Verb.vst");
    Block state(36);
    state.text(0, "Wide");
    state.be32(32, bitsOf(0.5f));
    block.append(state.bytes);
    fixSize(block);
    auto drums = makeDrums(8, library.path(), "/effects/");
    FakeEffect verb(std::string("/effects/Verb.") + platform::libraryExtension(), {{"", {0.0f}}});
    drums->placePlugin(0, &verb);
    ASSERT_EQ(give(*drums, block.bytes), 1);
    EXPECT_EQ(test::stateOf(*drums).effectIn(0), &verb);
    EXPECT_EQ(verb.programs[0].name, "Wide");
    EXPECT_EQ(verb.programs[0].values[0], 0.5f);
    test::takeBackLentPlugins(*drums);
}

// --- refusals ------------------------------------------------------------------------------------

TEST(Refusals, ABlockWithASettingThatIsNotANumberChangesNothing) {
    TempFolder library;
    auto drums = makeDrums(8, library.path());
    const FormRow& f = formTable()[6];
    Block block = emptyBlock(f);
    block.s8(stepAt(f, 0, 0), 99);
    block.f32(settingsAt(f, 5) + 4 * kPan, std::nanf(""));
    const std::vector<std::uint8_t> before = chunkOf(*drums);
    EXPECT_EQ(give(*drums, block.bytes), 0);
    EXPECT_EQ(chunkOf(*drums), before);
    block.f32(settingsAt(f, 5) + 4 * kPan, 0.5f);
    EXPECT_EQ(give(*drums, block.bytes), 1);
}

TEST(Refusals, ARefusedBlockLoadsNoSound) {
    TempFolder library;
    writeWave(library.path() + "/kick.wav", testSound(100, 7));
    auto drums = makeDrums(8, library.path());
    const FormRow& f = formTable()[6];
    Block block = emptyBlock(f);
    block.text(trackAt(f, 0), "\\kick.wav");
    Block cut = block;
    cut.bytes.resize(cut.bytes.size() - 1);
    fixSize(cut);
    EXPECT_EQ(give(*drums, cut.bytes), 0);
    EXPECT_TRUE(test::stateOf(*drums).soundList.empty());
    EXPECT_EQ(give(*drums, block.bytes), 1);
    EXPECT_EQ(test::stateOf(*drums).soundList.size(), 1u);
}

TEST(Refusals, ValuesThatWouldIndexPastThePlanesAreHeldToTheirRanges) {
    TempFolder library;
    auto drums = makeDrums(8, library.path());
    const FormRow& f = formTable()[6];
    Block block = emptyBlock(f);
    const std::size_t tail = tailAt(f, 8);
    block.i32(tail + kTailSteps, 1000);
    block.i32(tail + kTailSteps + 4, -3);
    block.i32(tail + kTailCurrentPattern, 99);
    block.i32(tail + kTailPlayMode, -7);
    block.i32(tail + kTailTriggerKey, -2147483647);
    ASSERT_EQ(give(*drums, block.bytes), 1);
    EXPECT_EQ(test::stateOf(*drums).patternSteps[0], 64);
    EXPECT_EQ(test::stateOf(*drums).patternSteps[1], 1);
    EXPECT_EQ(test::stateOf(*drums).currentPattern, 15);
    EXPECT_EQ(test::stateOf(*drums).playMode, 0);
    EXPECT_EQ(test::stateOf(*drums).settings.patternTriggerMidiKey, -1);
}

}  // namespace
}  // namespace rimba::chunk_test
