// Equaliser bands checked against their frequency response, computed here from the coefficients
// rather than by the design code.

#include <cmath>
#include <complex>
#include <numbers>

#include <gtest/gtest.h>

#include "plugin/core/Equaliser.h"

namespace rimba {
namespace {

double responseDb(const EqCoefficients& c, double freqHz, double sampleRate) {
    const std::complex<double> z = std::polar(1.0, -2.0 * std::numbers::pi * freqHz / sampleRate);
    const std::complex<double> numerator = double(c.b0) + double(c.b1) * z + double(c.b2) * z * z;
    const std::complex<double> denominator = 1.0 + double(c.a1) * z + double(c.a2) * z * z;
    return 20.0 * std::log10(std::abs(numerator / denominator));
}

TEST(Equaliser, PeakingBandReachesItsGainAtItsFrequency) {
    const EqCoefficients c = designEqBand(EqKind::Peaking, 12.0, 1000.0, 0.5, 44100.0);
    EXPECT_NEAR(responseDb(c, 1000.0, 44100.0), 12.0, 0.01);
    EXPECT_NEAR(responseDb(c, 20.0, 44100.0), 0.0, 0.2);
}

TEST(Equaliser, LowShelfLiftsTheBassAndLeavesTheTop) {
    const EqCoefficients c = designEqBand(EqKind::LowShelf, -9.0, 100.0, 0.707, 48000.0);
    EXPECT_NEAR(responseDb(c, 1.0, 48000.0), -9.0, 0.05);
    EXPECT_NEAR(responseDb(c, 20000.0, 48000.0), 0.0, 0.05);
}

TEST(Equaliser, HighShelfLiftsTheTopAndLeavesTheBass) {
    const EqCoefficients c = designEqBand(EqKind::HighShelf, 6.0, 2000.0, 0.707, 44100.0);
    EXPECT_NEAR(responseDb(c, 22049.0, 44100.0), 6.0, 0.05);
    EXPECT_NEAR(responseDb(c, 10.0, 44100.0), 0.0, 0.05);
}

TEST(Equaliser, ZeroGainBandsPassEverythingUnchanged) {
    for (int band = 0; band < 3; ++band) {
        const EqCoefficients c = designEqBand(eqBandKind(band), 0.0, 500.0, 0.707, 44100.0);
        for (double f : {30.0, 500.0, 5000.0, 18000.0})
            EXPECT_NEAR(responseDb(c, f, 44100.0), 0.0, 1e-4) << band << " " << f;
    }
}

TEST(Equaliser, LowPassAndBandPassShapes) {
    const EqCoefficients lowPass = designEqBand(EqKind::LowPass, 0.0, 1000.0, 0.5, 44100.0);
    EXPECT_NEAR(responseDb(lowPass, 10.0, 44100.0), 0.0, 0.01);
    EXPECT_LT(responseDb(lowPass, 15000.0, 44100.0), -40.0);
    // Constant skirt gain: the peak equals Q = 0.2 * 25^qParam.
    const EqCoefficients bandPass = designEqBand(EqKind::BandPass, 0.0, 1000.0, 0.5, 44100.0);
    EXPECT_NEAR(responseDb(bandPass, 1000.0, 44100.0), 20.0 * std::log10(0.2 * 5.0), 0.01);
}

TEST(Equaliser, SettingsMapToHertzAndDecibels) {
    EXPECT_NEAR(eqFrequencyHz(0.2407676f), 100.0, 0.01);
    EXPECT_NEAR(eqFrequencyHz(0.4815352f), 500.0, 0.05);
    EXPECT_NEAR(eqFrequencyHz(0.6889311f), 2000.0, 0.2);  // the stored default is rounded
    EXPECT_EQ(eqGainDb(-1.0f), -20.0);
}

}  // namespace
}  // namespace rimba
