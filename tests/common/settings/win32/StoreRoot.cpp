#include "common/platform/win32/Windows.h"

#include <random>

#include "tests/common/settings/StoreFixture.h"

namespace rimba::settings {

namespace {

bool keyExists(const std::string& path) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

}  // namespace

// A key below HKEY_CURRENT_USER\software that the product itself never uses.
std::string makeStoreRoot() {
    static std::mt19937_64 names{std::random_device{}()};
    for (;;) {
        const std::string root = "software\\RimbaDrums tests\\" + std::to_string(names() % 100000000);
        if (!keyExists(root))
            return root;
    }
}

void removeStoreRoot(const std::string& root) { RegDeleteTreeA(HKEY_CURRENT_USER, root.c_str()); }

}  // namespace rimba::settings
