#pragma once
// What every sound reader must do with any bytes at all: answer 1 or 0, leave a Sound whose frame
// count matches its samples, and never make more frames than the bytes it was given.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "plugin/model/Sound.h"

namespace rimba::fuzz {

inline void checkSoundReader(std::int32_t (*read)(Sound&, const std::uint8_t*, std::size_t), const std::uint8_t* data,
                             std::size_t size) {
    Sound sound;
    const std::int32_t result = read(sound, data, size);
    if (result != 0 && result != 1)
        std::abort();
    if (static_cast<std::size_t>(sound.frameCount) != sound.samples.size())
        std::abort();
    // Every frame takes at least one byte of the file.
    if (sound.samples.size() > size)
        std::abort();
}

}  // namespace rimba::fuzz
