// The 16-bit conversion of the ALSA path and the listed-name rule of the device menus.

#include <gtest/gtest.h>

#include <limits>

#include "StandAlone/devices/AudioOutput.h"

namespace rimba::standalone {
namespace {

TEST(Sample16, ClampsThenTruncatesTheScaledValueTowardZero) {
    const struct {
        float value;
        std::int16_t expected;
    } cases[] = {
        {1.5f, 32767},
        {-1.5f, -32768},
        {1.0f, 32767},
        {-1.0f, -32768},
        {0.0f, 0},
        {0.5f, 16383},
        {-0.5f, -16384},
        {0.25f, 8191},
        {2.0f / 32767, 1},
        {1.0f / 32767, 0},
        {-1e30f, -32768},
        {std::numeric_limits<float>::infinity(), 32767},
        {std::numeric_limits<float>::quiet_NaN(), 0},
    };
    for (const auto& sample : cases)
        EXPECT_EQ(toSample16(sample.value), sample.expected) << sample.value;
}

TEST(ListedName, NamesOfThirtyTwoCharactersOrMoreKeepTwentyEightAndAnEllipsis) {
    const std::string thirtyOne(31, 'a');
    const struct {
        std::string name, listed;
    } cases[] = {
        {"", ""},
        {"default", "default"},
        {thirtyOne, thirtyOne},
        {thirtyOne + "b", std::string(28, 'a') + "..."},
        {"0123456789012345678901234567890123456789", "0123456789012345678901234567..."},
    };
    for (const auto& device : cases)
        EXPECT_EQ(listedName(device.name), device.listed) << device.name;
}

}  // namespace
}  // namespace rimba::standalone
