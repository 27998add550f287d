#pragma once
// The factory pattern set: sixteen two-bar grooves in song order (intro, rock, funk, shuffle,
// hip-hop, house, breakbeat, fills and an ending), every one chained, so that the set plays as
// one song from the first pattern to the last.

#include <string>

#include "plugin/core/InstrumentState.h"

namespace rimba::factory {

// The factory kit's tracks, in order.
enum FactoryTrack {
    kKick,
    kSnare,
    kRim,
    kClap,
    kClosedHat,
    kOpenHat,
    kLowTom,
    kMidTom,
    kHighTom,
    kCrash,
    kRide,
    kCowbell,
    kFactoryTracks
};

constexpr int kGrooveSteps = 32;  // two bars of sixteenth notes
constexpr int kSongSwing = 36;  // late off-beat sixteenths: a light shuffle under every groove
constexpr int kSongFillAttenuation = 40;  // rolls swell into their last hit
constexpr int kSongTempo = 100;

// Empties every pattern and writes the sixteen grooves, their lengths, the chain and the set's
// swing and roll shape. False, with a message in `problem`, when a groove's grid is malformed.
bool writeSong(InstrumentState& state, std::string& problem);

}  // namespace rimba::factory
