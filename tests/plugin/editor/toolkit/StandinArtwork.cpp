#include "tests/plugin/editor/toolkit/StandinArtwork.h"

#include <cairo.h>

#include <array>
#include <string>
#include <vector>

#include "plugin/editor/artwork/Artwork.h"
#include "tests/support/PngBytes.h"

namespace rimba::artwork {

namespace {

using namespace rimba::test::standin;

void setColour(cairo_t* context, std::uint32_t rgb) {
    cairo_set_source_rgb(context, ((rgb >> 16) & 0xff) / 255.0, ((rgb >> 8) & 0xff) / 255.0, (rgb & 0xff) / 255.0);
}

// The PNG bytes of a drawn image, which it takes and destroys.
std::vector<unsigned char> pngOf(cairo_surface_t* surface) {
    std::vector<unsigned char> bytes = rimba::test::pngBytesOf(surface);
    cairo_surface_destroy(surface);
    return bytes;
}

std::vector<unsigned char> background(int height, std::uint32_t colour) {
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, 1005, height);
    cairo_t* context = cairo_create(surface);
    setColour(context, colour);
    cairo_paint(context);
    setColour(context, kMarker);
    cairo_rectangle(context, kMarkerLeft, kMarkerTop, kMarkerSize, kMarkerSize);
    cairo_fill(context);
    cairo_destroy(context);
    return pngOf(surface);
}

std::vector<unsigned char> strip() {
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, kStripWidth, 4 * kStripFrameHeight);
    cairo_t* context = cairo_create(surface);
    for (int i = 0; i < 4; ++i) {
        setColour(context, kStripColours[i]);
        cairo_rectangle(context, 0, i * kStripFrameHeight, kStripWidth, kStripFrameHeight);
        cairo_fill(context);
    }
    cairo_destroy(context);
    return pngOf(surface);
}

struct Images {
    std::vector<unsigned char> small = background(642, kSmallBackground);
    std::vector<unsigned char> large = background(850, kLargeBackground);
    std::vector<unsigned char> film = strip();
    std::array<Image, 3> list{Image{"Background.png", small.data(), small.size()},
                              Image{"BackgroundLarge.png", large.data(), large.size()},
                              Image{"Strip.png", film.data(), film.size()}};
};

const Images& images() {
    static const Images drawn;
    return drawn;
}

}  // namespace

const Image* find(std::string_view name) {
    for (const Image& image : images().list)
        if (image.name == name)
            return &image;
    return nullptr;
}

std::span<const Image> all() { return images().list; }

}  // namespace rimba::artwork
