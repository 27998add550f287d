// The MIDI queue between the MIDI thread and the audio thread, and the hand-over to the plug-in
// before each block.

#include <gtest/gtest.h>

#include <thread>

#include "StandAlone/devices/AudioOutput.h"
#include "StandAlone/devices/MidiInputPort.h"
#include "common/platform/MessageBox.h"
#include "tests/StandAlone/devices/DeviceEnvironment.h"
#include "tests/StandAlone/devices/FakePlugin.h"

namespace rimba::standalone {
namespace {

using test::FakePlugin;

class MidiHandOver : public ::testing::Test {
protected:
    void SetUp() override {
        test::DeviceEnvironment::get();
        platform::setMessagePresenter([this](const std::string& text, const std::string& caption) {
            messages.push_back(caption + ": " + text);
        });
        fake.nameMidiDevice("");
        port = std::make_unique<MidiInputPort>(fake.plugin());
        output = std::make_unique<AudioOutput>(fake.plugin(), port.get());
        output->prepare(44100, 64, 64);
    }
    void TearDown() override { platform::setMessagePresenter({}); }

    FakePlugin fake;
    std::unique_ptr<MidiInputPort> port;
    std::unique_ptr<AudioOutput> output;
    std::vector<std::string> messages;
};

TEST_F(MidiHandOver, TenMessagesInOneBlockBecomeTenRequestsInOrderBeforeTheBlock) {
    for (std::uint8_t key = 60; key < 70; ++key)
        port->receive(0x90, key, 100);
    output->processBlock(64);

    EXPECT_EQ(fake.callOrder(), "EEEEEEEEEEP");
    ASSERT_EQ(fake.eventCount(), 10);
    for (int index = 0; index < 10; ++index) {
        const test::ReceivedEvent& event = fake.event(index);
        EXPECT_EQ(event.numEvents, 1);
        EXPECT_EQ(event.type, kVstMidiType);
        EXPECT_EQ(event.byteSize, 32);
        EXPECT_EQ(event.deltaFrames, 0);
        EXPECT_EQ(event.flags, kVstMidiEventIsRealtime);
        EXPECT_EQ(event.midiData[0], 0x90);
        EXPECT_EQ(event.midiData[1], 60 + index);
        EXPECT_EQ(event.midiData[2], 100);
        EXPECT_EQ(event.midiData[3], 0);
    }
    output->processBlock(64);
    EXPECT_EQ(fake.eventCount(), 10) << "a message is handed over once";
}

TEST_F(MidiHandOver, ActiveSensingNeverReachesThePlugin) {
    for (int repeat = 0; repeat < 5; ++repeat)
        port->receive(0xFE, 0, 0);
    port->receive(0xB0, 7, 90);
    port->receive(0xFE, 0, 0);
    output->processBlock(64);

    ASSERT_EQ(fake.eventCount(), 1);
    EXPECT_EQ(fake.event(0).midiData[0], 0xB0);
    EXPECT_EQ(fake.callOrder(), "EP");
}

TEST_F(MidiHandOver, AFullQueueDropsTheNewestMessagesWithoutWaiting) {
    const int sent = static_cast<int>(MidiInputPort::kQueueCapacity) + 100;
    // From a thread of its own, as the MIDI thread sends: a producer that waited for room would
    // never finish, since nothing empties the queue meanwhile.
    std::thread producer([&] {
        for (int index = 0; index < sent; ++index)
            port->receive(0x90, static_cast<std::uint8_t>(index & 0x7F), static_cast<std::uint8_t>((index >> 7) & 0x7F));
    });
    producer.join();
    port->handOver();

    ASSERT_EQ(fake.eventCount(), static_cast<int>(MidiInputPort::kQueueCapacity));
    for (int index = 0; index < fake.eventCount(); ++index) {
        ASSERT_EQ(fake.event(index).midiData[1], index & 0x7F);
        ASSERT_EQ(fake.event(index).midiData[2], (index >> 7) & 0x7F);
    }
    port->receive(0x80, 1, 2);
    port->handOver();
    ASSERT_EQ(fake.eventCount(), static_cast<int>(MidiInputPort::kQueueCapacity) + 1) << "room again once emptied";
    EXPECT_EQ(fake.event(fake.eventCount() - 1).midiData[0], 0x80);
}

TEST_F(MidiHandOver, ANameThatMatchesNoDeviceOpensNothingAndSaysNothing) {
    for (const char* name : {"", "No such MIDI port", "system:capture_1"}) {
        fake.nameMidiDevice(name);
        port->reopen();
        EXPECT_FALSE(port->isStarted()) << name;
    }
    EXPECT_TRUE(messages.empty());
}

TEST_F(MidiHandOver, ABlockLargerThanTheBuffersIsRefusedAndTheQueueWaits) {
    port->receive(0x90, 36, 1);
    output->processBlock(65);
    EXPECT_EQ(fake.callOrder(), "");
    output->processBlock(64);
    EXPECT_EQ(fake.callOrder(), "EP");
}

}  // namespace
}  // namespace rimba::standalone
