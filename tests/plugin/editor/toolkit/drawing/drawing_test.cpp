// Drawings into offscreen pictures whose every checked pixel is known: the same table holds the
// cairo backend (Linux) and the GDI+ backend (Windows) to one geometry, in which integer
// coordinates lie on pixel edges, so a one-pixel line at +0.5 covers exactly one row.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <functional>
#include <memory>
#include <numbers>
#include <string>
#include <vector>

#include "plugin/editor/toolkit/Bitmap.h"
#include "plugin/editor/toolkit/DrawContext.h"
#include "plugin/editor/toolkit/DrawingSession.h"
#include "tests/plugin/editor/toolkit/drawing/TestPngs.h"

namespace rimba::test {
namespace {

using toolkit::CBitmap;
using toolkit::CDrawContext;
using toolkit::COffscreen;

struct Pixel {
    int x;
    int y;
    std::uint32_t colour;  // 0xRRGGBB
    int tolerance = 0;  // in each channel
};

struct Drawing {
    std::string name;
    std::function<void(CDrawContext&)> draw;
    std::vector<Pixel> expected;
};

bool near(std::uint32_t found, std::uint32_t wanted, int tolerance) {
    for (int shift : {16, 8, 0}) {
        const int a = static_cast<int>((found >> shift) & 0xff);
        const int b = static_cast<int>((wanted >> shift) & 0xff);
        if (std::abs(a - b) > tolerance)
            return false;
    }
    return true;
}

std::shared_ptr<CBitmap> decoded(const std::vector<unsigned char>& png) {
    return CBitmap::fromPng(png.data(), png.size());
}

void drawOnBlack(COffscreen& picture, const std::function<void(CDrawContext&)>& draw) {
    std::unique_ptr<CDrawContext> context = picture.beginDrawing();
    context->setColour(0, 0, 0);
    context->paint();
    draw(*context);
}

constexpr std::uint32_t kBlack = 0x000000;
constexpr std::uint32_t kWhite = 0xffffff;
constexpr std::uint32_t kRed = 0xff0000;
constexpr std::uint32_t kGreen = 0x00ff00;
constexpr std::uint32_t kBlue = 0x0000ff;

TEST(Drawing, EveryDrawingOfTheTableColoursExactlyItsPixels) {
    toolkit::DrawingSession session;
    ASSERT_TRUE(session.available()) << session.whyUnavailable();
    const std::shared_ptr<CBitmap> colours = decoded(pngs::kColours);
    const std::shared_ptr<CBitmap> strip = decoded(pngs::kStrip);
    ASSERT_NE(colours, nullptr);
    ASSERT_NE(strip, nullptr);

    const std::vector<Drawing> drawings{
        {"paint covers the whole picture in the colour",
         [](CDrawContext& c) {
             c.setColour(0.2, 0.4, 0.6);
             c.paint();
         },
         {{0, 0, 0x336699}, {19, 19, 0x336699}, {7, 12, 0x336699}}},
        {"a rectangle on whole pixels fills exactly them",
         [](CDrawContext& c) {
             c.setColour(1, 0, 0);
             c.rectangle(2, 3, 4, 5);
             c.fill();
         },
         {{2, 3, kRed}, {5, 7, kRed}, {1, 3, kBlack}, {6, 3, kBlack}, {2, 2, kBlack}, {2, 8, kBlack}}},
        {"a path of lines closed and filled",
         [](CDrawContext& c) {
             c.setColour(0, 1, 0);
             c.moveTo(3, 3);
             c.lineTo(9, 3);
             c.lineTo(9, 9);
             c.lineTo(3, 9);
             c.closePath();
             c.fill();
         },
         {{3, 3, kGreen}, {8, 8, kGreen}, {2, 5, kBlack}, {9, 5, kBlack}}},
        {"a one-pixel line at +0.5 covers one row and ends square",
         [](CDrawContext& c) {
             c.setColour(1, 1, 1);
             c.setLineWidth(1);
             c.moveTo(2, 4.5);
             c.lineTo(9, 4.5);
             c.stroke();
         },
         {{2, 4, kWhite},
          {5, 4, kWhite},
          {8, 4, kWhite},
          {5, 3, kBlack},
          {5, 5, kBlack},
          {1, 4, kBlack},
          {9, 4, kBlack}}},
        {"a one-pixel line at +0.5 covers one column",
         [](CDrawContext& c) {
             c.setColour(1, 1, 1);
             c.setLineWidth(1);
             c.moveTo(6.5, 1);
             c.lineTo(6.5, 15);
             c.stroke();
         },
         {{6, 1, kWhite}, {6, 14, kWhite}, {5, 8, kBlack}, {7, 8, kBlack}, {6, 0, kBlack}, {6, 15, kBlack}}},
        {"a clip limits paint to its inside",
         [](CDrawContext& c) {
             c.clipTo({2, 2, 6, 6});
             c.setColour(0, 1, 0);
             c.paint();
         },
         {{2, 2, kGreen}, {5, 5, kGreen}, {1, 1, kBlack}, {6, 6, kBlack}, {1, 3, kBlack}, {6, 3, kBlack}}},
        {"clips intersect",
         [](CDrawContext& c) {
             c.clipTo({2, 2, 10, 10});
             c.clipTo({5, 5, 15, 15});
             c.setColour(0, 0, 1);
             c.paint();
         },
         {{5, 5, kBlue}, {9, 9, kBlue}, {3, 3, kBlack}, {10, 10, kBlack}, {12, 12, kBlack}, {4, 8, kBlack}}},
        {"restore brings back the colour and the clip",
         [](CDrawContext& c) {
             c.setColour(1, 0, 0);
             c.save();
             c.clipTo({0, 0, 2, 2});
             c.setColour(0, 0, 1);
             c.paint();
             c.restore();
             c.rectangle(5, 5, 2, 2);
             c.fill();
         },
         {{0, 0, kBlue}, {1, 1, kBlue}, {5, 5, kRed}, {6, 6, kRed}, {3, 3, kBlack}}},
        {"the winding rule fills a rectangle inside another drawn the same way round",
         [](CDrawContext& c) {
             c.setColour(1, 1, 1);
             c.rectangle(2, 2, 10, 10);
             c.rectangle(5, 5, 3, 3);
             c.fill();
         },
         {{6, 6, kWhite}, {3, 3, kWhite}, {12, 12, kBlack}}},
        {"fillPreserve keeps the path for the stroke after it",
         [](CDrawContext& c) {
             c.setColour(1, 0, 0);
             c.rectangle(5, 5, 6, 6);
             c.fillPreserve();
             c.setColour(1, 1, 1);
             c.setLineWidth(2);
             c.stroke();
         },
         {{7, 7, kRed},
          {4, 4, kWhite},
          {5, 8, kWhite},
          {10, 10, kWhite},
          {11, 8, kWhite},
          {3, 8, kBlack},
          {12, 8, kBlack}}},
        {"an arc is joined by a line to the current point",
         [](CDrawContext& c) {
             c.setColour(1, 1, 1);
             c.setLineWidth(1);
             c.moveTo(1, 10.5);
             c.arc(14, 10.5, 4, 0, std::numbers::pi);
             c.stroke();
         },
         // Along row 10 from x 1 to the arc's start at 18; the half turn passes below the centre.
         {{1, 10, kWhite},
          {5, 10, kWhite},
          {17, 10, kWhite},
          {0, 10, kBlack},
          {14, 5, kBlack},
          {14, 14, kWhite, 0x60}}},
        {"half-transparent colours blend with what is under them",
         [](CDrawContext& c) {
             c.setColour(0, 0, 1);
             c.paint();
             c.setColour(1, 0, 0, 0.25);
             c.rectangle(0, 0, 4, 4);
             c.fill();
             c.setColour(1, 1, 1, 0.5);
             c.rectangle(10, 10, 4, 4);
             c.fill();
         },
         {{1, 1, 0x4000bf, 1}, {11, 11, 0x8080ff, 1}, {6, 6, kBlue}}},
        {"overlapping figures of one half-transparent fill blend once",
         [](CDrawContext& c) {
             c.setColour(1, 1, 1, 0.5);
             c.rectangle(2, 2, 6, 6);
             c.rectangle(4, 4, 6, 6);
             c.fill();
         },
         {{3, 3, 0x808080, 1}, {5, 5, 0x808080, 1}, {9, 9, 0x808080, 1}, {9, 2, kBlack}, {1, 1, kBlack}}},
        {"a bitmap with alpha over a colour, premultiplied, and only its own pixels",
         [&colours](CDrawContext& c) {
             c.setColour(0, 1, 0);
             c.paint();
             colours->draw(c, {1, 1});
         },
         {{1, 1, kRed},
          {2, 1, kGreen},
          {3, 1, 0x007f80, 1},  // half-transparent blue
          {1, 2, kGreen},  // transparent
          {2, 2, 0x20df20, 1},  // grey a quarter opaque
          {3, 2, kWhite},
          {0, 0, kGreen},
          {4, 1, kGreen},
          {1, 3, kGreen}}},
        {"a film strip shows only the frame asked for",
         [&strip](CDrawContext& c) {
             strip->drawFrame(c, {5, 6}, 2, 4);
         },
         {{5, 6, kBlue}, {14, 13, kBlue}, {5, 5, kBlack}, {5, 14, kBlack}, {15, 6, kBlack}, {4, 6, kBlack}}},
        {"a film strip's index past its end shows the last frame",
         [&strip](CDrawContext& c) {
             strip->drawFrame(c, {0, 0}, 9, 4);
         },
         {{0, 0, kWhite}, {9, 7, kWhite}, {0, 8, kBlack}}},
    };

    for (const Drawing& drawing : drawings) {
        COffscreen picture(20, 20);
        drawOnBlack(picture, drawing.draw);
        for (const Pixel& pixel : drawing.expected) {
            const std::uint32_t found = picture.pixelAt(pixel.x, pixel.y);
            EXPECT_TRUE(near(found, pixel.colour, pixel.tolerance))
                << drawing.name << ": pixel " << pixel.x << "," << pixel.y << " is " << std::hex << found << ", not "
                << pixel.colour;
        }
    }
}

// A filled disc: its edge is antialiased (grey levels between black and white, as cairo draws),
// and its coverage has the disc's area and centre. Far from the origin too, where the editor's
// equaliser dots lie in the 12-track window: GDI+ under Wine 8 overflowed the stack flattening
// such a small circle there.
TEST(Drawing, ADiscHasAntialiasedEdgesAndTheAreaAndCentreOfItsCircle) {
    toolkit::DrawingSession session;
    ASSERT_TRUE(session.available()) << session.whyUnavailable();
    struct Disc {
        double x, y, radius;
        int greys;  // at least this many edge pixels between black and white
    };
    for (const Disc disc : {Disc{12, 11, 7.0, 12}, Disc{358.5, 758.5, 3.5, 8}}) {
        SCOPED_TRACE("disc at " + std::to_string(disc.x) + "," + std::to_string(disc.y));
        const int left = static_cast<int>(disc.x - disc.radius) - 2;
        const int top = static_cast<int>(disc.y - disc.radius) - 2;
        COffscreen picture(left + static_cast<int>(2 * disc.radius) + 5, top + static_cast<int>(2 * disc.radius) + 5);
        drawOnBlack(picture, [&](CDrawContext& c) {
            c.setColour(1, 1, 1);
            c.arc(disc.x, disc.y, disc.radius, 0, 2 * std::numbers::pi);
            c.fill();
        });
        double area = 0;
        double sumX = 0;
        double sumY = 0;
        int greys = 0;
        for (int y = top; y < picture.height(); ++y) {
            for (int x = left; x < picture.width(); ++x) {
                const std::uint32_t level = picture.pixelAt(x, y) & 0xff;
                const double covered = level / 255.0;
                area += covered;
                sumX += covered * (x + 0.5);
                sumY += covered * (y + 0.5);
                if (level > 0x10 && level < 0xf0)
                    ++greys;
            }
        }
        EXPECT_NEAR(area, std::numbers::pi * disc.radius * disc.radius, 2.0);
        EXPECT_NEAR(sumX / area, disc.x, 0.1);
        EXPECT_NEAR(sumY / area, disc.y, 0.1);
        EXPECT_GE(greys, disc.greys) << "the edge is not antialiased";
        EXPECT_EQ(picture.pixelAt(static_cast<int>(disc.x), static_cast<int>(disc.y)), kWhite);
    }
}

TEST(Drawing, APictureWrittenAsPngDecodesToTheSamePixels) {
    toolkit::DrawingSession session;
    ASSERT_TRUE(session.available()) << session.whyUnavailable();
    COffscreen picture(13, 7);
    drawOnBlack(picture, [](CDrawContext& c) {
        c.setColour(0.2, 0.4, 0.6);
        c.rectangle(1, 1, 5, 3);
        c.fill();
        c.setColour(1, 1, 1);
        c.arc(9, 4, 2.5, 0, 2 * std::numbers::pi);
        c.fill();
    });
    const std::string path = ::testing::TempDir() + "drawing-round-trip.png";
    ASSERT_TRUE(picture.writePng(path));
    std::vector<unsigned char> png;
    {
        std::FILE* file = std::fopen(path.c_str(), "rb");
        ASSERT_NE(file, nullptr);
        unsigned char buffer[4096];
        std::size_t read = 0;
        while ((read = std::fread(buffer, 1, sizeof buffer, file)) > 0)
            png.insert(png.end(), buffer, buffer + read);
        std::fclose(file);
    }
    std::remove(path.c_str());
    const std::shared_ptr<CBitmap> back = decoded(png);
    ASSERT_NE(back, nullptr);
    ASSERT_EQ(back->getWidth(), 13);
    ASSERT_EQ(back->getHeight(), 7);
    for (int y = 0; y < 7; ++y)
        for (int x = 0; x < 13; ++x)
            EXPECT_EQ(back->pixelAt(x, y), 0xff000000u | picture.pixelAt(x, y)) << x << "," << y;

    // A folder that is not there: no file, and false.
    const std::string nowhere = ::testing::TempDir() + "no-such-folder/picture.png";
    EXPECT_FALSE(picture.writePng(nowhere));
    EXPECT_EQ(std::fopen(nowhere.c_str(), "rb"), nullptr);
}

}  // namespace
}  // namespace rimba::test
