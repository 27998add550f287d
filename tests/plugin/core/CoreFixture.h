#pragma once
// Instruments made directly, without a host library, for tests of the state and the engine.

#include <memory>
#include <vector>

#include "plugin/core/VornDrums.h"

namespace rimba::test {

// The clock the test host answers audioMasterGetTime with: 44100 Hz, 120 BPM, transport stopped
// unless a test says otherwise. Reset by makeInstrument.
VstTimeInfo& coreTestTime();

VstIntPtr coreTestHost(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt);

// An instrument in a host (not standalone) that starts from its defaults with `trackCount` tracks.
std::unique_ptr<VornDrums> makeInstrument(int trackCount = kDefaultTrackCount);

// Output buffers for every channel of an instrument.
struct RenderBuffers {
    RenderBuffers(int channels, int frames);
    float** pointers() { return channelPointers.data(); }
    const std::vector<float>& channel(int c) const { return channels[static_cast<std::size_t>(c)]; }

    std::vector<std::vector<float>> channels;
    std::vector<float*> channelPointers;
};

// One MIDI short message as a host passes it to processEvents.
VstMidiEvent midiEvent(std::uint8_t status, std::uint8_t data1, std::uint8_t data2, VstInt32 deltaFrames = 0);

// A sound of constant value given to a track directly, so the output shows when it plays.
void giveTrackSound(VornDrums& drums, int track, std::vector<std::int16_t> samples);

}  // namespace rimba::test
