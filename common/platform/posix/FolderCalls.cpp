// The POSIX folder listing under FolderScan.cpp, and the case-insensitive path search that
// Windows file systems do by themselves.

#include "common/platform/FolderCalls.h"

#include <algorithm>
#include <dirent.h>
#include <fcntl.h>
#include <optional>
#include <sys/stat.h>

namespace rimba::platform {

namespace {

// Some file systems do not report the type in the listing, and a link to a folder should
// behave like the folder it points to, so those entries are asked for their type.
bool entryIsDirectory(DIR* folder, const dirent& entry) {
    if (entry.d_type == DT_DIR) {
        return true;
    }
    if (entry.d_type != DT_UNKNOWN && entry.d_type != DT_LNK) {
        return false;
    }
    struct stat info {};
    if (fstatat(dirfd(folder), entry.d_name, &info, 0) != 0) {
        return false;
    }
    return S_ISDIR(info.st_mode);
}

bool pathExists(const std::string& path) {
    struct stat info {};
    return lstat(path.c_str(), &info) == 0;
}

unsigned char asciiLower(unsigned char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<unsigned char>(c - 'A' + 'a') : c;
}

// ASCII only, like the listing order, so a match does not depend on the user's locale.
bool equalsIgnoringCase(const std::string& a, const std::string& b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char left, char right) {
        return asciiLower(static_cast<unsigned char>(left)) == asciiLower(static_cast<unsigned char>(right));
    });
}

std::vector<std::string> splitPathElements(const std::string& path) {
    std::vector<std::string> elements;
    std::size_t begin = 0;
    while (begin <= path.size()) {
        std::size_t end = path.find('/', begin);
        if (end == std::string::npos) {
            end = path.size();
        }
        if (end > begin) {
            elements.push_back(path.substr(begin, end - begin));
        }
        begin = end + 1;
    }
    return elements;
}

// Several names can match when the folder was made on a case-sensitive system; the first in
// listing order wins so the choice is the same every time.
std::optional<std::string> findNameIgnoringCase(const std::string& folder, const std::string& name) {
    for (const FolderEntry& entry : listFolder(folder.empty() ? "/" : folder)) {
        if (equalsIgnoringCase(entry.name, name)) {
            return entry.name;
        }
    }
    return std::nullopt;
}

}  // namespace

namespace calls {

std::vector<FolderEntry> readFolder(const std::string& folder) {
    std::vector<FolderEntry> entries;
    DIR* handle = opendir(folder.c_str());
    if (handle == nullptr) {
        return entries;
    }
    while (const dirent* entry = readdir(handle)) {
        if (!isSelfOrParent(entry->d_name)) {
            entries.push_back(FolderEntry{entry->d_name, entryIsDirectory(handle, *entry)});
        }
    }
    closedir(handle);
    return entries;
}

}  // namespace calls

std::string resolvePathIgnoringCase(const std::string& path) {
    if (path.empty() || path.front() != '/' || pathExists(path)) {
        return path;
    }
    std::string resolved;
    for (const std::string& element : splitPathElements(path)) {
        // An element spelled exactly right is kept even when other spellings exist beside it.
        if (pathExists(resolved + "/" + element)) {
            resolved += "/" + element;
            continue;
        }
        const std::optional<std::string> match = findNameIgnoringCase(resolved, element);
        if (!match) {
            return path;
        }
        resolved += "/" + *match;
    }
    if (path.back() == '/') {
        resolved += '/';
    }
    return pathExists(resolved) ? resolved : path;
}

}  // namespace rimba::platform
