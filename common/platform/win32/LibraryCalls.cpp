// The Win32 loader calls under DynamicLibrary.

#include "common/platform/LibraryCalls.h"

#include "common/platform/win32/WindowsError.h"

namespace rimba::platform::calls {

void* loadLibrary(const std::string& path, std::string& error) {
    // A library that is missing, or needs one that is, must fail quietly: without this the
    // system may stop the host with a dialog box about the missing file.
    DWORD previousMode = 0;
    const bool modeChanged = SetThreadErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX, &previousMode) != 0;
    HMODULE module = LoadLibraryA(path.c_str());
    const DWORD failure = GetLastError();
    if (modeChanged)
        SetThreadErrorMode(previousMode, nullptr);
    if (module == nullptr)
        error = describeWindowsError(failure);
    return module;
}

void unloadLibrary(void* library) { FreeLibrary(static_cast<HMODULE>(library)); }

bool findSymbol(void* library, const char* name, void*& address, std::string& error) {
    const FARPROC found = GetProcAddress(static_cast<HMODULE>(library), name);
    if (found == nullptr) {
        error = describeWindowsError(GetLastError());
        return false;
    }
    address = reinterpret_cast<void*>(found);
    return true;
}

}  // namespace rimba::platform::calls
