#include <algorithm>

#include "plugin/editor/toolkit/DrawContext.h"

namespace rimba::toolkit {

COffscreen::COffscreen(int width, int height)
    : columns(std::max(width, 1)),
      rows(std::max(height, 1)),
      words(static_cast<std::size_t>(columns) * static_cast<std::size_t>(rows), 0u) {}

std::uint32_t COffscreen::pixelAt(int x, int y) const {
    if (x < 0 || y < 0 || x >= columns || y >= rows)
        return 0;
    return words[static_cast<std::size_t>(y) * static_cast<std::size_t>(columns) + static_cast<std::size_t>(x)] &
           0x00ffffffu;
}

}  // namespace rimba::toolkit
