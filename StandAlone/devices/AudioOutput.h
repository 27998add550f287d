#pragma once
// The standalone program's audio output: plays the plug-in through JACK (the device name "JACK",
// the server dictating rate and block size) or an ALSA PCM playback device (matched by name,
// "default" when none matches; five periods of one block, 16-bit interleaved). Before every
// block it hands the queued MIDI input to the plug-in, then calls processReplacing once.
// open/close: main thread. processBlock: the device's audio thread; it never blocks or allocates.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "common/vst/VstAbi.h"

namespace rimba::standalone {

class MidiInputPort;

class AudioOutput {
public:
    AudioOutput(AEffect* plugin, MidiInputPort* midi);
    ~AudioOutput();
    AudioOutput(const AudioOutput&) = delete;
    AudioOutput& operator=(const AudioOutput&) = delete;

    // Closes whatever is open, then opens the named device; a device that does not open leaves
    // the output silent (start-up goes on).
    void open(const std::string& deviceName, int blockSize, int sampleRate);
    void close();

    bool isOpen() const;
    int sampleRate() const;  // in force: a JACK server's own rate after a JACK open
    int blockSize() const;

    // One block: MIDI hand-over, then processReplacing into the two channel buffers.
    void processBlock(int frames);
    const float* channel(int index) const;

    struct Device;  // the open backend (JACK client or ALSA PCM with its feeder thread)

private:
    AEffect* plugin;
    MidiInputPort* midi;
    std::vector<float> left, right;
    std::unique_ptr<Device> device;
    int rateInForce = 0;
    int blockInForce = 0;
};

// 1.5 gives 32767, -1.5 gives -32768: clamped, then scaled by 32767 (32768 below zero).
std::int16_t toSample16(float value);

// The names the settings menu offers: the ALSA PCM playback devices, then "JACK" when a JACK
// server answers, each shortened by the listed-name rule (over 31 characters: the first 28
// and "...").
std::vector<std::string> listAudioOutputDevices();
std::string listedName(const std::string& name);

}  // namespace rimba::standalone
