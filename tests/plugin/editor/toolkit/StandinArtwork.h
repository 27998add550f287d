#pragma once
// A stand-in for the embedded artwork in the toolkit's and the editor's tests: the two
// backgrounds and a film strip, drawn with cairo and kept as PNG bytes, in colours the tests
// look for. Only tests link it; the plug-in carries the real artwork.

#include <cstdint>

namespace rimba::test::standin {

// 0xRRGGBB of each background's plain area, and of the marker square both carry at
// kMarkerLeft, kMarkerTop (kMarkerSize pixels a side).
constexpr std::uint32_t kSmallBackground = 0x204060;
constexpr std::uint32_t kLargeBackground = 0x603020;
constexpr std::uint32_t kMarker = 0xe0c010;
constexpr int kMarkerLeft = 40;
constexpr int kMarkerTop = 30;
constexpr int kMarkerSize = 50;

// "Strip.png": 4 frames of 10 x 8 pixels, frame i filled with kStripColours[i].
constexpr int kStripWidth = 10;
constexpr int kStripFrameHeight = 8;
constexpr std::uint32_t kStripColours[4] = {0xff0000, 0x00ff00, 0x0000ff, 0xffffff};

}  // namespace rimba::test::standin
