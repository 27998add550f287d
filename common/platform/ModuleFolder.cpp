// The portable half of the module folder: the folder part of the path the loader gives. The
// loader's own calls are in ModuleCalls.

#include "common/platform/ModuleFolder.h"

#include "common/platform/ModuleCalls.h"
#include "common/platform/Paths.h"

namespace rimba::platform {

std::string moduleFolder() {
    const std::string path = calls::modulePath();
    const std::size_t separator = lastPathSeparator(path);
    if (separator == std::string::npos)
        return {};
    // A module in the root keeps the root's separator: an empty folder would mean "unknown".
    return path.substr(0, separator == 0 ? 1 : separator);
}

}  // namespace rimba::platform
