// The hand-overs between threads: the MIDI ring, the pending list, the filter updates and the
// load handshake.

#include <atomic>
#include <thread>

#include <gtest/gtest.h>

#include "common/platform/Clock.h"
#include "plugin/core/EventQueues.h"
#include "plugin/core/InstanceList.h"
#include "plugin/core/LoadHandshake.h"
#include "tests/plugin/core/CoreFixture.h"
#include "tests/support/InstrumentProbe.h"

namespace rimba::test {
namespace {

TEST(MidiInputRing, HoldsTwoHundredFiftyFiveMessagesAndDropsTheNext) {
    MidiInputRing ring;
    for (int i = 0; i < 255; ++i)
        EXPECT_TRUE(ring.push({.deltaFrames = i})) << i;
    EXPECT_FALSE(ring.push({.deltaFrames = 999}));
    for (int i = 0; i < 255; ++i)
        EXPECT_EQ(ring.pop()->deltaFrames, i);
    EXPECT_FALSE(ring.pop().has_value());
    EXPECT_TRUE(ring.push({.deltaFrames = 1}));  // wraps around
}

TEST(MidiInputRing, CarriesEveryMessageInOrderBetweenTwoThreads) {
    MidiInputRing ring;
    constexpr int kMessages = 100000;
    std::thread writer([&] {
        for (int i = 0; i < kMessages;)
            if (ring.push({.deltaFrames = i}))
                ++i;
    });
    int expected = 0;
    while (expected < kMessages) {
        if (auto entry = ring.pop()) {
            ASSERT_EQ(entry->deltaFrames, expected++);
        }
    }
    writer.join();
}

TEST(ProcessEvents, QueuesOnlyMidiOfTheReceiveChannel) {
    auto drums = makeInstrument();
    test::stateOf(*drums).settings.receiveMidiChannel = 10;
    VstMidiEvent onChannel10 = midiEvent(0x99, 36, 100, 7);
    VstMidiEvent onChannel1 = midiEvent(0x90, 37, 100, 8);
    VstEvent sysex{};
    sysex.type = kVstSysExType;
    struct {
        VstInt32 numEvents;
        VstIntPtr reserved;
        VstEvent* events[3];
    } block{3, 0, {reinterpret_cast<VstEvent*>(&onChannel1), &sysex, reinterpret_cast<VstEvent*>(&onChannel10)}};
    EXPECT_EQ(drums->processEvents(reinterpret_cast<VstEvents*>(&block)), 1);
    auto entry = test::stateOf(*drums).midiInput.pop();
    ASSERT_TRUE(entry.has_value());
    EXPECT_EQ(entry->deltaFrames, 7);
    EXPECT_EQ(entry->midi[0], 0x99);
    EXPECT_EQ(entry->midi[1], 36);
    EXPECT_FALSE(test::stateOf(*drums).midiInput.pop().has_value());
}

TEST(ProcessEvents, IgnoresEverythingDuringAnOfflineRender) {
    auto drums = makeInstrument();
    test::stateOf(*drums).offlineRender = 1;
    VstMidiEvent note = midiEvent(0x90, 36, 100, 0);
    VstEvents block{1, 0, {reinterpret_cast<VstEvent*>(&note), nullptr}};
    EXPECT_EQ(drums->processEvents(&block), 1);
    EXPECT_TRUE(test::stateOf(*drums).midiInput.empty());
}

TEST(PendingList, CountsEveryEventDownOncePerCallAndFiresInOrder) {
    PendingList list;
    list.append({.countdown = 2, .data1 = 1});
    list.append({.countdown = 0, .data1 = 2});
    list.append({.countdown = 1, .data1 = 3});
    list.append({.countdown = 3, .data1 = 4});
    std::vector<int> fired;
    auto fire = [&](const PendingEvent& event) { fired.push_back(event.data1); };
    list.countDownAndFire(fire);
    EXPECT_EQ(fired, (std::vector<int>{2, 3}));
    list.countDownAndFire(fire);
    EXPECT_EQ(fired, (std::vector<int>{2, 3, 1}));
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(list[0].countdown, 1);
    list.countDownAndFire(fire);
    EXPECT_EQ(fired, (std::vector<int>{2, 3, 1, 4}));
    EXPECT_TRUE(list.empty());
}

TEST(FilterUpdateList, TakesAtMostOneHundredUpdatesAndAppliesThemInOrder) {
    FilterUpdateList list;
    for (int i = 0; i < 100; ++i)
        EXPECT_TRUE(list.queue({.target = i % 12, .band = i % 3, .coefficients = {}})) << i;
    EXPECT_FALSE(list.queue({.target = 0, .band = 0, .coefficients = {}}));
    int next = 0;
    list.applyAll([&](const FilterUpdate& update) { EXPECT_EQ(update.target, next++ % 12); });
    EXPECT_EQ(next, 100);
    EXPECT_EQ(list.pending(), 0u);
    EXPECT_TRUE(list.queue({.target = 0, .band = 0, .coefficients = {}}));
}

TEST(FilterUpdateList, DroppingMasterUpdatesKeepsTheTrackUpdates) {
    FilterUpdateList list;
    list.queue({.target = FilterUpdate::kMasterTarget, .band = 0, .coefficients = {}});
    list.queue({.target = 4, .band = 1, .coefficients = {}});
    list.queue({.target = FilterUpdate::kMasterTarget, .band = 2, .coefficients = {}});
    list.dropMasterUpdates();
    std::vector<int> targets;
    list.applyAll([&](const FilterUpdate& update) { targets.push_back(update.target); });
    EXPECT_EQ(targets, (std::vector<int>{4}));
}

TEST(LoadHandshake, ALoaderWaitsForTheBlockInProgress) {
    LoadHandshake handshake;
    handshake.renderActive = 1;
    std::thread render([&] {
        platform::sleepMilliseconds(50);
        handshake.renderActive = 0;
    });
    const std::uint32_t started = platform::tickMilliseconds();
    handshake.beginLoad();
    EXPECT_GE(platform::tickMilliseconds() - started, 40u);
    EXPECT_EQ(handshake.renderActive.load(), 0);
    EXPECT_EQ(handshake.loadsInProgress.load(), 1);
    render.join();
    handshake.endLoad();
    EXPECT_EQ(handshake.loadsInProgress.load(), 0);
}

TEST(LoadHandshake, AStuckRenderDoesNotHoldTheLoaderBeyondItsBound) {
    LoadHandshake handshake;
    handshake.renderActive = 1;  // never cleared
    const std::uint32_t started = platform::tickMilliseconds();
    handshake.beginLoad();
    const std::uint32_t waited = platform::tickMilliseconds() - started;
    EXPECT_GE(waited, 5000u);
    EXPECT_LT(waited, 30000u);
}

TEST(LoadHandshake, EndingALoadNeverTakesTheCounterBelowZero) {
    LoadHandshake handshake;
    handshake.endLoad();
    EXPECT_EQ(handshake.loadsInProgress.load(), 0);
    handshake.beginLoad();
    handshake.loadsInProgress = 0;  // the render loop forced it back after a stuck load
    handshake.endLoad();
    EXPECT_EQ(handshake.loadsInProgress.load(), 0);
}

TEST(InstanceList, TheTimerRunsExactlyWhileInstancesLive) {
    InstanceList& list = InstanceList::process();
    ASSERT_EQ(list.size(), 0u);
    EXPECT_FALSE(list.timerRunning());
    {
        auto first = makeInstrument();
        auto second = makeInstrument();
        EXPECT_EQ(list.size(), 2u);
        EXPECT_TRUE(list.timerRunning());
        first.reset();
        EXPECT_TRUE(list.timerRunning());
    }
    EXPECT_EQ(list.size(), 0u);
    EXPECT_FALSE(list.timerRunning());
}

TEST(CloseAndDestroy, CloseHoldsTheRenderLoopOffForGood) {
    auto drums = makeInstrument();
    drums->close();
    EXPECT_GE(test::stateOf(*drums).handshake.loadsInProgress.load(), 1);
}

}  // namespace
}  // namespace rimba::test
