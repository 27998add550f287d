// A pattern save that the system cuts short leaves the old file in place.

#include <sys/resource.h>

#include <csignal>
#include <filesystem>

#include <gtest/gtest.h>

#include "plugin/core/PatternSets.h"
#include "tests/common/platform/posix/FileSizeLimit.h"
#include "tests/plugin/files/PatternFixtures.h"
#include "tests/plugin/files/SoundFixtures.h"
#include "tests/support/InstrumentProbe.h"

namespace rimba::test::patterns {
namespace {

using files::fixtures::TempFolder;

using rimba::platform::fixtures::FileSizeLimit;

TEST(PatternSetRoundTrip, ASaveThatCannotBeWrittenWholeLeavesTheOldSetInPlace) {
    TempFolder folder;
    const std::string path = folder / "kept.ptn";
    const std::string old = line({"PATTERN_NOTES_CHANNEL", "12", "0", "16", "1"});
    writeText(path, old);
    auto drums = makeDrums(12);
    fillEverything(*drums);
    {
        FileSizeLimit limit(4096);
        ASSERT_TRUE(limit.isApplied());
        EXPECT_FALSE(savePatternSet(test::stateOf(*drums), path));
        EXPECT_FALSE(savePattern(test::stateOf(*drums), path, 3));
    }
    EXPECT_EQ(readText(path), old);
    std::size_t names = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder.path()))
        ++names;
    EXPECT_EQ(names, 1u);
}

}  // namespace
}  // namespace rimba::test::patterns
