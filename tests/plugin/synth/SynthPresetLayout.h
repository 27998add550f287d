#pragma once
// The synth preset's layout written out field by field, so that checks and fuzz seeds never
// depend on the code under test.

#include <algorithm>
#include <bit>
#include <cstdint>
#include <string>
#include <vector>

namespace rimba::test::synth_layout {

inline void putBe32(std::vector<std::uint8_t>& b, std::size_t at, std::uint32_t v) {
    for (std::size_t i = 0; i < 4; ++i)
        b.at(at + i) = static_cast<std::uint8_t>(v >> (24 - 8 * i));
}
inline void putLe32(std::vector<std::uint8_t>& b, std::size_t at, std::uint32_t v) {
    for (std::size_t i = 0; i < 4; ++i)
        b.at(at + i) = static_cast<std::uint8_t>(v >> (8 * i));
}
inline std::uint32_t le32At(const std::vector<std::uint8_t>& b, std::size_t at) {
    return static_cast<std::uint32_t>(b.at(at)) | static_cast<std::uint32_t>(b.at(at + 1)) << 8 |
           static_cast<std::uint32_t>(b.at(at + 2)) << 16 | static_cast<std::uint32_t>(b.at(at + 3)) << 24;
}
inline std::uint32_t be32At(const std::vector<std::uint8_t>& b, std::size_t at) {
    return static_cast<std::uint32_t>(b.at(at)) << 24 | static_cast<std::uint32_t>(b.at(at + 1)) << 16 |
           static_cast<std::uint32_t>(b.at(at + 2)) << 8 | static_cast<std::uint32_t>(b.at(at + 3));
}
inline void putText(std::vector<std::uint8_t>& b, std::size_t at, const std::string& t) {
    std::copy(t.begin(), t.end(), b.begin() + static_cast<std::ptrdiff_t>(at));
}
inline std::string textAt(const std::vector<std::uint8_t>& b, std::size_t at, std::size_t n) {
    std::string t(b.begin() + static_cast<std::ptrdiff_t>(at), b.begin() + static_cast<std::ptrdiff_t>(at + n));
    return t.substr(0, t.find('\0'));
}

// A synth preset header; the chunk is the caller's.
inline std::vector<std::uint8_t> presetHeader(std::size_t size, const std::string& name, const char* magic = "CcnK") {
    std::vector<std::uint8_t> b(size, 0);
    putText(b, 0, magic);
    putText(b, 8, "FPCh");
    putBe32(b, 12, 1);
    putText(b, 16, "451t");
    putBe32(b, 20, 1);
    putBe32(b, 24, 128);
    putText(b, 28, name);
    putBe32(b, 56, 528);
    return b;
}

inline std::vector<std::uint8_t> currentLayout(const std::string& name, const std::vector<float>& values,
                                               const char* magic = "CcnK") {
    std::vector<std::uint8_t> b = presetHeader(588, name, magic);
    putLe32(b, 60, 1400);
    putBe32(b, 64, 1400);
    for (std::size_t i = 0; i < values.size(); ++i)
        putLe32(b, 68 + 4 * i, std::bit_cast<std::uint32_t>(values[i]));
    return b;
}

// The older layout: 68 values from 60, value i being 10 + i.
inline std::vector<std::uint8_t> olderLayout(const std::string& name, std::size_t size = 332) {
    std::vector<std::uint8_t> b = presetHeader(std::max<std::size_t>(size, 332), name);
    for (std::size_t i = 0; i < 68; ++i)
        putLe32(b, 60 + 4 * i, std::bit_cast<std::uint32_t>(10.0f + static_cast<float>(i)));
    b.resize(size);
    return b;
}

}  // namespace rimba::test::synth_layout
