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

#include "tests/support/SoundFiles.h"
#include "tests/support/TempFolder.h"

namespace rimba::files::fixtures {

using ::rimba::test::aiffFile;
using ::rimba::test::AiffLayout;
using ::rimba::test::ByteBuilder;
using ::rimba::test::extendedBytesOf;
using ::rimba::test::extensibleWaveFile;
using ::rimba::test::seededSamples;
using ::rimba::test::waveFile;
using ::rimba::test::WaveLayout;

using ::rimba::test::readBytes;
using ::rimba::test::TempFolder;
using ::rimba::test::writeBytes;

// Runs a shell command quietly; true when it exited with status 0.
inline bool run(const std::string& command) { return std::system((command + " >/dev/null 2>&1").c_str()) == 0; }

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

inline bool soxAvailable() { return run("sox --version"); }

// Fails the test (rather than skipping it) when sox is missing: these checks must run.
#define RIMBA_REQUIRE_SOX() ASSERT_TRUE(::rimba::files::fixtures::soxAvailable()) << "sox is not installed"

// Sample encodings as sox names them; the width is in bytes.
enum class Encoding { Unsigned8, Signed8, Signed16, Signed24, Signed32, Float32 };

inline int widthOf(Encoding encoding) {
    switch (encoding) {
        case Encoding::Unsigned8:
        case Encoding::Signed8: return 1;
        case Encoding::Signed16: return 2;
        case Encoding::Signed24: return 3;
        case Encoding::Signed32:
        case Encoding::Float32: return 4;
    }
    return 0;
}

inline std::string soxEncodingOptions(Encoding encoding) {
    const std::string bits = " -b " + std::to_string(widthOf(encoding) * 8);
    switch (encoding) {
        case Encoding::Unsigned8: return "-e unsigned" + bits;
        case Encoding::Float32: return "-e floating-point" + bits;
        default: return "-e signed" + bits;
    }
}

inline std::string encodingName(Encoding encoding) {
    switch (encoding) {
        case Encoding::Unsigned8: return "U8";
        case Encoding::Signed8: return "S8";
        case Encoding::Signed16: return "S16";
        case Encoding::Signed24: return "S24";
        case Encoding::Signed32: return "S32";
        case Encoding::Float32: return "F32";
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
