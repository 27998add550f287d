#include "common/platform/Clock.h"

#include <cerrno>
#include <ctime>
#include <sched.h>

namespace rimba::platform {

std::uint32_t tickMilliseconds() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    const auto milliseconds = static_cast<std::uint64_t>(now.tv_sec) * 1000u +
                              static_cast<std::uint64_t>(now.tv_nsec) / 1000000u;
    // Truncating keeps the wrap-around of a 32-bit millisecond counter that callers expect.
    return static_cast<std::uint32_t>(milliseconds);
}

void sleepMilliseconds(int milliseconds) {
    if (milliseconds <= 0) {
        // A zero-length sleep still gives other threads their turn.
        sched_yield();
        return;
    }
    timespec remaining{};
    remaining.tv_sec = milliseconds / 1000;
    remaining.tv_nsec = static_cast<long>(milliseconds % 1000) * 1000000L;
    // A signal handler must not cut the sleep short: callers count on the full wait.
    while (nanosleep(&remaining, &remaining) == -1 && errno == EINTR) {
    }
}

}  // namespace rimba::platform
