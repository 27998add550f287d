#include "tests/plugin/core/CoreFixture.h"

namespace rimba::test {

VstIntPtr coreTestHost(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float) {
    return opcode == audioMasterVersion ? kVstVersion : 0;
}

std::unique_ptr<VornDrums> makeInstrument(int trackCount) {
    return std::make_unique<VornDrums>(coreTestHost, [trackCount](InstrumentSettings& settings, bool) {
        settings.channelNumber = trackCount;
        return false;
    });
}

}  // namespace rimba::test
