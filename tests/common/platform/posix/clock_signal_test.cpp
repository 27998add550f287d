// A signal on the sleeping thread, which only POSIX systems deliver this way.

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

void countInterruption(int) { ++interruptions; }

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
