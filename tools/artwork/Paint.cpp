#include "tools/artwork/Paint.h"

#include <cmath>
#include <string>

namespace rimba::artwork::draw {

namespace {

constexpr double kPi = 3.14159265358979323846;
// The height of DejaVu Sans capitals as a share of the font size.
constexpr double kCapHeight = 0.729;

void selectFont(cairo_t* cr, double size, Weight weight) {
    cairo_select_font_face(cr, "DejaVu Sans", CAIRO_FONT_SLANT_NORMAL,
                           weight == Weight::kBold ? CAIRO_FONT_WEIGHT_BOLD : CAIRO_FONT_WEIGHT_NORMAL);
    cairo_set_font_size(cr, size);
}

// The baseline that puts the capitals' middle on cy, on a whole pixel so stems stay sharp.
double baselineFor(double cy, double size) { return std::round(cy + size * kCapHeight / 2.0); }

}  // namespace

void setColour(cairo_t* cr, Colour colour, double alpha) {
    cairo_set_source_rgba(cr, colour.red, colour.green, colour.blue, alpha);
}

void roundedPath(cairo_t* cr, double x, double y, double width, double height, double radius) {
    cairo_new_sub_path(cr);
    if (radius <= 0.0) {
        cairo_rectangle(cr, x, y, width, height);
        return;
    }
    cairo_arc(cr, x + width - radius, y + radius, radius, -kPi / 2, 0);
    cairo_arc(cr, x + width - radius, y + height - radius, radius, 0, kPi / 2);
    cairo_arc(cr, x + radius, y + height - radius, radius, kPi / 2, kPi);
    cairo_arc(cr, x + radius, y + radius, radius, kPi, 3 * kPi / 2);
    cairo_close_path(cr);
}

void fillRect(cairo_t* cr, int x, int y, int width, int height, Colour colour, double alpha) {
    cairo_rectangle(cr, x, y, width, height);
    setColour(cr, colour, alpha);
    cairo_fill(cr);
}

void strokeRect(cairo_t* cr, int x, int y, int width, int height, Colour colour, double alpha, double radius) {
    roundedPath(cr, x + 0.5, y + 0.5, width - 1.0, height - 1.0, radius);
    setColour(cr, colour, alpha);
    cairo_set_line_width(cr, 1.0);
    cairo_stroke(cr);
}

void hLine(cairo_t* cr, int x0, int x1, int y, Colour colour, double alpha) {
    fillRect(cr, x0, y, x1 - x0, 1, colour, alpha);
}

void vLine(cairo_t* cr, int x, int y0, int y1, Colour colour, double alpha) {
    fillRect(cr, x, y0, 1, y1 - y0, colour, alpha);
}

void well(cairo_t* cr, int x, int y, int width, int height, double radius) {
    roundedPath(cr, x, y, width, height - 1, radius);
    setColour(cr, palette::kWell);
    cairo_fill(cr);
    strokeRect(cr, x, y, width, height - 1, palette::kWellEdge, 1.0, radius);
    // The light catches the lower lip of the recess.
    hLine(cr, x + 2, x + width - 2, y + height - 1, palette::kPanelLight, 0.9);
    // And the upper inside edge lies in shadow.
    hLine(cr, x + 2, x + width - 2, y + 1, hex(0x000000), 0.25);
}

void panel(cairo_t* cr, int x, int y, int width, int height, std::string_view title) {
    roundedPath(cr, x, y, width, height, 4.0);
    setColour(cr, palette::kPanel);
    cairo_fill(cr);
    strokeRect(cr, x, y, width, height, palette::kPanelEdge, 1.0, 4.0);
    hLine(cr, x + 4, x + width - 4, y + 1, palette::kPanelLight);
    if (title.empty())
        return;
    const double cy = y + kSectionTitleHeight / 2.0 + 1.0;
    const double textWidth = spacedText(cr, title, x + 8, cy, 7.0, 1.2, palette::kTitle);
    // A hairline runs from the title to the panel's edge, as on an engraved front plate.
    const int lineStart = static_cast<int>(std::ceil(x + 8 + textWidth + 6));
    hLine(cr, lineStart, x + width - 8, static_cast<int>(cy), palette::kPanelEdge);
}

void button(cairo_t* cr, int x, int y, int width, int height, ButtonLook look) {
    const Colour face = look.down ? palette::kButtonDown : palette::kButton;
    const Colour tinted = look.lit ? mix(face, look.accent, 0.22) : face;
    roundedPath(cr, x + 0.5, y + 0.5, width - 1.0, height - 1.0, 3.0);
    setColour(cr, tinted);
    cairo_fill_preserve(cr);
    setColour(cr, look.lit ? mix(palette::kButtonEdge, look.accent, 0.6) : palette::kButtonEdge);
    cairo_set_line_width(cr, 1.0);
    cairo_stroke(cr);
    if (look.down) {
        // Pressed in: the shadow falls on the top edge.
        hLine(cr, x + 2, x + width - 2, y + 1, hex(0x000000), 0.35);
    } else {
        hLine(cr, x + 3, x + width - 3, y + 1,
              look.lit ? mix(palette::kButtonTop, look.accent, 0.35) : palette::kButtonTop);
        hLine(cr, x + 3, x + width - 3, y + height - 1, hex(0x000000), 0.3);
    }
}

void lamp(cairo_t* cr, double cx, double cy, double radius, Colour colour, bool lit) {
    if (lit) {
        cairo_pattern_t* glow = cairo_pattern_create_radial(cx, cy, 0, cx, cy, radius * 2.2);
        cairo_pattern_add_color_stop_rgba(glow, 0.0, colour.red, colour.green, colour.blue, 0.45);
        cairo_pattern_add_color_stop_rgba(glow, 1.0, colour.red, colour.green, colour.blue, 0.0);
        cairo_set_source(cr, glow);
        cairo_arc(cr, cx, cy, radius * 2.2, 0, 2 * kPi);
        cairo_fill(cr);
        cairo_pattern_destroy(glow);
    }
    const Colour body = lit ? colour : mix(palette::kWell, colour, 0.18);
    cairo_pattern_t* glass =
        cairo_pattern_create_radial(cx - radius * 0.35, cy - radius * 0.35, radius * 0.1, cx, cy, radius);
    const Colour centre = lit ? mix(colour, hex(0xFFFFFF), 0.55) : mix(body, hex(0xFFFFFF), 0.08);
    cairo_pattern_add_color_stop_rgb(glass, 0.0, centre.red, centre.green, centre.blue);
    cairo_pattern_add_color_stop_rgb(glass, 1.0, body.red, body.green, body.blue);
    cairo_set_source(cr, glass);
    cairo_arc(cr, cx, cy, radius, 0, 2 * kPi);
    cairo_fill_preserve(cr);
    cairo_pattern_destroy(glass);
    setColour(cr, palette::kWellEdge, 0.9);
    cairo_set_line_width(cr, 1.0);
    cairo_stroke(cr);
}

void centredText(cairo_t* cr, std::string_view text, double cx, double cy, double size, Colour colour, Weight weight,
                 double alpha) {
    const std::string owned(text);
    selectFont(cr, size, weight);
    cairo_text_extents_t extents;
    cairo_text_extents(cr, owned.c_str(), &extents);
    cairo_move_to(cr, std::round(cx - extents.x_advance / 2.0), baselineFor(cy, size));
    setColour(cr, colour, alpha);
    cairo_show_text(cr, owned.c_str());
}

double textWidth(cairo_t* cr, std::string_view text, double size, Weight weight) {
    const std::string owned(text);
    selectFont(cr, size, weight);
    cairo_text_extents_t extents;
    cairo_text_extents(cr, owned.c_str(), &extents);
    return extents.x_advance;
}

double spacedText(cairo_t* cr, std::string_view text, double x, double cy, double size, double spacing, Colour colour,
                  Weight weight) {
    selectFont(cr, size, weight);
    setColour(cr, colour);
    const double baseline = baselineFor(cy, size);
    double pen = std::round(x);
    for (std::size_t i = 0; i < text.size(); ++i) {
        const std::string letter(1, text[i]);
        cairo_text_extents_t extents;
        cairo_text_extents(cr, letter.c_str(), &extents);
        cairo_move_to(cr, pen, baseline);
        cairo_show_text(cr, letter.c_str());
        pen += extents.x_advance + (i + 1 < text.size() ? spacing : 0.0);
    }
    return pen - std::round(x);
}

void useTextSettings(cairo_t* cr) {
    cairo_font_options_t* options = cairo_font_options_create();
    cairo_font_options_set_antialias(options, CAIRO_ANTIALIAS_GRAY);
    cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_SLIGHT);
    cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_ON);
    cairo_font_options_set_subpixel_order(options, CAIRO_SUBPIXEL_ORDER_DEFAULT);
    cairo_set_font_options(cr, options);
    cairo_font_options_destroy(options);
}

}  // namespace rimba::artwork::draw
