#include "plugin/core/EqualiserRest.h"

#include <algorithm>
#include <cstring>

#include "plugin/core/BatchPlanner.h"
#include "plugin/core/InstrumentState.h"

namespace rimba {

namespace {

// The track equaliser's wet share moves towards 1 while it is more than 1e-6 away; a step that
// changes nothing is the last.
bool shareSettled(float mix) { return !(1.0f - mix > 1e-6f) || batch::sameBits(mix + (1.0f - mix) * 0.01f, mix); }

bool sharesSettled(const std::array<EqBand, kEqBands>& bands) {
    for (const EqBand& band : bands)
        for (const EqStage& stage : band.stages)
            if (!shareSettled(stage.mix))
                return false;
    return true;
}

bool sameState(const std::array<EqBand, kEqBands>& a, const std::array<EqBand, kEqBands>& b) {
    for (std::size_t band = 0; band < a.size(); ++band)
        if (std::memcmp(a[band].stages.data(), b[band].stages.data(), sizeof a[band].stages) != 0)
            return false;
    return true;
}

// One turn of the orbit the equaliser is in, its signal kept in rest.orbit; false when the state
// does not come back within kMaxRestPeriod samples, or a signal of 0 (whose sign the mix could
// keep or not) comes out.
bool findOrbit(TrackRest& rest, const std::array<EqBand, kEqBands>& bands) {
    std::array<EqBand, kEqBands> running = bands;
    for (int n = 1; n <= kMaxRestPeriod; ++n) {
        const float signal = equaliseTrackSample(running, 0.0f);
        if (signal == 0.0f)
            return false;
        rest.orbit[static_cast<std::size_t>(n - 1)] = signal;
        if (sameState(running, bands)) {
            rest.period = n;
            rest.phase = 0;
            return true;
        }
    }
    return false;
}

}  // namespace

bool voiceMayRest(const InstrumentState& state, const TrackVoice& voice, bool equalised) {
    const auto t = static_cast<std::size_t>(voice.track);
    const bool routed = loadRelaxed(state.tracks.synthRoute[t]) != 0.0f;
    if (state.restsOff || !equalised || (routed && state.drumSynth() != nullptr))
        return false;
    const Sound* sound = state.voiceSound(voice);
    const bool plays = sound != nullptr && !voice.loading &&
                       (!routed || loadRelaxed(state.tracks.synthMix[t]) > 0.0f) && !sound->samples.empty();
    return !plays || (voice.command == -1 && batch::silentVoice(voice, loadRelaxed(state.tracks.oneShot[t]) != 0.0f));
}

void checkRest(TrackRest& rest, bool mayRest, const std::array<EqBand, kEqBands>& bands) {
    rest.stillWindows = rest.still && mayRest ? rest.stillWindows + 1 : 0;
    rest.still = true;
    if (rest.resting || rest.stillWindows < kStillWindowsBeforeSearch || !sharesSettled(bands))
        return;
    if (rest.checksToSkip > 0) {
        --rest.checksToSkip;
        return;
    }
    rest.resting = findOrbit(rest, bands);
    if (rest.resting) {
        rest.failedSearches = 0;
    } else {
        rest.checksToSkip = std::min(kChecksAfterFailedSearch << rest.failedSearches, kMostChecksAfterFailedSearch);
        rest.failedSearches = std::min(rest.failedSearches + 1, 8);
    }
}

void wake(TrackRest& rest, std::array<EqBand, kEqBands>& bands) {
    if (rest.resting) {
        for (std::int32_t n = 0; n < rest.phase; ++n)
            equaliseTrackSample(bands, 0.0f);
        rest.resting = false;
    }
    rest.still = false;
    rest.stillWindows = 0;
}

}  // namespace rimba
