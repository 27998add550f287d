#pragma once
// The working rows of one batch and what the planner decides about it. The instrument makes
// one BatchScratch with itself, so that the audio thread never allocates them; each batch
// overwrites what it uses, except the caches that outlive a batch (noted below).

#include <emmintrin.h>

#include <cstdint>
#include <limits>

#include "plugin/core/BatchRows.h"
#include "plugin/core/EqualiserLanes.h"
#include "plugin/core/VoiceLanes.h"

namespace rimba::batch {

// One control period of a batch: the samples between two control-rate updates.
struct Segment {
    int begin = 0;
    int end = 0;
    bool update = false;  // the control-rate update runs before its first sample
};

// What the batch does with one voice.
struct VoicePlan {
    bool mixed = false;  // its track is active: mixSample works on it
    bool callsRender = false;  // mixSample calls renderVoice for it
    bool plays = false;  // and renderVoice gets past its first test
    bool lane = false;  // it sounds at the start of the batch and is rendered in a lane
    bool equalised = false;
    bool eqSample = false;
    bool synthThroughEq = false;
    bool synthPart = false;
    bool heard = false;  // reaches the master and the sends (mute, solo)
    bool silent = false;  // its signal is +0 throughout, known without rendering it
    bool resting = false;  // its track rests (EqualiserRest.h): its signal is read, not equalised
    int column = -1;
};

// The columns of the rows: voices in lanes first, those with an equaliser in the middle, so that
// the lanes and the equalised tracks each take one run of columns.
struct ColumnLayout {
    int laneCount = 0;  // [0, laneCount): voices in lanes
    int eqBegin = 0;  // [eqBegin, eqEnd): voices whose track is equalised
    int eqEnd = 0;
    int count = 0;
};

// The control-rate smoothing of four voices side by side: each gain and the value it approaches.
struct ControlLanes {
    __m128 value[kControlValues];
    __m128 target[kControlValues];
    bool settled;  // no gain moves any more
};

struct BatchScratch {
    // The bus gain of each sample, alone and broadcast to four lanes.
    alignas(16) float busGain[kBatchFrames];
    __m128 busVector[kBatchFrames];
    // The settled bus gain every entry of busGain and busVector holds, or NaN; kept from batch to
    // batch.
    float busFilledWith = std::numeric_limits<float>::quiet_NaN();

    alignas(16) Row rows[kBatchFrames];  // track signal, one column per voice
    alignas(16) Row eqRows[kBatchFrames];  // equaliser input
    alignas(16) float zeros[kBatchFrames];
    alignas(16) float sums[6][kBatchFrames];  // send 1 and send 2, left and right, from index 2

    Segment segments[kMaxSegments];
    int segmentCount = 0;
    VoicePlan plans[kTrackSlots];
    int voiceOfTrack[kTrackSlots];
    ColumnLayout layout;
    int columnVoice[kColumns];

    // The smoothed gains of each control period that changed them, voice by voice
    // (VornDrums::ControlTarget order).
    alignas(16) float control[kMaxSegments][kControlValues][kTrackSlots];
    ControlLanes controlLanes[kTrackSlots / kLanes];
    bool anyUpdate = false;
    bool newRates = false;  // the first update changes some voice's rate
    float rateBefore[kTrackSlots];
    float rateAfter[kTrackSlots];
    // Stretches of consecutive control periods that share the gains of period `spanTable`.
    Segment spans[kMaxSegments];
    int spanTable[kMaxSegments];
    int spanCount = 0;
    // 2^(semitones / 12) for the semitones of each voice's last pitch; kept from batch to batch.
    bool pitchKnown[kTrackSlots] = {};
    double pitchSemitones[kTrackSlots] = {};
    double pitchFactor[kTrackSlots] = {};

    VoiceLanes lanes[kColumns / kLanes];
    UnityColumns unity;
    std::int16_t silentPair[2] = {};
};

}  // namespace rimba::batch
