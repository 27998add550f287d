#include "plugin/files/ProgramFile.h"

#include <algorithm>
#include <cstring>

#include "common/platform/Files.h"
#include "plugin/files/ProgramChunk.h"

namespace rimba {

namespace {

constexpr std::int32_t kFormatVersion = 1;
constexpr std::int32_t kProgramVersion = 1;
// The byte count at offset 4 covers everything after it: the rest of the header and the block.
constexpr std::size_t kBytesAfterCount = kProgramFileHeaderBytes - 8;
// Files whose byte count is 0 carry the block's size and the block 100 bytes further on.
constexpr std::size_t kLateSizeOffset = 156;
constexpr std::size_t kSizeOffset = 56;

// Writes the header's fields at their offsets into a file that is already its full size.
class HeaderWriter {
public:
    explicit HeaderWriter(std::vector<std::uint8_t>& bytes) : data(bytes) {}

    void tag(std::size_t at, const char* text) {
        for (std::size_t i = 0; i < 4; ++i)
            data.at(at + i) = static_cast<std::uint8_t>(text[i]);
    }
    void i32(std::size_t at, std::int32_t value) {
        const auto word = static_cast<std::uint32_t>(value);
        for (std::size_t i = 0; i < 4; ++i)
            data.at(at + i) = static_cast<std::uint8_t>(word >> (24 - 8 * i));
    }
    // Cut to the field; the rest of it stays zero.
    void text(std::size_t at, const std::string& value, std::size_t fieldBytes) {
        for (std::size_t i = 0; i < std::min(value.size(), fieldBytes); ++i)
            data.at(at + i) = static_cast<std::uint8_t>(value[i]);
    }

private:
    std::vector<std::uint8_t>& data;
};

std::optional<std::uint32_t> bigEndianAt(std::span<const std::uint8_t> file, std::size_t offset) {
    if (offset > file.size() || file.size() - offset < 4)
        return std::nullopt;
    return static_cast<std::uint32_t>(file[offset]) << 24 | static_cast<std::uint32_t>(file[offset + 1]) << 16 |
           static_cast<std::uint32_t>(file[offset + 2]) << 8 | static_cast<std::uint32_t>(file[offset + 3]);
}

bool hasTag(std::span<const std::uint8_t> file, std::size_t offset, const char* tag) {
    return offset <= file.size() && file.size() - offset >= 4 && std::memcmp(file.data() + offset, tag, 4) == 0;
}

}  // namespace

std::vector<std::uint8_t> programFileBytes(std::span<const std::uint8_t> block, std::int32_t uniqueId,
                                           const std::string& programName) {
    std::vector<std::uint8_t> file(kProgramFileHeaderBytes + block.size(), 0);
    HeaderWriter out(file);
    out.tag(0, "CcnK");
    out.i32(4, static_cast<std::int32_t>(block.size() + kBytesAfterCount));
    out.tag(8, "FPCh");
    out.i32(12, kFormatVersion);
    out.i32(16, uniqueId);
    out.i32(20, kProgramVersion);
    out.i32(24, 1);  // programs in the file
    out.text(28, programName, kProgramFileNameBytes);
    out.i32(kSizeOffset, static_cast<std::int32_t>(block.size()));
    std::copy(block.begin(), block.end(), file.begin() + static_cast<std::ptrdiff_t>(kProgramFileHeaderBytes));
    return file;
}

bool writeProgramFile(const std::string& path, std::span<const std::uint8_t> block, std::int32_t uniqueId,
                      const std::string& programName) {
    return platform::writeFileAtomically(path, programFileBytes(block, uniqueId, programName));
}

ProgramFileBlock findProgramFileBlock(std::span<const std::uint8_t> file) {
    ProgramFileBlock found;
    found.compatible = (hasTag(file, 0, "CcnK") || hasTag(file, 0, "KncC")) && hasTag(file, 8, "FPCh") &&
                       bigEndianAt(file, 12) == static_cast<std::uint32_t>(kProgramVersion);
    if (!found.compatible) {
        found.block = Refusal{"not a program file of this instrument (no \"CcnK\", \"FPCh\" and version 1 header)"};
        return found;
    }
    const std::size_t sizeOffset = bigEndianAt(file, 4) == 0u ? kLateSizeOffset : kSizeOffset;
    const std::optional<std::uint32_t> size = bigEndianAt(file, sizeOffset);
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
    const std::size_t slash = path.find_last_of("/\\");
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    const std::size_t dot = name.rfind('.');
    return dot == std::string::npos ? name : name.substr(0, dot);
}

}  // namespace rimba
