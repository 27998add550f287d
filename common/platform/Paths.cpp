// The portable half of the path rules: everything that follows from which characters separate
// folders, and the instrument's own folder names. The system's own answers are in PathCalls.

#include "common/platform/Paths.h"

#include "common/platform/PathCalls.h"

namespace rimba::platform {

std::size_t lastPathSeparator(const std::string& path) {
    for (std::size_t i = path.size(); i > 0; --i)
        if (isPathSeparator(path[i - 1]))
            return i - 1;
    return std::string::npos;
}

std::string folderOf(const std::string& path) {
    const std::size_t separator = lastPathSeparator(path);
    return separator == std::string::npos ? std::string() : path.substr(0, separator + 1);
}

std::string fileNameOf(const std::string& path) {
    const std::size_t separator = lastPathSeparator(path);
    return separator == std::string::npos ? path : path.substr(separator + 1);
}

std::string fileNameOfAnySystemPath(const std::string& path) {
    const std::size_t separator = path.find_last_of("/\\");
    return separator == std::string::npos ? path : path.substr(separator + 1);
}

std::string withoutExtension(const std::string& name) {
    const std::size_t dot = name.rfind('.');
    return dot == std::string::npos ? name : name.substr(0, dot);
}

// Files carry paths made on either system, so both separators are turned, not only the other
// system's one.
std::string withNativeSeparators(std::string path) {
    for (char& c : path)
        if (c == '/' || c == '\\')
            c = pathSeparator();
    return path;
}

std::string joinPath(const std::string& folder, const std::string& name) {
    if (folder.empty() || isPathSeparator(folder.back()))
        return folder + name;
    return folder + pathSeparator() + name;
}

std::string withoutTrailingSeparators(std::string folder) {
    while (!folder.empty() && isPathSeparator(folder.back()))
        folder.pop_back();
    return folder;
}

// Not joinPath: a parent folder that is the root alone ("/") must still give an absolute path.
std::string defaultLibraryFolder() {
    const char separator = pathSeparator();
    return withoutTrailingSeparators(calls::libraryParentFolder()) + separator + "VORN Studio" + separator +
           "Rimba Drums";
}

}  // namespace rimba::platform
