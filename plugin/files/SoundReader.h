#pragma once
// Turns WAV and AIFF files into 16-bit mono Sounds. The readers work on the whole file held in
// memory and never look past the bytes they are given; a data chunk that claims more bytes than
// the file holds is clipped to what is there.
// Any thread except the audio thread (they allocate, and loadSoundFile reads files).

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "plugin/model/Result.h"
#include "plugin/model/Sound.h"

namespace rimba {

// Result 1 when the bytes are a WAV file (possibly with zero frames), 0 when they are not.
// Only a result of 1 changes `sound`: samples, frameCount and sampleRate.
std::int32_t readWaveSound(Sound& sound, const std::uint8_t* bytes, std::size_t count);

// Result 1 when the bytes are an AIFF file, 0 when they are not. Sample sizes other than 8, 16
// and 24 bits give 1 with the samples untouched (the sound exists with zero frames).
std::int32_t readAiffSound(Sound& sound, const std::uint8_t* bytes, std::size_t count);

// The 80-bit big-endian extended float of AIFF's sample rate. The sign is ignored: a rate is
// never negative.
double extendedToDouble(const std::uint8_t b[10]);

// Reads the file named by `path` (or the same path in another letter case when the exact one
// does not exist) with the parser its ending selects. Refused, with the reason, when the path is
// refused, the file cannot be read or the parser does not accept it; otherwise the Sound, its
// path set to `path`.
Result<Sound> loadSoundFile(const std::string& path);

}  // namespace rimba
