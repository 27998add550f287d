// The JACK paths against a real server (dummy driver at 48000 Hz, started by
// tests/support/with-jack.sh): the output plays the plug-in unclamped into the system's playback
// ports at the server's rate and block size, and MIDI from another client reaches the plug-in.

#include <gtest/gtest.h>
#include <jack/jack.h>
#include <jack/midiport.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <thread>

#include "StandAlone/devices/AudioOutput.h"
#include "StandAlone/devices/MidiInputPort.h"
#include "common/platform/MessageBox.h"
#include "tests/StandAlone/devices/DeviceEnvironment.h"
#include "tests/StandAlone/devices/FakePlugin.h"

namespace rimba::standalone {
namespace {

// The test's own client "observer": "observer:out" plays notes numbered in key and velocity,
// one a cycle, each beside an active-sensing byte; "observer:in" keeps its extreme samples.
class Observer {
public:
    explicit Observer(const char* name = "observer", bool activate = true) {
        client = jack_client_open(name, JackNoStartServer, nullptr);
        if (client == nullptr)
            return;
        midiOut = jack_port_register(client, "out", JACK_DEFAULT_MIDI_TYPE, JackPortIsOutput, 0);
        audioIn = jack_port_register(client, "in", JACK_DEFAULT_AUDIO_TYPE, JackPortIsInput, 0);
        jack_set_process_callback(client, &observerProcessCycle, this);
        if (activate)
            jack_activate(client);
    }
    ~Observer() {
        if (client != nullptr)
            jack_client_close(client);
    }

    std::vector<std::string> connectionsOf(const std::string& port) const {
        std::vector<std::string> names;
        const char** all = jack_port_get_all_connections(client, jack_port_by_name(client, port.c_str()));
        for (const char** each = all; each != nullptr && *each != nullptr; ++each)
            names.emplace_back(*each);
        jack_free(static_cast<void*>(all));
        return names;
    }

    jack_client_t* client = nullptr;
    jack_port_t* midiOut = nullptr;
    jack_port_t* audioIn = nullptr;
    std::atomic<bool> playing{false};
    std::atomic<int> played{0};
    std::atomic<float> loudest{0.0f}, softest{0.0f};

private:
    // Named apart: this client and the program's clients exchange port buffers through JACK's
    // shared-memory synchronisation, which ThreadSanitizer cannot see (tsan.supp names it).
    __attribute__((noinline)) static int observerProcessCycle(jack_nframes_t frames, void* self) {
        auto& observer = *static_cast<Observer*>(self);
        void* midi = jack_port_get_buffer(observer.midiOut, frames);
        jack_midi_clear_buffer(midi);
        const int number = observer.played;
        const std::uint8_t sensing = 0xFE;
        const std::uint8_t note[3] = {0x90, static_cast<std::uint8_t>(number >> 7),
                                      static_cast<std::uint8_t>(number & 0x7F)};
        if (observer.playing && jack_midi_event_write(midi, 0, &sensing, 1) == 0 &&
            jack_midi_event_write(midi, 1, note, 3) == 0)
            observer.played = number + 1;
        const auto* heard = static_cast<const float*>(jack_port_get_buffer(observer.audioIn, frames));
        observer.loudest = std::max(observer.loudest.load(), *std::max_element(heard, heard + frames));
        observer.softest = std::min(observer.softest.load(), *std::min_element(heard, heard + frames));
        return 0;
    }
};

// A bounded wait on what the server's threads bring about: it fails rather than hangs.
bool eventually(const std::function<bool()>& condition) {
    for (int tries = 0; tries < 1000 && !condition(); ++tries)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    return condition();
}

bool contains(const std::vector<std::string>& names, const std::string& name) {
    return std::find(names.begin(), names.end(), name) != names.end();
}

int numberOf(const VstMidiEvent& event) { return event.midiData[1] << 7 | event.midiData[2]; }

class JackDevices : public ::testing::Test {
protected:
    void SetUp() override {
        test::DeviceEnvironment::get();
        platform::setMessagePresenter(
            [this](const std::string& text, const std::string& caption) { messages.push_back(caption + ": " + text); });
        ASSERT_NE(observer.client, nullptr) << "no JACK server: run through tests/support/with-jack.sh";
        fake->nameMidiDevice("observer:out");
    }
    void TearDown() override { platform::setMessagePresenter({}); }

    std::vector<std::string> messages;
    Observer observer;
    std::unique_ptr<test::FakePlugin> fake = std::make_unique<test::FakePlugin>();
};

TEST_F(JackDevices, JackPlaysAtTheServersRateAndBlockIntoTheSystemPortsUnclamped) {
    AudioOutput output(fake->plugin(), nullptr);
    output.open("JACK", 512, 44100);
    ASSERT_TRUE(output.isOpen());
    EXPECT_EQ(output.sampleRate(), 48000);
    EXPECT_EQ(output.blockSize(), static_cast<int>(jack_get_buffer_size(observer.client)));
    const std::vector<std::string> listed = listAudioOutputDevices();
    EXPECT_EQ(listed.back(), "JACK");
    EXPECT_EQ(std::count(listed.begin(), listed.end(), "JACK"), 1);
    EXPECT_EQ(std::count(listed.begin(), listed.end(), "jack"), 0) << "ALSA's own JACK plug-in is not offered";
    EXPECT_TRUE(contains(observer.connectionsOf("RimbaDrums:out_L"), "system:playback_1"));
    EXPECT_TRUE(contains(observer.connectionsOf("RimbaDrums:out_R"), "system:playback_2"));

    ASSERT_EQ(jack_connect(observer.client, "RimbaDrums:out_L", "observer:in"), 0);
    EXPECT_TRUE(eventually([&] { return observer.loudest == 1.5f && observer.softest == -1.5f; }));
    EXPECT_EQ(fake->lastBlockFrames(), output.blockSize());
    output.close();
    EXPECT_FALSE(output.isOpen());
    EXPECT_EQ(jack_port_by_name(observer.client, "RimbaDrums:out_L"), nullptr);
}

TEST_F(JackDevices, MidiFromAnotherClientReachesThePluginInOrderWithoutActiveSensing) {
    EXPECT_TRUE(contains(listMidiInputDevices(), "observer:out"));
    MidiInputPort port(fake->plugin());
    ASSERT_TRUE(port.isStarted());
    EXPECT_TRUE(contains(observer.connectionsOf("observer:out"), "RimbaDrums-midi:midi_in"));
    AudioOutput output(fake->plugin(), &port);
    output.open("JACK", 256, 44100);

    observer.playing = true;
    ASSERT_TRUE(eventually([&] { return fake->eventCount() >= 20; }));
    observer.playing = false;
    const int sent = observer.played;
    const int blocks = fake->blockCount();
    ASSERT_TRUE(eventually([&] { return fake->blockCount() > blocks + 4; }));
    // All of them in order. A cycle that a slow sanitizer build misses can lose the observer's
    // buffer or show it twice (the server hands on the stale one); elsewhere each arrives once.
    EXPECT_GE(fake->eventCount(), sent - 2);
    for (int index = 0; index < fake->eventCount(); ++index) {
        EXPECT_EQ(fake->event(index).midiData[0], '\x90');
        if (index > 0) {
            EXPECT_LE(numberOf(fake->event(index - 1)), numberOf(fake->event(index)));
        }
    }
#ifndef __SANITIZE_THREAD__
    EXPECT_EQ(fake->eventCount(), sent);
#endif
    EXPECT_TRUE(messages.empty());
}

TEST_F(JackDevices, ReopeningBothDevicesWhileMidiArrivesLosesNoOrderAndPlaysOn) {
    MidiInputPort port(fake->plugin());
    AudioOutput output(fake->plugin(), &port);
    output.open("JACK", 256, 44100);
    observer.playing = true;
    for (int round = 0; round < 9; ++round) {
        const int heard = fake->eventCount();
        ASSERT_TRUE(eventually([&] { return fake->eventCount() > heard; })) << "round " << round;
        if (round % 2 == 0)
            port.reopen();
        else
            output.open("JACK", 256, 44100);
    }
    output.close();
    port.close();
    // Messages that came while a device was closed are lost, never reordered.
    for (int index = 1; index < fake->eventCount(); ++index)
        ASSERT_LE(numberOf(fake->event(index - 1)), numberOf(fake->event(index)));
    EXPECT_TRUE(messages.empty());
}

TEST_F(JackDevices, AMatchedPortThatCannotBeConnectedShowsTheMessageAtEachAttempt) {
    Observer idle("idle", false);  // an inactive client's ports are listed but refuse connections
    fake->nameMidiDevice("idle:out");
    MidiInputPort port(fake->plugin());
    port.reopen();
    EXPECT_FALSE(port.isStarted());
    EXPECT_EQ(messages, std::vector<std::string>(2, "Zelkor: Unable to open the MIDI port !"));
}

}  // namespace
}  // namespace rimba::standalone
