// Hand-made AIFF files and extended-float rates, every byte written here.

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

ReadResult readAiff(const std::vector<std::uint8_t>& bytes) {
    ReadResult read;
    read.result = readAiffSound(read.sound, bytes.data(), bytes.size());
    return read;
}

std::vector<std::uint8_t> bigShorts(std::initializer_list<std::int16_t> values) {
    ByteBuilder data;
    for (const std::int16_t value : values) {
        data.be16(static_cast<std::uint16_t>(value));
    }
    return data.bytes;
}

TEST(AiffReaderEightBit, MonoSample127LoadsAtHalfLevelAs16255) {
    // 127 << 8 = 32512; 32512 / 65536 = 0.49609375; * 32767.5 = 16255.75 -> 16255.
    const ReadResult read = readAiff(aiffFile({1, 8, 22050, 0}, {0x7F, 0x80, 0x00, 0x01, 0xFF}));

    ASSERT_EQ(read.result, 1);
    // -128 << 8 = -32768 -> -0.5 * 32767.5 = -16383.75; 1 << 8 -> 127.99; -1 << 8 -> -127.99.
    EXPECT_EQ(read.sound.samples, (std::vector<std::int16_t>{16255, -16383, 0, 127, -127}));
    EXPECT_EQ(read.sound.sampleRate, 22050.0f);
}

TEST(AiffReaderEightBit, StereoIsAveragedAtFullLevel) {
    const ReadResult read = readAiff(aiffFile({2, 8, 44100, 0}, {0x7F, 0x7F, 0x80, 0x00}));

    ASSERT_EQ(read.result, 1);
    EXPECT_EQ(read.sound.samples,
              (std::vector<std::int16_t>{mixToMono({127 * 256, 127 * 256}), mixToMono({-128 * 256, 0})}));
    EXPECT_EQ(read.sound.samples[0], 32511);  // 65024 / 65536 * 32767.5 = 32511.5
}

TEST(AiffReaderSixteenBit, MonoIsByteSwappedUnchanged) {
    const ReadResult read = readAiff(aiffFile({1, 16, 44100, 0}, bigShorts({-32768, 32767, 258, -2})));

    ASSERT_EQ(read.result, 1);
    EXPECT_EQ(read.sound.samples, (std::vector<std::int16_t>{-32768, 32767, 258, -2}));
}

TEST(AiffReaderSixteenBit, StereoIsTheMeanOfLeftAndRight) {
    const ReadResult read = readAiff(aiffFile({2, 16, 44100, 0}, bigShorts({1000, 2000, -32768, -32768})));

    ASSERT_EQ(read.result, 1);
    EXPECT_EQ(read.sound.samples, (std::vector<std::int16_t>{mixToMono({1000, 2000}), -32767}));
}

TEST(AiffReaderTwentyFourBit, MonoScalesTheHighBytesBy32767Point5Over32768) {
    ByteBuilder data;
    data.be24(0x7FFFFF).be24(0x800000).be24(0x000100).be24(0x123456);

    const ReadResult read = readAiff(aiffFile({1, 24, 48000, 0}, data.bytes));

    ASSERT_EQ(read.result, 1);
    // 32767 * 32767.5 / 32768 = 32766.0002; -32768 -> -32767.5; 1 -> 0.99998; 0x1234 = 4660 -> 4659.93.
    EXPECT_EQ(read.sound.samples, (std::vector<std::int16_t>{32766, -32767, 0, 4659}));
    EXPECT_EQ(read.sound.sampleRate, 48000.0f);
}

TEST(AiffReaderTwentyFourBit, StereoAveragesTheHighBytes) {
    ByteBuilder data;
    data.be24(0x7FFFFF).be24(0x7FFFFF).be24(0x123456).be24(0xFEDCBA);

    const ReadResult read = readAiff(aiffFile({2, 24, 44100, 0}, data.bytes));

    ASSERT_EQ(read.result, 1);
    EXPECT_EQ(read.sound.samples, (std::vector<std::int16_t>{mixToMono({0x7FFF, 0x7FFF}), mixToMono({0x1234, -292})}));
}

TEST(AiffReaderOtherSizes, ThirtyTwoBitLoadsWithZeroFrames) {
    ByteBuilder data;
    data.be32(0x12345678).be32(0x9ABCDEF0);

    const ReadResult read = readAiff(aiffFile({1, 32, 96000, 0}, data.bytes));

    EXPECT_EQ(read.result, 1);
    EXPECT_EQ(read.sound.frameCount, 0);
    EXPECT_TRUE(read.sound.samples.empty());
    EXPECT_EQ(read.sound.sampleRate, 96000.0f);
}

TEST(AiffReaderOtherSizes, LeaveTheSamplesOfTheRecordUntouched) {
    ReadResult read;
    read.sound.samples = {5, 6, 7};
    read.sound.frameCount = 3;
    const std::vector<std::uint8_t> bytes = aiffFile({1, 12, 44100, 0}, {1, 2, 3, 4});

    EXPECT_EQ(readAiffSound(read.sound, bytes.data(), bytes.size()), 1);
    EXPECT_EQ(read.sound.samples, (std::vector<std::int16_t>{5, 6, 7}));
    EXPECT_EQ(read.sound.frameCount, 3);
}

TEST(AiffReaderRefusals, NonZeroSoundDataOffsetIsRefused) {
    EXPECT_EQ(readAiff(aiffFile({1, 16, 44100, 4}, bigShorts({1, 2, 3, 4}))).result, 0);
}

TEST(AiffReaderRefusals, FormSizeOfZeroOrNegativeIsRefused) {
    std::vector<std::uint8_t> bytes = aiffFile({1, 16, 44100, 0}, bigShorts({1, 2, 3, 4}));
    bytes[4] = bytes[5] = bytes[6] = bytes[7] = 0;
    EXPECT_EQ(readAiff(bytes).result, 0);
    bytes[4] = 0x80;
    EXPECT_EQ(readAiff(bytes).result, 0);
    bytes[4] = 0x7F;
    EXPECT_EQ(readAiff(bytes).result, 1);
}

TEST(AiffReaderRefusals, OtherFormTypeOrTagIsRefused) {
    const std::vector<std::uint8_t> good = aiffFile({1, 16, 44100, 0}, bigShorts({1, 2}));
    std::vector<std::uint8_t> aifc = good;
    aifc[11] = 'C';
    std::vector<std::uint8_t> riff = good;
    riff[0] = 'R';
    EXPECT_EQ(readAiff(good).result, 1);
    EXPECT_EQ(readAiff(aifc).result, 0);
    EXPECT_EQ(readAiff(riff).result, 0);
}

TEST(AiffReaderRefusals, MissingCommonOrSoundChunkIsRefused) {
    std::vector<std::uint8_t> noCommon = aiffFile({1, 16, 44100, 0}, bigShorts({1, 2, 3, 4}));
    noCommon[12] = 'X';
    std::vector<std::uint8_t> noSound = aiffFile({1, 16, 44100, 0}, bigShorts({1, 2, 3, 4}));
    noSound[38] = 'X';  // FORM header 12 bytes + COMM chunk 26 bytes
    EXPECT_EQ(readAiff(noCommon).result, 0);
    EXPECT_EQ(readAiff(noSound).result, 0);
}

TEST(AiffReaderRefusals, FileOf38BytesOrLessIsRefused) {
    ByteBuilder file;
    file.tag("FORM").be32(30).tag("AIFF").tag("COMM").be32(18).be16(1).be32(0).be16(16);
    file.append(extendedBytesOf(44100));
    ASSERT_EQ(file.bytes.size(), 38u);
    EXPECT_EQ(readAiff(file.bytes).result, 0);
}

TEST(AiffReaderData, ChunksBetweenCommonAndSoundAreSkipped) {
    ByteBuilder file;
    file.tag("FORM").be32(100).tag("AIFF").tag("COMM").be32(18).be16(1).be32(2).be16(16);
    file.append(extendedBytesOf(11025));
    file.tag("MARK").be32(2).be16(0).tag("SSND").be32(12).be32(0).be32(0).append(bigShorts({-5, 6}));

    const ReadResult read = readAiff(file.bytes);

    ASSERT_EQ(read.result, 1);
    EXPECT_EQ(read.sound.samples, (std::vector<std::int16_t>{-5, 6}));
    EXPECT_EQ(read.sound.sampleRate, 11025.0f);
}

TEST(AiffReaderData, SizePastTheEndIsClippedToTheBytesPresent) {
    const ReadResult read = readAiff(aiffFile({1, 16, 44100, 0}, bigShorts({1, 2, 3}), 0xFFFFFFFFu));

    ASSERT_EQ(read.result, 1);
    EXPECT_EQ(read.sound.samples, (std::vector<std::int16_t>{1, 2, 3}));
}

TEST(AiffReaderData, ChunkSizeBelowEightGivesNoFrames) {
    const ReadResult read = readAiff(aiffFile({1, 16, 44100, 0}, bigShorts({1, 2, 3}), 4));

    ASSERT_EQ(read.result, 1);
    EXPECT_EQ(read.sound.frameCount, 0);
}

// --- extendedToDouble ------------------------------------------------------------------------

double extended(const std::vector<std::uint8_t>& bytes) { return extendedToDouble(bytes.data()); }

TEST(ExtendedToDouble, StandardRatesDecodeExactly) {
    // The bytes every AIFF file at 44100 Hz carries.
    EXPECT_EQ(extended({0x40, 0x0E, 0xAC, 0x44, 0, 0, 0, 0, 0, 0}), 44100.0);
    EXPECT_EQ(extended({0x40, 0x0E, 0xBB, 0x80, 0, 0, 0, 0, 0, 0}), 48000.0);
    for (const std::uint64_t rate : {1ull, 8000ull, 11025ull, 22050ull, 96000ull, 192000ull}) {
        EXPECT_EQ(extended(extendedBytesOf(rate)), static_cast<double>(rate)) << rate;
    }
}

TEST(ExtendedToDouble, AllZeroIsZero) { EXPECT_EQ(extended(std::vector<std::uint8_t>(10, 0)), 0.0); }

TEST(ExtendedToDouble, LargestExponentIsPositiveInfinityWhateverTheSign) {
    EXPECT_EQ(extended({0x7F, 0xFF, 0x80, 0, 0, 0, 0, 0, 0, 0}), std::numeric_limits<double>::infinity());
    EXPECT_EQ(extended({0xFF, 0xFF, 0, 0, 0, 0, 0, 0, 0, 0}), std::numeric_limits<double>::infinity());
}

TEST(ExtendedToDouble, SignBitIsIgnored) { EXPECT_EQ(extended({0xC0, 0x0E, 0xAC, 0x44, 0, 0, 0, 0, 0, 0}), 44100.0); }

TEST(ExtendedToDouble, FractionsAndTheLowMantissaCount) {
    EXPECT_EQ(extended({0x3F, 0xFE, 0x80, 0, 0, 0, 0, 0, 0, 0}), 0.5);
    // Low mantissa bit 23 weighs 2^(23 - 63) at exponent 0: 1 + 2^-40.
    EXPECT_EQ(extended({0x3F, 0xFF, 0x80, 0, 0, 0, 0, 0x80, 0, 0}), 1.0 + std::ldexp(1.0, -40));
}

}  // namespace
}  // namespace rimba
