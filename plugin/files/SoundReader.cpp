#include "plugin/files/SoundReader.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <span>
#include <string_view>
#include <vector>

#include "common/platform/Files.h"
#include "common/platform/FolderScan.h"

namespace rimba {
namespace {

// frameCount is a signed 32-bit field; a file larger than that keeps its first part.
constexpr std::size_t kMaxFrames = static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max());

constexpr std::uint16_t kWaveFormatPcm = 1;
constexpr std::uint16_t kWaveFormatFloat = 3;
constexpr std::uint16_t kWaveFormatExtensible = 0xFFFE;

// The file's bytes, or a part of them. Every read is checked against the end of the data and
// reports a read past it as nullopt, so that a truncated or lying file can never make a reader
// look beyond what was loaded.
class ByteView {
public:
    ByteView(const std::uint8_t* bytes, std::size_t count) : data(bytes, count) {}
    explicit ByteView(std::span<const std::uint8_t> bytes) : data(bytes) {}

    std::size_t size() const { return data.size(); }

    bool contains(std::size_t offset, std::size_t length) const {
        return offset <= data.size() && length <= data.size() - offset;
    }

    bool hasTag(std::size_t offset, std::string_view tag) const {
        return contains(offset, tag.size()) && std::memcmp(data.data() + offset, tag.data(), tag.size()) == 0;
    }

    // The chunk searches of both formats look at every byte position in turn, not chunk by
    // chunk; files in the wild depend on it (odd-sized chunks without their pad byte).
    std::optional<std::size_t> findTag(std::size_t from, std::string_view tag) const {
        for (std::size_t offset = from; contains(offset, tag.size()); ++offset) {
            if (std::memcmp(data.data() + offset, tag.data(), tag.size()) == 0)
                return offset;
        }
        return std::nullopt;
    }

    std::optional<std::uint8_t> u8(std::size_t offset) const {
        if (!contains(offset, 1))
            return std::nullopt;
        return data[offset];
    }

    std::optional<std::uint16_t> u16Le(std::size_t offset) const {
        if (!contains(offset, 2))
            return std::nullopt;
        return static_cast<std::uint16_t>(data[offset] | (data[offset + 1] << 8));
    }

    std::optional<std::uint16_t> u16Be(std::size_t offset) const {
        if (!contains(offset, 2))
            return std::nullopt;
        return static_cast<std::uint16_t>((data[offset] << 8) | data[offset + 1]);
    }

    std::optional<std::uint32_t> u32Le(std::size_t offset) const {
        if (!contains(offset, 4))
            return std::nullopt;
        return static_cast<std::uint32_t>(data[offset]) | (static_cast<std::uint32_t>(data[offset + 1]) << 8) |
               (static_cast<std::uint32_t>(data[offset + 2]) << 16) |
               (static_cast<std::uint32_t>(data[offset + 3]) << 24);
    }

    std::optional<std::uint32_t> u32Be(std::size_t offset) const {
        if (!contains(offset, 4))
            return std::nullopt;
        return (static_cast<std::uint32_t>(data[offset]) << 24) | (static_cast<std::uint32_t>(data[offset + 1]) << 16) |
               (static_cast<std::uint32_t>(data[offset + 2]) << 8) | static_cast<std::uint32_t>(data[offset + 3]);
    }

    // Samples read with a missing byte count as silence; the converters only ask for bytes
    // inside whole frames, so this never happens in practice.
    std::int16_t s16Le(std::size_t offset) const { return static_cast<std::int16_t>(u16Le(offset).value_or(0)); }
    std::int16_t s16Be(std::size_t offset) const { return static_cast<std::int16_t>(u16Be(offset).value_or(0)); }
    std::int8_t s8(std::size_t offset) const { return static_cast<std::int8_t>(u8(offset).value_or(0)); }

    float f32Le(std::size_t offset) const {
        std::uint32_t bits = u32Le(offset).value_or(0);
        float value = 0.0f;
        std::memcpy(&value, &bits, sizeof value);
        return value;
    }

    // Up to `length` bytes from `offset`: a chunk size that runs past the end of the file is
    // clipped to the bytes that are there.
    ByteView clipped(std::size_t offset, std::size_t length) const {
        if (offset >= data.size())
            return ByteView(data.subspan(data.size()));
        return ByteView(data.subspan(offset, std::min(length, data.size() - offset)));
    }

    ByteView frame(std::size_t index, std::size_t frameBytes) const { return clipped(index * frameBytes, frameBytes); }

private:
    std::span<const std::uint8_t> data;
};

// --- Conversions shared by both formats ----------------------------------------------------

// NaN has no place in a clamp; a damaged float file plays it as silence.
float clampToUnit(float value) {
    if (std::isnan(value))
        return 0.0f;
    return std::clamp(value, -1.0f, 1.0f);
}

// Every conversion through a float ends here: clamp, scale, truncate toward zero, so that full
// scale becomes 32767 and never wraps.
std::int16_t scaledSample(float value, float scale) { return static_cast<std::int16_t>(clampToUnit(value) * scale); }

std::int16_t averagePair(std::int16_t left, std::int16_t right) {
    constexpr float kHalfOf16Bit = 1.0f / 65536.0f;
    return scaledSample(left * kHalfOf16Bit + right * kHalfOf16Bit, 32767.5f);
}

// The pair average extended to any number of channels: each channel weighted 1/(n * 32768), the
// sum scaled by 32767.5 and truncated. Integer arithmetic keeps it exact; the mean of 16-bit
// values never leaves [-1, 1], so there is nothing to clamp. For two channels this gives the
// same values as averagePair.
std::int16_t averageOfChannels(std::int64_t sum, std::size_t channels) {
    const auto divisor = static_cast<std::int64_t>(channels) * 65536;
    return static_cast<std::int16_t>(sum * 65535 / divisor);
}

template <typename FrameToSample>
std::vector<std::int16_t> convertFrames(ByteView data, std::size_t frameBytes, FrameToSample toSample) {
    const std::size_t frames = std::min(data.size() / frameBytes, kMaxFrames);
    std::vector<std::int16_t> samples(frames);
    for (std::size_t i = 0; i < frames; ++i)
        samples[i] = toSample(data.frame(i, frameBytes));
    return samples;
}

void storeSamples(Sound& sound, std::vector<std::int16_t> samples) {
    sound.samples = std::move(samples);
    sound.frameCount = static_cast<std::int32_t>(sound.samples.size());
}

// --- WAV ----------------------------------------------------------------------------------

struct WaveFormat {
    std::uint16_t tag = 0;  // kWaveFormatPcm or kWaveFormatFloat, also for extensible files
    std::uint16_t channels = 0;
    std::uint32_t sampleRate = 0;
    std::uint16_t blockAlign = 0;
};

// The tag found eight bytes after "fmt" (the size field lies between), with extensible files
// taken by the first two bytes of their sub-format GUID. Anything but PCM or float is 0.
std::uint16_t acceptedFormatTag(ByteView file, std::size_t fmt) {
    std::uint16_t tag = file.u16Le(fmt + 8).value_or(0);
    if (tag == kWaveFormatExtensible)
        tag = file.u16Le(fmt + 32).value_or(0);
    return tag == kWaveFormatPcm || tag == kWaveFormatFloat ? tag : 0;
}

struct FoundFormat {
    std::size_t offset = 0;  // of the "fmt" match
    WaveFormat format;
};

std::optional<FoundFormat> findWaveFormat(ByteView file) {
    for (std::size_t offset = 12; offset < file.size(); ++offset) {
        if (!file.hasTag(offset, "fmt"))
            continue;
        const std::uint16_t tag = acceptedFormatTag(file, offset);
        if (tag == 0)
            continue;
        const auto channels = file.u16Le(offset + 10);
        const auto sampleRate = file.u32Le(offset + 12);
        const auto blockAlign = file.u16Le(offset + 20);
        // A later match would lie even closer to the end, so a cut-off header ends the search.
        if (!channels || !sampleRate || !blockAlign)
            return std::nullopt;
        return FoundFormat{offset, WaveFormat{tag, *channels, *sampleRate, *blockAlign}};
    }
    return std::nullopt;
}

std::vector<std::int16_t> convertWaveFloat(ByteView data, const WaveFormat& format) {
    if (format.channels == 2) {
        return convertFrames(data, 8,
                             [](ByteView frame) { return scaledSample(frame.f32Le(0) + frame.f32Le(4), 16383.5f); });
    }
    return convertFrames(data, 4, [](ByteView frame) { return scaledSample(frame.f32Le(0), 32767.5f); });
}

// 24-bit files are recognised by their block align, whatever their bits field says; the two
// high bytes of each little-endian sample are the 16-bit sample.
std::vector<std::int16_t> convertWave24(ByteView data, const WaveFormat& format) {
    if (format.channels == 2) {
        return convertFrames(data, 6, [](ByteView frame) { return averagePair(frame.s16Le(1), frame.s16Le(4)); });
    }
    return convertFrames(data, 3, [](ByteView frame) { return frame.s16Le(1); });
}

std::vector<std::int16_t> convertWave16(ByteView data, const WaveFormat& format) {
    if (format.channels == 2) {
        return convertFrames(data, 4, [](ByteView frame) { return averagePair(frame.s16Le(0), frame.s16Le(2)); });
    }
    return convertFrames(data, 2, [](ByteView frame) { return frame.s16Le(0); });
}

// Bytes per sample of one channel as the block align gives it, or 0 when it is not a width we
// decode (no channels, or a block align that does not divide into them).
std::size_t sampleWidth(const WaveFormat& format) {
    if (format.channels == 0 || format.blockAlign % format.channels != 0)
        return 0;
    const std::size_t width = format.blockAlign / format.channels;
    return width >= 1 && width <= 4 ? width : 0;
}

// One channel's sample as a 16-bit value: 8-bit WAV data is unsigned around 128, wider data is
// cut to its two high bytes.
std::int16_t channelSample(ByteView frame, std::size_t offset, std::size_t width) {
    if (width == 1)
        return static_cast<std::int16_t>((frame.u8(offset).value_or(128) - 128) * 256);
    return frame.s16Le(offset + width - 2);
}

std::vector<std::int16_t> convertWaveByWidth(ByteView data, const WaveFormat& format, std::size_t width) {
    const std::size_t channels = format.channels;
    return convertFrames(data, format.blockAlign, [channels, width](ByteView frame) -> std::int16_t {
        if (channels == 1)
            return channelSample(frame, 0, width);
        if (channels == 2)
            return averagePair(channelSample(frame, 0, width), channelSample(frame, width, width));
        std::int64_t sum = 0;
        for (std::size_t channel = 0; channel < channels; ++channel)
            sum += channelSample(frame, channel * width, width);
        return averageOfChannels(sum, channels);
    });
}

// Block align 3 or 6 always means 24-bit data, and 16-bit data of one or two channels keeps its
// plain conversion; other integer files (8-bit, 32-bit, more than two channels) are decoded by
// the width their block align gives, with all channels averaged to mono.
std::vector<std::int16_t> convertWaveData(ByteView data, const WaveFormat& format) {
    if (format.tag == kWaveFormatFloat)
        return convertWaveFloat(data, format);
    if (format.blockAlign == 3 || format.blockAlign == 6)
        return convertWave24(data, format);
    const std::size_t width = sampleWidth(format);
    if (width != 0 && (width != 2 || format.channels > 2))
        return convertWaveByWidth(data, format, width);
    return convertWave16(data, format);
}

// --- AIFF ---------------------------------------------------------------------------------

// The FORM header and a COMM chunk alone take 38 bytes; a file no longer holds no sound.
constexpr std::size_t kSmallestAiff = 38;

std::vector<std::int16_t> convertAiff24(ByteView data, std::uint16_t channels) {
    if (channels == 2) {
        return convertFrames(data, 6, [](ByteView frame) { return averagePair(frame.s16Be(0), frame.s16Be(3)); });
    }
    return convertFrames(data, 3,
                         [](ByteView frame) { return scaledSample(frame.s16Be(0) * (1.0f / 32768.0f), 32767.5f); });
}

std::vector<std::int16_t> convertAiff16(ByteView data, std::uint16_t channels) {
    if (channels == 2) {
        return convertFrames(data, 4, [](ByteView frame) { return averagePair(frame.s16Be(0), frame.s16Be(2)); });
    }
    return convertFrames(data, 2, [](ByteView frame) { return frame.s16Be(0); });
}

// 8-bit mono AIFF sounds load at half level; the stereo ones do not.
std::vector<std::int16_t> convertAiff8(ByteView data, std::uint16_t channels) {
    if (channels == 2) {
        return convertFrames(data, 2, [](ByteView frame) {
            return averagePair(static_cast<std::int16_t>(frame.s8(0) * 256),
                               static_cast<std::int16_t>(frame.s8(1) * 256));
        });
    }
    return convertFrames(data, 1,
                         [](ByteView frame) { return scaledSample(frame.s8(0) * 256 * (1.0f / 65536.0f), 32767.5f); });
}

float rateAsFloat(double rate) {
    if (!(rate <= std::numeric_limits<float>::max()))
        return std::numeric_limits<float>::infinity();
    return static_cast<float>(rate);
}

struct AiffCommon {
    std::uint16_t channels = 0;
    std::uint16_t bits = 0;
    float sampleRate = 0.0f;
    std::size_t end = 0;  // where the search for the sound data starts
};

std::optional<AiffCommon> findAiffCommon(ByteView file) {
    const auto common = file.findTag(12, "COMM");
    if (!common)
        return std::nullopt;
    const auto channels = file.u16Be(*common + 8);
    const auto bits = file.u16Be(*common + 14);
    if (!channels || !bits || !file.contains(*common + 16, 10))
        return std::nullopt;
    std::uint8_t extended[10];
    for (std::size_t i = 0; i < 10; ++i)
        extended[i] = file.u8(*common + 16 + i).value_or(0);
    return AiffCommon{*channels, *bits, rateAsFloat(extendedToDouble(extended)), *common + 26};
}

// The sound data of the SSND chunk; a data offset other than 0 is refused.
std::optional<ByteView> findAiffSoundData(ByteView file, std::size_t from) {
    const auto soundChunk = file.findTag(from, "SSND");
    if (!soundChunk)
        return std::nullopt;
    const auto dataOffset = file.u32Be(*soundChunk + 8);
    if (!dataOffset || *dataOffset != 0)
        return std::nullopt;
    const std::uint32_t chunkSize = file.u32Be(*soundChunk + 4).value_or(0);
    const std::uint32_t dataSize = chunkSize >= 8 ? chunkSize - 8 : 0;
    return file.clipped(*soundChunk + 16, dataSize);
}

bool hasAiffHeader(ByteView file) {
    const auto formSize = file.u32Be(4);
    return file.hasTag(0, "FORM") && formSize && static_cast<std::int32_t>(*formSize) > 0 && file.hasTag(8, "AIFF");
}

// --- Paths ----------------------------------------------------------------------------------

bool endsWith(const std::string& text, std::string_view ending) {
    return text.size() >= ending.size() && text.compare(text.size() - ending.size(), ending.size(), ending) == 0;
}

// The parser is chosen by the name, case-sensitively: ".Aif" goes to the WAV reader.
bool namesAiffFile(const std::string& path) {
    return endsWith(path, ".aif") || endsWith(path, ".aiff") || endsWith(path, ".AIF") || endsWith(path, ".AIFF");
}

bool isRefusedPath(const std::string& path) { return path.size() < 5 || endsWith(path, ".mp3"); }

void storePath(Sound& sound, const std::string& path) {
    sound.path.fill('\0');
    const std::size_t length = std::min(path.size(), sound.path.size() - 1);
    std::copy_n(path.begin(), length, sound.path.begin());
}

}  // namespace

std::int32_t readWaveSound(Sound& sound, const std::uint8_t* bytes, std::size_t count) {
    const ByteView file(bytes, count);
    if (!file.hasTag(8, "WAVE"))
        return 0;
    const auto found = findWaveFormat(file);
    if (!found)
        return 0;
    // The data search starts where a 16-byte format chunk ends; a file without data is a sound
    // with no frames, not a refusal.
    std::vector<std::int16_t> samples;
    if (const auto data = file.findTag(found->offset + 24, "data")) {
        const std::uint32_t dataSize = file.u32Le(*data + 4).value_or(0);
        samples = convertWaveData(file.clipped(*data + 8, dataSize), found->format);
    }
    sound.sampleRate = static_cast<float>(found->format.sampleRate);
    storeSamples(sound, std::move(samples));
    return 1;
}

std::int32_t readAiffSound(Sound& sound, const std::uint8_t* bytes, std::size_t count) {
    const ByteView file(bytes, count);
    if (count <= kSmallestAiff || !hasAiffHeader(file))
        return 0;
    const auto common = findAiffCommon(file);
    if (!common)
        return 0;
    const auto data = findAiffSoundData(file, common->end);
    if (!data)
        return 0;
    sound.sampleRate = common->sampleRate;
    switch (common->bits) {
        case 24: storeSamples(sound, convertAiff24(*data, common->channels)); break;
        case 16: storeSamples(sound, convertAiff16(*data, common->channels)); break;
        case 8: storeSamples(sound, convertAiff8(*data, common->channels)); break;
        default: break;  // the sound exists, with whatever frames it had (none, for a new one)
    }
    return 1;
}

double extendedToDouble(const std::uint8_t b[10]) {
    const int exponent = ((b[0] & 0x7F) << 8) | b[1];
    const std::uint32_t high = (static_cast<std::uint32_t>(b[2]) << 24) | (static_cast<std::uint32_t>(b[3]) << 16) |
                               (static_cast<std::uint32_t>(b[4]) << 8) | b[5];
    const std::uint32_t low = (static_cast<std::uint32_t>(b[6]) << 24) | (static_cast<std::uint32_t>(b[7]) << 16) |
                              (static_cast<std::uint32_t>(b[8]) << 8) | b[9];
    if (exponent == 0 && high == 0 && low == 0)
        return 0.0;
    if (exponent == 0x7FFF)
        return std::numeric_limits<double>::infinity();
    return std::ldexp(static_cast<double>(high), exponent - 16383 - 31) +
           std::ldexp(static_cast<double>(low), exponent - 16383 - 63);
}

Result<Sound> loadSoundFile(const std::string& path) {
    if (isRefusedPath(path))
        return Refusal{path.empty() ? "no sound file is named" : "\"" + path + "\" is no WAV or AIFF file name"};
    const auto bytes = platform::readWholeFile(platform::resolvePathIgnoringCase(path));
    if (!bytes)
        return Refusal{"cannot read \"" + path + "\""};
    Sound sound;
    const bool aiff = namesAiffFile(path);
    const auto read = aiff ? readAiffSound : readWaveSound;
    if (read(sound, bytes->data(), bytes->size()) != 1)
        return Refusal{"\"" + path + "\" is no " + (aiff ? "AIFF" : "WAV") + " file"};
    storePath(sound, path);
    return sound;
}

}  // namespace rimba
