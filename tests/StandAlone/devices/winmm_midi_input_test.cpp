// The WinMM MIDI input: its driver callback fed directly as the driver's thread would, the
// devices Wine offers (none without a sequencer), and, through driver calls of the test's own,
// the choice of device and a device that fails to open.

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <thread>
#include <vector>

#include "StandAlone/devices/AudioOutput.h"
#include "StandAlone/devices/MidiInputPort.h"
#include "StandAlone/devices/win32/WinMmMidiInput.h"
#include "common/platform/MessageBox.h"
#include "tests/StandAlone/devices/FakePlugin.h"

namespace rimba::standalone {
namespace {

class WinMmMidiInput : public ::testing::Test {
protected:
    void SetUp() override {
        platform::setMessagePresenter(
            [this](const std::string& text, const std::string& caption) { messages.push_back(caption + ": " + text); });
        output.prepare(44100, 64, 64);
    }
    void TearDown() override {
        port.close();
        useMidiInCalls(systemMidiInCalls());
        platform::setMessagePresenter({});
    }

    void deliver(UINT message, DWORD_PTR word, MidiInputPort* to) {
        onMidiInMessage(nullptr, message, reinterpret_cast<DWORD_PTR>(to), word, 0);
    }

    std::vector<std::string> messages;
    test::FakePlugin fake;
    MidiInputPort port{fake.plugin()};
    AudioOutput output{fake.plugin(), &port};
};

TEST_F(WinMmMidiInput, ShortMessagesReachThePluginInOrderAtFrameZeroButActiveSensingAndOtherMessagesNever) {
    deliver(MIM_DATA, 0x00643C90, &port);  // note on 60, velocity 100
    deliver(MIM_DATA, 0x000000FE, &port);  // active sensing
    deliver(MIM_DATA, 0x7F00407Bu, &port);  // a word whose fourth byte is not zero
    deliver(MIM_OPEN, 0x00643C90, &port);
    deliver(MIM_LONGDATA, 0x00643C90, &port);
    deliver(MIM_ERROR, 0x00643C90, &port);
    deliver(MIM_DATA, 0x00643C90, nullptr);  // no port given as the instance
    deliver(MIM_DATA, 0x00004080, &port);  // note off 64
    output.processBlock(64);

    EXPECT_EQ(fake.callOrder(), "EEEP");
    const std::string expected[] = {{'\x90', 60, 100, 0}, {'\x7B', 0x40, 0, 0}, {'\x80', 64, 0, 0}};
    ASSERT_EQ(fake.eventCount(), 3);
    for (int index = 0; index < 3; ++index) {
        EXPECT_EQ(std::string(fake.event(index).midiData, 4), expected[index]) << index;
        EXPECT_EQ(fake.event(index).deltaFrames, 0);
    }
}

TEST_F(WinMmMidiInput, AFullQueueDropsWhatTheDriverDeliversBeyondItWithoutHoldingItsThread) {
    const int capacity = static_cast<int>(MidiInputPort::kQueueCapacity);
    std::thread driver([&] {
        for (int index = 0; index < capacity + 100; ++index)
            deliver(MIM_DATA, 0x90 | (index & 0x7F) << 8 | (index >> 7) << 16, &port);
    });
    driver.join();
    output.processBlock(64);

    ASSERT_EQ(fake.eventCount(), capacity);
    for (int index = 0; index < capacity; ++index)
        ASSERT_EQ(fake.event(index).midiData[2] << 7 | fake.event(index).midiData[1], index);
}

TEST_F(WinMmMidiInput, WineWithoutASequencerListsNoDeviceAndAnyNameOpensNothingSilently) {
    ASSERT_EQ(midiInGetNumDevs(), 0u) << "this test needs a machine without MIDI inputs";
    EXPECT_TRUE(listMidiInputDevices().empty());
    for (const char* name : {"", "Keyboard", "Microsoft GS Wavetable Synth"}) {
        fake.nameMidiDevice(name);
        EXPECT_EQ(port.reopen(), MidiInputPort::OpenResult::noSuchDevice) << name;
        EXPECT_FALSE(port.isStarted());
    }
    EXPECT_TRUE(messages.empty());
}

// A driver of the test's own: three devices, "Keyboard" twice; a device in `refusing` fails to
// open. Each call is written down.
struct FakeDriver {
    static inline std::vector<std::string> names;
    static inline std::vector<UINT> refusing;
    static inline std::vector<std::string> calls;
    static inline DWORD_PTR callback = 0, instance = 0;
    static inline DWORD flags = 0;

    static UINT WINAPI count() { return static_cast<UINT>(names.size()); }
    static MMRESULT WINAPI capabilities(UINT_PTR device, MIDIINCAPSA* caps, UINT) {
        *caps = MIDIINCAPSA{};
        names[device].copy(caps->szPname, sizeof caps->szPname - 1);
        return MMSYSERR_NOERROR;
    }
    static MMRESULT WINAPI open(HMIDIIN* handle, UINT device, DWORD_PTR toCall, DWORD_PTR value, DWORD how) {
        calls.push_back("open " + std::to_string(device));
        callback = toCall;
        instance = value;
        flags = how;
        if (std::find(refusing.begin(), refusing.end(), device) != refusing.end())
            return MMSYSERR_ALLOCATED;
        *handle = reinterpret_cast<HMIDIIN>(static_cast<UINT_PTR>(0x100 + device));
        return MMSYSERR_NOERROR;
    }
    static MMRESULT WINAPI record(const char* what, HMIDIIN handle) {
        calls.push_back(what + std::to_string(reinterpret_cast<UINT_PTR>(handle) - 0x100));
        return MMSYSERR_NOERROR;
    }
    static MMRESULT WINAPI start(HMIDIIN handle) { return record("start ", handle); }
    static MMRESULT WINAPI stop(HMIDIIN handle) { return record("stop ", handle); }
    static MMRESULT WINAPI reset(HMIDIIN handle) { return record("reset ", handle); }
    static MMRESULT WINAPI close(HMIDIIN handle) { return record("close ", handle); }
};

TEST_F(WinMmMidiInput, TheFirstDeviceOfTheNameOpensAndOneThatFailsIsSaidOncePerAttempt) {
    FakeDriver::names = {"Keyboard", "Pads", "Keyboard"};
    FakeDriver::refusing = {0};
    FakeDriver::calls.clear();
    useMidiInCalls({&FakeDriver::count, &FakeDriver::capabilities, &FakeDriver::open, &FakeDriver::start,
                    &FakeDriver::stop, &FakeDriver::reset, &FakeDriver::close});

    EXPECT_EQ(port.open("Keyboard"), MidiInputPort::OpenResult::failed);
    EXPECT_EQ(port.open("Keyboard"), MidiInputPort::OpenResult::failed);
    EXPECT_FALSE(port.isStarted());
    EXPECT_EQ(messages, std::vector<std::string>(2, "Zelkor: Unable to open the MIDI port !"));
    EXPECT_EQ(port.open("keyboard"), MidiInputPort::OpenResult::noSuchDevice) << "names are matched exactly";

    EXPECT_EQ(port.open("Pads"), MidiInputPort::OpenResult::opened);
    EXPECT_TRUE(port.isStarted());
    EXPECT_EQ(FakeDriver::callback, reinterpret_cast<DWORD_PTR>(&onMidiInMessage));
    EXPECT_EQ(FakeDriver::instance, reinterpret_cast<DWORD_PTR>(&port));
    EXPECT_EQ(FakeDriver::flags, static_cast<DWORD>(CALLBACK_FUNCTION));
    port.close();
    EXPECT_EQ(FakeDriver::calls,
              (std::vector<std::string>{"open 0", "open 0", "open 1", "start 1", "stop 1", "reset 1", "close 1"}));
    EXPECT_EQ(messages.size(), 2u);
}

}  // namespace
}  // namespace rimba::standalone
