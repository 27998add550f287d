#include "plugin/core/Equaliser.h"

#include <cmath>
#include <numbers>

namespace rimba {

namespace {

struct RawBiquad {
    double b0, b1, b2, a0, a1, a2;
};

RawBiquad lowShelf(double a, double cosW0, double alpha) {
    const double shelf = 2.0 * std::sqrt(a) * alpha;
    return {a * ((a + 1) - (a - 1) * cosW0 + shelf), 2 * a * ((a - 1) - (a + 1) * cosW0),
            a * ((a + 1) - (a - 1) * cosW0 - shelf), (a + 1) + (a - 1) * cosW0 + shelf,
            -2 * ((a - 1) + (a + 1) * cosW0),        (a + 1) + (a - 1) * cosW0 - shelf};
}

RawBiquad highShelf(double a, double cosW0, double alpha) {
    const double shelf = 2.0 * std::sqrt(a) * alpha;
    return {a * ((a + 1) + (a - 1) * cosW0 + shelf), -2 * a * ((a - 1) + (a + 1) * cosW0),
            a * ((a + 1) + (a - 1) * cosW0 - shelf), (a + 1) - (a - 1) * cosW0 + shelf,
            2 * ((a - 1) - (a + 1) * cosW0),         (a + 1) - (a - 1) * cosW0 - shelf};
}

RawBiquad peaking(double a, double cosW0, double alpha) {
    return {1 + alpha * a, -2 * cosW0, 1 - alpha * a, 1 + alpha / a, -2 * cosW0, 1 - alpha / a};
}

RawBiquad bandPassConstantSkirt(double q, double cosW0, double alpha) {
    return {q * alpha, 0.0, -q * alpha, 1 + alpha, -2 * cosW0, 1 - alpha};
}

RawBiquad lowPass(double cosW0, double alpha) {
    return {(1 - cosW0) / 2, 1 - cosW0, (1 - cosW0) / 2, 1 + alpha, -2 * cosW0, 1 - alpha};
}

double qFromSetting(EqKind kind, double qParam) {
    const bool narrowKind = kind == EqKind::Peaking || kind == EqKind::BandPass;
    return 0.2 * std::pow(narrowKind ? 25.0 : 7.0, qParam);
}

}  // namespace

EqCoefficients designEqBand(EqKind kind, double gainDb, double freqHz, double qParam, double sampleRate) {
    const double a = std::pow(10.0, gainDb / 40.0);
    const double w0 = 2.0 * std::numbers::pi * freqHz / sampleRate;
    const double q = qFromSetting(kind, qParam);
    const double cosW0 = std::cos(w0);
    const double alpha = std::sin(w0) / (2.0 * q);

    RawBiquad raw{};
    switch (kind) {
        case EqKind::LowShelf: raw = lowShelf(a, cosW0, alpha); break;
        case EqKind::Peaking: raw = peaking(a, cosW0, alpha); break;
        case EqKind::HighShelf: raw = highShelf(a, cosW0, alpha); break;
        case EqKind::BandPass: raw = bandPassConstantSkirt(q, cosW0, alpha); break;
        case EqKind::LowPass: raw = lowPass(cosW0, alpha); break;
    }
    return {static_cast<float>(raw.b0 / raw.a0), static_cast<float>(raw.b1 / raw.a0),
            static_cast<float>(raw.b2 / raw.a0), static_cast<float>(raw.a1 / raw.a0),
            static_cast<float>(raw.a2 / raw.a0)};
}

double eqGainDb(float gainSetting) { return 20.0 * gainSetting; }

double eqFrequencyHz(float freqSetting) { return 20.0 * std::pow(800.0, freqSetting); }

}  // namespace rimba
