#pragma once
// Helpers for the sound file tests: a temporary folder per test, files made by sox (an
// independent tool), their raw sample values as sox decodes them, and a byte builder for
// hand-made files whose every field the test writes itself.

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <random>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "tests/support/UniqueFolder.h"

namespace rimba::files::fixtures {

class TempFolder {
public:
    TempFolder() : root(::rimba::test::makeUniqueFolder("rimba-files")) {}
    ~TempFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(root, ignored);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::string& path() const { return root; }
    std::string operator/(const std::string& name) const { return ::rimba::test::below(root, name); }

private:
    std::string root;
};

inline std::vector<std::uint8_t> readBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void writeBytes(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!out) {
        throw std::runtime_error("cannot write " + path);
    }
}

// Runs a shell command quietly; true when it exited with status 0.
inline bool run(const std::string& command) {
    return std::system((command + " >/dev/null 2>&1").c_str()) == 0;
}

// The standard output of a shell command.
inline std::string outputOf(const std::string& command) {
    std::string output;
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) {
        return output;
    }
    char buffer[256];
    while (std::fgets(buffer, sizeof buffer, pipe) != nullptr) {
        output += buffer;
    }
    pclose(pipe);
    return output;
}

inline bool soxAvailable() {
    return run("sox --version");
}

// Fails the test (rather than skipping it) when sox is missing: these checks must run.
#define RIMBA_REQUIRE_SOX() ASSERT_TRUE(::rimba::files::fixtures::soxAvailable()) << "sox is not installed"

// Sample encodings as sox names them; the width is in bytes.
enum class Encoding { Unsigned8, Signed8, Signed16, Signed24, Signed32, Float32 };

inline int widthOf(Encoding encoding) {
    switch (encoding) {
    case Encoding::Unsigned8:
    case Encoding::Signed8:
        return 1;
    case Encoding::Signed16:
        return 2;
    case Encoding::Signed24:
        return 3;
    case Encoding::Signed32:
    case Encoding::Float32:
        return 4;
    }
    return 0;
}

inline std::string soxEncodingOptions(Encoding encoding) {
    const std::string bits = " -b " + std::to_string(widthOf(encoding) * 8);
    switch (encoding) {
    case Encoding::Unsigned8:
        return "-e unsigned" + bits;
    case Encoding::Float32:
        return "-e floating-point" + bits;
    default:
        return "-e signed" + bits;
    }
}

inline std::string encodingName(Encoding encoding) {
    switch (encoding) {
    case Encoding::Unsigned8:
        return "U8";
    case Encoding::Signed8:
        return "S8";
    case Encoding::Signed16:
        return "S16";
    case Encoding::Signed24:
        return "S24";
    case Encoding::Signed32:
        return "S32";
    case Encoding::Float32:
        return "F32";
    }
    return "";
}

// A different signal on every channel, noise on the first so that the whole range appears.
inline std::string soxSignals(int channels) {
    static const char* const kSignals[] = {"whitenoise", "sine 1000", "square 300", "sawtooth 200"};
    std::string signals;
    for (int channel = 0; channel < channels; ++channel) {
        signals += std::string(" ") + kSignals[channel % 4];
    }
    return signals;
}

// Makes a sound file with sox; the file type follows the name's extension.
inline bool makeSoxFile(const std::string& path, Encoding encoding, int channels, int rate, double seconds) {
    return run("sox -R -D -n -r " + std::to_string(rate) + " -c " + std::to_string(channels) + " " +
               soxEncodingOptions(encoding) + " '" + path + "' synth " + std::to_string(seconds) +
               soxSignals(channels));
}

// The interleaved sample values of a file as sox itself decodes them, in the file's own
// encoding (no dither), each as an integer, or as a float for float files.
struct RawSamples {
    std::vector<std::int64_t> integers;
    std::vector<float> floats;
};

inline std::int64_t signExtend(std::uint32_t value, int bits) {
    const std::uint32_t sign = 1u << (bits - 1);
    return static_cast<std::int64_t>(value ^ sign) - static_cast<std::int64_t>(sign);
}

inline RawSamples rawSamplesBySox(const std::string& path, Encoding encoding, const std::string& rawPath) {
    RawSamples raw;
    if (!run("sox -D '" + path + "' -t raw -L " + soxEncodingOptions(encoding) + " '" + rawPath + "'")) {
        return raw;
    }
    const std::vector<std::uint8_t> bytes = readBytes(rawPath);
    const int width = widthOf(encoding);
    for (std::size_t offset = 0; offset + width <= bytes.size(); offset += width) {
        std::uint32_t value = 0;
        for (int i = 0; i < width; ++i) {
            value |= static_cast<std::uint32_t>(bytes[offset + i]) << (8 * i);
        }
        if (encoding == Encoding::Float32) {
            raw.floats.push_back(std::bit_cast<float>(value));
        } else if (encoding == Encoding::Unsigned8) {
            raw.integers.push_back(value);
        } else {
            raw.integers.push_back(signExtend(value, width * 8));
        }
    }
    return raw;
}

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

// --- Hand-made files --------------------------------------------------------------------

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

// --- The conversion rules, written out independently of the reader -------------------------

// Several 16-bit channel values to one sample: each weighted 1/(n * 32768), the sum scaled by
// 32767.5 and truncated toward zero, in exact integer arithmetic. One channel is taken as is.
inline std::int16_t mixToMono(const std::vector<std::int64_t>& values) {
    if (values.size() == 1) {
        return static_cast<std::int16_t>(values[0]);
    }
    std::int64_t sum = 0;
    for (const std::int64_t value : values) {
        sum += value;
    }
    return static_cast<std::int16_t>(sum * 65535 / (static_cast<std::int64_t>(values.size()) * 65536));
}

// A float clamped to [-1, 1], multiplied by the scale in single precision and truncated.
inline std::int16_t clampScaleTruncate(float value, float scale) {
    const float clamped = value > 1.0f ? 1.0f : (value < -1.0f ? -1.0f : value);
    return static_cast<std::int16_t>(std::trunc(clamped * scale));
}

// A short mono 16-bit WAV file, built here byte by byte.
inline std::vector<std::uint8_t> shortWave() {
    ByteBuilder data;
    data.le16(100).le16(static_cast<std::uint16_t>(-200)).le16(300);
    return waveFile(WaveLayout{1, 1, 22050, 2, 16}, data.bytes);
}

}  // namespace rimba::files::fixtures
