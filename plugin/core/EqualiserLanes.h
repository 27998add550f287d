#pragma once
// The equalisers of the batched render path: equaliseTrack for four tracks side by side, and the
// master equaliser with the left channel in lane 0 and the right in lane 1. Each stage sees its
// samples in order and does the single-precision operations of runStage in their order, so the
// outputs and the states left behind are those of the sample-by-sample path to the bit.

#include <emmintrin.h>

#include <array>

#include "plugin/core/BatchRows.h"
#include "plugin/core/Equaliser.h"

namespace rimba::batch {

using TrackBands = std::array<EqBand, kEqBands>;

constexpr int kStages = kEqBands * 2;

// Four tracks' equalisers side by side; stage i is band i / 2, stage i % 2. The history of each
// stage sits in two slots that take turns being the newer one, so a sample writes only its own
// input and output.
struct EqLanes {
    __m128 b0[kEqBands];
    __m128 b1[kEqBands];
    __m128 b2[kEqBands];
    __m128 a1[kEqBands];
    __m128 a2[kEqBands];
    __m128 x[kStages][2];
    __m128 y[kStages][2];
    __m128 mix[kStages];
    __m128 dry[kStages];  // 1 - mix
    __m128 inUse;
    int column;
    TrackBands* bands[kLanes];  // nullptr for a spare lane
    bool settled[kStages];      // the wet share no longer moves
};

// Loads the lanes from four tracks' bands (nullptr for a spare lane), whose signals lie in
// columns [column, column + 4) of the rows.
void loadEqLanes(EqLanes& lanes, TrackBands* const (&bands)[kLanes], int column);
// Gives the tracks' bands the state the lanes reached after `frames` samples.
void storeEqLanes(const EqLanes& lanes, int frames);
// equaliseTrack for `groups` groups of four tracks over `frames` samples: each sample of a track's
// equaliser input (eqInput) goes through its six stages, and the result is added to the track's
// signal (signal) in the lanes in use.
void equaliseLanes(EqLanes* lanes, int groups, Row* signal, const Row* eqInput, int frames);

// The master equaliser's bands over a block, as applyMasterEqualiser runs them: the bands that
// are on or still fading out, each band over the whole block before the next, every sample's
// wet share moving towards `target`.
void equaliseMaster(std::array<EqBand, kEqBands>& bands, float target, float* left, float* right, int frames);

}  // namespace rimba::batch
