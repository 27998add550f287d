#include "plugin/files/FxContainer.h"

#include "plugin/files/ByteFields.h"

namespace rimba::fx {

bool isMagic(std::uint32_t word) { return word == kMagic || swapBytes(word) == kMagic; }

std::optional<std::uint32_t> wordAt(std::span<const std::uint8_t> bytes, std::size_t at) {
    if (at > bytes.size() || bytes.size() - at < 4)
        return std::nullopt;
    ChunkReader in(bytes);
    in.seek(at);
    return in.u32BigEndian();
}

std::optional<Header> readHeader(std::span<const std::uint8_t> bytes, std::size_t at) {
    if (at > bytes.size() || bytes.size() - at < kHeaderWordsBytes)
        return std::nullopt;
    ChunkReader in(bytes);
    in.seek(at);
    Header header;
    header.magic = in.u32BigEndian();
    header.byteCount = in.u32BigEndian();
    header.type = in.u32BigEndian();
    header.formatVersion = static_cast<std::int32_t>(in.u32BigEndian());
    header.pluginId = static_cast<std::int32_t>(in.u32BigEndian());
    header.pluginVersion = static_cast<std::int32_t>(in.u32BigEndian());
    header.count = static_cast<std::int32_t>(in.u32BigEndian());
    return header;
}

void writeHeader(std::vector<std::uint8_t>& bytes, std::size_t at, const Header& header) {
    ChunkWriter out(bytes);
    out.u32BigEndian(at, header.magic);
    out.u32BigEndian(at + 4, header.byteCount);
    out.u32BigEndian(at + 8, header.type);
    out.u32BigEndian(at + 12, static_cast<std::uint32_t>(header.formatVersion));
    out.u32BigEndian(at + 16, static_cast<std::uint32_t>(header.pluginId));
    out.u32BigEndian(at + 20, static_cast<std::uint32_t>(header.pluginVersion));
    out.u32BigEndian(at + 24, static_cast<std::uint32_t>(header.count));
}

}  // namespace rimba::fx
