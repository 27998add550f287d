#include "plugin/core/EqualiserRest.h"

#include "plugin/core/BatchPlanner.h"
#include "plugin/core/InstrumentState.h"

namespace rimba {

namespace {

// The track equaliser's wet share moves towards 1 while it is more than 1e-6 away; a step that
// changes nothing is the last.
bool shareSettled(float mix) { return !(1.0f - mix > 1e-6f) || batch::sameBits(mix + (1.0f - mix) * 0.01f, mix); }

}  // namespace

bool voiceMayRest(const InstrumentState& state, const TrackVoice& voice, bool equalised) {
    const auto t = static_cast<std::size_t>(voice.track);
    const bool routed = state.tracks.synthRoute[t] != 0.0f;
    if (!equalised || (routed && state.drumSynthPlugin != nullptr))
        return false;
    const Sound* sound = state.voiceSound(voice);
    const bool plays = sound != nullptr && !voice.loading && (!routed || state.tracks.synthMix[t] > 0.0f) &&
                       !sound->samples.empty();
    return !plays || (voice.command == -1 && batch::silentVoice(voice, state.tracks.oneShot[t] != 0.0f));
}

void checkRest(TrackRest& rest, bool mayRest, const std::array<EqBand, kEqBands>& bands, float lastSignal) {
    bool settled = true;
    for (const EqBand& band : bands)
        for (const EqStage& stage : band.stages)
            settled = settled && shareSettled(stage.mix);
    if (!rest.resting && rest.still && mayRest && settled) {
        rest.resting = true;
        rest.output = lastSignal;
    }
    rest.still = true;
}

}  // namespace rimba
