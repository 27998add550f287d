// Any bytes at all as a program chunk, read to a value without an instrument: the reader stays
// inside the bytes, names at most 16 tracks, and a value it accepts is written and read back to
// the same bytes again. Seeded with a block of each of the seven forms (fuzz/corpus/program_chunk).
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <span>
#include <vector>

#include "plugin/files/ProgramChunk.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const rimba::Result<rimba::ProgramChunk> program = rimba::readProgramChunk(std::span(data, size));
    if (!program)
        return 0;
    if (program->tracks.size() > static_cast<std::size_t>(rimba::kTrackSlots))
        std::abort();
    const std::vector<std::uint8_t> written = rimba::writeProgramChunk(*program);
    const rimba::Result<rimba::ProgramChunk> again = rimba::readProgramChunk(written);
    if (!again || again->tracks.size() != program->tracks.size())
        std::abort();
    if (rimba::writeProgramChunk(*again) != written)
        std::abort();
    return 0;
}
