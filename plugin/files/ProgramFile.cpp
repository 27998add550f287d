#include "plugin/files/ProgramFile.h"

#include <algorithm>

#include "common/platform/Files.h"
#include "common/platform/Paths.h"
#include "plugin/files/ByteFields.h"
#include "plugin/files/FxContainer.h"
#include "plugin/files/ProgramChunk.h"

namespace rimba {

namespace {

constexpr std::int32_t kProgramVersion = 1;
// The byte count at offset 4 covers everything after it: the rest of the header and the block.
constexpr std::size_t kBytesAfterCount = kProgramFileHeaderBytes - 8;
// Files whose byte count is 0 carry the block's size and the block 100 bytes further on.
constexpr std::size_t kLateSizeOffset = 156;

// Only the words that say what the file is: a file that ends soon after them is ours but
// damaged, which its block's check reports.
bool isOurProgramHeader(std::span<const std::uint8_t> file) {
    const std::optional<std::uint32_t> magic = fx::wordAt(file, 0);
    return magic && fx::isMagic(*magic) && fx::wordAt(file, 8) == fx::kChunkProgram &&
           fx::wordAt(file, 12) == static_cast<std::uint32_t>(kProgramVersion);
}

}  // namespace

std::vector<std::uint8_t> programFileBytes(std::span<const std::uint8_t> block, std::int32_t uniqueId,
                                           const std::string& programName) {
    std::vector<std::uint8_t> file(kProgramFileHeaderBytes + block.size(), 0);
    fx::Header header;
    header.byteCount = static_cast<std::uint32_t>(block.size() + kBytesAfterCount);
    header.type = fx::kChunkProgram;
    header.pluginId = uniqueId;
    header.pluginVersion = kProgramVersion;
    header.count = 1;  // programs in the file
    fx::writeHeader(file, 0, header);
    ChunkWriter out(file);
    out.text(fx::kNameOffset, programName, kProgramFileNameBytes);
    out.u32BigEndian(fx::kProgramChunkSizeOffset, static_cast<std::uint32_t>(block.size()));
    std::copy(block.begin(), block.end(), file.begin() + static_cast<std::ptrdiff_t>(kProgramFileHeaderBytes));
    return file;
}

bool writeProgramFile(const std::string& path, std::span<const std::uint8_t> block, std::int32_t uniqueId,
                      const std::string& programName) {
    return platform::writeFileAtomically(path, programFileBytes(block, uniqueId, programName));
}

ProgramFileBlock findProgramFileBlock(std::span<const std::uint8_t> file) {
    ProgramFileBlock found;
    found.compatible = isOurProgramHeader(file);
    if (!found.compatible) {
        found.block = Refusal{"not a program file of this instrument (no \"CcnK\", \"FPCh\" and version 1 header)"};
        return found;
    }
    const std::size_t sizeOffset = fx::wordAt(file, 4) == 0u ? kLateSizeOffset : fx::kProgramChunkSizeOffset;
    const std::optional<std::uint32_t> size = fx::wordAt(file, sizeOffset);
    const std::size_t start = sizeOffset + 4;
    // A block of the export folder's size is no program: it would arm the sample export of a
    // host's chunk request, which only a host may ask for.
    if (size == static_cast<std::uint32_t>(chunk::kExportFolderBytes)) {
        found.compatible = false;
        found.block = Refusal{"not a program file of this instrument (its 256-byte block names an export folder)"};
        return found;
    }
    if (size && *size <= 0x7FFFFFFFu && start <= file.size() && *size <= file.size() - start)
        found.block = file.subspan(start, *size);
    else
        found.block = Refusal{"the program's block runs past the end of the file"};
    return found;
}

std::string incompatibleProgramFileText(const std::string& path) { return "No Compatible File !\r\n" + path; }

std::string programTitle(const std::string& path) {
    return platform::withoutExtension(platform::fileNameOfAnySystemPath(path));
}

}  // namespace rimba
