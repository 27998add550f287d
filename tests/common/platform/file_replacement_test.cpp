// A file written in pieces under a temporary name and given its name only when complete.

#include "common/platform/Files.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "tests/common/platform/TempFolder.h"

namespace rimba::platform {
namespace {

using fixtures::bytesOf;
using fixtures::contentOf;
using fixtures::TempFolder;
using ::testing::ElementsAre;

TEST(FileReplacement, PiecesTakeTheNameOnlyAtTheCommit) {
    TempFolder folder;
    const std::string target = folder.makeFile("song.wav", "old");
    FileReplacement file(target);
    ASSERT_TRUE(file.isOpen());
    EXPECT_TRUE(file.write(bytesOf("new ")));
    EXPECT_TRUE(file.write(bytesOf("content")));
    EXPECT_EQ(contentOf(target), "old");
    EXPECT_EQ(folder.namesIn().size(), 2u) << "the pieces wait under a temporary name beside it";
    ASSERT_TRUE(file.commit());
    EXPECT_EQ(contentOf(target), "new content");
    EXPECT_THAT(folder.namesIn(), ElementsAre("song.wav"));
    EXPECT_FALSE(file.write(bytesOf("more"))) << "a committed file takes nothing more";
}

TEST(FileReplacement, OneNotCommittedLeavesNothingBehind) {
    TempFolder folder;
    const std::string target = folder.makeFile("song.wav", "old");
    {
        FileReplacement file(target);
        ASSERT_TRUE(file.write(bytesOf("half a song")));
    }
    EXPECT_EQ(contentOf(target), "old");
    EXPECT_THAT(folder.namesIn(), ElementsAre("song.wav"));
}

TEST(FileReplacement, ATargetThatCannotBeMadeIsRefusedBeforeAnythingIsWritten) {
    TempFolder folder;
    folder.makeFolder("taken");
    for (const std::string& target : {folder / "taken", folder / "missing/song.wav", std::string(), folder / ""}) {
        SCOPED_TRACE(target);
        FileReplacement file(target);
        EXPECT_FALSE(file.isOpen());
        EXPECT_FALSE(file.write(bytesOf("x")));
        EXPECT_FALSE(file.commit());
    }
    EXPECT_THAT(folder.namesIn(), ElementsAre("taken"));
}

}  // namespace
}  // namespace rimba::platform
