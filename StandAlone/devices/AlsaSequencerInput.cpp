// MIDI in through the ALSA sequencer: a client of our own with one writable port subscribed to
// the named port, read by a thread of its own that feeds the queue. The port also hears the
// system's announcements, so a source that goes and comes back under the same name (a keyboard
// unplugged and plugged in again) is subscribed to again.

#include <alsa/asoundlib.h>
#include <poll.h>
#include <unistd.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "StandAlone/devices/MidiDevice.h"
#include "StandAlone/devices/SequencerMessages.h"

namespace rimba::standalone {

namespace {

// The reader looks at its stop flag at least this often.
constexpr int kPollMilliseconds = 100;

// The "client:port" name of the port at `address`; empty when it is not there.
std::string portName(snd_seq_t* sequencer, const snd_seq_addr_t& address) {
    snd_seq_client_info_t* client = nullptr;
    snd_seq_port_info_t* port = nullptr;
    snd_seq_client_info_malloc(&client);
    snd_seq_port_info_malloc(&port);
    std::string name;
    if (client != nullptr && port != nullptr && snd_seq_get_any_client_info(sequencer, address.client, client) >= 0 &&
        snd_seq_get_any_port_info(sequencer, address.client, address.port, port) >= 0)
        name = std::string(snd_seq_client_info_get_name(client)) + ":" + snd_seq_port_info_get_name(port);
    snd_seq_port_info_free(port);
    snd_seq_client_info_free(client);
    return name;
}

// The "client:port" name of a readable port, as the device list spells it.
bool findPort(snd_seq_t* sequencer, const std::string& name, snd_seq_addr_t& address) {
    snd_seq_client_info_t* client = nullptr;
    snd_seq_port_info_t* port = nullptr;
    snd_seq_client_info_malloc(&client);
    snd_seq_port_info_malloc(&port);
    bool found = false;
    if (client != nullptr && port != nullptr) {
        snd_seq_client_info_set_client(client, -1);
        while (!found && snd_seq_query_next_client(sequencer, client) >= 0) {
            snd_seq_port_info_set_client(port, snd_seq_client_info_get_client(client));
            snd_seq_port_info_set_port(port, -1);
            while (!found && snd_seq_query_next_port(sequencer, port) >= 0) {
                const std::string full =
                    std::string(snd_seq_client_info_get_name(client)) + ":" + snd_seq_port_info_get_name(port);
                if (full == name) {
                    address = *snd_seq_port_info_get_addr(port);
                    found = true;
                }
            }
        }
    }
    snd_seq_port_info_free(port);
    snd_seq_client_info_free(client);
    return found;
}

class AlsaSequencerInput final : public MidiInputPort::Device {
public:
    explicit AlsaSequencerInput(MidiInputPort& port) : port(port) {}

    ~AlsaSequencerInput() override {
        running.store(false, std::memory_order_release);
        if (reader.joinable())
            reader.join();
        if (decoder != nullptr)
            snd_midi_event_free(decoder);
        if (sequencer != nullptr)
            snd_seq_close(sequencer);
    }

    bool start(const std::string& source) {
        if (access("/dev/snd/seq", F_OK) != 0)
            return false;  // no sequencer on this machine; ALSA would complain on standard error
        if (snd_seq_open(&sequencer, "default", SND_SEQ_OPEN_INPUT, SND_SEQ_NONBLOCK) < 0) {
            sequencer = nullptr;
            return false;
        }
        snd_seq_set_client_name(sequencer, "RimbaDrums");
        const int own =
            snd_seq_create_simple_port(sequencer, "MIDI in", SND_SEQ_PORT_CAP_WRITE | SND_SEQ_PORT_CAP_SUBS_WRITE,
                                       SND_SEQ_PORT_TYPE_MIDI_GENERIC | SND_SEQ_PORT_TYPE_APPLICATION);
        snd_seq_addr_t address{};
        if (own < 0 || !findPort(sequencer, source, address) ||
            snd_seq_connect_from(sequencer, own, address.client, address.port) < 0 ||
            snd_midi_event_new(16, &decoder) < 0)
            return false;
        ownPort = own;
        sourceName = source;
        // Without the announcements the source is still played; it is only not taken back.
        snd_seq_connect_from(sequencer, own, SND_SEQ_CLIENT_SYSTEM, SND_SEQ_PORT_SYSTEM_ANNOUNCE);
        snd_midi_event_no_status(decoder, 1);  // every message with its status byte
        running.store(true, std::memory_order_release);
        reader = std::thread([this] { read(); });
        return true;
    }

private:
    void read() {
        const int count = snd_seq_poll_descriptors_count(sequencer, POLLIN);
        std::vector<pollfd> descriptors(static_cast<std::size_t>(count > 0 ? count : 0));
        snd_seq_poll_descriptors(sequencer, descriptors.data(), static_cast<unsigned>(descriptors.size()), POLLIN);
        while (running.load(std::memory_order_acquire)) {
            if (poll(descriptors.data(), descriptors.size(), kPollMilliseconds) <= 0)
                continue;
            snd_seq_event_t* event = nullptr;
            while (snd_seq_event_input(sequencer, &event) >= 0 && event != nullptr)
                deliver(*event);
        }
    }

    void deliver(const snd_seq_event_t& event) {
        if (event.type == SND_SEQ_EVENT_PORT_START) {
            subscribeIfSource(event.data.addr);
            return;
        }
        if (const std::optional<ShortMessage> message = sequencerShortMessage(decoder, event))
            port.receive(message->status, message->data1, message->data2);
    }

    // A port that starts under the source's name is the source back: its subscription went with
    // it, so it is made again.
    void subscribeIfSource(const snd_seq_addr_t& address) {
        if (portName(sequencer, address) == sourceName)
            snd_seq_connect_from(sequencer, ownPort, address.client, address.port);
    }

    MidiInputPort& port;
    std::string sourceName;
    int ownPort = -1;
    snd_seq_t* sequencer = nullptr;
    snd_midi_event_t* decoder = nullptr;
    std::atomic<bool> running{false};
    std::thread reader;
};

}  // namespace

std::optional<ShortMessage> sequencerShortMessage(snd_midi_event_t* decoder, const snd_seq_event_t& event) {
    // A system exclusive message of three bytes or less decodes as short as a note does; only
    // the event's type tells it apart (and a long one arrives in pieces, the last maybe "F7").
    if (event.type == SND_SEQ_EVENT_SYSEX)
        return std::nullopt;
    unsigned char bytes[16];
    const long size = snd_midi_event_decode(decoder, bytes, sizeof bytes, &event);
    if (size < 0 || !isShortMessage(bytes, static_cast<std::size_t>(size)))
        return std::nullopt;
    return ShortMessage{bytes[0], size > 1 ? bytes[1] : std::uint8_t{0}, size > 2 ? bytes[2] : std::uint8_t{0}};
}

std::unique_ptr<MidiInputPort::Device> openAlsaSequencerInput(MidiInputPort& port, const std::string& source) {
    auto device = std::make_unique<AlsaSequencerInput>(port);
    if (!device->start(source))
        return nullptr;
    return device;
}

}  // namespace rimba::standalone
