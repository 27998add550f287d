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

// The Audio EQ Cookbook (R. Bristow-Johnson) written out here on its own, in double precision,
// with the instrument's Q mapping: Q = 0.2 * 25^q for the peaking and band-pass kinds, 0.2 * 7^q
// for the shelves. The design code's band must match it within 0.01 dB.
struct CookbookBiquad {
    double b0, b1, b2, a0, a1, a2;
};

CookbookBiquad cookbook(EqKind kind, double gainDb, double f0, double qSetting, double fs) {
    const double pi = std::numbers::pi;
    const double A = std::pow(10.0, gainDb / 40.0);
    const double w0 = 2.0 * pi * f0 / fs;
    const bool narrow = kind == EqKind::Peaking || kind == EqKind::BandPass;
    const double Q = 0.2 * std::pow(narrow ? 25.0 : 7.0, qSetting);
    const double alpha = std::sin(w0) / (2.0 * Q);
    const double c = std::cos(w0);
    const double rootA = 2.0 * std::sqrt(A) * alpha;
    switch (kind) {
        case EqKind::LowShelf:
            return {A * ((A + 1) - (A - 1) * c + rootA), 2 * A * ((A - 1) - (A + 1) * c),
                    A * ((A + 1) - (A - 1) * c - rootA), (A + 1) + (A - 1) * c + rootA,
                    -2 * ((A - 1) + (A + 1) * c),        (A + 1) + (A - 1) * c - rootA};
        case EqKind::Peaking: return {1 + alpha * A, -2 * c, 1 - alpha * A, 1 + alpha / A, -2 * c, 1 - alpha / A};
        case EqKind::HighShelf:
            return {A * ((A + 1) + (A - 1) * c + rootA), -2 * A * ((A - 1) + (A + 1) * c),
                    A * ((A + 1) + (A - 1) * c - rootA), (A + 1) - (A - 1) * c + rootA,
                    2 * ((A - 1) - (A + 1) * c),         (A + 1) - (A - 1) * c - rootA};
        case EqKind::BandPass: return {Q * alpha, 0.0, -Q * alpha, 1 + alpha, -2 * c, 1 - alpha};
        case EqKind::LowPass: return {(1 - c) / 2, 1 - c, (1 - c) / 2, 1 + alpha, -2 * c, 1 - alpha};
    }
    return {1, 0, 0, 1, 0, 0};
}

double cookbookResponseDb(const CookbookBiquad& f, double freqHz, double sampleRate) {
    const std::complex<double> z = std::polar(1.0, -2.0 * std::numbers::pi * freqHz / sampleRate);
    return 20.0 * std::log10(std::abs((f.b0 + f.b1 * z + f.b2 * z * z) / (f.a0 + f.a1 * z + f.a2 * z * z)));
}

TEST(Equaliser, EveryKindMatchesTheCookbookAtSeveralFrequencies) {
    struct Band {
        EqKind kind;
        double gainDb;
        double freqHz;
        double qSetting;
        double sampleRate;
    };
    const Band bands[] = {
        {EqKind::LowShelf, 9.0, 120.0, 0.707, 44100.0},   {EqKind::LowShelf, -14.0, 300.0, 0.2, 48000.0},
        {EqKind::Peaking, 12.0, 1000.0, 0.5, 44100.0},    {EqKind::Peaking, -18.0, 3500.0, 0.9, 96000.0},
        {EqKind::HighShelf, 6.0, 2000.0, 0.707, 44100.0}, {EqKind::HighShelf, -10.0, 8000.0, 0.4, 48000.0},
        {EqKind::BandPass, 0.0, 700.0, 0.6, 44100.0},     {EqKind::LowPass, 0.0, 1500.0, 0.3, 44100.0},
    };
    for (const Band& b : bands) {
        const EqCoefficients design = designEqBand(b.kind, b.gainDb, b.freqHz, b.qSetting, b.sampleRate);
        const CookbookBiquad reference = cookbook(b.kind, b.gainDb, b.freqHz, b.qSetting, b.sampleRate);
        for (const double f : {30.0, b.freqHz / 2, b.freqHz, b.freqHz * 1.5, 5000.0, 12000.0}) {
            EXPECT_NEAR(responseDb(design, f, b.sampleRate), cookbookResponseDb(reference, f, b.sampleRate), 0.01)
                << "kind " << static_cast<int>(b.kind) << " at " << f << " Hz";
        }
    }
}

}  // namespace
}  // namespace rimba
