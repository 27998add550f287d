#pragma once
// Program files (".fxp"): one program chunk behind the 60-byte big-endian header that VST 2.4
// hosts and plug-ins use for a program kept as an opaque chunk.
// User-interface or timer thread (file I/O, so never the audio thread).

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "plugin/model/Result.h"

namespace rimba {

constexpr std::size_t kProgramFileHeaderBytes = 60;
constexpr std::size_t kProgramFileNameBytes = 28;

// The whole file: "CcnK", the byte count after that field, "FPCh", format version 1,
// `uniqueId`, plug-in version 1, one program, `programName` cut to 28 bytes, the block's size,
// then the block.
std::vector<std::uint8_t> programFileBytes(std::span<const std::uint8_t> block, std::int32_t uniqueId,
                                           const std::string& programName);

// Writes the file beside `path` and renames it over `path` only when complete, so a failed
// save never damages an existing program. False when it could not be written.
bool writeProgramFile(const std::string& path, std::span<const std::uint8_t> block, std::int32_t uniqueId,
                      const std::string& programName);

struct ProgramFileBlock {
    // The header is one of ours: "CcnK" (in either byte order), "FPCh" and version 1, and the
    // block is not of the 256 bytes that name a host's export folder.
    bool compatible = false;
    // The block, when the header is ours and its size keeps it inside the file; else why not.
    Result<std::span<const std::uint8_t>> block{Refusal{}};
};

// Finds the block in the bytes of a program file. The bytes must outlive the result.
ProgramFileBlock findProgramFileBlock(std::span<const std::uint8_t> file);

// The message for a file whose header is not one of ours, and its caption.
std::string incompatibleProgramFileText(const std::string& path);
constexpr const char* kIncompatibleProgramFileCaption = "VORN";

// A program's name: its file's name without folder and extension.
std::string programTitle(const std::string& path);

}  // namespace rimba
