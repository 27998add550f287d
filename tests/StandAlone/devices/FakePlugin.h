#pragma once
// A plug-in made in the test: it names a MIDI device through the private link, records every
// MIDI event and block it receives (in fixed storage, so the audio thread never allocates in it),
// and plays a known cycle of samples, some beyond full scale.

#include <array>
#include <atomic>
#include <cstdint>
#include <cstring>
#include <string>

#include "common/vst/VstAbi.h"
#include "plugin/model/Constants.h"

namespace rimba::test {

struct ReceivedEvent {
    VstInt32 numEvents;
    VstInt32 type;
    VstInt32 byteSize;
    VstInt32 deltaFrames;
    VstInt32 flags;
    std::uint8_t midiData[4];
};

// The left channel plays this cycle, the right channel the same cycle one step later.
inline constexpr std::array<float, 9> kSignalCycle = {0.0f, 0.25f, 0.5f, 1.0f, 1.5f, -0.25f, -0.5f, -1.0f, -1.5f};
// The same values as 16-bit samples, worked out by hand from truncate(x * 32767.505859375 - 0.5)
// after clamping.
inline constexpr std::array<std::int16_t, 9> kSignalCycle16 = {0, 8191, 16383, 32767, 32767, -8192, -16384, -32768, -32768};

class FakePlugin {
public:
    static constexpr int kMaxEvents = 1 << 15;
    static constexpr int kMaxCalls = 1 << 15;

    FakePlugin() {
        effect.magic = kEffectMagic;
        effect.dispatcher = &FakePlugin::dispatch;
        effect.processReplacing = &FakePlugin::process;
        effect.numOutputs = 2;
        effect.object = this;
    }

    AEffect* plugin() { return &effect; }
    void nameMidiDevice(const std::string& name) { midiDevice = name; }

    int eventCount() const { return events.load(std::memory_order_acquire); }
    const ReceivedEvent& event(int index) const { return received[static_cast<std::size_t>(index)]; }
    int blockCount() const { return blocks.load(std::memory_order_acquire); }
    int lastBlockFrames() const { return lastFrames.load(std::memory_order_acquire); }
    // 'E' for an effProcessEvents, 'P' for a processReplacing, in the order they came.
    std::string callOrder() const { return std::string(calls.data(), static_cast<std::size_t>(callCount.load())); }

private:
    static VstIntPtr dispatch(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr, void* pointer, float) {
        auto* self = static_cast<FakePlugin*>(effect->object);
        if (opcode == effGetParamDisplay && index == kStandaloneMidiDevice) {
            std::strncpy(static_cast<char*>(pointer), self->midiDevice.c_str(), 127);
            return 0;
        }
        if (opcode == effProcessEvents)
            self->record(*static_cast<VstEvents*>(pointer));
        return 0;
    }

    static void process(AEffect* effect, float**, float** outputs, VstInt32 frames) {
        static_cast<FakePlugin*>(effect->object)->play(outputs, frames);
    }

    void record(const VstEvents& list) {
        noteCall('E');
        const int index = events.load(std::memory_order_relaxed);
        if (index >= kMaxEvents)
            return;
        const auto& midi = *reinterpret_cast<const VstMidiEvent*>(list.events[0]);
        ReceivedEvent& slot = received[static_cast<std::size_t>(index)];
        slot = {list.numEvents, midi.type, midi.byteSize, midi.deltaFrames, midi.flags, {}};
        std::memcpy(slot.midiData, midi.midiData, 4);
        events.store(index + 1, std::memory_order_release);
    }

    void play(float** outputs, VstInt32 frames) {
        noteCall('P');
        for (VstInt32 frame = 0; frame < frames; ++frame, ++position) {
            outputs[0][frame] = kSignalCycle[position % kSignalCycle.size()];
            outputs[1][frame] = kSignalCycle[(position + 1) % kSignalCycle.size()];
        }
        lastFrames.store(frames, std::memory_order_release);
        blocks.fetch_add(1, std::memory_order_acq_rel);
    }

    void noteCall(char kind) {
        const int index = callCount.load(std::memory_order_relaxed);
        if (index < kMaxCalls) {
            calls[static_cast<std::size_t>(index)] = kind;
            callCount.store(index + 1, std::memory_order_release);
        }
    }

    AEffect effect{};
    std::string midiDevice;
    std::array<ReceivedEvent, kMaxEvents> received{};
    std::atomic<int> events{0};
    std::atomic<int> blocks{0};
    std::atomic<int> lastFrames{0};
    std::array<char, kMaxCalls> calls{};
    std::atomic<int> callCount{0};
    std::size_t position = 0;
};

}  // namespace rimba::test
