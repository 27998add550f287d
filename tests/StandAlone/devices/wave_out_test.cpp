// Wave-out under Wine, whose ALSA driver plays into a file: the test's HOME (set by CTest) holds
// an .asoundrc whose default device is a "file" plug-in writing RIMBA_WAVE_OUT_CAPTURE, raw
// 16-bit stereo, not paced in real time.

#include <gtest/gtest.h>

#include "common/platform/win32/Windows.h"

#include <mmsystem.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <thread>
#include <vector>

#include "StandAlone/devices/AudioDevice.h"
#include "StandAlone/devices/win32/WaveOut.h"
#include "StandAlone/devices/win32/WindowsDevices.h"
#include "common/platform/DeviceNames.h"
#include "tests/StandAlone/devices/FakePlugin.h"

namespace rimba::standalone {
namespace {

constexpr int kBlock = 256;

bool waitUntil(const std::function<bool()>& condition) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!condition()) {
        if (std::chrono::steady_clock::now() > end)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

struct Frame {
    std::int16_t left, right;
    bool operator==(const Frame&) const = default;
};

std::vector<Frame> capturedFrames() {
    std::ifstream file(RIMBA_WAVE_OUT_CAPTURE, std::ios::binary);
    std::vector<Frame> frames;
    Frame frame{};
    while (file.read(reinterpret_cast<char*>(&frame), sizeof frame))
        frames.push_back(frame);
    return frames;
}

// The driver plays silence of its own wherever it ran short (at the start, and whenever the
// feeder was late for a device that is not paced); the fake plug-in's signal never holds a
// silent frame, since right is left's next sample of a cycle with a single 0.
std::vector<Frame> withoutSilence(const std::vector<Frame>& frames) {
    std::vector<Frame> sound;
    for (const Frame& frame : frames) {
        if (frame != Frame{0, 0})
            sound.push_back(frame);
    }
    return sound;
}

// The frames the fake plug-in's signal turns into, from its first sample on.
std::vector<Frame> expectedSignal(std::size_t frames) {
    std::vector<Frame> signal;
    for (std::size_t position = 0; position < frames; ++position)
        signal.push_back({test::kSignalCycle16[position % 9], test::kSignalCycle16[(position + 1) % 9]});
    return signal;
}

TEST(WaveOut, ANameOpensTheFirstDeviceOfThatProductNameAndAnyOtherTheWaveMapper) {
    const std::vector<std::string> names = platform::systemAudioOutputDeviceNames();
    ASSERT_FALSE(names.empty()) << "Wine lists the ALSA default device";
    for (std::size_t index = 0; index < names.size(); ++index) {
        const auto first = static_cast<unsigned>(std::find(names.begin(), names.end(), names[index]) - names.begin());
        EXPECT_EQ(waveOutDeviceFor(names[index]), first) << names[index];
    }
    for (const std::string& name : {std::string(), std::string("No such output"), names[0] + " ", names[0].substr(1)})
        EXPECT_EQ(waveOutDeviceFor(name), WAVE_MAPPER) << name;
}

TEST(WaveOut, PlaysThePluginsBlocksInOrderAsInterleaved16BitPairsOnTheNamedDeviceOrTheWaveMapper) {
    const std::vector<std::string> names = platform::systemAudioOutputDeviceNames();
    ASSERT_FALSE(names.empty());
    for (const std::string& name : {names[0], std::string("No such output")}) {
        std::filesystem::remove(RIMBA_WAVE_OUT_CAPTURE);
        test::FakePlugin fake;
        AudioOutput output(fake.plugin(), nullptr);
        std::unique_ptr<AudioOutput::Device> device = openWaveOutOutput(output, name, kBlock, 44100);
        ASSERT_NE(device, nullptr) << name;
        EXPECT_EQ(output.blockSize(), kBlock);
        EXPECT_EQ(output.sampleRate(), 44100);
        ASSERT_TRUE(waitUntil([&] { return fake.blockCount() >= 40; })) << name << ": " << fake.blockCount();
        device.reset();
        EXPECT_EQ(liveWaveOutFeeders(), 0) << "the close waited for its feeder";
        EXPECT_EQ(fake.lastBlockFrames(), kBlock);

        const std::vector<Frame> sound = withoutSilence(capturedFrames());
        const int processed = fake.blockCount();
        // The blocks still queued at the close are dropped (the last played one perhaps cut short by
        // the reset); those played arrive in order, none lost or repeated.
        EXPECT_GE(sound.size(), std::size_t{10} * kBlock) << name;
        EXPECT_LE(sound.size(), static_cast<std::size_t>(processed) * kBlock) << name;
        EXPECT_TRUE(sound == expectedSignal(sound.size())) << name;
    }
}

// Made in the test: its first processReplacing does not return until the test lets it.
class StallingPlugin {
public:
    StallingPlugin() {
        effect.magic = kEffectMagic;
        effect.dispatcher = [](AEffect*, VstInt32, VstInt32, VstIntPtr, void*, float) -> VstIntPtr { return 0; };
        effect.processReplacing = [](AEffect* e, float**, float**, VstInt32) {
            auto* self = static_cast<StallingPlugin*>(e->object);
            if (self->calls.fetch_add(1) == 0) {
                SetEvent(self->entered);
                WaitForSingleObject(self->released, INFINITE);
            }
        };
        effect.numOutputs = 2;
        effect.object = this;
    }
    ~StallingPlugin() {
        CloseHandle(entered);
        CloseHandle(released);
    }

    AEffect effect{};
    HANDLE entered = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    HANDLE released = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    std::atomic<int> calls{0};
};

TEST(WaveOut, ACloseReturnsWhileThePluginHoldsTheFeederWhichEndsWhenReleased) {
    StallingPlugin plugin;
    AudioOutput output(&plugin.effect, nullptr);
    std::unique_ptr<AudioOutput::Device> device = openWaveOutOutput(output, "", kBlock, 44100);
    ASSERT_NE(device, nullptr);
    ASSERT_EQ(WaitForSingleObject(plugin.entered, 10000), WAIT_OBJECT_0) << "the feeder never processed";

    // The close runs beside the test, so that a close that waits for the plug-in is seen as such
    // (and the plug-in then released) rather than hanging the test.
    std::atomic<bool> closed{false};
    std::thread closer([&] {
        device.reset();
        closed = true;
    });
    const bool closedWhileHeld = waitUntil([&] { return closed.load(); });
    SetEvent(plugin.released);
    closer.join();
    EXPECT_TRUE(closedWhileHeld);
    EXPECT_TRUE(waitUntil([] { return liveWaveOutFeeders() == 0; }));
    EXPECT_EQ(plugin.calls, 1) << "a feeder released after its close feeds nothing";
}

}  // namespace
}  // namespace rimba::standalone
