#include "common/platform/FolderScan.h"

#include <algorithm>

namespace rimba::platform {

namespace {

// Only ASCII letters change case: the C library's toupper would follow the user's locale,
// and the order must be the same on every machine.
unsigned char asciiUpper(unsigned char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<unsigned char>(c - 'a' + 'A') : c;
}

// Bytes compare unsigned, so names with UTF-8 characters sort after all ASCII names.
bool upperCasedLess(const std::string& a, const std::string& b) {
    return std::lexicographical_compare(
        a.begin(), a.end(), b.begin(), b.end(), [](char left, char right) {
            return asciiUpper(static_cast<unsigned char>(left)) <
                   asciiUpper(static_cast<unsigned char>(right));
        });
}

bool rawBytesLess(const std::string& a, const std::string& b) {
    return std::lexicographical_compare(
        a.begin(), a.end(), b.begin(), b.end(), [](char left, char right) {
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

}  // namespace rimba::platform
