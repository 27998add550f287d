#pragma once
// What the program keeps an eye on between editor idles: the JACK server under the audio output
// and the MIDI input, and a MIDI source that went and came back. Main thread only.
//
// A JACK client whose server stopped is dead for good, and libjack keeps per-process state (the
// server's shared graph and engine records, its table of clients) that it builds afresh only
// once every client of the process is closed. Left open, the dead clients are closed and freed
// by libjack itself at the next jack_client_open in the process (the plug-in's device lists open
// one as well), and the program then holds freed clients: a later close of one closes whatever
// new client took its place. So the dead clients are closed here, on the main thread, before
// anything else may open a client; then the server is asked for once a second until it
// answers, and the devices that played through it are opened again from the plug-in's settings.

#include <cstdint>

#include "common/vst/VstAbi.h"

namespace rimba::standalone {

class AudioOutput;
class MidiInputPort;

class DeviceWatch {
public:
    static constexpr std::uint32_t kServerPollMilliseconds = 1000;

    DeviceWatch(AEffect* plugin, AudioOutput& audio, MidiInputPort& midi);

    // Every idle tick: a lost server, its return, a MIDI source back under its name.
    void attend();
    // Before any device opens: closes the devices whose JACK server went away and says so once.
    void closeLostJackClients();

private:
    void reconnectWhenTheServerAnswers();

    AEffect* plugin;
    AudioOutput& audio;
    MidiInputPort& midi;
    bool audioWaits = false;  // it played through the server that went away
    bool midiWaits = false;
    bool reconnectionSaid = true;  // once per lost server
    std::uint32_t lastPoll = 0;
};

// The idle tick's call: the process's watch, once start-up made it (HostRecord::watch).
void attendDevices();

}  // namespace rimba::standalone
