#include "plugin/files/LibraryFolder.h"

#include <algorithm>
#include <cctype>

#include "common/platform/Files.h"
#include "common/platform/FolderScan.h"
#include "common/platform/Paths.h"

namespace rimba {

namespace {

std::string withoutTrailingSeparators(std::string folder) {
    while (!folder.empty() && (folder.back() == '/' || folder.back() == '\\'))
        folder.pop_back();
    return folder;
}

bool sameLetters(char a, char b) {
    return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
}

}  // namespace

std::string libraryFolder(const InstrumentSettings& settings) {
    if (!settings.filesPath.empty())
        return withoutTrailingSeparators(settings.filesPath);
    return platform::defaultLibraryFolder();
}

std::string toStoredPath(const std::string& path, const std::string& library, FolderCase folderCase) {
    // Only a whole folder name counts: "/lib2/a.wav" is not inside "/lib".
    const bool sameFolder = folderCase == FolderCase::kExact
                                ? path.compare(0, library.size(), library) == 0
                                : std::equal(library.begin(), library.end(), path.begin(), sameLetters);
    const bool inside = !library.empty() && path.size() > library.size() + 1 &&
                        platform::isPathSeparator(path[library.size()]) && sameFolder;
    if (!inside)
        return path;
    std::string rest = path.substr(library.size());
    std::replace_if(rest.begin(), rest.end(), platform::isPathSeparator, '\\');
    return rest;
}

std::string fromStoredPath(const std::string& name, const std::string& library) {
    if (name.empty())
        return {};
    // A name beginning with '\' is always inside the library. Any other name is a path of this
    // system when it is absolute here, except that an absolute path that begins with a
    // separator looks just like a library name whose '\' turned into '/', so it counts only
    // when a file exists there.
    if (name.front() != '\\') {
        const std::string native = platform::withNativeSeparators(name);
        if (platform::isAbsolutePath(native) && (!platform::isPathSeparator(native.front()) ||
                                                 platform::fileExists(platform::resolvePathIgnoringCase(native))))
            return native;
    }
    const bool leadingSeparator = name.front() == '/' || name.front() == '\\';
    const std::string rest = leadingSeparator ? name.substr(1) : name;
    // A drive path that is not absolute here was made on Windows: a foreign path, which does
    // not open here.
    if (rest.size() > 1 && rest[1] == ':')
        return platform::withNativeSeparators(rest);
    return platform::joinPath(library, platform::withNativeSeparators(rest));
}

}  // namespace rimba
