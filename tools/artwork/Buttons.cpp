// Buttons, switches, label plates and small handles.

#include <cmath>
#include <string_view>

#include "tools/artwork/Drawers.h"
#include "tools/artwork/Paint.h"

namespace rimba::artwork::draw {

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr Colour kInk = hex(0x151A21);  // dark text on a strongly lit face

struct SwitchText {
    std::string_view name;
    std::string_view text;
    Colour accent;
};

// The words on the text switches and buttons, and the colour each lights in.
constexpr SwitchText kSwitchTexts[] = {
    {"SwitchEffect.png", "FX", palette::kAmber},
    {"SwitchEQ.png", "EQ", palette::kPercussion},
    {"SwitchSynth.png", "SYNTH", palette::kAmber},
    {"Decay.png", "DECAY", palette::kAmber},
    {"Reverse.png", "REVERSE", palette::kAmber},
    {"Charley.png", "CHOKE", palette::kHat},
    {"loopEx.png", "LOOP", palette::kAmber},
    {"chain.png", "CHAIN", palette::kAmber},
    {"rand.png", "RAND", palette::kViolet},
    {"SwitchEditPage.png", "PAGE", palette::kAmber},
    {"Random.png", "RANDOM", palette::kViolet},
    {"RandomReset.png", "RESET", palette::kViolet},
    {"PatternRandomMode.png", "MODE", palette::kViolet},
    {"PatternRandomGraph.png", "GRAPH", palette::kViolet},
    {"PatternRandomPlay.png", "PLAY", palette::kViolet},
    {"Save.png", "SAVE", palette::kViolet},
    {"D&D.png", "DRAG MIDI", palette::kAmber},
    {"StepHoldMode.png", "HOLD / TUNE", palette::kAmber},
    {"StepShortHoldMode.png", "SHORT HOLD", palette::kAmber},
    {"Manual.png", "MANUAL", palette::kViolet},
};

const SwitchText& switchText(std::string_view name) {
    for (const SwitchText& entry : kSwitchTexts)
        if (entry.name == name)
            return entry;
    static constexpr SwitchText kNone{"", "?", palette::kAmber};
    return kNone;
}

void triangle(cairo_t* cr, double cx, double cy, double size, double direction) {
    // direction: the angle the tip points to (0 right, pi/2 down).
    cairo_save(cr);
    cairo_translate(cr, cx, cy);
    cairo_rotate(cr, direction);
    cairo_move_to(cr, size * 0.6, 0);
    cairo_line_to(cr, -size * 0.4, -size * 0.55);
    cairo_line_to(cr, -size * 0.4, size * 0.55);
    cairo_close_path(cr);
    cairo_restore(cr);
    cairo_fill(cr);
}

void transport(cairo_t* cr, int frame, const BitmapGeometry& bitmap, bool play) {
    const bool lit = frame == kFrameOn;
    const Colour accent = play ? palette::kPlay : palette::kStop;
    button(cr, 0, 0, bitmap.frameWidth, bitmap.frameHeight, {false, lit, accent});
    const double cx = bitmap.frameWidth / 2.0;
    const double cy = bitmap.frameHeight / 2.0;
    setColour(cr, lit ? accent : palette::kTextDim);
    if (play) {
        triangle(cr, cx + 1, cy, 11, 0);
    } else {
        cairo_rectangle(cr, cx - 4, cy - 4, 8, 8);
        cairo_fill(cr);
    }
}

void stepArrow(cairo_t* cr, int frame, const BitmapGeometry& bitmap, bool up) {
    const bool down = frame == kFrameDown;
    button(cr, 0, 0, bitmap.frameWidth, bitmap.frameHeight, {down, false, palette::kAmber});
    setColour(cr, down ? palette::kText : palette::kTextDim);
    const double cy = bitmap.frameHeight / 2.0 + (down ? 1.0 : 0.0);
    triangle(cr, bitmap.frameWidth / 2.0, cy, 6, up ? -kPi / 2 : kPi / 2);
}

void sineIcon(cairo_t* cr, double cx, double cy, double width, double height) {
    for (int i = 0; i <= 24; ++i) {
        const double t = i / 24.0;
        const double x = cx - width / 2 + t * width;
        const double y = cy - std::sin(t * 2 * kPi) * height / 2;
        if (i == 0)
            cairo_move_to(cr, x, y);
        else
            cairo_line_to(cr, x, y);
    }
    cairo_set_line_width(cr, 1.5);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    cairo_stroke(cr);
}

}  // namespace

void drawPlay(cairo_t* cr, int frame, const BitmapGeometry& bitmap) { transport(cr, frame, bitmap, true); }

void drawStop(cairo_t* cr, int frame, const BitmapGeometry& bitmap) { transport(cr, frame, bitmap, false); }

void drawLabelPlate(cairo_t* cr, int, const BitmapGeometry& bitmap) {
    well(cr, 0, 0, bitmap.frameWidth, bitmap.frameHeight, 3.0);
    // A small caret at the right end: a click on a name opens its menu. The key's plate is too
    // narrow to spare the room; its note name needs it all.
    if (bitmap.name == "LabelKey.png")
        return;
    setColour(cr, palette::kTitle);
    const double x = bitmap.frameWidth - 8.0;
    const double cy = bitmap.frameHeight / 2.0;
    cairo_move_to(cr, x - 3, cy - 1.5);
    cairo_line_to(cr, x + 3, cy - 1.5);
    cairo_line_to(cr, x, cy + 2);
    cairo_close_path(cr);
    cairo_fill(cr);
}

void drawWaveUp(cairo_t* cr, int frame, const BitmapGeometry& bitmap) { stepArrow(cr, frame, bitmap, true); }

void drawWaveDown(cairo_t* cr, int frame, const BitmapGeometry& bitmap) { stepArrow(cr, frame, bitmap, false); }

// A latching switch: a small lamp at the left and its word beside it.
void drawTextSwitch(cairo_t* cr, int frame, const BitmapGeometry& bitmap) {
    const SwitchText& look = switchText(bitmap.name);
    const bool lit = frame == kFrameOn;
    button(cr, 0, 0, bitmap.frameWidth, bitmap.frameHeight, {false, lit, look.accent});
    const double cy = bitmap.frameHeight / 2.0;
    lamp(cr, 6.5, cy, 2.0, look.accent, lit);
    centredText(cr, look.text, (bitmap.frameWidth + 10) / 2.0, cy, 7.0, lit ? palette::kText : palette::kTextDim);
}

// A momentary button: its word sinks by a pixel while held.
void drawTextButton(cairo_t* cr, int frame, const BitmapGeometry& bitmap) {
    const SwitchText& look = switchText(bitmap.name);
    const bool down = frame == kFrameDown;
    button(cr, 0, 0, bitmap.frameWidth, bitmap.frameHeight, {down, down, look.accent});
    const double cy = bitmap.frameHeight / 2.0 + (down ? 1.0 : 0.0);
    centredText(cr, look.text, bitmap.frameWidth / 2.0, cy, 7.0, down ? look.accent : palette::kText, Weight::kBold,
                down ? 1.0 : 0.85);
}

// Small square switches with a letter or a symbol; lit, the face takes the colour whole, so
// a muted or soloed track shows from across the room.
void drawIconSwitch(cairo_t* cr, int frame, const BitmapGeometry& bitmap) {
    const std::string_view name = bitmap.name;
    const bool lit = frame == kFrameOn;
    const Colour accent = name == "SwitchMute.png"   ? palette::kMute
                          : name == "SwitchSolo.png" ? palette::kSolo
                                                     : palette::kAmber;
    const int w = bitmap.frameWidth;
    const int h = bitmap.frameHeight;
    button(cr, 0, 0, w, h, {false, lit, accent});
    const bool solid = lit && (name == "SwitchMute.png" || name == "SwitchSolo.png");
    if (solid) {
        roundedPath(cr, 1.5, 1.5, w - 3.0, h - 3.0, 2.5);
        setColour(cr, accent, 0.9);
        cairo_fill(cr);
    }
    const Colour ink = solid ? kInk : lit ? accent : palette::kTextDim;
    const double cx = w / 2.0;
    const double cy = h / 2.0;
    if (name == "SwitchMute.png") {
        centredText(cr, "M", cx, cy, 9.0, ink);
    } else if (name == "SwitchSolo.png") {
        centredText(cr, "S", cx, cy, 9.0, ink);
    } else if (name == "SwitchPhase.png") {
        // The phase-invert sign: a circle struck through.
        setColour(cr, ink);
        cairo_set_line_width(cr, 1.3);
        cairo_arc(cr, cx, cy, 4.5, 0, 2 * kPi);
        cairo_stroke(cr);
        cairo_move_to(cr, cx - 5, cy + 5);
        cairo_line_to(cr, cx + 5, cy - 5);
        cairo_stroke(cr);
    } else {
        setColour(cr, ink);
        sineIcon(cr, cx, cy, 12, 8);
    }
}

void drawMenu(cairo_t* cr, int frame, const BitmapGeometry& bitmap) {
    const bool down = frame == kFrameDown;
    button(cr, 0, 0, bitmap.frameWidth, bitmap.frameHeight, {down, false, palette::kAmber});
    const int top = bitmap.frameHeight / 2 - 4 + (down ? 1 : 0);
    const int left = bitmap.frameWidth / 2 - 7;
    for (int line = 0; line < 3; ++line)
        fillRect(cr, left, top + 3 * line, 14, 2, down ? palette::kText : palette::kTextDim);
}

// The name of the instrument as a link: up, and held (underlined, brighter).
void drawUrl(cairo_t* cr, int frame, const BitmapGeometry& bitmap) {
    const bool down = frame == kFrameDown;
    const double cy = bitmap.frameHeight / 2.0;
    if (down) {
        roundedPath(cr, 0.5, 0.5, bitmap.frameWidth - 1.0, bitmap.frameHeight - 1.0, 3.0);
        setColour(cr, mix(palette::kButtonDown, palette::kAmber, 0.12));
        cairo_fill(cr);
    }
    const double first =
        spacedText(cr, "Rimba", 4, cy, 12.0, 0.0, down ? hex(0xFFFFFF) : palette::kText, Weight::kBold);
    const double second = spacedText(cr, "Drums", 4 + first, cy, 12.0, 0.0, palette::kAmber, Weight::kRegular);
    if (down)
        hLine(cr, 4, static_cast<int>(4 + first + second), bitmap.frameHeight - 3, palette::kAmber);
}

// A fader's handle: a light cap with a coloured line across its middle (amber for the pattern
// faders, blue for the stepped velocity fader, rose for tuning).
void drawFaderHandle(cairo_t* cr, int, const BitmapGeometry& bitmap) {
    const std::string_view name = bitmap.name;
    const Colour line = name == "SwitchFader.png" ? palette::kHat
                        : name == "FaderTune.png" ? palette::kSnare
                                                  : palette::kAmber;
    const int w = bitmap.frameWidth;
    const int h = bitmap.frameHeight;
    cairo_pattern_t* cap = cairo_pattern_create_linear(0, 0, 0, h);
    cairo_pattern_add_color_stop_rgb(cap, 0.0, 0.86, 0.89, 0.93);
    cairo_pattern_add_color_stop_rgb(cap, 1.0, 0.56, 0.61, 0.68);
    roundedPath(cr, 0.5, 0.5, w - 1.0, h - 1.0, 2.0);
    cairo_set_source(cr, cap);
    cairo_fill_preserve(cr);
    cairo_pattern_destroy(cap);
    setColour(cr, palette::kWellEdge);
    cairo_set_line_width(cr, 1.0);
    cairo_stroke(cr);
    fillRect(cr, 1, h / 2 - 1, w - 2, 2, line);
}

void drawLed(cairo_t* cr, int frame, const BitmapGeometry& bitmap) {
    lamp(cr, bitmap.frameWidth / 2.0, bitmap.frameHeight / 2.0, bitmap.frameWidth / 2.0 - 3.0, palette::kAmber,
         frame == kFrameOn);
}

}  // namespace rimba::artwork::draw
