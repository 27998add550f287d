// The editor's backgrounds and the larger plates: the welcome picture, the note selector's panel
// and the tune scale's plate.

#include <cmath>
#include <string>

#include "tools/artwork/Drawers.h"
#include "tools/artwork/Paint.h"

namespace rimba::artwork::draw {

namespace {

void editorGround(cairo_t* cr, int w, int h) {
    cairo_pattern_t* ground = cairo_pattern_create_linear(0, 0, 0, h);
    const Colour top = hex(0x1A2029);
    const Colour bottom = hex(0x141920);
    cairo_pattern_add_color_stop_rgb(ground, 0.0, top.red, top.green, top.blue);
    cairo_pattern_add_color_stop_rgb(ground, 1.0, bottom.red, bottom.green, bottom.blue);
    cairo_rectangle(cr, 0, 0, w, h);
    cairo_set_source(cr, ground);
    cairo_fill(cr);
    cairo_pattern_destroy(ground);
}

void trackStrip(cairo_t* cr, int track) {
    const int top = kTrackStripsTop + track * kTrackStripPitch;
    const int left = kTrackStripLeft;
    const int width = kTrackStripRight - kTrackStripLeft;
    const Colour accent = palette::family(kTrackFamilyOfTrack[static_cast<std::size_t>(track)]);
    roundedPath(cr, left, top, width, kTrackStripHeight, 3.0);
    setColour(cr, track % 2 == 0 ? palette::kStrip : palette::kStripAlt);
    cairo_fill(cr);
    strokeRect(cr, left, top, width, kTrackStripHeight, palette::kPanelEdge, 1.0, 3.0);
    hLine(cr, left + 3, left + width - 3, top + 1, palette::kPanelLight, 0.8);
    // The family's colour down the left edge, and the track's number beside it.
    fillRect(cr, left + 2, top + 3, 2, kTrackStripHeight - 6, accent, 0.9);
    centredText(cr, std::to_string(track + 1), left + 2 + kTrackStripAccentWidth / 2.0, top + kTrackStripHeight / 2.0,
                9.0, mix(accent, palette::kTextDim, 0.35));
    vLine(cr, left + kTrackStripAccentWidth, top + 6, top + kTrackStripHeight - 6, palette::kPanelEdge);
}

}  // namespace

void drawBackground(cairo_t* cr, int, const BitmapGeometry& bitmap) {
    const bool large = bitmap.name == "BackgroundLarge.png";
    editorGround(cr, bitmap.frameWidth, bitmap.frameHeight);
    for (const BackgroundSection& section : kBackgroundSections) {
        if (section.id == Section::kTracks)
            continue;
        const SectionRect& r = large ? section.large : section.small;
        panel(cr, r.left, r.top, r.right - r.left, r.bottom - r.top, section.title);
    }
    const int tracks = large ? 12 : 8;
    for (int track = 0; track < tracks; ++track)
        trackStrip(cr, track);
}

// The welcome picture: the name, a line of what it is, and four rows of steps in the families'
// colours, like a groove waiting to be played.
void drawWelcome(cairo_t* cr, int frame, const BitmapGeometry& bitmap) {
    const int w = bitmap.frameWidth;
    const int h = bitmap.frameHeight;
    roundedPath(cr, 0, 0, w, h, 6.0);
    setColour(cr, palette::kPanel);
    cairo_fill(cr);
    strokeRect(cr, 0, 0, w, h, palette::kGridStrong, 1.0, 6.0);
    hLine(cr, 6, w - 6, 1, palette::kPanelLight);

    const double nameWidth = textWidth(cr, "Rimba", 30.0) + textWidth(cr, "Drums", 30.0, Weight::kRegular);
    const double nameLeft = std::round((w - nameWidth) / 2.0);
    const double first = spacedText(cr, "Rimba", nameLeft, 46, 30.0, 0.0, palette::kText);
    spacedText(cr, "Drums", nameLeft + first, 46, 30.0, 0.0, palette::kAmber, Weight::kRegular);
    centredText(cr, "DRUM MACHINE", w / 2.0, 76, 8.0, palette::kTitle);

    // Four short grooves, one per family.
    constexpr int kGroove[4][16] = {
        {127, 0, 0, 0, 0, 0, 0, 60, 110, 0, 40, 0, 0, 0, 0, 0},
        {0, 0, 0, 0, 120, 0, 0, 30, 0, 0, 0, 0, 120, 0, 40, 0},
        {90, 40, 70, 40, 90, 40, 70, 40, 90, 40, 70, 40, 90, 40, 70, 60},
        {0, 0, 70, 0, 0, 50, 0, 0, 0, 0, 70, 0, 0, 90, 0, 30},
    };
    const int cell = 16;
    const int gap = 4;
    const int rowWidth = 16 * cell + 15 * gap + 3 * 4;
    const int left = (w - rowWidth) / 2;
    for (int row = 0; row < 4; ++row) {
        const Colour accent = palette::family(static_cast<TrackFamily>(row));
        const int top = 100 + row * 22;
        for (int step = 0; step < 16; ++step) {
            const int x = left + step * (cell + gap) + (step / 4) * 4;
            const int velocity = kGroove[row][step];
            roundedPath(cr, x + 0.5, top + 0.5, cell - 1.0, cell - 1.0, 3.0);
            const double strength = 0.25 + 0.75 * velocity / 127.0;
            setColour(cr, velocity > 0 ? mix(palette::kButton, accent, strength) : palette::kButton);
            cairo_fill_preserve(cr);
            setColour(cr, velocity > 0 ? accent : palette::kButtonEdge, velocity > 0 ? 0.6 : 1.0);
            cairo_set_line_width(cr, 1.0);
            cairo_stroke(cr);
        }
    }
    centredText(cr, "Click to start", w / 2.0, h - 24, 9.0, palette::kTextDim, Weight::kRegular);
    if (frame == kFrameDown) {
        roundedPath(cr, 0, 0, w, h, 6.0);
        setColour(cr, hex(0x000000), 0.25);
        cairo_fill(cr);
    }
}

// The note selector's panel: a raised plate with its title; the cells go below the title.
void drawNotePanel(cairo_t* cr, int, const BitmapGeometry& bitmap) {
    const int w = bitmap.frameWidth;
    const int h = bitmap.frameHeight;
    fillRect(cr, 0, 0, w, h, palette::kEditor);
    roundedPath(cr, 0, 0, w, h, 4.0);
    setColour(cr, palette::kPanel);
    cairo_fill(cr);
    strokeRect(cr, 0, 0, w, h, palette::kGridStrong, 1.0, 4.0);
    hLine(cr, 4, w - 4, 1, palette::kPanelLight);
    const double width = spacedText(cr, "SELECT NOTE", 8, 11, 7.0, 1.2, palette::kTitle);
    hLine(cr, static_cast<int>(std::ceil(8 + width + 6)), w - 8, 11, palette::kPanelEdge);
}

void drawScalePlate(cairo_t* cr, int, const BitmapGeometry& bitmap) {
    well(cr, 0, 0, bitmap.frameWidth, bitmap.frameHeight, 3.0);
}

}  // namespace rimba::artwork::draw
