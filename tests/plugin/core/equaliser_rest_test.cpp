// A silent track's equaliser rests on its orbit: the orbit found (stage by stage) must be the
// whole equaliser's, so that resting and waking give the very samples and state that running the
// equaliser sample by sample gives.

#include <array>
#include <cstring>
#include <vector>

#include <gtest/gtest.h>

#include "plugin/core/Equaliser.h"
#include "plugin/core/EqualiserRest.h"

namespace rimba {
namespace {

using TrackBands = std::array<EqBand, kEqBands>;

struct BandSettings {
    double lowDb;
    double peakDb;
    double highDb;
    double sampleRate;
};

TrackBands designedBands(const BandSettings& settings) {
    TrackBands bands{};
    const double gains[kEqBands] = {settings.lowDb, settings.peakDb, settings.highDb};
    const double frequencies[kEqBands] = {120.0, 1500.0, 6000.0};
    for (int b = 0; b < kEqBands; ++b)
        bands[static_cast<std::size_t>(b)].coefficients =
            designEqBand(eqBandKind(b), gains[static_cast<std::size_t>(b)], frequencies[static_cast<std::size_t>(b)],
                         0.5, settings.sampleRate);
    return bands;
}

bool sameStages(const TrackBands& a, const TrackBands& b) {
    for (std::size_t band = 0; band < a.size(); ++band)
        if (std::memcmp(a[band].stages.data(), b[band].stages.data(), sizeof a[band].stages) != 0)
            return false;
    return true;
}

bool sameBits(float a, float b) { return std::memcmp(&a, &b, sizeof a) == 0; }

// The checks that bring a still track to its search.
void checkUntilSearched(TrackRest& rest, TrackBands& bands) {
    for (int check = 0; check <= kStillWindowsBeforeSearch; ++check) {
        rest.still = true;
        checkRest(rest, true, bands);
    }
}

TEST(EqualiserRest, AnOrbitFoundIsTheWholeEqualisersAndRestingThenWakingChangesNothing) {
    const BandSettings table[] = {
        {4.0, -2.0, 3.0, 44100.0},    {12.0, 6.0, -9.0, 44100.0},  {-8.0, 10.0, 2.0, 48000.0}, {0.0, 0.0, 0.0, 44100.0},
        {18.0, -18.0, 18.0, 96000.0}, {-20.0, 3.0, -1.0, 48000.0}, {2.5, 0.0, 7.5, 22050.0},
    };
    int rested = 0;
    for (const BandSettings& settings : table) {
        TrackBands running = designedBands(settings);
        // A hit, then silence long enough for the equaliser to fall into its orbit.
        for (int n = 0; n < 400; ++n)
            equaliseTrackSample(running, n % 7 == 0 ? 0.8f : -0.3f);
        for (int n = 0; n < 20000; ++n)
            equaliseTrackSample(running, 0.0f);

        TrackBands resting = running;
        TrackRest rest;
        checkUntilSearched(rest, resting);
        if (!rest.resting)
            continue;
        ++rested;
        const auto label = ::testing::Message() << "low " << settings.lowDb << " dB at " << settings.sampleRate;
        // One turn of the whole equaliser gives the table and brings the state back.
        ASSERT_GT(rest.period, 0) << label;
        TrackBands turn = running;
        for (int n = 0; n < rest.period; ++n)
            ASSERT_TRUE(sameBits(equaliseTrackSample(turn, 0.0f), rest.orbit[static_cast<std::size_t>(n)]))
                << label << " sample " << n;
        EXPECT_TRUE(sameStages(turn, running)) << label;

        // Three and a bit turns at rest, then a hit: the same samples and the same state after.
        const int restingSamples = 3 * rest.period + rest.period / 3 + 1;
        for (int n = 0; n < restingSamples; ++n)
            ASSERT_TRUE(sameBits(nextRestSignal(rest), equaliseTrackSample(running, 0.0f))) << label << " sample " << n;
        wake(rest, resting);
        EXPECT_FALSE(rest.resting);
        EXPECT_TRUE(sameStages(resting, running)) << label;
        for (int n = 0; n < 64; ++n)
            ASSERT_TRUE(sameBits(equaliseTrackSample(resting, 0.5f), equaliseTrackSample(running, 0.5f))) << label;
    }
    // The usual settings find their orbit within kMaxRestPeriod samples.
    EXPECT_GE(rested, 5);
}

TEST(EqualiserRest, AnEqualiserStillInItsTransientDoesNotRest) {
    // Its wet shares have settled, but its state still falls from the tone it was fed.
    TrackBands bands = designedBands({6.0, 0.0, 0.0, 44100.0});
    for (int n = 0; n < 3000; ++n)
        equaliseTrackSample(bands, 0.5f * static_cast<float>(n % 100) / 100.0f - 0.2f);
    for (int n = 0; n < 16; ++n)
        equaliseTrackSample(bands, 0.0f);
    TrackRest rest;
    checkUntilSearched(rest, bands);
    EXPECT_FALSE(rest.resting);
}

}  // namespace
}  // namespace rimba
