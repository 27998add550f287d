// The console's control events run their handler on a thread the system starts for it; the
// handler only posts a message to the main window, whose loop then closes as after its close
// button.

#include "StandAlone/TerminationSignals.h"

#include "common/platform/win32/Windows.h"

#include <atomic>

namespace rimba::standalone {

namespace {

std::atomic<HWND> target{nullptr};
std::atomic<bool> closeAsked{false};

BOOL WINAPI askForClose(DWORD event) {
    // The close is on its way and the musician insists: the default handler ends the process.
    if (closeAsked.exchange(true))
        return FALSE;
    if (const HWND window = target.load(); window != nullptr)
        PostMessageW(window, WM_CLOSE, 0, 0);
    if (event == CTRL_CLOSE_EVENT || event == CTRL_LOGOFF_EVENT || event == CTRL_SHUTDOWN_EVENT) {
        // The system ends the process as soon as this handler returns from these events: it
        // waits here instead, and the program's own exit ends it once the plug-in has closed.
        Sleep(INFINITE);
    }
    return TRUE;
}

}  // namespace

int watchTerminationSignals() {
    SetConsoleCtrlHandler(askForClose, TRUE);
    return -1;
}

void directTerminationTo(void* window) {
    const HWND handle = static_cast<HWND>(window);
    target.store(handle);
    // A request during start-up, before the window was there to take it.
    if (handle != nullptr && closeAsked.load())
        PostMessageW(handle, WM_CLOSE, 0, 0);
}

}  // namespace rimba::standalone
