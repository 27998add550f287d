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

// One stage of a silent track's equaliser, from `stage` on, fed a signal that repeats every
// `inPeriod` samples, run until its state comes back at the end of a turn of that signal; its
// output through its own turn goes to `out`. Returns the stage's period, or 0 when it does not
// come back within kMaxRestPeriod samples.
std::int32_t stageOrbit(const EqCoefficients& coefficients, EqStage stage, const float* in, std::int32_t inPeriod,
                        float* out) {
    const EqStage start = stage;
    std::int32_t phase = 0;
    for (std::int32_t n = 1; n <= kMaxRestPeriod; ++n) {
        // As equaliseTrackSample runs each stage.
        if (1.0f - stage.mix > 1e-6f)
            stage.mix += (1.0f - stage.mix) * 0.01f;
        out[n - 1] = runEqStage(coefficients, stage, in[phase]);
        phase = phase + 1 == inPeriod ? 0 : phase + 1;
        if (phase == 0 && std::memcmp(&stage, &start, sizeof stage) == 0)
            return n;
    }
    return 0;
}

// One turn of the orbit the equaliser is in, its signal kept in rest.orbit; false when the state
// does not come back within kMaxRestPeriod samples, or a signal of 0 (whose sign the mix could
// keep or not) comes out. The orbit is found stage by stage: the first stage is fed a constant,
// so it comes into an orbit of its own, and each stage after is fed the turn of the one before;
// a stage's period is a whole number of its input's turns, so when the last stage's state comes
// back, every stage's has, each costing one stage's work per sample of its own period only.
bool findOrbit(TrackRest& rest, const std::array<EqBand, kEqBands>& bands) {
    constexpr int kStages = kEqBands * 2;
    const float silence = 0.0f;
    const float* in = &silence;
    std::int32_t period = 1;
    int k = 0;
    for (const EqBand& band : bands) {
        for (const EqStage& stage : band.stages) {
            // The buffers take turns so that the last stage writes rest.orbit.
            float* out = (kStages - 1 - k) % 2 == 0 ? rest.orbit.data() : rest.stageSignal.data();
            period = stageOrbit(band.coefficients, stage, in, period, out);
            if (period == 0)
                return false;
            in = out;
            ++k;
        }
    }
    const float* orbit = rest.orbit.data();
    if (std::any_of(orbit, orbit + period, [](float signal) { return signal == 0.0f; }))
        return false;
    rest.period = period;
    rest.phase = 0;
    // Whole turns fill the table, so that the batched path copies long runs of it.
    rest.turnsLength = kMaxRestPeriod / period * period;
    for (std::int32_t n = period; n < rest.turnsLength; ++n)
        rest.orbit[static_cast<std::size_t>(n)] = rest.orbit[static_cast<std::size_t>(n - period)];
    return true;
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
