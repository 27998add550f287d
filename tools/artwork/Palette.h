#pragma once
// The editor's colours. A calm, deep blue-grey panel that is easy on the eyes for hours, light
// text of moderate contrast, and one accent per track family; everything lit (LEDs, value arcs,
// selected cells) takes an accent, everything at rest stays in the greys.

#include "plugin/editor/artwork/ArtworkGeometry.h"

namespace rimba::artwork::draw {

struct Colour {
    double red;
    double green;
    double blue;
};

constexpr Colour hex(unsigned rgb) {
    return {((rgb >> 16) & 0xFF) / 255.0, ((rgb >> 8) & 0xFF) / 255.0, (rgb & 0xFF) / 255.0};
}

// t = 0 gives a, t = 1 gives b.
constexpr Colour mix(Colour a, Colour b, double t) {
    return {a.red + (b.red - a.red) * t, a.green + (b.green - a.green) * t, a.blue + (b.blue - a.blue) * t};
}

namespace palette {

// Surfaces, from the deepest to the most raised.
inline constexpr Colour kEditor = hex(0x171C24);  // behind the panels
inline constexpr Colour kPanel = hex(0x1F2630);  // a section
inline constexpr Colour kPanelEdge = hex(0x2C3542);  // a section's 1-pixel border
inline constexpr Colour kPanelLight = hex(0x29313D);  // the lit top edge inside a section
inline constexpr Colour kStrip = hex(0x212934);  // a track strip
inline constexpr Colour kStripAlt = hex(0x1E252F);  // every other track strip
inline constexpr Colour kWell = hex(0x12171E);  // recessed displays and label plates
inline constexpr Colour kWellEdge = hex(0x0C1015);
inline constexpr Colour kButton = hex(0x2B3441);  // a button at rest
inline constexpr Colour kButtonTop = hex(0x323C4A);
inline constexpr Colour kButtonEdge = hex(0x3B4655);
inline constexpr Colour kButtonDown = hex(0x222A35);
inline constexpr Colour kGrid = hex(0x242D39);  // grid lines of displays
inline constexpr Colour kGridStrong = hex(0x303B49);

// Text.
inline constexpr Colour kText = hex(0xD9DFE8);
inline constexpr Colour kTextDim = hex(0x8D98A8);
inline constexpr Colour kTitle = hex(0x6E7C8F);  // section titles

// Accents. The track families, then the editor's own.
inline constexpr Colour kKick = hex(0xF0914B);  // warm orange
inline constexpr Colour kSnare = hex(0xE9708F);  // rose
inline constexpr Colour kHat = hex(0x55B7EA);  // cyan-blue
inline constexpr Colour kPercussion = hex(0x6FCB8E);  // green
inline constexpr Colour kSilver = hex(0xC9D2DE);  // the gray knob's arc
inline constexpr Colour kAmber = hex(0xF2B24E);  // selections, the pattern panel, lamps
inline constexpr Colour kViolet = hex(0xAE92EC);  // everything random
inline constexpr Colour kPlay = hex(0x6FCB8E);
inline constexpr Colour kStop = hex(0xE9645E);
inline constexpr Colour kMute = hex(0xE9645E);
inline constexpr Colour kSolo = hex(0xF2CF4E);
// Meter segments: safe, loud, clipping.
inline constexpr Colour kMeterLow = hex(0x6FCB8E);
inline constexpr Colour kMeterMid = hex(0xF2CF4E);
inline constexpr Colour kMeterHigh = hex(0xE9645E);

constexpr Colour family(TrackFamily f) {
    switch (f) {
        case TrackFamily::kKick: return kKick;
        case TrackFamily::kSnare: return kSnare;
        case TrackFamily::kHat: return kHat;
        case TrackFamily::kPercussion: return kPercussion;
    }
    return kSilver;
}

}  // namespace palette
}  // namespace rimba::artwork::draw
