#include "common/platform/OpenDocument.h"

#include "common/platform/win32/Windows.h"

#include <shellapi.h>

namespace rimba::platform {

void openDocument(const std::string& addressOrPath) {
    if (addressOrPath.empty())
        return;
    // The shell answers a failure with a number at most 32; there is nobody to tell.
    ShellExecuteA(nullptr, "open", addressOrPath.c_str(), nullptr, nullptr, SW_SHOWMAXIMIZED);
}

}  // namespace rimba::platform
