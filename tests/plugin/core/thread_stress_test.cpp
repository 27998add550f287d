// The host's threads at once: an audio thread rendering and sending MIDI, a user-interface
// thread changing parameters, and the process-wide timer taking program changes. Under
// ThreadSanitizer this shows every unplanned race; in every build it must neither crash nor
// produce anything but finite samples.

#include <atomic>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <random>
#include <thread>

#include <gtest/gtest.h>

#include "common/vst/StandaloneLink.h"
#include "plugin/model/Tags.h"
#include "plugin/tools/PatternEdit.h"
#include "tests/plugin/core/CoreFixture.h"
#include "tests/plugin/core/EngineFixture.h"
#include "tests/support/LentPlugins.h"
#include "tests/support/InstrumentProbe.h"

namespace rimba::test {
namespace {

bool allSamplesFinite(const RenderBuffers& buffers) {
    for (const auto& channel : buffers.channels)
        for (float x : channel)
            if (!std::isfinite(x))
                return false;
    return true;
}

TEST(ThreadStress, AudioParameterAndTimerThreadsTogetherStaySound) {
    const auto folder = std::filesystem::temp_directory_path() / ("rimba-stress-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    for (const char* name : {"one.fxp", "two.fxp", "three.fxp"})
        std::ofstream(folder / name) << "x";

    auto drums = makeInstrument();
    test::stateOf(*drums).settings.programFile = (folder / "one.fxp").string();
    for (int t = 0; t < 4; ++t) {
        std::vector<std::int16_t> sound(3000);
        for (std::size_t i = 0; i < sound.size(); ++i)
            sound[i] = static_cast<std::int16_t>((i * 37 + static_cast<std::size_t>(t) * 1000) % 20000 - 10000);
        giveTrackSound(*drums, t, std::move(sound));
        test::stateOf(*drums).patterns[static_cast<std::size_t>(t)].stepVelocity[0][static_cast<std::size_t>(t * 4)] =
            100.0f;
    }
    VstTimeInfo& time = coreTestTime();
    time.flags |= kVstTransportPlaying;

    constexpr int kBlocks = 600;
    std::atomic<bool> audioDone{false};
    std::atomic<bool> allFinite{true};
    std::thread audio([&] {
        RenderBuffers buffers(18, 256);
        std::mt19937 random(7);
        for (int block = 0; block < kBlocks; ++block) {
            VstMidiEvent events[3] = {
                midiEvent(0x90, static_cast<std::uint8_t>(36 + random() % 12), 100, random() % 256),
                midiEvent(0x80, static_cast<std::uint8_t>(36 + random() % 12), 0, random() % 256),
                midiEvent(0xC0, static_cast<std::uint8_t>(random() % 3), 0, 0)};
            struct {
                VstInt32 numEvents;
                VstIntPtr reserved;
                VstEvent* events[3];
            } block3{block % 50 == 0 ? 3 : 2,
                     0,
                     {reinterpret_cast<VstEvent*>(&events[0]), reinterpret_cast<VstEvent*>(&events[1]),
                      reinterpret_cast<VstEvent*>(&events[2])}};
            drums->dispatcher(effProcessEvents, 0, 0, &block3, 0.0f);
            drums->processReplacing(nullptr, buffers.pointers(), 256);
            time.samplePos += 256;
            if (!allSamplesFinite(buffers))
                allFinite = false;
        }
        audioDone = true;
    });
    std::thread host([&] {
        std::mt19937 random(11);
        char text[64];
        while (!audioDone) {
            const auto index = static_cast<VstInt32>(random() % 240);
            drums->setParameter(index, static_cast<float>(random() % 1000) / 1000.0f);
            drums->getParameterDisplay(index, text);
            (void)drums->getParameter(index);
            if (random() % 100 == 0)
                drums->setParameter(kStandalonePlayToggle, 0.0f);
            std::this_thread::yield();
        }
    });
    audio.join();
    host.join();
    EXPECT_TRUE(allFinite);
    drums.reset();
    std::filesystem::remove_all(folder);
}

// Every setting the render loop reads, changed by each of its user-interface-side writers while
// a standalone instrument (whose clock follows the tempo setting) plays hits and MIDI with
// plug-ins in its effect slots, so that the mixer, the voices, the sequencer, the MIDI handling
// and the batched path all read them meanwhile. A plain access on either side is a race.
TEST(ThreadStress, EverySettingTheRenderLoopReadsChangesBesideIt) {
    engine_test::Engine engine(kDefaultTrackCount, true);
    VornDrums& drums = *engine;
    std::array<engine_test::FakePlugin, kEffectSlots> effects;
    for (int slot = 0; slot < kEffectSlots; ++slot)
        drums.placePlugin(slot, &effects[static_cast<std::size_t>(slot)]);
    for (int t = 0; t < 6; ++t) {
        const auto track = static_cast<std::size_t>(t);
        const int sound = engine_test::addSound(drums, engine_test::rampSamples(3000, 7 * (t + 1)));
        // The track names its sound, so updateTrack finds it again by path.
        storeSoundPath(stateOf(drums).tracks.soundPath[track],
                       soundPathText(stateOf(drums).soundList[static_cast<std::size_t>(sound)]->path));
        engine_test::assignSound(drums, t, sound);
        for (std::size_t s = track; s < kMaxSteps; s += 3)
            stateOf(drums).patterns[track].stepVelocity[0][s] = 100.0f;
        stateOf(drums).patterns[track].stepRoll[0][track] = 2.0f;
    }
    stateOf(drums).chainEnabled.fill(1);
    stateOf(drums).settings.programFile = "/nonexistent-rimba-programs/none.fxp";
    using Writer = void (*)(VornDrums&, std::mt19937&);
    static constexpr Writer kWriters[] = {
        // The host's parameters of a track: level, pan, sends, tune, velocities, mute.
        [](VornDrums& d, std::mt19937& r) {
            const auto first = static_cast<VstInt32>(r() % 6) * kSlotsPerTrack;
            for (VstInt32 slot = 0; slot < 8; ++slot)
                d.setParameter(first + slot, r() % 3 == 0 ? 0.0f : static_cast<float>(r() % 1000) / 1000.0f);
        },
        // The rest of a track's tag slots: one-shot, reverse, loop, start, end, random ranges,
        // choke, scale, synth routing.
        [](VornDrums& d, std::mt19937& r) {
            const auto slot = static_cast<std::int32_t>(tags::kOneShot + r() % (kSlotsPerTrack - tags::kOneShot));
            d.setValue(tags::trackTag(static_cast<int>(r() % 6), slot),
                       r() % 3 == 0 ? 0.0f : static_cast<float>(r() % 1000) / 1000.0f);
        },
        [](VornDrums& d, std::mt19937& r) {
            const int globals = tags::globalBase(d.state().trackCount);
            d.setValue(globals + tags::kPatternStepsOffset, static_cast<float>(4 + r() % 13));
            d.setValue(globals + tags::kChainEnabledOffset + static_cast<int>(r() % 3), static_cast<float>(r() % 2));
            d.setValue(globals + tags::kPlayModeOffset, static_cast<float>(r() % 3));
            d.setValue(globals + tags::kSwingOffset, static_cast<float>(r() % kMaxSwing));
            d.setValue(globals + tags::kTempoOffset, static_cast<float>(60 + r() % 200));
            d.setValue(globals + tags::kFillAttenuationOffset, static_cast<float>(r() % kMaxFillAttenuation));
            d.setValue(globals + tags::kEffectEnabledOffset + static_cast<int>(r() % kEffectSlots),
                       static_cast<float>(r() % 2));
            d.setValue(globals + tags::kRandomAutoOffset, static_cast<float>(r() % 2));
        },
        [](VornDrums& d, std::mt19937& r) {
            d.setMasterEqOn(r() % 2 != 0);
            d.setMasterLevel(static_cast<float>(100 + r() % 28));
            d.setSolo(static_cast<int>(r() % 6), r() % 4 == 0);
        },
        [](VornDrums& d, std::mt19937& r) {
            const int track = static_cast<int>(r() % 6);
            const auto which = static_cast<VornDrums::TrackSwitch>(r() % 3);
            d.setTrackSwitch(track, which, r() % 2 != 0);
            d.setSynthMix(track, static_cast<float>(r() % 100) / 100.0f);
            d.setTrackKey(track, 36 + track + static_cast<int>(r() % 2) * 12);
        },
        [](VornDrums& d, std::mt19937& r) {
            d.setPatternSteps(0, static_cast<int>(4 + r() % 13));
            d.setPlayMode(static_cast<std::int32_t>(r() % 3));
            d.setRandomPerPattern(r() % 2 != 0);
            d.setRandomSettings(static_cast<int>(r() % 6), 1.0f, 4.0f, 1.0f);
        },
        [](VornDrums& d, std::mt19937& r) {
            d.setReceiveMidiChannel(static_cast<std::int32_t>(r() % 2));
            d.setPatternTriggerKey(r() % 2 != 0 ? 60 : -1);
            d.setMuteMidiKey(r() % 2 != 0);
            d.setMidiProgramChange(r() % 2 != 0);
            d.padNote(static_cast<int>(r() % 6), 100);
        },
        // Undo and redo put whole groups of settings back at once.
        [](VornDrums& d, std::mt19937& r) {
            d.beginGesture();
            d.setValue(tags::globalBase(d.state().trackCount) + tags::kSwingOffset,
                       static_cast<float>(r() % kMaxSwing));
            d.setValue(tags::trackTag(static_cast<int>(r() % 6), tags::kReverse), static_cast<float>(r() % 2));
            d.endGesture();
            d.undo();
            if (r() % 2 != 0)
                d.redo();
        },
    };

    // Every writer has its turn many times, however long each takes beside the blocks.
    constexpr std::size_t kRounds = 60 * std::size(kWriters);
    std::atomic<bool> userDone{false};
    std::atomic<bool> allFinite{true};
    std::atomic<bool> heard{false};  // the blocks played: the readers ran
    std::thread audio([&] {
        std::mt19937 random(5);
        for (int block = 0; !userDone; ++block) {
            engine_test::sendMidi(drums, 0x90, static_cast<std::uint8_t>(36 + random() % 24), 100,
                                  static_cast<std::int32_t>(random() % 256));
            engine_test::sendMidi(drums, 0x80, static_cast<std::uint8_t>(36 + random() % 24), 0,
                                  static_cast<std::int32_t>(random() % 256));
            if (block % 40 == 0)
                engine_test::sendMidi(drums, 0xB0, 123, 0, 0);
            if (block % 50 == 0)
                engine_test::sendMidi(drums, 0xC0, 1, 0, 0);  // the timer finds no such program
            engine.renderUnrecorded(256);
            for (int c = 0; c < 2; ++c) {
                for (int i = 0; i < 256; ++i) {
                    const float x = engine.channel(c)[i];
                    if (!std::isfinite(x))
                        allFinite = false;
                    else if (x != 0.0f)
                        heard = true;
                }
            }
        }
    });
    std::mt19937 random(13);
    for (std::size_t round = 0; round < kRounds; ++round) {
        kWriters[round % std::size(kWriters)](drums, random);
        std::this_thread::yield();
    }
    userDone = true;
    audio.join();
    EXPECT_TRUE(allFinite);
    EXPECT_TRUE(heard);
    test::takeBackLentPlugins(drums);
}

// Renders `blocks` blocks of a running host transport on a thread of its own while `userSide`
// runs on the calling thread until the blocks are done; true when every sample was finite.
template <typename UserSide>
bool renderBeside(VornDrums& drums, int blocks, UserSide userSide) {
    VstTimeInfo& time = coreTestTime();
    time.flags |= kVstTransportPlaying;
    std::atomic<bool> audioDone{false};
    std::atomic<bool> allFinite{true};
    std::thread audio([&] {
        RenderBuffers buffers(18, 256);
        for (int block = 0; block < blocks; ++block) {
            drums.processReplacing(nullptr, buffers.pointers(), 256);
            time.samplePos += 256;
            if (!allSamplesFinite(buffers))
                allFinite = false;
        }
        audioDone = true;
    });
    for (int round = 0; !audioDone; ++round) {
        userSide(round);
        std::this_thread::yield();
    }
    audio.join();
    return allFinite;
}

// The editor's side while the host plays: the grid's edits of the played planes, the random
// keystrokes' commands (and the host's parameter for them), play and stop, and program loads.
// Each reaches the render loop's data only through its hand-over.
TEST(ThreadStress, EditsRandomRequestsPlayStopAndLoadsBesideTheAudioThread) {
    const auto folder = std::filesystem::temp_directory_path() / ("rimba-stress-ui-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    auto drums = makeInstrument();
    for (int t = 0; t < 6; ++t) {
        const auto track = static_cast<std::size_t>(t);
        std::vector<std::int16_t> sound(2000, static_cast<std::int16_t>(2000 + 500 * t));
        giveTrackSound(*drums, t, std::move(sound));
        test::stateOf(*drums).patterns[track].stepVelocity[0][track * 2] = 100.0f;
        test::stateOf(*drums).tracks.randomMinDensity[track] = 2.0f;
        test::stateOf(*drums).tracks.randomMaxDensity[track] = 5.0f;
        test::stateOf(*drums).tracks.randomMaxRoll[track] = 2.0f;
    }
    test::stateOf(*drums).patternSteps[0] = 4;  // a pattern start every four steps: the automatic redraw runs often
    test::stateOf(*drums).randomAuto = 1;
    for (const char* name : {"a.fxp", "b.fxp"})
        ASSERT_TRUE(drums->saveProgramFile((folder / name).string()));
    test::stateOf(*drums).settings.programFile = (folder / "a.fxp").string();

    std::mt19937 random(3);
    const bool finite = renderBeside(*drums, 800, [&](int round) {
        const int track = static_cast<int>(random() % 6);
        const auto reference = std::optional<ReferencePattern>(takeReferencePattern(test::stateOf(*drums), track, 0));
        switch (round % 12) {
            case 0: drums->requestRandomRegeneration(); break;
            case 1: drums->setParameter(track * 20 + 8, static_cast<float>(random() % 100) / 100.0f); break;
            case 2: drums->requestTrackRandomRegeneration(track); break;
            case 3: drums->requestRandomKeystrokeRemoval(track, static_cast<int>(random() % 16)); break;
            case 4: drums->keepRandomKeystrokes(); break;
            case 5: drums->requestRandomClear(); break;
            case 6: randomizeSteps(*drums, track, 0, reference); break;
            case 7: rotatePatternLeft(*drums); break;
            case 8: cleanStrip(*drums, track); break;
            case 9: copyWholeTrack(*drums, track, (track + 1) % 6); break;
            case 10: drums->togglePlaying(); break;
            case 11:
                if (round % 96 == 11)
                    drums->loadProgram(static_cast<std::int32_t>(random() % 2));
                else
                    drums->stopPlaying();
                break;
        }
    });
    EXPECT_TRUE(finite);
    drums.reset();
    std::filesystem::remove_all(folder);
}

}  // namespace
}  // namespace rimba::test
