#pragma once
// An instrument in a host whose clock each test sets, with buffers for every host output, a
// recording of what the blocks wrote, sounds made in memory and a stand-in for hosted plug-ins.

#include <array>
#include <atomic>
#include <cmath>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "plugin/core/VornDrums.h"
#include "tests/support/InstrumentProbe.h"

namespace rimba::engine_test {

constexpr double kRate = 44100.0;
// One sixteenth note at 120 BPM and 44100 Hz: 44100 * 60 / 120 / 4 samples.
constexpr double kStep = 5512.5;
constexpr long kBar = 88200;  // 16 steps

// The start of step j in samples, as the sequencer places it: the whole sample it falls in.
inline long stepStart(long j) { return static_cast<long>(std::trunc(static_cast<double>(j) * kStep)); }

// What the host answers audioMasterGetTime with; `answers` false makes it answer nothing. And
// how often the instrument said its latency changed (audioMasterIOChanged, from any thread).
struct HostClock {
    VstTimeInfo time{};
    bool answers = true;
    std::atomic<int> ioChanges{0};
};

// The host callback: the version, and the clock of the Engine the effect belongs to.
VstIntPtr engineHost(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt);

class Engine {
public:
    explicit Engine(int trackCount = kDefaultTrackCount, bool standaloneHost = false);
    Engine(const Engine&) = delete;
    Engine& operator=(const Engine&) = delete;

    VornDrums* operator->() { return drums.get(); }
    VornDrums& operator*() { return *drums; }

    // Transport: playing from `samplePos`, or stopped where it is.
    void play(double samplePos = 0.0);
    void stop();

    // Makes room for blocks of up to `frames` (no allocation in render afterwards).
    void prepare(int frames);
    // Renders one block at the clock's position into the buffers, records it, and moves the
    // clock on by `frames` while the transport plays.
    void render(int frames);
    // The same without recording: for measurements that must not disturb the block.
    void renderUnrecorded(int frames);
    // Renders `total` frames in blocks of `blockSize`; the last block may be shorter.
    void renderInBlocks(long total, int blockSize);

    int channelCount() const { return static_cast<int>(buffers.size()); }
    float* channel(int c) { return buffers[static_cast<std::size_t>(c)].data(); }
    int trackChannel(int track) const { return 2 + track; }
    int sendChannel(int send, int side) const { return test::stateOf(*drums).trackCount + 2 + 2 * send + side; }

    std::unique_ptr<VornDrums> drums;
    HostClock clock;

    // Everything rendered since construction (or clearRecording), channel by channel.
    std::vector<std::vector<float>> recorded;
    const std::vector<float>& masterLeft() const { return recorded[0]; }
    const std::vector<float>& masterRight() const { return recorded[1]; }
    const std::vector<float>& trackOutput(int track) const { return recorded[static_cast<std::size_t>(2 + track)]; }
    void clearRecording();

private:
    std::vector<std::vector<float>> buffers;
    std::vector<float*> pointers;
};

// A sound made in memory, appended to the instrument's list; returns its index. The path is a
// name no file has, so loading a track by path never finds it by accident.
int addSound(VornDrums& drums, std::vector<std::int16_t> samples, float sampleRate = 44100.0f);
// Gives track `track` the sound at `index` without going through its path.
void assignSound(VornDrums& drums, int track, int index);

std::vector<std::int16_t> constantSamples(int frames, std::int16_t value);
// Sample n has the value n * slope (wrapping is the caller's business).
std::vector<std::int16_t> rampSamples(int frames, int slope);

// A track whose sound is `frames` frames of one value, whose velocity gain is 1 for every
// velocity and has already settled, and whose voice has finished an earlier note, so its output
// is non-zero from the very sample a note fires.
void makeProbeTrack(VornDrums& drums, int track, int frames, std::int16_t value = 16384);

// Every index where `channel` turns from silence (or the start) to sound.
std::vector<long> onsets(const std::vector<float>& channel);

// A note message for processEvents.
void sendMidi(VornDrums& drums, std::uint8_t status, std::uint8_t data1, std::uint8_t data2, std::int32_t deltaFrames);

// A hosted plug-in that the test controls: its processBlock runs `process` on its buffers.
class FakePlugin : public HostedPlugin {
public:
    static constexpr int kChannels = 2 + kTrackSlots;

    struct QueuedNote {
        std::int32_t deltaFrames;
        std::uint8_t status;
        std::uint8_t data1;
        std::uint8_t data2;
    };

    FakePlugin();

    float* inputChannel(int channel) override { return inputs[static_cast<std::size_t>(channel)].data(); }
    float* outputChannel(int channel) override { return outputs[static_cast<std::size_t>(channel)].data(); }
    void processBlock(int frames) override;
    void queueMidi(std::int32_t deltaFrames, std::uint8_t status, std::uint8_t data1, std::uint8_t data2) override;
    void deliverQueuedMidi() override;
    void setParameter(std::int32_t index, float value) override;
    void setSampleRate(float) override {}
    void setBlockSize(std::int32_t) override {}

    // Called with the frame count; writes the outputs from the inputs.
    std::function<void(FakePlugin&, int)> process;
    int processCalls = 0;
    int lastFrames = 0;
    std::vector<QueuedNote> queued;  // reserved up front; cleared by deliverQueuedMidi
    std::vector<QueuedNote> delivered;  // everything delivered so far
    int deliveries = 0;
    std::vector<std::pair<std::int32_t, float>> parameters;

    std::array<std::vector<float>, kChannels> inputs;
    std::array<std::vector<float>, kChannels> outputs;
};

// Waits until a render thread that counts its blocks in `blocks` has finished `count` more.
inline void waitForBlocks(const std::atomic<long>& blocks, long count) {
    const long target = blocks.load() + count;
    while (blocks.load() < target)
        std::this_thread::yield();
}

}  // namespace rimba::engine_test
