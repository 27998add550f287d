// A factory library holding a file that cannot be read: a named pipe, which is never read as a
// file, whoever runs the test (root reads any file).

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>

#include "plugin/files/FactoryLibrary.h"
#include "tests/plugin/files/FactoryLibraryFixture.h"

namespace rimba {
namespace {

using files::fixtures::entriesBelow;
using files::fixtures::kFactoryEntries;
using files::fixtures::makeFactory;
using platform::fixtures::TempFolder;

TEST(CopyFactoryLibrary, AFileThatCannotBeReadCostsOnlyItself) {
    TempFolder temp;
    const std::string factory = makeFactory(temp, "factory");
    ASSERT_EQ(mkfifo((temp / "factory/Samples/Broken.wav").c_str(), 0644), 0);
    const std::string user = temp / "user";
    EXPECT_EQ(copyFactoryLibrary(factory, user), FactoryCopy::kIncomplete);
    EXPECT_EQ(entriesBelow(user), kFactoryEntries);
}

}  // namespace
}  // namespace rimba
