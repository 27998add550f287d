#include "plugin/editor/toolkit/win32/Win32FileDialogText.h"

#include "plugin/editor/toolkit/win32/Win32Text.h"

namespace rimba::toolkit::win32 {

namespace {

bool isSeparator(char c) { return c == '\\' || c == '/'; }

std::size_t lastSeparator(const std::string& path) { return path.find_last_of("\\/"); }

}  // namespace

std::wstring fileDialogFilter(const FileFilter& filter) {
    const std::string pattern = filter.extension.empty() ? "*.*" : "*." + filter.extension;
    const std::string description = filter.description.empty() ? pattern : filter.description + " (" + pattern + ")";
    std::wstring list = wideOf(description);
    list += L'\0';
    list += wideOf(pattern);
    list += L'\0';
    return list;
}

DialogStart dialogStartOf(const std::string& start, bool isFolder) {
    if (start.empty() || isFolder)
        return {start, {}};
    const std::size_t separator = lastSeparator(start);
    if (separator == std::string::npos)
        return {{}, start};
    // A file in a drive's root keeps the root's separator: "C:" alone is a drive's current folder.
    const bool driveRoot = separator == 2 && start[1] == ':';
    return {start.substr(0, driveRoot ? separator + 1 : separator), start.substr(separator + 1)};
}

std::string savedPathWithExtension(const std::string& path, const std::string& extension) {
    const std::size_t separator = lastSeparator(path);
    const std::size_t nameStart = separator == std::string::npos ? 0 : separator + 1;
    return path.substr(0, nameStart) + nameWithExtension(path.substr(nameStart), extension);
}

std::string folderWithoutTrailingSeparator(std::string folder) {
    while (folder.size() > 1 && isSeparator(folder.back())) {
        if (folder.size() == 3 && folder[1] == ':')
            break;
        folder.pop_back();
    }
    return folder;
}

}  // namespace rimba::toolkit::win32
