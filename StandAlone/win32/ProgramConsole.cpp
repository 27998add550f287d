#include "StandAlone/ProgramConsole.h"

#include "common/platform/win32/Windows.h"

#include <cstdio>

namespace rimba::standalone {

namespace {

bool usable(DWORD which) {
    const HANDLE handle = GetStdHandle(which);
    return handle != nullptr && handle != INVALID_HANDLE_VALUE && GetFileType(handle) != FILE_TYPE_UNKNOWN;
}

// Both the system's handle (for code that asks GetStdHandle, as platform::showSystemMessage
// does) and the C library's stream.
void pointAtConsole(DWORD which, std::FILE* stream) {
    const HANDLE console = CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                       nullptr, OPEN_EXISTING, 0, nullptr);
    if (console == INVALID_HANDLE_VALUE)
        return;
    SetStdHandle(which, console);
    if (std::freopen("CONOUT$", "w", stream) != nullptr)
        std::setvbuf(stream, nullptr, _IONBF, 0);
}

}  // namespace

void reachTheStartingConsole() {
    const bool output = usable(STD_OUTPUT_HANDLE);
    const bool error = usable(STD_ERROR_HANDLE);
    if ((output && error) || !AttachConsole(ATTACH_PARENT_PROCESS))
        return;
    if (!output)
        pointAtConsole(STD_OUTPUT_HANDLE, stdout);
    if (!error)
        pointAtConsole(STD_ERROR_HANDLE, stderr);
}

}  // namespace rimba::standalone
