#pragma once
// A plug-in made in the test: it names a MIDI device through the private link, records the MIDI
// events and blocks it receives in fixed storage (no allocation on the audio thread), and plays
// a known cycle of samples, some beyond full scale.

#include <algorithm>
#include <array>
#include <atomic>
#include <cstdint>
#include <cstring>
#include <string>

#include "common/vst/StandaloneLink.h"
#include "common/vst/VstAbi.h"
#include "plugin/model/Constants.h"

namespace rimba::test {

// Left plays the cycle, right the same cycle one step later. The 16-bit values are worked out by
// hand: clamp, then truncate(x * 32767.505859375 - 0.5).
inline constexpr std::array<float, 9> kSignalCycle = {0.0f, 0.25f, 0.5f, 1.0f, 1.5f, -0.25f, -0.5f, -1.0f, -1.5f};
inline constexpr std::array<std::int16_t, 9> kSignalCycle16 = {0,     8191,   16383,  32767, 32767,
                                                               -8192, -16384, -32768, -32768};

class FakePlugin {
public:
    static constexpr int kMaxCalls = 1 << 13;

    FakePlugin() {
        effect.magic = kEffectMagic;
        effect.dispatcher = [](AEffect* e, VstInt32 opcode, VstInt32 index, VstIntPtr, void* pointer,
                               float) -> VstIntPtr {
            auto* self = static_cast<FakePlugin*>(e->object);
            if (opcode == effGetParamDisplay && index == kStandaloneMidiDevice)
                std::strncpy(static_cast<char*>(pointer), self->midiDevice.c_str(), 127);
            if (opcode == effProcessEvents)
                self->record('E', static_cast<VstEvents*>(pointer));
            return 0;
        };
        effect.processReplacing = [](AEffect* e, float**, float** outputs, VstInt32 frames) {
            auto* self = static_cast<FakePlugin*>(e->object);
            for (VstInt32 frame = 0; frame < frames; ++frame, ++self->position) {
                outputs[0][frame] = kSignalCycle[self->position % 9];
                outputs[1][frame] = kSignalCycle[(self->position + 1) % 9];
            }
            self->lastFrames.store(frames);
            self->record('P', nullptr);
        };
        effect.numOutputs = 2;
        effect.object = this;
    }

    AEffect* plugin() { return &effect; }
    void nameMidiDevice(const std::string& name) { midiDevice = name; }

    int eventCount() const { return events.load(std::memory_order_acquire); }
    const VstMidiEvent& event(int index) const { return received[static_cast<std::size_t>(index)]; }
    int blockCount() const { return blocks.load(std::memory_order_acquire); }
    int lastBlockFrames() const { return lastFrames.load(); }
    // 'E' for each effProcessEvents, 'P' for each processReplacing, in the order they came.
    std::string callOrder() const { return std::string(calls.data(), static_cast<std::size_t>(callCount.load())); }
    int eventsPerRequest() const { return largestList.load(); }

private:
    void record(char kind, const VstEvents* list) {
        const int call = callCount.load(std::memory_order_relaxed);
        if (call >= kMaxCalls)
            return;
        calls[static_cast<std::size_t>(call)] = kind;
        callCount.store(call + 1, std::memory_order_release);
        if (list == nullptr) {
            blocks.fetch_add(1, std::memory_order_release);
            return;
        }
        largestList.store(std::max(largestList.load(), list->numEvents));
        const int index = events.load(std::memory_order_relaxed);
        received[static_cast<std::size_t>(index)] = *reinterpret_cast<const VstMidiEvent*>(list->events[0]);
        events.store(index + 1, std::memory_order_release);
    }

    AEffect effect{};
    std::string midiDevice;
    std::array<VstMidiEvent, kMaxCalls> received{};
    std::array<char, kMaxCalls> calls{};
    std::atomic<int> events{0}, blocks{0}, lastFrames{0}, callCount{0}, largestList{0};
    std::size_t position = 0;
};

}  // namespace rimba::test
