#pragma once
// One-folder listing in a stable order. Programs are loaded by their number in this list,
// so the order must not depend on the file system: names are sorted like NTFS lists them,
// by the upper-cased name, then by the raw bytes. "." and ".." are never listed.
// Any thread; does file-system I/O, so never the audio thread.

#include <string>
#include <vector>

namespace rimba::platform {

struct FolderEntry {
    std::string name;  // file name without folder
    bool isDirectory = false;
};

// An unreadable or missing folder gives an empty list.
std::vector<FolderEntry> listFolder(const std::string& folder);

// The NTFS-like ordering used by listFolder, exposed for tests and for callers that merge lists.
bool folderNameLess(const std::string& a, const std::string& b);

// When `path` does not exist, tries a case-insensitive match of each path element in turn
// (files made on Windows do not always match the case on disk). Returns the path that exists,
// or `path` unchanged when no match is found.
std::string resolvePathIgnoringCase(const std::string& path);

}  // namespace rimba::platform
