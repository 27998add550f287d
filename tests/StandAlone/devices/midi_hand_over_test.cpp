// The MIDI queue between the MIDI thread and the audio thread, and the hand-over before a block.

#include <gtest/gtest.h>

#include <thread>

#include "StandAlone/devices/AudioOutput.h"
#include "StandAlone/devices/MidiInputPort.h"
#include "common/platform/MessageBox.h"
#include "tests/StandAlone/devices/DeviceEnvironment.h"
#include "tests/StandAlone/devices/FakePlugin.h"

namespace rimba::standalone {
namespace {

class MidiHandOver : public ::testing::Test {
protected:
    void SetUp() override {
        test::DeviceEnvironment::get();
        platform::setMessagePresenter(
            [this](const std::string& text, const std::string&) { messages.push_back(text); });
        output.prepare(44100, 64, 64);
    }
    void TearDown() override { platform::setMessagePresenter({}); }

    std::vector<std::string> messages;
    test::FakePlugin fake;
    MidiInputPort port{fake.plugin()};
    AudioOutput output{fake.plugin(), &port};
};

TEST_F(MidiHandOver, TenMessagesBecomeTenRequestsInOrderBeforeTheBlockAndActiveSensingNone) {
    for (std::uint8_t key = 60; key < 70; ++key) {
        port.receive(0xFE, 0, 0);
        port.receive(0x90, key, 100);
    }
    output.processBlock(64);
    output.processBlock(64);

    EXPECT_EQ(fake.callOrder(), "EEEEEEEEEEPP");
    EXPECT_EQ(fake.eventsPerRequest(), 1);
    ASSERT_EQ(fake.eventCount(), 10);
    for (int index = 0; index < 10; ++index) {
        const VstMidiEvent& event = fake.event(index);
        EXPECT_EQ(event.type, kVstMidiType);
        EXPECT_EQ(event.byteSize, 32);
        EXPECT_EQ(event.deltaFrames, 0);
        EXPECT_EQ(event.flags, kVstMidiEventIsRealtime);
        EXPECT_EQ(std::string(event.midiData, 4), std::string({'\x90', static_cast<char>(60 + index), 100, 0}));
    }
}

TEST_F(MidiHandOver, AFullQueueDropsTheNewestMessagesWithoutWaiting) {
    const int capacity = static_cast<int>(MidiInputPort::kQueueCapacity);
    // A producer that waited for room would never end: nothing empties the queue meanwhile.
    std::thread producer([&] {
        for (int index = 0; index < capacity + 100; ++index)
            port.receive(0x90, static_cast<std::uint8_t>(index >> 7), static_cast<std::uint8_t>(index & 0x7F));
    });
    producer.join();
    port.handOver();
    port.receive(0x80, 1, 2);
    port.handOver();

    ASSERT_EQ(fake.eventCount(), capacity + 1);
    for (int index = 0; index < capacity; ++index)
        ASSERT_EQ(fake.event(index).midiData[1] << 7 | fake.event(index).midiData[2], index);
    EXPECT_EQ(fake.event(capacity).midiData[0], '\x80') << "room again once emptied";
}

TEST_F(MidiHandOver, ANameThatMatchesNoDeviceOpensNothingAndSaysNothing) {
    for (const char* name : {"", "No such MIDI port", "system:capture_1"}) {
        fake.nameMidiDevice(name);
        port.reopen();
        EXPECT_FALSE(port.isStarted()) << name;
    }
    EXPECT_TRUE(messages.empty());
}

}  // namespace
}  // namespace rimba::standalone
