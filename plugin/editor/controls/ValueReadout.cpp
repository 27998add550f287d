#include "plugin/editor/controls/ValueReadout.h"

#include <algorithm>
#include <cmath>

#include "plugin/editor/controls/VornControlEx.h"

namespace rimba::controls {

using toolkit::CRect;

namespace {

constexpr double kFontSize = 9.0;
constexpr int kPadding = 4;
constexpr int kHeight = 14;
constexpr int kGap = 2;  // between the control and the box

// The text's width as drawText writes it (DejaVu Sans at kFontSize).
int textWidth(std::string_view text) { return static_cast<int>(std::ceil(toolkit::measureText(text, kFontSize))); }

}  // namespace

CValueReadout::CValueReadout(const CRect& bounds) : CView({0, 0, 0, 0}), bounds(bounds) {
    setMouseEnabled(false);
    setVisible(false);
}

CRect CValueReadout::placeBeside(const CRect& near, const CRect& bounds, std::string_view text) {
    const int width = std::min(textWidth(text) + 2 * kPadding, bounds.width());
    int left = near.left + (near.width() - width) / 2;
    left = std::clamp(left, bounds.left, bounds.right - width);
    int top = near.top - kGap - kHeight;
    if (top < bounds.top)
        top = near.bottom + kGap;
    top = std::clamp(top, bounds.top, bounds.bottom - kHeight);
    return toolkit::rectOfSize(left, top, width, kHeight);
}

void CValueReadout::show(const void* owner, const CRect& near, std::string newText) {
    const CRect place = placeBeside(near, bounds, newText);
    if (isShownFor(owner) && place == getViewSize() && newText == text)
        return;
    shownFor = owner;
    text = std::move(newText);
    // Moving marks both the place left and the new one; in place, only the box is repainted.
    setViewSize(place);
    setVisible(true);
    invalid();
}

void CValueReadout::hide(const void* owner) {
    if (!isShownFor(owner))
        return;
    shownFor = nullptr;
    setVisible(false);
}

void CValueReadout::draw(toolkit::CDrawContext& context) {
    const CRect& box = getViewSize();
    fillRect(context, box, 0.1, 0.11, 0.13, 0.92);
    strokeRect(context, box, 1.0, 0.55, 0.58, 0.64);
    drawText(context, box, text, kFontSize, TextAlign::centre, 0.95, 0.95, 0.95);
    setDirty(false);
}

}  // namespace rimba::controls
