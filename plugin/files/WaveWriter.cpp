#include "plugin/files/WaveWriter.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <string_view>
#include <vector>

#include "common/platform/Files.h"

namespace rimba {
namespace {

constexpr std::uint32_t kFormatChunkSize = 18;
// "WAVE", the "fmt " chunk with its header, and the "data" chunk header.
constexpr std::uint32_t kRiffOverhead = 4 + 8 + kFormatChunkSize + 8;

class LittleEndianWriter {
public:
    void tag(std::string_view text) { bytes.insert(bytes.end(), text.begin(), text.end()); }

    void u16(std::uint16_t value) {
        bytes.push_back(static_cast<std::uint8_t>(value & 0xFF));
        bytes.push_back(static_cast<std::uint8_t>(value >> 8));
    }

    void u32(std::uint32_t value) {
        for (int shift = 0; shift < 32; shift += 8)
            bytes.push_back(static_cast<std::uint8_t>((value >> shift) & 0xFF));
    }

    std::vector<std::uint8_t> bytes;
};

void writeFormatChunk(LittleEndianWriter& out, std::uint16_t channels, std::uint32_t sampleRate) {
    const auto blockAlign = static_cast<std::uint16_t>(2 * channels);
    out.tag("fmt ");
    out.u32(kFormatChunkSize);
    out.u16(1);  // PCM
    out.u16(channels);
    out.u32(sampleRate);
    out.u32(sampleRate * blockAlign);  // bytes per second
    out.u16(blockAlign);
    out.u16(16);  // bits per sample
    out.u16(0);  // no extra format bytes
}

// The RIFF size field must hold the data and the headers after it.
bool fitsInRiff(std::size_t sampleCount) {
    constexpr std::size_t kMaxSamples = (std::numeric_limits<std::uint32_t>::max() - kRiffOverhead) / 2;
    return sampleCount <= kMaxSamples;
}

std::vector<std::uint8_t> wave16Bytes(std::span<const std::int16_t> samples, std::uint16_t channels,
                                      std::int32_t sampleRate) {
    std::vector<std::uint8_t> bytes =
        wave16Header(channels, static_cast<std::uint32_t>(samples.size() / channels), sampleRate);
    bytes.reserve(bytes.size() + samples.size() * 2);
    appendSamples16(bytes, samples);
    return bytes;
}

}  // namespace

std::vector<std::uint8_t> wave16Header(std::uint16_t channels, std::uint32_t frames, std::int32_t sampleRate) {
    const std::size_t samples = static_cast<std::size_t>(frames) * channels;
    if (sampleRate <= 0 || channels == 0 || !fitsInRiff(samples))
        return {};
    const auto dataSize = static_cast<std::uint32_t>(samples * 2);
    LittleEndianWriter out;
    out.tag("RIFF");
    out.u32(kRiffOverhead + dataSize);
    out.tag("WAVE");
    writeFormatChunk(out, channels, static_cast<std::uint32_t>(sampleRate));
    out.tag("data");
    out.u32(dataSize);
    return std::move(out.bytes);
}

void appendSamples16(std::vector<std::uint8_t>& bytes, std::span<const std::int16_t> samples) {
    for (const std::int16_t sample : samples) {
        const auto word = static_cast<std::uint16_t>(sample);
        bytes.push_back(static_cast<std::uint8_t>(word & 0xFF));
        bytes.push_back(static_cast<std::uint8_t>(word >> 8));
    }
}

FrameRange selectedFrameRange(std::int32_t frameCount, float start, float end) {
    // The settings' own 32-bit float arithmetic: 1000 frames from 0 to 0.01 are 10 frames.
    const auto frames = static_cast<float>(frameCount);
    const float selected = std::trunc((end - start) * frames);
    if (frameCount <= 0 || !(selected >= 1.0f))
        return {};
    // Settings outside 0..1 (or not numbers at all) must still never reach outside the sound.
    double first = std::floor(frames * start);
    if (!(first >= 0.0))
        first = 0.0;
    first = std::min(first, static_cast<double>(frameCount));
    const double count = std::min(static_cast<double>(selected), frameCount - first);
    if (count < 1.0)
        return {};
    return {static_cast<std::int32_t>(first), static_cast<std::int32_t>(count)};
}

std::int32_t writeMonoWave16(const std::string& path, std::span<const std::int16_t> samples, std::int32_t sampleRate) {
    if (samples.empty() || sampleRate <= 0 || !fitsInRiff(samples.size()))
        return -1;
    const auto bytes = wave16Bytes(samples, 1, sampleRate);
    return platform::writeFileAtomically(path, bytes) ? 0 : -1;
}

}  // namespace rimba
