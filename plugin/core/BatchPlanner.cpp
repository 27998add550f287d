// Stretches of a block in which no event fires, no MIDI waits and the export does not fade are
// rendered as a batch (FastMix.cpp). This is where a batch is measured and planned: its length,
// its bus gains and control periods, and the part each voice plays in it.

#include "plugin/core/BatchPlanner.h"

#include <algorithm>
#include <cmath>
#include <iterator>

#include "plugin/core/VornDrums.h"

namespace rimba {

namespace {

constexpr std::int32_t kNoCommand = -1;
constexpr int kExportFadeFrames = 2000;

// Voices that share a track share its signal and equaliser from sample to sample, and a voice
// that takes a command takes it at this sample: a batch can start only where neither happens.
bool voicesAllowBatch(const InstrumentState& state) {
    std::uint32_t tracksSeen = 0;
    for (const TrackVoice& voice : state.voices) {
        if (voice.track >= state.trackCount)
            continue;
        if (voice.track < 0)
            return false;
        const std::uint32_t bit = 1u << voice.track;
        if ((tracksSeen & bit) != 0)
            return false;
        tracksSeen |= bit;
        if (voice.command == kNoCommand || voice.loading)
            continue;
        const auto t = static_cast<std::size_t>(voice.track);
        const Sound* sound = state.voiceSound(voice);
        const bool callsRender = sound != nullptr && (loadRelaxed(state.tracks.synthRoute[t]) == 0.0f ||
                                                      loadRelaxed(state.tracks.synthMix[t]) > 0.0f);
        if (callsRender && !sound->samples.empty())
            return false;
    }
    return true;
}

// A track's equaliser switches on or off at the next control-rate update when its switch and its
// settings disagree.
bool equaliserSwitchWaits(const InstrumentState& state) {
    for (const TrackVoice& voice : state.voices) {
        if (voice.track >= state.trackCount)
            continue;
        const auto t = static_cast<std::size_t>(voice.track);
        const bool now = state.tracks.eqActive[t] != 0.0f;
        const bool then = loadRelaxed(state.tracks.eqOnSample[t]) + loadRelaxed(state.tracks.eqOnSynth[t]) != 0.0f;
        if (now != then)
            return true;
    }
    return false;
}

}  // namespace

VstInt32 VornDrums::batchLength(VstInt32 at, VstInt32 frames) const {
    using batch::kBatchFrames;
    using batch::kControlPeriod;
    using batch::kMinBatchFrames;
    if (forceSampleBySample || trackCount > kTrackSlots)
        return 0;
    // The export fade couples the tracks through one gain.
    if (offlineRender.load(std::memory_order_relaxed) != 0 && exportRemaining < kExportFadeFrames)
        return 0;
    if (!midiInput.empty())
        return 0;
    std::int64_t length = std::min<std::int64_t>(frames - at, kBatchFrames);
    if (!pendingEvents.empty())
        length = std::min<std::int64_t>(length, static_cast<std::int64_t>(pendingEvents.soonestCountdown()) - 1);
    // A rest check (EqualiserRest.h) may only fall on a batch's first sample.
    length = std::min<std::int64_t>(length, samplesToRestCheck <= 0 ? kRestCheckPeriod : samplesToRestCheck);
    if (length < kMinBatchFrames || !voicesAllowBatch(*this))
        return 0;
    // The batch ends at an equaliser switch unless the update that makes it is its first sample.
    const std::int64_t firstUpdate =
        controlCounter >= kControlPeriod - 1 ? 0 : kControlPeriod - 1 - static_cast<std::int64_t>(controlCounter);
    if (firstUpdate > 0 && firstUpdate < length && equaliserSwitchWaits(*this))
        length = firstUpdate;
    return length < kMinBatchFrames ? 0 : static_cast<VstInt32>(length);
}

namespace batch {

namespace {

// The step the render loop takes the bus gain before each sample.
float nextBusGain(float gain) { return gain + (1.0f - gain) * 0.002f; }

// The bus gain's ramp towards 1 no longer moves: it is within 1e-6 of 1, or a step changes
// nothing (and then no later step does).
bool busGainSettled(float gain) { return !(std::fabs(1.0f - gain) > 1e-6f) || sameBits(nextBusGain(gain), gain); }

VoicePlan planOf(InstrumentState& state, TrackVoice& voice, bool eqFromSettings, bool restCheck) {
    const TrackSettings& tracks = state.tracks;
    const auto t = static_cast<std::size_t>(voice.track);
    VoicePlan plan;
    plan.mixed = true;
    // The settings are stored on the user-interface thread, each on its own; the batch plays
    // them as its first sample finds them.
    const bool routed = loadRelaxed(tracks.synthRoute[t]) != 0.0f;
    const Sound* sound = state.voiceSound(voice);
    if (sound != nullptr && !voice.loading) {
        voice.rendered = 1;
        plan.callsRender = !routed || loadRelaxed(tracks.synthMix[t]) > 0.0f;
        plan.plays = plan.callsRender && !sound->samples.empty();
    }
    plan.lane = plan.plays && !silentVoice(voice, loadRelaxed(tracks.oneShot[t]) != 0.0f);
    const float eqOnSample = loadRelaxed(tracks.eqOnSample[t]);
    const float eqOnSynth = loadRelaxed(tracks.eqOnSynth[t]);
    plan.eqSample = eqOnSample != 0.0f;
    plan.synthThroughEq = routed && eqOnSynth != 0.0f;
    plan.synthPart = routed && state.drumSynth() != nullptr;
    plan.equalised = eqFromSettings ? eqOnSample + eqOnSynth != 0.0f : tracks.eqActive[t] != 0.0f;
    const bool solo = loadRelaxed(state.soloSelected) != 0;
    plan.heard = (!solo || voice.track == loadRelaxed(state.selectedTrack)) && loadRelaxed(tracks.mute[t]) == 0.0f;
    TrackRest& rest = state.trackRest[t];
    const bool mayRest = voiceMayRest(state, voice, plan.equalised);
    if (restCheck)
        checkRest(rest, mayRest, state.trackEq[t]);
    keepOrWake(rest, mayRest, state.trackEq[t]);
    // A resting track's signal is read, not equalised.
    plan.resting = rest.resting;
    plan.equalised = plan.equalised && !plan.resting;
    return plan;
}

// Gives the next columns to the mixed voices that are (or are not) in lanes and equalised.
void takeColumns(BatchScratch& scratch, bool lane, bool equalised) {
    for (int v = 0; v < kTrackSlots; ++v) {
        VoicePlan& plan = scratch.plans[v];
        if (plan.mixed && plan.lane == lane && plan.equalised == equalised) {
            scratch.columnVoice[scratch.layout.count] = v;
            plan.column = scratch.layout.count++;
        }
    }
}

}  // namespace

bool silentVoice(const TrackVoice& voice, bool oneShot) {
    const bool sounding = voice.position >= voice.startBound && voice.position < voice.endBound;
    if (voice.gateOn == 0 && voice.fading == 0 && (!oneShot || !sounding))
        return true;
    return voice.fading == 0 && voice.position == kIdlePosition;
}

float rampBusGain(float gain, BatchScratch& scratch, int frames) {
    if (sameBits(gain, scratch.busFilledWith) && busGainSettled(gain))
        return gain;
    int k = 0;
    for (; k < frames; ++k) {
        if (!(std::fabs(1.0f - gain) > 1e-6f))
            break;
        const float next = nextBusGain(gain);
        if (sameBits(next, gain))
            break;
        gain = next;
        scratch.busGain[k] = gain;
        scratch.busVector[k] = _mm_set1_ps(gain);
    }
    // A gain that was settled from the start fills every row, and the next batches find it there.
    const bool settledThroughout = k == 0;
    const __m128 last = _mm_set1_ps(gain);
    for (const int fill = settledThroughout ? kBatchFrames : frames; k < fill; ++k) {
        scratch.busGain[k] = gain;
        scratch.busVector[k] = last;
    }
    scratch.busFilledWith = settledThroughout ? gain : std::numeric_limits<float>::quiet_NaN();
    return gain;
}

int splitAtControlUpdates(std::int32_t& counter, int frames, Segment* segments) {
    const std::int64_t start = counter;
    const std::int64_t firstUpdate = start >= kControlPeriod - 1 ? 0 : kControlPeriod - 1 - start;
    if (firstUpdate >= frames) {
        segments[0] = {0, frames, false};
        counter = static_cast<std::int32_t>(start + frames);
        return 1;
    }
    int count = 0;
    if (firstUpdate > 0)
        segments[count++] = {0, static_cast<int>(firstUpdate), false};
    int lastUpdate = 0;
    for (int k = static_cast<int>(firstUpdate); k < frames; k += kControlPeriod) {
        segments[count++] = {k, std::min(k + kControlPeriod, frames), true};
        lastUpdate = k;
    }
    counter = frames - 1 - lastUpdate;
    return count;
}

void planVoices(InstrumentState& state, BatchScratch& scratch, bool eqFromSettings, bool restCheck) {
    std::fill(std::begin(scratch.voiceOfTrack), std::end(scratch.voiceOfTrack), -1);
    for (int v = 0; v < kTrackSlots; ++v) {
        TrackVoice& voice = state.voices[static_cast<std::size_t>(v)];
        if (voice.track >= state.trackCount) {
            scratch.plans[v] = VoicePlan{};
            continue;
        }
        scratch.voiceOfTrack[voice.track] = v;
        scratch.plans[v] = planOf(state, voice, eqFromSettings, restCheck);
    }
    ColumnLayout& layout = scratch.layout;
    layout = ColumnLayout{};
    takeColumns(scratch, true, false);
    layout.eqBegin = layout.count;
    takeColumns(scratch, true, true);
    layout.laneCount = layout.count;
    takeColumns(scratch, false, true);
    layout.eqEnd = layout.count;
    takeColumns(scratch, false, false);
}

}  // namespace batch

}  // namespace rimba
