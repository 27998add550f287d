#include "common/platform/DynamicLibrary.h"

#include "common/platform/win32/WindowsError.h"

namespace rimba::platform {

bool DynamicLibrary::open(const std::string& path) {
    close();
    if (path.empty()) {
        error = "empty library path";
        return false;
    }
    // A library that is missing, or needs one that is, must fail quietly: without this the
    // system may stop the host with a dialog box about the missing file.
    DWORD previousMode = 0;
    const bool modeChanged =
        SetThreadErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX, &previousMode) != 0;
    HMODULE module = LoadLibraryA(path.c_str());
    const DWORD failure = GetLastError();
    if (modeChanged) {
        SetThreadErrorMode(previousMode, nullptr);
    }
    if (module == nullptr) {
        error = describeWindowsError(failure);
        return false;
    }
    handle = module;
    error.clear();
    return true;
}

void DynamicLibrary::close() {
    if (handle != nullptr) {
        FreeLibrary(static_cast<HMODULE>(handle));
        handle = nullptr;
    }
}

void* DynamicLibrary::symbol(const char* name) const {
    if (handle == nullptr) {
        error = "library not open";
        return nullptr;
    }
    if (name == nullptr) {
        error = "no symbol name";
        return nullptr;
    }
    const FARPROC address = GetProcAddress(static_cast<HMODULE>(handle), name);
    if (address == nullptr) {
        error = describeWindowsError(GetLastError());
        return nullptr;
    }
    error.clear();
    return reinterpret_cast<void*>(address);
}

}  // namespace rimba::platform
