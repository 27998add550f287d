// The POSIX clock and scheduler calls under Clock.cpp.

#include "common/platform/ClockCalls.h"

#include <cerrno>
#include <ctime>
#include <sched.h>

namespace rimba::platform::calls {

std::uint64_t elapsedMilliseconds() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<std::uint64_t>(now.tv_sec) * 1000u + static_cast<std::uint64_t>(now.tv_nsec) / 1000000u;
}

void yieldThread() { sched_yield(); }

void sleepFor(int milliseconds) {
    timespec remaining{};
    remaining.tv_sec = milliseconds / 1000;
    remaining.tv_nsec = static_cast<long>(milliseconds % 1000) * 1000000L;
    // A signal handler must not cut the sleep short: callers count on the full wait.
    while (nanosleep(&remaining, &remaining) == -1 && errno == EINTR) {
    }
}

}  // namespace rimba::platform::calls
