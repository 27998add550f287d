#pragma once
// The standalone program's MIDI input: the ALSA sequencer port or JACK MIDI port that the
// plug-in names, opened by exact name. The MIDI thread queues every message but active sensing
// in a lock-free single-producer single-consumer queue; the audio thread hands each one to the
// plug-in as an effProcessEvents of its own, at frame 0 of the next block, in arrival order.
// reopen/open/close: main thread. receive: the MIDI thread. handOver: the audio thread.
//
// Device names: an ALSA sequencer port is named "client:port" by the names of its client and
// port (as "Midi Through:Midi Through Port-0"), a JACK MIDI port by its full JACK name (as
// "a2j:keyboard [20] (capture): port"); the listed form of either (see listedDeviceName) opens
// the same port.

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "common/vst/VstAbi.h"

namespace rimba::standalone {

class MidiInputPort {
public:
    // Messages that wait for the next block; more are dropped, never waited for.
    static constexpr std::size_t kQueueCapacity = 1024;

    explicit MidiInputPort(AEffect* plugin);  // opens the device the plug-in names
    ~MidiInputPort();
    MidiInputPort(const MidiInputPort&) = delete;
    MidiInputPort& operator=(const MidiInputPort&) = delete;

    void reopen();  // close, then open the name read through the private parameter link
    void open(const std::string& deviceName);
    void close();
    bool isStarted() const;

    // The MIDI thread's side: one short message, status byte first.
    void receive(std::uint8_t status, std::uint8_t data1, std::uint8_t data2);
    // The audio thread's side.
    void handOver();

    struct Device;  // the open sequencer or JACK MIDI port

private:
    struct Queue;
    AEffect* plugin;
    std::unique_ptr<Queue> queue;
    std::unique_ptr<Device> device;
    std::atomic<bool> started{false};
};

// The names the settings menu offers: ALSA sequencer input ports, then JACK MIDI output ports.
std::vector<std::string> listMidiInputDevices();

}  // namespace rimba::standalone
