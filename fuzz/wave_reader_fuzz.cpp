// Any bytes at all must leave the WAV reader with a consistent Sound and no read past the data.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "plugin/files/SoundReader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    rimba::Sound sound;
    const std::int32_t result = rimba::readWaveSound(sound, data, size);
    if (result != 0 && result != 1)
        std::abort();
    if (static_cast<std::size_t>(sound.frameCount) != sound.samples.size())
        std::abort();
    // Every frame takes at least one byte of the file.
    if (sound.samples.size() > size)
        std::abort();
    return 0;
}
