#pragma once
// The shape of a batch: how long it may be, how its control periods fall, and the rows in which
// its voices leave their signals, one row per sample and one column per voice.

#include <emmintrin.h>

#include "plugin/model/Constants.h"
#include "plugin/core/SimdLanes.h"

namespace rimba::batch {

// The longest batch. Its rows stay in the first-level cache; longer batches gain nothing, since
// events split most of them anyway.
constexpr int kBatchFrames = 256;
// Shorter stretches cost less the long way than the set-up of a batch.
constexpr int kMinBatchFrames = 8;
constexpr int kControlPeriod = 16;
constexpr int kMaxSegments = kBatchFrames / kControlPeriod + 2;
constexpr int kColumns = kTrackSlots;
// A group of four lanes that starts at any column still lies inside its row.
constexpr int kRowWidth = kColumns + kLanes;
constexpr int kControlValues = 8;  // VornDrums::kControlTargets
constexpr float kIdlePosition = -1.0f;

using Row = float[kRowWidth];

// Where one group of four voice lanes reads its bus gain and leaves its samples: the track signal
// (what bypasses the equaliser) and the equaliser input, in columns [column, column + 4).
struct LaneRows {
    const float* busGain;  // per sample of the batch
    const __m128* busVector;  // the same, broadcast to four lanes
    Row* signal;
    Row* eqInput;
    int column;
};

}  // namespace rimba::batch
