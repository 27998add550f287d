// Audio out through a JACK server: the server sets rate and block size, the plug-in's float
// channels reach the ports unclamped, and the ports go to the system's playback ports.

#include <jack/jack.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <mutex>

#include "StandAlone/devices/AudioDevice.h"

namespace rimba::standalone {

namespace {

// The channel buffers are sized once at open for the largest block a server may switch to
// while running, since the switch is announced on a JACK thread where nothing may be allocated.
constexpr jack_nframes_t kLargestJackBlock = 8192;

class JackOutput final : public AudioOutput::Device {
public:
    explicit JackOutput(AudioOutput& output) : output(output) {}

    ~JackOutput() override {
        if (client == nullptr)
            return;
        // Deactivation returns once the process callback has finished its last cycle.
        jack_deactivate(client);
        jack_client_close(client);
    }

    bool start() {
        jack_status_t status{};
        client = jack_client_open("RimbaDrums", JackNoStartServer, &status);
        if (client == nullptr)
            return false;
        ports[0] = jack_port_register(client, "out_L", JACK_DEFAULT_AUDIO_TYPE, JackPortIsOutput, 0);
        ports[1] = jack_port_register(client, "out_R", JACK_DEFAULT_AUDIO_TYPE, JackPortIsOutput, 0);
        if (ports[0] == nullptr || ports[1] == nullptr)
            return false;
        const auto block = static_cast<int>(jack_get_buffer_size(client));
        output.prepare(static_cast<int>(jack_get_sample_rate(client)), block,
                       std::max(block, static_cast<int>(kLargestJackBlock)));
        jack_on_info_shutdown(client, &JackOutput::serverGone, this);
        if (jack_set_process_callback(client, &JackOutput::process, this) != 0 ||
            jack_set_buffer_size_callback(client, &JackOutput::bufferSizeChanged, this) != 0 ||
            jack_activate(client) != 0)
            return false;
        connectToPlayback();
        return true;
    }

    bool isJack() const override { return true; }
    bool lostServer() const override { return lost.load(std::memory_order_acquire); }

private:
    // The system's playback ports, when the server has them; a server without them still runs
    // the client, and other programs may connect it.
    void connectToPlayback() {
        const char* playback[2] = {"system:playback_1", "system:playback_2"};
        for (int side = 0; side < 2; ++side) {
            if (jack_port_by_name(client, playback[side]) != nullptr)
                jack_connect(client, jack_port_name(ports[side]), playback[side]);
        }
    }

    static int process(jack_nframes_t frames, void* self) {
        static_cast<JackOutput*>(self)->render(frames);
        return 0;
    }

    // JACK's notification thread, as a signal handler would: only the flag, the main thread
    // closes the client (a close from here would wait for this very thread).
    static void serverGone(jack_status_t, const char*, void* self) {
        static_cast<JackOutput*>(self)->lost.store(true, std::memory_order_release);
    }

    static int bufferSizeChanged(jack_nframes_t frames, void* self) {
        static_cast<JackOutput*>(self)->output.blockSizeChanged(static_cast<int>(frames));
        return 0;
    }

    void render(jack_nframes_t frames) {
        auto* destination0 = static_cast<float*>(jack_port_get_buffer(ports[0], frames));
        auto* destination1 = static_cast<float*>(jack_port_get_buffer(ports[1], frames));
        const auto count = static_cast<std::size_t>(frames);
        if (frames > static_cast<jack_nframes_t>(output.capacity())) {
            std::fill_n(destination0, count, 0.0f);
            std::fill_n(destination1, count, 0.0f);
            return;
        }
        output.processBlock(static_cast<int>(frames));
        std::memcpy(destination0, output.channel(0), count * sizeof(float));
        std::memcpy(destination1, output.channel(1), count * sizeof(float));
    }

    AudioOutput& output;
    jack_client_t* client = nullptr;
    jack_port_t* ports[2] = {nullptr, nullptr};
    std::atomic<bool> lost{false};
};

void ignoreJackMessage(const char*) {}

}  // namespace

void quietenJack() {
    static std::once_flag installed;
    std::call_once(installed, [] {
        jack_set_error_function(&ignoreJackMessage);
        jack_set_info_function(&ignoreJackMessage);
    });
}

bool jackServerAnswers() {
    jack_status_t status{};
    jack_client_t* probe = jack_client_open("RimbaDrums-probe", JackNoStartServer, &status);
    if (probe == nullptr)
        return false;
    jack_client_close(probe);
    return true;
}

std::unique_ptr<AudioOutput::Device> openJackOutput(AudioOutput& output) {
    auto device = std::make_unique<JackOutput>(output);
    if (!device->start())
        return nullptr;
    return device;
}

}  // namespace rimba::standalone
