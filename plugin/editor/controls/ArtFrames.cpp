#include "plugin/editor/controls/ArtFrames.h"

#include "plugin/editor/artwork/ArtworkGeometry.h"

namespace rimba::controls {

ArtFrameSize artFrameSize(std::string_view name) {
    const artwork::BitmapGeometry* geometry = artwork::geometryOf(name);
    if (!geometry)
        return {};
    return {geometry->frameWidth, geometry->frameHeight, geometry->frameCount};
}

}  // namespace rimba::controls
