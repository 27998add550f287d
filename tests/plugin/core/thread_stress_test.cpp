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
#include "plugin/tools/PatternEdit.h"
#include "tests/plugin/core/CoreFixture.h"
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
