#pragma once
// The typeface's font files, carried inside the library (generated at build time from Debian's
// fonts-dejavu-core by EmbedFonts.cmake): Windows need not have DejaVu Sans, and GDI+ takes a font
// from memory into a private collection.

#include <cstddef>

namespace rimba::toolkit::gdiplus {

struct EmbeddedFont {
    const unsigned char* bytes;
    std::size_t size;
};

// DejaVu Sans, then DejaVu Sans Bold.
extern const EmbeddedFont kEmbeddedFonts[2];

}  // namespace rimba::toolkit::gdiplus
