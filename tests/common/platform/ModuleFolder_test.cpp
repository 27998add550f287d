// The folder of the module that holds the code. Linked into this test program, that module is
// the program itself; the plug-in's own case (a shared library loaded by path) is covered by
// tests/host/factory_library_host_test.cpp, which moves copies of the plug-in around.

#include "common/platform/ModuleFolder.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace rimba::platform {
namespace {

TEST(ModuleFolder, OfCodeLinkedIntoAProgramIsTheProgramsFolder) {
    const std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe");
    EXPECT_EQ(moduleFolder(), program.parent_path().string());
}

TEST(ModuleFolder, IsAnAbsolutePathWithoutATrailingSeparator) {
    const std::string folder = moduleFolder();
    ASSERT_FALSE(folder.empty());
    EXPECT_EQ(folder.front(), '/');
    EXPECT_NE(folder.back(), '/');
    EXPECT_TRUE(std::filesystem::is_directory(folder));
}

}  // namespace
}  // namespace rimba::platform
