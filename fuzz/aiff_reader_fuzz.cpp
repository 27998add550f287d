// Any bytes at all as an AIFF file (seeds: fuzz/corpus/aiff_reader).
#include "fuzz/SoundReaderCheck.h"
#include "plugin/files/SoundReader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    rimba::fuzz::checkSoundReader(rimba::readAiffSound, data, size);
    return 0;
}
