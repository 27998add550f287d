// MIDI from the host: the ring, the receive channel, the sample a note fires at, and what each
// message does to the voices, the patterns and the program list.

#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

#include <gtest/gtest.h>

#include "common/platform/PeriodicTimer.h"
#include "common/vst/StandaloneLink.h"
#include "tests/plugin/core/CoreFixture.h"
#include "tests/support/InstrumentProbe.h"

namespace rimba::test {
namespace {

// A stand-in drum synth that records what the instrument sends it.
class RecordingSynth : public HostedPlugin {
public:
    RecordingSynth() : buffers(18, std::vector<float>(kMaxBlockFrames)) {}
    float* inputChannel(int c) override { return buffers[static_cast<std::size_t>(c)].data(); }
    float* outputChannel(int c) override { return buffers[static_cast<std::size_t>(c)].data(); }
    void processBlock(int) override {}
    void queueMidi(std::int32_t delta, std::uint8_t status, std::uint8_t key, std::uint8_t velocity) override {
        midi.push_back({delta, status, key, velocity});
    }
    void deliverQueuedMidi() override {}
    void setParameter(std::int32_t index, float value) override { parameters.emplace_back(index, value); }
    void setSampleRate(float) override {}
    void setBlockSize(std::int32_t) override {}

    struct Note {
        std::int32_t delta;
        std::uint8_t status, key, velocity;
    };
    std::vector<std::vector<float>> buffers;
    std::vector<Note> midi;
    std::vector<std::pair<std::int32_t, float>> parameters;
};

class MidiInput : public ::testing::Test {
protected:
    void send(std::vector<VstMidiEvent> events) {
        std::vector<VstEvent*> pointers;
        for (auto& event : events)
            pointers.push_back(reinterpret_cast<VstEvent*>(&event));
        // The published record declares two pointers; a host allocates room for all of them.
        std::vector<std::uint8_t> block(sizeof(VstEvents) + sizeof(VstEvent*) * pointers.size());
        auto* header = reinterpret_cast<VstEvents*>(block.data());
        header->numEvents = static_cast<VstInt32>(pointers.size());
        std::copy(pointers.begin(), pointers.end(), header->events);
        EXPECT_EQ(drums->processEvents(header), 1);
    }

    void render(int frames) { drums->processReplacing(nullptr, buffers.pointers(), frames); }

    // Renders one-sample blocks until the voice of `track` has been started, and says in which.
    int sampleWhereTrackStarts(int track, int limit) {
        for (int sample = 0; sample < limit; ++sample) {
            render(1);
            if (test::stateOf(*drums).voices[static_cast<std::size_t>(track)].velocity != 0)
                return sample;
        }
        return -1;
    }

    std::unique_ptr<VornDrums> drums = makeInstrument();
    RenderBuffers buffers{18, 4096};
};

TEST_F(MidiInput, ANoteFiresOneSampleBeforeItsDeltaOrAtOnceForZero) {
    send({midiEvent(0x90, 36, 100, 7)});
    EXPECT_EQ(sampleWhereTrackStarts(0, 50), 6);
    send({midiEvent(0x90, 37, 100, 0)});
    EXPECT_EQ(sampleWhereTrackStarts(1, 50), 0);
    send({midiEvent(0x90, 38, 100, 1)});
    EXPECT_EQ(sampleWhereTrackStarts(2, 50), 0);
}

TEST_F(MidiInput, ABurstIsSpreadOverOneSampleEach) {
    send({midiEvent(0x90, 36, 90), midiEvent(0x90, 37, 91), midiEvent(0x90, 38, 92), midiEvent(0x90, 39, 93)});
    for (int sample = 0; sample < 4; ++sample) {
        render(1);
        for (int t = 0; t < 4; ++t)
            EXPECT_EQ(test::stateOf(*drums).voices[static_cast<std::size_t>(t)].velocity != 0, t <= sample)
                << sample << " " << t;
    }
    EXPECT_EQ(test::stateOf(*drums).voices[3].velocity, 93);
}

TEST_F(MidiInput, OnlyTheReceiveChannelIsHeard) {
    test::stateOf(*drums).settings.receiveMidiChannel = 10;
    send({midiEvent(0x90, 36, 100), midiEvent(0x99, 37, 100), midiEvent(0x9A, 38, 100)});
    render(16);
    EXPECT_EQ(test::stateOf(*drums).voices[0].velocity, 0);
    EXPECT_EQ(test::stateOf(*drums).voices[1].velocity, 100);
    EXPECT_EQ(test::stateOf(*drums).voices[2].velocity, 0);
}

TEST_F(MidiInput, AFullRingDropsTheRestWithoutHarm) {
    std::vector<VstMidiEvent> flood;
    for (int i = 0; i < 300; ++i)
        flood.push_back(midiEvent(0x90, static_cast<std::uint8_t>(36 + i % 12), 100, i));
    send(flood);
    EXPECT_EQ(test::stateOf(*drums).midiInput.size(), 255u);
    render(4096);
    EXPECT_TRUE(test::stateOf(*drums).midiInput.empty());
}

TEST_F(MidiInput, TwoTracksWithOneKeyPlayOnlyTheLowerOne) {
    test::stateOf(*drums).settings.trackKey[5] = 40.0f;
    test::stateOf(*drums).settings.trackKey[9] = 40.0f;
    test::stateOf(*drums).settings.trackKey[4] = 41.0f;  // its own key moved away
    send({midiEvent(0x90, 40, 77)});
    render(8);
    EXPECT_EQ(test::stateOf(*drums).voices[4].velocity, 0);  // its default key 40 was moved away
    EXPECT_EQ(test::stateOf(*drums).voices[5].velocity, 77);
    EXPECT_EQ(test::stateOf(*drums).voices[9].velocity, 0);
}

TEST_F(MidiInput, VelocityAndLevelVelocitySetTheStartGain) {
    test::stateOf(*drums).tracks.levelVelocity[0] = 0.5f;
    send({midiEvent(0x90, 36, 64)});
    render(4);
    EXPECT_FLOAT_EQ(test::stateOf(*drums).voices[0].newVelocityGain, 64 * 0.5f / 128.0f + 0.5f);
    EXPECT_EQ(test::stateOf(*drums).voices[0].key, 36);
}

TEST_F(MidiInput, PatternTriggerKeysSelectPatternsAndSoundNothing) {
    test::stateOf(*drums).settings.patternTriggerMidiKey = 48;
    test::stateOf(*drums).settings.trackKey[3] = 64.0f;
    send({midiEvent(0x90, 52, 100)});
    render(4);
    EXPECT_EQ(test::stateOf(*drums).currentPattern, 4);
    EXPECT_EQ(test::stateOf(*drums).playingPattern, 4);
    for (const TrackVoice& voice : test::stateOf(*drums).voices)
        EXPECT_EQ(voice.velocity, 0);
    send({midiEvent(0x90, 64, 100)});  // 16 above the first trigger key: an ordinary note
    render(4);
    EXPECT_EQ(test::stateOf(*drums).voices[3].velocity, 100);
    EXPECT_EQ(test::stateOf(*drums).currentPattern, 4);
}

TEST_F(MidiInput, HoldingTriggerKeysRunsTheSequencerWhenMuteKeyIsOn) {
    test::stateOf(*drums).settings.patternTriggerMidiKey = 48;
    test::stateOf(*drums).settings.muteMidiKey = 1;
    test::stateOf(*drums).playing = 0;
    send({midiEvent(0x90, 48, 100), midiEvent(0x90, 50, 100)});
    render(4);
    EXPECT_EQ(test::stateOf(*drums).playing, 1);
    EXPECT_EQ(test::stateOf(*drums).heldTriggerKeys, 2);
    send({midiEvent(0x80, 48, 0)});
    render(4);
    EXPECT_EQ(test::stateOf(*drums).playing, 1);
    send({midiEvent(0x90, 50, 0)});  // a note-on of velocity 0 is a note-off
    render(4);
    EXPECT_EQ(test::stateOf(*drums).playing, 0);
    EXPECT_EQ(test::stateOf(*drums).heldTriggerKeys, 0);
}

TEST_F(MidiInput, AllNotesOffReleasesEveryVoice) {
    RecordingSynth synth;
    drums->placePlugin(VornDrums::kSynthSlot, &synth);
    test::stateOf(*drums).tracks.synthRoute[2] = 1.0f;
    test::stateOf(*drums).settings.muteMidiKey = 1;
    test::stateOf(*drums).heldTriggerKeys = 3;
    send({midiEvent(0xB3, 123, 0)});
    render(2);
    for (const TrackVoice& voice : test::stateOf(*drums).voices)
        EXPECT_EQ(voice.command, 0);
    EXPECT_EQ(test::stateOf(*drums).playing, 0);
    EXPECT_EQ(test::stateOf(*drums).heldTriggerKeys, 0);
    ASSERT_EQ(synth.midi.size(), 1u);
    EXPECT_EQ(synth.midi[0].status, 0x80);
    EXPECT_EQ(synth.midi[0].key, 36 + 2);
    drums->placePlugin(VornDrums::kSynthSlot, nullptr);
}

TEST_F(MidiInput, OtherControllersDoNothing) {
    send({midiEvent(0xB0, 7, 100)});
    render(2);
    for (const TrackVoice& voice : test::stateOf(*drums).voices)
        EXPECT_EQ(voice.command, -1);
}

TEST_F(MidiInput, AHitOnAChokeMemberChokesTheOthersEvenOneShots) {
    RecordingSynth synth;
    drums->placePlugin(VornDrums::kSynthSlot, &synth);
    giveTrackSound(*drums, 6, std::vector<std::int16_t>(20000, 8000));
    for (int t : {5, 6, 7})
        test::stateOf(*drums).tracks.choke[static_cast<std::size_t>(t)] = 1.0f;
    test::stateOf(*drums).tracks.synthRoute[5] = 1.0f;
    send({midiEvent(0x90, 36 + 6, 100)});
    render(2000);  // track 6 sounds, a one-shot
    ASSERT_GT(test::stateOf(*drums).voices[6].position, 100.0f);
    send({midiEvent(0x90, 36 + 5, 100)});
    render(1);
    EXPECT_EQ(test::stateOf(*drums).voices[6].fading, 1);  // a choke fades a one-shot all the same
    EXPECT_EQ(test::stateOf(*drums).voices[7].command, 2);
    EXPECT_EQ(test::stateOf(*drums).voices[4].command, -1);
    EXPECT_EQ(synth.parameters,
              (std::vector<std::pair<std::int32_t, float>>{{0x10030 + 6, 0.0f}, {0x10030 + 7, 0.0f}}));
    drums->placePlugin(VornDrums::kSynthSlot, nullptr);
}

TEST_F(MidiInput, NothingIsQueuedWhileAnExportRenders) {
    test::stateOf(*drums).offlineRender = 1;
    send({midiEvent(0x90, 36, 100)});
    EXPECT_TRUE(test::stateOf(*drums).midiInput.empty());
    test::stateOf(*drums).offlineRender = 0;
}

TEST_F(MidiInput, PlayStopToggledTwiceRestoresPlayingAndReleasesTwice) {
    RecordingSynth synth;
    drums->placePlugin(VornDrums::kSynthSlot, &synth);
    test::stateOf(*drums).tracks.synthRoute[1] = 1.0f;
    const std::int32_t before = test::stateOf(*drums).playing;
    drums->setParameter(kStandalonePlayToggle, 0.0f);
    EXPECT_NE(test::stateOf(*drums).playing, before);
    // The voices are the render loop's: the toggle only asks, and the next block releases them.
    EXPECT_EQ(test::stateOf(*drums).voices[0].command, -1);
    EXPECT_TRUE(synth.midi.empty());
    render(1);
    for (TrackVoice& voice : test::stateOf(*drums).voices) {
        EXPECT_EQ(voice.command, 0);
        voice.command = -1;
    }
    drums->setParameter(kStandalonePlayToggle, 0.0f);
    EXPECT_EQ(test::stateOf(*drums).playing, before);
    render(1);
    for (const TrackVoice& voice : test::stateOf(*drums).voices)
        EXPECT_EQ(voice.command, 0);
    EXPECT_EQ(synth.midi.size(), 2u);  // a note-off to the routed track each time
    drums->placePlugin(VornDrums::kSynthSlot, nullptr);
}

class ProgramChanges : public MidiInput {
protected:
    void SetUp() override {
        folder = std::filesystem::temp_directory_path() / ("rimba-programs-" + std::to_string(::getpid()));
        std::filesystem::create_directories(folder);
        for (const char* name : {"b.fxp", "A.fxp", "c.fxp", "notes.txt"})
            std::ofstream(folder / name) << "x";
        test::stateOf(*drums).settings.programFile = (folder / "b.fxp").string();
    }
    void TearDown() override { std::filesystem::remove_all(folder); }

    std::filesystem::path folder;
};

TEST_F(ProgramChanges, AreIgnoredWhenSwitchedOff) {
    test::stateOf(*drums).settings.enableMidiProgramChange = 0;
    send({midiEvent(0xC0, 2, 0)});
    render(4);
    EXPECT_TRUE(test::stateOf(*drums).programChanges.empty());
}

TEST_F(ProgramChanges, AreTakenByTheTimerNotTheAudioThread) {
    test::stateOf(*drums).patterns[0].randomHit[3] = 1.0f;
    send({midiEvent(0xC0, 2, 0)});
    render(4);
    // The audio thread only queued it.
    EXPECT_EQ(drums->getProgram(), 0);
    // The timer loads under the loaders' lock, so reading under it sees a whole load or none.
    auto programNow = [this] {
        std::lock_guard exclusive(test::stateOf(*drums).handshake.loaders);
        return drums->getProgram();
    };
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (programNow() != 2 && std::chrono::steady_clock::now() < deadline)
        platform::runTimersOnThisThread(5);
    std::lock_guard exclusive(test::stateOf(*drums).handshake.loaders);
    EXPECT_EQ(drums->getProgram(), 2);
    EXPECT_EQ(test::stateOf(*drums).settings.programFile, (folder / "c.fxp").string());  // A, b, c in name order
    EXPECT_EQ(test::stateOf(*drums).patterns[0].randomHit[3], 0.0f);
    EXPECT_EQ(test::stateOf(*drums).selectedTrack, -1);
}

TEST_F(ProgramChanges, ANumberWithoutAFileChangesNothing) {
    drums->loadProgram(3);
    drums->loadProgram(-1);
    EXPECT_EQ(drums->getProgram(), 0);
    EXPECT_EQ(test::stateOf(*drums).settings.programFile, (folder / "b.fxp").string());
    drums->loadProgram(0);
    EXPECT_EQ(test::stateOf(*drums).settings.programFile, (folder / "A.fxp").string());
}

}  // namespace
}  // namespace rimba::test
