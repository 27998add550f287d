#pragma once
// An instrument ready to export, as in a host at 44100 Hz and 120 BPM that has rendered one block
// with its transport stopped (so the host's tempo is the instrument's).

#include <memory>
#include <vector>

#include "plugin/core/VornDrums.h"

namespace rimba::test {

inline VstTimeInfo& exportHostTime() {
    static VstTimeInfo time{};
    return time;
}

inline VstIntPtr exportTestHost(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float) {
    if (opcode == audioMasterVersion)
        return kVstVersion;
    if (opcode == audioMasterGetTime)
        return reinterpret_cast<VstIntPtr>(&exportHostTime());
    return 0;
}

inline std::unique_ptr<VornDrums> makeExportingDrums() {
    VstTimeInfo& time = exportHostTime();
    time = VstTimeInfo{};
    time.sampleRate = 44100.0;
    time.tempo = 120.0;
    time.flags = kVstTempoValid;
    auto drums = std::make_unique<VornDrums>(exportTestHost, [](InstrumentSettings&, bool) { return false; });
    std::vector<std::vector<float>> buffers(18, std::vector<float>(64));
    float* outputs[18]{};
    for (std::size_t c = 0; c < buffers.size(); ++c)
        outputs[c] = buffers[c].data();
    drums->processReplacing(nullptr, outputs, 64);
    return drums;
}

}  // namespace rimba::test
