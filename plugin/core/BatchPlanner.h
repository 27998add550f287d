#pragma once
// The planning of a batch: how the bus gain and the control-rate updates fall on its samples, and
// what it does with each voice. How long a batch may be is VornDrums::batchLength's business
// (BatchPlanner.cpp).

#include <cstdint>

#include "plugin/core/BatchScratch.h"
#include "plugin/core/InstrumentState.h"

namespace rimba::batch {

// The bus gain for each sample of the batch (scratch.busGain and busVector), as the render loop
// moves it before each sample; returns the last one. Rows that already hold a settled gain are
// left alone.
float rampBusGain(float gain, BatchScratch& scratch, int frames);

// The control periods of a batch of `frames` samples, advancing the control counter as the
// render loop does before each sample; returns how many there are.
int splitAtControlUpdates(std::int32_t& counter, int frames, Segment* segments);

// Plans each voice and gives it a column (scratch.plans, voiceOfTrack, layout, columnVoice).
// Marks the voices mixSample would mark as rendered. `eqFromSettings`: the first sample runs the
// control-rate update, so the equaliser switches follow the settings from the start; otherwise
// they keep their values through the batch. `restCheck`: the first sample is a rest check
// (EqualiserRest.h); the tracks come to rest or wake as mixSample has them do.
void planVoices(InstrumentState& state, BatchScratch& scratch, bool eqFromSettings, bool restCheck);

// renderVoice returns 0 at once for a voice that is neither gated, fading nor a released one-shot
// inside its bounds, and for an idle one; without a command it stays that way.
bool silentVoice(const TrackVoice& voice, bool oneShot);

// The voice in column `column` if it is rendered in a lane, otherwise -1.
inline int voiceInLane(const BatchScratch& scratch, int column) {
    return column < scratch.layout.laneCount ? scratch.columnVoice[column] : -1;
}

inline int laneGroups(const BatchScratch& scratch) { return (scratch.layout.laneCount + kLanes - 1) / kLanes; }

}  // namespace rimba::batch
