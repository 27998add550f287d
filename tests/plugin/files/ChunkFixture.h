#pragma once
// Instruments made directly, without a host library, for the program chunk tests.

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "plugin/core/VornDrums.h"
#include "tests/plugin/files/ChunkLayout.h"
#include "tests/support/InstrumentProbe.h"

namespace rimba::chunk_test {

inline std::string soundPathOf(const VornDrums& drums, int track) {
    return test::stateOf(drums).tracks.soundPath[static_cast<std::size_t>(track)].data();
}

inline void setSoundPath(VornDrums& drums, int track, const std::string& path) {
    auto& field = test::stateOf(drums).tracks.soundPath[static_cast<std::size_t>(track)];
    field.fill(0);
    std::copy(path.begin(), path.end(), field.begin());
    drums.loadTrackSound(track);
}

// --- instruments without a host library ------------------------------------------------------

inline VstTimeInfo& hostTime() {
    static VstTimeInfo time{};
    return time;
}

inline VstIntPtr hostCallback(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float) {
    if (opcode == audioMasterVersion)
        return 2400;
    if (opcode == audioMasterGetTime)
        return reinterpret_cast<VstIntPtr>(&hostTime());
    return 0;
}

// An instrument with `tracks` tracks whose library folder is `library` and whose effect
// folder is `effects`.
inline std::unique_ptr<VornDrums> makeDrums(int tracks, const std::string& library,
                                            const std::string& effects = "/effects/",
                                            const std::string& programFile = "") {
    VstTimeInfo& time = hostTime();
    time = VstTimeInfo{};
    time.sampleRate = 44100.0;
    time.tempo = 120.0;
    time.flags = kVstTempoValid;
    return std::make_unique<VornDrums>(hostCallback, [=](InstrumentSettings& settings, bool) {
        settings.channelNumber = tracks;
        settings.filesPath = library;
        settings.effectPath = effects;
        settings.programFile = programFile;
        return false;
    });
}

inline std::vector<std::uint8_t> chunkOf(VornDrums& drums) {
    void* data = nullptr;
    const VstInt32 size = drums.getChunk(&data, false);
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    return size > 0 ? std::vector<std::uint8_t>(bytes, bytes + size) : std::vector<std::uint8_t>();
}

inline VstInt32 give(VornDrums& drums, std::vector<std::uint8_t> block) {
    return drums.setChunk(block.data(), static_cast<VstInt32>(block.size()), false);
}

}  // namespace rimba::chunk_test
