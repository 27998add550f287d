#include "plugin/editor/controls/VornWave.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "plugin/editor/controls/ControlLogic.h"

namespace rimba::controls {

using toolkit::CPoint;
using toolkit::CRect;
using toolkit::MouseResult;

namespace {

constexpr int kBand = 12;  // the handles' bands at the top (start, end) and bottom (zoom)
constexpr int kReach = 6;  // how near a handle a press must be to take it
constexpr int kZoomWidth = 12;

}  // namespace

WaveWindow waveWindow(float zoom, float around) {
    const float width = 1.0f / std::clamp(zoom, 1.0f, CVornWave::kMaxZoom);
    const float from = std::clamp(around - width / 2.0f, 0.0f, 1.0f - width);
    return {from, from + width};
}

float wavePositionAt(const WaveWindow& window, int x, int width) {
    if (width <= 1)
        return window.from;
    const float share = std::clamp(static_cast<float>(x) / static_cast<float>(width - 1), 0.0f, 1.0f);
    return window.from + share * (window.to - window.from);
}

CVornWave::CVornWave(const CRect& size, toolkit::CControlListener* listener, long tag)
    : CVornControlEx(size, listener, tag),
      arrow(FilmStrip::load("ArrowHoriz.png")),
      cursor(FilmStrip::load("CursorHoriz.png")),
      zoomHandle(FilmStrip::load("ZoomHoriz.png")) {
    setMin(0.0f);
    setMax(1.0f);
}

void CVornWave::setPeaks(std::vector<float> newPeaks) {
    peaks = std::move(newPeaks);
    invalid();
}

void CVornWave::setEnd(float position) {
    end = std::clamp(position, 0.0f, 1.0f);
    invalid();
}

void CVornWave::setZoom(float factor) {
    zoom = std::clamp(factor, 1.0f, kMaxZoom);
    invalid();
}

WaveWindow CVornWave::window() const { return waveWindow(zoom, viewCentre); }

CRect CVornWave::waveArea() const {
    const CRect& box = getViewSize();
    return {box.left, box.top + kBand, box.right, box.bottom - kBand};
}

int CVornWave::columnOf(float position) const {
    const WaveWindow w = window();
    const CRect& box = getViewSize();
    const float share = (position - w.from) / (w.to - w.from);
    return box.left + static_cast<int>(std::lround(share * static_cast<float>(box.width() - 1)));
}

CVornWave::Handle CVornWave::handleAt(CPoint where) const {
    const CRect& box = getViewSize();
    if (!box.contains(where))
        return Handle::none;
    if (where.y >= box.bottom - kBand)
        return Handle::zoom;
    if (where.y >= box.top + kBand)
        return Handle::none;
    const int toStart = std::abs(where.x - columnOf(getValue()));
    const int toEnd = std::abs(where.x - columnOf(end));
    if (toStart > kReach && toEnd > kReach)
        return Handle::none;
    return toStart <= toEnd ? Handle::arrow : Handle::cursor;
}

MouseResult CVornWave::mouseDown(CPoint where, unsigned buttons) {
    if (!(buttons & toolkit::kLButton))
        return CVornControlEx::mouseDown(where, buttons);
    held = handleAt(where);
    if (held == Handle::none)
        return MouseResult::handled;
    // Zooming widens the view around the start; a dragged marker moves within a still view.
    if (held == Handle::zoom)
        viewCentre = getValue();
    dragTo(where);
    return MouseResult::handled;
}

MouseResult CVornWave::mouseMoved(CPoint where, unsigned buttons) {
    if (held == Handle::none || !(buttons & toolkit::kLButton))
        return CVornControlEx::mouseMoved(where, buttons);
    dragTo(where);
    return MouseResult::handled;
}

MouseResult CVornWave::mouseUp(CPoint, unsigned) {
    held = Handle::none;
    return MouseResult::handled;
}

void CVornWave::dragTo(CPoint where) {
    const CRect& box = getViewSize();
    const int x = where.x - box.left;
    bool changed = false;
    if (held == Handle::zoom) {
        const float share = faderShare(box, kZoomWidth, where, FaderDirection::horizontal);
        const float newZoom = 1.0f + share * (kMaxZoom - 1.0f);
        changed = newZoom != zoom;
        zoom = newZoom;
    } else {
        const float position = wavePositionAt(window(), x, box.width());
        if (held == Handle::arrow) {
            const float start = std::min(position, end);
            changed = start != getValue();
            setValue(start);
        } else {
            const float newEnd = std::max(position, getValue());
            changed = newEnd != end;
            end = newEnd;
        }
    }
    if (!changed)
        return;
    lastHandle = held;
    reportValue();
    invalid();
}

void CVornWave::drawControl(toolkit::CDrawContext& context) {
    const CRect& box = getViewSize();
    const CRect area = waveArea();
    fillRect(context, box, 0.07, 0.08, 0.09);
    fillRect(context, area, 0.1, 0.12, 0.14);
    const WaveWindow w = window();
    const double middle = area.top + area.height() / 2.0;
    if (!peaks.empty()) {
        context.save();
        context.setColour(0.4, 0.85, 0.95);
        context.setLineWidth(1.0);
        for (int x = 0; x < area.width(); ++x) {
            const float position = wavePositionAt(w, x, area.width());
            const auto index =
                std::min(peaks.size() - 1, static_cast<std::size_t>(position * static_cast<float>(peaks.size())));
            const double half = std::clamp(peaks[index], 0.0f, 1.0f) * (area.height() / 2.0 - 1.0);
            context.moveTo(area.left + x + 0.5, middle - half);
            context.lineTo(area.left + x + 0.5, middle + half + 1.0);
        }
        context.stroke();
        context.restore();
    }
    // What plays lies between the start and the end; the rest is shaded.
    const int startX = std::clamp(columnOf(getValue()), box.left, box.right);
    const int endX = std::clamp(columnOf(end), box.left, box.right);
    fillRect(context, {area.left, area.top, startX, area.bottom}, 0.0, 0.0, 0.0, 0.5);
    fillRect(context, {endX, area.top, area.right, area.bottom}, 0.0, 0.0, 0.0, 0.5);
    const int zoomX =
        box.left + static_cast<int>((zoom - 1.0f) / (kMaxZoom - 1.0f) * static_cast<float>(box.width() - kZoomWidth));
    if (!arrow.isEmpty()) {
        arrow.draw(context, {startX - arrow.frameWidth() / 2, box.top}, 1);
        cursor.draw(context, {endX - cursor.frameWidth() / 2, box.top}, 0);
        zoomHandle.draw(context, {zoomX, box.bottom - kBand}, zoom > 1.0f ? 1 : 0);
    } else {
        fillRect(context, {startX - 4, box.top + 2, startX + 4, box.top + kBand - 2}, 1.0, 0.6, 0.2);
        fillRect(context, {endX - 3, box.top + 2, endX + 3, box.top + kBand - 2}, 0.9, 0.9, 0.9);
        fillRect(context, {zoomX, box.bottom - kBand + 2, zoomX + kZoomWidth, box.bottom - 2}, 0.6, 0.6, 0.65);
    }
}

}  // namespace rimba::controls
