#include "tests/host/UserLibrary.h"

#include "tests/support/UniqueFolder.h"

namespace rimba::test {

ScopedUserLibrary::ScopedUserLibrary(const std::string& home) : library(below(home, "data/VORN Studio/Rimba Drums")) {
    data.emplace("XDG_DATA_HOME", below(home, "data"));
    config.emplace("XDG_CONFIG_HOME", below(home, "config"));
}

ScopedUserLibrary::~ScopedUserLibrary() = default;

}  // namespace rimba::test
