#include "tools/artwork/Render.h"

#include <algorithm>
#include <string_view>

#include "tools/artwork/Drawers.h"
#include "tools/artwork/Paint.h"

namespace rimba::artwork::draw {

namespace {

cairo_status_t appendBytes(void* closure, const unsigned char* data, unsigned int length) {
    auto* bytes = static_cast<std::vector<unsigned char>*>(closure);
    bytes->insert(bytes->end(), data, data + length);
    return CAIRO_STATUS_SUCCESS;
}

// A C++ identifier for the n-th image.
std::string arrayName(std::size_t index) {
    std::string name = "kPng";
    name.append(std::to_string(index));
    return name;
}

}  // namespace

cairo_surface_t* renderBitmap(const BitmapGeometry& bitmap) {
    const Drawer drawer = drawerFor(bitmap.name);
    if (drawer == nullptr)
        return nullptr;
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, bitmap.width(), bitmap.height());
    cairo_t* cr = cairo_create(surface);
    useTextSettings(cr);
    for (int frame = 0; frame < bitmap.frameCount; ++frame) {
        cairo_save(cr);
        cairo_translate(cr, 0, frame * bitmap.frameHeight);
        cairo_rectangle(cr, 0, 0, bitmap.frameWidth, bitmap.frameHeight);
        cairo_clip(cr);
        drawer(cr, frame, bitmap);
        cairo_restore(cr);
    }
    cairo_destroy(cr);
    cairo_surface_flush(surface);
    return surface;
}

std::vector<unsigned char> encodePng(cairo_surface_t* surface) {
    std::vector<unsigned char> bytes;
    if (cairo_surface_write_to_png_stream(surface, appendBytes, &bytes) != CAIRO_STATUS_SUCCESS)
        bytes.clear();
    return bytes;
}

std::string embeddedSource(const std::vector<RenderedImage>& images) {
    std::string out;
    out +=
        "// Made by tools/artwork (make-artwork) from its drawing code: the editor's images as\n"
        "// PNG bytes. Not to be edited; change the drawing and build again.\n\n"
        "#include \"plugin/editor/artwork/Artwork.h\"\n\n"
        "namespace rimba::artwork {\n\nnamespace {\n\n";
    // Appended piece by piece: g++ 12 at -O2 takes chains of string additions for overlapping
    // copies (a false -Wrestrict).
    for (std::size_t i = 0; i < images.size(); ++i) {
        out.append("// ").append(images[i].name).append("\n");
        out.append("const unsigned char ").append(arrayName(i)).append("[] = {");
        const std::vector<unsigned char>& png = images[i].png;
        for (std::size_t b = 0; b < png.size(); ++b) {
            if (b % 24 == 0)
                out.append("\n   ");
            out.append(" ").append(std::to_string(png[b])).append(",");
        }
        out.append("\n};\n\n");
    }
    out.append("const Image kImages[] = {\n");
    for (std::size_t i = 0; i < images.size(); ++i) {
        out.append("    {\"").append(images[i].name).append("\", ").append(arrayName(i));
        out.append(", sizeof ").append(arrayName(i)).append("},\n");
    }
    out +=
        "};\n\n}  // namespace\n\n"
        "const Image* find(std::string_view name) {\n"
        "    for (const Image& image : kImages)\n"
        "        if (image.name == name) return &image;\n"
        "    return nullptr;\n"
        "}\n\n"
        "std::span<const Image> all() {\n"
        "    return kImages;\n"
        "}\n\n"
        "}  // namespace rimba::artwork\n";
    return out;
}

cairo_surface_t* contactSheet() {
    constexpr int kSheetWidth = 1040;
    constexpr int kMargin = 16;
    constexpr int kGap = 4;
    constexpr int kCaption = 14;
    constexpr double kBackgroundScale = 0.5;
    // Long film strips show a few frames, always the first and the last.
    constexpr int kMostFrames = 18;

    struct Placed {
        const BitmapGeometry* bitmap;
        cairo_surface_t* image;
        std::vector<int> frames;
        double scale;
        int x, y, width, height;
    };
    std::vector<Placed> placed;
    // The sketch of the editor comes first, at its real size.
    cairo_surface_t* sketch = preview();
    const int sketchHeight = cairo_image_surface_get_height(sketch);
    int x = kMargin;
    int y = kMargin + sketchHeight + kCaption + 8;
    int rowHeight = 0;
    for (const BitmapGeometry& bitmap : kBitmaps) {
        Placed item{&bitmap, renderBitmap(bitmap), {}, 1.0, 0, 0, 0, 0};
        const bool background = bitmap.frameWidth >= 1000;
        item.scale = background ? kBackgroundScale : 1.0;
        const int shown = std::min(bitmap.frameCount, kMostFrames);
        for (int i = 0; i < shown; ++i)
            item.frames.push_back(shown == 1 ? 0 : i * (bitmap.frameCount - 1) / (shown - 1));
        const int framesPerRow = std::max(1, (kSheetWidth - 2 * kMargin) / (bitmap.frameWidth + kGap));
        const int columns = std::min(shown, framesPerRow);
        const int rows = (shown + columns - 1) / columns;
        item.width = static_cast<int>(columns * (bitmap.frameWidth + kGap) * item.scale);
        item.height = static_cast<int>(rows * (bitmap.frameHeight + kGap) * item.scale) + kCaption;
        item.width = std::max(item.width, static_cast<int>(bitmap.name.size()) * 6);
        if (x + item.width > kSheetWidth - kMargin) {
            x = kMargin;
            y += rowHeight + 8;
            rowHeight = 0;
        }
        item.x = x;
        item.y = y;
        x += item.width + 12;
        rowHeight = std::max(rowHeight, item.height);
        placed.push_back(std::move(item));
    }
    const int sheetHeight = y + rowHeight + kMargin;

    cairo_surface_t* sheet = cairo_image_surface_create(CAIRO_FORMAT_RGB24, kSheetWidth, sheetHeight);
    cairo_t* cr = cairo_create(sheet);
    useTextSettings(cr);
    fillRect(cr, 0, 0, kSheetWidth, sheetHeight, palette::kEditor);
    cairo_set_source_surface(cr, sketch, kMargin, kMargin);
    cairo_paint(cr);
    cairo_surface_destroy(sketch);
    spacedText(cr, "A sketch: the bitmaps on Background.png (the editor's own layout may differ)", kMargin,
               kMargin + sketchHeight + kCaption - 6, 8.0, 0.0, palette::kTextDim, Weight::kRegular);
    for (Placed& item : placed) {
        const BitmapGeometry& bitmap = *item.bitmap;
        const int framesPerRow = std::max(1, (kSheetWidth - 2 * kMargin) / (bitmap.frameWidth + kGap));
        for (std::size_t i = 0; i < item.frames.size(); ++i) {
            const int column = static_cast<int>(i) % framesPerRow;
            const int row = static_cast<int>(i) / framesPerRow;
            cairo_save(cr);
            cairo_translate(cr, item.x + column * (bitmap.frameWidth + kGap) * item.scale,
                            item.y + row * (bitmap.frameHeight + kGap) * item.scale);
            cairo_scale(cr, item.scale, item.scale);
            cairo_rectangle(cr, 0, 0, bitmap.frameWidth, bitmap.frameHeight);
            cairo_clip(cr);
            cairo_set_source_surface(cr, item.image, 0, -item.frames[i] * bitmap.frameHeight);
            cairo_paint(cr);
            cairo_restore(cr);
        }
        const std::string caption =
            std::string(bitmap.name) + (bitmap.frameCount > 1 ? " x" + std::to_string(bitmap.frameCount) : "");
        spacedText(cr, caption, item.x, item.y + item.height - 6, 8.0, 0.0, palette::kTextDim, Weight::kRegular);
        cairo_surface_destroy(item.image);
    }
    cairo_destroy(cr);
    cairo_surface_flush(sheet);
    return sheet;
}

}  // namespace rimba::artwork::draw
