#pragma once
// Little-endian fields of the instrument's binary files (program chunks, kits): a reader that
// never passes the end of the bytes it was given, and a writer into a block of known size.

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>
#include <span>
#include <string>
#include <vector>

namespace rimba {

constexpr std::uint32_t swapBytes(std::uint32_t value) {
    return (value >> 24) | ((value >> 8) & 0xFF00u) | ((value << 8) & 0xFF0000u) | (value << 24);
}

// Reads forward from a position; a read that would pass the end reads zeros and marks the whole
// reading failed, so a caller checks once after a run of reads.
class ChunkReader {
public:
    explicit ChunkReader(std::span<const std::uint8_t> bytes) : data(bytes) {}

    bool ok() const { return !failed; }
    std::size_t position() const { return at; }

    void seek(std::size_t offset) {
        if (offset > data.size())
            failed = true;
        else
            at = offset;
    }

    std::span<const std::uint8_t> take(std::size_t count) {
        if (failed || count > data.size() - at) {
            failed = true;
            return {};
        }
        const std::span<const std::uint8_t> part = data.subspan(at, count);
        at += count;
        return part;
    }

    std::uint8_t u8() {
        const auto part = take(1);
        return part.empty() ? 0 : part[0];
    }
    std::int8_t s8() { return static_cast<std::int8_t>(u8()); }

    std::uint32_t u32() {
        const auto part = take(4);
        if (part.empty())
            return 0;
        return static_cast<std::uint32_t>(part[0]) | static_cast<std::uint32_t>(part[1]) << 8 |
               static_cast<std::uint32_t>(part[2]) << 16 | static_cast<std::uint32_t>(part[3]) << 24;
    }
    std::uint32_t u32BigEndian() { return swapBytes(u32()); }
    std::int32_t i32() { return static_cast<std::int32_t>(u32()); }
    float f32() { return std::bit_cast<float>(u32()); }
    float f32BigEndian() { return std::bit_cast<float>(u32BigEndian()); }

    // A zero-padded text field: the bytes up to the first zero.
    std::string text(std::size_t count) {
        const auto part = take(count);
        std::size_t length = 0;
        while (length < part.size() && part[length] != 0)
            ++length;
        return std::string(reinterpret_cast<const char*>(part.data()), length);
    }

private:
    std::span<const std::uint8_t> data;
    std::size_t at = 0;
    bool failed = false;
};

// Writes fields at their offsets into a block that is already its full size and zero.
class ChunkWriter {
public:
    explicit ChunkWriter(std::vector<std::uint8_t>& bytes) : data(bytes) {}

    void u8(std::size_t at, std::uint8_t value) { data.at(at) = value; }
    void s8(std::size_t at, std::int8_t value) { u8(at, static_cast<std::uint8_t>(value)); }
    void u32(std::size_t at, std::uint32_t value) {
        for (std::size_t i = 0; i < 4; ++i)
            data.at(at + i) = static_cast<std::uint8_t>(value >> (8 * i));
    }
    void u32BigEndian(std::size_t at, std::uint32_t value) { u32(at, swapBytes(value)); }
    void i32(std::size_t at, std::int32_t value) { u32(at, static_cast<std::uint32_t>(value)); }
    void f32(std::size_t at, float value) { u32(at, std::bit_cast<std::uint32_t>(value)); }
    // Cut to the field; the rest of the field stays zero.
    void text(std::size_t at, const std::string& value, std::size_t fieldBytes) {
        const std::size_t length = std::min(value.size(), fieldBytes);
        for (std::size_t i = 0; i < length; ++i)
            data.at(at + i) = static_cast<std::uint8_t>(value[i]);
    }
    void bytes(std::size_t at, std::span<const std::uint8_t> values) {
        if (!values.empty())
            std::memcpy(&data.at(at), values.data(), values.size());
    }

private:
    std::vector<std::uint8_t>& data;
};

}  // namespace rimba
