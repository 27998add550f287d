#include "tools/factory/FactoryKits.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "tests/support/InstrumentProbe.h"
#include "tools/factory/Grooves.h"

namespace rimba::factory {

namespace {

struct Voicing {
    double gainDb;  // the track's level as a gain in dB (0 is the level knob's unity point)
    float pan;  // 0 left, 0.5 centre, 1 right
    float tune;  // semitones
    std::array<float, kEqBands> eqGain;  // low shelf, mid, high shelf: dB / 20 per stage
    float choke;
    float randomMin;  // random keystroke density cells, -1 off
    float randomMax;
};

using KitVoicing = std::array<Voicing, kFactoryTracks>;

constexpr std::array<float, kEqBands> kFlat{0.0f, 0.0f, 0.0f};

// clang-format off
constexpr KitVoicing kDefaultKit{{
    // gain  pan    tune   eq                     choke  random min, max
    {-9.0,  0.5f,  0.0f,  kFlat,                 0.0f, -1.0f, -1.0f},  // kick
    {-10.5, 0.5f,  0.0f,  kFlat,                 0.0f, -1.0f, -1.0f},  // snare
    {-13.5, 0.45f, 0.0f,  kFlat,                 0.0f, -1.0f, -1.0f},  // rim
    {-12.5, 0.5f,  0.0f,  kFlat,                 0.0f, -1.0f, -1.0f},  // clap
    {-16.5, 0.6f,  0.0f,  kFlat,                 1.0f, -1.0f, -1.0f},  // closed hat
    {-17.5, 0.6f,  0.0f,  kFlat,                 1.0f, -1.0f, -1.0f},  // open hat
    {-13.5, 0.38f, 0.0f,  kFlat,                 0.0f, -1.0f, -1.0f},  // low tom
    {-14.0, 0.5f,  0.0f,  kFlat,                 0.0f, -1.0f, -1.0f},  // mid tom
    {-14.5, 0.62f, 0.0f,  kFlat,                 0.0f, -1.0f, -1.0f},  // high tom
    {-16.5, 0.4f,  0.0f,  kFlat,                 0.0f, -1.0f, -1.0f},  // crash
    {-17.5, 0.65f, 0.0f,  kFlat,                 0.0f, -1.0f, -1.0f},  // ride
    {-16.5, 0.55f, 0.0f,  kFlat,                 0.0f, -1.0f, -1.0f},  // cowbell
}};

// Deeper kick and toms, a brighter snare, hats and cymbals spread wide, and random keystrokes
// for the hats, rim, ride and cowbell when the random layer is switched on.
constexpr KitVoicing kRimbaRandKit{{
    {-9.0,  0.5f,  -2.0f, {0.1f, -0.05f, 0.0f},  0.0f, -1.0f, -1.0f},  // kick
    {-11.0, 0.52f, 1.0f,  {0.0f, 0.05f, 0.08f},  0.0f, -1.0f, -1.0f},  // snare
    {-13.5, 0.35f, 0.0f,  kFlat,                 0.0f, 0.0f,  2.0f},  // rim
    {-13.0, 0.48f, -1.0f, {0.0f, 0.0f, 0.05f},   0.0f, -1.0f, -1.0f},  // clap
    {-17.0, 0.7f,  1.0f,  {-0.1f, 0.0f, 0.05f},  1.0f, 1.0f,  3.0f},  // closed hat
    {-18.0, 0.7f,  1.0f,  {-0.1f, 0.0f, 0.05f},  1.0f, -1.0f, -1.0f},  // open hat
    {-13.5, 0.3f,  -2.0f, {0.05f, 0.0f, 0.0f},   0.0f, -1.0f, -1.0f},  // low tom
    {-14.0, 0.5f,  -1.0f, {0.05f, 0.0f, 0.0f},   0.0f, -1.0f, -1.0f},  // mid tom
    {-14.5, 0.7f,  0.0f,  {0.05f, 0.0f, 0.0f},   0.0f, -1.0f, -1.0f},  // high tom
    {-17.0, 0.3f,  -1.0f, {-0.1f, 0.0f, 0.0f},   0.0f, -1.0f, -1.0f},  // crash
    {-17.5, 0.75f, 0.0f,  {-0.1f, 0.0f, 0.03f},  0.0f, 1.0f,  2.0f},  // ride
    {-16.5, 0.58f, -3.0f, kFlat,                 0.0f, 0.0f,  1.0f},  // cowbell
}};
// clang-format on

// The level setting whose gain (200^level / 100) is `gainDb`.
float levelForGain(double gainDb) {
    return static_cast<float>(std::log(100.0 * std::pow(10.0, gainDb / 20.0)) / std::log(200.0));
}

void applyVoicing(VornDrums& drums, int track, const Voicing& voicing, const std::string& soundPath) {
    const auto t = static_cast<std::size_t>(track);
    TrackSettings& tracks = test::stateOf(drums).tracks;
    tracks.resetTrack(track);
    storeSoundPath(tracks.soundPath[t], soundPath);
    tracks.level[t] = levelForGain(voicing.gainDb);
    tracks.pan[t] = voicing.pan;
    tracks.tune[t] = voicing.tune;
    tracks.eqGain[t] = voicing.eqGain;
    const bool equalised = std::any_of(voicing.eqGain.begin(), voicing.eqGain.end(), [](float g) { return g != 0.0f; });
    tracks.eqOnSample[t] = equalised ? 1.0f : 0.0f;
    tracks.choke[t] = voicing.choke;
    tracks.randomMinDensity[t] = voicing.randomMin;
    tracks.randomMaxDensity[t] = voicing.randomMax;
    for (int band = 0; band < kEqBands; ++band)
        drums.queueEqUpdate(track, band);
    drums.updateTrack(track);
}

void applyKit(VornDrums& drums, const KitVoicing& kit, const std::vector<std::string>& soundPaths) {
    for (int t = 0; t < kFactoryTracks && t < static_cast<int>(soundPaths.size()); ++t)
        applyVoicing(drums, t, kit[static_cast<std::size_t>(t)], soundPaths[static_cast<std::size_t>(t)]);
}

}  // namespace

void applyDefaultKit(VornDrums& drums, const std::vector<std::string>& soundPaths) {
    applyKit(drums, kDefaultKit, soundPaths);
}

void applyRimbaRandKit(VornDrums& drums, const std::vector<std::string>& soundPaths) {
    applyKit(drums, kRimbaRandKit, soundPaths);
}

}  // namespace rimba::factory
