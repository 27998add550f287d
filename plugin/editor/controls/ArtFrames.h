#pragma once
// How many frames each film strip of our artwork holds.

#include <string_view>

namespace rimba::controls {

// 1 for a bitmap that is not a film strip or that the artwork does not know.
int artFrameCount(std::string_view name);

}  // namespace rimba::controls
