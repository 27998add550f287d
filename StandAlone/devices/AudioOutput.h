#pragma once
// The standalone program's audio output: plays the plug-in through JACK (the device name "JACK",
// the server dictating rate and block size) or an ALSA PCM playback device (matched by name,
// "default" when none matches; five periods of one block, 16-bit interleaved). Before every
// block it hands the queued MIDI input to the plug-in, then calls processReplacing once.
// open/close: main thread. processBlock: the device's audio thread; it never blocks or allocates.

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "common/vst/VstAbi.h"

namespace rimba::standalone {

class MidiInputPort;

class AudioOutput {
public:
    // What an open takes as it is; a block size outside is brought to the nearer limit, a rate
    // outside becomes kFallbackSampleRate (a damaged setting must not size the buffers at zero
    // or at gigabytes). The command line refuses anything outside.
    static constexpr int kSmallestBlock = 16;
    static constexpr int kLargestBlock = 16384;
    static constexpr int kLowestSampleRate = 8000;
    static constexpr int kHighestSampleRate = 768000;
    static constexpr int kFallbackSampleRate = 44100;

    AudioOutput(AEffect* plugin, MidiInputPort* midi);
    ~AudioOutput();
    AudioOutput(const AudioOutput&) = delete;
    AudioOutput& operator=(const AudioOutput&) = delete;

    // Closes whatever is open, then opens the named device; a device that does not open leaves
    // the output silent (start-up goes on).
    void open(const std::string& deviceName, int blockSize, int sampleRate);
    // Stops the device's thread or client and releases the device; safe to repeat.
    void close();

    bool isOpen() const;
    // A JACK client plays the output; its server went away since (the client is dead until
    // closed: libjack's per-process state is only rebuilt once every client of the process is).
    bool playsThroughJack() const;
    bool lostJackServer() const;
    // Any thread (the time record asks from the audio thread).
    int sampleRate() const;  // in force: a JACK server's own rate after a JACK open
    int blockSize() const;

    // One block: MIDI hand-over, then processReplacing into the two channel buffers. Frames
    // beyond the buffers' capacity are refused (nothing is processed).
    void processBlock(int frames);
    const float* channel(int index) const;

    // For the devices: main thread, before the device starts, sizes the channel buffers for the
    // largest block the device may ask for and records what is in force.
    void prepare(int sampleRate, int blockSize, int largestBlock);
    // The device's own thread, when a JACK server changes its block size.
    void blockSizeChanged(int frames);
    int capacity() const { return static_cast<int>(left.size()); }

    struct Device;  // the open backend (JACK client or ALSA PCM with its feeder thread)

private:
    AEffect* plugin;
    MidiInputPort* midi;
    std::vector<float> left, right;
    std::unique_ptr<Device> device;
    std::atomic<int> rateInForce{0};
    std::atomic<int> blockInForce{0};
};

// 1.5 gives 32767, -1.5 gives -32768: clamped, then truncate(x * 32767.505859375 - 0.5) in single
// precision; not-a-number gives 0.
std::int16_t toSample16(float value);

// The names the settings menu offers: the ALSA PCM playback devices, then "JACK" when a JACK
// server answers, each shortened by the listed-name rule (over 31 characters: the first 28
// and "...").
std::vector<std::string> listAudioOutputDevices();

// Whether a JACK server answers now: a client opened and closed at once, never starting a
// server (a machine without one answers within milliseconds). Main thread.
bool jackServerAnswers();
std::string listedName(const std::string& name);

}  // namespace rimba::standalone
