#include "plugin/editor/controls/VornFilter.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace rimba::controls {

using toolkit::CPoint;
using toolkit::CRect;
using toolkit::MouseResult;

namespace {

constexpr double kDisplayDb = 20.0;  // the display spans -20 dB to +20 dB, the gains' range
constexpr int kReach = 8;
constexpr std::array<std::array<double, 3>, 3> kBandColours{
    {{0.941, 0.569, 0.294}, {0.949, 0.698, 0.306}, {0.333, 0.718, 0.918}}};

double yOfDb(double db, const CRect& area) {
    const double share = (std::clamp(db, -kDisplayDb, kDisplayDb) + kDisplayDb) / (2.0 * kDisplayDb);
    return area.bottom - 1 - share * (area.height() - 1);
}

}  // namespace

CPoint filterHandlePosition(const FilterBand& band, const CRect& area) {
    const float x = std::clamp(band.frequency, 0.0f, 1.0f) * static_cast<float>(area.width() - 1);
    const float y = (1.0f - (std::clamp(band.gain, -1.0f, 1.0f) + 1.0f) / 2.0f) * static_cast<float>(area.height() - 1);
    return {area.left + static_cast<int>(std::lround(x)), area.top + static_cast<int>(std::lround(y))};
}

FilterBand filterBandAt(FilterBand band, const CRect& area, CPoint where) {
    if (area.width() < 2 || area.height() < 2)
        return band;
    band.frequency =
        std::clamp(static_cast<float>(where.x - area.left) / static_cast<float>(area.width() - 1), 0.0f, 1.0f);
    const float down =
        std::clamp(static_cast<float>(where.y - area.top) / static_cast<float>(area.height() - 1), 0.0f, 1.0f);
    band.gain = 1.0f - 2.0f * down;
    return band;
}

float filterQualityAfterDrag(float start, int dy) {
    // A hundred pixels up or down cover the whole range.
    return std::clamp(start - static_cast<float>(dy) / 100.0f, 0.0f, 1.0f);
}

int filterHandleAt(const FilterBands& bands, const CRect& area, CPoint where) {
    int nearest = -1;
    int best = kReach * kReach + 1;
    for (int band = 0; band < 3; ++band) {
        const CPoint at = filterHandlePosition(bands[static_cast<std::size_t>(band)], area);
        const int dx = where.x - at.x;
        const int dy = where.y - at.y;
        const int distance = dx * dx + dy * dy;
        if (distance < best) {
            best = distance;
            nearest = band;
        }
    }
    return nearest;
}

CVornFilter::CVornFilter(const CRect& size, toolkit::CControlListener* listener, long tag,
                         std::shared_ptr<const FilterResponse> curve)
    : CVornControlEx(size, listener, tag), display(FilmStrip::load("FilterEQ.png")), response(std::move(curve)) {
    setMin(0.0f);
    setMax(2.0f);
    // The instrument's reset bands: 100 Hz, 500 Hz and 2 kHz, flat.
    bands = {{{0.2407676f, 0.707f, 0.0f}, {0.4815352f, 0.707f, 0.0f}, {0.6889311f, 0.707f, 0.0f}}};
}

void CVornFilter::setBands(const FilterBands& newBands) {
    bands = newBands;
    invalid();
}

std::string CVornFilter::bandText(int band) const {
    const FilterBand& b = bands[static_cast<std::size_t>(std::clamp(band, 0, 2))];
    const int hz = response ? static_cast<int>(std::lround(response->frequencyHz(b.frequency))) : 0;
    const double q = response ? response->quality(band, b.quality) : b.quality;
    const double db = response ? response->gainDb(b.gain) : b.gain;
    char text[64];
    std::snprintf(text, sizeof text, "%iHz    %.2f     %.2fdB", hz, q, db);
    return text;
}

std::vector<std::string_view> CVornFilter::assignmentFormats() const {
    return {"LP Freq:%i", "LP Q:%i",    "LP Gain:%i", "BP Freq:%i", "BP Q:%i",
            "BP Gain:%i", "HP Freq:%i", "HP Q:%i",    "HP Gain:%i"};
}

void CVornFilter::change(int band, const FilterBand& settings) {
    FilterBand& b = bands[static_cast<std::size_t>(band)];
    if (b == settings)
        return;
    b = settings;
    setValue(static_cast<float>(band));
    reportValue();
    invalid();
}

MouseResult CVornFilter::mouseDown(CPoint where, unsigned buttons) {
    held = filterHandleAt(bands, getViewSize(), where);
    if (held < 0)
        return MouseResult::handled;
    qualityDrag = (buttons & toolkit::kRButton) || (buttons & toolkit::kShift);
    pressY = where.y;
    pressQuality = bands[static_cast<std::size_t>(held)].quality;
    // The band becomes the one the text shows, even before it moves.
    if (getValue() != static_cast<float>(held)) {
        setValue(static_cast<float>(held));
        invalid();
    }
    return MouseResult::handled;
}

MouseResult CVornFilter::mouseMoved(CPoint where, unsigned buttons) {
    if (held < 0 || !(buttons & (toolkit::kLButton | toolkit::kRButton)))
        return MouseResult::handled;
    FilterBand settings = bands[static_cast<std::size_t>(held)];
    if (qualityDrag)
        settings.quality = filterQualityAfterDrag(pressQuality, where.y - pressY);
    else
        settings = filterBandAt(settings, getViewSize(), where);
    change(held, settings);
    return MouseResult::handled;
}

MouseResult CVornFilter::mouseUp(CPoint, unsigned) {
    held = -1;
    return MouseResult::handled;
}

void CVornFilter::drawControl(toolkit::CDrawContext& context) {
    const CRect& box = getViewSize();
    if (!display.isEmpty())
        display.draw(context, {box.left, box.top}, 0);
    else
        fillRect(context, box, 0.06, 0.08, 0.1);
    if (response) {
        context.save();
        context.rectangle(box.left, box.top, box.width(), box.height());
        context.clip();
        context.setColour(0.788, 0.824, 0.871);
        context.setLineWidth(1.5);
        for (int x = 0; x < box.width(); ++x) {
            const float setting = static_cast<float>(x) / static_cast<float>(std::max(1, box.width() - 1));
            const double db = response->gainDbAt(response->frequencyHz(setting), bands);
            const double y = yOfDb(db, box);
            if (x == 0)
                context.moveTo(box.left + 0.5, y);
            else
                context.lineTo(box.left + x + 0.5, y);
        }
        context.stroke();
        context.restore();
    }
    for (std::size_t band = 0; band < 3; ++band) {
        const CPoint at = filterHandlePosition(bands[band], box);
        context.save();
        context.setColour(kBandColours[band][0], kBandColours[band][1], kBandColours[band][2]);
        context.arc(at.x + 0.5, at.y + 0.5, 3.5, 0.0, 6.2831853);
        context.fill();
        context.restore();
    }
    drawText(context, {box.left, box.top, box.right, box.top + 11}, bandText(getChangedBand()), 8.0, TextAlign::left,
             0.92, 0.92, 0.92);
}

}  // namespace rimba::controls
