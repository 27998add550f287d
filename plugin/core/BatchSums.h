#pragma once
// The end of a batch: each voice's track signal summed into the master and the sends in voice
// order, the track outputs, the voices' peaks and the send plug-ins' inputs, written as mixSample
// writes them sample by sample.

#include "plugin/core/BatchScratch.h"
#include "plugin/core/InstrumentState.h"

namespace rimba::batch {

// Where a batch's sums go.
struct BatchOutputs {
    float** outputs;  // the block's channels: master, tracks, sends
    int at;  // the batch's first sample in them
    int frames;
    bool trackOutputs;  // the track outputs are written
    bool metering;  // the editor shows the peaks, which decay after every sample
};

// Sums the rows the voices and the equalisers left in the scratch.
void mixBatch(InstrumentState& state, BatchScratch& scratch, const BatchOutputs& out);

}  // namespace rimba::batch
