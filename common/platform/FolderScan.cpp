// The portable half of the folder scan: the order of a listing, which must not depend on the file
// system since programs are loaded by their number in it. The system's own listing is in
// FolderCalls.

#include "common/platform/FolderScan.h"

#include <algorithm>

#include "common/platform/FolderCalls.h"

namespace rimba::platform {

namespace {

// Only ASCII letters change case: the C library's toupper would follow the user's locale,
// and the order must be the same on every machine.
unsigned char asciiUpper(unsigned char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<unsigned char>(c - 'a' + 'A') : c;
}

// Bytes compare unsigned, so names with UTF-8 characters sort after all ASCII names.
bool upperCasedLess(const std::string& a, const std::string& b) {
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char left, char right) {
        return asciiUpper(static_cast<unsigned char>(left)) < asciiUpper(static_cast<unsigned char>(right));
    });
}

bool rawBytesLess(const std::string& a, const std::string& b) {
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char left, char right) {
        return static_cast<unsigned char>(left) < static_cast<unsigned char>(right);
    });
}

}  // namespace

bool folderNameLess(const std::string& a, const std::string& b) {
    if (upperCasedLess(a, b)) {
        return true;
    }
    if (upperCasedLess(b, a)) {
        return false;
    }
    // Names that differ only in case (possible on Linux) still need a fixed order.
    return rawBytesLess(a, b);
}

std::vector<FolderEntry> listFolder(const std::string& folder) {
    // An empty name would list the current folder (or the current drive's root), which no caller
    // means.
    if (folder.empty()) {
        return {};
    }
    std::vector<FolderEntry> entries = calls::readFolder(folder);
    // NTFS already lists in this order, but FAT, network drives and Linux file systems do not;
    // sorting here keeps program numbers the same on every drive and on every system.
    std::sort(entries.begin(), entries.end(),
              [](const FolderEntry& a, const FolderEntry& b) { return folderNameLess(a.name, b.name); });
    return entries;
}

}  // namespace rimba::platform
