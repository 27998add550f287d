// Any bytes at all as a WAV file (seeds: fuzz/corpus/wave_reader, every sample format).
#include "fuzz/SoundReaderCheck.h"
#include "plugin/files/SoundReader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    rimba::fuzz::checkSoundReader(rimba::readWaveSound, data, size);
    return 0;
}
