// A MIDI program change as a host delivers it: the audio thread only queues it, and the 40 ms
// timer loads the program with that number from the current program's folder, numbered in the
// folder scan's order. On Windows the timer is a system timer of the thread that created the
// instance, so the test lets that thread dispatch its messages while it waits.

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>

#include "common/platform/Paths.h"
#include "common/platform/PeriodicTimer.h"
#include "tests/host/TestHost.h"

namespace rimba::test {
namespace {

class ProgramChangeHost : public ::testing::Test {
protected:
    void SetUp() override {
        hostRecord() = HostRecord{};
        // An instance closed by an earlier test of this process left its program in the store.
        clearUserStore();
        // The instrument renders, and so reads its MIDI, only with the host's clock.
        time.sampleRate = 44100.0;
        time.tempo = 120.0;
        time.flags = kVstTempoValid;
        hostRecord().timeInfo = &time;
        // The default program file lies in the library's Programs folder; its neighbours are
        // the programs a program change picks by number.
        std::filesystem::create_directories(programs);
        for (const char* name : kPrograms)
            std::ofstream(programs / name) << "not a program the instrument loads";
        ASSERT_TRUE(plugin.loaded()) << plugin.loadError();
        effect = plugin.create();
        ASSERT_NE(effect, nullptr);
        dispatch(effect, effSetSampleRate, 0, 0, nullptr, 44100.0f);
        dispatch(effect, effSetBlockSize, 0, 256);
        dispatch(effect, effMainsChanged, 0, 1);
    }
    void TearDown() override {
        if (effect)
            closeEffect(effect);
        for (const char* name : kPrograms)
            std::filesystem::remove(programs / name);
    }

    void sendProgramChange(int program) {
        VstMidiEvent change{};
        change.type = kVstMidiType;
        change.byteSize = sizeof change;
        change.midiData[0] = static_cast<char>(0xC0);
        change.midiData[1] = static_cast<char>(program);
        VstEvents events{};
        events.numEvents = 1;
        events.events[0] = reinterpret_cast<VstEvent*>(&change);
        ASSERT_EQ(dispatch(effect, effProcessEvents, 0, 0, &events), 1);
        renderOneBlock();
    }

    void renderOneBlock() {
        OutputBlock block(effect->numOutputs, 256, 0.5f);
        effect->processReplacing(effect, nullptr, block.pointers(), 256);
    }

    // Waits for the timer, bounded, letting this thread's timers fire meanwhile. Blocks go on
    // being rendered, as a host does: the program number is set before the program's file is
    // read, so a program change sent right after may meet a block kept silent by that load and
    // wait in the MIDI ring for the next one.
    VstIntPtr programOnceServed(VstIntPtr wanted) {
        const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        VstIntPtr program = dispatch(effect, effGetProgram);
        while (program != wanted && std::chrono::steady_clock::now() < giveUp) {
            renderOneBlock();
            platform::runTimersOnThisThread(10);
            program = dispatch(effect, effGetProgram);
        }
        return program;
    }

    static constexpr const char* kPrograms[] = {"b.fxp", "A.fxp", "c.fxp", "RimbaRand.fxp"};
    const std::filesystem::path programs = std::filesystem::path(platform::defaultLibraryFolder()) / "Programs";
    VstTimeInfo time{};
    PluginLibrary plugin;
    AEffect* effect = nullptr;
};

TEST_F(ProgramChangeHost, TheTimerTakesAQueuedProgramChange) {
    // A, b, c, RimbaRand in the folder scan's order: the default program file is number 3.
    EXPECT_EQ(dispatch(effect, effGetProgram), 3);
    sendProgramChange(2);
    EXPECT_EQ(programOnceServed(2), 2);
    sendProgramChange(0);
    EXPECT_EQ(programOnceServed(0), 0);
}

TEST_F(ProgramChangeHost, AProgramNumberBeyondTheFolderChangesNothing) {
    sendProgramChange(1);
    ASSERT_EQ(programOnceServed(1), 1);
    sendProgramChange(9);
    // Several ticks of the timer pass; the number stays.
    platform::runTimersOnThisThread(200);
    EXPECT_EQ(dispatch(effect, effGetProgram), 1);
}

}  // namespace
}  // namespace rimba::test
