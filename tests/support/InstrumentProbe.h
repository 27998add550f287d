#pragma once
// The tests' one way into the engine's state: they set it up and inspect it directly, where the
// instrument's own functions would change more than the case is about. Only tests/ may include
// this header (cmake/CheckLayers.cmake); everything else reads `VornDrums::state()` and changes
// the state through the instrument's named functions.

#include "plugin/core/VornDrums.h"

namespace rimba::test {

struct InstrumentProbe {
    static InstrumentState& state(VornDrums& drums) {
        InstrumentState& state = drums;
        // What a test writes directly, the render loop takes anew at its next block, as after a
        // load (the sequencer plays its own copy of the steps: PlayedSteps.h).
        state.handshake.loadsEnded.fetch_add(1);
        return state;
    }
};

// The instrument's whole state, writable (read only for a const instrument).
inline InstrumentState& stateOf(VornDrums& drums) { return InstrumentProbe::state(drums); }
inline const InstrumentState& stateOf(const VornDrums& drums) { return drums.state(); }

}  // namespace rimba::test
