#pragma once
// The system's own clock and scheduler calls under Clock.cpp. Only the platform layer includes
// this header; everything above it uses Clock.h.

#include <cstdint>

namespace rimba::platform::calls {

// Milliseconds since any fixed start, untouched by changes to the time of day. Only the low 32
// bits are used, so a count that wraps there serves as well as one that does not.
std::uint64_t elapsedMilliseconds();
// Gives the rest of this thread's turn to any other thread that is ready to run.
void yieldThread();
// Sleeps for a positive number of milliseconds, the whole of it even when a signal arrives.
void sleepFor(int milliseconds);

}  // namespace rimba::platform::calls
