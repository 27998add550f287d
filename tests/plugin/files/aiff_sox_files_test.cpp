// AIFF files made by sox, loaded through the instrument's loader, against sample values computed
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

struct AiffCase {
    Encoding encoding;
    int channels;
    int rate;
    const char* extension;
};

std::string caseName(const testing::TestParamInfo<AiffCase>& info) {
    return encodingName(info.param.encoding) + "_" + std::to_string(info.param.channels) + "ch_" +
           std::to_string(info.param.rate) + "Hz";
}

// Mono 8-bit and 24-bit samples go through a float scale (8-bit at half level: x * 256 / 65536,
// 24-bit at full level: its two high bytes / 32768), times 32767.5, truncated. Written here as
// the exact fractions they are.
std::int16_t expectedMonoSample(std::int64_t raw, Encoding encoding) {
    switch (encoding) {
        case Encoding::Signed8: return static_cast<std::int16_t>(raw * 256 * 65535 / 131072);
        case Encoding::Signed24: return static_cast<std::int16_t>((raw >> 8) * 65535 / 65536);
        default: return static_cast<std::int16_t>(raw);
    }
}

// In stereo each channel is first made a 16-bit value, then the pair is averaged.
std::int64_t stereoChannelValue(std::int64_t raw, Encoding encoding) {
    switch (encoding) {
        case Encoding::Signed8: return raw * 256;
        case Encoding::Signed24: return raw >> 8;
        default: return raw;
    }
}

std::vector<std::int16_t> expectedSamples(const RawSamples& raw, Encoding encoding, int channels) {
    std::vector<std::int16_t> expected;
    if (channels == 1) {
        for (const std::int64_t value : raw.integers) {
            expected.push_back(expectedMonoSample(value, encoding));
        }
        return expected;
    }
    for (std::size_t first = 0; first + 2 <= raw.integers.size(); first += 2) {
        expected.push_back(mixToMono({stereoChannelValue(raw.integers[first], encoding),
                                      stereoChannelValue(raw.integers[first + 1], encoding)}));
    }
    return expected;
}

class AiffFileFromSox : public testing::TestWithParam<AiffCase> {};

TEST_P(AiffFileFromSox, DecodesToTheValuesOfTheConversionRules) {
    RIMBA_REQUIRE_SOX();
    const AiffCase& param = GetParam();
    TempFolder folder;
    const std::string path = folder / (std::string("sound") + param.extension);
    // sox picks the file type from the extension; give it the plain one.
    const std::string made = folder / "made.aiff";
    ASSERT_TRUE(makeSoxFile(made, param.encoding, param.channels, param.rate, kSeconds));
    writeBytes(path, readBytes(made));
    const RawSamples raw = rawSamplesBySox(made, param.encoding, folder / "sound.raw");
    const auto expected = expectedSamples(raw, param.encoding, param.channels);
    const auto expectedFrames = static_cast<std::size_t>(std::lround(kSeconds * param.rate));
    ASSERT_EQ(expected.size(), expectedFrames);

    const rimba::Result<Sound> sound = loadSoundFile(path);

    ASSERT_TRUE(sound.has_value());
    EXPECT_EQ(sound->frameCount, static_cast<std::int32_t>(expectedFrames));
    EXPECT_EQ(sound->sampleRate, static_cast<float>(param.rate));
    EXPECT_EQ(sound->samples, expected);
}

std::vector<AiffCase> allCases() {
    // Every spelling that selects the AIFF reader takes a turn.
    const char* const extensions[] = {".aif", ".aiff", ".AIF", ".AIFF"};
    std::vector<AiffCase> cases;
    int turn = 0;
    for (const Encoding encoding : {Encoding::Signed8, Encoding::Signed16, Encoding::Signed24}) {
        for (const int channels : {1, 2}) {
            for (const int rate : {22050, 44100, 48000, 96000}) {
                cases.push_back({encoding, channels, rate, extensions[turn++ % 4]});
            }
        }
    }
    return cases;
}

INSTANTIATE_TEST_SUITE_P(MonoAndStereo, AiffFileFromSox, testing::ValuesIn(allCases()), caseName);

TEST(AiffFileFromSoxOfThirtyTwoBits, LoadsAsASoundWithZeroFramesAndItsRate) {
    RIMBA_REQUIRE_SOX();
    TempFolder folder;
    const std::string path = folder / "wide.aiff";
    ASSERT_TRUE(makeSoxFile(path, Encoding::Signed32, 1, 48000, kSeconds));

    const rimba::Result<Sound> sound = loadSoundFile(path);

    ASSERT_TRUE(sound.has_value());
    EXPECT_EQ(sound->frameCount, 0);
    EXPECT_TRUE(sound->samples.empty());
    EXPECT_EQ(sound->sampleRate, 48000.0f);
}

// AIFF-C (here sox's float files) is another form type and is not read.
TEST(AiffFileFromSoxInAifcForm, IsRefused) {
    RIMBA_REQUIRE_SOX();
    TempFolder folder;
    const std::string made = folder / "float.aifc";
    ASSERT_TRUE(makeSoxFile(made, Encoding::Float32, 1, 44100, kSeconds));
    const std::vector<std::uint8_t> bytes = readBytes(made);
    ASSERT_GE(bytes.size(), 12u);
    ASSERT_EQ(std::string(bytes.begin() + 8, bytes.begin() + 12), "AIFC");
    const std::string path = folder / "float.aif";
    writeBytes(path, bytes);

    EXPECT_FALSE(loadSoundFile(path).has_value());
}

}  // namespace
}  // namespace rimba
