// PNG bytes made by an encoder apart from both backends (make_test_pngs.py) to premultiplied
// pixels, in every colour type the artwork could use, and damaged or hostile bytes to nothing.

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "plugin/editor/toolkit/Bitmap.h"
#include "plugin/editor/toolkit/DrawingSession.h"
#include "tests/plugin/editor/toolkit/drawing/TestPngs.h"

namespace rimba::test {
namespace {

using toolkit::CBitmap;

struct Decoding {
    std::string name;
    const std::vector<unsigned char>& png;
    int width;
    int height;
    std::vector<std::uint32_t> pixels;  // premultiplied 0xAARRGGBB, row after row
};

TEST(PngDecode, EveryColourTypeDecodesToItsPremultipliedPixels) {
    toolkit::DrawingSession session;
    ASSERT_TRUE(session.available()) << session.whyUnavailable();
    const std::vector<Decoding> decodings{
        {"straight RGBA",
         pngs::kColours,
         3,
         2,
         {0xffff0000, 0xff00ff00, 0x80000080, 0x00000000, 0x40202020, 0xffffffff}},
        {"grey", pngs::kGrey, 4, 1, {0xff000000, 0xff555555, 0xffaaaaaa, 0xffffffff}},
        {"palette with transparency", pngs::kPalette, 3, 1, {0xffff0000, 0x00000000, 0x80000080}},
        {"sixteen bits a channel", pngs::kDeep, 2, 1, {0xffff0000, 0x80000080}},
    };
    for (const Decoding& decoding : decodings) {
        const std::shared_ptr<CBitmap> bitmap = CBitmap::fromPng(decoding.png.data(), decoding.png.size());
        ASSERT_NE(bitmap, nullptr) << decoding.name;
        ASSERT_EQ(bitmap->getWidth(), decoding.width) << decoding.name;
        ASSERT_EQ(bitmap->getHeight(), decoding.height) << decoding.name;
        for (std::size_t i = 0; i < decoding.pixels.size(); ++i) {
            const int x = static_cast<int>(i) % decoding.width;
            const int y = static_cast<int>(i) / decoding.width;
            EXPECT_EQ(bitmap->pixelAt(x, y), decoding.pixels[i]) << decoding.name << ": pixel " << x << "," << y;
        }
    }
    // Every row of the film strip, filtered or not.
    const std::shared_ptr<CBitmap> strip = CBitmap::fromPng(pngs::kStrip.data(), pngs::kStrip.size());
    ASSERT_NE(strip, nullptr);
    const std::uint32_t frames[4] = {0xffff0000, 0xff00ff00, 0xff0000ff, 0xffffffff};
    for (int y = 0; y < 32; ++y)
        for (int x : {0, 9})
            EXPECT_EQ(strip->pixelAt(x, y), frames[y / 8]) << x << "," << y;
}

TEST(PngDecode, BytesThatAreNoWholePngOrTooLargeAPictureGiveNoBitmap) {
    toolkit::DrawingSession session;
    ASSERT_TRUE(session.available()) << session.whyUnavailable();
    const std::vector<unsigned char>& whole = pngs::kPlain;
    ASSERT_NE(CBitmap::fromPng(whole.data(), whole.size()), nullptr);

    std::vector<unsigned char> hugeWidth = whole;
    hugeWidth[17] = 0x0f;  // the header's width, a million pixels, its checksum now wrong
    std::vector<unsigned char> chunkPastTheEnd = whole;
    chunkPastTheEnd[33] = 0x7f;  // the data chunk's length, far beyond the file
    std::vector<unsigned char> corruptData = whole;
    for (std::size_t i = 45; i < 60; ++i)
        corruptData[i] ^= 0x5a;  // inside the compressed pixels
    const auto part = [&whole](std::size_t size) {
        return std::vector<unsigned char>(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(size));
    };
    const std::vector<std::pair<std::string, std::vector<unsigned char>>> damaged{
        {"empty", {}},
        {"the signature alone", part(8)},
        {"the header alone", part(33)},
        {"cut in the middle", part(whole.size() / 2)},
        {"cut before the end chunk", part(whole.size() - 12)},
        {"not a PNG", std::vector<unsigned char>(whole.size(), 0x55)},
        {"a width of a million", hugeWidth},
        {"a chunk longer than the file", chunkPastTheEnd},
        {"damaged pixel data", corruptData},
        {"20000 x 20000 with every checksum right", pngs::kHuge},
        {"a whole picture one pixel wider than the limit", pngs::kTooWide},
    };
    for (const auto& [name, bytes] : damaged)
        EXPECT_EQ(CBitmap::fromPng(bytes.data(), bytes.size()), nullptr) << name;
    EXPECT_EQ(CBitmap::fromPng(nullptr, 100), nullptr);
}

}  // namespace
}  // namespace rimba::test
