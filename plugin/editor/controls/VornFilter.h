#pragma once
// The equaliser display: the curve of the three bands and a handle for each (low, band, high)
// that sets its frequency and gain by dragging, and its quality by dragging with the right
// button. The curve comes from a FilterResponse, so that it is drawn from the instrument's own
// equaliser design and shows what is heard.

#include <array>
#include <memory>

#include "plugin/editor/controls/VornControlEx.h"

namespace rimba::controls {

// One band's settings as the instrument stores them: frequency 0..1, quality 0..1, gain -1..1.
struct FilterBand {
    float frequency = 0.0f;
    float quality = 0.707f;
    float gain = 0.0f;
    friend bool operator==(const FilterBand&, const FilterBand&) = default;
};
using FilterBands = std::array<FilterBand, 3>;

class FilterResponse {
public:
    virtual ~FilterResponse() = default;
    // The gain in dB of the three bands together at `frequencyHz`.
    virtual double gainDbAt(double frequencyHz, const FilterBands& bands) const = 0;
    // The design values a band's settings stand for, for the handle's text.
    virtual double frequencyHz(float frequencySetting) const = 0;
    virtual double quality(int band, float qualitySetting) const = 0;
    virtual double gainDb(float gainSetting) const = 0;
};

// The settings a handle takes from a drag: frequency along x, gain along y (top +1, bottom -1).
FilterBand filterBandAt(FilterBand band, const toolkit::CRect& area, toolkit::CPoint where);
// The quality after a right-button drag of dy pixels (up raises it) from `start`.
float filterQualityAfterDrag(float start, int dy);
// The handle nearest to `where` within reach, or -1.
int filterHandleAt(const FilterBands& bands, const toolkit::CRect& area, toolkit::CPoint where);
toolkit::CPoint filterHandlePosition(const FilterBand& band, const toolkit::CRect& area);

class CVornFilter : public CVornControlEx {
public:
    CVornFilter(const toolkit::CRect& size, toolkit::CControlListener* listener, long tag,
                std::shared_ptr<const FilterResponse> response);
    bool isTypeOf(std::string_view className) const override {
        return className == "CVornFilter" || CVornControlEx::isTypeOf(className);
    }
    const char* getClassName() const override { return "CVornFilter"; }

    const FilterBands& getBands() const { return bands; }
    void setBands(const FilterBands& newBands);
    // The band whose handle was last moved (also the value: 0, 1 or 2).
    int getChangedBand() const { return static_cast<int>(getValue()); }
    // The text of a band: "%iHz    %.2f     %.2fdB".
    std::string bandText(int band) const;

protected:
    void drawControl(toolkit::CDrawContext& context) override;
    toolkit::MouseResult mouseDown(toolkit::CPoint where, unsigned buttons) override;
    toolkit::MouseResult mouseMoved(toolkit::CPoint where, unsigned buttons) override;
    toolkit::MouseResult mouseUp(toolkit::CPoint where, unsigned buttons) override;
    std::vector<std::string_view> assignmentFormats() const override;

private:
    void change(int band, const FilterBand& settings);

    FilmStrip display;
    std::shared_ptr<const FilterResponse> response;
    FilterBands bands{};
    int held = -1;
    bool qualityDrag = false;
    int pressY = 0;
    float pressQuality = 0.0f;
};

}  // namespace rimba::controls
