// MIDI in through JACK: a client of its own with one MIDI input connected to the named JACK MIDI
// output; its process callback is the MIDI thread that feeds the queue.

#include <jack/jack.h>
#include <jack/midiport.h>

#include <cerrno>

#include "StandAlone/devices/MidiDevice.h"

namespace rimba::standalone {

namespace {

class JackMidiInput final : public MidiInputPort::Device {
public:
    explicit JackMidiInput(MidiInputPort& port) : port(port) {}

    ~JackMidiInput() override {
        if (client == nullptr)
            return;
        jack_deactivate(client);
        jack_client_close(client);
    }

    bool start(const std::string& source) {
        jack_status_t status{};
        client = jack_client_open("RimbaDrums-midi", JackNoStartServer, &status);
        if (client == nullptr)
            return false;
        input = jack_port_register(client, "midi_in", JACK_DEFAULT_MIDI_TYPE, JackPortIsInput, 0);
        if (input == nullptr || jack_set_process_callback(client, &JackMidiInput::process, this) != 0 ||
            jack_activate(client) != 0)
            return false;
        const int connected = jack_connect(client, source.c_str(), jack_port_name(input));
        return connected == 0 || connected == EEXIST;
    }

private:
    static int process(jack_nframes_t frames, void* self) {
        static_cast<JackMidiInput*>(self)->takeMessages(frames);
        return 0;
    }

    // Short messages only, as a MIDI-in driver delivers them; system exclusive and running-status
    // fragments (no status byte) are not for the plug-in.
    void takeMessages(jack_nframes_t frames) {
        void* buffer = jack_port_get_buffer(input, frames);
        const jack_nframes_t count = jack_midi_get_event_count(buffer);
        for (jack_nframes_t index = 0; index < count; ++index) {
            jack_midi_event_t event{};
            if (jack_midi_event_get(&event, buffer, index) != 0 || !isShortMessage(event.buffer, event.size))
                continue;
            port.receive(event.buffer[0], event.size > 1 ? event.buffer[1] : 0, event.size > 2 ? event.buffer[2] : 0);
        }
    }

    MidiInputPort& port;
    jack_client_t* client = nullptr;
    jack_port_t* input = nullptr;
};

}  // namespace

std::unique_ptr<MidiInputPort::Device> openJackMidiInput(MidiInputPort& port, const std::string& source) {
    auto device = std::make_unique<JackMidiInput>(port);
    if (!device->start(source))
        return nullptr;
    return device;
}

}  // namespace rimba::standalone
