#pragma once
// The backends behind MidiInputPort. While a device exists its own thread calls
// MidiInputPort::receive; its destructor stops that thread and releases the port.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "StandAlone/devices/MidiInputPort.h"

namespace rimba::standalone {

struct MidiInputPort::Device {
    virtual ~Device() = default;
    virtual bool isJack() const { return false; }
    // Any thread: set from the JACK client's shutdown notice once its server has gone.
    virtual bool lostServer() const { return false; }
    // Main thread: what the device leaves to it (see MidiInputPort::attend).
    virtual void attend() {}
};

// Whether a message is one the plug-in takes, as a MIDI-in driver delivers them: one to three
// bytes led by a status byte, and not system exclusive (its start 0xF0 or its end 0xF7), which
// travels whole or in pieces and is never a short message. Any thread.
bool isShortMessage(const std::uint8_t* bytes, std::size_t size);

// The ALSA sequencer port named "client:port"; null when the sequencer or the port cannot be
// opened (a machine without /dev/snd/seq), without a word on standard error.
std::unique_ptr<MidiInputPort::Device> openAlsaSequencerInput(MidiInputPort& port, const std::string& source);

// A JACK client with one MIDI input connected to the named JACK MIDI output; null on failure.
std::unique_ptr<MidiInputPort::Device> openJackMidiInput(MidiInputPort& port, const std::string& source);

}  // namespace rimba::standalone
