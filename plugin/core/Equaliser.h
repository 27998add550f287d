#pragma once
// Three-band equaliser bands (low shelf, peaking, high shelf) built from the Audio EQ Cookbook
// biquads. Pure arithmetic: safe on any thread.

#include <array>
#include <cstdint>

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

EqCoefficients designEqBand(EqKind kind, double gainDb, double freqHz, double qParam, double sampleRate);

// The equaliser settings as the editor stores them, mapped to design values.
double eqGainDb(float gainSetting);       // 20 * setting
double eqFrequencyHz(float freqSetting);  // 20 * 800^setting

// The band kind of each of the three bands of a track or master equaliser.
constexpr EqKind eqBandKind(int band) { return static_cast<EqKind>(band); }

}  // namespace rimba
