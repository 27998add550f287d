#include "plugin/editor/controls/ArtFrames.h"

#include "plugin/editor/artwork/ArtworkGeometry.h"

namespace rimba::controls {

int artFrameCount(std::string_view name) {
    const artwork::BitmapGeometry* geometry = artwork::geometryOf(name);
    return geometry ? geometry->frameCount : 1;
}

}  // namespace rimba::controls
