#include "plugin/editor/controls/VornMeters.h"

#include <algorithm>
#include <cmath>

#include "plugin/editor/artwork/ArtworkGeometry.h"

namespace rimba::controls {

using toolkit::CRect;

int litLength(float level, int length) {
    if (!(level > 0.0f) || length <= 0)
        return 0;  // NaN lights nothing
    return static_cast<int>(std::lround(std::min(level, 1.0f) * static_cast<float>(length)));
}

CVornMeterBase::CVornMeterBase(const CRect& size, toolkit::CControlListener* listener, long tag,
                               std::string_view bitmapName, bool isVertical)
    : CVornControlEx(size, listener, tag), strip(FilmStrip::load(bitmapName)), vertical(isVertical) {
    setMouseEnabled(false);
}

int CVornMeterBase::lengthOfView() const { return vertical ? getViewSize().height() : getViewSize().width(); }

void CVornMeterBase::setLevel(float level) {
    const float before = getValue();
    setValue(level);
    if (litLength(before, lengthOfView()) != litLength(getValue(), lengthOfView()))
        invalid();
}

void CVornMeterBase::drawControl(toolkit::CDrawContext& context) {
    const CRect& box = getViewSize();
    const int lit = litLength(getValue(), lengthOfView());
    const CRect litPart = vertical ? CRect{box.left, box.bottom - lit, box.right, box.bottom}
                                   : CRect{box.left, box.top, box.left + lit, box.bottom};
    if (!strip.isEmpty()) {
        strip.draw(context, {box.left, box.top}, artwork::kFrameMeterOff);
        if (lit > 0) {
            context.save();
            context.rectangle(litPart.left, litPart.top, litPart.width(), litPart.height());
            context.clip();
            strip.draw(context, {box.left, box.top}, artwork::kFrameMeterLit);
            context.restore();
        }
        return;
    }
    fillRect(context, box, 0.08, 0.1, 0.08);
    if (lit > 0)
        fillRect(context, litPart, 0.3, 0.9, 0.35);
}

CVornVuMeter::CVornVuMeter(const CRect& size, toolkit::CControlListener* listener, long tag)
    : CVornMeterBase(size, listener, tag, "vumeter.png", false) {}

CVornVuMeterVert::CVornVuMeterVert(const CRect& size, toolkit::CControlListener* listener, long tag)
    : CVornMeterBase(size, listener, tag, "VuMeterSmall.png", true) {}

CVornProgressBar::CVornProgressBar(const CRect& size, toolkit::CControlListener* listener, long tag)
    : CVornMeterBase(size, listener, tag, "ProgressBar.png", false) {}

}  // namespace rimba::controls
