#pragma once
// A track whose voice is silent and whose equaliser has stopped moving rests: its equaliser is
// not run, and it is summed once per stretch of equal gains rather than once per sample.
//
// A silent track's equaliser does not fall to 0: its denormal guard feeds it 1e-5 for every
// silent sample, and its biquads then wander by a few units in the last place around their DC
// value without ever settling to the bit. A resting track plays the last output it had before
// it came to rest, and its equaliser keeps the state that gave that output, to go on from when
// the track wakes. The rule, the same in the sample-by-sample and the batched path:
//
// - Every kRestCheckPeriod samples of the render loop's own count (samplesToRestCheck, so that
//   the checks fall on the same samples whatever the host's blocks) is a check. At a check, a
//   track comes to rest when it was still through the whole window since the last check, may
//   rest at this sample, and its equaliser's wet shares no longer move.
// - Still: at every sample of the window its voice was silent (no sample part, no synth part),
//   its equaliser on, and its signal moved by at most kRestStillStep from the sample before.
// - A resting track wakes at the first sample at which it may no longer rest (a command for its
//   voice, the synth routed to it, its equaliser switched off, the export's fade) and whenever
//   its equaliser's coefficients or state are replaced; it is then rendered in full at once.
//
// What resting changes: the signal of a resting track differs from what its running equaliser
// would give by what still moved in it when it came to rest. Over a still window the signal
// moved by at most 256 * 1e-10 in total, and a drift slower than the window (the slowest poles
// of a 20 Hz shelf fall by 1/e in some 350 samples) is bounded by 350 * 1e-10, so by some 4e-8
// per track; times at most 12 tracks and a gain of 4 (level 2 times a send of 2) that is below
// 2e-6, -114 dBFS, on any output. The resting tracks' shares are also added before those of the
// others (in voice order among themselves), which moves a sum by a few units in its last place.
// docs/notes/render-speed.md has the differences measured on songs.

#include <array>
#include <cmath>
#include <cstdint>

#include "plugin/core/Equaliser.h"
#include "plugin/model/Constants.h"

namespace rimba {

struct InstrumentState;
struct TrackVoice;

struct TrackRest {
    bool resting = false;  // the equaliser is not run; the track's signal is `output`
    bool still = false;    // still through the window since the last check
    float output = 0.0f;
};

constexpr std::int32_t kRestCheckPeriod = 256;
constexpr float kRestStillStep = 1e-10f;

// True when this sample is a check; counts the sample.
inline bool takeRestCheck(std::int32_t& samplesToCheck) {
    const bool check = samplesToCheck <= 0;
    samplesToCheck = check ? kRestCheckPeriod - 1 : samplesToCheck - 1;
    return check;
}

// Counts `frames` samples, of which only the first may be a check.
inline void countRestSamples(std::int32_t& samplesToCheck, int frames) {
    const std::int32_t afterFirst = samplesToCheck <= 0 ? kRestCheckPeriod - 1 : samplesToCheck - 1;
    samplesToCheck = afterFirst - (frames - 1);
}

// A signal that moved by at most kRestStillStep (a NaN never is still).
inline bool stillStep(float signal, float previous) { return std::fabs(signal - previous) <= kRestStillStep; }

// The track of `voice` may rest at this sample: its equaliser is on (`equalised`), no synth
// part reaches it, and its voice renders nothing (it does not play, or is silent and waits for
// no command).
bool voiceMayRest(const InstrumentState& state, const TrackVoice& voice, bool equalised);

// At a check: the track comes to rest when it was still and may rest; a new window begins.
void checkRest(TrackRest& rest, bool mayRest, const std::array<EqBand, kEqBands>& bands, float lastSignal);

// At every sample (in the batched path, every batch): a track that may not rest wakes.
inline void keepOrWake(TrackRest& rest, bool mayRest) {
    if (!mayRest) {
        rest.resting = false;
        rest.still = false;
    }
}

// Its equaliser was given new coefficients or a new state.
inline void wake(TrackRest& rest) { rest = TrackRest{}; }

}  // namespace rimba
