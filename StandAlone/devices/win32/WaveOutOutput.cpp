// Audio out through a wave-out device: five buffers of one block, 16-bit interleaved stereo,
// queued full of silence at open and refilled by a feeder thread of its own whenever the driver
// reports one played.

#include "StandAlone/devices/win32/WaveOut.h"
#include "StandAlone/devices/win32/WindowsDevices.h"

#include "common/platform/win32/Windows.h"

#include <mmsystem.h>

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <vector>

#include "StandAlone/devices/AudioDevice.h"

namespace rimba::standalone {

namespace {

constexpr int kBuffers = 5;
constexpr int kBytesPerFrame = 4;  // two 16-bit samples
// How long a close waits for its feeder to end. The feeder is woken at once by the stop event;
// only a plug-in that does not return from processReplacing keeps it longer, and a close must
// not wait for that.
constexpr DWORD kFeederEndMilliseconds = 1000;

std::atomic<int> feedersAlive{0};

// The part of the device its feeder thread shares. A close that stops waiting for a feeder held
// inside the plug-in leaves this behind with the feeder, which then ends without touching the
// closed device: it looks at `running` whenever the plug-in returns.
struct Feed {
    Feed(AudioOutput& output, int blockSize)
        : output(output),
          blockSize(blockSize),
          samples(static_cast<std::size_t>(blockSize) * 2 * kBuffers, 0),
          bufferDone(CreateEventA(nullptr, FALSE, FALSE, nullptr)),
          stop(CreateEventA(nullptr, TRUE, FALSE, nullptr)) {}

    ~Feed() {
        if (bufferDone != nullptr)
            CloseHandle(bufferDone);
        if (stop != nullptr)
            CloseHandle(stop);
    }
    Feed(const Feed&) = delete;
    Feed& operator=(const Feed&) = delete;

    std::int16_t* buffer(int index) { return samples.data() + static_cast<std::size_t>(index) * blockSize * 2; }
    DWORD bufferBytes() const { return static_cast<DWORD>(blockSize * kBytesPerFrame); }

    AudioOutput& output;
    const int blockSize;
    HWAVEOUT device = nullptr;
    std::array<WAVEHDR, kBuffers> headers{};
    std::vector<std::int16_t> samples;
    HANDLE bufferDone;  // auto-reset: one wake for every buffer the driver gives back
    HANDLE stop;  // manual reset: set once, at close
    std::atomic<bool> running{false};
};

// The driver's thread: nothing but the signal, as a wave-out callback may call nothing else.
void CALLBACK onWaveOutMessage(HWAVEOUT, UINT message, DWORD_PTR instance, DWORD_PTR, DWORD_PTR) {
    if (message == WOM_DONE)
        SetEvent(reinterpret_cast<HANDLE>(instance));
}

void interleave(const AudioOutput& output, int frames, std::int16_t* into) {
    const float* left = output.channel(0);
    const float* right = output.channel(1);
    for (int frame = 0; frame < frames; ++frame) {
        into[2 * frame] = toSample16(left[frame]);
        into[2 * frame + 1] = toSample16(right[frame]);
    }
}

// Every played buffer gets the next block. Nothing here allocates or locks.
void refillPlayedBuffers(Feed& feed) {
    for (int index = 0; index < kBuffers; ++index) {
        WAVEHDR& header = feed.headers[static_cast<std::size_t>(index)];
        if (!feed.running.load(std::memory_order_acquire))
            return;
        if ((header.dwFlags & WHDR_DONE) == 0)
            continue;
        feed.output.processBlock(feed.blockSize);
        // A close may have given up on this thread while the plug-in held it: the device is
        // then closed, and nothing of it may be touched.
        if (!feed.running.load(std::memory_order_acquire))
            return;
        interleave(feed.output, feed.blockSize, feed.buffer(index));
        waveOutUnprepareHeader(feed.device, &header, sizeof header);
        header.dwFlags = 0;
        header.dwBufferLength = feed.bufferBytes();
        waveOutPrepareHeader(feed.device, &header, sizeof header);
        waveOutWrite(feed.device, &header, sizeof header);
    }
}

// Owns one share of the feed, given as a heap copy it deletes when it ends.
DWORD WINAPI runFeeder(void* parameter) {
    std::unique_ptr<std::shared_ptr<Feed>> share(static_cast<std::shared_ptr<Feed>*>(parameter));
    Feed& feed = **share;
    SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_TIME_CRITICAL);
    // The stop event first: when both are set, stopping wins.
    const HANDLE wakes[2] = {feed.stop, feed.bufferDone};
    while (WaitForMultipleObjects(2, wakes, FALSE, INFINITE) == WAIT_OBJECT_0 + 1 &&
           feed.running.load(std::memory_order_acquire))
        refillPlayedBuffers(feed);
    share.reset();
    feedersAlive.fetch_sub(1, std::memory_order_acq_rel);
    return 0;
}

class WaveOutOutput final : public AudioOutput::Device {
public:
    explicit WaveOutOutput(std::shared_ptr<Feed> feed) : feed(std::move(feed)) {}

    ~WaveOutOutput() override {
        stopFeeder();
        if (feed->device == nullptr)
            return;
        waveOutReset(feed->device);
        for (WAVEHDR& header : feed->headers) {
            if ((header.dwFlags & WHDR_PREPARED) != 0)
                waveOutUnprepareHeader(feed->device, &header, sizeof header);
        }
        waveOutClose(feed->device);
        feed->device = nullptr;
    }

    bool openDevice(UINT deviceId, int sampleRate) {
        if (feed->bufferDone == nullptr || feed->stop == nullptr)
            return false;
        WAVEFORMATEX format{};
        format.wFormatTag = WAVE_FORMAT_PCM;
        format.nChannels = 2;
        format.nSamplesPerSec = static_cast<DWORD>(sampleRate);
        format.wBitsPerSample = 16;
        format.nBlockAlign = kBytesPerFrame;
        format.nAvgBytesPerSec = format.nSamplesPerSec * kBytesPerFrame;
        HWAVEOUT device = nullptr;
        if (waveOutOpen(&device, deviceId, &format, reinterpret_cast<DWORD_PTR>(&onWaveOutMessage),
                        reinterpret_cast<DWORD_PTR>(feed->bufferDone), CALLBACK_FUNCTION) != MMSYSERR_NOERROR)
            return false;
        feed->device = device;
        return true;
    }

    // The buffers hold silence until the feeder fills them.
    bool prepareBuffers() {
        for (int index = 0; index < kBuffers; ++index) {
            WAVEHDR& header = feed->headers[static_cast<std::size_t>(index)];
            header.lpData = reinterpret_cast<LPSTR>(feed->buffer(index));
            header.dwBufferLength = feed->bufferBytes();
            if (waveOutPrepareHeader(feed->device, &header, sizeof header) != MMSYSERR_NOERROR)
                return false;
        }
        return true;
    }

    bool startFeeder() {
        feed->running.store(true, std::memory_order_release);
        auto* share = new std::shared_ptr<Feed>(feed);
        feedersAlive.fetch_add(1, std::memory_order_acq_rel);
        feeder = CreateThread(nullptr, 0, &runFeeder, share, 0, nullptr);
        if (feeder != nullptr)
            return true;
        feedersAlive.fetch_sub(1, std::memory_order_acq_rel);
        delete share;
        feed->running.store(false, std::memory_order_release);
        return false;
    }

    // Five blocks of silence start the device, so the feeder's first block has four blocks'
    // time to arrive rather than none.
    bool queueSilence() {
        for (WAVEHDR& header : feed->headers) {
            if (waveOutWrite(feed->device, &header, sizeof header) != MMSYSERR_NOERROR)
                return false;
        }
        return true;
    }

private:
    // Bounded: the feeder wakes on the stop event at once unless the plug-in holds it, and then
    // it ends by itself when the plug-in returns (see Feed).
    void stopFeeder() {
        feed->running.store(false, std::memory_order_release);
        if (feed->stop != nullptr)
            SetEvent(feed->stop);
        if (feeder == nullptr)
            return;
        WaitForSingleObject(feeder, kFeederEndMilliseconds);
        CloseHandle(feeder);
        feeder = nullptr;
    }

    std::shared_ptr<Feed> feed;
    HANDLE feeder = nullptr;
};

}  // namespace

unsigned waveOutDeviceFor(const std::string& deviceName) {
    // Product names hold at most 31 characters, so comparing whole names compares at most that.
    const UINT count = waveOutGetNumDevs();
    for (UINT device = 0; device < count; ++device) {
        WAVEOUTCAPSA caps{};
        if (waveOutGetDevCapsA(device, &caps, sizeof caps) == MMSYSERR_NOERROR && deviceName == caps.szPname)
            return device;
    }
    return WAVE_MAPPER;
}

int liveWaveOutFeeders() { return feedersAlive.load(std::memory_order_acquire); }

std::unique_ptr<AudioOutput::Device> openWaveOutOutput(AudioOutput& output, const std::string& deviceName,
                                                       int blockSize, int sampleRate) {
    output.prepare(sampleRate, blockSize, blockSize);
    auto device = std::make_unique<WaveOutOutput>(std::make_shared<Feed>(output, blockSize));
    // A step that fails leaves the device's destructor to release what the steps before made.
    if (!device->openDevice(waveOutDeviceFor(deviceName), sampleRate) || !device->prepareBuffers() ||
        !device->startFeeder() || !device->queueSilence())
        return nullptr;
    return device;
}

}  // namespace rimba::standalone
