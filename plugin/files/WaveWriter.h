#pragma once
// Writes a track's sound, or the part of it that the track plays, as a 16-bit mono PCM WAV file,
// and the 16-bit stereo files of the audio export.
// User-interface thread (file I/O, so never the audio thread).

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace rimba {

struct FrameRange {
    std::int32_t first = 0;
    std::int32_t count = 0;  // 0 when nothing is selected
};

// The frames between the track's sound start and end settings (fractions of the sound):
// first = floor(frameCount * start), count = (end - start) * frameCount truncated, clipped so
// that the range never leaves the sound.
FrameRange selectedFrameRange(std::int32_t frameCount, float start, float end);

// A RIFF file with an 18-byte "fmt " chunk (PCM, one channel, 16 bits, `sampleRate`) and a
// "data" chunk holding `samples` little-endian. It is written beside `path` and renamed over it
// only when complete, so a failure never destroys an existing file. Result 0 on success, -1 on
// failure; no samples, or a rate that is not positive, writes nothing.
std::int32_t writeMonoWave16(const std::string& path, std::span<const std::int16_t> samples, std::int32_t sampleRate);

// The start of a file of that layout (RIFF, "fmt " and the "data" chunk's header) for `frames` frames of
// `channels` channels, for writers that stream the samples after it; empty when the rate is
// not positive or the sizes do not fit in a RIFF file.
std::vector<std::uint8_t> wave16Header(std::uint16_t channels, std::uint32_t frames, std::int32_t sampleRate);

// `samples` as the little-endian bytes of a "data" chunk, appended to `bytes`.
void appendSamples16(std::vector<std::uint8_t>& bytes, std::span<const std::int16_t> samples);

}  // namespace rimba
