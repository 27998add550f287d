#include "common/platform/Paths.h"

namespace rimba::platform {

std::size_t lastPathSeparator(const std::string& path) {
    for (std::size_t i = path.size(); i > 0; --i)
        if (isPathSeparator(path[i - 1]))
            return i - 1;
    return std::string::npos;
}

std::string joinPath(const std::string& folder, const std::string& name) {
    if (folder.empty() || isPathSeparator(folder.back()))
        return folder + name;
    return folder + pathSeparator() + name;
}

}  // namespace rimba::platform
