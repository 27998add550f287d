// Stretches of a block in which no event fires, no MIDI waits and the export does not fade are
// rendered as a batch: the voices four at a time in SSE lanes across the stretch
// (VoiceLanes.cpp), then the track equalisers four or eight tracks at a time
// (EqualiserLanes.cpp), then the sums voice by voice in voice order (BatchSums.cpp). Each value goes through the same
// single-precision operations in the same order as in renderVoice, mixSample and equaliseTrack;
// a lane only ever holds one voice or one track, and nothing is fused or reassociated, so every
// output sample is the same to the bit as when the stretch is rendered sample by sample. What a
// batch does not cover stays with the sample-by-sample path.
//
// This file runs a batch, and keeps the control-rate updates within it: the gains of all sixteen
// voices approach their targets in lanes; the targets, the rates and the equaliser switches stay
// as the first update sets them, since nothing they depend on changes within a batch.

#include <algorithm>
#include <cmath>

#include "plugin/core/BatchPlanner.h"
#include "plugin/core/BatchSums.h"
#include "plugin/core/VornDrums.h"

namespace rimba {

using batch::BatchScratch;
using batch::kLanes;

namespace {

constexpr int kControlGroups = kTrackSlots / kLanes;

// One control-rate update of every voice's smoothed gains (approach() in TrackState.cpp); true
// when some gain moved.
bool advanceControlLanes(batch::ControlLanes (&groups)[kControlGroups]) {
    bool moved = false;
    for (batch::ControlLanes& lanes : groups) {
        if (lanes.settled)
            continue;
        bool settled = true;
        for (int i = 0; i < batch::kControlValues; ++i) {
            const __m128 next = batch::approachLanes(lanes.value[i], lanes.target[i]);
            settled = settled && batch::sameBits(next, lanes.value[i]);
            lanes.value[i] = next;
        }
        lanes.settled = settled;
        moved = moved || !settled;
    }
    return moved;
}

// Keeps the gains of control period `segment` as its table, and gives the lanes its rates and
// gains.
void keepControlTable(BatchScratch& s, int segment, const float* rate) {
    float(*control)[kTrackSlots] = s.control[segment];
    for (int g = 0; g < kControlGroups; ++g)
        for (int i = 0; i < batch::kControlValues; ++i)
            _mm_store_ps(control[i] + g * kLanes, s.controlLanes[g].value[i]);
    for (int g = 0; g < batch::laneGroups(s); ++g) {
        float laneRate[kLanes], sampleGain[kLanes], synthGain[kLanes];
        for (int l = 0; l < kLanes; ++l) {
            const int v = batch::voiceInLane(s, g * kLanes + l);
            laneRate[l] = v < 0 ? 0.0f : rate[v];
            sampleGain[l] = v < 0 ? 0.0f : control[VornDrums::kTargetSampleGain][v];
            synthGain[l] = v < 0 ? 0.0f : control[VornDrums::kTargetSynthGain][v];
        }
        batch::setLaneControl(s.lanes[g], laneRate, sampleGain, synthGain);
    }
}

void playVoices(BatchScratch& s, int begin, int end) {
    for (int g = 0; g < batch::laneGroups(s); ++g) {
        const batch::LaneRows rows{s.busGain, s.busVector, s.rows, s.eqRows, g * kLanes};
        batch::playVoiceGroup(s.lanes[g], rows, begin, end, s.unity);
    }
}

// Plays the voice lanes through the control periods; returns the table of the last one.
// Periods whose gains and rates are those of an earlier period share its table, and the lanes
// keep their parameters: the voices play such stretches in one go.
int playThroughControlPeriods(BatchScratch& s, int frames) {
    int stretchBegin = 0;
    bool updated = false;
    int table = -1;
    s.spanCount = 0;
    for (int segment = 0; segment < s.segmentCount; ++segment) {
        const batch::Segment& period = s.segments[segment];
        bool changed = table < 0;
        if (period.update) {
            changed = changed || (!updated && s.newRates);  // the first update brings the new rates
            updated = true;
            const bool moved = advanceControlLanes(s.controlLanes);
            changed = changed || moved;  // an update that moved nothing keeps the table
        }
        if (changed) {
            // The voices play up to here with the parameters they had.
            playVoices(s, stretchBegin, period.begin);
            stretchBegin = period.begin;
            table = segment;
            keepControlTable(s, segment, updated ? s.rateAfter : s.rateBefore);
        }
        if (s.spanCount > 0 && s.spanTable[s.spanCount - 1] == table) {
            s.spans[s.spanCount - 1].end = period.end;
        } else {
            s.spans[s.spanCount] = period;
            s.spanTable[s.spanCount++] = table;
        }
    }
    playVoices(s, stretchBegin, frames);
    return table;
}

void loadLaneGroups(const InstrumentState& state, BatchScratch& s, VstInt32 at) {
    for (int g = 0; g < batch::laneGroups(s); ++g) {
        batch::LaneSource sources[kLanes];
        for (int l = 0; l < kLanes; ++l) {
            const int v = batch::voiceInLane(s, g * kLanes + l);
            if (v < 0)
                continue;
            const TrackVoice& voice = state.voices[static_cast<std::size_t>(v)];
            const batch::VoicePlan& plan = s.plans[v];
            const auto t = static_cast<std::size_t>(voice.track);
            sources[l] = {.voice = &voice,
                          .sound = state.voiceSound(voice),
                          .oneShot = loadRelaxed(state.tracks.oneShot[t]) != 0.0f,
                          .reverse = loadRelaxed(state.tracks.reverse[t]) != 0.0f,
                          .loop = loadRelaxed(state.tracks.loop[t]) != 0.0f,
                          .eqSample = plan.eqSample,
                          .synthThroughEq = plan.synthThroughEq,
                          .synthPart = plan.synthPart,
                          .equalised = plan.equalised,
                          .synth = plan.synthPart ? state.drumSynth()->outputChannel(2 + voice.track) + at : nullptr};
        }
        batch::loadVoiceLanes(s.lanes[g], sources, s.silentPair, s.zeros);
    }
}

void storeLaneGroups(InstrumentState& state, const BatchScratch& s) {
    for (int g = 0; g < batch::laneGroups(s); ++g) {
        TrackVoice* voices[kLanes] = {};
        for (int l = 0; l < kLanes; ++l)
            if (const int v = batch::voiceInLane(s, g * kLanes + l); v >= 0)
                voices[l] = &state.voices[static_cast<std::size_t>(v)];
        batch::storeVoiceLanes(s.lanes[g], voices);
    }
}

// renderVoice for a voice outside the lanes: it is silent throughout and only its velocity gain
// moves, until a step changes nothing.
void settleVelocityGain(TrackVoice& voice, int frames) {
    float gain = voice.velocityGain;
    for (int k = 0; k < frames; ++k) {
        const float next = batch::nextVelocityGain(gain, voice.targetVelocityGain);
        if (batch::sameBits(next, gain))
            break;
        gain = next;
    }
    voice.velocityGain = gain;
}

// The column of a voice outside the lanes: its sample part is 0 times the gains, and its synth
// part what the synth plays.
void fillSilentColumn(BatchScratch& s, const batch::VoicePlan& plan, int v, const float* synth, bool busFinite) {
    const int c = plan.column;
    for (int span = 0; span < s.spanCount; ++span) {
        const batch::Segment& period = s.spans[span];
        const float sampleGain = s.control[s.spanTable[span]][VornDrums::kTargetSampleGain][v];
        const float synthGain = s.control[s.spanTable[span]][VornDrums::kTargetSynthGain][v];
        // Without a synth part, 0 times a bus gain that is neither negative nor -0 nor infinite
        // is +0, and +0 times a finite sample gain the same zero throughout.
        const bool steadyParts =
            !plan.synthPart && busFinite && !std::signbit(s.busGain[period.begin]) && std::isfinite(sampleGain);
        for (int k = period.begin; k < period.end;) {
            const float samplePart = plan.callsRender ? 0.0f * s.busGain[k] * sampleGain : 0.0f;
            const float synthPart = plan.synthPart ? synth[k] * s.busGain[k] * synthGain : 0.0f;
            const batch::RoutedParts routed =
                batch::routeParts(samplePart, synthPart, plan.eqSample, plan.synthThroughEq);
            for (const int until = steadyParts ? period.end : k + 1; k < until; ++k) {
                s.rows[k][c] = routed.signal;
                s.eqRows[k][c] = routed.eqInput;
            }
        }
    }
}

// The column of a resting track: its signal read from its equaliser's orbit, in runs that end
// where the table of whole turns does.
void playRestingColumn(BatchScratch& s, const batch::VoicePlan& plan, TrackRest& rest, int frames) {
    const float* orbit = rest.orbit.data();
    std::int32_t phase = rest.phase;
    const int c = plan.column;
    for (int k = 0; k < frames;) {
        const int run = std::min(frames - k, rest.turnsLength - phase);
        for (int j = 0; j < run; ++j)
            s.rows[k + j][c] = orbit[phase + j];
        k += run;
        phase = (phase + run) % rest.period;
    }
    rest.phase = phase;
}

// The voices outside the lanes. A voice whose signal is +0 throughout (the sample part is +0 or
// -0, 0 times finite gains, and nothing else takes part) is marked silent and takes no column.
void playSilentVoices(InstrumentState& state, BatchScratch& s, bool busFinite, VstInt32 at, int frames) {
    for (int v = 0; v < kTrackSlots; ++v) {
        batch::VoicePlan& plan = s.plans[v];
        if (!plan.mixed || plan.lane)
            continue;
        TrackVoice& voice = state.voices[static_cast<std::size_t>(v)];
        if (plan.plays)
            settleVelocityGain(voice, frames);
        if (plan.resting) {
            playRestingColumn(s, plan, state.trackRest[static_cast<std::size_t>(voice.track)], frames);
            continue;
        }
        bool finiteGains = busFinite;
        for (int span = 0; span < s.spanCount && finiteGains; ++span)
            finiteGains = std::isfinite(s.control[s.spanTable[span]][VornDrums::kTargetSampleGain][v]);
        plan.silent = !plan.synthPart && !plan.synthThroughEq && !plan.equalised && (!plan.callsRender || finiteGains);
        if (plan.silent)
            continue;
        const float* synth = plan.synthPart ? state.drumSynth()->outputChannel(2 + voice.track) + at : nullptr;
        fillSilentColumn(s, plan, v, synth, busFinite);
    }
}

void equaliseTracks(InstrumentState& state, BatchScratch& s, int frames) {
    const batch::ColumnLayout& layout = s.layout;
    batch::TrackBands* bands[batch::kColumns];
    const int count = layout.eqEnd - layout.eqBegin;
    for (int i = 0; i < count; ++i) {
        const int track = state.voices[static_cast<std::size_t>(s.columnVoice[layout.eqBegin + i])].track;
        bands[i] = &state.trackEq[static_cast<std::size_t>(track)];
    }
    batch::equaliseTrackColumns(bands, count, layout.eqBegin, s.rows, s.eqRows, frames);
}

// A track that may rest stays still while its signal moves by at most kRestStillStep from one
// sample to the next, from the last signal it had before the batch on.
void followStillness(InstrumentState& state, const BatchScratch& s, int frames) {
    for (int v = 0; v < kTrackSlots; ++v) {
        const batch::VoicePlan& plan = s.plans[v];
        if (!plan.mixed || plan.resting || plan.column < 0)
            continue;
        const auto t = static_cast<std::size_t>(state.voices[static_cast<std::size_t>(v)].track);
        TrackRest& rest = state.trackRest[t];
        float previous = state.trackSignal[t];
        for (int k = 0; k < frames && rest.still; ++k) {
            const float signal = s.rows[k][plan.column];
            rest.still = stillStep(signal, previous);
            previous = signal;
        }
    }
}

// 2^(semitones / 12) for voice v. The pitch only changes with a new note or setting: the last
// factor is kept.
double pitchFactor(BatchScratch& s, int v, double semitones) {
    if (!s.pitchKnown[v] || !(s.pitchSemitones[v] == semitones)) {
        s.pitchFactor[v] = std::pow(2.0, semitones / 12.0);
        s.pitchSemitones[v] = semitones;
        s.pitchKnown[v] = true;
    }
    return s.pitchFactor[v];
}

}  // namespace

void VornDrums::BatchScratchDeleter::operator()(BatchScratch* scratch) const { delete scratch; }

std::unique_ptr<BatchScratch, VornDrums::BatchScratchDeleter> VornDrums::makeBatchScratch() {
    return std::unique_ptr<BatchScratch, BatchScratchDeleter>(new BatchScratch{});
}

void VornDrums::startBatchControl(BatchScratch& s) {
    static_assert(batch::kControlValues == kControlTargets);
    bool anyUpdate = false;
    for (int segment = 0; segment < s.segmentCount; ++segment)
        anyUpdate = anyUpdate || s.segments[segment].update;
    alignas(16) float values[kControlTargets][kTrackSlots];
    alignas(16) float targets[kControlTargets][kTrackSlots];
    bool newRates = false;
    for (int v = 0; v < kTrackSlots; ++v) {
        TrackVoice& voice = voices[static_cast<std::size_t>(v)];
        values[kTargetSampleGain][v] = voice.sampleGain;
        values[kTargetSynthGain][v] = voice.synthGain;
        values[kTargetGainLeft][v] = voice.gainLeft;
        values[kTargetGainRight][v] = voice.gainRight;
        values[kTargetSend1Left][v] = voice.send1Left;
        values[kTargetSend1Right][v] = voice.send1Right;
        values[kTargetSend2Left][v] = voice.send2Left;
        values[kTargetSend2Right][v] = voice.send2Right;
        const float rateBefore = voice.rate;
        float rateAfter = rateBefore;
        if (anyUpdate && voice.track >= 0 && voice.track < kTrackSlots) {
            float target[kControlTargets];
            controlTargets(voice, target);
            for (int i = 0; i < kControlTargets; ++i)
                targets[i][v] = target[i];
            rateAfter = controlRate(voice, pitchFactor(s, v, controlSemitones(voice)));
            const auto t = static_cast<std::size_t>(voice.track);
            tracks.eqActive[t] = loadRelaxed(tracks.eqOnSample[t]) + loadRelaxed(tracks.eqOnSynth[t]);
        } else {
            // A value that is its own target never moves.
            for (int i = 0; i < kControlTargets; ++i)
                targets[i][v] = values[i][v];
        }
        s.rateBefore[v] = rateBefore;
        s.rateAfter[v] = rateAfter;
        newRates = newRates || !batch::sameBits(rateBefore, rateAfter);
    }
    for (int g = 0; g < kControlGroups; ++g) {
        batch::ControlLanes& control = s.controlLanes[g];
        for (int i = 0; i < kControlTargets; ++i) {
            control.value[i] = _mm_load_ps(values[i] + g * kLanes);
            control.target[i] = _mm_load_ps(targets[i] + g * kLanes);
        }
        control.settled = !anyUpdate;
    }
    s.anyUpdate = anyUpdate;
    s.newRates = newRates;
}

void VornDrums::finishBatchControl(const BatchScratch& s, int table) {
    if (!s.anyUpdate)
        return;
    const float(*control)[kTrackSlots] = s.control[table];
    for (int v = 0; v < kTrackSlots; ++v) {
        TrackVoice& voice = voices[static_cast<std::size_t>(v)];
        if (voice.track < 0 || voice.track >= kTrackSlots)
            continue;
        voice.sampleGain = control[kTargetSampleGain][v];
        voice.synthGain = control[kTargetSynthGain][v];
        voice.gainLeft = control[kTargetGainLeft][v];
        voice.gainRight = control[kTargetGainRight][v];
        voice.send1Left = control[kTargetSend1Left][v];
        voice.send1Right = control[kTargetSend1Right][v];
        voice.send2Left = control[kTargetSend2Left][v];
        voice.send2Right = control[kTargetSend2Right][v];
        voice.rate = s.rateAfter[v];
    }
}

void VornDrums::renderBatch(float** outputs, VstInt32 at, VstInt32 frames) {
    BatchScratch& s = *batchScratch;
    batchedFrames += frames;
    // The bus gain and the pending events for the whole batch; the MIDI ring is empty.
    const bool busFinite = std::isfinite(voiceBusGain);
    voiceBusGain = batch::rampBusGain(voiceBusGain, s, frames);
    pendingEvents.countDownWithoutFiring(frames);
    s.segmentCount = batch::splitAtControlUpdates(controlCounter, frames, s.segments);
    const bool restCheck = samplesToRestCheck <= 0;
    countRestSamples(samplesToRestCheck, frames);
    batch::planVoices(*this, s, s.segments[0].update, restCheck);
    loadLaneGroups(*this, s, at);
    startBatchControl(s);
    const int lastTable = playThroughControlPeriods(s, frames);
    finishBatchControl(s, lastTable);
    storeLaneGroups(*this, s);
    playSilentVoices(*this, s, busFinite, at, frames);
    equaliseTracks(*this, s, frames);
    followStillness(*this, s, frames);
    batch::mixBatch(*this, s,
                    {.outputs = outputs,
                     .at = at,
                     .frames = frames,
                     .trackOutputs = multiOutput && offlineRender.load(std::memory_order_relaxed) == 0,
                     .metering = editorOpen()});
}

}  // namespace rimba
