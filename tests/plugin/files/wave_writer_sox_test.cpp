// The 16-bit mono WAV writer's files as sox, an independent reader, reads them back.

#include <gtest/gtest.h>

#include <span>
#include <string>
#include <vector>

#include "SoundFixtures.h"
#include "plugin/files/WaveWriter.h"

namespace rimba {
namespace {

using namespace files::fixtures;

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

}  // namespace
}  // namespace rimba
