// Path rules that only Linux has: '\' is an ordinary character of a name, and the default library
// folder is built on $XDG_DATA_HOME whatever separators it ends with.

#include "common/platform/Paths.h"

#include <gtest/gtest.h>

#include "tests/support/Environment.h"

namespace rimba::platform {
namespace {

TEST(PosixPaths, ABackslashIsPartOfANameNotASeparator) {
    EXPECT_FALSE(isPathSeparator('\\'));
    EXPECT_EQ(lastPathSeparator("Kits\\808.drs"), std::string::npos);
    EXPECT_EQ(lastPathSeparator("/home/me\\x"), 5u);
    EXPECT_EQ(joinPath("Kits\\", "808.drs"), "Kits\\/808.drs");
}

TEST(PosixPaths, TheDefaultLibraryFolderStaysAbsoluteWhateverTheDataFolderEndsWith) {
    const test::ScopedEnvironmentVariable keep("XDG_DATA_HOME", test::environmentVariable("XDG_DATA_HOME"));
    struct Case {
        const char* data;
        const char* library;
    };
    for (const Case& c :
         {Case{"/", "/VORN Studio/Rimba Drums"}, Case{"///", "/VORN Studio/Rimba Drums"},
          Case{"/data", "/data/VORN Studio/Rimba Drums"}, Case{"/data//", "/data/VORN Studio/Rimba Drums"}}) {
        test::setEnvironmentVariable("XDG_DATA_HOME", c.data);
        EXPECT_EQ(defaultLibraryFolder(), c.library) << c.data;
    }
}

}  // namespace
}  // namespace rimba::platform
