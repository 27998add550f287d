// The POSIX path rules and folders under Paths.cpp.

#include "common/platform/PathCalls.h"

#include <cstdlib>

#include "common/platform/Paths.h"

namespace rimba::platform {

namespace {

std::string environment(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? std::string(value) : std::string();
}

}  // namespace

char pathSeparator() { return '/'; }

bool isPathSeparator(char c) { return c == '/'; }

bool isAbsolutePath(const std::string& path) { return !path.empty() && path.front() == '/'; }

const char* libraryExtension() { return "so"; }

std::string defaultEffectFolder() {
    const std::string paths = environment("VST_PATH");
    const std::string first = paths.substr(0, paths.find(':'));
    if (!first.empty())
        return first + "/";
    return environment("HOME") + "/.vst/";
}

namespace calls {

std::string libraryParentFolder() {
    // The XDG rules ignore a relative data folder.
    const std::string data = environment("XDG_DATA_HOME");
    if (data.empty() || data.front() != '/')
        return environment("HOME") + "/.local/share";
    return data;
}

}  // namespace calls

}  // namespace rimba::platform
