// The fuzzers' seed files (fuzz/corpus/<target>/): small files of every historic form, made by
// the tests' own layout builders. Each seed must still be read as the form it stands for, and the
// committed files must be what the builders make. After a deliberate change of a builder:
//   RIMBA_WRITE_FUZZ_CORPUS=1 build/tests/files_tests --gtest_filter='FuzzCorpus.*'
// writes them again.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "plugin/files/KitFile.h"
#include "plugin/files/PatternFile.h"
#include "plugin/files/ProgramChunk.h"
#include "plugin/files/ProgramFile.h"
#include "plugin/files/SoundReader.h"
#include "plugin/effects/EffectImages.h"
#include "plugin/synth/SynthPreset.h"
#include "tests/plugin/effects/FakeEffect.h"
#include "tests/plugin/files/KitFixture.h"
#include "tests/plugin/files/PatternFixtures.h"
#include "tests/plugin/synth/SynthPresetLayout.h"

namespace rimba::chunk_test {
namespace {

using files::fixtures::ByteBuilder;
using test::patterns::line;
using test::patterns::repeated;

struct Seed {
    std::string target;  // the fuzzer's name without "_fuzz"
    std::string name;
    std::vector<std::uint8_t> bytes;
    // What the seed must be read as; empty text when it is read as something else than it is.
    std::function<std::string(const std::vector<std::uint8_t>&)> readAs;
    std::string expected;
};

// --- program chunks ------------------------------------------------------------------------------

// A block of the form with one sound, one hit, a swing and (for the current form) one effect
// slot with its state, so the fuzzer starts inside every part of the layout.
std::vector<std::uint8_t> formSeed(const FormRow& f) {
    const int tracks = f.header == 64 ? 2 : 8;
    Block block = emptyBlock(f, tracks);
    block.text(trackAt(f, 0), "\\Samples\\kick.wav");
    block.s8(stepAt(f, 0, 4), 100);
    block.i32(tailAt(f, tracks) + kTailSwing, 20);
    if (f.header == 64) {
        const std::size_t tail = tailAt(f, tracks);
        block.i32(tail + kTailEffectEntries, 8);
        block.text(tail + kTailEffectPaths, "Hall.vst");
        block.append({0, 0, 0, 1, 0x3F, 0x80, 0, 0});
        fixSize(block);
    }
    return block.bytes;
}

std::string chunkForm(const std::vector<std::uint8_t>& bytes) {
    const rimba::Result<ProgramChunk> program = readProgramChunk(bytes);
    return program ? chunkFormName(program->form) : "";
}

void addChunkSeeds(std::vector<Seed>& seeds) {
    for (const FormRow& f : formTable()) {
        const std::vector<std::uint8_t> block = formSeed(f);
        const std::string form = chunkForm(block);
        seeds.push_back({"program_chunk", std::string(f.name) + ".bin", block, chunkForm, form});
        EXPECT_FALSE(form.empty()) << f.name;
    }
    // The instrument-level target reads its first byte as a mode: 0 takes the rest as it is.
    for (const int form : {0, 6}) {
        std::vector<std::uint8_t> input{0};
        const std::vector<std::uint8_t> block = formSeed(formTable()[static_cast<std::size_t>(form)]);
        input.insert(input.end(), block.begin(), block.end());
        seeds.push_back({"program_apply", std::string(formTable()[static_cast<std::size_t>(form)].name) + ".bin", input,
                         nullptr, ""});
    }
}

// --- program files -------------------------------------------------------------------------------

std::string programFileForm(const std::vector<std::uint8_t>& file) {
    const ProgramFileBlock found = findProgramFileBlock(file);
    if (!found.compatible || !found.block)
        return "";
    const rimba::Result<ProgramChunk> program = readProgramChunk(*found.block);
    return program ? chunkFormName(program->form) : "";
}

void addProgramFileSeeds(std::vector<Seed>& seeds) {
    const std::vector<std::uint8_t> block = formSeed(formTable()[6]);
    const std::string form = chunkForm(block);
    seeds.push_back({"program_file", "usual.fxp", fxpAround(block), programFileForm, form});
    seeds.push_back({"program_file", "reversed-magic.fxp", fxpAround(block, "KncC"), programFileForm, form});
    Block late(160);
    late.text(0, "CcnK");
    late.text(8, "FPCh");
    late.be32(12, 1);
    late.be32(156, static_cast<std::uint32_t>(block.size()));
    late.append(block);
    seeds.push_back({"program_file", "size-at-156.fxp", late.bytes, programFileForm, form});
}

// --- kits ----------------------------------------------------------------------------------------

std::string kitForm(const std::vector<std::uint8_t>& bytes) {
    const rimba::Result<KitFile> kit = readKitFile(bytes);
    return kit ? kitFormName(kit->form) : "";
}

void addKitSeeds(std::vector<Seed>& seeds) {
    const std::vector<std::uint8_t> synth{0x11, 0x12, 0x13, 0x14, 0x15, 0x16, 0x17, 0x18, 0x19, 0x1A, 0x1B, 0x1C};
    const std::array<std::int32_t, 12> scale{1, 0, 1, 0, 1, 1, 0, 1, 0, 1, 0, 1};
    seeds.push_back({"kit_file", "oldest.drs", oldestKit(0.75f).bytes, kitForm, "oldest"});
    seeds.push_back({"kit_file", "short.drs", shortKit(-2.0f, scale).bytes, kitForm, "short"});
    seeds.push_back({"kit_file", "plain.drs", plainKit(synth).bytes, kitForm, "plain"});
    seeds.push_back({"kit_file", "current.drs", currentKit(3, synth).bytes, kitForm, "current"});
}

// --- pattern files -------------------------------------------------------------------------------

std::vector<std::uint8_t> bytesOf(const std::string& text) { return {text.begin(), text.end()}; }

// "<header lines> <pattern lines>" as the reader takes them from a set file of 12 tracks.
std::string patternSetShape(const std::vector<std::uint8_t>& bytes) {
    int headers = 0;
    int patterns = 0;
    for (const PatternSetLine& setLine : readPatternSet(bytes, kDefaultTrackCount))
        (std::holds_alternative<PatternHeader>(setLine) ? headers : patterns) += 1;
    return std::to_string(headers) + " header " + std::to_string(patterns) + " patterns";
}

std::string singlePatternShape(const std::vector<std::uint8_t>& bytes) {
    return std::to_string(readSinglePattern(bytes, kDefaultTrackCount).size()) + " patterns";
}

void addPatternSeeds(std::vector<Seed>& seeds) {
    const std::string fullHeader =
        line({"STEPNUMBER_MODE", "64", "2", "12.0000", "1.0000", "0.0000", "0.0000", "0.2500", "0.0000", "0.0000",
              "0.0000", "0.0000", "0.0000", "0.0000", "0.0000", "80.0000"});
    const std::string oldest =
        line({"PATTERN_NOTES", "0", "16", "1", "0", "36", "1.0", "100", "4", "38", "2.5", "80"}) +
        line({"PATTERN_NOTES", "3", "24", "0", "8", "37", "1.0", "60"});
    seeds.push_back({"pattern_file", "oldest.ptn", bytesOf(oldest), patternSetShape, "0 header 2 patterns"});
    const std::string sevenFieldHeader =
        line({"STEPNUMBER_MODE", "64", "3", "25.0000", "1.0000", "1.0000", "1.0000"}) + oldest;
    seeds.push_back(
        {"pattern_file", "header-of-seven.ptn", bytesOf(sevenFieldHeader), patternSetShape, "1 header 2 patterns"});
    const std::string channel = fullHeader + "PATTERN_NOTES_CHANNEL;12;2;32;1;" + repeated("1;3;2;", 12) +
                                "0.0000;36;1.0000;100;0.0000;17.0000;47;2.0000;90;3.0000;\r\n" +
                                line({"PATTERNS", "END"}) +
                                line({"PATTERN_NOTES", "5", "16", "0", "1", "36", "1.0", "9"});
    seeds.push_back({"pattern_file", "channel.ptn", bytesOf(channel), patternSetShape, "1 header 1 patterns"});
    const std::string eightTrack =
        fullHeader + "PATTERN_NOTES_EX;4;48;1;" + repeated("-1;-1;0;", 8) + "2.0000;39;1.0000;70;1.0000;\r\n";
    seeds.push_back({"pattern_file", "eight-track.ptn", bytesOf(eightTrack), patternSetShape, "1 header 1 patterns"});
    const std::string single =
        "PATTERN_NOTES_CHANNEL;12;5;24;1;" + repeated("2;3;1;", 12) + "4.0000;38;1.5000;88;1.0000;\r\n";
    seeds.push_back({"pattern_file", "single.pat", bytesOf(single), singlePatternShape, "1 patterns"});
}

// --- sounds --------------------------------------------------------------------------------------

std::string waveShape(const std::vector<std::uint8_t>& bytes) {
    Sound sound;
    return readWaveSound(sound, bytes.data(), bytes.size()) == 1 ? std::to_string(sound.frameCount) + " frames" : "";
}

std::string aiffShape(const std::vector<std::uint8_t>& bytes) {
    Sound sound;
    return readAiffSound(sound, bytes.data(), bytes.size()) == 1 ? std::to_string(sound.frameCount) + " frames" : "";
}

std::vector<std::uint8_t> rampBytes(std::size_t count) {
    std::vector<std::uint8_t> bytes(count);
    for (std::size_t i = 0; i < count; ++i)
        bytes[i] = static_cast<std::uint8_t>(i * 37 + 11);
    return bytes;
}

void addSoundSeeds(std::vector<Seed>& seeds) {
    using files::fixtures::AiffLayout;
    using files::fixtures::WaveLayout;
    const auto wave = [&seeds](const std::string& name, const std::vector<std::uint8_t>& bytes, const char* frames) {
        seeds.push_back({"wave_reader", name, bytes, waveShape, frames});
    };
    wave("pcm16-mono.wav", files::fixtures::waveFile(WaveLayout{1, 1, 44100, 2, 16}, rampBytes(64)), "32 frames");
    wave("pcm8-stereo.wav", files::fixtures::waveFile(WaveLayout{1, 2, 22050, 2, 8}, rampBytes(64)), "32 frames");
    wave("pcm24-mono.wav", files::fixtures::waveFile(WaveLayout{1, 1, 48000, 3, 24}, rampBytes(63)), "21 frames");
    wave("float32-stereo.wav", files::fixtures::waveFile(WaveLayout{3, 2, 44100, 8, 32}, rampBytes(64)), "8 frames");
    wave("extensible-pcm32.wav", files::fixtures::extensibleWaveFile(WaveLayout{0, 2, 96000, 8, 32}, 1, rampBytes(64)),
         "8 frames");
    const auto aiff = [&seeds](const std::string& name, const std::vector<std::uint8_t>& bytes, const char* frames) {
        seeds.push_back({"aiff_reader", name, bytes, aiffShape, frames});
    };
    aiff("pcm16-mono.aiff", files::fixtures::aiffFile(AiffLayout{1, 16, 44100, 0}, rampBytes(64)), "32 frames");
    aiff("pcm24-stereo.aiff", files::fixtures::aiffFile(AiffLayout{2, 24, 48000, 0}, rampBytes(60)), "10 frames");
    aiff("pcm8-mono.aiff", files::fixtures::aiffFile(AiffLayout{1, 8, 11025, 0}, rampBytes(40)), "40 frames");
}

// --- effect images and synth presets -------------------------------------------------------------

// The plug-in of the effect image fuzzer: 3 programs of 4 parameters, ID "Fuzz".
constexpr VstInt32 kFuzzEffectId = fourCharCode('F', 'u', 'z', 'z');

// Which of the fuzzer's plug-ins (regular programs, program chunks) take the image, as what.
std::string effectImageUse(const std::vector<std::uint8_t>& image) {
    std::string use;
    for (const bool chunks : {false, true}) {
        test::FakeEffect bankTaker(3, 4, chunks, 0.0f, kFuzzEffectId);
        test::FakeEffect presetTaker(3, 4, chunks, 0.0f, kFuzzEffectId);
        const char* plugin = chunks ? "chunks" : "regular";
        if (applyBankImage(bankTaker.effect, image))
            use += std::string(use.empty() ? "" : ", ") + "bank for " + plugin;
        if (applyPresetImage(presetTaker.effect, image))
            use += std::string(use.empty() ? "" : ", ") + "preset for " + plugin;
    }
    return use;
}

void addEffectImageSeeds(std::vector<Seed>& seeds) {
    using test::LayoutProgram;
    const std::vector<LayoutProgram> programs{
        {"Room", {0.1f, 0.2f, 0.3f, 0.4f}}, {"Hall", {0.5f, 0.6f, 0.7f, 0.8f}}, {"Plate", {0.9f, 1.0f, 0.0f, 0.25f}}};
    const std::vector<std::uint8_t> chunk{'c', 'h', 'u', 'n', 'k', 1, 2, 3, 4, 5, 6, 7};
    seeds.push_back({"effect_image", "regular.fxb", test::regularBankLayout(programs, 4, kFuzzEffectId), effectImageUse,
                     "bank for regular, bank for chunks"});
    seeds.push_back({"effect_image", "chunk.fxb", test::chunkBankLayout(chunk, 3, kFuzzEffectId), effectImageUse,
                     "bank for chunks"});
    seeds.push_back({"effect_image", "regular.fxp", test::regularPresetLayout(programs[1], kFuzzEffectId),
                     effectImageUse, "preset for regular, preset for chunks"});
    seeds.push_back({"effect_image", "chunk.fxp", test::chunkPresetLayout(chunk, "Hall", 4, kFuzzEffectId),
                     effectImageUse, "preset for regular, preset for chunks"});
    seeds.push_back({"effect_image", "any-plugin.fxp",
                     test::regularPresetLayout(programs[2], fourCharCode('4', '5', '1', 't')), effectImageUse,
                     "preset for regular, preset for chunks"});
}

std::string synthPresetLayoutName(const std::vector<std::uint8_t>& file) {
    const rimba::Result<SynthPresetValues> preset = readSynthPreset(file);
    return preset ? (preset->olderLayout ? "older " : "current ") + preset->name : "";
}

void addSynthPresetSeeds(std::vector<Seed>& seeds) {
    using namespace test::synth_layout;
    std::vector<float> values;
    for (int i = 0; i < 130; ++i)
        values.push_back(0.01f * static_cast<float>(i));
    seeds.push_back(
        {"synth_preset", "current.fxp", currentLayout("Current", values), synthPresetLayoutName, "current Current"});
    seeds.push_back({"synth_preset", "reversed-magic.fxp", currentLayout("Reversed", values, "KncC"),
                     synthPresetLayoutName, "current Reversed"});
    seeds.push_back({"synth_preset", "older.fxp", olderLayout("Older"), synthPresetLayoutName, "older Older"});
}

std::vector<Seed> allSeeds() {
    std::vector<Seed> seeds;
    addChunkSeeds(seeds);
    addProgramFileSeeds(seeds);
    addKitSeeds(seeds);
    addPatternSeeds(seeds);
    addSoundSeeds(seeds);
    addEffectImageSeeds(seeds);
    addSynthPresetSeeds(seeds);
    return seeds;
}

std::string corpusPath(const Seed& seed) {
    return std::string(RIMBA_SOURCE_DIR) + "/fuzz/corpus/" + seed.target + "/" + seed.name;
}

TEST(FuzzCorpus, EverySeedIsReadAsTheFormItStandsFor) {
    for (const Seed& seed : allSeeds()) {
        if (seed.readAs) {
            EXPECT_EQ(seed.readAs(seed.bytes), seed.expected) << seed.target << "/" << seed.name;
        }
    }
}

TEST(FuzzCorpus, TheCommittedSeedsAreWhatTheLayoutBuildersMake) {
    const bool write = std::getenv("RIMBA_WRITE_FUZZ_CORPUS") != nullptr;
    for (const Seed& seed : allSeeds()) {
        const std::string path = corpusPath(seed);
        if (write) {
            std::filesystem::create_directories(std::filesystem::path(path).parent_path());
            files::fixtures::writeBytes(path, seed.bytes);
        }
        EXPECT_EQ(files::fixtures::readBytes(path), seed.bytes) << path;
    }
}

}  // namespace
}  // namespace rimba::chunk_test
