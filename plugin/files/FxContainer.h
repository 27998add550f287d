#pragma once
// The container VST 2.4 programs and banks travel in: ".fxp" and ".fxb" files, the images of a
// hosted plug-in's state and the drum synth's presets. A big-endian header of seven words:
// "CcnK" (older writers put it in the other byte order), the count of bytes after that word (or
// 0), a four-character type, the format version (1), the plug-in's ID and version, and a count
// (of parameters or programs). A program follows it with its name in 28 bytes from 28; a chunk
// program ("FPCh") with the chunk's size at 56 and the chunk from 60; a regular bank ("FxBk") with
// its programs from 156, each a program without its chunk; a chunk bank ("FBCh") with the
// chunk's size at 156 and the chunk from 160. Plain functions on bytes; any thread.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace rimba::fx {

// The header's words as big-endian numbers: "CcnK" reads as 0x43636E4B.
constexpr std::uint32_t tag(const char (&text)[5]) {
    return static_cast<std::uint32_t>(static_cast<unsigned char>(text[0])) << 24 |
           static_cast<std::uint32_t>(static_cast<unsigned char>(text[1])) << 16 |
           static_cast<std::uint32_t>(static_cast<unsigned char>(text[2])) << 8 |
           static_cast<std::uint32_t>(static_cast<unsigned char>(text[3]));
}

constexpr std::uint32_t kMagic = tag("CcnK");
constexpr std::uint32_t kRegularProgram = tag("FxCk");
constexpr std::uint32_t kChunkProgram = tag("FPCh");
constexpr std::uint32_t kRegularBank = tag("FxBk");
constexpr std::uint32_t kChunkBank = tag("FBCh");
constexpr std::int32_t kFormatVersion = 1;

constexpr std::size_t kHeaderWordsBytes = 28;  // the seven words every container begins with
constexpr std::size_t kNameOffset = 28;
constexpr std::size_t kNameBytes = 28;
constexpr std::size_t kProgramChunkSizeOffset = 56;
constexpr std::size_t kPresetHeaderBytes = 60;
constexpr std::size_t kBankProgramHeaderBytes = 56;
constexpr std::size_t kBankHeaderBytes = 156;
constexpr std::size_t kBankChunkSizeOffset = 156;
constexpr std::size_t kBankChunkOffset = 160;

struct Header {
    std::uint32_t magic = kMagic;
    std::uint32_t byteCount = 0;
    std::uint32_t type = 0;
    std::int32_t formatVersion = kFormatVersion;
    std::int32_t pluginId = 0;
    std::int32_t pluginVersion = 0;
    std::int32_t count = 0;
};

// "CcnK" in either byte order.
bool isMagic(std::uint32_t word);

// The seven words at `at`; nullopt when the bytes end before them.
std::optional<Header> readHeader(std::span<const std::uint8_t> bytes, std::size_t at = 0);
// Writes the seven words at `at` of bytes that already hold them (a container made at its full
// size, zero-filled).
void writeHeader(std::vector<std::uint8_t>& bytes, std::size_t at, const Header& header);

// The big-endian word at `at`; nullopt when the bytes end before it.
std::optional<std::uint32_t> wordAt(std::span<const std::uint8_t> bytes, std::size_t at);

}  // namespace rimba::fx
