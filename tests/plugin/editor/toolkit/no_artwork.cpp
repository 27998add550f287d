// The dialog tests draw no artwork: every image name is unknown to them.
#include "plugin/editor/artwork/Artwork.h"

namespace rimba::artwork {

const Image* find(std::string_view) { return nullptr; }
std::span<const Image> all() { return {}; }

}  // namespace rimba::artwork
