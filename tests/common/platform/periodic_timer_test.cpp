#include "common/platform/PeriodicTimer.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <set>
#include <thread>

namespace rimba::platform {
namespace {

using namespace std::chrono_literals;
using SteadyClock = std::chrono::steady_clock;

// Generous, because the machine running the tests may be busy; only a hang fails.
constexpr auto kPatience = 10s;

// Polls until the condition holds or patience runs out; returns whether it held. The timers of
// this thread fire meanwhile (on Windows they fire only while the thread dispatches messages).
template <typename Condition>
bool eventually(Condition condition) {
    const auto giveUp = SteadyClock::now() + kPatience;
    while (!condition()) {
        if (SteadyClock::now() > giveUp) {
            return false;
        }
        runTimersOnThisThread(1);
    }
    return true;
}

TEST(PeriodicTimer, CallsBackRepeatedly) {
    std::atomic<int> calls{0};
    PeriodicTimer timer;
    timer.start(5, [&] { ++calls; });
    EXPECT_TRUE(timer.isRunning());
    EXPECT_TRUE(eventually([&] { return calls.load() >= 5; }));
    timer.stop();
}

TEST(PeriodicTimer, NoCallbackAfterStopReturns) {
    std::atomic<int> calls{0};
    PeriodicTimer timer;
    timer.start(1, [&] { ++calls; });
    ASSERT_TRUE(eventually([&] { return calls.load() >= 2; }));
    timer.stop();
    EXPECT_FALSE(timer.isRunning());
    const int afterStop = calls.load();
    runTimersOnThisThread(50);
    EXPECT_EQ(calls.load(), afterStop);
}

TEST(PeriodicTimer, StopWakesALongWaitAtOnce) {
    std::atomic<int> calls{0};
    PeriodicTimer timer;
    timer.start(10000, [&] { ++calls; });
    runTimersOnThisThread(50);
    const auto before = SteadyClock::now();
    timer.stop();
    EXPECT_LT(SteadyClock::now() - before, 2s);
    // The first call is due one interval after start, not at once.
    EXPECT_EQ(calls.load(), 0);
}

TEST(PeriodicTimer, SecondStartKeepsTheRunningThread) {
    std::mutex lock;
    std::set<std::thread::id> threads;
    std::atomic<int> firstCalls{0};
    std::atomic<int> secondCalls{0};
    PeriodicTimer timer;
    timer.start(2, [&] {
        std::lock_guard guard(lock);
        threads.insert(std::this_thread::get_id());
        ++firstCalls;
    });
    timer.start(2, [&] { ++secondCalls; });
    ASSERT_TRUE(eventually([&] { return firstCalls.load() >= 5; }));
    timer.stop();
    EXPECT_EQ(secondCalls.load(), 0);
    EXPECT_EQ(threads.size(), 1u);
}

TEST(PeriodicTimer, RestartsAfterStop) {
    std::atomic<int> firstCalls{0};
    std::atomic<int> secondCalls{0};
    PeriodicTimer timer;
    timer.start(2, [&] { ++firstCalls; });
    ASSERT_TRUE(eventually([&] { return firstCalls.load() >= 1; }));
    timer.stop();
    const int firstTotal = firstCalls.load();

    timer.start(2, [&] { ++secondCalls; });
    EXPECT_TRUE(timer.isRunning());
    EXPECT_TRUE(eventually([&] { return secondCalls.load() >= 3; }));
    timer.stop();
    EXPECT_EQ(firstCalls.load(), firstTotal);
}

TEST(PeriodicTimer, StopLetsARunningCallbackFinish) {
    std::atomic<bool> entered{false};
    std::atomic<bool> finished{false};
    PeriodicTimer timer;
    timer.start(1, [&] {
        if (entered.exchange(true)) {
            return;
        }
        std::this_thread::sleep_for(200ms);
        finished = true;
    });
    ASSERT_TRUE(eventually([&] { return entered.load(); }));
    timer.stop();
    EXPECT_TRUE(finished.load());
}

TEST(PeriodicTimer, StopWithoutStartIsHarmless) {
    std::atomic<int> calls{0};
    PeriodicTimer timer;
    timer.stop();
    EXPECT_FALSE(timer.isRunning());
    timer.start(2, [&] { ++calls; });
    EXPECT_TRUE(eventually([&] { return calls.load() >= 1; }));
    timer.stop();
}

TEST(PeriodicTimer, DestructionStopsTheThread) {
    std::atomic<int> calls{0};
    {
        PeriodicTimer timer;
        timer.start(1, [&] { ++calls; });
        ASSERT_TRUE(eventually([&] { return calls.load() >= 1; }));
    }
    const int afterDestruction = calls.load();
    runTimersOnThisThread(50);
    EXPECT_EQ(calls.load(), afterDestruction);
}

TEST(PeriodicTimer, NonPositiveIntervalStillTicks) {
    std::atomic<int> calls{0};
    PeriodicTimer timer;
    timer.start(0, [&] { ++calls; });
    EXPECT_TRUE(eventually([&] { return calls.load() >= 3; }));
    timer.stop();
}

}  // namespace
}  // namespace rimba::platform
