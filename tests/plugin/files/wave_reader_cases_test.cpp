// Hand-made WAV files, every header field and sample written here, for the cases sox does not
// make: clamping, block align against the bits field, missing chunks, other format tags.

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "SoundFixtures.h"
#include "plugin/files/SoundReader.h"

namespace rimba {
namespace {

using namespace files::fixtures;

struct ReadResult {
    std::int32_t result = -1;
    Sound sound;
};

ReadResult readWave(const std::vector<std::uint8_t>& bytes) {
    ReadResult read;
    read.result = readWaveSound(read.sound, bytes.data(), bytes.size());
    return read;
}

std::vector<std::uint8_t> floats(std::initializer_list<float> values) {
    ByteBuilder data;
    for (const float value : values) {
        data.leFloat(value);
    }
    return data.bytes;
}

std::vector<std::uint8_t> shorts(std::initializer_list<std::int16_t> values) {
    ByteBuilder data;
    for (const std::int16_t value : values) {
        data.le16(static_cast<std::uint16_t>(value));
    }
    return data.bytes;
}

const WaveLayout kStereoFloat{3, 2, 44100, 8, 32};
const WaveLayout kMonoFloat{3, 1, 44100, 4, 32};

TEST(WaveReaderFloat, StereoAtThreeQuartersOnBothChannelsGives16383) {
    // 0.75 + 0.75 = 1.5, clamped to 1.0 before the scaling: 1.0 * 16383.5 = 16383.5 -> 16383.
    const ReadResult read = readWave(waveFile(kStereoFloat, floats({0.75f, 0.75f, -0.75f, -0.75f})));

    ASSERT_EQ(read.result, 1);
    EXPECT_EQ(read.sound.samples, (std::vector<std::int16_t>{16383, -16383}));
}

TEST(WaveReaderFloat, StereoChannelsAreSummedNotAveraged) {
    // 0.25 + 0.5 = 0.75; 0.75 * 16383.5 = 12287.625 -> 12287.
    const ReadResult read = readWave(waveFile(kStereoFloat, floats({0.25f, 0.5f})));

    ASSERT_EQ(read.result, 1);
    EXPECT_EQ(read.sound.samples, (std::vector<std::int16_t>{12287}));
}

TEST(WaveReaderFloat, MonoFullScaleGives32767AndMinus32767) {
    // 1.0 * 32767.5 -> 32767; beyond full scale is clamped first; 0.5 * 32767.5 = 16383.75.
    const ReadResult read = readWave(waveFile(kMonoFloat, floats({1.0f, -1.0f, 2.0f, -3.0f, 0.5f, -0.5f, 0.0f})));

    ASSERT_EQ(read.result, 1);
    EXPECT_EQ(read.sound.samples, (std::vector<std::int16_t>{32767, -32767, 32767, -32767, 16383, -16383, 0}));
}

TEST(WaveReaderFloat, NotANumberPlaysAsSilenceAndInfinityAsFullScale) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float infinity = std::numeric_limits<float>::infinity();
    const ReadResult read = readWave(waveFile(kMonoFloat, floats({nan, infinity, -infinity})));

    ASSERT_EQ(read.result, 1);
    EXPECT_EQ(read.sound.samples, (std::vector<std::int16_t>{0, 32767, -32767}));
}

TEST(WaveReaderTwentyFourBit, MonoIsRecognisedByBlockAlignThreeNotByTheBitsField) {
    // The bits field says 16, the block align says three bytes a frame.
    const WaveLayout layout{1, 1, 44100, 3, 16};
    ByteBuilder data;
    const std::uint32_t written[] = {0x123456, 0xFEDCBA, 0x7FFFFF, 0x800000};
    for (const std::uint32_t value : written) {
        data.le24(value);
    }

    const ReadResult read = readWave(waveFile(layout, data.bytes));

    ASSERT_EQ(read.result, 1);
    std::vector<std::int16_t> expected;
    for (const std::uint32_t value : written) {
        expected.push_back(static_cast<std::int16_t>(value >> 8));  // the two high bytes
    }
    EXPECT_EQ(read.sound.samples, expected);
}

TEST(WaveReaderTwentyFourBit, BitsFieldOf24WithBlockAlignTwoIsReadAsSixteenBit) {
    const WaveLayout layout{1, 1, 44100, 2, 24};
    const ReadResult read = readWave(waveFile(layout, shorts({1, -2, 300})));

    ASSERT_EQ(read.result, 1);
    EXPECT_EQ(read.sound.samples, (std::vector<std::int16_t>{1, -2, 300}));
}

TEST(WaveReaderTwentyFourBit, StereoAveragesTheHighBytesOfBothChannels) {
    const WaveLayout layout{1, 2, 44100, 6, 24};
    ByteBuilder data;
    data.le24(0x7FFFFF).le24(0x7FFFFF).le24(0x100000).le24(0xF00000);

    const ReadResult read = readWave(waveFile(layout, data.bytes));

    ASSERT_EQ(read.result, 1);
    // (32767 + 32767) / 65536 * 32767.5 = 32766.5 -> 32766; 0x1000 and -0x1000 cancel out.
    EXPECT_EQ(read.sound.samples, (std::vector<std::int16_t>{32766, 0}));
}

TEST(WaveReaderSixteenBit, StereoIsTheMeanOfLeftAndRight) {
    const WaveLayout layout{1, 2, 44100, 4, 16};
    const ReadResult read = readWave(waveFile(layout, shorts({32767, 32767, -32768, -32768, 100, 300, -7, 4})));

    ASSERT_EQ(read.result, 1);
    std::vector<std::int16_t> expected = {mixToMono({32767, 32767}), mixToMono({-32768, -32768}), mixToMono({100, 300}),
                                          mixToMono({-7, 4})};
    EXPECT_EQ(read.sound.samples, expected);
    // Spelled out: -65536 / 65536 * 32767.5 = -32767.5 -> -32767; 400 / 65536 * 32767.5 = 199.99.
    EXPECT_EQ(read.sound.samples[1], -32767);
    EXPECT_EQ(read.sound.samples[2], 199);
}

TEST(WaveReaderSixteenBit, MonoIsCopiedUnchanged) {
    const ReadResult read = readWave(waveFile(WaveLayout{}, shorts({-32768, 32767, 0, -1, 12345})));

    ASSERT_EQ(read.result, 1);
    EXPECT_EQ(read.sound.frameCount, 5);
    EXPECT_EQ(read.sound.samples, (std::vector<std::int16_t>{-32768, 32767, 0, -1, 12345}));
    EXPECT_EQ(read.sound.sampleRate, 44100.0f);
}

TEST(WaveReaderRealWidth, EightBitIsUnsignedAroundHalfScale) {
    const WaveLayout layout{1, 1, 8000, 1, 8};
    const ReadResult read = readWave(waveFile(layout, {0, 128, 255, 1, 200}));

    ASSERT_EQ(read.result, 1);
    EXPECT_EQ(read.sound.samples, (std::vector<std::int16_t>{-32768, 0, 32512, -32512, 72 * 256}));
    EXPECT_EQ(read.sound.sampleRate, 8000.0f);
}

TEST(WaveReaderRealWidth, EightBitStereoIsAveraged) {
    const WaveLayout layout{1, 2, 8000, 2, 8};
    const ReadResult read = readWave(waveFile(layout, {255, 255, 0, 128}));

    ASSERT_EQ(read.result, 1);
    EXPECT_EQ(read.sound.samples,
              (std::vector<std::int16_t>{mixToMono({127 * 256, 127 * 256}), mixToMono({-128 * 256, 0})}));
}

TEST(WaveReaderRealWidth, ThirtyTwoBitTakesTheHighSixteenBits) {
    const WaveLayout layout{1, 1, 44100, 4, 32};
    ByteBuilder data;
    data.le32(0x7FFFFFFF).le32(0x80000000).le32(0x00010000).le32(0xFFFF0000).le32(0x0000FFFF);

    const ReadResult read = readWave(waveFile(layout, data.bytes));

    ASSERT_EQ(read.result, 1);
    EXPECT_EQ(read.sound.samples, (std::vector<std::int16_t>{32767, -32768, 1, -1, 0}));
}

TEST(WaveReaderRealWidth, FourChannelsAreAveragedToMono) {
    const WaveLayout layout{1, 4, 44100, 8, 16};
    const ReadResult read = readWave(waveFile(layout, shorts({32767, 32767, 32767, 32767, 1000, -1000, 3, 5})));

    ASSERT_EQ(read.result, 1);
    // 4 * 32767 / (4 * 32768) * 32767.5 = 32766.5 -> 32766; 8 / 131072 * 32767.5 = 1.99 -> 1.
    EXPECT_EQ(read.sound.samples, (std::vector<std::int16_t>{32766, 1}));
}

TEST(WaveReaderExtensible, PcmSubFormatReadsAsPcm) {
    const WaveLayout layout{0, 2, 48000, 4, 16};
    const ReadResult read = readWave(extensibleWaveFile(layout, 1, shorts({1000, 3000, -5, -5})));

    ASSERT_EQ(read.result, 1);
    EXPECT_EQ(read.sound.samples, (std::vector<std::int16_t>{mixToMono({1000, 3000}), mixToMono({-5, -5})}));
    EXPECT_EQ(read.sound.sampleRate, 48000.0f);
}

TEST(WaveReaderExtensible, FloatSubFormatReadsAsFloat) {
    const WaveLayout layout{0, 1, 96000, 4, 32};
    const ReadResult read = readWave(extensibleWaveFile(layout, 3, floats({0.5f, -1.0f})));

    ASSERT_EQ(read.result, 1);
    EXPECT_EQ(read.sound.samples, (std::vector<std::int16_t>{16383, -32767}));
    EXPECT_EQ(read.sound.sampleRate, 96000.0f);
}

TEST(WaveReaderExtensible, OtherSubFormatIsRefused) {
    const WaveLayout layout{0, 1, 44100, 2, 16};
    EXPECT_EQ(readWave(extensibleWaveFile(layout, 2, shorts({1, 2}))).result, 0);
}

TEST(WaveReaderFormat, OtherFormatTagIsRefusedAndLeavesTheSoundAlone) {
    const WaveLayout layout{2, 1, 22050, 2, 16};  // ADPCM
    ReadResult read;
    read.sound.samples = {7, 8};
    read.sound.frameCount = 2;
    const std::vector<std::uint8_t> bytes = waveFile(layout, shorts({1, 2}));

    EXPECT_EQ(readWaveSound(read.sound, bytes.data(), bytes.size()), 0);
    EXPECT_EQ(read.sound.samples, (std::vector<std::int16_t>{7, 8}));
    EXPECT_EQ(read.sound.sampleRate, 44100.0f);
}

TEST(WaveReaderFormat, WithoutWaveAtOffsetEightIsRefused) {
    std::vector<std::uint8_t> bytes = waveFile(WaveLayout{}, shorts({1}));
    bytes[8] = 'w';
    EXPECT_EQ(readWave(bytes).result, 0);
}

TEST(WaveReaderFormat, RiffTagAndSizeAreIgnored) {
    std::vector<std::uint8_t> bytes = waveFile(WaveLayout{}, shorts({4, 5}));
    for (int i = 0; i < 8; ++i) {
        bytes[i] = 0;
    }
    const ReadResult read = readWave(bytes);
    ASSERT_EQ(read.result, 1);
    EXPECT_EQ(read.sound.samples, (std::vector<std::int16_t>{4, 5}));
}

// "fmt" in a chunk before the real one is passed over when the tag eight bytes after it is not
// PCM or float; the search goes on byte by byte.
TEST(WaveReaderFormat, FmtTextInAnEarlierChunkIsPassedOver) {
    ByteBuilder file;
    file.tag("RIFF").le32(0).tag("WAVE").tag("LIST").le32(12).tag("fmt?").le32(0).le16(0x55).le16(0);
    const std::vector<std::uint8_t> real = waveFile(WaveLayout{1, 1, 32000, 2, 16}, shorts({9, -9}));
    file.bytes.insert(file.bytes.end(), real.begin() + 12, real.end());

    const ReadResult read = readWave(file.bytes);

    ASSERT_EQ(read.result, 1);
    EXPECT_EQ(read.sound.sampleRate, 32000.0f);
    EXPECT_EQ(read.sound.samples, (std::vector<std::int16_t>{9, -9}));
}

TEST(WaveReaderData, MissingDataChunkLoadsWithZeroFrames) {
    ByteBuilder file;
    file.tag("RIFF").le32(28).tag("WAVE").tag("fmt ").le32(16).le16(1).le16(1).le32(22050);
    file.le32(44100).le16(2).le16(16);
    file.tag("LIST").le32(4).tag("INFO");

    const ReadResult read = readWave(file.bytes);

    EXPECT_EQ(read.result, 1);
    EXPECT_EQ(read.sound.frameCount, 0);
    EXPECT_TRUE(read.sound.samples.empty());
    EXPECT_EQ(read.sound.sampleRate, 22050.0f);
}

TEST(WaveReaderData, ChunksBetweenFormatAndDataAreSkipped) {
    ByteBuilder file;
    file.tag("RIFF").le32(0).tag("WAVE").tag("fmt ").le32(16).le16(1).le16(1).le32(44100);
    file.le32(88200).le16(2).le16(16);
    file.tag("fact").le32(4).le32(3).tag("data").le32(6).append(shorts({-3, 2, 1}));

    const ReadResult read = readWave(file.bytes);

    ASSERT_EQ(read.result, 1);
    EXPECT_EQ(read.sound.samples, (std::vector<std::int16_t>{-3, 2, 1}));
}

TEST(WaveReaderData, SizePastTheEndIsClippedToTheBytesPresent) {
    const ReadResult read = readWave(waveFile(WaveLayout{}, shorts({1, 2, 3, 4, 5}), 0xFFFFFFFFu));

    ASSERT_EQ(read.result, 1);
    EXPECT_EQ(read.sound.samples, (std::vector<std::int16_t>{1, 2, 3, 4, 5}));
}

TEST(WaveReaderData, SizeShorterThanTheFileKeepsOnlyThoseBytes) {
    const ReadResult read = readWave(waveFile(WaveLayout{}, shorts({1, 2, 3, 4, 5}), 5));

    ASSERT_EQ(read.result, 1);
    EXPECT_EQ(read.sound.samples, (std::vector<std::int16_t>{1, 2}));  // a half frame is dropped
}

}  // namespace
}  // namespace rimba
