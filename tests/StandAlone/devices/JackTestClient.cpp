#include "tests/StandAlone/devices/JackTestClient.h"

#include <jack/midiport.h>

#include <algorithm>
#include <cstdint>

namespace rimba::test {

JackTestClient::JackTestClient(const std::string& name, bool activate) {
    jack_status_t status{};
    client = jack_client_open(name.c_str(), JackNoStartServer, &status);
    if (client == nullptr)
        return;
    midiOut = jack_port_register(client, "out", JACK_DEFAULT_MIDI_TYPE, JackPortIsOutput, 0);
    audioIn = jack_port_register(client, "in", JACK_DEFAULT_AUDIO_TYPE, JackPortIsInput, 0);
    jack_set_process_callback(client, &JackTestClient::process, this);
    if (activate)
        jack_activate(client);
}

JackTestClient::~JackTestClient() {
    if (client == nullptr)
        return;
    jack_deactivate(client);
    jack_client_close(client);
}

std::string JackTestClient::midiOutName() const { return jack_port_name(midiOut); }

std::string JackTestClient::audioInName() const { return jack_port_name(audioIn); }

std::vector<std::string> JackTestClient::connectionsOf(const std::string& port) const {
    std::vector<std::string> names;
    jack_port_t* found = jack_port_by_name(client, port.c_str());
    if (found == nullptr)
        return names;
    if (const char** connections = jack_port_get_all_connections(client, found)) {
        for (const char** each = connections; *each != nullptr; ++each)
            names.emplace_back(*each);
        jack_free(static_cast<void*>(connections));
    }
    return names;
}

int JackTestClient::process(jack_nframes_t frames, void* self) {
    static_cast<JackTestClient*>(self)->run(frames);
    return 0;
}

void JackTestClient::run(jack_nframes_t frames) {
    void* midi = jack_port_get_buffer(midiOut, frames);
    jack_midi_clear_buffer(midi);
    const int left = notesLeft.load();
    if (left != 0) {
        const int number = played.load();
        const std::uint8_t note[3] = {0x90, static_cast<std::uint8_t>((number >> 7) & 0x7F),
                                      static_cast<std::uint8_t>(number & 0x7F)};
        // Active sensing beside every note: the program must never pass it on.
        const std::uint8_t sensing[1] = {0xFE};
        jack_midi_event_write(midi, 0, sensing, 1);
        if (jack_midi_event_write(midi, frames / 2, note, 3) == 0) {
            played.store(number + 1);
            if (left > 0)
                notesLeft.store(left - 1);
        }
    }
    const auto* heard = static_cast<const float*>(jack_port_get_buffer(audioIn, frames));
    const auto [low, high] = std::minmax_element(heard, heard + frames);
    loudest.store(std::max(loudest.load(), *high));
    softest.store(std::min(softest.load(), *low));
}

}  // namespace rimba::test
