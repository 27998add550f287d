#pragma once
// Instruments made directly, without a host library, for tests of the state and the engine.

#include <memory>

#include "plugin/core/VornDrums.h"

namespace rimba::test {

VstIntPtr coreTestHost(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt);

// An instrument in a host (not standalone) that starts from its defaults with `trackCount` tracks.
std::unique_ptr<VornDrums> makeInstrument(int trackCount = kDefaultTrackCount);

}  // namespace rimba::test
