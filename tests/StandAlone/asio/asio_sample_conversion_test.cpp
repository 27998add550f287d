// The conversions into an ASIO driver's sample types, value by value: each row's bytes are
// worked out by hand (clamp, truncate(x * 32767.505859375 - 0.5) for 16 bits, truncate(x * 8388608
// - 0.5) for 24 significant bits, shifted into 32-bit containers), in the order they lie in the
// driver's buffer.

#include "StandAlone/devices/win32/AsioSampleConversion.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <sstream>
#include <string>
#include <vector>

namespace rimba::standalone {
namespace {

namespace st = asio::sample_type;

std::vector<std::uint8_t> bytesOf(const std::string& hex) {
    std::vector<std::uint8_t> bytes;
    std::istringstream in(hex);
    unsigned value = 0;
    while (in >> std::hex >> value)
        bytes.push_back(static_cast<std::uint8_t>(value));
    return bytes;
}

struct Row {
    asio::SampleType type;
    float value;
    const char* bytes;  // in buffer order
};

const Row kRows[] = {
    {st::kInt16LSB, 1.5f, "ff 7f"},
    {st::kInt16LSB, -1.5f, "00 80"},
    {st::kInt16LSB, 0.0f, "00 00"},
    {st::kInt16LSB, 0.25f, "ff 1f"},
    {st::kInt16LSB, -0.25f, "00 e0"},
    {st::kInt16LSB, 1e-4f, "02 00"},
    {st::kInt16MSB, 1.5f, "7f ff"},
    {st::kInt16MSB, -0.25f, "e0 00"},
    {st::kInt24LSB, 1.5f, "ff ff 7f"},
    {st::kInt24LSB, -1.5f, "00 00 80"},
    {st::kInt24LSB, 0.0f, "00 00 00"},
    {st::kInt24LSB, 0.25f, "ff ff 1f"},
    {st::kInt24LSB, -0.25f, "00 00 e0"},
    {st::kInt24LSB, 1e-4f, "46 03 00"},
    {st::kInt24MSB, 1.5f, "7f ff ff"},
    {st::kInt24MSB, 1e-4f, "00 03 46"},
    {st::kInt32LSB, 1.5f, "00 ff ff 7f"},
    {st::kInt32LSB, -1.5f, "00 00 00 80"},
    {st::kInt32LSB, 0.25f, "00 ff ff 1f"},
    {st::kInt32LSB, 1e-4f, "00 46 03 00"},
    {st::kInt32MSB, -0.25f, "e0 00 00 00"},
    {st::kInt32MSB, 1.5f, "7f ff ff 00"},
    {st::kInt32LSB16, 1.5f, "ff 7f 00 00"},
    {st::kInt32LSB16, -1.5f, "00 80 ff ff"},
    {st::kInt32LSB16, -0.25f, "00 e0 ff ff"},
    {st::kInt32LSB18, 1.5f, "ff ff 01 00"},
    {st::kInt32LSB18, -1.5f, "00 00 fe ff"},
    {st::kInt32LSB20, 1.5f, "ff ff 07 00"},
    {st::kInt32LSB20, -1.5f, "00 00 f8 ff"},
    {st::kInt32LSB24, 1.5f, "ff ff 7f 00"},
    {st::kInt32LSB24, -1.5f, "00 00 80 ff"},
    {st::kInt32MSB16, -1.5f, "ff ff 80 00"},
    {st::kInt32MSB18, 1.5f, "00 01 ff ff"},
    {st::kInt32MSB20, -1.5f, "ff f8 00 00"},
    {st::kInt32MSB24, 0.25f, "00 1f ff ff"},
    // Floats are copied as they are, beyond full scale too.
    {st::kFloat32LSB, 1.5f, "00 00 c0 3f"},
    {st::kFloat32LSB, -1.5f, "00 00 c0 bf"},
    {st::kFloat32LSB, 0.25f, "00 00 80 3e"},
    {st::kFloat32MSB, 1.5f, "3f c0 00 00"},
    // Doubles are clamped first.
    {st::kFloat64LSB, 1.5f, "00 00 00 00 00 00 f0 3f"},
    {st::kFloat64LSB, -1.5f, "00 00 00 00 00 00 f0 bf"},
    {st::kFloat64LSB, 0.25f, "00 00 00 00 00 00 d0 3f"},
    {st::kFloat64MSB, -0.25f, "bf d0 00 00 00 00 00 00"},
    // Not-a-number is silence in integer buffers.
    {st::kInt16LSB, std::numeric_limits<float>::quiet_NaN(), "00 00"},
    {st::kInt24MSB, std::numeric_limits<float>::quiet_NaN(), "00 00 00"},
    {st::kInt32LSB20, std::numeric_limits<float>::quiet_NaN(), "00 00 00 00"},
};

TEST(AsioSampleConversion, EachTypeWritesItsBytesInItsOrder) {
    for (const Row& row : kRows) {
        SCOPED_TRACE(testing::Message() << "type " << row.type << ", value " << row.value);
        const std::vector<std::uint8_t> expected = bytesOf(row.bytes);
        ASSERT_EQ(asioSampleBytes(row.type), static_cast<int>(expected.size()));
        // Three samples, so that a conversion that steps wrongly through the buffer shows.
        const float samples[3] = {row.value, row.value, row.value};
        std::vector<std::uint8_t> buffer(expected.size() * 3 + 1, 0x5A);
        ASSERT_TRUE(writeAsioSamples(row.type, samples, buffer.data(), 3));
        for (int sample = 0; sample < 3; ++sample)
            EXPECT_EQ(std::vector<std::uint8_t>(buffer.begin() + sample * static_cast<long>(expected.size()),
                                                buffer.begin() + (sample + 1) * static_cast<long>(expected.size())),
                      expected)
                << "sample " << sample;
        EXPECT_EQ(buffer.back(), 0x5A) << "written past the frames asked for";
    }
}

TEST(AsioSampleConversion, NotANumberPassesThroughFloatAndDoubleBuffers) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    float single = 0.0f;
    ASSERT_TRUE(writeAsioSamples(st::kFloat32LSB, &nan, &single, 1));
    EXPECT_TRUE(std::isnan(single));
    double wide = 0.0;
    ASSERT_TRUE(writeAsioSamples(st::kFloat64LSB, &nan, &wide, 1));
    EXPECT_TRUE(std::isnan(wide));
}

TEST(AsioSampleConversion, TypesThisHostDoesNotWriteLeaveTheBufferAlone) {
    // The DSD types (1-bit in 8-bit bytes, least and most significant first, and 8-bit
    // noise-shaped), the codes between the families and one past them.
    const asio::SampleType unwritten[] = {32, 33, 40, 5, 12, 21, 28, -1};
    const float samples[4] = {0.5f, -0.5f, 1.0f, -1.0f};
    for (const asio::SampleType type : unwritten) {
        SCOPED_TRACE(type);
        std::vector<std::uint8_t> buffer(64, 0xA5);
        EXPECT_EQ(asioSampleBytes(type), 0);
        EXPECT_FALSE(writeAsioSamples(type, samples, buffer.data(), 4));
        EXPECT_EQ(buffer, std::vector<std::uint8_t>(64, 0xA5));
    }
}

}  // namespace
}  // namespace rimba::standalone
