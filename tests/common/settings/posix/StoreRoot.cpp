#include <filesystem>

#include "tests/common/settings/StoreFixture.h"
#include "tests/support/UniqueFolder.h"

namespace rimba::settings {

std::string makeStoreRoot() { return test::makeUniqueFolder("rimba-settings"); }

void removeStoreRoot(const std::string& root) {
    std::error_code ignored;
    std::filesystem::remove_all(root, ignored);
}

}  // namespace rimba::settings
