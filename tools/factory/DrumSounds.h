#pragma once
// The factory kit's twelve drum sounds, synthesised: pitch-swept sines for the kick and toms,
// tone and filtered noise for the snare, bursts of noise for the clap, filtered square clusters
// and noise for the hats, cymbals and cowbell. 44100 Hz mono, each under a second, starting and
// ending at silence. The same every time: all noise comes from fixed seeds.

#include <cstdint>
#include <string>
#include <vector>

namespace rimba::factory {

constexpr std::int32_t kSoundRate = 44100;

struct DrumSound {
    std::string name;  // also the file name, without ".wav"
    std::vector<std::int16_t> samples;
};

// In the factory kit's track order: kick, snare, rim, clap, closed hat, open hat, low tom,
// mid tom, high tom, crash, ride, cowbell.
std::vector<DrumSound> makeDrumSounds();

}  // namespace rimba::factory
