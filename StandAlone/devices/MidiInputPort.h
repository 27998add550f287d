#pragma once
// The standalone program's MIDI input: the ALSA sequencer port or JACK MIDI port that the
// plug-in names, opened by exact name. The MIDI thread queues every message but active sensing
// in a lock-free single-producer single-consumer queue; the audio thread hands each one to the
// plug-in as an effProcessEvents of its own, at frame 0 of the next block, in arrival order.
// reopen/open/close: main thread. receive: the MIDI thread. handOver: the audio thread.
//
// A port that goes and comes back under the same name is taken again: the sequencer input
// follows the system's announcements on its own thread, the JACK input notes port registrations
// and connects on the main thread (attend).
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
    // Messages that wait for the next block (a ring of 1024 entries keeps one free); more are
    // dropped, never waited for.
    static constexpr std::size_t kQueueCapacity = 1023;

    explicit MidiInputPort(AEffect* plugin);  // opens the device the plug-in names
    ~MidiInputPort();
    MidiInputPort(const MidiInputPort&) = delete;
    MidiInputPort& operator=(const MidiInputPort&) = delete;

    enum class OpenResult { opened, noSuchDevice, failed };
    // Close, then open the name read through the private parameter link.
    OpenResult reopen();
    // No device of that name (an empty name included): silently no input. A named device that
    // does not open shows "Unable to open the MIDI port !".
    OpenResult open(const std::string& deviceName);
    void close();
    bool isStarted() const;
    // A JACK client takes the input; its server went away since (see AudioOutput).
    bool takesJackMidi() const;
    bool lostJackServer() const;
    // Main thread, from the program's idle timer: connects the named port again when it came
    // back after it went (a JACK MIDI port re-registered under the same name).
    void attend();

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
