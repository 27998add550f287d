#include <filesystem>

#include "common/settings/SettingsStore.h"
#include "tests/host/TestHost.h"

namespace rimba::test {

void clearUserStore() {
    std::error_code ignored;
    std::filesystem::remove_all(settings::userConfigFolder() + "/RimbaDrums_64", ignored);
}

}  // namespace rimba::test
