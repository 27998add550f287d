#pragma once
// The equalisers of the batched render path: equaliseTrack for four or eight tracks side by side,
// and the master equaliser with the left channel in lane 0 and the right in lane 1. Each stage sees its
// samples in order and does the single-precision operations of runStage in their order, so the
// outputs and the states left behind are those of the sample-by-sample path to the bit.

#include <emmintrin.h>

#include <array>

#include "plugin/core/BatchRows.h"
#include "plugin/core/Equaliser.h"

namespace rimba::batch {

using TrackBands = std::array<EqBand, kEqBands>;

// The instruction sets the track equalisers can run on.
enum class EqualiserSet { Sse2, Avx2 };

// Whether this processor (and its system) runs the set.
bool equaliserSetAvailable(EqualiserSet set);

// equaliseTrack for `count` tracks whose signals lie in columns [column, column + count) of the
// rows, side by side, on the widest set the processor has: each sample of a track's equaliser
// input (eqInput) goes through its six stages, and the result is added to the track's signal
// (signal). bands[i] is the equaliser of the track in column column + i. Every set gives the
// same samples and states to the bit.
void equaliseTrackColumns(TrackBands* const* bands, int count, int column, Row* signal, const Row* eqInput, int frames);
// The same on a given set, which must be available.
void equaliseTrackColumnsWith(EqualiserSet set, TrackBands* const* bands, int count, int column, Row* signal,
                              const Row* eqInput, int frames);
// Eight tracks to a group (EqualiserLanesAvx2.cpp); `count` at most 16, and the groups' last
// columns (column + 8 * groups) within the rows.
void equaliseTrackColumnsAvx2(TrackBands* const* bands, int count, int column, Row* signal, const Row* eqInput,
                              int frames);

// The master equaliser's bands over a block, as applyMasterEqualiser runs them: the bands that
// are on or still fading out, each band over the whole block before the next, every sample's
// wet share moving towards `target`.
void equaliseMaster(std::array<EqBand, kEqBands>& bands, float target, float* left, float* right, int frames);

}  // namespace rimba::batch
