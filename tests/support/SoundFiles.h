#pragma once
// The tests' one set of sound file builders: files put together field by field with an explicit
// byte order (never by the writer under test), and sample runs to fill them.

#include <algorithm>
#include <bit>
#include <cstdint>
#include <optional>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "tests/support/TempFolder.h"

namespace rimba::test {

// Builds files field by field with an explicit byte order.
class ByteBuilder {
public:
    ByteBuilder& tag(std::string_view text) {
        bytes.insert(bytes.end(), text.begin(), text.end());
        return *this;
    }
    ByteBuilder& u8(std::uint8_t value) {
        bytes.push_back(value);
        return *this;
    }
    ByteBuilder& le16(std::uint16_t value) { return little(value, 2); }
    ByteBuilder& le24(std::uint32_t value) { return little(value, 3); }
    ByteBuilder& le32(std::uint32_t value) { return little(value, 4); }
    ByteBuilder& leFloat(float value) { return little(std::bit_cast<std::uint32_t>(value), 4); }
    ByteBuilder& be16(std::uint16_t value) { return big(value, 2); }
    ByteBuilder& be24(std::uint32_t value) { return big(value, 3); }
    ByteBuilder& be32(std::uint32_t value) { return big(value, 4); }
    ByteBuilder& append(const std::vector<std::uint8_t>& more) {
        bytes.insert(bytes.end(), more.begin(), more.end());
        return *this;
    }

    std::vector<std::uint8_t> bytes;

private:
    ByteBuilder& little(std::uint32_t value, int count) {
        for (int i = 0; i < count; ++i) {
            bytes.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
        }
        return *this;
    }
    ByteBuilder& big(std::uint32_t value, int count) {
        for (int i = count - 1; i >= 0; --i) {
            bytes.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
        }
        return *this;
    }
};

// `count` samples from a fixed seed, the first and last at the extremes of the range.
inline std::vector<std::int16_t> seededSamples(std::size_t count) {
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

struct WaveLayout {
    std::uint16_t formatTag = 1;
    std::uint16_t channels = 1;
    std::uint32_t rate = 44100;
    std::uint16_t blockAlign = 2;
    std::uint16_t bits = 16;
};

// RIFF, a 16-byte "fmt " chunk and a "data" chunk declaring `dataSize` bytes (by default the
// size of `data`).
inline std::vector<std::uint8_t> waveFile(const WaveLayout& layout, const std::vector<std::uint8_t>& data,
                                          std::optional<std::uint32_t> dataSize = std::nullopt) {
    ByteBuilder file;
    file.tag("RIFF").le32(static_cast<std::uint32_t>(36 + data.size())).tag("WAVE");
    file.tag("fmt ").le32(16).le16(layout.formatTag).le16(layout.channels).le32(layout.rate);
    file.le32(layout.rate * layout.blockAlign).le16(layout.blockAlign).le16(layout.bits);
    file.tag("data").le32(dataSize.value_or(static_cast<std::uint32_t>(data.size()))).append(data);
    return file.bytes;
}

// WAVE_FORMAT_EXTENSIBLE: a 40-byte "fmt " chunk whose sub-format GUID starts with `subFormat`
// (the remaining GUID bytes are the standard KSDATAFORMAT suffix).
inline std::vector<std::uint8_t> extensibleWaveFile(const WaveLayout& layout, std::uint16_t subFormat,
                                                    const std::vector<std::uint8_t>& data) {
    ByteBuilder file;
    file.tag("RIFF").le32(static_cast<std::uint32_t>(60 + data.size())).tag("WAVE");
    file.tag("fmt ").le32(40).le16(0xFFFE).le16(layout.channels).le32(layout.rate);
    file.le32(layout.rate * layout.blockAlign).le16(layout.blockAlign).le16(layout.bits);
    file.le16(22).le16(layout.bits).le32(0);
    file.le16(subFormat).le16(0x0000).le16(0x0010);
    for (const std::uint8_t byte : {0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71}) {
        file.u8(byte);
    }
    file.tag("data").le32(static_cast<std::uint32_t>(data.size())).append(data);
    return file.bytes;
}

// The 80-bit extended encoding of a whole number, written by hand for AIFF headers: the
// exponent puts the highest set bit at the top of the 64-bit mantissa.
inline std::vector<std::uint8_t> extendedBytesOf(std::uint64_t whole) {
    std::vector<std::uint8_t> bytes(10, 0);
    if (whole == 0) {
        return bytes;
    }
    int top = 63;
    while ((whole >> top) == 0) {
        --top;
    }
    const std::uint64_t mantissa = whole << (63 - top);
    const int exponent = 16383 + top;
    bytes[0] = static_cast<std::uint8_t>(exponent >> 8);
    bytes[1] = static_cast<std::uint8_t>(exponent);
    for (int i = 0; i < 8; ++i) {
        bytes[2 + i] = static_cast<std::uint8_t>(mantissa >> (56 - 8 * i));
    }
    return bytes;
}

struct AiffLayout {
    std::uint16_t channels = 1;
    std::uint16_t bits = 16;
    std::uint32_t rate = 44100;
    std::uint32_t soundDataOffset = 0;
};

// FORM/AIFF with an 18-byte "COMM" chunk and an "SSND" chunk declaring `ssndSize` bytes (by
// default 8 + the size of `data`).
inline std::vector<std::uint8_t> aiffFile(const AiffLayout& layout, const std::vector<std::uint8_t>& data,
                                          std::optional<std::uint32_t> ssndSize = std::nullopt) {
    const auto frameBytes = std::max(1, layout.channels * ((layout.bits + 7) / 8));
    ByteBuilder file;
    file.tag("FORM").be32(static_cast<std::uint32_t>(4 + 26 + 16 + data.size())).tag("AIFF");
    file.tag("COMM").be32(18).be16(layout.channels);
    file.be32(static_cast<std::uint32_t>(data.size() / frameBytes)).be16(layout.bits);
    file.append(extendedBytesOf(layout.rate));
    file.tag("SSND").be32(ssndSize.value_or(static_cast<std::uint32_t>(8 + data.size())));
    file.be32(layout.soundDataOffset).be32(0).append(data);
    return file.bytes;
}

// A mono 16-bit PCM WAV file of `samples` at `rate`, written to `path`.
inline void writeWave(const std::string& path, const std::vector<std::int16_t>& samples, std::uint32_t rate = 44100) {
    ByteBuilder data;
    for (const std::int16_t sample : samples)
        data.le16(static_cast<std::uint16_t>(sample));
    writeBytes(path, waveFile(WaveLayout{1, 1, rate, 2, 16}, data.bytes));
}

// A short decaying sound whose samples differ from one another, so a change in where or how it
// plays changes the output.
inline std::vector<std::int16_t> testSound(int frames, int seed) {
    std::vector<std::int16_t> samples;
    for (int i = 0; i < frames; ++i)
        samples.push_back(
            static_cast<std::int16_t>(((i * 7919 + seed * 104729) % 20001 - 10000) * (frames - i) / frames));
    return samples;
}

}  // namespace rimba::test
