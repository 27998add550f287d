#include "common/platform/Clock.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <csignal>
#include <pthread.h>
#include <thread>

namespace rimba::platform {
namespace {

using namespace std::chrono_literals;

// Upper bounds only catch a hang: the machine running the tests may be busy.
constexpr std::uint32_t kHangMilliseconds = 5000;

std::atomic<int> interruptions{0};

void countInterruption(int) {
    ++interruptions;
}

// Installs a handler without SA_RESTART, so a signal really cuts a sleep short.
class InterruptingSignal {
public:
    InterruptingSignal() {
        struct sigaction action {};
        action.sa_handler = countInterruption;
        sigemptyset(&action.sa_mask);
        action.sa_flags = 0;
        sigaction(SIGUSR1, &action, &previous);
    }
    ~InterruptingSignal() { sigaction(SIGUSR1, &previous, nullptr); }
    InterruptingSignal(const InterruptingSignal&) = delete;
    InterruptingSignal& operator=(const InterruptingSignal&) = delete;

private:
    struct sigaction previous {};
};

TEST(Clock, TickAdvancesAcrossASleep) {
    const std::uint32_t before = tickMilliseconds();
    sleepMilliseconds(50);
    const std::uint32_t elapsed = tickMilliseconds() - before;
    EXPECT_GE(elapsed, 50u);
    EXPECT_LT(elapsed, kHangMilliseconds);
}

TEST(Clock, TickAgreesWithTheStandardSteadyClock) {
    const auto steadyBefore = std::chrono::steady_clock::now();
    const std::uint32_t before = tickMilliseconds();
    std::this_thread::sleep_for(30ms);
    const std::uint32_t elapsed = tickMilliseconds() - before;
    const auto steadyElapsed = std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now() - steadyBefore);
    EXPECT_GE(elapsed, 30u);
    EXPECT_LE(elapsed, static_cast<std::uint32_t>(steadyElapsed.count()) + 1);
}

TEST(Clock, TickNeverGoesBackwards) {
    std::uint32_t previous = tickMilliseconds();
    for (int i = 0; i < 100000; ++i) {
        const std::uint32_t now = tickMilliseconds();
        // Going backwards would show up as a huge unsigned difference.
        ASSERT_LT(now - previous, kHangMilliseconds);
        previous = now;
    }
}

TEST(Clock, ZeroAndNegativeSleepsReturn) {
    const std::uint32_t before = tickMilliseconds();
    sleepMilliseconds(0);
    sleepMilliseconds(-100);
    EXPECT_LT(tickMilliseconds() - before, kHangMilliseconds);
}

TEST(Clock, SignalDoesNotCutASleepShort) {
    InterruptingSignal handler;
    interruptions = 0;
    const pthread_t sleeper = pthread_self();
    std::thread interrupter([sleeper] {
        std::this_thread::sleep_for(30ms);
        pthread_kill(sleeper, SIGUSR1);
    });
    const std::uint32_t before = tickMilliseconds();
    sleepMilliseconds(300);
    const std::uint32_t elapsed = tickMilliseconds() - before;
    interrupter.join();
    EXPECT_EQ(interruptions.load(), 1);
    EXPECT_GE(elapsed, 300u);
    EXPECT_LT(elapsed, kHangMilliseconds);
}

}  // namespace
}  // namespace rimba::platform
