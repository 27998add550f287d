#pragma once
// Text for a Windows error code, for the few places that report why a call failed.

#include "common/platform/win32/Windows.h"

#include <string>

namespace rimba::platform {

inline std::string describeWindowsError(DWORD code) {
    char* buffer = nullptr;
    const DWORD length =
        FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                       nullptr, code, 0, reinterpret_cast<LPSTR>(&buffer), 0, nullptr);
    std::string text = length > 0 && buffer != nullptr ? std::string(buffer, length) : "error " + std::to_string(code);
    if (buffer != nullptr) {
        LocalFree(buffer);
    }
    // The system's messages end in a line break, which would split a command-line report.
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' ')) {
        text.pop_back();
    }
    return text;
}

}  // namespace rimba::platform
