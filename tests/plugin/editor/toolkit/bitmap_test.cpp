// PNG bytes to bitmaps: premultiplied colours and alpha, film strips, and bytes
// that are no image.

#include <gtest/gtest.h>

#include <cairo.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "plugin/editor/toolkit/Bitmap.h"
#include "plugin/editor/toolkit/DrawContext.h"
#include "tests/plugin/editor/toolkit/StandinArtwork.h"
#include "tests/plugin/editor/toolkit/ToolkitFixtures.h"
#include "tests/support/PngBytes.h"

namespace rimba::test {
namespace {

using toolkit::CBitmap;

TEST(Bitmap, DecodesColourAndAlphaIntoPremultipliedPixels) {
    // cairo writes its premultiplied pixels out as straight alpha; reading them back must give
    // the same premultiplied words.
    cairo_surface_t* source = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 3, 2);
    cairo_surface_flush(source);
    auto* pixels = reinterpret_cast<std::uint32_t*>(cairo_image_surface_get_data(source));
    const int stride = cairo_image_surface_get_stride(source) / 4;
    const std::uint32_t words[6] = {0xffff0000, 0xff00ff00, 0x80000080, 0x00000000, 0x40202020, 0xffffffff};
    for (int i = 0; i < 6; ++i)
        pixels[(i / 3) * stride + i % 3] = words[i];
    cairo_surface_mark_dirty(source);
    const std::vector<unsigned char> png = pngBytesOf(source);
    cairo_surface_destroy(source);

    auto bitmap = CBitmap::fromPng(png.data(), png.size());
    ASSERT_NE(bitmap, nullptr);
    EXPECT_EQ(bitmap->getWidth(), 3);
    EXPECT_EQ(bitmap->getHeight(), 2);
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(bitmap->pixelAt(i % 3, i / 3), words[i]) << "pixel " << i;
}

TEST(Bitmap, BytesThatAreNoWholePngGiveNoBitmap) {
    cairo_surface_t* source = cairo_image_surface_create(CAIRO_FORMAT_RGB24, 64, 64);
    const std::vector<unsigned char> png = pngBytesOf(source);
    cairo_surface_destroy(source);
    std::vector<unsigned char> hugeHeader = png;
    // The header's width (bytes 16 to 19) says a million pixels; its CRC no longer matches, which
    // libpng may report first: either way, nothing.
    hugeHeader[17] = 0x0f;
    const std::vector<std::vector<unsigned char>> damaged{
        {},
        std::vector<unsigned char>(png.begin(), png.begin() + 8),
        std::vector<unsigned char>(png.begin(), png.begin() + static_cast<std::ptrdiff_t>(png.size() / 2)),
        std::vector<unsigned char>(png.size(), 0x55),
        hugeHeader,
    };
    for (std::size_t i = 0; i < damaged.size(); ++i)
        EXPECT_EQ(CBitmap::fromPng(damaged[i].data(), damaged[i].size()), nullptr) << "case " << i;
    EXPECT_EQ(CBitmap::fromPng(nullptr, 100), nullptr);
}

TEST(Bitmap, LoadsArtworkByNameAndNothingForAnUnknownName) {
    auto background = CBitmap::load("Background.png");
    ASSERT_NE(background, nullptr);
    EXPECT_EQ(background->getWidth(), 1005);
    EXPECT_EQ(background->getHeight(), 642);
    EXPECT_EQ(background->pixelAt(standin::kMarkerLeft, standin::kMarkerTop) & 0xffffffu, standin::kMarker);
    EXPECT_EQ(background->pixelAt(0, 0) & 0xffffffu, standin::kSmallBackground);
    EXPECT_EQ(CBitmap::load("NoSuchImage.png"), nullptr);
}

TEST(Bitmap, DrawsTheAskedFrameOfAFilmStripAndTheNearestForAnIndexOutOfRange) {
    auto strip = CBitmap::load("Strip.png");
    ASSERT_NE(strip, nullptr);
    toolkit::COffscreen target(40, 20);
    struct Case {
        int index;
        std::uint32_t colour;
    };
    for (const Case c :
         {Case{0, standin::kStripColours[0]}, Case{2, standin::kStripColours[2]}, Case{3, standin::kStripColours[3]},
          Case{-5, standin::kStripColours[0]}, Case{9, standin::kStripColours[3]}}) {
        {
            std::unique_ptr<toolkit::CDrawContext> context = target.beginDrawing();
            context->setColour(0, 0, 0);
            context->paint();
            strip->drawFrame(*context, {5, 6}, c.index, 4);
        }
        EXPECT_EQ(target.pixelAt(5, 6), c.colour) << "frame " << c.index;
        EXPECT_EQ(target.pixelAt(14, 13), c.colour) << "frame " << c.index;
        // Nothing of the neighbouring frames beyond the frame's height.
        EXPECT_EQ(target.pixelAt(5, 14), 0u) << "frame " << c.index;
        EXPECT_EQ(target.pixelAt(15, 6), 0u) << "frame " << c.index;
    }
}

}  // namespace
}  // namespace rimba::test
