// The editor's artwork as the plug-in carries it: every bitmap the editor names is embedded and
// decodes (with libpng, not the cairo that drew it) at the size its geometry gives; the generator
// writes the same bytes on every run, and the bytes the library embeds are those; and the frames
// show what their controls need them to show.

#include <gtest/gtest.h>
#include <png.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "plugin/editor/artwork/Artwork.h"
#include "plugin/editor/artwork/ArtworkGeometry.h"
#include "tests/support/TempFolder.h"

namespace rimba::artwork {
namespace {

struct Pixel {
    int red, green, blue, alpha;
    int brightest() const { return std::max({red, green, blue}); }
    int saturation() const { return brightest() - std::min({red, green, blue}); }
    bool operator==(const Pixel&) const = default;
};

struct Decoded {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgba;  // straight (not premultiplied) alpha

    Pixel at(int x, int y) const {
        const std::size_t i = (static_cast<std::size_t>(y) * width + x) * 4;
        return {rgba[i], rgba[i + 1], rgba[i + 2], rgba[i + 3]};
    }
};

Decoded decode(const unsigned char* png, std::size_t size) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    Decoded out;
    if (!png_image_begin_read_from_memory(&image, png, size))
        return out;
    image.format = PNG_FORMAT_RGBA;
    std::vector<std::uint8_t> pixels(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr))
        return out;
    out.width = static_cast<int>(image.width);
    out.height = static_cast<int>(image.height);
    out.rgba = std::move(pixels);
    return out;
}

Decoded decodeEmbedded(std::string_view name) {
    const Image* image = find(name);
    if (image == nullptr)
        return {};
    return decode(image->png, image->size);
}

// The pixels of one frame of a film strip.
std::vector<Pixel> framePixels(const Decoded& strip, const BitmapGeometry& bitmap, int frame) {
    std::vector<Pixel> pixels;
    for (int y = 0; y < bitmap.frameHeight; ++y)
        for (int x = 0; x < bitmap.frameWidth; ++x)
            pixels.push_back(strip.at(x, frame * bitmap.frameHeight + y));
    return pixels;
}

int colourDistance(const Pixel& p, const Pixel& q) {
    return std::abs(p.red - q.red) + std::abs(p.green - q.green) + std::abs(p.blue - q.blue);
}

// A pixel in a lit colour: opaque enough, bright and coloured, or bright and light (the silver
// arc); the panel greys and the dark track are neither.
bool isLit(const Pixel& p) { return p.alpha > 160 && p.brightest() > 150; }

TEST(Artwork, EveryBitmapTheEditorNamesIsEmbeddedAndDecodesAtItsSize) {
    EXPECT_EQ(all().size(), std::size(kBitmaps));
    for (const BitmapGeometry& bitmap : kBitmaps) {
        SCOPED_TRACE(std::string(bitmap.name));
        const Image* image = find(bitmap.name);
        ASSERT_NE(image, nullptr);
        EXPECT_EQ(image->name, bitmap.name);
        const Decoded decoded = decode(image->png, image->size);
        EXPECT_EQ(decoded.width, bitmap.frameWidth);
        EXPECT_EQ(decoded.height, bitmap.frameHeight * bitmap.frameCount);
    }
    EXPECT_EQ(find("NoSuchBitmap.png"), nullptr);
    EXPECT_EQ(find("background.png"), nullptr) << "names are matched exactly";
}

TEST(Artwork, TheGeneratorWritesTheSameBytesEveryRunAndTheLibraryEmbedsThem) {
    test::TempFolder first;
    test::TempFolder second;
    for (const test::TempFolder* folder : {&first, &second}) {
        const std::string command = std::string("'") + RIMBA_MAKE_ARTWORK + "' '" + folder->path() + "'";
        ASSERT_EQ(std::system(command.c_str()), 0) << command;
    }
    EXPECT_EQ(test::readBytes(first / "Artwork.cpp"), test::readBytes(second / "Artwork.cpp"));
    for (const BitmapGeometry& bitmap : kBitmaps) {
        SCOPED_TRACE(std::string(bitmap.name));
        const std::string relative = "png/" + std::string(bitmap.name);
        const std::vector<std::uint8_t> written = test::readBytes(first / relative);
        ASSERT_FALSE(written.empty());
        EXPECT_EQ(written, test::readBytes(second / relative));
        const Image* image = find(bitmap.name);
        ASSERT_NE(image, nullptr);
        EXPECT_EQ(written, std::vector<std::uint8_t>(image->png, image->png + image->size));
    }
}

// The value arc of a knob, sampled along its ring: frame 0 shows none of it, the last frame all
// of it, and the middle frame its first half only (it grows from the start of the usable arc).
TEST(Artwork, AKnobsValueArcGrowsFromItsStartToTheWholeArc) {
    for (std::string_view name : {"KnobGrayEx.png", "KnobRoseEx.png", "KnobBlueEx.png"}) {
        SCOPED_TRACE(std::string(name));
        const BitmapGeometry& knob = *geometryOf(name);
        const Decoded strip = decodeEmbedded(name);
        ASSERT_EQ(strip.height, knob.height());
        const double cx = knob.frameWidth / 2.0;
        const double cy = knob.frameHeight / 2.0;
        const double radius = knob.frameWidth / 2.0 - 3.0;
        const auto litAt = [&](int frame, double share) {
            const double degrees = kKnobArcStartDegrees + kKnobArcSweepDegrees * share;
            const double angle = degrees * 3.14159265358979323846 / 180.0;
            const int x = static_cast<int>(std::floor(cx + std::cos(angle) * radius));
            const int y = static_cast<int>(std::floor(cy + std::sin(angle) * radius));
            return isLit(strip.at(x, frame * knob.frameHeight + y));
        };
        const int last = knob.frameCount - 1;
        for (int i = 1; i < 20; ++i) {
            const double share = i / 20.0;
            EXPECT_FALSE(litAt(0, share)) << "frame 0 at " << share;
            EXPECT_TRUE(litAt(last, share)) << "last frame at " << share;
            if (share < 0.45) {
                EXPECT_TRUE(litAt(last / 2, share)) << "middle frame at " << share;
            } else if (share > 0.55) {
                EXPECT_FALSE(litAt(last / 2, share)) << "middle frame at " << share;
            }
        }
    }
}

TEST(Artwork, EveryLitOrHeldFrameShowsClearlyApartFromTheFrameAtRest) {
    for (const BitmapGeometry& bitmap : kBitmaps) {
        if (bitmap.frameCount != 2 || bitmap.name == "Welcome.png")
            continue;
        SCOPED_TRACE(std::string(bitmap.name));
        const Decoded strip = decodeEmbedded(bitmap.name);
        ASSERT_EQ(strip.height, bitmap.height());
        const std::vector<Pixel> rest = framePixels(strip, bitmap, 0);
        const std::vector<Pixel> lit = framePixels(strip, bitmap, 1);
        std::size_t differing = 0;
        for (std::size_t i = 0; i < rest.size(); ++i)
            if (std::abs(rest[i].brightest() - lit[i].brightest()) > 24 || rest[i].alpha != lit[i].alpha)
                ++differing;
        // At least a twentieth of the frame, and never fewer than a handful of pixels.
        EXPECT_GE(differing, std::max<std::size_t>(6, rest.size() / 20));
    }
}

// A step's lit area grows with its velocity level, an empty step has none, and the playing step
// differs from the same step at rest; each family shows in its own colour.
TEST(Artwork, StepsShowTheirVelocityInTheirFamilysColour) {
    const BitmapGeometry& step = *geometryOf("PatternLed.png");
    const Decoded strip = decodeEmbedded("PatternLed.png");
    ASSERT_EQ(strip.height, step.height());
    const auto colouredPixels = [&](int frame) {
        const std::vector<Pixel> pixels = framePixels(strip, step, frame);
        return std::count_if(pixels.begin(), pixels.end(), [](const Pixel& p) {
            return p.alpha > 160 && p.saturation() > 60 && p.brightest() > 120;
        });
    };
    std::vector<Pixel> fullStepColour;
    for (int f = 0; f < kTrackFamilies; ++f) {
        const auto family = static_cast<TrackFamily>(f);
        SCOPED_TRACE(f);
        EXPECT_EQ(colouredPixels(stepFrame(family, 0, false)), 0);
        long previous = 0;
        for (int level = 1; level <= kStepVelocityLevels; ++level) {
            const int velocity = level * 127 / kStepVelocityLevels;
            const long lit = colouredPixels(stepFrame(family, velocity, false));
            EXPECT_GT(lit, previous) << "level " << level;
            previous = lit;
            EXPECT_NE(framePixels(strip, step, stepFrame(family, velocity, true)),
                      framePixels(strip, step, stepFrame(family, velocity, false)));
        }
        EXPECT_NE(framePixels(strip, step, stepFrame(family, 0, true)),
                  framePixels(strip, step, stepFrame(family, 0, false)));
        // The middle of the bar of a full step.
        fullStepColour.push_back(
            strip.at(step.frameWidth / 2, stepFrame(family, 127, false) * step.frameHeight + step.frameHeight * 3 / 4));
    }
    for (std::size_t a = 0; a < fullStepColour.size(); ++a)
        for (std::size_t b = a + 1; b < fullStepColour.size(); ++b) {
            EXPECT_GT(colourDistance(fullStepColour[a], fullStepColour[b]), 60) << "families " << a << " and " << b;
        }
}

// The layout places controls by kBackgroundSections and the track strip constants, so the
// backgrounds must show each panel and strip there: lighter than the ground in the gutter beside
// it, every strip of the mode present, and each strip's left edge in its family's colour (the
// colour its full steps light in).
TEST(Artwork, TheBackgroundsShowEachPanelAndStripWhereTheGeometryPutsThem) {
    const BitmapGeometry& step = *geometryOf("PatternLed.png");
    const Decoded steps = decodeEmbedded("PatternLed.png");
    for (const bool large : {false, true}) {
        const std::string_view name = large ? "BackgroundLarge.png" : "Background.png";
        SCOPED_TRACE(std::string(name));
        const Decoded background = decodeEmbedded(name);
        ASSERT_EQ(background.height, geometryOf(name)->height());
        for (const BackgroundSection& section : kBackgroundSections) {
            if (section.id == Section::kTracks)
                continue;
            SCOPED_TRACE(std::string(section.title));
            const SectionRect& r = large ? section.large : section.small;
            const int cy = (r.top + r.bottom) / 2;
            const Pixel inside = background.at((r.left + r.right) / 2, cy + 10);
            EXPECT_GT(inside.brightest(), background.at(r.left - 2, cy).brightest() + 2);
            EXPECT_GT(inside.brightest(), background.at(r.right + 1, cy).brightest() + 2);
        }
        const int strips = large ? 12 : 8;
        for (int track = 0; track < strips; ++track) {
            SCOPED_TRACE(track);
            const int top = kTrackStripsTop + track * kTrackStripPitch;
            const Pixel inside = background.at((kTrackStripLeft + kTrackStripRight) / 2, top + 24);
            const Pixel gap = background.at((kTrackStripLeft + kTrackStripRight) / 2, top + kTrackStripHeight + 1);
            EXPECT_GT(inside.brightest(), gap.brightest() + 2);
            const TrackFamily family = kTrackFamilyOfTrack[static_cast<std::size_t>(track)];
            const Pixel edge = background.at(kTrackStripLeft + 2, top + kTrackStripHeight / 2);
            const int fullStepTop = stepFrame(family, 127, false) * step.frameHeight;
            const Pixel stepColour = steps.at(step.frameWidth / 2, fullStepTop + step.frameHeight * 3 / 4);
            EXPECT_LT(colourDistance(edge, stepColour), 48);
        }
    }
}

}  // namespace
}  // namespace rimba::artwork
