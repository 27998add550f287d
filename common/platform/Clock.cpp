// The portable half of the clock: the 32-bit tick and the meaning of a wait of no length. The
// system's own calls are in ClockCalls.

#include "common/platform/Clock.h"

#include "common/platform/ClockCalls.h"

namespace rimba::platform {

// Truncating keeps the wrap-around of a 32-bit millisecond counter that callers expect.
std::uint32_t tickMilliseconds() { return static_cast<std::uint32_t>(calls::elapsedMilliseconds()); }

// A zero or negative wait still gives other threads their turn, as Sleep(0) does.
void sleepMilliseconds(int milliseconds) {
    if (milliseconds <= 0)
        calls::yieldThread();
    else
        calls::sleepFor(milliseconds);
}

}  // namespace rimba::platform
