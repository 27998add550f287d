// MIDI in through JACK: a client of its own with one MIDI input connected to the named JACK MIDI
// output; its process callback is the MIDI thread that feeds the queue. When the source goes
// (its program ends, a bridge drops a keyboard) JACK drops the connection with it; a port
// registered later under the same name is connected again.

#include <jack/jack.h>
#include <jack/midiport.h>

#include <atomic>
#include <cerrno>
#include <string>

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

    bool start(const std::string& name) {
        source = name;
        jack_status_t status{};
        client = jack_client_open("RimbaDrums-midi", JackNoStartServer, &status);
        if (client == nullptr)
            return false;
        input = jack_port_register(client, "midi_in", JACK_DEFAULT_MIDI_TYPE, JackPortIsInput, 0);
        if (input == nullptr)
            return false;
        jack_on_info_shutdown(client, &JackMidiInput::serverGone, this);
        if (jack_set_process_callback(client, &JackMidiInput::process, this) != 0 ||
            jack_set_port_registration_callback(client, &JackMidiInput::portRegistered, this) != 0 ||
            jack_activate(client) != 0)
            return false;
        return connectSource();
    }

    bool isJack() const override { return true; }
    bool lostServer() const override { return lost.load(std::memory_order_acquire); }

    void attend() override {
        if (!registrations.exchange(false, std::memory_order_acq_rel) || lostServer())
            return;
        // Only a source that is back: the musician may have connected other ports by hand.
        if (jack_port_connected_to(input, source.c_str()) == 0 && jack_port_by_name(client, source.c_str()) != nullptr)
            connectSource();
    }

private:
    bool connectSource() {
        const int connected = jack_connect(client, source.c_str(), jack_port_name(input));
        return connected == 0 || connected == EEXIST;
    }

    static int process(jack_nframes_t frames, void* self) {
        static_cast<JackMidiInput*>(self)->takeMessages(frames);
        return 0;
    }

    // JACK's notification thread: a connection made from here would wait for this thread, so the
    // main thread looks at the flag.
    static void portRegistered(jack_port_id_t, int registered, void* self) {
        if (registered != 0)
            static_cast<JackMidiInput*>(self)->registrations.store(true, std::memory_order_release);
    }

    static void serverGone(jack_status_t, const char*, void* self) {
        static_cast<JackMidiInput*>(self)->lost.store(true, std::memory_order_release);
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
    std::string source;
    jack_client_t* client = nullptr;
    jack_port_t* input = nullptr;
    std::atomic<bool> registrations{false};
    std::atomic<bool> lost{false};
};

}  // namespace

std::unique_ptr<MidiInputPort::Device> openJackMidiInput(MidiInputPort& port, const std::string& source) {
    auto device = std::make_unique<JackMidiInput>(port);
    if (!device->start(source))
        return nullptr;
    return device;
}

}  // namespace rimba::standalone
