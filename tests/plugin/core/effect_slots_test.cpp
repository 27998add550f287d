// The instrument's five slots with real libraries in them (the fixture plug-ins of
// tests/plugins/): loading, replacing, refusing, the switches, what the plug-ins are told, and
// the state a program keeps of them.

#include <gtest/gtest.h>

#include <array>
#include <atomic>
#include <chrono>
#include <cmath>
#include <functional>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "common/platform/Paths.h"
#include "common/platform/PeriodicTimer.h"
#include "plugin/model/Tags.h"
#include "tests/plugin/core/CoreFixture.h"
#include "tests/plugin/core/EngineFixture.h"
#include "tests/plugins/FixturePlugins.h"
#include "tests/support/Environment.h"
#include "tests/support/TempFolder.h"
#include "tests/support/InstrumentProbe.h"

namespace rimba {
namespace {

using engine_test::Engine;
using test::fixturePluginPath;

constexpr int kSend1 = 0;
constexpr int kInsert1 = 2;
constexpr int kInsert2 = 3;

// A track that sounds a constant from the next block on, with both sends at `send`, its gains
// settled so that the output is steady at once.
void probe(Engine& engine, int track, float send, float pan = 0.5f) {
    VornDrums& drums = *engine;
    engine_test::makeProbeTrack(drums, track, 200000, 8000);
    test::stateOf(drums).tracks.pan[static_cast<std::size_t>(track)] = pan;
    test::stateOf(drums).tracks.send1[static_cast<std::size_t>(track)] = send;
    test::stateOf(drums).tracks.send2[static_cast<std::size_t>(track)] = send;
    drums.updateTrackGains(track);
    for (TrackVoice& voice : test::stateOf(drums).voices)
        for (int i = 0; i < 5000; ++i)
            drums.controlUpdate(voice);
    test::stateOf(drums).voiceBusGain = 1.0f;
    test::stateOf(drums).masterGain = test::stateOf(drums).masterGainTable[static_cast<std::size_t>(
        static_cast<int>(test::stateOf(drums).settings.masterLevel) & 127)];
    drums.auditionStart(track, 100, false);
}

class HostedEffectSlots : public ::testing::Test {
protected:
    void SetUp() override { test::setEnvironmentVariable("RIMBA_FIXTURE_LOG", logFile); }
    void TearDown() override { test::setEnvironmentVariable("RIMBA_FIXTURE_LOG", std::nullopt); }

    // The log's lines of one kind ("dispatcher", "process") from one fixture.
    std::vector<std::vector<std::string>> logged(const std::string& fixture, const std::string& kind) const {
        std::ifstream in(logFile);
        std::vector<std::vector<std::string>> lines;
        std::string line;
        while (std::getline(in, line)) {
            std::istringstream words(line);
            std::vector<std::string> tokens;
            for (std::string word; words >> word;)
                tokens.push_back(word);
            if (tokens.size() > 2 && tokens[0] == fixture && tokens[2] == kind)
                lines.push_back(tokens);
        }
        return lines;
    }
    int count(const std::string& fixture, const std::string& opcode) const {
        int n = 0;
        for (const auto& tokens : logged(fixture, "dispatcher"))
            n += tokens[3] == opcode;
        return n;
    }

    void probeTrack(int track, float send) { probe(engine, track, send); }

    test::TempFolder folder;
    std::string logFile = folder.path() + "/calls.log";
    Engine engine;
};

TEST_F(HostedEffectSlots, TheSameLibraryTwiceIsLoadedOnceAndAnotherReplacesItThroughAClose) {
    ASSERT_TRUE(engine->loadSlot(kSend1, fixturePluginPath("fixture-gain")).ok());
    const CPlugin* first = engine->slotPlugin(kSend1);
    ASSERT_TRUE(engine->loadSlot(kSend1, fixturePluginPath("fixture-gain")).ok());
    EXPECT_EQ(engine->slotPlugin(kSend1), first);
    EXPECT_EQ(count("fixture-gain", "0"), 1) << "opened once";

    ASSERT_TRUE(engine->loadSlot(kSend1, fixturePluginPath("fixture-main-only")).ok());
    EXPECT_EQ(count("fixture-gain", "1"), 1) << "the first plug-in was closed";
    EXPECT_EQ(engine->slotPlugin(kSend1)->description().label, "Main Only");
    EXPECT_EQ(test::stateOf(*engine).effectIn(kSend1), engine->slotPlugin(kSend1));
}

TEST_F(HostedEffectSlots, ARefusedLibraryEmptiesTheSlotAndSwitchesTheEffectOff) {
    ASSERT_TRUE(engine->selectEffect(kInsert1, fixturePluginPath("fixture-gain")).ok());
    EXPECT_EQ(test::stateOf(*engine).effectEnabled[kInsert1], 1);
    const Result<> refused = engine->selectEffect(kInsert1, fixturePluginPath("fixture-instrument"));
    EXPECT_FALSE(refused.ok());
    EXPECT_EQ(engine->slotPlugin(kInsert1), nullptr);
    EXPECT_EQ(test::stateOf(*engine).effectIn(kInsert1), nullptr);
    EXPECT_EQ(test::stateOf(*engine).effectEnabled[kInsert1], 0);
    EXPECT_EQ(count("fixture-gain", "1"), 1);
    engine.render(256);  // an empty slot renders as before
}

TEST_F(HostedEffectSlots, ASendReturnIsAddedToTheMasterOnlyWhileItsSwitchIsOn) {
    probeTrack(0, 1.0f);
    engine.play();
    engine.render(4096);
    const float dry = engine.masterLeft()[2048];
    ASSERT_NE(dry, 0.0f);

    for (const int enabled : {1, 0}) {
        Engine wet;
        probe(wet, 0, 1.0f);
        ASSERT_TRUE(wet->loadSlot(kSend1, fixturePluginPath("fixture-gain")).ok());
        test::stateOf(*wet).effectEnabled[kSend1] = enabled;
        wet.play();
        wet.render(4096);
        if (enabled)
            EXPECT_GT(wet.masterLeft()[2048], dry) << "the return adds to the dry signal";
        else
            EXPECT_EQ(wet.masterLeft()[2048], dry) << "a switched-off send returns nothing";
    }
}

// What a plug-in of fewer than two inputs or outputs makes of the two sides (l, r) a slot gives
// it, as the slot reads it back: a mono input hears (l + r) / 2, a mono output sounds on both
// sides; a plug-in without outputs leaves an insert's master as it was and returns nothing from
// a send.
struct Sides {
    float left;
    float right;
};
struct ChannelCountCase {
    const char* fixture;
    Sides (*asInsert)(float l, float r);
    Sides (*asSend)(float l, float r);
};
Sides middle(float l, float r) { return {(l + r) * 0.5f, (l + r) * 0.5f}; }
const ChannelCountCase kChannelCountCases[] = {
    {"fixture-mono", middle, middle},  // one input, one output
    {"fixture-mono-out", middle, middle},  // two inputs summed at half level to one output
    {"fixture-one-in-two-out",
     [](float l, float r) {
         return Sides{(l + r) * 0.5f, -(l + r) * 0.5f};
     },
     [](float l, float r) {
         return Sides{(l + r) * 0.5f, -(l + r) * 0.5f};
     }},
    {"fixture-meter",
     [](float l, float r) {
         return Sides{l, r};
     },
     [](float, float) {
         return Sides{0.0f, 0.0f};
     }},
};

// The master at a steady sample of a track panned left with send 1 full, with `library` in `slot`
// (none for an empty path).
Sides steadyMaster(int slot, const std::string& library) {
    Engine engine;
    probe(engine, 0, 1.0f, 0.2f);
    if (!library.empty()) {
        EXPECT_TRUE(engine->selectEffect(slot, fixturePluginPath(library)).ok()) << library;
    }
    engine.play();
    engine.render(4096);
    return {engine.masterLeft()[2048], engine.masterRight()[2048]};
}

TEST_F(HostedEffectSlots, PluginsOfOneOrNoChannelMeetBothSidesOfAnInsertAndASend) {
    const Sides dry = steadyMaster(kInsert1, "");
    ASSERT_GT(dry.left, dry.right) << "the track is panned left";
    ASSERT_GT(dry.right, 0.0f);
    // The send's own sides, as a plug-in that passes them on returns them.
    const Sides throughGain = steadyMaster(kSend1, "fixture-gain");
    const Sides send{throughGain.left - dry.left, throughGain.right - dry.right};
    ASSERT_GT(send.left, send.right);

    for (const ChannelCountCase& row : kChannelCountCases) {
        SCOPED_TRACE(row.fixture);
        const Sides insert = steadyMaster(kInsert1, row.fixture);
        const Sides expectedInsert = row.asInsert(dry.left, dry.right);
        EXPECT_FLOAT_EQ(insert.left, expectedInsert.left);
        EXPECT_FLOAT_EQ(insert.right, expectedInsert.right);

        const Sides wet = steadyMaster(kSend1, row.fixture);
        const Sides returned = row.asSend(send.left, send.right);
        EXPECT_NEAR(wet.left - dry.left, returned.left, 1e-6f);
        EXPECT_NEAR(wet.right - dry.right, returned.right, 1e-6f);
    }
}

// fixture-delay reports (and makes) 300 frames of latency; the instrument counts the inserts
// that run, in series, and tells its host of every change from the thread that made it.
TEST_F(HostedEffectSlots, TheLatencyOfTheRunningInsertsIsReportedAndTheHostToldOfEachChange) {
    const std::string delay = fixturePluginPath("fixture-delay");
    const auto switchEffect = [this](int slot, int on) {
        engine->setValue(tags::globalBase(test::stateOf(*engine).trackCount) + tags::kEffectEnabledOffset + slot,
                         static_cast<float>(on));
    };
    struct Change {
        const char* what;
        std::function<void()> make;
        int latency;
    };
    const std::vector<Change> changes{
        {"an insert", [&] { ASSERT_TRUE(engine->selectEffect(kInsert1, delay).ok()); }, 300},
        {"a second insert", [&] { ASSERT_TRUE(engine->selectEffect(kInsert2, delay).ok()); }, 600},
        {"a send, beside the dry sound", [&] { ASSERT_TRUE(engine->selectEffect(kSend1, delay).ok()); }, 600},
        {"the second insert off", [&] { switchEffect(kInsert2, 0); }, 300},
        {"the same library again", [&] { ASSERT_TRUE(engine->loadSlot(kInsert1, delay).ok()); }, 300},
        {"the first insert removed", [&] { engine->removeEffect(kInsert1); }, 0},
        {"the second insert on", [&] { switchEffect(kInsert2, 1); }, 300},
    };
    // The timer's thread may write it meanwhile.
    const auto initialDelay = [this] { return std::atomic_ref<VstInt32>(engine->getAeffect()->initialDelay).load(); };
    int reported = initialDelay();
    ASSERT_EQ(reported, 0);
    for (const Change& change : changes) {
        SCOPED_TRACE(change.what);
        const int told = engine.clock.ioChanges.load();
        change.make();
        EXPECT_EQ(initialDelay(), change.latency);
        EXPECT_EQ(engine.clock.ioChanges.load() - told, change.latency != reported ? 1 : 0);
        reported = change.latency;
    }

    // A plug-in's own change is found by the timer (a thread of its own, or this thread's
    // messages on Windows).
    const int told = engine.clock.ioChanges.load();
    engine->slotPlugin(kInsert2)->setParameter(0, 0.5f);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (engine.clock.ioChanges.load() == told && std::chrono::steady_clock::now() < deadline)
        platform::runTimersOnThisThread(5);
    EXPECT_EQ(engine.clock.ioChanges.load(), told + 1);
    EXPECT_EQ(initialDelay(), 500);
}

TEST_F(HostedEffectSlots, PluginsAskTheInstrumentsClockAndHearOfNewRatesAndBlockSizes) {
    ASSERT_TRUE(engine->loadSlot(VornDrums::kSynthSlot, fixturePluginPath("fixture-drum-synth")).ok());
    engine->setSampleRate(48000.0f);
    engine->setBlockSize(8192);
    engine.play(1000.0);
    engine.render(256);

    const auto process = logged("fixture-drum-synth", "process");
    ASSERT_FALSE(process.empty());
    // "process FRAMES time SAMPLEPOS TEMPO": the record the instrument's own host answered.
    EXPECT_EQ(process.back()[3], "256");
    EXPECT_EQ(process.back()[5], "1000");
    EXPECT_EQ(process.back()[6], "120");

    std::vector<std::string> told;
    for (const auto& tokens : logged("fixture-drum-synth", "dispatcher"))
        if (tokens[3] == "10")
            told.push_back("rate " + tokens[6]);
        else if (tokens[3] == "11")
            told.push_back("block " + tokens[5]);
    // At load (the instrument's 44100 and its block size), then each change; a block larger
    // than the render loop's pieces is told as the piece size.
    ASSERT_EQ(told.size(), 4u);
    EXPECT_EQ(told[2], "rate 48000");
    EXPECT_EQ(told[3], "block " + std::to_string(HostedPlugin::kMaxBlockFrames));
}

TEST_F(HostedEffectSlots, APluginIsNeverHandedMoreFramesThanItWasToldEvenInALongerBlock) {
    engine->setBlockSize(512);
    ASSERT_TRUE(engine->loadSlot(VornDrums::kSynthSlot, fixturePluginPath("fixture-drum-synth")).ok());
    engine.play();
    engine.render(3000);  // longer than the host said, as the audio export's blocks are
    std::vector<std::string> frames;
    for (const auto& tokens : logged("fixture-drum-synth", "process"))
        frames.push_back(tokens[3]);
    EXPECT_EQ(frames, (std::vector<std::string>{"512", "512", "512", "512", "512", "440"}));
}

// Only 0 to 4 name a slot: any other number is refused before anything is loaded, and the slots,
// their plug-ins and their switches stay as they were.
TEST_F(HostedEffectSlots, SlotNumbersOutsideZeroToFourAreRefusedAndTouchNothing) {
    for (int slot = 0; slot < VornDrums::kPluginSlots; ++slot)
        ASSERT_TRUE(engine->selectEffect(slot, fixturePluginPath("fixture-gain")).ok()) << slot;
    std::vector<const CPlugin*> held;
    std::vector<const HostedPlugin*> running;
    for (int slot = 0; slot < VornDrums::kPluginSlots; ++slot) {
        held.push_back(engine->slotPlugin(slot));
        running.push_back(test::stateOf(*engine).pluginSlots[static_cast<std::size_t>(slot)].live);
    }
    const auto switches = test::stateOf(*engine).effectEnabled;
    for (const int slot : {-1, VornDrums::kPluginSlots, VornDrums::kPluginSlots + 1, 1000}) {
        const Result<> loaded = engine->loadSlot(slot, fixturePluginPath("fixture-main-only"));
        EXPECT_FALSE(loaded.ok()) << slot;
        EXPECT_NE(loaded.reason().find("no slot"), std::string::npos) << loaded.reason();
        EXPECT_FALSE(engine->selectEffect(slot, fixturePluginPath("fixture-main-only")).ok()) << slot;
        engine->removeSlot(slot);
        engine->removeEffect(slot);
        EXPECT_EQ(engine->slotPlugin(slot), nullptr) << slot;
    }
    EXPECT_EQ(count("fixture-main-only", "0"), 0) << "nothing was opened";
    for (int slot = 0; slot < VornDrums::kPluginSlots; ++slot)
        EXPECT_EQ(engine->slotPlugin(slot), held[static_cast<std::size_t>(slot)]) << slot;
    EXPECT_EQ(test::stateOf(*engine).effectEnabled, switches);
    for (int slot = 0; slot < VornDrums::kPluginSlots; ++slot)
        EXPECT_EQ(test::stateOf(*engine).pluginSlots[static_cast<std::size_t>(slot)].live,
                  running[static_cast<std::size_t>(slot)])
            << slot;
    EXPECT_EQ(test::stateOf(*engine).drumSynth(), held.back());
}

// The four effect slots have switches, off with their plug-in's removal; the drum synth's slot
// has none, so choosing or removing its plug-in through the effect calls changes no switch, nor
// the master equaliser's beside them.
TEST_F(HostedEffectSlots, OnlyTheFourEffectSlotsHaveSwitches) {
    for (int slot = 0; slot < kEffectSlots; ++slot) {
        ASSERT_TRUE(engine->selectEffect(slot, fixturePluginPath("fixture-gain")).ok());
        engine->removeEffect(slot);
        EXPECT_EQ(test::stateOf(*engine).effectEnabled[static_cast<std::size_t>(slot)], 0) << slot;
        EXPECT_EQ(engine->slotPlugin(slot), nullptr) << slot;
    }
    test::stateOf(*engine).effectEnabled = {0, 1, 0, 1};
    test::stateOf(*engine).masterEqOn = 0.0f;
    ASSERT_TRUE(engine->selectEffect(VornDrums::kSynthSlot, fixturePluginPath("fixture-drum-synth")).ok());
    EXPECT_NE(test::stateOf(*engine).drumSynth(), nullptr);
    EXPECT_EQ(test::stateOf(*engine).effectEnabled, (std::array<std::int32_t, kEffectSlots>{0, 1, 0, 1}));
    EXPECT_EQ(test::stateOf(*engine).masterEqOn, 0.0f);

    test::stateOf(*engine).effectEnabled = {1, 0, 1, 0};
    test::stateOf(*engine).masterEqOn = 1.0f;
    engine->removeEffect(VornDrums::kSynthSlot);
    EXPECT_EQ(test::stateOf(*engine).drumSynth(), nullptr);
    EXPECT_EQ(test::stateOf(*engine).effectEnabled, (std::array<std::int32_t, kEffectSlots>{1, 0, 1, 0}));
    EXPECT_EQ(test::stateOf(*engine).masterEqOn, 1.0f);
}

// A host's block size below one frame is told as one, and the render loop hands the plug-in
// blocks of that size, so a block of 0 never stalls the render.
TEST_F(HostedEffectSlots, ABlockSizeBelowOneFrameIsToldAsOneAndRendersInOneFramePieces) {
    ASSERT_TRUE(engine->loadSlot(VornDrums::kSynthSlot, fixturePluginPath("fixture-drum-synth")).ok());
    for (const int asked : {0, -5}) {
        engine->setBlockSize(asked);
        std::string told;
        for (const auto& tokens : logged("fixture-drum-synth", "dispatcher"))
            if (tokens[3] == "11")
                told = tokens[5];
        EXPECT_EQ(told, "1") << asked;
    }
    engine.play();
    engine.render(8);
    std::vector<std::string> frames;
    for (const auto& tokens : logged("fixture-drum-synth", "process"))
        frames.push_back(tokens[3]);
    EXPECT_EQ(frames, std::vector<std::string>(8, "1"));
}

TEST_F(HostedEffectSlots, TheInstrumentsEndClosesEveryPluginItHolds) {
    auto drums = test::makeInstrument();
    for (int slot = 0; slot < VornDrums::kPluginSlots; ++slot)
        ASSERT_TRUE(drums->loadSlot(slot, fixturePluginPath("fixture-threaded")).ok());
    drums.reset();
    EXPECT_EQ(count("fixture-threaded", "0"), VornDrums::kPluginSlots);
    EXPECT_EQ(count("fixture-threaded", "1"), VornDrums::kPluginSlots);
}

// Effects in all four slots and the drum synth, their programs and parameters changed, kept in
// a program block and given to a fresh instrument.
TEST_F(HostedEffectSlots, AProgramWithEveryEffectRendersTheSameInAFreshInstrument) {
    const std::vector<std::string> effects{"fixture-gain", "fixture-regular-programs", "fixture-chunk-programs",
                                           "fixture-one-in-two-out"};
    const auto setUp = [](Engine& e) { probe(e, 0, 0.5f); };
    // A block names only libraries of the effects folder or the standard plug-in folders; this
    // one names them by their whole paths, as none lies in the first instrument's (empty) folder.
    const auto takeEffectsFromTheFixtures = [](Engine& e) {
        test::stateOf(*e).settings.effectPath = std::string(RIMBA_FIXTURE_PLUGIN_DIR) + "/";
    };
    setUp(engine);
    for (int slot = 0; slot < kEffectSlots; ++slot)
        ASSERT_TRUE(engine->selectEffect(slot, fixturePluginPath(effects[static_cast<std::size_t>(slot)])).ok());
    ASSERT_TRUE(engine->loadSlot(VornDrums::kSynthSlot, fixturePluginPath("fixture-drum-synth")).ok());
    engine->slotPlugin(0)->setParameter(0, 0.8f);
    engine->slotPlugin(1)->setCurrentProgram(2);
    engine->slotPlugin(1)->setParameter(0, 0.3f);
    engine->slotPlugin(2)->setCurrentProgram(3);
    engine->slotPlugin(2)->setParameter(0, 0.7f);
    engine->slotPlugin(VornDrums::kSynthSlot)->setParameter(3 * 8 + 1, 0.25f);
    const std::vector<std::uint8_t> block = engine->buildChunk();

    Engine fresh;
    setUp(fresh);
    takeEffectsFromTheFixtures(fresh);
    // A block names the effects' libraries but not the drum synth's: the synth is loaded first.
    ASSERT_TRUE(fresh->loadSlot(VornDrums::kSynthSlot, fixturePluginPath("fixture-drum-synth")).ok());
    ASSERT_EQ(fresh->setChunk(const_cast<std::uint8_t*>(block.data()), static_cast<VstInt32>(block.size()), false), 1);
    for (int slot = 0; slot < kEffectSlots; ++slot) {
        ASSERT_NE(fresh->slotPlugin(slot), nullptr) << slot;
        // The block's path comes back with this system's separators.
        EXPECT_EQ(fresh->slotPlugin(slot)->path(),
                  platform::withNativeSeparators(fixturePluginPath(effects[static_cast<std::size_t>(slot)])));
        EXPECT_EQ(test::stateOf(*fresh).effectEnabled[static_cast<std::size_t>(slot)], 1);
    }
    EXPECT_EQ(fresh->slotPlugin(1)->currentProgram(), 2);
    EXPECT_EQ(fresh->slotPlugin(2)->currentProgram(), 3);
    EXPECT_EQ(fresh->slotPlugin(VornDrums::kSynthSlot)->getParameter(3 * 8 + 1), 0.25f);
    // The first instrument takes its own block too, so both start from the same state.
    takeEffectsFromTheFixtures(engine);
    ASSERT_EQ(engine->setChunk(const_cast<std::uint8_t*>(block.data()), static_cast<VstInt32>(block.size()), false), 1);
    setUp(engine);
    setUp(fresh);

    engine.play();
    fresh.play();
    engine.renderInBlocks(20000, 512);
    fresh.renderInBlocks(20000, 512);
    ASSERT_NE(engine.masterLeft()[10000], 0.0f);
    EXPECT_EQ(engine.masterLeft(), fresh.masterLeft());
    EXPECT_EQ(engine.masterRight(), fresh.masterRight());
}

TEST(EffectLibraryList, TheSlotMenuListsTheEffectFoldersLibrariesOfThisSystemInFolderScanOrder) {
    test::TempFolder folder;
    const std::string ext = platform::libraryExtension();
    for (const std::string& name :
         std::vector<std::string>{"b-verb." + ext, "A-delay." + ext, "notes.txt", "chorus." + ext + ".txt",
                                  std::string("x.") + (ext == "so" ? "dll" : "so"), "Comp." + ext})
        std::ofstream(folder.path() + "/" + name) << "x";
    std::filesystem::create_directory(folder.path() + "/folder." + ext);
    auto drums = test::makeInstrument();
    test::stateOf(*drums).settings.effectPath = folder.path() + "/";
    EXPECT_EQ(drums->effectLibraries(), (std::vector<std::string>{"A-delay." + ext, "b-verb." + ext, "Comp." + ext}));
    test::stateOf(*drums).settings.effectPath = folder.path() + "/missing/";
    EXPECT_TRUE(drums->effectLibraries().empty());
}

// Under ThreadSanitizer this shows any race between a slot's loader and the render loop; in
// every build the render must stay finite while plug-ins come and go.
TEST(HostedEffectSlotRace, PluginsLoadedReplacedAndRemovedInEverySlotWhileAnotherThreadRenders) {
    auto drums = test::makeInstrument();
    test::giveTrackSound(*drums, 0, std::vector<std::int16_t>(3000, 9000));
    test::stateOf(*drums).tracks.send1[0] = 1.0f;
    test::stateOf(*drums).tracks.send2[0] = 1.0f;
    drums->updateTrackGains(0);
    test::stateOf(*drums).tracks.synthRoute[0] = 1.0f;
    test::stateOf(*drums).patterns[0].stepVelocity[0][0] = 100.0f;
    test::stateOf(*drums).patterns[0].stepVelocity[0][8] = 100.0f;
    test::coreTestTime().flags |= kVstTransportPlaying;

    std::atomic<bool> stop{false};
    std::atomic<bool> allFinite{true};
    std::atomic<int> blocks{0};
    std::thread audio([&] {
        test::RenderBuffers buffers(drums->getAeffect()->numOutputs, 256);
        while (!stop.load()) {
            drums->processReplacing(nullptr, buffers.pointers(), 256);
            test::coreTestTime().samplePos += 256;
            for (const auto& channel : buffers.channels)
                for (const float x : channel)
                    if (!std::isfinite(x))
                        allFinite.store(false);
            blocks.fetch_add(1);
        }
    });
    const std::vector<std::string> libraries{"fixture-gain", "fixture-regular-programs", "fixture-one-in-two-out",
                                             "fixture-threaded", "fixture-mono-out"};
    for (int round = 0; round < 6; ++round) {
        for (int slot = 0; slot < VornDrums::kPluginSlots; ++slot) {
            const std::string& library = libraries[static_cast<std::size_t>((slot + round) % 5)];
            ASSERT_TRUE(drums->selectEffect(slot, fixturePluginPath(library)).ok());
            if (round % 3 == 2)
                drums->removeEffect(slot);
        }
        ASSERT_TRUE(drums->loadSlot(VornDrums::kSynthSlot, fixturePluginPath("fixture-drum-synth")).ok());
        const int seen = blocks.load();
        while (blocks.load() < seen + 3)
            std::this_thread::yield();
    }
    stop.store(true);
    audio.join();
    EXPECT_TRUE(allFinite.load());
    EXPECT_GT(blocks.load(), 18);
}

}  // namespace
}  // namespace rimba
