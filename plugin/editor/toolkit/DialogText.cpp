#include "plugin/editor/toolkit/DialogText.h"

namespace rimba::toolkit {

namespace {

FontWeight weightOf(bool bold) { return bold ? FontWeight::bold : FontWeight::normal; }

}  // namespace

void selectDialogFont(CDrawContext& context, double size, bool bold) { context.selectFont(size, weightOf(bold)); }

void drawTextInRow(CDrawContext& context, std::string_view text, const CRect& row) {
    const CFontMetrics font = context.fontMetrics();
    const double baseline = row.top + (row.height() + font.ascent - font.descent) / 2.0;
    context.showText(row.left, baseline, text);
}

double measureDialogText(std::string_view text, double size, bool bold) {
    return measureText(text, size, weightOf(bold));
}

}  // namespace rimba::toolkit
