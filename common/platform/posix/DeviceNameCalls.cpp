#include "common/platform/DeviceNames.h"
#include "common/platform/posix/AlsaDeviceNames.h"

#include <alsa/asoundlib.h>
#include <dlfcn.h>
#include <jack/jack.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace rimba::platform {

namespace {

// libjack opened at run time and kept for the process: a library that started threads of its
// own is never unloaded. Null when JACK is not installed.
struct JackCalls {
    decltype(&jack_client_open) clientOpen = nullptr;
    decltype(&jack_client_close) clientClose = nullptr;
    decltype(&jack_get_ports) getPorts = nullptr;
    decltype(&jack_free) free = nullptr;
};

const JackCalls* jackCalls() {
    static const JackCalls* const calls = []() -> const JackCalls* {
        void* library = dlopen("libjack.so.0", RTLD_NOW | RTLD_LOCAL);
        if (library == nullptr)
            return nullptr;
        static JackCalls found;
        found.clientOpen = reinterpret_cast<decltype(&jack_client_open)>(dlsym(library, "jack_client_open"));
        found.clientClose = reinterpret_cast<decltype(&jack_client_close)>(dlsym(library, "jack_client_close"));
        found.getPorts = reinterpret_cast<decltype(&jack_get_ports)>(dlsym(library, "jack_get_ports"));
        found.free = reinterpret_cast<decltype(&jack_free)>(dlsym(library, "jack_free"));
        if (!found.clientOpen || !found.clientClose || !found.getPorts || !found.free)
            return nullptr;
        return &found;
    }();
    return calls;
}

struct JackClientCloser {
    const JackCalls* calls;
    void operator()(jack_client_t* client) const { calls->clientClose(client); }
};
using JackClient = std::unique_ptr<jack_client_t, JackClientCloser>;

// A short-lived client that never starts a server: a machine without one answers at once.
JackClient openJackProbe(const JackCalls* calls) {
    if (calls == nullptr)
        return JackClient(nullptr, JackClientCloser{calls});
    jack_status_t status{};
    jack_client_t* client = calls->clientOpen("RimbaDrums-devices", JackNoStartServer, &status);
    return JackClient(client, JackClientCloser{calls});
}

std::vector<std::string> jackMidiOutputPorts() {
    std::vector<std::string> names;
    const JackCalls* calls = jackCalls();
    JackClient client = openJackProbe(calls);
    if (!client)
        return names;
    const char** ports = calls->getPorts(client.get(), nullptr, JACK_DEFAULT_MIDI_TYPE, JackPortIsOutput);
    if (ports == nullptr)
        return names;
    for (const char** port = ports; *port != nullptr; ++port)
        names.emplace_back(*port);
    calls->free(static_cast<void*>(ports));
    return names;
}

// The playback side of every PCM hint: hints without a direction serve both.
std::vector<std::string> alsaPlaybackDevices() {
    std::vector<std::string> names;
    void** hints = nullptr;
    if (snd_device_name_hint(-1, "pcm", &hints) < 0 || hints == nullptr)
        return names;
    for (void** hint = hints; *hint != nullptr; ++hint) {
        char* name = snd_device_name_get_hint(*hint, "NAME");
        char* direction = snd_device_name_get_hint(*hint, "IOID");
        if (name != nullptr && (direction == nullptr || std::strcmp(direction, "Output") == 0))
            names.emplace_back(name);
        std::free(name);
        std::free(direction);
    }
    snd_device_name_free_hint(hints);
    return names;
}

struct SeqInfoFree {
    void operator()(snd_seq_client_info_t* info) const { snd_seq_client_info_free(info); }
    void operator()(snd_seq_port_info_t* info) const { snd_seq_port_info_free(info); }
};

// Readable, subscribable, exported ports of the other clients, as "client:port". A machine
// without a sequencer device (no /dev/snd/seq) has none.
std::vector<std::string> alsaSequencerReadablePorts() {
    std::vector<std::string> names;
    // The sequencer's only implementation is this kernel device; asking ALSA without it would
    // print a complaint on standard error at every listing.
    if (access("/dev/snd/seq", F_OK) != 0)
        return names;
    snd_seq_t* sequencer = nullptr;
    if (snd_seq_open(&sequencer, "default", SND_SEQ_OPEN_DUPLEX, SND_SEQ_NONBLOCK) < 0)
        return names;
    const int self = snd_seq_client_id(sequencer);
    snd_seq_client_info_t* clientRaw = nullptr;
    snd_seq_port_info_t* portRaw = nullptr;
    snd_seq_client_info_malloc(&clientRaw);
    snd_seq_port_info_malloc(&portRaw);
    std::unique_ptr<snd_seq_client_info_t, SeqInfoFree> client(clientRaw);
    std::unique_ptr<snd_seq_port_info_t, SeqInfoFree> port(portRaw);
    constexpr unsigned kReadable = SND_SEQ_PORT_CAP_READ | SND_SEQ_PORT_CAP_SUBS_READ;
    if (client && port) {
        snd_seq_client_info_set_client(client.get(), -1);
        while (snd_seq_query_next_client(sequencer, client.get()) >= 0) {
            const int id = snd_seq_client_info_get_client(client.get());
            if (id == self)
                continue;
            snd_seq_port_info_set_client(port.get(), id);
            snd_seq_port_info_set_port(port.get(), -1);
            while (snd_seq_query_next_port(sequencer, port.get()) >= 0) {
                const unsigned capability = snd_seq_port_info_get_capability(port.get());
                if ((capability & kReadable) != kReadable || (capability & SND_SEQ_PORT_CAP_NO_EXPORT) != 0)
                    continue;
                names.push_back(std::string(snd_seq_client_info_get_name(client.get())) + ":" +
                                snd_seq_port_info_get_name(port.get()));
            }
        }
    }
    snd_seq_close(sequencer);
    return names;
}

}  // namespace

bool isOfferedAlsaPlayback(std::string_view name) {
    constexpr std::array<std::string_view, 3> kWholeNames = {"default", "pulse", "pipewire"};
    // A card's interfaces that play stereo as they are; the surround ones want more channels,
    // and "dmix" is what "default" already mixes through.
    constexpr std::array<std::string_view, 6> kCardInterfaces = {
        "hw:", "plughw:", "sysdefault:", "front:", "hdmi:", "iec958:"};
    if (std::find(kWholeNames.begin(), kWholeNames.end(), name) != kWholeNames.end())
        return true;
    return std::any_of(kCardInterfaces.begin(), kCardInterfaces.end(), [&](std::string_view interface) {
        return name.size() > interface.size() && name.starts_with(interface);
    });
}

std::vector<std::string> systemAudioOutputDeviceNames() { return alsaPlaybackDevices(); }

std::vector<std::string> systemMidiInputDeviceNames() { return alsaSequencerReadablePorts(); }

// The menu's list; systemAudioOutputDeviceNames keeps every name, so a device chosen by name
// (or stored by an earlier version) still opens.
std::vector<std::string> audioOutputDeviceNames() {
    std::vector<std::string> names = alsaPlaybackDevices();
    std::erase_if(names, [](const std::string& name) { return !isOfferedAlsaPlayback(name); });
    if (openJackProbe(jackCalls()))
        names.emplace_back(kJackDeviceName);
    return names;
}

std::vector<std::string> midiInputDeviceNames() {
    std::vector<std::string> names = alsaSequencerReadablePorts();
    for (std::string& port : jackMidiOutputPorts())
        names.push_back(std::move(port));
    return names;
}

}  // namespace rimba::platform
