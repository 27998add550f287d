#include "StandAlone/devices/AudioOutput.h"

#include <algorithm>
#include <cmath>

#include "StandAlone/devices/AudioDevice.h"
#include "StandAlone/devices/MidiInputPort.h"
#include "StandAlone/devices/SystemDevices.h"
#include "common/platform/DeviceNames.h"

namespace rimba::standalone {

namespace {

int saneBlockSize(int frames) { return std::clamp(frames, AudioOutput::kSmallestBlock, AudioOutput::kLargestBlock); }

int saneSampleRate(int rate) {
    const bool usable = rate >= AudioOutput::kLowestSampleRate && rate <= AudioOutput::kHighestSampleRate;
    return usable ? rate : AudioOutput::kFallbackSampleRate;
}

}  // namespace

AudioOutput::AudioOutput(AEffect* plugin, MidiInputPort* midi) : plugin(plugin), midi(midi) { prepareDeviceSystem(); }

AudioOutput::~AudioOutput() { close(); }

void AudioOutput::open(const std::string& deviceName, int blockSize, int sampleRate) {
    close();
    blockSize = saneBlockSize(blockSize);
    sampleRate = saneSampleRate(sampleRate);
    device = openOutputDevice(*this, deviceName, blockSize, sampleRate);
    if (!device)
        prepare(sampleRate, blockSize, blockSize);  // silent, but the time record keeps a rate
}

void AudioOutput::close() { device.reset(); }

bool AudioOutput::isOpen() const { return device != nullptr; }

bool AudioOutput::playsThroughJack() const { return device != nullptr && device->isJack(); }

bool AudioOutput::lostJackServer() const { return device != nullptr && device->lostServer(); }

int AudioOutput::sampleRate() const { return rateInForce.load(std::memory_order_relaxed); }

int AudioOutput::blockSize() const { return blockInForce.load(std::memory_order_relaxed); }

void AudioOutput::prepare(int sampleRate, int blockSize, int largestBlock) {
    // Only ever called with no device running, so no audio thread reads the buffers meanwhile.
    const auto frames = static_cast<std::size_t>(std::max(blockSize, largestBlock));
    left.assign(frames, 0.0f);
    right.assign(frames, 0.0f);
    rateInForce.store(sampleRate, std::memory_order_relaxed);
    blockInForce.store(blockSize, std::memory_order_relaxed);
}

void AudioOutput::blockSizeChanged(int frames) { blockInForce.store(frames, std::memory_order_relaxed); }

void AudioOutput::processBlock(int frames) {
    if (frames <= 0 || frames > capacity())
        return;
    if (midi != nullptr)
        midi->handOver();
    if (plugin == nullptr)
        return;
    float* outputs[2] = {left.data(), right.data()};
    plugin->processReplacing(plugin, nullptr, outputs, frames);
}

const float* AudioOutput::channel(int index) const { return index == 0 ? left.data() : right.data(); }

std::int16_t toSample16(float value) {
    // The single-precision factor 0x46FFFF03 with the half-step offset maps 1 to 32767 and -1 to
    // -32768 while truncating toward zero everywhere between.
    constexpr float kScale = 32767.505859375f;
    if (std::isnan(value))
        return 0;
    const float clamped = std::clamp(value, -1.0f, 1.0f);
    return static_cast<std::int16_t>(std::trunc(clamped * kScale - 0.5f));
}

std::string listedName(const std::string& name) { return platform::listedDeviceName(name); }

std::vector<std::string> listAudioOutputDevices() {
    std::vector<std::string> names = platform::audioOutputDeviceNames();
    std::transform(names.begin(), names.end(), names.begin(), listedName);
    return names;
}

}  // namespace rimba::standalone
