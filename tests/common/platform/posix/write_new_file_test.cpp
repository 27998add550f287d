// Writes that never take a name already in use, and folders made with their parents.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <thread>
#include <vector>

#include "common/platform/Files.h"
#include "tests/common/platform/posix/FileSizeLimit.h"
#include "tests/common/platform/TempFolder.h"

namespace rimba::platform {
namespace {

using fixtures::bytesOf;
using fixtures::contentOf;
using fixtures::FileSizeLimit;
using fixtures::TempFolder;
using ::testing::ElementsAre;
using ::testing::UnorderedElementsAre;

TEST(WriteNewFileAtomically, CreatesAFileWhereNoneIs) {
    TempFolder folder;
    ASSERT_TRUE(writeNewFileAtomically(folder / "kick.wav", bytesOf("RIFF and the rest")));
    EXPECT_EQ(contentOf(folder / "kick.wav"), "RIFF and the rest");
    EXPECT_THAT(folder.namesIn(), ElementsAre("kick.wav"));
}

TEST(WriteNewFileAtomically, NeverReplacesAnExistingFile) {
    TempFolder folder;
    const std::string target = folder.makeFile("kick.wav", "the user's kick");
    EXPECT_FALSE(writeNewFileAtomically(target, bytesOf("the factory's kick")));
    EXPECT_EQ(contentOf(target), "the user's kick");
    EXPECT_THAT(folder.namesIn(), ElementsAre("kick.wav"));
}

TEST(WriteNewFileAtomically, NeverReplacesAFolderOrALink) {
    TempFolder folder;
    folder.makeFile("Samples/inside.wav", "kept");
    const std::string elsewhere = folder.makeFile("elsewhere.wav", "pointed at");
    std::filesystem::create_symlink(elsewhere, folder / "link.wav");
    EXPECT_FALSE(writeNewFileAtomically(folder / "Samples", bytesOf("new")));
    EXPECT_FALSE(writeNewFileAtomically(folder / "link.wav", bytesOf("new")));
    EXPECT_EQ(contentOf(folder / "Samples/inside.wav"), "kept");
    EXPECT_EQ(contentOf(elsewhere), "pointed at");
    EXPECT_THAT(folder.namesIn(), UnorderedElementsAre("Samples", "elsewhere.wav", "link.wav"));
}

TEST(WriteNewFileAtomically, AFailedWriteLeavesNoFileAndNoTemporaryFile) {
    TempFolder folder;
    {
        FileSizeLimit limit(64);
        ASSERT_TRUE(limit.isApplied());
        EXPECT_FALSE(writeNewFileAtomically(folder / "big.wav", std::vector<std::uint8_t>(4096, 7)));
    }
    EXPECT_TRUE(folder.namesIn().empty());
}

TEST(WriteNewFileAtomically, OfWritersRacingForOneNameExactlyOneWins) {
    TempFolder folder;
    constexpr int kWriters = 8;
    std::vector<int> won(kWriters, 0);
    std::vector<std::thread> writers;
    for (int w = 0; w < kWriters; ++w)
        writers.emplace_back([&, w] {
            won[static_cast<std::size_t>(w)] =
                writeNewFileAtomically(folder / "one.wav", bytesOf("writer " + std::to_string(w))) ? 1 : 0;
        });
    for (std::thread& writer : writers)
        writer.join();
    int winners = 0;
    int winner = -1;
    for (int w = 0; w < kWriters; ++w)
        if (won[static_cast<std::size_t>(w)]) {
            ++winners;
            winner = w;
        }
    ASSERT_EQ(winners, 1);
    EXPECT_EQ(contentOf(folder / "one.wav"), "writer " + std::to_string(winner));
    EXPECT_THAT(folder.namesIn(), ElementsAre("one.wav"));
}

TEST(MakeFolders, MakesEveryMissingFolderOnTheWay) {
    TempFolder folder;
    ASSERT_TRUE(makeFolders(folder / "VORN Studio/Rimba Drums/SynthSounds/Synth"));
    EXPECT_TRUE(std::filesystem::is_directory(folder / "VORN Studio/Rimba Drums/SynthSounds/Synth"));
    EXPECT_TRUE(folderExists(folder / "VORN Studio/Rimba Drums"));
}

TEST(MakeFolders, AnExistingFolderIsSuccessAndKeepsItsContent) {
    TempFolder folder;
    folder.makeFile("Samples/kick.wav", "kept");
    EXPECT_TRUE(makeFolders(folder / "Samples"));
    EXPECT_TRUE(makeFolders(folder / "Samples/"));
    EXPECT_EQ(contentOf(folder / "Samples/kick.wav"), "kept");
}

TEST(MakeFolders, AFileInTheWayFails) {
    TempFolder folder;
    folder.makeFile("Samples", "a file, not a folder");
    EXPECT_FALSE(makeFolders(folder / "Samples"));
    EXPECT_FALSE(makeFolders(folder / "Samples/Kicks"));
    EXPECT_EQ(contentOf(folder / "Samples"), "a file, not a folder");
    EXPECT_FALSE(makeFolders(""));
}

TEST(FolderExists, TellsFoldersFromFilesAndMissingPaths) {
    TempFolder folder;
    folder.makeFile("file.txt");
    folder.makeFolder("sub");
    EXPECT_TRUE(folderExists(folder.path()));
    EXPECT_TRUE(folderExists(folder / "sub"));
    EXPECT_FALSE(folderExists(folder / "file.txt"));
    EXPECT_FALSE(folderExists(folder / "missing"));
}

}  // namespace
}  // namespace rimba::platform
