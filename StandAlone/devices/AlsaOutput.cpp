// Audio out through an ALSA PCM playback device: 16-bit interleaved stereo, five periods of one
// block, queued full of silence at open and then kept full by a feeder thread of its own.

#include <alsa/asoundlib.h>
#include <pthread.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <thread>
#include <vector>

#include "StandAlone/devices/AudioDevice.h"
#include "common/platform/DeviceNames.h"

namespace rimba::standalone {

namespace {

constexpr unsigned kPeriods = 5;
// The feeder looks at its stop flag at least this often while the device is full.
constexpr int kWaitMilliseconds = 100;

bool configure(snd_pcm_t* pcm, int blockSize, int& sampleRate) {
    snd_pcm_hw_params_t* params = nullptr;
    if (snd_pcm_hw_params_malloc(&params) < 0)
        return false;
    auto frames = static_cast<snd_pcm_uframes_t>(blockSize);
    unsigned periods = kPeriods;
    auto rate = static_cast<unsigned>(sampleRate);
    const bool done = snd_pcm_hw_params_any(pcm, params) >= 0 &&
                      snd_pcm_hw_params_set_access(pcm, params, SND_PCM_ACCESS_RW_INTERLEAVED) >= 0 &&
                      snd_pcm_hw_params_set_format(pcm, params, SND_PCM_FORMAT_S16_LE) >= 0 &&
                      snd_pcm_hw_params_set_channels(pcm, params, 2) >= 0 &&
                      snd_pcm_hw_params_set_rate_near(pcm, params, &rate, nullptr) >= 0 &&
                      snd_pcm_hw_params_set_period_size_near(pcm, params, &frames, nullptr) >= 0 &&
                      snd_pcm_hw_params_set_periods_near(pcm, params, &periods, nullptr) >= 0 &&
                      snd_pcm_hw_params(pcm, params) >= 0;
    snd_pcm_hw_params_free(params);
    // A device without the asked rate plays at its own, and the time record must say so.
    sampleRate = static_cast<int>(rate);
    return done && snd_pcm_prepare(pcm) >= 0;
}

// The feeder competes with the user interface; real-time scheduling is asked for and its refusal
// (an ordinary user without the right) is accepted.
void raiseFeederPriority() {
    sched_param parameter{};
    parameter.sched_priority = sched_get_priority_min(SCHED_FIFO) + 10;
    pthread_setschedparam(pthread_self(), SCHED_FIFO, &parameter);
}

class AlsaOutput final : public AudioOutput::Device {
public:
    AlsaOutput(AudioOutput& output, snd_pcm_t* pcm, int blockSize)
        : output(output), pcm(pcm), blockSize(blockSize), interleaved(static_cast<std::size_t>(blockSize) * 2, 0) {}

    ~AlsaOutput() override {
        running.store(false, std::memory_order_release);
        if (feeder.joinable())
            feeder.join();
        snd_pcm_drop(pcm);
        snd_pcm_close(pcm);
    }

    // Before the feeder runs: the device starts on five blocks of silence (as many as it has
    // periods), so the feeder's first block has four blocks' time to arrive rather than none. A
    // device that took fewer periods takes what fits; one that refuses the write fails the open.
    bool queueSilence() {
        std::fill(interleaved.begin(), interleaved.end(), std::int16_t{0});
        for (unsigned block = 0; block < kPeriods; ++block) {
            const snd_pcm_sframes_t written =
                snd_pcm_writei(pcm, interleaved.data(), static_cast<snd_pcm_uframes_t>(blockSize));
            if (written == -EAGAIN || (written >= 0 && written < blockSize))
                return true;  // full
            if (written < 0)
                return false;
        }
        return true;
    }

    void start() {
        running.store(true, std::memory_order_release);
        feeder = std::thread([this] { feed(); });
    }

private:
    void feed() {
        raiseFeederPriority();
        while (running.load(std::memory_order_acquire)) {
            output.processBlock(blockSize);
            convertBlock();
            if (!writeBlock())
                return;  // the device failed: the output falls silent until the next open
        }
    }

    void convertBlock() {
        const float* left = output.channel(0);
        const float* right = output.channel(1);
        for (int frame = 0; frame < blockSize; ++frame) {
            interleaved[2 * static_cast<std::size_t>(frame)] = toSample16(left[frame]);
            interleaved[2 * static_cast<std::size_t>(frame) + 1] = toSample16(right[frame]);
        }
    }

    // Waits for room in bounded steps so that a close never waits for a stalled device.
    bool writeBlock() {
        const std::int16_t* from = interleaved.data();
        auto left = static_cast<snd_pcm_uframes_t>(blockSize);
        while (left > 0) {
            if (!running.load(std::memory_order_acquire))
                return true;
            const snd_pcm_sframes_t written = snd_pcm_writei(pcm, from, left);
            if (written == -EAGAIN) {
                snd_pcm_wait(pcm, kWaitMilliseconds);
                continue;
            }
            if (written < 0) {
                if (snd_pcm_recover(pcm, static_cast<int>(written), 1) < 0)
                    return false;
                continue;
            }
            from += written * 2;
            left -= static_cast<snd_pcm_uframes_t>(written);
        }
        return true;
    }

    AudioOutput& output;
    snd_pcm_t* pcm;
    int blockSize;
    std::vector<std::int16_t> interleaved;
    std::atomic<bool> running{false};
    std::thread feeder;
};

}  // namespace

std::string alsaDeviceFor(const std::string& deviceName) {
    for (const std::string& name : platform::systemAudioOutputDeviceNames()) {
        if (name == deviceName || platform::listedDeviceName(name) == deviceName)
            return name;
    }
    return "default";
}

std::unique_ptr<AudioOutput::Device> openAlsaOutput(AudioOutput& output, const std::string& deviceName, int blockSize,
                                                    int sampleRate) {
    snd_pcm_t* pcm = nullptr;
    if (snd_pcm_open(&pcm, alsaDeviceFor(deviceName).c_str(), SND_PCM_STREAM_PLAYBACK, SND_PCM_NONBLOCK) < 0)
        return nullptr;
    int rate = sampleRate;
    if (!configure(pcm, blockSize, rate)) {
        snd_pcm_close(pcm);
        return nullptr;
    }
    output.prepare(rate, blockSize, blockSize);
    auto device = std::make_unique<AlsaOutput>(output, pcm, blockSize);
    if (!device->queueSilence())
        return nullptr;  // the device's destructor closes the PCM
    device->start();
    return device;
}

}  // namespace rimba::standalone
