// The ALSA sequencer path on a machine without a sequencer device: nothing opens, nothing is
// shown, and nothing is written on standard error.

#include <gtest/gtest.h>

#include <unistd.h>

#include "StandAlone/devices/MidiDevice.h"
#include "StandAlone/devices/MidiInputPort.h"
#include "common/platform/MessageBox.h"
#include "tests/StandAlone/devices/DeviceEnvironment.h"
#include "tests/StandAlone/devices/FakePlugin.h"

namespace rimba::standalone {
namespace {

TEST(SequencerInput, WithoutASequencerDeviceEveryPathFailsQuietly) {
    if (access("/dev/snd/seq", F_OK) == 0)
        GTEST_SKIP() << "this machine has a sequencer";
    test::DeviceEnvironment::get();
    std::vector<std::string> messages;
    platform::setMessagePresenter([&](const std::string& text, const std::string&) { messages.push_back(text); });
    test::FakePlugin fake;
    fake.nameMidiDevice("Midi Through:Midi Through Port-0");

    ::testing::internal::CaptureStderr();
    MidiInputPort port(fake.plugin());
    const bool started = port.isStarted();
    const bool deviceOpened = openAlsaSequencerInput(port, "Midi Through:Midi Through Port-0") != nullptr;
    const std::vector<std::string> names = listMidiInputDevices();
    const std::string written = ::testing::internal::GetCapturedStderr();
    platform::setMessagePresenter({});

    EXPECT_FALSE(started);
    EXPECT_FALSE(deviceOpened);
    EXPECT_TRUE(names.empty()) << names.front();
    EXPECT_TRUE(messages.empty());
    EXPECT_EQ(written, "");
}

}  // namespace
}  // namespace rimba::standalone
