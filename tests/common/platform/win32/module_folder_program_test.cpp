// The module folder of code linked into a program, against the system's name of the program.

#include "common/platform/ModuleFolder.h"

#include "common/platform/win32/Windows.h"

#include <gtest/gtest.h>

#include <array>
#include <string>

namespace rimba::platform {
namespace {

TEST(ModuleFolder, OfCodeLinkedIntoAProgramIsTheProgramsFolder) {
    std::array<char, 32768> program{};
    const DWORD length = GetModuleFileNameA(nullptr, program.data(), static_cast<DWORD>(program.size()));
    ASSERT_GT(length, 0u);
    const std::string path(program.data(), length);
    EXPECT_EQ(moduleFolder(), path.substr(0, path.find_last_of('\\')));
}

}  // namespace
}  // namespace rimba::platform
