#include "plugin/files/LibraryFolder.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>

#include "common/platform/Files.h"
#include "common/platform/FolderScan.h"

namespace rimba {

namespace {

constexpr const char* kLibraryInDataFolder = "/VORN Studio/Rimba Drums";

std::string environment(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? std::string(value) : std::string();
}

std::string withoutTrailingSeparators(std::string folder) {
    while (!folder.empty() && (folder.back() == '/' || folder.back() == '\\'))
        folder.pop_back();
    return folder;
}

bool sameLetters(char a, char b) {
    return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
}

std::string withSlashes(std::string path) {
    std::replace(path.begin(), path.end(), '\\', '/');
    return path;
}

}  // namespace

std::string libraryFolder(const InstrumentSettings& settings) {
    if (!settings.filesPath.empty())
        return withoutTrailingSeparators(settings.filesPath);
    // The XDG rules ignore a relative data folder.
    std::string data = environment("XDG_DATA_HOME");
    if (data.empty() || data.front() != '/')
        data = environment("HOME") + "/.local/share";
    return withoutTrailingSeparators(data) + kLibraryInDataFolder;
}

std::string toStoredPath(const std::string& path, const std::string& library) {
    // Only a whole folder name counts: "/lib2/a.wav" is not inside "/lib".
    const bool inside = !library.empty() && path.size() > library.size() + 1 && path[library.size()] == '/' &&
                        std::equal(library.begin(), library.end(), path.begin(), sameLetters);
    if (!inside)
        return path;
    std::string rest = path.substr(library.size());
    std::replace(rest.begin(), rest.end(), '/', '\\');
    return rest;
}

std::string fromStoredPath(const std::string& name, const std::string& library) {
    if (name.empty())
        return {};
    if (name.front() == '/') {
        const std::string absolute = withSlashes(name);
        if (platform::fileExists(platform::resolvePathIgnoringCase(absolute)))
            return absolute;
    }
    const bool leadingSeparator = name.front() == '/' || name.front() == '\\';
    const std::string rest = leadingSeparator ? name.substr(1) : name;
    if (rest.size() > 1 && rest[1] == ':')
        return withSlashes(rest);
    return library + "/" + withSlashes(rest);
}

}  // namespace rimba
