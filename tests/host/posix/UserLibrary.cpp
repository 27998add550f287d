#include "tests/host/UserLibrary.h"

#include "tests/support/Environment.h"
#include "tests/support/UniqueFolder.h"

namespace rimba::test {

ScopedUserLibrary::ScopedUserLibrary(const std::string& homeFolder)
    : home(homeFolder),
      library(below(homeFolder, "data/VORN Studio/Rimba Drums")),
      previousData(environmentVariable("XDG_DATA_HOME")),
      previousConfig(environmentVariable("XDG_CONFIG_HOME")) {
    setEnvironmentVariable("XDG_DATA_HOME", below(home, "data"));
    setEnvironmentVariable("XDG_CONFIG_HOME", below(home, "config"));
}

ScopedUserLibrary::~ScopedUserLibrary() {
    setEnvironmentVariable("XDG_DATA_HOME", previousData);
    setEnvironmentVariable("XDG_CONFIG_HOME", previousConfig);
}

}  // namespace rimba::test
