// The POSIX path rules and folders under Paths.cpp.

#include "common/platform/PathCalls.h"

#include <algorithm>
#include <cstdlib>
#include <memory>

#include "common/platform/Paths.h"

namespace rimba::platform {

namespace {

std::string environment(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? std::string(value) : std::string();
}

// The entries of a list of folders such as $VST_PATH, separated by ':', empty ones left out.
void appendFolderList(std::vector<std::string>& folders, const std::string& list) {
    std::size_t start = 0;
    while (start <= list.size()) {
        const std::size_t end = std::min(list.find(':', start), list.size());
        if (end > start)
            folders.push_back(list.substr(start, end - start));
        start = end + 1;
    }
}

}  // namespace

char pathSeparator() { return '/'; }

bool isPathSeparator(char c) { return c == '/'; }

bool isAbsolutePath(const std::string& path) { return !path.empty() && path.front() == '/'; }

const char* libraryExtension() { return "so"; }

bool namesIgnoreCase() { return false; }

std::optional<std::string> resolvedPath(const std::string& path) {
    if (path.empty())
        return std::nullopt;
    const std::unique_ptr<char, decltype(&std::free)> resolved(realpath(path.c_str(), nullptr), &std::free);
    if (!resolved)
        return std::nullopt;
    return std::string(resolved.get());
}

std::vector<std::string> standardPluginFolders() {
    std::vector<std::string> folders;
    appendFolderList(folders, environment("VST_PATH"));
    appendFolderList(folders, environment("LXVST_PATH"));
    // A home that is not an absolute path would make the folders below relative to wherever the
    // host happens to run.
    if (const std::string home = environment("HOME"); isAbsolutePath(home)) {
        folders.push_back(home + "/.vst");
        folders.push_back(home + "/.lxvst");
    }
    for (const char* folder : {"/usr/local/lib/vst", "/usr/local/lib/lxvst", "/usr/lib/vst", "/usr/lib/lxvst"})
        folders.emplace_back(folder);
    return folders;
}

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
