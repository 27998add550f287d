#pragma once
// The drawing of each bitmap the editor names. A drawer paints one frame into a context whose
// origin is that frame's top left corner and whose clip is that frame; frames start transparent.

#include <cairo.h>

#include <string_view>

#include "plugin/editor/artwork/ArtworkGeometry.h"

namespace rimba::artwork::draw {

using Drawer = void (*)(cairo_t* cr, int frame, const BitmapGeometry& bitmap);

// nullptr when no drawer paints that bitmap.
Drawer drawerFor(std::string_view name);

// The drawers, by the part of the editor they serve (Buttons.cpp, Displays.cpp, Panels.cpp).
void drawPlay(cairo_t*, int, const BitmapGeometry&);
void drawStop(cairo_t*, int, const BitmapGeometry&);
void drawLabelPlate(cairo_t*, int, const BitmapGeometry&);
void drawWaveUp(cairo_t*, int, const BitmapGeometry&);
void drawWaveDown(cairo_t*, int, const BitmapGeometry&);
void drawTextSwitch(cairo_t*, int, const BitmapGeometry&);
void drawTextButton(cairo_t*, int, const BitmapGeometry&);
void drawIconSwitch(cairo_t*, int, const BitmapGeometry&);
void drawMenu(cairo_t*, int, const BitmapGeometry&);
void drawUrl(cairo_t*, int, const BitmapGeometry&);
void drawFaderHandle(cairo_t*, int, const BitmapGeometry&);
void drawLed(cairo_t*, int, const BitmapGeometry&);

void drawKnob(cairo_t*, int, const BitmapGeometry&);
void drawMeter(cairo_t*, int, const BitmapGeometry&);
void drawStep(cairo_t*, int, const BitmapGeometry&);
void drawRandomAmount(cairo_t*, int, const BitmapGeometry&);
void drawPatternSelect(cairo_t*, int, const BitmapGeometry&);
void drawPatternPage(cairo_t*, int, const BitmapGeometry&);
void drawLoopLed(cairo_t*, int, const BitmapGeometry&);
void drawFilterDisplay(cairo_t*, int, const BitmapGeometry&);
void drawRandomGraph(cairo_t*, int, const BitmapGeometry&);
void drawNoteCell(cairo_t*, int, const BitmapGeometry&);
void drawScaleCell(cairo_t*, int, const BitmapGeometry&);
void drawProgressBar(cairo_t*, int, const BitmapGeometry&);
void drawArrow(cairo_t*, int, const BitmapGeometry&);
void drawCursor(cairo_t*, int, const BitmapGeometry&);
void drawZoom(cairo_t*, int, const BitmapGeometry&);

void drawBackground(cairo_t*, int, const BitmapGeometry&);
void drawWelcome(cairo_t*, int, const BitmapGeometry&);
void drawNotePanel(cairo_t*, int, const BitmapGeometry&);
void drawScalePlate(cairo_t*, int, const BitmapGeometry&);

}  // namespace rimba::artwork::draw
