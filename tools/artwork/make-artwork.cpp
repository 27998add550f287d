// make-artwork OUTPUT_FOLDER [--sheet SHEET.png]
//
// Draws every bitmap the editor names (plugin/editor/artwork/ArtworkGeometry.h) and writes each
// as OUTPUT_FOLDER/png/NAME, plus OUTPUT_FOLDER/Artwork.cpp, the source that embeds them all in
// the plug-in. Runs at build time; the same build of it always writes the same bytes. With
// --sheet it also writes a contact sheet of all the bitmaps, for a person to look at.

#include <fontconfig/fontconfig.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

#include "tools/artwork/Drawers.h"
#include "tools/artwork/Render.h"

namespace {

using rimba::artwork::BitmapGeometry;
using rimba::artwork::kBitmaps;
namespace draw = rimba::artwork::draw;

bool writeFile(const std::filesystem::path& path, const void* data, std::size_t size) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(static_cast<const char*>(data), static_cast<std::streamsize>(size));
    out.close();
    return static_cast<bool>(out);
}

// Every text is set in DejaVu Sans; a machine whose fontconfig gives another family for that name
// would draw other letters, so it is refused rather than drawn wrong.
bool dejaVuSansIsThere() {
    FcPattern* pattern = FcNameParse(reinterpret_cast<const FcChar8*>("DejaVu Sans"));
    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    FcPattern* match = FcFontMatch(nullptr, pattern, &result);
    bool found = false;
    FcChar8* family = nullptr;
    if (match != nullptr && FcPatternGetString(match, FC_FAMILY, 0, &family) == FcResultMatch)
        found = std::string_view(reinterpret_cast<const char*>(family)) == "DejaVu Sans";
    if (match != nullptr)
        FcPatternDestroy(match);
    FcPatternDestroy(pattern);
    return found;
}

int usage() {
    std::fprintf(stderr, "usage: make-artwork OUTPUT_FOLDER [--sheet SHEET.png]\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2 && argc != 4)
        return usage();
    const std::filesystem::path folder = argv[1];
    std::string sheet;
    if (argc == 4) {
        if (std::string_view(argv[2]) != "--sheet")
            return usage();
        sheet = argv[3];
    }
    if (!dejaVuSansIsThere()) {
        std::fprintf(stderr, "make-artwork: the font \"DejaVu Sans\" is not installed\n");
        return 1;
    }
    std::error_code error;
    std::filesystem::create_directories(folder / "png", error);
    if (error) {
        std::fprintf(stderr, "make-artwork: cannot make %s: %s\n", (folder / "png").c_str(), error.message().c_str());
        return 1;
    }

    std::vector<draw::RenderedImage> images;
    for (const BitmapGeometry& bitmap : kBitmaps) {
        cairo_surface_t* surface = draw::renderBitmap(bitmap);
        if (surface == nullptr) {
            std::fprintf(stderr, "make-artwork: nothing draws %.*s\n", static_cast<int>(bitmap.name.size()),
                         bitmap.name.data());
            return 1;
        }
        draw::RenderedImage image{std::string(bitmap.name), draw::encodePng(surface)};
        cairo_surface_destroy(surface);
        if (image.png.empty() || !writeFile(folder / "png" / image.name, image.png.data(), image.png.size())) {
            std::fprintf(stderr, "make-artwork: cannot write %s\n", image.name.c_str());
            return 1;
        }
        images.push_back(std::move(image));
    }
    const std::string source = draw::embeddedSource(images);
    if (!writeFile(folder / "Artwork.cpp", source.data(), source.size())) {
        std::fprintf(stderr, "make-artwork: cannot write %s\n", (folder / "Artwork.cpp").c_str());
        return 1;
    }

    if (!sheet.empty()) {
        cairo_surface_t* surface = draw::contactSheet();
        const std::vector<unsigned char> png = draw::encodePng(surface);
        cairo_surface_destroy(surface);
        if (png.empty() || !writeFile(sheet, png.data(), png.size())) {
            std::fprintf(stderr, "make-artwork: cannot write %s\n", sheet.c_str());
            return 1;
        }
    }
    cairo_debug_reset_static_data();
    FcFini();
    return 0;
}
