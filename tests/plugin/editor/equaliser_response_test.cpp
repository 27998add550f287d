// The equaliser display's curve against what the instrument's equaliser does: flat settings
// draw a flat line, and a band's gain shows where the band acts, twice over on a track (two
// biquads in a row) and once on the master.

#include <gtest/gtest.h>

#include <cmath>

#include "plugin/editor/EqualiserResponse.h"

namespace rimba {
namespace {

using controls::FilterBand;
using controls::FilterBands;

// Settings of a frequency in Hz: Hz = 20 * 800^setting.
float settingOfHz(double hz) { return static_cast<float>(std::log(hz / 20.0) / std::log(800.0)); }

FilterBands flat() {
    return {FilterBand{settingOfHz(100.0), 0.707f, 0.0f}, FilterBand{settingOfHz(1000.0), 0.707f, 0.0f},
            FilterBand{settingOfHz(5000.0), 0.707f, 0.0f}};
}

TEST(EqualiserResponse, FlatBandsDrawAFlatLine) {
    const EqualiserResponse response(EqualiserResponse::Target::track, 44100.0);
    for (double hz : {20.0, 100.0, 1000.0, 8000.0, 16000.0})
        EXPECT_NEAR(response.gainDbAt(hz, flat()), 0.0, 1e-4) << hz;
}

struct BandCase {
    int band;
    float gain;  // setting, -1..1 (x 20 dB)
    double atHz;  // where the band acts fully
    double farHz;  // where it leaves the signal alone
};

class BandGain : public ::testing::TestWithParam<BandCase> {};

TEST_P(BandGain, ShowsOnceOnTheMasterAndTwiceOnATrackWhereTheBandActs) {
    const BandCase& c = GetParam();
    FilterBands bands = flat();
    bands[static_cast<std::size_t>(c.band)].gain = c.gain;
    const double db = 20.0 * c.gain;
    const EqualiserResponse master(EqualiserResponse::Target::master, 48000.0);
    const EqualiserResponse track(EqualiserResponse::Target::track, 48000.0);
    EXPECT_NEAR(master.gainDbAt(c.atHz, bands), db, 0.3);
    EXPECT_NEAR(track.gainDbAt(c.atHz, bands), 2.0 * db, 0.6);
    EXPECT_NEAR(master.gainDbAt(c.farHz, bands), 0.0, 0.3);
}

INSTANTIATE_TEST_SUITE_P(Bands, BandGain,
                         ::testing::Values(BandCase{0, 0.6f, 20.0, 10000.0},  // low shelf, +12 dB
                                           BandCase{1, -0.45f, 1000.0, 20.0},  // peak, -9 dB
                                           BandCase{2, 0.3f, 20000.0, 30.0}));  // high shelf, +6 dB

TEST(EqualiserResponse, WritesTheDesignsFrequencyQualityAndGain) {
    const EqualiserResponse response(EqualiserResponse::Target::track, 44100.0);
    EXPECT_NEAR(response.frequencyHz(0.2407676f), 100.0, 0.01);
    EXPECT_NEAR(response.quality(1, 1.0f), 5.0, 1e-9);
    EXPECT_NEAR(response.quality(0, 1.0f), 1.4, 1e-9);
    EXPECT_NEAR(response.gainDb(-0.5f), -10.0, 1e-9);
}

}  // namespace
}  // namespace rimba
