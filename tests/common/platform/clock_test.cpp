#include "common/platform/Clock.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

namespace rimba::platform {
namespace {

using namespace std::chrono_literals;

// Upper bounds only catch a hang: the machine running the tests may be busy.
constexpr std::uint32_t kHangMilliseconds = 5000;
// GetTickCount advances in steps of the system timer (10 to 16 ms); Linux's clock in steps of
// one millisecond. A difference of two ticks can be short by up to one step.
constexpr std::uint32_t kTickStepMilliseconds = 16;

TEST(Clock, TickAdvancesAcrossASleep) {
    const std::uint32_t before = tickMilliseconds();
    sleepMilliseconds(50);
    const std::uint32_t elapsed = tickMilliseconds() - before;
    EXPECT_GE(elapsed, 50u - kTickStepMilliseconds);
    EXPECT_LT(elapsed, kHangMilliseconds);
}

TEST(Clock, TickAgreesWithTheStandardSteadyClock) {
    const auto steadyBefore = std::chrono::steady_clock::now();
    const std::uint32_t before = tickMilliseconds();
    std::this_thread::sleep_for(30ms);
    const std::uint32_t elapsed = tickMilliseconds() - before;
    const auto steadyElapsed =
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - steadyBefore);
    EXPECT_GE(elapsed, 30u - kTickStepMilliseconds);
    EXPECT_LE(elapsed, static_cast<std::uint32_t>(steadyElapsed.count()) + kTickStepMilliseconds);
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

}  // namespace
}  // namespace rimba::platform
