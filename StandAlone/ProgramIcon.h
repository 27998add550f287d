#pragma once
// The program's window icon, drawn here rather than loaded: 32 x 32 pixels, opaque (the design's
// icon has 24 bits, no transparency), a drum seen from above on a dark tile.

#include <array>
#include <cstdint>

namespace rimba::standalone {

inline constexpr int kProgramIconSide = 32;

// Row by row from the top, each pixel 0xAARRGGBB with alpha 0xFF. Any thread.
std::array<std::uint32_t, kProgramIconSide * kProgramIconSide> drawProgramIcon();

}  // namespace rimba::standalone
