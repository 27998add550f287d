#pragma once
// Drawing primitives shared by every bitmap: crisp rectangles, rounded plates, buttons, lamps and
// text in DejaVu Sans. Coordinates are pixels of the frame being drawn; a 1-pixel line along a
// pixel edge is stroked on the half pixel so that it covers exactly one row or column.

#include <cairo.h>

#include <string_view>

#include "tools/artwork/Palette.h"

namespace rimba::artwork::draw {

void setColour(cairo_t* cr, Colour colour, double alpha = 1.0);

// A rounded rectangle path; radius 0 gives a plain one.
void roundedPath(cairo_t* cr, double x, double y, double width, double height, double radius);

// Fills the whole pixels of the rectangle.
void fillRect(cairo_t* cr, int x, int y, int width, int height, Colour colour, double alpha = 1.0);
// A 1-pixel outline lying on the outermost pixels of the rectangle.
void strokeRect(cairo_t* cr, int x, int y, int width, int height, Colour colour, double alpha = 1.0,
                double radius = 0.0);
// A 1-pixel horizontal or vertical line through whole pixels.
void hLine(cairo_t* cr, int x0, int x1, int y, Colour colour, double alpha = 1.0);
void vLine(cairo_t* cr, int x, int y0, int y1, Colour colour, double alpha = 1.0);

// A recessed display or label plate: dark well, darker edge, a faint light line below it.
void well(cairo_t* cr, int x, int y, int width, int height, double radius = 2.0);

// A raised section panel with its title in small letter-spaced capitals.
void panel(cairo_t* cr, int x, int y, int width, int height, std::string_view title);

// A button plate: raised when up, pressed in when down; lit gives it the accent's tint.
struct ButtonLook {
    bool down = false;
    bool lit = false;
    Colour accent = palette::kAmber;
};
void button(cairo_t* cr, int x, int y, int width, int height, ButtonLook look);

// A round lamp of the given radius at (cx, cy), dark glass when off, glowing when lit.
void lamp(cairo_t* cr, double cx, double cy, double radius, Colour colour, bool lit);

// Text in DejaVu Sans, its capitals centred on (cx, cy) or starting at x.
enum class Weight { kRegular, kBold };
void centredText(cairo_t* cr, std::string_view text, double cx, double cy, double size, Colour colour,
                 Weight weight = Weight::kBold, double alpha = 1.0);
// The advance of a text set as centredText sets it.
double textWidth(cairo_t* cr, std::string_view text, double size, Weight weight = Weight::kBold);
// Letter-spaced text from x, with the capitals' middle at cy; returns its width.
double spacedText(cairo_t* cr, std::string_view text, double x, double cy, double size, double spacing, Colour colour,
                  Weight weight = Weight::kBold);

// The font settings every text uses: grey antialiasing, slight hinting and whole-pixel advances,
// fixed so that the output never depends on the desktop's font configuration.
void useTextSettings(cairo_t* cr);

}  // namespace rimba::artwork::draw
