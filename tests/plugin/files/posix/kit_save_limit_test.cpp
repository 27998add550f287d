// A kit saved onto a full disk (a file-size limit stands in for it).

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "tests/common/platform/posix/FileSizeLimit.h"
#include "tests/plugin/files/KitFixture.h"

namespace rimba::chunk_test {
namespace {

using files::fixtures::readBytes;
using files::fixtures::writeBytes;

TEST(KitSaves, AFailedSaveLeavesTheFileThatWasThere) {
    TempFolder root;
    const Library library(root);
    auto drums = makeDrums(12, library.folder);
    dressTracks(*drums, library);
    writeBytes(library.kit("Keep.drs"), {1, 2, 3});
    {
        // A full disk: the kit's 5 kB do not fit.
        platform::fixtures::FileSizeLimit limit(1024);
        ASSERT_TRUE(limit.isApplied());
        EXPECT_FALSE(drums->saveKit(library.kit("Keep.drs")));
    }
    EXPECT_EQ(readBytes(library.kit("Keep.drs")), (std::vector<std::uint8_t>{1, 2, 3}));
}

}  // namespace
}  // namespace rimba::chunk_test
