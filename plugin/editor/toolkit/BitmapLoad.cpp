// Bitmaps by name from the embedded artwork. A file of its own, so that a program that decodes
// PNG bytes only (a benchmark) links without the artwork.

#include "plugin/editor/artwork/Artwork.h"
#include "plugin/editor/toolkit/Bitmap.h"

namespace rimba::toolkit {

std::shared_ptr<CBitmap> CBitmap::load(std::string_view name) {
    const artwork::Image* found = artwork::find(name);
    if (!found)
        return nullptr;
    return fromPng(found->png, found->size);
}

}  // namespace rimba::toolkit
