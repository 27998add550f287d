#include "common/platform/Paths.h"

#include <algorithm>
#include <cstdlib>

namespace rimba::platform {

namespace {

std::string environment(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? std::string(value) : std::string();
}

std::string withoutTrailingSeparators(std::string folder) {
    while (!folder.empty() && folder.back() == '/')
        folder.pop_back();
    return folder;
}

}  // namespace

char pathSeparator() { return '/'; }

bool isPathSeparator(char c) { return c == '/'; }

bool isAbsolutePath(const std::string& path) { return !path.empty() && path.front() == '/'; }

std::string withNativeSeparators(std::string path) {
    std::replace(path.begin(), path.end(), '\\', '/');
    return path;
}

const char* libraryExtension() { return "so"; }

std::string defaultLibraryFolder() {
    // The XDG rules ignore a relative data folder.
    std::string data = environment("XDG_DATA_HOME");
    if (data.empty() || data.front() != '/')
        data = environment("HOME") + "/.local/share";
    return withoutTrailingSeparators(data) + "/VORN Studio/Rimba Drums";
}

std::string defaultEffectFolder() {
    const std::string paths = environment("VST_PATH");
    const std::string first = paths.substr(0, paths.find(':'));
    if (!first.empty())
        return first + "/";
    return environment("HOME") + "/.vst/";
}

}  // namespace rimba::platform
