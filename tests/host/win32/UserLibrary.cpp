#include "tests/host/UserLibrary.h"

#include "common/settings/SettingsStore.h"
#include "tests/host/TestHost.h"
#include "tests/support/UniqueFolder.h"

namespace rimba::test {

ScopedUserLibrary::ScopedUserLibrary(const std::string& home) : library(below(home, "data/VORN Studio/Rimba Drums")) {
    clearUserStore();
    settings::SettingsStore("RimbaDrums_64").writeText("Settings", "FilesPath", library);
}

ScopedUserLibrary::~ScopedUserLibrary() { clearUserStore(); }

}  // namespace rimba::test
