#pragma once
// A track whose voice is silent and whose equaliser has settled rests: its equaliser is not run,
// and its signal is read from a table.
//
// A silent track's equaliser does not fall to 0: its denormal guard feeds it 1e-5 at every
// silent sample, and its biquads wander by a few units in the last place around their DC value.
// They never settle to the bit, but within some 20 to 250 ms they fall into an orbit: the whole
// state comes back, to the bit, every P samples (P of 48 to 960 samples for the usual settings),
// and so does the output. A resting track's equaliser keeps the state it had at the rest's first
// sample, and the track's signal is read from the output of one turn of the orbit, so the track
// gives the very samples its running equaliser would give; when it wakes, its equaliser is run
// on from the kept state through the samples of the turn already played, which brings it to the
// state it would have reached. Resting changes no output sample: renders are the same to the bit
// as when every equaliser runs at every sample. The rule, the same in the sample-by-sample and
// the batched path:
//
// - Every kRestCheckPeriod samples of the render loop's own count (samplesToRestCheck, so that
//   the checks fall on the same samples whatever the host's blocks) is a check. At a check, a
//   track looks for its orbit when it was still through the whole window since the last check,
//   may rest at this sample, and its equaliser's wet shares no longer move: its equaliser is run
//   on a copy, with silence in, until the state comes back to the one it started from, within
//   kMaxRestPeriod samples. The copy runs stage by stage, each stage only for its own period:
//   a stage fed a signal that repeats every p samples has come back when its state is the one
//   it started from at the end of a whole number of those turns, so the last stage's period is
//   the whole equaliser's. Found, the track rests from this sample on; not found, it does not
//   look again for a while (kChecksAfterFailedSearch).
// - Still: at every sample of the last kStillWindowsBeforeSearch windows its voice was silent
//   (no sample part, no synth part), its equaliser on, and its signal moved by at most
//   kRestStillStep from the sample before.
// - A resting track wakes at the first sample at which it may no longer rest (a command for its
//   voice, the synth routed to it, its equaliser switched off, the export's fade) and before its
//   equaliser's coefficients are replaced; it is then rendered in full at once.

#include <array>
#include <cmath>
#include <cstdint>

#include "plugin/core/Equaliser.h"
#include "plugin/model/Constants.h"

namespace rimba {

struct InstrumentState;
struct TrackVoice;

constexpr std::int32_t kRestCheckPeriod = 256;
constexpr int kMaxRestPeriod = 1024;
// After a search that found no orbit, the checks passed over before the next: 8, doubling with
// every search that fails in a row, up to 64 (some 0.4 s at 44100 Hz).
constexpr std::int32_t kChecksAfterFailedSearch = 8;
constexpr std::int32_t kMostChecksAfterFailedSearch = 64;
// The windows a track must have been still through before it looks for its orbit: an
// equaliser comes into its orbit some time after its signal has stopped moving.
constexpr std::int32_t kStillWindowsBeforeSearch = 4;
constexpr float kRestStillStep = 1e-10f;

struct TrackRest {
    bool resting = false;  // the equaliser is not run; the signal comes from `orbit`
    bool still = false;  // still through the window since the last check
    std::int32_t stillWindows = 0;  // whole windows it was still through, up to the last check
    std::int32_t checksToSkip = 0;
    std::int32_t failedSearches = 0;  // in a row
    std::int32_t period = 0;  // samples of one turn of the orbit
    std::int32_t phase = 0;  // where in the turn the next sample falls
    std::int32_t turnsLength = 0;  // the samples of `orbit` that hold whole turns
    std::array<float, kMaxRestPeriod> orbit{};  // the track's signal through one turn, repeated
    std::array<float, kMaxRestPeriod> stageSignal{};  // a stage's signal while the orbit is looked for
};

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

// The resting track's signal at this sample; counts the sample.
inline float nextRestSignal(TrackRest& rest) {
    const float signal = rest.orbit[static_cast<std::size_t>(rest.phase)];
    rest.phase = rest.phase + 1 == rest.period ? 0 : rest.phase + 1;
    return signal;
}

// The track of `voice` may rest at this sample: its equaliser is on (`equalised`), no synth
// part reaches it, and its voice renders nothing (it does not play, or is silent and waits for
// no command).
bool voiceMayRest(const InstrumentState& state, const TrackVoice& voice, bool equalised);

// At a check: a track that was still long enough and may rest looks for its equaliser's orbit
// and rests when it finds one; a new window begins.
void checkRest(TrackRest& rest, bool mayRest, const std::array<EqBand, kEqBands>& bands);

// A resting track wakes: its equaliser is brought to the state it would have now.
void wake(TrackRest& rest, std::array<EqBand, kEqBands>& bands);

// At every sample (in the batched path, every batch): a track that may not rest wakes.
inline void keepOrWake(TrackRest& rest, bool mayRest, std::array<EqBand, kEqBands>& bands) {
    if (!mayRest)
        wake(rest, bands);
}

// Its equaliser's state is replaced: the track neither rests nor counts as still.
inline void forgetRest(TrackRest& rest) {
    rest.resting = false;
    rest.still = false;
    rest.stillWindows = 0;
    rest.checksToSkip = 0;
    rest.failedSearches = 0;
}

}  // namespace rimba
