#pragma once
// Turning the table of bitmaps into images: each bitmap rendered frame by frame, encoded as PNG,
// gathered into the C++ source that embeds them, and shown together on a contact sheet.

#include <cairo.h>

#include <string>
#include <vector>

#include "plugin/editor/artwork/ArtworkGeometry.h"

namespace rimba::artwork::draw {

struct RenderedImage {
    std::string name;
    std::vector<unsigned char> png;
};

// The bitmap with every frame drawn; the caller destroys it. nullptr when no drawer paints it.
cairo_surface_t* renderBitmap(const BitmapGeometry& bitmap);

// PNG bytes of a surface; the same pixels always give the same bytes.
std::vector<unsigned char> encodePng(cairo_surface_t* surface);

// The source of the library rimba_artwork: every image as a byte array, and the lookup of
// plugin/editor/artwork/Artwork.h over them.
std::string embeddedSource(const std::vector<RenderedImage>& images);

// A sketch of the 8-track editor with a few controls on its background (Preview.cpp).
cairo_surface_t* preview();

// All bitmaps on one page, film strips shown as rows of frames, each with its name.
cairo_surface_t* contactSheet();

}  // namespace rimba::artwork::draw
