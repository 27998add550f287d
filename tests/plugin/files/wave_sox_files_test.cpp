// WAV files made by sox, loaded through the instrument's loader, against sample values computed
// here from the raw samples that sox itself decodes from the same file.

#include <gtest/gtest.h>

#include <cmath>
#include <optional>
#include <string>
#include <vector>

#include "SoundFixtures.h"
#include "plugin/files/SoundReader.h"

namespace rimba {
namespace {

using namespace files::fixtures;

constexpr double kSeconds = 0.02;

struct WaveCase {
    Encoding encoding;
    int channels;
    int rate;
};

std::string caseName(const testing::TestParamInfo<WaveCase>& info) {
    return encodingName(info.param.encoding) + "_" + std::to_string(info.param.channels) + "ch_" +
           std::to_string(info.param.rate) + "Hz";
}

// One channel's value as the 16-bit value the rules work with.
std::int64_t channelValue16(std::int64_t raw, Encoding encoding) {
    switch (encoding) {
        case Encoding::Unsigned8: return (raw - 128) * 256;  // 8-bit WAV data is unsigned around 128
        case Encoding::Signed24: return raw >> 8;  // the two high bytes
        case Encoding::Signed32: return raw >> 16;
        default: return raw;
    }
}

std::vector<std::int16_t> expectedIntegerSamples(const RawSamples& raw, Encoding encoding, int channels) {
    std::vector<std::int16_t> expected;
    for (std::size_t first = 0; first + channels <= raw.integers.size(); first += channels) {
        std::vector<std::int64_t> values;
        for (int channel = 0; channel < channels; ++channel) {
            values.push_back(channelValue16(raw.integers[first + channel], encoding));
        }
        expected.push_back(mixToMono(values));
    }
    return expected;
}

// Stereo floats are summed (not averaged) before the clamp, then scaled by 16383.5.
std::vector<std::int16_t> expectedFloatSamples(const RawSamples& raw, int channels) {
    std::vector<std::int16_t> expected;
    if (channels == 2) {
        for (std::size_t first = 0; first + 2 <= raw.floats.size(); first += 2) {
            expected.push_back(clampScaleTruncate(raw.floats[first] + raw.floats[first + 1], 16383.5f));
        }
    } else {
        for (const float value : raw.floats) {
            expected.push_back(clampScaleTruncate(value, 32767.5f));
        }
    }
    return expected;
}

class WaveFileFromSox : public testing::TestWithParam<WaveCase> {};

TEST_P(WaveFileFromSox, DecodesToTheValuesOfTheConversionRules) {
    RIMBA_REQUIRE_SOX();
    const WaveCase& param = GetParam();
    TempFolder folder;
    const std::string path = folder / "sound.wav";
    ASSERT_TRUE(makeSoxFile(path, param.encoding, param.channels, param.rate, kSeconds));
    const RawSamples raw = rawSamplesBySox(path, param.encoding, folder / "sound.raw");
    const auto expected = param.encoding == Encoding::Float32
                              ? expectedFloatSamples(raw, param.channels)
                              : expectedIntegerSamples(raw, param.encoding, param.channels);
    const auto expectedFrames = static_cast<std::size_t>(std::lround(kSeconds * param.rate));
    ASSERT_EQ(expected.size(), expectedFrames);

    const rimba::Result<Sound> sound = loadSoundFile(path);

    ASSERT_TRUE(sound.has_value());
    EXPECT_EQ(sound->frameCount, static_cast<std::int32_t>(expectedFrames));
    EXPECT_EQ(sound->sampleRate, static_cast<float>(param.rate));
    EXPECT_EQ(sound->samples, expected);
    EXPECT_STREQ(sound->path.data(), path.c_str());
}

std::vector<WaveCase> monoAndStereoCases() {
    std::vector<WaveCase> cases;
    for (const Encoding encoding :
         {Encoding::Unsigned8, Encoding::Signed16, Encoding::Signed24, Encoding::Signed32, Encoding::Float32}) {
        for (const int channels : {1, 2}) {
            for (const int rate : {22050, 44100, 48000, 96000}) {
                cases.push_back({encoding, channels, rate});
            }
        }
    }
    return cases;
}

INSTANTIATE_TEST_SUITE_P(MonoAndStereo, WaveFileFromSox, testing::ValuesIn(monoAndStereoCases()), caseName);

// sox writes these as WAVE_FORMAT_EXTENSIBLE. Their block aligns (8, 4, 9, 12) are not 3 or 6,
// so all channels are averaged at their real width.
INSTANTIATE_TEST_SUITE_P(MoreThanTwoChannels, WaveFileFromSox,
                         testing::Values(WaveCase{Encoding::Unsigned8, 4, 44100},
                                         WaveCase{Encoding::Signed16, 4, 48000}, WaveCase{Encoding::Signed24, 3, 44100},
                                         WaveCase{Encoding::Signed32, 3, 22050}),
                         caseName);

// Block align 6 always means 24-bit data, so a 16-bit file of three channels (also block
// align 6) is read as 24-bit mono data: three bytes per frame, its two high bytes the sample.
TEST(WaveFileFromSoxWithBlockAlignSix, SixteenBitThreeChannelsIsReadAsTwentyFourBitMono) {
    RIMBA_REQUIRE_SOX();
    TempFolder folder;
    const std::string path = folder / "three.wav";
    ASSERT_TRUE(makeSoxFile(path, Encoding::Signed16, 3, 44100, kSeconds));
    ASSERT_TRUE(run("sox -D '" + path + "' -t raw -L -e signed -b 16 '" + folder / "three.raw" + "'"));
    const std::vector<std::uint8_t> data = readBytes(folder / "three.raw");
    std::vector<std::int16_t> expected;
    for (std::size_t offset = 0; offset + 3 <= data.size(); offset += 3) {
        expected.push_back(static_cast<std::int16_t>(data[offset + 1] | (data[offset + 2] << 8)));
    }

    const rimba::Result<Sound> sound = loadSoundFile(path);

    ASSERT_TRUE(sound.has_value());
    EXPECT_EQ(sound->frameCount, static_cast<std::int32_t>(data.size() / 3));
    EXPECT_EQ(sound->samples, expected);
}

}  // namespace
}  // namespace rimba
