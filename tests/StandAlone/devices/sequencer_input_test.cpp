// The ALSA sequencer path: which events reach the MIDI queue, from events made by ALSA's own
// MIDI byte parser; a sequencer client of the test's own playing into the program's port where
// the machine has a sequencer, and taken again when it goes and comes back; and, where it has
// none, the quiet failure of every path.

#include <gtest/gtest.h>

#include <alsa/asoundlib.h>
#include <unistd.h>

#include <chrono>
#include <memory>
#include <thread>
#include <vector>

#include "StandAlone/devices/MidiDevice.h"
#include "StandAlone/devices/SequencerMessages.h"
#include "common/platform/MessageBox.h"
#include "tests/StandAlone/devices/DeviceEnvironment.h"
#include "tests/StandAlone/devices/FakePlugin.h"

namespace rimba::standalone {
namespace {

bool hasSequencer() { return access("/dev/snd/seq", F_OK) == 0; }

struct MidiCodecFree {
    void operator()(snd_midi_event_t* codec) const { snd_midi_event_free(codec); }
};
using MidiCodec = std::unique_ptr<snd_midi_event_t, MidiCodecFree>;

MidiCodec makeCodec() {
    snd_midi_event_t* codec = nullptr;
    if (snd_midi_event_new(64, &codec) < 0)
        return nullptr;
    snd_midi_event_no_status(codec, 1);
    return MidiCodec(codec);
}

struct Wire {
    const char* what;
    std::vector<std::uint8_t> bytes;
    std::optional<ShortMessage> taken;
};

void PrintTo(const Wire& wire, std::ostream* out) { *out << wire.what; }

class SequencerEvents : public ::testing::TestWithParam<Wire> {};

// ALSA's parser turns the bytes into the event a keyboard's driver would send.
TEST_P(SequencerEvents, OnlyShortMessagesReachTheQueue) {
    const MidiCodec encoder = makeCodec();
    const MidiCodec decoder = makeCodec();
    ASSERT_TRUE(encoder && decoder);
    const std::vector<std::uint8_t>& bytes = GetParam().bytes;
    snd_seq_event_t event{};
    const long used = snd_midi_event_encode(encoder.get(), bytes.data(), static_cast<long>(bytes.size()), &event);
    ASSERT_EQ(used, static_cast<long>(bytes.size()));
    ASSERT_NE(event.type, SND_SEQ_EVENT_NONE) << "the parser completed an event";

    EXPECT_EQ(sequencerShortMessage(decoder.get(), event), GetParam().taken);
}

INSTANTIATE_TEST_SUITE_P(Messages, SequencerEvents,
                         ::testing::Values(Wire{"ThreeByteSystemExclusive", {0xF0, 0x7E, 0xF7}, std::nullopt},
                                           Wire{"TwoByteSystemExclusive", {0xF0, 0xF7}, std::nullopt},
                                           Wire{"IdentityRequest", {0xF0, 0x7E, 0x7F, 0x06, 0x01, 0xF7}, std::nullopt},
                                           Wire{"NoteOn", {0x90, 60, 100}, ShortMessage{0x90, 60, 100}},
                                           Wire{"NoteOffOnChannelTen", {0x89, 36, 0}, ShortMessage{0x89, 36, 0}},
                                           Wire{"ControlChange", {0xB3, 7, 127}, ShortMessage{0xB3, 7, 127}},
                                           Wire{"ProgramChange", {0xC0, 5}, ShortMessage{0xC0, 5, 0}},
                                           Wire{"PitchBend", {0xE1, 0x00, 0x40}, ShortMessage{0xE1, 0x00, 0x40}},
                                           Wire{"SongPosition", {0xF2, 0x01, 0x02}, ShortMessage{0xF2, 0x01, 0x02}},
                                           Wire{"Clock", {0xF8}, ShortMessage{0xF8, 0, 0}},
                                           Wire{"Start", {0xFA}, ShortMessage{0xFA, 0, 0}}),
                         [](const auto& info) { return std::string(info.param.what); });

// A client of the test's own with one readable port, as a keyboard's would be.
class SendingClient {
public:
    SendingClient() {
        if (snd_seq_open(&sequencer, "default", SND_SEQ_OPEN_OUTPUT, 0) < 0) {
            sequencer = nullptr;
            return;
        }
        snd_seq_set_client_name(sequencer, "Rimba Test Keys");
        port = snd_seq_create_simple_port(sequencer, "Keys Out", SND_SEQ_PORT_CAP_READ | SND_SEQ_PORT_CAP_SUBS_READ,
                                          SND_SEQ_PORT_TYPE_MIDI_GENERIC | SND_SEQ_PORT_TYPE_APPLICATION);
    }
    ~SendingClient() {
        if (sequencer != nullptr)
            snd_seq_close(sequencer);
    }
    bool ready() const { return sequencer != nullptr && port >= 0; }

    void send(const std::vector<std::uint8_t>& bytes) {
        const MidiCodec encoder = makeCodec();
        snd_seq_event_t event{};
        snd_midi_event_encode(encoder.get(), bytes.data(), static_cast<long>(bytes.size()), &event);
        snd_seq_ev_set_source(&event, static_cast<unsigned char>(port));
        snd_seq_ev_set_subs(&event);
        snd_seq_ev_set_direct(&event);
        snd_seq_event_output_direct(sequencer, &event);
    }

private:
    snd_seq_t* sequencer = nullptr;
    int port = -1;
};

TEST(SequencerInput, AClientsSystemExclusiveStaysOutAndItsNoteComesIn) {
    if (!hasSequencer())
        GTEST_SKIP() << "this machine has no sequencer device";
    test::DeviceEnvironment::get();
    SendingClient keys;
    ASSERT_TRUE(keys.ready());
    test::FakePlugin fake;
    fake.nameMidiDevice("Rimba Test Keys:Keys Out");
    MidiInputPort port(fake.plugin());
    ASSERT_TRUE(port.isStarted());

    keys.send({0xF0, 0x7E, 0xF7});
    keys.send({0x90, 60, 100});
    // The reader thread polls; the note comes after the system exclusive, so once it is here the
    // system exclusive has been seen too.
    for (int wait = 0; wait < 200 && fake.eventCount() == 0; ++wait) {
        port.handOver();
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    port.handOver();

    ASSERT_EQ(fake.eventCount(), 1);
    EXPECT_EQ(std::string(fake.event(0).midiData, 4), std::string({'\x90', 60, 100, 0}));
}

// A keyboard unplugged and plugged in again: its client and port come back under the same names
// (and another client number).
TEST(SequencerInput, ASourceThatGoesAndComesBackUnderItsNameIsTakenAgain) {
    if (!hasSequencer())
        GTEST_SKIP() << "this machine has no sequencer device";
    test::DeviceEnvironment::get();
    auto keys = std::make_unique<SendingClient>();
    ASSERT_TRUE(keys->ready());
    test::FakePlugin fake;
    fake.nameMidiDevice("Rimba Test Keys:Keys Out");
    MidiInputPort port(fake.plugin());
    ASSERT_TRUE(port.isStarted());

    keys.reset();
    keys = std::make_unique<SendingClient>();
    ASSERT_TRUE(keys->ready());
    // Sent until one arrives: the subscription is made again on the reader thread.
    for (int wait = 0; wait < 200 && fake.eventCount() == 0; ++wait) {
        keys->send({0x90, 62, 90});
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        port.handOver();
    }
    ASSERT_GE(fake.eventCount(), 1);
    EXPECT_EQ(std::string(fake.event(0).midiData, 4), std::string({'\x90', 62, 90, 0}));
}

TEST(SequencerInput, WithoutASequencerDeviceEveryPathFailsQuietly) {
    if (hasSequencer())
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
