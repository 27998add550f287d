// The module folder of code linked into a program, against the kernel's record of the program.

#include "common/platform/ModuleFolder.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace rimba::platform {
namespace {

TEST(ModuleFolder, OfCodeLinkedIntoAProgramIsTheProgramsFolder) {
    const std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe");
    EXPECT_EQ(moduleFolder(), program.parent_path().string());
}

}  // namespace
}  // namespace rimba::platform
