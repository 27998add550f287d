#pragma once
// The waveform of a track's sample with three handles along it: the arrow marks where playing
// starts, the cursor where it ends, and the zoom handle widens the view around the start.

#include <vector>

#include "plugin/editor/controls/VornControlEx.h"

namespace rimba::controls {

// The part of the sample (0..1) the view shows at a zoom of 1..16, kept inside the sample and
// centred on `around` where it can be.
struct WaveWindow {
    float from = 0.0f;
    float to = 1.0f;
};
WaveWindow waveWindow(float zoom, float around);
// The sample position (0..1) under pixel column x of a view `width` wide showing `window`.
float wavePositionAt(const WaveWindow& window, int x, int width);

class CVornWave : public CVornControlEx {
public:
    enum class Handle { none, arrow, cursor, zoom };
    static constexpr float kMaxZoom = 16.0f;

    CVornWave(const toolkit::CRect& size, toolkit::CControlListener* listener, long tag);
    bool isTypeOf(std::string_view className) const override {
        return className == "CVornWave" || CVornControlEx::isTypeOf(className);
    }
    const char* getClassName() const override { return "CVornWave"; }

    // Peaks of the sample, one per column or more, each 0..1 (the largest magnitude in its span).
    void setPeaks(std::vector<float> peaks);
    // The value is the start (0..1); the end and the zoom are kept beside it.
    float getStart() const { return getValue(); }
    float getEnd() const { return end; }
    void setEnd(float position);
    float getZoom() const { return zoom; }
    void setZoom(float factor);
    Handle getLastHandle() const { return lastHandle; }
    Handle handleAt(toolkit::CPoint where) const;

protected:
    void drawControl(toolkit::CDrawContext& context) override;
    toolkit::MouseResult mouseDown(toolkit::CPoint where, unsigned buttons) override;
    toolkit::MouseResult mouseMoved(toolkit::CPoint where, unsigned buttons) override;
    toolkit::MouseResult mouseUp(toolkit::CPoint where, unsigned buttons) override;

private:
    WaveWindow window() const;
    int columnOf(float position) const;
    toolkit::CRect waveArea() const;
    void dragTo(toolkit::CPoint where);

    FilmStrip arrow;
    FilmStrip cursor;
    FilmStrip zoomHandle;
    std::vector<float> peaks;
    float end = 1.0f;
    float zoom = 1.0f;
    float viewCentre = 0.0f;  // the view stays put while a handle is dragged
    Handle held = Handle::none;
    Handle lastHandle = Handle::none;
};

}  // namespace rimba::controls
