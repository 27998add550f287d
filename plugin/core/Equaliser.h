#pragma once
// Three-band equaliser bands (low shelf, peaking, high shelf) built from the Audio EQ Cookbook
// biquads. Pure arithmetic: safe on any thread.

#include <array>
#include <cmath>
#include <cstdint>

#include "plugin/model/Constants.h"

namespace rimba {

enum class EqKind : std::int32_t { LowShelf = 0, Peaking = 1, HighShelf = 2, BandPass = 3, LowPass = 4 };

// Normalised by a0.
struct EqCoefficients {
    float b0 = 1.0f;
    float b1 = 0.0f;
    float b2 = 0.0f;
    float a1 = 0.0f;
    float a2 = 0.0f;
};

struct EqStage {
    float x1 = 0.0f;
    float x2 = 0.0f;
    float y1 = 0.0f;
    float y2 = 0.0f;
    float mix = 0.0f;  // wet share, smoothed towards its target
};

// One band: a track band runs stage 0 then stage 1 on the mono track signal; a master band runs
// stage 0 on the left channel and stage 1 on the right.
struct EqBand {
    EqCoefficients coefficients;
    std::array<EqStage, 2> stages{};
    float targetMix = 0.0f;

    // Forgets the filter history and the wet shares; coefficients stay until replaced.
    void resetState() {
        stages = {};
        targetMix = 0.0f;
    }
};

// One stage as the sample-by-sample path runs it: an input of exactly 0 becomes 1e-5 (the
// denormal guard), an output within 1e-10 of 0 becomes 0, and the output is blended with the
// input by the stage's wet share.
inline float runEqStage(const EqCoefficients& c, EqStage& stage, float input) {
    const float x = input == 0.0f ? 1e-5f : input;
    float y = c.b0 * x + c.b1 * stage.x1 + c.b2 * stage.x2 - c.a1 * stage.y1 - c.a2 * stage.y2;
    if (std::fabs(y) <= 1e-10f)
        y = 0.0f;
    stage.x2 = stage.x1;
    stage.x1 = x;
    stage.y2 = stage.y1;
    stage.y1 = y;
    return (1.0f - stage.mix) * x + stage.mix * y;
}

// A track's equaliser for one sample: each stage's wet share rises towards 1, then the stages
// run in order, each band's two stages one after the other.
inline float equaliseTrackSample(std::array<EqBand, kEqBands>& bands, float input) {
    float m = input;
    for (EqBand& band : bands) {
        for (EqStage& stage : band.stages) {
            if (1.0f - stage.mix > 1e-6f)
                stage.mix += (1.0f - stage.mix) * 0.01f;
            m = runEqStage(band.coefficients, stage, m);
        }
    }
    return m;
}

EqCoefficients designEqBand(EqKind kind, double gainDb, double freqHz, double qParam, double sampleRate);

// The equaliser settings as the editor stores them, mapped to design values.
double eqGainDb(float gainSetting);  // 20 * setting
double eqFrequencyHz(float freqSetting);  // 20 * 800^setting

// The band kind of each of the three bands of a track or master equaliser.
constexpr EqKind eqBandKind(int band) { return static_cast<EqKind>(band); }

}  // namespace rimba
