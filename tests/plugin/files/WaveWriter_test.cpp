// The 16-bit mono WAV writer: its bytes against a layout written out here, its samples as sox
// reads them back, and what a failure leaves behind.

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <random>
#include <string>
#include <sys/resource.h>
#include <vector>

#include "SoundFixtures.h"
#include "plugin/files/WaveWriter.h"
#include "tests/common/platform/posix/FileSizeLimit.h"

namespace rimba {
namespace {

using namespace files::fixtures;

std::vector<std::int16_t> seededSamples(std::size_t count) {
    std::mt19937 random(42);
    std::uniform_int_distribution<int> value(-32768, 32767);
    std::vector<std::int16_t> samples(count);
    for (auto& sample : samples) {
        sample = static_cast<std::int16_t>(value(random));
    }
    samples.front() = -32768;
    samples.back() = 32767;
    return samples;
}

std::vector<std::int16_t> samplesReadBackBySox(const std::string& path, const std::string& rawPath) {
    std::vector<std::int16_t> samples;
    if (!run("sox '" + path + "' -t raw -e signed -b 16 -L '" + rawPath + "'")) {
        return samples;
    }
    const std::vector<std::uint8_t> bytes = readBytes(rawPath);
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
        samples.push_back(static_cast<std::int16_t>(bytes[i] | (bytes[i + 1] << 8)));
    }
    return samples;
}

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

TEST(WriteMonoWave16, SoxReadsBackTheSameSamplesAndRate) {
    RIMBA_REQUIRE_SOX();
    TempFolder folder;
    const std::string path = folder / "round.wav";
    const std::vector<std::int16_t> samples = seededSamples(4000);

    ASSERT_EQ(writeMonoWave16(path, samples, 44100), 0);

    EXPECT_EQ(samplesReadBackBySox(path, folder / "round.raw"), samples);
    EXPECT_EQ(outputOf("sox --i -r '" + path + "'"), "44100\n");
    EXPECT_EQ(outputOf("sox --i -c '" + path + "'"), "1\n");
    EXPECT_EQ(outputOf("sox --i -b '" + path + "'"), "16\n");
}

TEST(WriteMonoWave16, SelectedHalfOfAThousandFramesWritesFiveHundredFromFrame250) {
    RIMBA_REQUIRE_SOX();
    TempFolder folder;
    const std::string path = folder / "half.wav";
    const std::vector<std::int16_t> sound = seededSamples(1000);
    const FrameRange range = selectedFrameRange(1000, 0.25f, 0.75f);
    ASSERT_EQ(range.first, 250);
    ASSERT_EQ(range.count, 500);

    ASSERT_EQ(writeMonoWave16(path, std::span(sound).subspan(range.first, range.count), 48000), 0);

    const std::vector<std::int16_t> expected(sound.begin() + 250, sound.begin() + 750);
    EXPECT_EQ(samplesReadBackBySox(path, folder / "half.raw"), expected);
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

using rimba::platform::fixtures::FileSizeLimit;

TEST(WriteMonoWave16, FailedWriteLeavesTheExistingFileIntact) {
    TempFolder folder;
    const std::string path = folder / "keep.wav";
    const std::vector<std::uint8_t> original(200, 0x5A);
    writeBytes(path, original);

    std::int32_t result = 0;
    {
        FileSizeLimit limit(4096);
        result = writeMonoWave16(path, seededSamples(20000), 44100);
    }

    EXPECT_EQ(result, -1);
    EXPECT_EQ(readBytes(path), original);
    std::size_t entries = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder.path())) {
        ++entries;
    }
    EXPECT_EQ(entries, 1u) << "the temporary file was left behind";
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
