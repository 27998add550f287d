// The Win32 clock and scheduler calls under Clock.cpp.

#include "common/platform/ClockCalls.h"

#include "common/platform/win32/Windows.h"

namespace rimba::platform::calls {

// GetTickCount rather than its 64-bit form: the designed waits were measured with it, and its
// wrap after 49.7 days is the wrap of the 32-bit tick.
std::uint64_t elapsedMilliseconds() { return GetTickCount(); }

void yieldThread() { Sleep(0); }

// Sleep is not cut short by anything a program can send, so one call is the whole wait.
void sleepFor(int milliseconds) { Sleep(static_cast<DWORD>(milliseconds)); }

}  // namespace rimba::platform::calls
