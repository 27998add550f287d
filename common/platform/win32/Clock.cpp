#include "common/platform/Clock.h"

#include "common/platform/win32/Windows.h"

namespace rimba::platform {

std::uint32_t tickMilliseconds() {
    return static_cast<std::uint32_t>(GetTickCount());
}

void sleepMilliseconds(int milliseconds) {
    // Sleep(0) gives other threads their turn, which is also what a negative wait should do.
    Sleep(milliseconds > 0 ? static_cast<DWORD>(milliseconds) : 0);
}

}  // namespace rimba::platform
