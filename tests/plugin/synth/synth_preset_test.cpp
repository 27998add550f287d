// Synth preset files: the 588-byte layout, both layouts read back, and what a file does to the
// drum synth's parameters, through a synth of the test's own.

#include <gtest/gtest.h>

#include <bit>
#include <filesystem>
#include <memory>
#include <stdexcept>

#include "plugin/core/VornDrums.h"
#include "plugin/synth/SynthPreset.h"
#include "tests/plugin/synth/SynthPresetLayout.h"
#include "tests/support/TempFolder.h"
#include "tests/support/InstrumentProbe.h"

namespace rimba::test {
namespace {

using namespace synth_layout;

// A drum synth that keeps its parameters and counts writes outside them.
class FakeSynth : public HostedPlugin {
public:
    explicit FakeSynth(int parameters) : values(static_cast<std::size_t>(parameters)) {
        for (std::size_t i = 0; i < values.size(); ++i)
            values[i] = 0.001f * static_cast<float>(i);
    }
    float* inputChannel(int) override { return nullptr; }
    float* outputChannel(int) override { return nullptr; }
    void processBlock(int) override {}
    void queueMidi(std::int32_t, std::uint8_t, std::uint8_t, std::uint8_t) override {}
    void deliverQueuedMidi() override {}
    void setSampleRate(float) override {}
    void setBlockSize(std::int32_t) override {}
    std::int32_t parameterCount() override { return static_cast<std::int32_t>(values.size()); }
    void setParameter(std::int32_t index, float value) override {
        if (index < 0 || static_cast<std::size_t>(index) >= values.size())
            ++strayCalls;
        else
            values[static_cast<std::size_t>(index)] = value;
    }
    float getParameter(std::int32_t index) override {
        if (index < 0 || static_cast<std::size_t>(index) >= values.size()) {
            ++strayCalls;
            return 0.0f;
        }
        return values[static_cast<std::size_t>(index)];
    }

    std::vector<float> values;
    int strayCalls = 0;
};

std::vector<float> ramp(std::size_t count, float from) {
    std::vector<float> values(count);
    for (std::size_t i = 0; i < count; ++i)
        values[i] = from + 0.5f * static_cast<float>(i);
    return values;
}

TEST(SynthPresets, TheSynthsParametersPerTrackAreItsCountOverSixteenAtMost130) {
    struct Row {
        int parameters;
        int perTrack;
    };
    for (const Row row :
         {Row{16 * 40, 40}, Row{16 * 40 + 15, 40}, Row{15, 0}, Row{0, 0}, Row{16 * 130, 130}, Row{16 * 200, 130}}) {
        FakeSynth synth(row.parameters);
        EXPECT_EQ(synthParametersPerTrack(synth), row.perTrack) << row.parameters;
    }
}

TEST(SynthPresets, AFileIsTheHeaderThenTheTwoVersionWordsThenTheValuesThenZeros) {
    const std::vector<float> values = ramp(40, 1.0f);
    const std::vector<std::uint8_t> file = synthPresetBytes("Kick Body", values);
    EXPECT_EQ(file, currentLayout("Kick Body", values));
    EXPECT_EQ(le32At(file, 60), 1400u);
    EXPECT_EQ(be32At(file, 64), 1400u);
    // A name too long for its field keeps its terminating zero.
    EXPECT_EQ(textAt(synthPresetBytes(std::string(40, 'x'), values), 28, 28), std::string(27, 'x'));
}

TEST(SynthPresets, AFileHoldsTheFirst130ValuesOfALongerListAndZerosAfterAShorterOne) {
    for (const std::size_t given : {0, 1, 129, 130, 131, 400}) {
        const std::vector<float> values = ramp(given, 1.0f);
        const std::vector<float> kept(values.begin(),
                                      values.begin() + static_cast<std::ptrdiff_t>(std::min<std::size_t>(given, 130)));
        EXPECT_EQ(synthPresetBytes("Edge", values), currentLayout("Edge", kept)) << given << " values";
    }
}

TEST(SynthPresets, AFileReadsBackWithItsNameAndValuesInEitherByteOrderOfItsMagic) {
    const std::vector<float> values = ramp(130, -2.0f);
    for (const char* magic : {"CcnK", "KncC"}) {
        const Result<SynthPresetValues> read = readSynthPreset(currentLayout("Snare Tone", values, magic));
        ASSERT_TRUE(read) << magic << ": " << read.reason();
        EXPECT_FALSE(read->olderLayout);
        EXPECT_EQ(read->name, "Snare Tone");
        EXPECT_EQ(read->values, values);
    }
}

TEST(SynthPresets, AChunkThatDoesNotBeginWithTwice1400IsTheOlderLayout) {
    for (const auto& [first, second] : {std::pair{1400u, 1401u}, std::pair{1399u, 1399u}, std::pair{0u, 0u}}) {
        std::vector<std::uint8_t> file = olderLayout("Old Hat", 588);
        putLe32(file, 60, first);
        putBe32(file, 64, second);
        const Result<SynthPresetValues> read = readSynthPreset(file);
        ASSERT_TRUE(read) << read.reason();
        EXPECT_TRUE(read->olderLayout);
        ASSERT_EQ(read->values.size(), 68u);
        EXPECT_EQ(read->values[0], std::bit_cast<float>(first));
        EXPECT_EQ(read->values[1], std::bit_cast<float>(le32At(file, 64)));
        EXPECT_EQ(read->values[67], 77.0f);
    }
}

TEST(SynthPresets, FilesThatAreNotSynthPresetsOrEndBeforeTheirValuesAreRefused) {
    struct Row {
        const char* what;
        std::vector<std::uint8_t> bytes;
    };
    auto with = [](std::vector<std::uint8_t> b, std::size_t at, const char* text) {
        putText(b, at, text);
        return b;
    };
    std::vector<std::uint8_t> version2 = currentLayout("V", {});
    putBe32(version2, 12, 2);
    std::vector<std::uint8_t> shortCurrent = currentLayout("Short", ramp(130, 0.0f));
    shortCurrent.resize(587);
    const std::vector<Row> rows{
        {"empty", {}},
        {"header only", presetHeader(60, "H")},
        {"header and one version word", presetHeader(67, "H")},
        {"current layout cut by one byte", shortCurrent},
        {"older layout cut by one byte", olderLayout("Old", 331)},
        {"another magic", with(currentLayout("M", {}), 0, "CcnX")},
        {"a regular program", with(currentLayout("M", {}), 8, "FxCk")},
        {"another plug-in", with(currentLayout("M", {}), 16, "t154")},
        {"format version 2", version2},
    };
    for (const Row& row : rows) {
        const Result<SynthPresetValues> read = readSynthPreset(row.bytes);
        EXPECT_FALSE(read) << row.what;
        EXPECT_FALSE(read.reason().empty()) << row.what;
    }
    EXPECT_TRUE(readSynthPreset(olderLayout("Old", 332)));
}

TEST(SynthPresets, AValueGoesToTheTracksParameterAndNeverIntoTheNextTrack) {
    // 40 per track: an older file's 68 values would reach 28 parameters into the next track.
    FakeSynth synth(16 * 40);
    const std::vector<float> before = synth.values;
    const Result<SynthPresetValues> older = readSynthPreset(olderLayout("Old"));
    ASSERT_TRUE(older);
    ASSERT_TRUE(applySynthPreset(synth, 3, *older));
    EXPECT_EQ(synth.strayCalls, 0);
    for (std::size_t i = 0; i < synth.values.size(); ++i) {
        const bool ofTrack = i >= 3 * 40 && i < 4 * 40;
        EXPECT_EQ(synth.values[i], ofTrack ? 10.0f + static_cast<float>(i - 120) : before[i]) << i;
    }
    // The last track's values stay inside the synth.
    ASSERT_TRUE(applySynthPreset(synth, 15, *older));
    EXPECT_EQ(synth.strayCalls, 0);
    EXPECT_FALSE(applySynthPreset(synth, 16, *older));
    EXPECT_FALSE(applySynthPreset(synth, -1, *older));
    EXPECT_EQ(synth.strayCalls, 0);
}

// A preset gives the track as many values as both it and the synth have: the older layout's 68
// never reach past a track of 130, and a track of fewer takes only its own, at the first and the
// last track alike.
TEST(SynthPresets, ATrackTakesAsManyValuesAsBothThePresetAndTheSynthHave) {
    struct Row {
        int perTrack;
        bool older;
        int given;
    };
    const std::vector<float> current = ramp(130, 3.0f);
    for (const Row row : {Row{130, true, 68}, Row{130, false, 130}, Row{129, false, 129}, Row{67, true, 67},
                          Row{68, true, 68}, Row{69, true, 68}}) {
        const Result<SynthPresetValues> preset =
            readSynthPreset(row.older ? olderLayout("Old") : currentLayout("New", current));
        ASSERT_TRUE(preset);
        for (const int track : {0, 15}) {
            FakeSynth synth(16 * row.perTrack);
            const std::vector<float> before = synth.values;
            ASSERT_TRUE(applySynthPreset(synth, track, *preset));
            EXPECT_EQ(synth.strayCalls, 0);
            const auto first = static_cast<std::size_t>(track * row.perTrack);
            for (std::size_t i = 0; i < synth.values.size(); ++i) {
                const bool given = i >= first && i < first + static_cast<std::size_t>(row.given);
                EXPECT_EQ(synth.values[i], given ? preset->values[i - first] : before[i])
                    << row.perTrack << (row.older ? " older" : " current") << ", track " << track << ", parameter "
                    << i;
            }
        }
    }
}

TEST(SynthPresets, OnlyTracksZeroToFifteenAreSavedAndNothingIsWrittenForAnother) {
    TempFolder folder;
    FakeSynth synth(16 * 40);
    for (const int track : {-1, 16, 1000}) {
        EXPECT_FALSE(writeSynthPresetFile(synth, track, "Nowhere", folder / "Nowhere.fxp")) << track;
        EXPECT_TRUE(folder.namesIn().empty()) << track;
    }
    EXPECT_EQ(synth.strayCalls, 0);
    for (const int track : {0, 15}) {
        const std::string path = folder / ("Track " + std::to_string(track) + ".fxp");
        ASSERT_TRUE(writeSynthPresetFile(synth, track, "Edge", path)) << track;
        const std::vector<float> own(synth.values.begin() + track * 40, synth.values.begin() + track * 40 + 40);
        EXPECT_EQ(readBytes(path), currentLayout("Edge", own)) << track;
    }
    EXPECT_EQ(synth.strayCalls, 0);
}

// --- the instrument's side ---------------------------------------------------------------------

VstIntPtr quietHost(AEffect*, VstInt32, VstInt32, VstIntPtr, void*, float) { return 0; }

class InstrumentSynthPresets : public ::testing::Test {
protected:
    void SetUp() override {
        drums = std::make_unique<VornDrums>(quietHost, [](InstrumentSettings&, bool) { return false; });
        drums->placePlugin(VornDrums::kSynthSlot, &synth);
        test::stateOf(*drums).settings.synthFilesPath = folder.path() + "/";
    }

    TempFolder folder;
    FakeSynth synth{16 * 50};
    std::unique_ptr<VornDrums> drums;
};

TEST_F(InstrumentSynthPresets, ATrackSavedAndLoadedOntoAnotherTrackKeepsItsValuesAndName) {
    for (std::size_t i = 0; i < 50; ++i)
        synth.values[2 * 50 + i] = 0.25f + 0.01f * static_cast<float>(i);
    const std::vector<float> saved(synth.values.begin() + 100, synth.values.begin() + 150);
    std::copy_n("Deep Tom", 9, test::stateOf(*drums).synthPresetNames[2].begin());
    const std::string path = folder / "Deep Tom.fxp";
    ASSERT_TRUE(drums->saveSynthPreset(2, path));
    EXPECT_EQ(drums->synthPresetPath(2), path);
    EXPECT_EQ(readBytes(path).size(), 588u);

    ASSERT_TRUE(drums->loadSynthPreset(7, path));
    EXPECT_EQ(std::vector<float>(synth.values.begin() + 350, synth.values.begin() + 400), saved);
    EXPECT_EQ(drums->synthPresetName(7), "Deep Tom");
    EXPECT_EQ(drums->synthPresetPath(7), path);
    EXPECT_EQ(synth.strayCalls, 0);
}

TEST_F(InstrumentSynthPresets, ARefusedFileChangesNeitherTheSynthNorWhatTheTrackRemembers) {
    const std::string good = folder / "Good.fxp";
    writeBytes(good, currentLayout("Good", ramp(50, 3.0f)));
    ASSERT_TRUE(drums->loadSynthPreset(1, good));
    const std::vector<float> before = synth.values;
    std::vector<std::uint8_t> cut = currentLayout("Cut", ramp(50, 9.0f));
    cut.resize(400);
    const std::string bad = folder / "Cut.fxp";
    writeBytes(bad, cut);
    for (const std::string& path : {bad, folder / "Missing.fxp", folder.path()}) {
        EXPECT_FALSE(drums->loadSynthPreset(1, path)) << path;
        EXPECT_EQ(synth.values, before);
        EXPECT_EQ(drums->synthPresetPath(1), good);
        EXPECT_EQ(drums->synthPresetName(1), "Good");
    }
}

TEST_F(InstrumentSynthPresets, WithoutADrumSynthNothingIsSavedOrLoaded) {
    const std::string good = folder / "Good.fxp";
    writeBytes(good, currentLayout("Good", ramp(50, 3.0f)));
    drums->placePlugin(VornDrums::kSynthSlot, nullptr);
    EXPECT_FALSE(drums->saveSynthPreset(0, folder / "New.fxp"));
    EXPECT_FALSE(drums->loadSynthPreset(0, good));
    EXPECT_EQ(folder.namesIn(), std::vector<std::string>{"Good.fxp"});
    EXPECT_EQ(drums->synthPresetPath(0), "");
    EXPECT_EQ(drums->synthPresetName(0), "");
}

TEST_F(InstrumentSynthPresets, ASaveThatCannotBeWrittenRemembersNothing) {
    EXPECT_FALSE(drums->saveSynthPreset(0, folder / "No Folder/New.fxp"));
    EXPECT_EQ(drums->synthPresetPath(0), "");
}

TEST_F(InstrumentSynthPresets, APathTooLongForItsFieldIsNotRemembered) {
    ASSERT_TRUE(drums->saveSynthPreset(0, folder / "Short.fxp"));
    EXPECT_EQ(drums->synthPresetPath(0), folder / "Short.fxp");
    // A file in the same folder, named by a path of more than 255 characters.
    std::string longPath = folder.path();
    while (longPath.size() < 300)
        longPath += "/.";
    longPath += "/Long.fxp";
    if (!drums->saveSynthPreset(0, longPath))
        GTEST_SKIP() << "this system writes no file by a path this long";
    EXPECT_EQ(readBytes(folder / "Long.fxp").size(), 588u);
    EXPECT_EQ(drums->synthPresetPath(0), "");
}

// A path of `length` characters naming `file` in the test's folder: "/./" steps make up the length.
std::string pathOfLength(const TempFolder& folder, std::size_t length, const std::string& file) {
    std::string path = folder.path() + "/";
    while (path.size() + file.size() + 2 <= length)
        path += "./";
    path += std::string(length - path.size() - file.size(), 'x') + file;
    return path;
}

// Paths and names are kept with their terminating zero: 255 characters of a path and 27 of a name
// at most; a path of 256 is forgotten rather than cut.
TEST_F(InstrumentSynthPresets, APathOf255CharactersIsRememberedAndOneOf256IsNot) {
    const std::string fullName(28, 'N');
    for (const std::size_t length : {255u, 256u}) {
        const std::string path = pathOfLength(folder, length, ".fxp");
        ASSERT_EQ(path.size(), length);
        try {
            writeBytes(path, currentLayout(fullName, ramp(50, 1.0f)));
        } catch (const std::runtime_error&) {
            GTEST_SKIP() << "this system writes no file by a path of " << length << " characters";
        }
        ASSERT_TRUE(drums->loadSynthPreset(4, path)) << length;
        EXPECT_EQ(drums->synthPresetPath(4), length == 255 ? path : "") << length;
        EXPECT_EQ(drums->synthPresetName(4), std::string(27, 'N')) << length;
    }
}

TEST_F(InstrumentSynthPresets, TracksOutsideZeroToFifteenHaveNoPresetAndTakeNone) {
    const std::string good = folder / "Good.fxp";
    writeBytes(good, currentLayout("Good", ramp(50, 3.0f)));
    ASSERT_TRUE(drums->loadSynthPreset(0, good));
    ASSERT_TRUE(drums->loadSynthPreset(15, good));
    const std::vector<float> before = synth.values;
    for (const int track : {-1, 16, 17}) {
        EXPECT_FALSE(drums->loadSynthPreset(track, good)) << track;
        EXPECT_FALSE(drums->saveSynthPreset(track, folder / "Other.fxp")) << track;
        EXPECT_EQ(drums->synthPresetPath(track), "") << track;
        EXPECT_EQ(drums->synthPresetName(track), "") << track;
    }
    EXPECT_EQ(synth.values, before);
    EXPECT_EQ(synth.strayCalls, 0);
    EXPECT_EQ(folder.namesIn(), std::vector<std::string>{"Good.fxp"});
}

TEST_F(InstrumentSynthPresets, TheListHoldsTheFxpFilesOfTheSynthFolderInScanOrder) {
    folder.makeFile("b.fxp", "x");
    folder.makeFile("A.fxp", "x");
    folder.makeFile("c.FXP", "x");
    folder.makeFile("notes.txt", "x");
    folder.makeFolder("folder.fxp");
    std::vector<std::string> names;
    for (const std::string& path : drums->listSynthPresets()) {
        EXPECT_TRUE(std::filesystem::is_regular_file(path)) << path;
        names.push_back(std::filesystem::path(path).filename().string());
    }
    EXPECT_EQ(names, (std::vector<std::string>{"A.fxp", "b.fxp"}));
}

}  // namespace
}  // namespace rimba::test
