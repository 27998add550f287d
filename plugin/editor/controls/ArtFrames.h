#pragma once
// The frames of each film strip of our artwork.

#include <string_view>

namespace rimba::controls {

struct ArtFrameSize {
    int width = 0;
    int height = 0;
    int frames = 1;
};

// One frame of zero size for a name the artwork does not know.
ArtFrameSize artFrameSize(std::string_view name);

}  // namespace rimba::controls
