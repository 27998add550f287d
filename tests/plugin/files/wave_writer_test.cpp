// The 16-bit mono WAV writer: its bytes against a layout written out here, the frames a selection
// writes, and what a failure leaves behind.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "SoundFixtures.h"
#include "plugin/files/WaveWriter.h"

namespace rimba {
namespace {

using namespace files::fixtures;

TEST(WriteMonoWave16, BytesFollowTheRiffLayoutFieldByField) {
    TempFolder folder;
    const std::string path = folder / "out.wav";
    const std::vector<std::int16_t> samples = {0, 1, -1, 32767, -32768, 0x1234};

    ASSERT_EQ(writeMonoWave16(path, samples, 48000), 0);

    ByteBuilder expected;
    expected.tag("RIFF").le32(4 + 26 + 8 + 12).tag("WAVE");
    expected.tag("fmt ").le32(18).le16(1).le16(1).le32(48000).le32(96000).le16(2).le16(16).le16(0);
    expected.tag("data").le32(12);
    for (const std::int16_t sample : samples) {
        expected.le16(static_cast<std::uint16_t>(sample));
    }
    EXPECT_EQ(readBytes(path), expected.bytes);
}

TEST(WriteMonoWave16, HeaderCarriesTheGivenRate) {
    TempFolder folder;
    const std::string path = folder / "rate.wav";
    ASSERT_EQ(writeMonoWave16(path, seededSamples(10), 48000), 0);

    const std::vector<std::uint8_t> bytes = readBytes(path);
    ASSERT_GE(bytes.size(), 32u);
    // Sample rate at 24, byte rate at 28, little-endian: 48000 = 0x0000BB80, 96000 = 0x00017700.
    EXPECT_EQ(std::vector<std::uint8_t>(bytes.begin() + 24, bytes.begin() + 32),
              (std::vector<std::uint8_t>{0x80, 0xBB, 0x00, 0x00, 0x00, 0x77, 0x01, 0x00}));
}

TEST(WriteMonoWave16, NoSamplesFailsAndCreatesNothing) {
    TempFolder folder;
    const std::string path = folder / "empty.wav";

    EXPECT_EQ(writeMonoWave16(path, {}, 44100), -1);
    EXPECT_FALSE(std::filesystem::exists(path));
    EXPECT_TRUE(std::filesystem::is_empty(folder.path()));
}

TEST(WriteMonoWave16, RateThatIsNotPositiveFailsAndCreatesNothing) {
    TempFolder folder;
    const std::string path = folder / "norate.wav";

    EXPECT_EQ(writeMonoWave16(path, seededSamples(4), 0), -1);
    EXPECT_EQ(writeMonoWave16(path, seededSamples(4), -44100), -1);
    EXPECT_FALSE(std::filesystem::exists(path));
}

TEST(WriteMonoWave16, MissingFolderFails) {
    TempFolder folder;
    EXPECT_EQ(writeMonoWave16(folder / "no/such/folder.wav", seededSamples(4), 44100), -1);
}

TEST(WriteMonoWave16, ReplacesAnExistingFile) {
    TempFolder folder;
    const std::string path = folder / "again.wav";
    writeBytes(path, std::vector<std::uint8_t>(1000, 0xAA));

    ASSERT_EQ(writeMonoWave16(path, {{7, 8}}, 44100), 0);

    EXPECT_EQ(readBytes(path).size(), 46u + 2 * 2);
}

// --- selectedFrameRange ------------------------------------------------------------------------

TEST(SelectedFrameRange, QuarterToThreeQuartersOfAThousandFrames) {
    const FrameRange range = selectedFrameRange(1000, 0.25f, 0.75f);
    EXPECT_EQ(range.first, 250);
    EXPECT_EQ(range.count, 500);
}

TEST(SelectedFrameRange, WholeSound) {
    const FrameRange range = selectedFrameRange(44100, 0.0f, 1.0f);
    EXPECT_EQ(range.first, 0);
    EXPECT_EQ(range.count, 44100);
}

TEST(SelectedFrameRange, StartEqualToEndOrAfterItSelectsNothing) {
    EXPECT_EQ(selectedFrameRange(1000, 0.5f, 0.5f).count, 0);
    EXPECT_EQ(selectedFrameRange(1000, 0.75f, 0.25f).count, 0);
    EXPECT_EQ(selectedFrameRange(0, 0.0f, 1.0f).count, 0);
}

TEST(SelectedFrameRange, CountIsTruncatedAndFirstRoundedDown) {
    // (0.7 - 0.1) * 7 = 4.2 -> 4; 7 * 0.1 = 0.7 -> 0.
    const FrameRange range = selectedFrameRange(7, 0.1f, 0.7f);
    EXPECT_EQ(range.first, 0);
    EXPECT_EQ(range.count, 4);
}

// The settings are 32-bit floats and so is the arithmetic: (0.01f - 0) * 1000 rounds to 10 in
// float, where a double product would be 9.99999977 and give 9.
TEST(SelectedFrameRange, CountAndFirstFrameUseTheSettingsFloatArithmetic) {
    EXPECT_EQ(selectedFrameRange(1000, 0.0f, 0.01f).count, 10);
    const FrameRange range = selectedFrameRange(1000, 0.01f, 0.02f);
    EXPECT_EQ(range.first, 10);
    EXPECT_EQ(range.count, 10);
}

TEST(SelectedFrameRange, NeverLeavesTheSound) {
    const FrameRange beyondEnd = selectedFrameRange(100, 0.5f, 1.5f);
    EXPECT_EQ(beyondEnd.first, 50);
    EXPECT_EQ(beyondEnd.count, 50);
    const FrameRange beforeStart = selectedFrameRange(100, -0.5f, 0.5f);
    EXPECT_EQ(beforeStart.first, 0);
    EXPECT_EQ(beforeStart.count, 100);
    const FrameRange pastEverything = selectedFrameRange(100, 2.0f, 3.0f);
    EXPECT_LE(pastEverything.first + pastEverything.count, 100);
    EXPECT_EQ(pastEverything.count, 0);
}

}  // namespace
}  // namespace rimba
