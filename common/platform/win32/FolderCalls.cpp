// The Win32 folder listing under FolderScan.cpp.

#include "common/platform/FolderCalls.h"

#include "common/platform/win32/Windows.h"

namespace rimba::platform {

namespace {

std::string allEntriesPattern(const std::string& folder) {
    std::string pattern = folder;
    if (pattern.back() != '\\' && pattern.back() != '/') {
        pattern += '\\';
    }
    return pattern + "*";
}

}  // namespace

namespace calls {

std::vector<FolderEntry> readFolder(const std::string& folder) {
    std::vector<FolderEntry> entries;
    WIN32_FIND_DATAA found{};
    HANDLE search = FindFirstFileA(allEntriesPattern(folder).c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) {
        return entries;
    }
    do {
        if (!isSelfOrParent(found.cFileName)) {
            const bool isDirectory = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
            entries.push_back(FolderEntry{found.cFileName, isDirectory});
        }
    } while (FindNextFileA(search, &found));
    FindClose(search);
    return entries;
}

}  // namespace calls

// Windows file systems already ignore case when a path is opened.
std::string resolvePathIgnoringCase(const std::string& path) { return path; }

}  // namespace rimba::platform
