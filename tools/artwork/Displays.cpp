// Knobs, meters, the step row and the small displays of the pattern and sound panels.

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <string_view>

#include "tools/artwork/Drawers.h"
#include "tools/artwork/Paint.h"

namespace rimba::artwork::draw {

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr Colour kInk = hex(0x151A21);
constexpr Colour kWhite = hex(0xFFFFFF);

double radians(double degrees) { return degrees * kPi / 180.0; }

Colour knobAccent(std::string_view name) {
    if (name == "KnobRoseEx.png")
        return palette::kSnare;
    if (name == "KnobBlueEx.png")
        return palette::kHat;
    return palette::kSilver;
}

// A meter segment's colour by its place along the meter, 0 at the quiet end.
Colour meterColour(double place) {
    if (place < 0.7)
        return palette::kMeterLow;
    if (place < 0.88)
        return palette::kMeterMid;
    return palette::kMeterHigh;
}

// A cell that is strongly lit when selected (dark ink on the accent) and quiet otherwise.
void selectableCell(cairo_t* cr, int w, int h, bool selected, Colour accent) {
    button(cr, 0, 0, w, h, {false, selected, accent});
    if (selected) {
        roundedPath(cr, 1.5, 1.5, w - 3.0, h - 3.0, 2.5);
        setColour(cr, accent, 0.88);
        cairo_fill(cr);
    }
}

}  // namespace

// A knob: a dark track ring, the value arc growing over it from the start of the usable arc,
// and a turned cap with a pointer line.
void drawKnob(cairo_t* cr, int frame, const BitmapGeometry& bitmap) {
    const Colour accent = knobAccent(bitmap.name);
    const double cx = bitmap.frameWidth / 2.0;
    const double cy = bitmap.frameHeight / 2.0;
    const double ringRadius = bitmap.frameWidth / 2.0 - 3.0;
    const double start = radians(kKnobArcStartDegrees);
    const double sweep = radians(kKnobArcSweepDegrees);
    const double value = static_cast<double>(frame) / (bitmap.frameCount - 1);
    const double angle = start + sweep * value;

    cairo_set_line_cap(cr, CAIRO_LINE_CAP_BUTT);
    cairo_set_line_width(cr, 3.0);
    cairo_arc(cr, cx, cy, ringRadius, start, start + sweep);
    setColour(cr, palette::kWell);
    cairo_stroke(cr);
    if (frame > 0) {
        cairo_arc(cr, cx, cy, ringRadius, start, angle);
        setColour(cr, accent);
        cairo_stroke(cr);
    }

    const double capRadius = ringRadius - 4.0;
    // The cap's shadow, then the cap lit from above.
    cairo_arc(cr, cx, cy + 1.0, capRadius + 0.5, 0, 2 * kPi);
    setColour(cr, hex(0x000000), 0.45);
    cairo_fill(cr);
    cairo_pattern_t* cap = cairo_pattern_create_linear(0, cy - capRadius, 0, cy + capRadius);
    const Colour top = hex(0x465263);
    const Colour bottom = hex(0x262E39);
    cairo_pattern_add_color_stop_rgb(cap, 0.0, top.red, top.green, top.blue);
    cairo_pattern_add_color_stop_rgb(cap, 1.0, bottom.red, bottom.green, bottom.blue);
    cairo_arc(cr, cx, cy, capRadius, 0, 2 * kPi);
    cairo_set_source(cr, cap);
    cairo_fill_preserve(cr);
    cairo_pattern_destroy(cap);
    setColour(cr, palette::kWellEdge);
    cairo_set_line_width(cr, 1.0);
    cairo_stroke(cr);

    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    cairo_set_line_width(cr, 1.6);
    cairo_move_to(cr, cx + std::cos(angle) * 2.5, cy + std::sin(angle) * 2.5);
    cairo_line_to(cr, cx + std::cos(angle) * (capRadius - 1.0), cy + std::sin(angle) * (capRadius - 1.0));
    setColour(cr, palette::kText);
    cairo_stroke(cr);
}

// Segmented meters, horizontal when wider than high (the master's), else vertical rising from
// the bottom (a track's). Frame 0 dark, frame 1 lit.
void drawMeter(cairo_t* cr, int frame, const BitmapGeometry& bitmap) {
    const bool lit = frame == kFrameMeterLit;
    const int w = bitmap.frameWidth;
    const int h = bitmap.frameHeight;
    fillRect(cr, 0, 0, w, h, palette::kWell);
    strokeRect(cr, 0, 0, w, h, palette::kWellEdge);
    const bool horizontal = w > h;
    const int length = (horizontal ? w : h) - 2;
    const int segments = (length + 1) / 3;
    for (int i = 0; i < segments; ++i) {
        const Colour colour = meterColour((i + 0.5) / segments);
        const Colour shown = lit ? colour : mix(palette::kWell, colour, 0.16);
        if (horizontal)
            fillRect(cr, 1 + 3 * i, 1, 2, h - 2, shown);
        else
            fillRect(cr, 1, h - 1 - 3 * i - 2, w - 2, 2, shown);
    }
}

// One step of a track's step row (see stepFrame): a pad whose bar rises with the velocity in the
// family's colour; the playing step gets a light frame.
void drawStep(cairo_t* cr, int frame, const BitmapGeometry& bitmap) {
    const auto family = static_cast<TrackFamily>(frame / kStepFramesPerFamily);
    const int inFamily = frame % kStepFramesPerFamily;
    const bool playing = inFamily > kStepVelocityLevels;
    const int level = playing ? inFamily - kStepVelocityLevels - 1 : inFamily;
    const Colour accent = palette::family(family);
    const int w = bitmap.frameWidth;
    const int h = bitmap.frameHeight;

    Colour face = level > 0 ? mix(palette::kButton, accent, 0.16) : palette::kButton;
    if (playing)
        face = mix(face, kWhite, 0.12);
    roundedPath(cr, 1.5, 1.5, w - 3.0, h - 3.0, 3.0);
    setColour(cr, face);
    cairo_fill_preserve(cr);
    const Colour edge = playing     ? mix(palette::kText, accent, 0.25)
                        : level > 0 ? mix(palette::kButtonEdge, accent, 0.55)
                                    : palette::kButtonEdge;
    setColour(cr, edge);
    cairo_set_line_width(cr, 1.0);
    cairo_stroke(cr);
    if (!playing)
        hLine(cr, 4, w - 4, 2, palette::kButtonTop);

    if (level > 0) {
        // In a frame 22 high the bar has 14 pixels for 8 levels: the lowest still gets two, so that
        // its colour shows under the cap.
        const int barTop = 4;
        const int barBottom = h - 4;
        const int barHeight = std::max(2, (barBottom - barTop) * level / kStepVelocityLevels);
        const Colour bar =
            mix(mix(accent, palette::kButton, 0.35), accent, static_cast<double>(level) / kStepVelocityLevels);
        fillRect(cr, 5, barBottom - barHeight, w - 10, barHeight, bar);
        // A brighter cap marks the velocity's height.
        hLine(cr, 5, w - 5, barBottom - barHeight, mix(accent, kWhite, 0.45));
    }
}

// The random amount: 16 thin segments in the colour of everything random.
void drawRandomAmount(cairo_t* cr, int frame, const BitmapGeometry& bitmap) {
    const int w = bitmap.frameWidth;
    const int h = bitmap.frameHeight;
    well(cr, 0, 0, w, h, 2.0);
    for (int i = 0; i < kRandomAmountSegments; ++i) {
        const bool lit = i < frame;
        fillRect(cr, 3 + 3 * i, 3, 2, h - 7, lit ? palette::kViolet : mix(palette::kWell, palette::kViolet, 0.16));
    }
}

void drawPatternSelect(cairo_t* cr, int frame, const BitmapGeometry& bitmap) {
    const bool selected = frame >= kPatterns;
    const int pattern = frame % kPatterns + 1;
    selectableCell(cr, bitmap.frameWidth, bitmap.frameHeight, selected, palette::kAmber);
    centredText(cr, std::to_string(pattern), bitmap.frameWidth / 2.0, bitmap.frameHeight / 2.0, 7.5,
                selected ? kInk : palette::kTextDim);
}

void drawPatternPage(cairo_t* cr, int frame, const BitmapGeometry& bitmap) {
    const bool shown = frame >= kPatternPages;
    const int page = frame % kPatternPages;
    selectableCell(cr, bitmap.frameWidth, bitmap.frameHeight, shown, palette::kAmber);
    const std::string text = std::to_string(page * 16 + 1) + "\u2013" + std::to_string(page * 16 + 16);
    centredText(cr, text, bitmap.frameWidth / 2.0, bitmap.frameHeight / 2.0, 7.0, shown ? kInk : palette::kTextDim);
}

void drawLoopLed(cairo_t* cr, int frame, const BitmapGeometry& bitmap) {
    const bool lit = frame == kFrameOn;
    const int w = bitmap.frameWidth;
    const int h = bitmap.frameHeight;
    if (lit) {
        roundedPath(cr, 1, 1, w - 2.0, h - 2.0, 3.0);
        setColour(cr, palette::kAmber, 0.25);
        cairo_fill(cr);
    }
    roundedPath(cr, 3, 2, w - 6.0, h - 4.0, 2.0);
    setColour(cr, lit ? palette::kAmber : mix(palette::kWell, palette::kAmber, 0.16));
    cairo_fill(cr);
}

// The equaliser's display: decades of a 20 Hz to 20 kHz log scale, the 0 dB line across the
// middle and faint lines at +-12 dB.
void drawFilterDisplay(cairo_t* cr, int, const BitmapGeometry& bitmap) {
    const int w = bitmap.frameWidth;
    const int h = bitmap.frameHeight;
    well(cr, 0, 0, w, h, 3.0);
    const auto xOf = [&](double hertz) {
        return static_cast<int>(std::lround(1 + (std::log10(hertz / 20.0) / 3.0) * (w - 3)));
    };
    for (double decade : {20.0, 200.0, 2000.0})
        for (int k = 2; k <= 9; ++k)
            if (decade * k < 20000.0)
                vLine(cr, xOf(decade * k), 2, h - 2, palette::kGrid, 0.7);
    for (double hertz : {100.0, 1000.0, 10000.0})
        vLine(cr, xOf(hertz), 2, h - 2, palette::kGridStrong);
    hLine(cr, 2, w - 2, h / 2, palette::kGridStrong);
    hLine(cr, 2, w - 2, h / 4, palette::kGrid);
    hLine(cr, 2, w - 2, 3 * h / 4, palette::kGrid);
}

// The random generator's graph: one column per step of a page, beats marked.
void drawRandomGraph(cairo_t* cr, int, const BitmapGeometry& bitmap) {
    const int w = bitmap.frameWidth;
    const int h = bitmap.frameHeight;
    well(cr, 0, 0, w, h, 3.0);
    for (int step = 1; step < 16; ++step) {
        const int x = step * w / 16;
        vLine(cr, x, 2, h - 2, step % 4 == 0 ? palette::kGridStrong : palette::kGrid);
    }
    for (int quarter = 1; quarter < 4; ++quarter)
        hLine(cr, 2, w - 2, quarter * h / 4, palette::kGrid, quarter == 2 ? 1.0 : 0.6);
}

void drawNoteCell(cairo_t* cr, int frame, const BitmapGeometry& bitmap) {
    const int w = bitmap.frameWidth;
    const int h = bitmap.frameHeight;
    if (frame == kNoteCellChosen) {
        selectableCell(cr, w, h, true, palette::kAmber);
        return;
    }
    const Colour face = frame == kNoteCellSharp ? hex(0x1A2029) : palette::kButton;
    roundedPath(cr, 0.5, 0.5, w - 1.0, h - 1.0, 2.0);
    setColour(cr, face);
    cairo_fill_preserve(cr);
    setColour(cr, frame == kNoteCellSharp ? palette::kWellEdge : palette::kButtonEdge);
    cairo_set_line_width(cr, 1.0);
    cairo_stroke(cr);
}

void drawScaleCell(cairo_t* cr, int frame, const BitmapGeometry& bitmap) {
    selectableCell(cr, bitmap.frameWidth, bitmap.frameHeight, frame == kFrameOn, palette::kAmber);
}

void drawProgressBar(cairo_t* cr, int frame, const BitmapGeometry& bitmap) {
    const int w = bitmap.frameWidth;
    const int h = bitmap.frameHeight;
    well(cr, 0, 0, w, h, 3.0);
    if (frame != kFrameMeterLit)
        return;
    cairo_pattern_t* fill = cairo_pattern_create_linear(0, 0, w, 0);
    const Colour from = mix(palette::kAmber, palette::kKick, 0.5);
    cairo_pattern_add_color_stop_rgb(fill, 0.0, from.red, from.green, from.blue);
    cairo_pattern_add_color_stop_rgb(fill, 1.0, palette::kAmber.red, palette::kAmber.green, palette::kAmber.blue);
    roundedPath(cr, 2, 2, w - 4.0, h - 5.0, 1.5);
    cairo_set_source(cr, fill);
    cairo_fill(cr);
    cairo_pattern_destroy(fill);
}

// The waveform's handles: they sit on the dark waveform display, so each is a light shape
// with a dark rim.
void drawArrow(cairo_t* cr, int frame, const BitmapGeometry& bitmap) {
    const double cx = bitmap.frameWidth / 2.0;
    const double cy = bitmap.frameHeight / 2.0;
    const double tip = frame == 0 ? -1.0 : 1.0;
    cairo_move_to(cr, cx + tip * 4.5, cy);
    cairo_line_to(cr, cx - tip * 3.5, cy - 4.5);
    cairo_line_to(cr, cx - tip * 3.5, cy + 4.5);
    cairo_close_path(cr);
    setColour(cr, palette::kText);
    cairo_fill_preserve(cr);
    setColour(cr, palette::kWellEdge);
    cairo_set_line_width(cr, 1.0);
    cairo_stroke(cr);
}

void drawCursor(cairo_t* cr, int, const BitmapGeometry& bitmap) {
    const int w = bitmap.frameWidth;
    const int h = bitmap.frameHeight;
    // A flag pointing down at the sample position, its stem in the middle column pair.
    cairo_move_to(cr, 0.5, 0.5);
    cairo_line_to(cr, w - 0.5, 0.5);
    cairo_line_to(cr, w - 0.5, 4.5);
    cairo_line_to(cr, w / 2.0, 7.5);
    cairo_line_to(cr, 0.5, 4.5);
    cairo_close_path(cr);
    setColour(cr, palette::kAmber);
    cairo_fill_preserve(cr);
    setColour(cr, palette::kWellEdge);
    cairo_set_line_width(cr, 1.0);
    cairo_stroke(cr);
    fillRect(cr, w / 2 - 1, 7, 2, h - 7, palette::kAmber);
}

void drawZoom(cairo_t* cr, int frame, const BitmapGeometry& bitmap) {
    const double cx = bitmap.frameWidth / 2.0;
    const double cy = bitmap.frameHeight / 2.0;
    cairo_arc(cr, cx, cy, cx - 0.5, 0, 2 * kPi);
    setColour(cr, palette::kButton);
    cairo_fill_preserve(cr);
    setColour(cr, palette::kButtonEdge);
    cairo_set_line_width(cr, 1.0);
    cairo_stroke(cr);
    const int mid = bitmap.frameWidth / 2;
    fillRect(cr, mid - 3, mid - 1, 6, 2, palette::kText);
    if (frame == 1)
        fillRect(cr, mid - 1, mid - 3, 2, 6, palette::kText);
}

}  // namespace rimba::artwork::draw
