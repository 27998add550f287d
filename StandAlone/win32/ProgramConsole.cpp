#include "StandAlone/ProgramConsole.h"

#include "common/platform/win32/Windows.h"

#include <fcntl.h>
#include <io.h>

#include <cstdint>
#include <cstdio>

namespace rimba::standalone {

namespace {

bool usable(DWORD which) {
    const HANDLE handle = GetStdHandle(which);
    return handle != nullptr && handle != INVALID_HANDLE_VALUE && GetFileType(handle) != FILE_TYPE_UNKNOWN;
}

HANDLE openConsoleOutput() {
    return CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                       OPEN_EXISTING, 0, nullptr);
}

// The C library's stream onto the console. msvcrt.dll on Windows gives a window program's stdout
// and stderr their descriptor numbers with no handle behind them, and freopen takes them over.
// Wine's msvcrt marks such streams closed (descriptor -2) and will not reopen them: the console
// then goes to the stream's own descriptor number, and the stream is marked open for writing on
// it, as the library's record of an open stream (msvcrt's FILE) holds it.
void bindStream(std::FILE* stream, int descriptor) {
    if (std::freopen("CONOUT$", "w", stream) == nullptr) {
        const HANDLE console = openConsoleOutput();
        if (console == INVALID_HANDLE_VALUE)
            return;
        const int opened = _open_osfhandle(reinterpret_cast<std::intptr_t>(console), _O_TEXT);
        if (opened < 0) {
            CloseHandle(console);
            return;
        }
        _dup2(opened, descriptor);
        _close(opened);
#ifndef _UCRT
        if (_fileno(stream) < 0) {
            stream->_file = descriptor;
            stream->_flag = _IOWRT;
        }
#endif
    }
    std::setvbuf(stream, nullptr, _IONBF, 0);
}

// Both the system's handle (for code that asks GetStdHandle, as platform::showSystemMessage
// does) and the C library's stream.
void pointAtConsole(DWORD which, int descriptor, std::FILE* stream) {
    const HANDLE console = openConsoleOutput();
    if (console == INVALID_HANDLE_VALUE)
        return;
    SetStdHandle(which, console);
    bindStream(stream, descriptor);
}

}  // namespace

void reachTheStartingConsole() {
    const bool output = usable(STD_OUTPUT_HANDLE);
    const bool error = usable(STD_ERROR_HANDLE);
    if (output && error)
        return;
    // Refused with "access denied" when the process has a console already (Wine gives a window
    // program its parent's): the handles are then made the same way.
    if (!AttachConsole(ATTACH_PARENT_PROCESS) && GetLastError() != ERROR_ACCESS_DENIED)
        return;
    if (!output)
        pointAtConsole(STD_OUTPUT_HANDLE, 1, stdout);
    if (!error)
        pointAtConsole(STD_ERROR_HANDLE, 2, stderr);
}

}  // namespace rimba::standalone
