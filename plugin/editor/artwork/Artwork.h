#pragma once
// The editor's own artwork: PNG images drawn by our generator (tools/artwork) at build time and
// embedded in the plug-in, found by their file names ("Background.png", "KnobGrayEx.png", ...).

#include <cstddef>
#include <span>
#include <string_view>

namespace rimba::artwork {

struct Image {
    std::string_view name;
    const unsigned char* png;
    std::size_t size;
};

// nullptr when no image carries that name.
const Image* find(std::string_view name);
std::span<const Image> all();

}  // namespace rimba::artwork
