// Folder scans where the file system tells names apart by case and links exist, and the
// case-insensitive path search that such file systems need.

#include "common/platform/FolderScan.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>

#include "tests/common/platform/TempFolder.h"

namespace rimba::platform {
namespace {

using fixtures::TempFolder;
using ::testing::ElementsAre;

std::vector<std::string> namesOf(const std::vector<FolderEntry>& entries) {
    std::vector<std::string> names;
    for (const FolderEntry& entry : entries) {
        names.push_back(entry.name);
    }
    return names;
}

const FolderEntry* findEntry(const std::vector<FolderEntry>& entries, const std::string& name) {
    for (const FolderEntry& entry : entries) {
        if (entry.name == name) {
            return &entry;
        }
    }
    return nullptr;
}

TEST(ListFolder, SortsMixedCaseNamesInTheFixedOrder) {
    TempFolder folder;
    for (const char* name : {"b.fxp", "A.fxp", "a.fxp", "_x.fxp", "Z.fxp"}) {
        folder.makeFile(name, name);
    }
    EXPECT_THAT(namesOf(listFolder(folder.path())), ElementsAre("A.fxp", "a.fxp", "b.fxp", "Z.fxp", "_x.fxp"));
}

TEST(ListFolder, SortsNumberedNamesCharacterByCharacter) {
    TempFolder folder;
    for (const char* name : {"kit2.kit", "Kit10.kit", "kit1.kit", "KIT1.kit"}) {
        folder.makeFile(name);
    }
    EXPECT_THAT(namesOf(listFolder(folder.path())), ElementsAre("KIT1.kit", "kit1.kit", "Kit10.kit", "kit2.kit"));
}

TEST(ListFolder, MarksFoldersAndLinksToFolders) {
    TempFolder folder;
    folder.makeFile("file.wav");
    folder.makeFolder("Kits");
    std::filesystem::create_directory_symlink(folder / "Kits", folder / "LinkedKits");
    std::filesystem::create_symlink(folder / "file.wav", folder / "linked.wav");

    const std::vector<FolderEntry> entries = listFolder(folder.path());
    ASSERT_EQ(entries.size(), 4u);
    ASSERT_NE(findEntry(entries, "file.wav"), nullptr);
    ASSERT_NE(findEntry(entries, "Kits"), nullptr);
    ASSERT_NE(findEntry(entries, "LinkedKits"), nullptr);
    ASSERT_NE(findEntry(entries, "linked.wav"), nullptr);
    EXPECT_FALSE(findEntry(entries, "file.wav")->isDirectory);
    EXPECT_TRUE(findEntry(entries, "Kits")->isDirectory);
    EXPECT_TRUE(findEntry(entries, "LinkedKits")->isDirectory);
    EXPECT_FALSE(findEntry(entries, "linked.wav")->isDirectory);
}

class ResolvePathIgnoringCase : public ::testing::Test {
protected:
    TempFolder folder;
};

TEST_F(ResolvePathIgnoringCase, FindsNestedElementsWithWrongCase) {
    const std::string actual = folder.makeFile("Kits/Rock/Snare.wav");
    EXPECT_EQ(resolvePathIgnoringCase(folder / "kits/ROCK/snare.WAV"), actual);
}

TEST_F(ResolvePathIgnoringCase, ReturnsExistingPathUntouched) {
    folder.makeFile("Kits/Rock/Snare.wav");
    const std::string spelledOddly = folder.path() + "//Kits/./Rock/Snare.wav";
    EXPECT_EQ(resolvePathIgnoringCase(spelledOddly), spelledOddly);
}

TEST_F(ResolvePathIgnoringCase, ReturnsPathUnchangedWhenNothingMatches) {
    folder.makeFile("Kits/Rock/Snare.wav");
    const std::string missing = folder / "kits/Jazz/snare.wav";
    EXPECT_EQ(resolvePathIgnoringCase(missing), missing);
}

TEST_F(ResolvePathIgnoringCase, ReturnsPathUnchangedWhenAFileStandsForAFolder) {
    folder.makeFile("Kits/Rock/Snare.wav");
    const std::string throughFile = folder / "kits/rock/snare.wav/more";
    EXPECT_EQ(resolvePathIgnoringCase(throughFile), throughFile);
}

TEST_F(ResolvePathIgnoringCase, PicksTheFirstInListingOrderWhenSeveralMatch) {
    folder.makeFile("Kit/Snare.wav", "mixed");
    const std::string upper = folder.makeFile("Kit/SNARE.wav", "upper");
    EXPECT_EQ(resolvePathIgnoringCase(folder / "kit/snare.WAV"), upper);
}

TEST_F(ResolvePathIgnoringCase, PrefersAnExactlySpelledFolder) {
    folder.makeFile("Rock/other.wav");
    const std::string wanted = folder.makeFile("rock/file.wav");
    // "Rock" lists before "rock", but only the exact spelling leads to the file.
    EXPECT_EQ(resolvePathIgnoringCase(folder / "rock/FILE.wav"), wanted);
}

TEST_F(ResolvePathIgnoringCase, KeepsTrailingSlashOfAFolder) {
    folder.makeFolder("Patterns");
    EXPECT_EQ(resolvePathIgnoringCase(folder / "PATTERNS/"), folder / "Patterns/");
}

TEST_F(ResolvePathIgnoringCase, LeavesRelativeAndEmptyPathsAlone) {
    EXPECT_EQ(resolvePathIgnoringCase("kits/rock/snare.wav"), "kits/rock/snare.wav");
    EXPECT_EQ(resolvePathIgnoringCase(""), "");
}

}  // namespace
}  // namespace rimba::platform
