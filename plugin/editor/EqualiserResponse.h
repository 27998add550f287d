#pragma once
// The curve the equaliser displays draw: the response of the instrument's own equaliser design
// (plugin/core/Equaliser.h) for the bands' current settings, so that what is drawn is what is
// heard. Editor thread only.

#include "plugin/editor/controls/VornFilter.h"

namespace rimba {

class EqualiserResponse : public controls::FilterResponse {
public:
    // A track runs each band's biquad twice in a row on its signal; the master runs it once on
    // each channel.
    enum class Target { track, master };

    EqualiserResponse(Target target, double sampleRate);

    double gainDbAt(double frequencyHz, const controls::FilterBands& bands) const override;
    double frequencyHz(float frequencySetting) const override;
    double quality(int band, float qualitySetting) const override;
    double gainDb(float gainSetting) const override;

private:
    int stagesPerBand;
    double sampleRate;
};

}  // namespace rimba
