#pragma once
// A reader run on bytes copied into a heap block of exactly their size, so that the sanitizer
// build reports any read past them.

#include <cstdint>
#include <vector>

#include "plugin/model/Sound.h"

namespace rimba::files::fixtures {

using Reader = std::int32_t (*)(Sound&, const std::uint8_t*, std::size_t);

struct Decoded {
    std::int32_t result = -1;
    Sound sound;
};

inline Decoded decode(Reader reader, const std::uint8_t* bytes, std::size_t count) {
    const std::vector<std::uint8_t> exact(bytes, bytes + count);
    Decoded decoded;
    decoded.result = reader(decoded.sound, exact.data(), exact.size());
    return decoded;
}

}  // namespace rimba::files::fixtures
