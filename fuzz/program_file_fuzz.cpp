// Any bytes at all as a program file: the block is found inside the file or not at all, a block
// of the export folder's 256 bytes is never compatible, and the block found is read as a chunk
// without a read outside it. Seeded with program files of each header form
// (fuzz/corpus/program_file).
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "plugin/files/ProgramChunk.h"
#include "plugin/files/ProgramFile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const rimba::ProgramFileBlock found = rimba::findProgramFileBlock(std::span(data, size));
    if (!found.block)
        return 0;
    if (!found.compatible || found.block->data() < data || found.block->data() + found.block->size() > data + size)
        std::abort();
    if (found.block->size() == rimba::chunk::kExportFolderBytes)
        std::abort();
    (void)rimba::readProgramChunk(*found.block);
    return 0;
}
