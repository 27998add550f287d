// The JACK paths against a real server (dummy driver at 48000 Hz, blocks of 256, started by
// tests/support/with-jack.sh): the audio output plays the plug-in unclamped into the system's
// playback ports at the server's rate, and MIDI from another client reaches the plug-in.

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <thread>

#include "StandAlone/devices/AudioOutput.h"
#include "StandAlone/devices/MidiInputPort.h"
#include "common/platform/MessageBox.h"
#include "tests/StandAlone/devices/DeviceEnvironment.h"
#include "tests/StandAlone/devices/FakePlugin.h"
#include "tests/StandAlone/devices/JackTestClient.h"

namespace rimba::standalone {
namespace {

using test::FakePlugin;
using test::JackTestClient;

// A bounded wait on a condition the server's threads bring about; it fails rather than hangs.
bool eventually(const std::function<bool()>& condition) {
    for (int tries = 0; tries < 1000; ++tries) {
        if (condition())
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return condition();
}

bool contains(const std::vector<std::string>& names, const std::string& name) {
    return std::find(names.begin(), names.end(), name) != names.end();
}

class JackDevices : public ::testing::Test {
protected:
    void SetUp() override {
        test::DeviceEnvironment::get();
        platform::setMessagePresenter([this](const std::string& text, const std::string& caption) {
            messages.push_back(caption + ": " + text);
        });
        ASSERT_TRUE(observer.isOpen()) << "no JACK server: run through tests/support/with-jack.sh";
    }
    void TearDown() override { platform::setMessagePresenter({}); }

    JackTestClient observer{"observer"};
    std::vector<std::string> messages;
};

TEST_F(JackDevices, JackPlaysAtTheServersRateAndBlockIntoTheSystemPortsUnclamped) {
    FakePlugin fake;
    AudioOutput output(fake.plugin(), nullptr);
    output.open("JACK", 512, 44100);

    ASSERT_TRUE(output.isOpen());
    EXPECT_EQ(output.sampleRate(), 48000);
    EXPECT_EQ(output.blockSize(), static_cast<int>(jack_get_buffer_size(observer.handle())));
    EXPECT_TRUE(contains(observer.connectionsOf("RimbaDrums:out_L"), "system:playback_1"));
    EXPECT_TRUE(contains(observer.connectionsOf("RimbaDrums:out_R"), "system:playback_2"));

    ASSERT_EQ(jack_connect(observer.handle(), "RimbaDrums:out_L", observer.audioInName().c_str()), 0);
    EXPECT_TRUE(eventually([&] { return observer.loudestHeard() == 1.5f && observer.softestHeard() == -1.5f; }))
        << observer.loudestHeard() << " " << observer.softestHeard();
    EXPECT_EQ(fake.lastBlockFrames(), output.blockSize());

    output.close();
    EXPECT_FALSE(output.isOpen());
    EXPECT_EQ(jack_port_by_name(observer.handle(), "RimbaDrums:out_L"), nullptr);
    output.close();
}

TEST_F(JackDevices, TheListsOfferTheServerAndItsMidiOutputs) {
    const std::vector<std::string> audio = listAudioOutputDevices();
    ASSERT_FALSE(audio.empty());
    EXPECT_EQ(audio.back(), "JACK");
    EXPECT_TRUE(contains(listMidiInputDevices(), observer.midiOutName()));
}

TEST_F(JackDevices, MidiFromAnotherClientReachesThePluginInOrderWithoutActiveSensing) {
    FakePlugin fake;
    fake.nameMidiDevice(observer.midiOutName());
    MidiInputPort port(fake.plugin());
    ASSERT_TRUE(port.isStarted());
    EXPECT_TRUE(contains(observer.connectionsOf(observer.midiOutName()), "RimbaDrums-midi:midi_in"));
    AudioOutput output(fake.plugin(), &port);
    output.open("JACK", 256, 44100);

    observer.playNotes(20);
    ASSERT_TRUE(eventually([&] { return fake.eventCount() >= 20; })) << fake.eventCount();
    const int blocks = fake.blockCount();
    ASSERT_TRUE(eventually([&] { return fake.blockCount() > blocks + 4; }));
    ASSERT_EQ(fake.eventCount(), 20);
    for (int index = 0; index < 20; ++index) {
        const test::ReceivedEvent& event = fake.event(index);
        EXPECT_EQ(event.midiData[0], 0x90);
        EXPECT_EQ(test::noteNumber(event.midiData[1], event.midiData[2]), index);
        EXPECT_EQ(event.deltaFrames, 0);
    }
    EXPECT_TRUE(messages.empty());
}

TEST_F(JackDevices, ReopeningBothDevicesWhileMidiArrivesKeepsTheOrderAndPlaysOn) {
    FakePlugin fake;
    fake.nameMidiDevice(observer.midiOutName());
    MidiInputPort port(fake.plugin());
    AudioOutput output(fake.plugin(), &port);
    output.open("JACK", 256, 44100);
    observer.playNotes(-1);

    for (int round = 0; round < 8; ++round) {
        const int heard = fake.eventCount();
        ASSERT_TRUE(eventually([&] { return fake.eventCount() > heard; })) << "round " << round;
        if (round % 2 == 0)
            port.reopen();
        else
            output.open("JACK", 256, 44100);
        ASSERT_TRUE(port.isStarted());
        ASSERT_TRUE(output.isOpen());
    }
    const int heard = fake.eventCount();
    EXPECT_TRUE(eventually([&] { return fake.eventCount() > heard; }));
    output.close();
    port.close();
    observer.playNotes(0);

    // Messages sent while a device was closed are lost, never reordered or repeated.
    for (int index = 1; index < fake.eventCount(); ++index) {
        const test::ReceivedEvent& before = fake.event(index - 1);
        const test::ReceivedEvent& event = fake.event(index);
        ASSERT_EQ(event.midiData[0], 0x90);
        ASSERT_LT(test::noteNumber(before.midiData[1], before.midiData[2]),
                  test::noteNumber(event.midiData[1], event.midiData[2]));
    }
    EXPECT_TRUE(messages.empty());
}

TEST_F(JackDevices, AMatchedPortThatCannotBeConnectedShowsTheMessageAtEachAttempt) {
    JackTestClient idle("idle", false);
    FakePlugin fake;
    fake.nameMidiDevice(idle.midiOutName());
    MidiInputPort port(fake.plugin());
    EXPECT_FALSE(port.isStarted());
    port.reopen();
    EXPECT_FALSE(port.isStarted());
    EXPECT_EQ(messages, std::vector<std::string>(2, "Zelkor: Unable to open the MIDI port !"));
}

}  // namespace
}  // namespace rimba::standalone
