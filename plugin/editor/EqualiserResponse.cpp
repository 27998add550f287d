#include "plugin/editor/EqualiserResponse.h"

#include <cmath>
#include <complex>
#include <numbers>

#include "plugin/core/Equaliser.h"
#include "plugin/model/Constants.h"

namespace rimba {

namespace {

// |H(e^jw)| of one normalised biquad.
double magnitudeAt(const EqCoefficients& c, double omega) {
    const std::complex<double> z1 = std::polar(1.0, -omega);
    const std::complex<double> z2 = z1 * z1;
    const std::complex<double> numerator = double(c.b0) + double(c.b1) * z1 + double(c.b2) * z2;
    const std::complex<double> denominator = 1.0 + double(c.a1) * z1 + double(c.a2) * z2;
    return std::abs(numerator) / std::abs(denominator);
}

}  // namespace

EqualiserResponse::EqualiserResponse(Target target, double rate)
    : stagesPerBand(target == Target::track ? 2 : 1), sampleRate(rate > 0.0 ? rate : 44100.0) {}

double EqualiserResponse::gainDbAt(double hz, const controls::FilterBands& bands) const {
    const double omega = 2.0 * std::numbers::pi * hz / sampleRate;
    double db = 0.0;
    for (int band = 0; band < kEqBands; ++band) {
        const controls::FilterBand& b = bands[static_cast<std::size_t>(band)];
        const EqCoefficients c =
            designEqBand(eqBandKind(band), eqGainDb(b.gain), eqFrequencyHz(b.frequency), b.quality, sampleRate);
        db += stagesPerBand * 20.0 * std::log10(magnitudeAt(c, omega));
    }
    return db;
}

double EqualiserResponse::frequencyHz(float frequencySetting) const { return eqFrequencyHz(frequencySetting); }

double EqualiserResponse::quality(int band, float qualitySetting) const {
    // The quality the design takes from the setting: 7 for the shelves, 25 for the peak.
    const bool peaking = eqBandKind(band) == EqKind::Peaking;
    return 0.2 * std::pow(peaking ? 25.0 : 7.0, static_cast<double>(qualitySetting));
}

double EqualiserResponse::gainDb(float gainSetting) const { return eqGainDb(gainSetting); }

}  // namespace rimba
