#pragma once
// Text as the pop-ups and dialogs write it: one typeface and size, rows with their baseline
// centred. Free of any window system, so every system's pop-ups draw the same.

#include <string_view>

#include "plugin/editor/toolkit/DrawContext.h"
#include "plugin/editor/toolkit/Geometry.h"

namespace rimba::toolkit {

constexpr double kDialogFontSize = 12.0;

void selectDialogFont(CDrawContext& context, double size = kDialogFontSize, bool bold = false);
// Draws `text` with its baseline centred vertically in `row`, starting at `row.left`.
void drawTextInRow(CDrawContext& context, std::string_view text, const CRect& row);
// A width measured before any window exists, for layouts.
double measureDialogText(std::string_view text, double size = kDialogFontSize, bool bold = false);

}  // namespace rimba::toolkit
