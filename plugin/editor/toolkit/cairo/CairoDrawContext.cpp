// The Linux drawing backend: contexts, text measurement and PNG writing with cairo. Every
// context draws into pixels it does not own (an offscreen picture's), through an image surface
// made over them for the context's life.

#include <cairo.h>

#include <cstdint>
#include <string>
#include <vector>

#include "common/platform/Files.h"

#include "plugin/editor/toolkit/Bitmap.h"
#include "plugin/editor/toolkit/DrawContext.h"

namespace rimba::toolkit {

namespace {

constexpr const char* kTypeface = "DejaVu Sans";

cairo_font_weight_t cairoWeight(FontWeight weight) {
    return weight == FontWeight::bold ? CAIRO_FONT_WEIGHT_BOLD : CAIRO_FONT_WEIGHT_NORMAL;
}

// The bitmap's pixels as a cairo surface, made at its first drawing and kept beside it.
cairo_surface_t* surfaceOf(const CBitmap& bitmap) {
    std::shared_ptr<void>& kept = bitmap.backendImage();
    if (!kept) {
        cairo_surface_t* surface = cairo_image_surface_create_for_data(
            reinterpret_cast<unsigned char*>(const_cast<std::uint32_t*>(bitmap.pixels())), CAIRO_FORMAT_ARGB32,
            bitmap.getWidth(), bitmap.getHeight(), bitmap.getWidth() * 4);
        kept = std::shared_ptr<void>(surface, [](void* s) { cairo_surface_destroy(static_cast<cairo_surface_t*>(s)); });
    }
    return static_cast<cairo_surface_t*>(kept.get());
}

class CairoDrawContext final : public CDrawContext {
public:
    explicit CairoDrawContext(cairo_surface_t* target) : surface(target), cr(cairo_create(target)) {}
    ~CairoDrawContext() override {
        cairo_destroy(cr);
        cairo_surface_flush(surface);
        cairo_surface_destroy(surface);
    }
    CairoDrawContext(const CairoDrawContext&) = delete;
    CairoDrawContext& operator=(const CairoDrawContext&) = delete;

    void save() override { cairo_save(cr); }
    void restore() override { cairo_restore(cr); }
    void setColour(double red, double green, double blue, double alpha) override {
        if (alpha >= 1.0)
            cairo_set_source_rgb(cr, red, green, blue);
        else
            cairo_set_source_rgba(cr, red, green, blue, alpha);
    }
    void setLineWidth(double width) override { cairo_set_line_width(cr, width); }
    void moveTo(double x, double y) override { cairo_move_to(cr, x, y); }
    void lineTo(double x, double y) override { cairo_line_to(cr, x, y); }
    void closePath() override { cairo_close_path(cr); }
    void rectangle(double x, double y, double width, double height) override {
        cairo_rectangle(cr, x, y, width, height);
    }
    void arc(double centreX, double centreY, double radius, double from, double to) override {
        cairo_arc(cr, centreX, centreY, radius, from, to);
    }
    void fill() override { cairo_fill(cr); }
    void fillPreserve() override { cairo_fill_preserve(cr); }
    void stroke() override { cairo_stroke(cr); }
    void clip() override { cairo_clip(cr); }
    void paint() override { cairo_paint(cr); }

    void drawBitmap(const CBitmap& bitmap, CPoint origin) override {
        // The source goes with the saved state, so the colour set before comes back after.
        cairo_save(cr);
        cairo_set_source_surface(cr, surfaceOf(bitmap), origin.x, origin.y);
        cairo_paint(cr);
        cairo_restore(cr);
    }

    void selectFont(double size, FontWeight weight) override {
        cairo_select_font_face(cr, kTypeface, CAIRO_FONT_SLANT_NORMAL, cairoWeight(weight));
        cairo_set_font_size(cr, size);
    }
    CFontMetrics fontMetrics() override {
        cairo_font_extents_t font{};
        cairo_font_extents(cr, &font);
        return {font.ascent, font.descent};
    }
    double textAdvance(std::string_view text) override {
        const std::string owned(text);
        cairo_text_extents_t extents{};
        cairo_text_extents(cr, owned.c_str(), &extents);
        return extents.x_advance;
    }
    void showText(double x, double baseline, std::string_view text) override {
        const std::string owned(text);
        cairo_move_to(cr, x, baseline);
        cairo_show_text(cr, owned.c_str());
    }

private:
    cairo_surface_t* surface;
    cairo_t* cr;
};

cairo_surface_t* surfaceOver(const COffscreen& picture) {
    return cairo_image_surface_create_for_data(
        reinterpret_cast<unsigned char*>(const_cast<std::uint32_t*>(picture.pixels())), CAIRO_FORMAT_RGB24,
        picture.width(), picture.height(), picture.stride());
}

}  // namespace

std::unique_ptr<CDrawContext> COffscreen::beginDrawing() {
    return std::make_unique<CairoDrawContext>(surfaceOver(*this));
}

// The PNG is made in memory and written whole, so a failure never leaves half a picture.
bool COffscreen::writePng(const std::string& path) const {
    std::vector<std::uint8_t> png;
    const auto collect = [](void* closure, const unsigned char* data, unsigned int length) {
        auto* out = static_cast<std::vector<std::uint8_t>*>(closure);
        for (unsigned int i = 0; i < length; ++i)
            out->push_back(data[i]);
        return CAIRO_STATUS_SUCCESS;
    };
    cairo_surface_t* surface = surfaceOver(*this);
    const bool encoded = cairo_surface_write_to_png_stream(surface, collect, &png) == CAIRO_STATUS_SUCCESS;
    cairo_surface_destroy(surface);
    return encoded && platform::writeFileAtomically(path, png);
}

double measureText(std::string_view text, double size, FontWeight weight) {
    COffscreen scratch(1, 1);
    std::unique_ptr<CDrawContext> context = scratch.beginDrawing();
    context->selectFont(size, weight);
    return context->textAdvance(text);
}

}  // namespace rimba::toolkit
