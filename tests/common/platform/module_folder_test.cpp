// The folder of the module that holds the code. Linked into this test program, that module is
// the program itself (posix/ and win32/ check which folder that is); the plug-in's own case (a
// shared library loaded by path) is covered by tests/host/factory_library_host_test.cpp, which
// moves copies of the plug-in around.

#include "common/platform/ModuleFolder.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "common/platform/Paths.h"

namespace rimba::platform {
namespace {

TEST(ModuleFolder, IsAnAbsolutePathWithoutATrailingSeparator) {
    const std::string folder = moduleFolder();
    ASSERT_FALSE(folder.empty());
    EXPECT_TRUE(isAbsolutePath(folder)) << folder;
    EXPECT_FALSE(isPathSeparator(folder.back())) << folder;
    EXPECT_TRUE(std::filesystem::is_directory(folder));
}

}  // namespace
}  // namespace rimba::platform
