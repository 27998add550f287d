#include "common/platform/SystemMessage.h"

#include "common/platform/win32/Windows.h"

namespace rimba::platform {

namespace {

// A command-line program (the companion tool, a test) has somewhere to write; a host started
// from the desktop has no standard handles, and a message box is the only way to reach the user.
bool hasStandardError() {
    const HANDLE error = GetStdHandle(STD_ERROR_HANDLE);
    return error != nullptr && error != INVALID_HANDLE_VALUE && GetFileType(error) != FILE_TYPE_UNKNOWN;
}

}  // namespace

void showSystemMessage(const std::string& text, const std::string& caption) {
    if (hasStandardError()) {
        writeMessageToStandardError(text, caption);
        return;
    }
    MessageBoxA(nullptr, text.c_str(), caption.c_str(), MB_OK | MB_TASKMODAL);
}

}  // namespace rimba::platform
