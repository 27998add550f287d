// Path rules that only Windows has: either slash separates folders.

#include "common/platform/Paths.h"

#include <gtest/gtest.h>

namespace rimba::platform {
namespace {

TEST(WindowsPaths, EitherSlashSeparatesFolders) {
    EXPECT_TRUE(isPathSeparator('\\'));
    EXPECT_TRUE(isPathSeparator('/'));
    EXPECT_EQ(lastPathSeparator("C:\\Kits/808.drs"), 7u);
    EXPECT_EQ(lastPathSeparator("C:/Kits\\808.drs"), 7u);
    EXPECT_EQ(joinPath("C:\\Kits/", "808.drs"), "C:\\Kits/808.drs");
    EXPECT_EQ(joinPath("C:", "Kits"), "C:\\Kits");
}

}  // namespace
}  // namespace rimba::platform
