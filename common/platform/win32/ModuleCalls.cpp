// The Win32 loader's record of the module under ModuleFolder.cpp.

#include "common/platform/ModuleCalls.h"

#include "common/platform/win32/Windows.h"

#include <vector>

namespace rimba::platform::calls {

namespace {

// Long paths can exceed MAX_PATH; the answer fills the buffer exactly when it was cut.
constexpr DWORD kLongestPath = 32768;

std::string moduleFileName(HMODULE module) {
    std::vector<char> buffer(MAX_PATH);
    for (;;) {
        const DWORD size = static_cast<DWORD>(buffer.size());
        const DWORD length = GetModuleFileNameA(module, buffer.data(), size);
        if (length == 0)
            return {};
        if (length < size)
            return std::string(buffer.data(), length);
        if (size >= kLongestPath)
            return {};
        buffer.resize(static_cast<std::size_t>(size) * 2);
    }
}

}  // namespace

std::string modulePath() {
    HMODULE module = nullptr;
    // The module that holds this very function: the plug-in's DLL in a host, the program itself
    // when the code is linked into an executable. No reference is kept.
    if (GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                           reinterpret_cast<LPCSTR>(&modulePath), &module) == 0)
        return {};
    return moduleFileName(module);
}

}  // namespace rimba::platform::calls
