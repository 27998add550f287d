#pragma once
// Millisecond clock and sleeping. The tick wraps like a 32-bit millisecond counter;
// compare ticks only by difference (now - then), which stays correct across the wrap.
// Any thread may call these; tickMilliseconds never blocks.

#include <cstdint>

namespace rimba::platform {

std::uint32_t tickMilliseconds();

void sleepMilliseconds(int milliseconds);

}  // namespace rimba::platform
