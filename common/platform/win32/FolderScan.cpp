#include "common/platform/FolderScan.h"

#include "common/platform/win32/Windows.h"

#include <algorithm>
#include <cstring>

namespace rimba::platform {

namespace {

bool isDotEntry(const char* name) {
    return std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0;
}

std::string allEntriesPattern(const std::string& folder) {
    std::string pattern = folder;
    if (pattern.back() != '\\' && pattern.back() != '/') {
        pattern += '\\';
    }
    return pattern + "*";
}

}  // namespace

std::vector<FolderEntry> listFolder(const std::string& folder) {
    std::vector<FolderEntry> entries;
    // An empty name would list the current drive's root, which no caller means.
    if (folder.empty()) {
        return entries;
    }
    WIN32_FIND_DATAA found{};
    HANDLE search = FindFirstFileA(allEntriesPattern(folder).c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) {
        return entries;
    }
    do {
        if (!isDotEntry(found.cFileName)) {
            const bool isDirectory = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
            entries.push_back(FolderEntry{found.cFileName, isDirectory});
        }
    } while (FindNextFileA(search, &found));
    FindClose(search);
    // NTFS already lists in this order, but FAT and network drives do not; sorting here keeps
    // program numbers the same on every drive and on every system.
    std::sort(entries.begin(), entries.end(), [](const FolderEntry& a, const FolderEntry& b) {
        return folderNameLess(a.name, b.name);
    });
    return entries;
}

// Windows file systems already ignore case when a path is opened.
std::string resolvePathIgnoringCase(const std::string& path) {
    return path;
}

}  // namespace rimba::platform
