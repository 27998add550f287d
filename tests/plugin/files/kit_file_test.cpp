// Kit files: the current form byte by byte, the three older forms built here from their tables,
// what a load changes and leaves alone, and the files a load must refuse without a change.

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <limits>

#include "plugin/files/KitFile.h"
#include "plugin/files/LibraryFolder.h"
#include "tests/plugin/files/ChunkFixture.h"
#include "tests/plugin/files/KitFixture.h"
#include "tests/support/InstrumentProbe.h"

namespace rimba::chunk_test {
namespace {

using files::fixtures::readBytes;
using files::fixtures::writeBytes;

// --- the current form ------------------------------------------------------------------------

class KitRoundTrip : public ::testing::TestWithParam<int> {};

TEST_P(KitRoundTrip, EveryFieldSitsAtItsOffsetAndComesBackIntoAFreshInstrument) {
    const int tracks = GetParam();
    TempFolder root;
    const Library library(root);
    auto drums = makeDrums(tracks, library.folder);
    dressTracks(*drums, library);
    ASSERT_TRUE(drums->saveKit(library.kit("Mine.drs")));

    const std::vector<std::uint8_t> b = readBytes(library.kit("Mine.drs"));
    ASSERT_EQ(b.size(), kKitHeader + static_cast<std::size_t>(tracks) * kRecord);
    EXPECT_EQ(le32At(b, 0), b.size());
    EXPECT_EQ(i32At(b, 4), tracks);
    EXPECT_EQ(i32At(b, 8), 1480);
    EXPECT_EQ(be32At(b, 12), 1480u);
    for (std::size_t i = 16; i < 32; ++i)
        EXPECT_EQ(b[i], 0) << "header byte " << i;
    for (int t = 0; t < tracks; ++t) {
        const std::size_t at = kKitHeader + static_cast<std::size_t>(t) * kRecord;
        EXPECT_EQ(textAt(b, at, 256), "\\Samples\\drum" + std::to_string(t) + ".wav");
        const auto settings = storedSettingsOf(*drums, t);
        for (std::size_t i = 0; i < kPositions.size(); ++i)
            EXPECT_EQ(f32At(b, at + kRecordFloats + 4 * i), settings[static_cast<std::size_t>(kPositions[i])])
                << "track " << t << " position " << kPositions[i];
        for (std::size_t i = kRecordFloats + 116; i < kRecordScale; ++i)
            EXPECT_EQ(b[at + i], 0);
        for (std::size_t n = 0; n < 12; ++n)
            EXPECT_EQ(i32At(b, at + kRecordScale + 4 * n), n == static_cast<std::size_t>(t % 12) ? 1 : 0);
    }

    auto fresh = makeDrums(tracks, library.folder);
    ASSERT_TRUE(fresh->loadKit(library.kit("Mine.drs")));
    for (int t = 0; t < tracks; ++t) {
        const auto slot = static_cast<std::size_t>(t);
        EXPECT_EQ(soundPathOf(*fresh, t), library.sample(t));
        EXPECT_TRUE(hasSound(*fresh, t));
        EXPECT_EQ(storedSettingsOf(*fresh, t), storedSettingsOf(*drums, t)) << "track " << t;
        EXPECT_EQ(test::stateOf(*fresh).tracks.scaleNotes[slot], test::stateOf(*drums).tracks.scaleNotes[slot]);
        EXPECT_EQ(test::stateOf(*fresh).tracks.tuneRatio[slot], test::stateOf(*drums).tracks.tuneRatio[slot]);
    }
}

INSTANTIATE_TEST_SUITE_P(Kits, KitRoundTrip, ::testing::Values(12, 8));

TEST(Kits, ATwelveTrackKitIntoEightTracksInUseAppliesAllTwelveRecords) {
    TempFolder root;
    const Library library(root);
    auto twelve = makeDrums(12, library.folder);
    dressTracks(*twelve, library);
    ASSERT_TRUE(twelve->saveKit(library.kit("Twelve.drs")));

    auto eight = makeDrums(8, library.folder);
    ASSERT_TRUE(eight->loadKit(library.kit("Twelve.drs")));
    for (int t = 8; t < 12; ++t) {
        EXPECT_EQ(soundPathOf(*eight, t), library.sample(t));
        EXPECT_TRUE(hasSound(*eight, t));
        EXPECT_EQ(test::stateOf(*eight).tracks.level[static_cast<std::size_t>(t)],
                  test::stateOf(*twelve).tracks.level[static_cast<std::size_t>(t)]);
    }
    EXPECT_EQ(test::stateOf(*eight).trackCount, 8);
}

TEST(Kits, LoadingLeavesPatternsRandomSettingsAndTheSynthRoutingAlone) {
    TempFolder root;
    const Library library(root);
    auto drums = makeDrums(8, library.folder);
    dressTracks(*drums, library);
    test::stateOf(*drums).tracks.synthRoute[2] = 1.0f;
    ASSERT_TRUE(drums->saveKit(library.kit("Routed.drs")));
    EXPECT_EQ(f32At(readBytes(library.kit("Routed.drs")), kKitHeader + 2 * kRecord + kRecordFloats + 4 * 15), 1.0f);

    auto other = makeDrums(8, library.folder);
    test::stateOf(*other).patterns[2].stepVelocity[0][4] = 100.0f;
    test::stateOf(*other).tracks.randomMinDensity[2] = 3.0f;
    test::stateOf(*other).tracks.randomMaxDensity[2] = 7.0f;
    test::stateOf(*other).tracks.randomMaxRoll[2] = 2.0f;
    test::stateOf(*other).tempo = 97;
    ASSERT_TRUE(other->loadKit(library.kit("Routed.drs")));
    EXPECT_EQ(test::stateOf(*other).patterns[2].stepVelocity[0][4], 100.0f);
    EXPECT_EQ(test::stateOf(*other).tracks.randomMinDensity[2], 3.0f);
    EXPECT_EQ(test::stateOf(*other).tracks.randomMaxDensity[2], 7.0f);
    EXPECT_EQ(test::stateOf(*other).tracks.randomMaxRoll[2], 2.0f);
    EXPECT_EQ(test::stateOf(*other).tempo, 97);
    EXPECT_EQ(test::stateOf(*other).tracks.synthRoute[2], 0.0f);
}

TEST(Kits, AnEmptyPathLeavesItsTrackWithoutASound) {
    TempFolder root;
    const Library library(root);
    auto drums = makeDrums(8, library.folder);
    dressTracks(*drums, library);
    giveTrack(*drums, 5, "");
    ASSERT_TRUE(drums->saveKit(library.kit("Gap.drs")));

    auto other = makeDrums(8, library.folder);
    dressTracks(*other, library);
    ASSERT_TRUE(hasSound(*other, 5));
    ASSERT_TRUE(other->loadKit(library.kit("Gap.drs")));
    EXPECT_FALSE(hasSound(*other, 5));
    EXPECT_EQ(soundPathOf(*other, 5), "");
    EXPECT_TRUE(hasSound(*other, 4));
}

TEST(Kits, SoundsUnderTheLibraryAreFoundAfterTheLibraryMoves) {
    TempFolder root;
    std::string kitPath;
    {
        const Library library(root);
        auto drums = makeDrums(8, library.folder);
        dressTracks(*drums, library);
        ASSERT_TRUE(drums->saveKit(library.kit("Travel.drs")));
    }
    const std::string moved = root / "Moved Library";
    std::filesystem::rename(root / "Library", moved);
    auto later = makeDrums(8, moved);
    ASSERT_TRUE(later->loadKit(test::below(moved, "Drum Kits/Travel.drs")));
    for (int t = 0; t < 8; ++t) {
        EXPECT_EQ(soundPathOf(*later, t), test::below(moved, "Samples/drum" + std::to_string(t) + ".wav"));
        EXPECT_TRUE(hasSound(*later, t));
    }
}

TEST(Kits, OtherRecordCountsUpToSixteenAreReadAsWritten) {
    TempFolder root;
    const Library library(root);
    auto twelve = makeDrums(12, library.folder);
    dressTracks(*twelve, library);
    ASSERT_TRUE(twelve->saveKit(library.kit("Twelve.drs")));
    std::vector<std::uint8_t> b = readBytes(library.kit("Twelve.drs"));
    b.resize(kKitHeader + 5 * kRecord);  // the first five records only
    Block five{b};
    five.le32(4, 5);
    fixSize(five);
    writeBytes(library.kit("Five.drs"), five.bytes);

    auto drums = makeDrums(12, library.folder);
    ASSERT_TRUE(drums->loadKit(library.kit("Five.drs")));
    for (int t = 0; t < 5; ++t)
        EXPECT_EQ(storedSettingsOf(*drums, t), storedSettingsOf(*twelve, t));
    EXPECT_FALSE(hasSound(*drums, 5));
    EXPECT_EQ(test::stateOf(*drums).tracks.level[5], test::stateOf(*makeDrums(12, library.folder)).tracks.level[5]);
}

// --- older forms -----------------------------------------------------------------------------

TEST(OlderKits, TheOldestFormHasNoHeaderAndStoresTuneFromZeroToOne) {
    TempFolder root;
    const Library library(root);
    writeBytes(library.kit("Oldest.drs"), oldestKit(0.75f).bytes);

    auto drums = makeDrums(12, library.folder);
    test::stateOf(*drums).tracks.scaleNotes[3].fill(0);
    test::stateOf(*drums).tracks.eqGain[3][0] = 0.7f;
    test::stateOf(*drums).tracks.synthMix[3] = 0.9f;
    ASSERT_TRUE(drums->loadKit(library.kit("Oldest.drs")));
    EXPECT_FLOAT_EQ(test::stateOf(*drums).tracks.tune[3], 6.0f);  // 0.75 of the old range is +6 semitones
    EXPECT_EQ(test::stateOf(*drums).tracks.level[3], 0.7f);
    EXPECT_EQ(test::stateOf(*drums).tracks.end[3], 0.95f);
    EXPECT_EQ(test::stateOf(*drums).tracks.mute[3], 1.0f);
    EXPECT_EQ(test::stateOf(*drums).tracks.choke[3], 2.0f);
    EXPECT_EQ(test::stateOf(*drums).tracks.tuneScale[3], 1.0f);
    for (const std::int32_t note : test::stateOf(*drums).tracks.scaleNotes[3])
        EXPECT_EQ(note, 1);
    EXPECT_EQ(test::stateOf(*drums).tracks.eqGain[3][0], 0.0f);  // the equaliser takes its reset values
    EXPECT_EQ(test::stateOf(*drums).tracks.synthMix[3], 0.5f);
    EXPECT_TRUE(hasSound(*drums, 7));
    EXPECT_FALSE(hasSound(*drums, 8));  // eight records only
}

TEST(OlderKits, TheShortFormKeepsTuneAsItIsAndHasScaleNotes) {
    TempFolder root;
    const Library library(root);
    const std::array<std::int32_t, 12> scale{1, 0, 1, 0, 1, 1, 0, 1, 0, 1, 0, 1};
    writeBytes(library.kit("Short.drs"), shortKit(-2.0f, scale).bytes);

    auto drums = makeDrums(12, library.folder);
    test::stateOf(*drums).tracks.phaseInvert[6] = 1.0f;
    ASSERT_TRUE(drums->loadKit(library.kit("Short.drs")));
    EXPECT_EQ(test::stateOf(*drums).tracks.tune[6], -2.0f);
    EXPECT_EQ(test::stateOf(*drums).tracks.scaleNotes[6], scale);
    EXPECT_EQ(test::stateOf(*drums).tracks.phaseInvert[6], 0.0f);
    EXPECT_TRUE(hasSound(*drums, 6));
}

TEST(OlderKits, ThePlainFormHasEightCurrentRecordsAfterTheSynthState) {
    TempFolder root;
    const Library library(root);
    auto drums = makeDrums(8, library.folder);
    dressTracks(*drums, library);
    ASSERT_TRUE(drums->saveKit(library.kit("Current.drs")));
    const std::vector<std::uint8_t> current = readBytes(library.kit("Current.drs"));

    // A size, 12 bytes of synth state nobody loaded (no version in them), then the same records.
    Block plain{std::vector<std::uint8_t>(4, 0)};
    for (std::uint8_t i = 0; i < 12; ++i)
        plain.bytes.push_back(static_cast<std::uint8_t>(0x11 + i));
    for (std::size_t i = kKitHeader; i < current.size(); ++i)
        plain.bytes.push_back(current[i]);
    fixSize(plain);
    writeBytes(library.kit("Plain.drs"), plain.bytes);

    auto fresh = makeDrums(8, library.folder);
    ASSERT_TRUE(fresh->loadKit(library.kit("Plain.drs")));
    for (int t = 0; t < 8; ++t)
        EXPECT_EQ(storedSettingsOf(*fresh, t), storedSettingsOf(*drums, t));
    const rimba::Result<KitFile> read = readKitFile(plain.bytes);
    ASSERT_TRUE(read);
    EXPECT_EQ(read->form, KitForm::Plain);
    ASSERT_EQ(read->synthState.size(), 12u);
    EXPECT_EQ(read->synthState.front(), 0x11);
    EXPECT_EQ(read->synthState.back(), 0x1C);
}

// --- refusals --------------------------------------------------------------------------------

class KitRefusals : public ::testing::Test {
protected:
    void SetUp() override {
        auto maker = makeDrums(12, library.folder);
        dressTracks(*maker, library);
        ASSERT_TRUE(maker->saveKit(library.kit("Good.drs")));
        good = readBytes(library.kit("Good.drs"));
        drums = makeDrums(12, library.folder);
        before = chunkOf(*drums);
    }

    // The file is refused and the instrument is exactly as before.
    void expectRefused(const std::vector<std::uint8_t>& file) {
        writeBytes(library.kit("Bad.drs"), file);
        EXPECT_FALSE(drums->loadKit(library.kit("Bad.drs")));
        EXPECT_EQ(chunkOf(*drums), before);
        for (int t = 0; t < 12; ++t)
            EXPECT_FALSE(hasSound(*drums, t));
    }

    TempFolder root;
    Library library{root};
    std::vector<std::uint8_t> good;
    std::unique_ptr<VornDrums> drums;
    std::vector<std::uint8_t> before;
};

TEST_F(KitRefusals, AFileOneByteLongerThanItsSizeField) {
    std::vector<std::uint8_t> longer = good;
    longer.push_back(0);
    expectRefused(longer);
}

TEST_F(KitRefusals, CountsOfZeroAndAboveSixteenAndRecordsPastTheEnd) {
    for (const std::uint32_t count : {0u, 17u, 13u, 0x7FFFFFFFu}) {
        Block block{good};
        block.le32(4, count);
        expectRefused(block.bytes);
    }
}

TEST_F(KitRefusals, ASettingThatIsNotANumber) {
    Block block{good};
    block.f32(kKitHeader + 4 * kRecord + kRecordFloats + 4, std::numeric_limits<float>::quiet_NaN());
    expectRefused(block.bytes);
}

TEST_F(KitRefusals, ShortFilesAndFilesThatCannotBeRead) {
    for (std::size_t length :
         {std::size_t{0}, std::size_t{3}, std::size_t{4}, std::size_t{31}, kKitHeader + kRecord - 1}) {
        Block block{std::vector<std::uint8_t>(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(length))};
        if (length >= 4)
            fixSize(block);
        expectRefused(block.bytes);
    }
    EXPECT_FALSE(drums->loadKit(library.kit("Missing.drs")));
    EXPECT_FALSE(drums->loadKit(library.folder));
    EXPECT_EQ(chunkOf(*drums), before);
}

TEST_F(KitRefusals, EveryCutOfAGoodFileIsRefusedOrReadWithinItsBytes) {
    for (std::size_t length = 0; length < good.size(); length += 7) {
        const std::vector<std::uint8_t> cut(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(length));
        Block sized{cut};
        if (length >= 4)
            fixSize(sized);
        // Read straight from the bytes: under AddressSanitizer a read past them would stop the test.
        const rimba::Result<KitFile> kit = readKitFile(sized.bytes);
        if (kit) {
            EXPECT_LE(kKitHeader + kit->records.size() * kRecord, length);
        }
    }
}

// --- saving ----------------------------------------------------------------------------------

TEST(KitSaves, ASaveIntoAMissingFolderFails) {
    TempFolder root;
    const Library library(root);
    auto drums = makeDrums(12, library.folder);
    EXPECT_FALSE(drums->saveKit(root / "no such folder/x.drs"));
}

// --- new kit and new program -----------------------------------------------------------------

TEST(NewKitAndProgram, NewKitTakesEverySoundAndSettingAway) {
    TempFolder root;
    const Library library(root);
    auto drums = makeDrums(12, library.folder);
    dressTracks(*drums, library);
    test::stateOf(*drums).patterns[1].stepVelocity[0][0] = 90.0f;
    drums->newKit();
    const auto reset = makeDrums(12, library.folder);
    for (int t = 0; t < 12; ++t) {
        EXPECT_FALSE(hasSound(*drums, t));
        EXPECT_EQ(storedSettingsOf(*drums, t), storedSettingsOf(*reset, t));
    }
    EXPECT_EQ(test::stateOf(*drums).patterns[1].stepVelocity[0][0], 90.0f);  // patterns are not part of a kit
}

TEST(NewKitAndProgram, NewProgramLoadsTheDefaultKitAndEmptiesThePatterns) {
    TempFolder root;
    const Library library(root);
    auto maker = makeDrums(12, library.folder);
    dressTracks(*maker, library);
    ASSERT_TRUE(maker->saveKit(library.kit("Default.drs")));

    auto drums = makeDrums(12, library.folder);
    test::stateOf(*drums).patterns[4].stepVelocity[2][7] = 80.0f;
    test::stateOf(*drums).tempo = 140;
    test::stateOf(*drums).settings.muteMidiKey = 1;
    test::stateOf(*drums).settings.patternTriggerMidiKey = 60;
    test::stateOf(*drums).settings.drumKitFile = "/elsewhere/Other.drs";
    drums->newProgram();
    EXPECT_EQ(test::stateOf(*drums).settings.drumKitFile, library.kit("Default.drs"));
    EXPECT_EQ(test::stateOf(*drums).patterns[4].stepVelocity[2][7], 0.0f);
    EXPECT_EQ(test::stateOf(*drums).tempo, 120);
    EXPECT_EQ(test::stateOf(*drums).settings.muteMidiKey, 0);
    EXPECT_EQ(test::stateOf(*drums).settings.patternTriggerMidiKey, -1);
    for (int t = 0; t < 12; ++t) {
        EXPECT_TRUE(hasSound(*drums, t));
        EXPECT_EQ(storedSettingsOf(*drums, t), storedSettingsOf(*maker, t));
    }
}

}  // namespace
}  // namespace rimba::chunk_test
