// The ALSA sequencer path on a machine without a sequencer device: nothing opens, nothing is
// shown, nothing is written on standard error.

#include <gtest/gtest.h>

#include <unistd.h>

#include "StandAlone/devices/MidiDevice.h"
#include "common/platform/MessageBox.h"
#include "tests/StandAlone/devices/DeviceEnvironment.h"
#include "tests/StandAlone/devices/FakePlugin.h"

namespace rimba::standalone {
namespace {

TEST(SequencerInput, WithoutASequencerDeviceEveryPathFailsQuietly) {
    if (access("/dev/snd/seq", F_OK) == 0)
        GTEST_SKIP() << "this machine has a sequencer";
    test::DeviceEnvironment::get();
    int messages = 0;
    platform::setMessagePresenter([&](const std::string&, const std::string&) { ++messages; });
    auto fake = std::make_unique<test::FakePlugin>();
    fake->nameMidiDevice("Midi Through:Midi Through Port-0");

    ::testing::internal::CaptureStderr();
    MidiInputPort port(fake->plugin());
    const bool opened = openAlsaSequencerInput(port, "Midi Through:Midi Through Port-0") != nullptr;
    const std::vector<std::string> names = listMidiInputDevices();
    const std::string written = ::testing::internal::GetCapturedStderr();
    platform::setMessagePresenter({});

    EXPECT_FALSE(port.isStarted());
    EXPECT_FALSE(opened);
    EXPECT_TRUE(names.empty());
    EXPECT_EQ(messages, 0);
    EXPECT_EQ(written, "");
}

}  // namespace
}  // namespace rimba::standalone
