// The folder scan on Windows: FindFirstFileA's names in the order programs are numbered by.

#include "common/platform/FolderScan.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "tests/common/platform/TempFolder.h"

namespace rimba::platform {
namespace {

using fixtures::TempFolder;
using ::testing::ElementsAre;

std::vector<std::string> namesOf(const std::vector<FolderEntry>& entries) {
    std::vector<std::string> names;
    for (const FolderEntry& entry : entries)
        names.push_back(entry.name);
    return names;
}

// Upper-cased comparison puts '_' (0x5F) after every letter and digits before letters, whatever
// the case the names were made in.
TEST(WindowsListFolder, ListsProgramsInNtfsOrder) {
    TempFolder folder;
    for (const char* name : {"b.fxp", "_x.fxp", "Kit10.fxp", "a.fxp", "Z.fxp", "kit2.fxp", "KIT1.fxp", "9.fxp"})
        folder.makeFile(name, name);
    EXPECT_THAT(namesOf(listFolder(folder.path())),
                ElementsAre("9.fxp", "a.fxp", "b.fxp", "KIT1.fxp", "Kit10.fxp", "kit2.fxp", "Z.fxp", "_x.fxp"));
}

TEST(WindowsListFolder, MarksFoldersAndTakesEitherSeparator) {
    TempFolder folder;
    folder.makeFile("Kick.wav");
    folder.makeFolder("Kits");
    const std::vector<FolderEntry> entries = listFolder(folder.path() + "/");
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].name, "Kick.wav");
    EXPECT_FALSE(entries[0].isDirectory);
    EXPECT_EQ(entries[1].name, "Kits");
    EXPECT_TRUE(entries[1].isDirectory);
    EXPECT_EQ(namesOf(listFolder(folder.path() + "\\")), namesOf(entries));
}

TEST(WindowsListFolder, PathsNeedNoCaseSearchBecauseTheSystemIgnoresCase) {
    TempFolder folder;
    const std::string actual = folder.makeFile("Kits/Rock/Snare.wav", "x");
    const std::string spelled = folder / "kits/ROCK/snare.WAV";
    EXPECT_EQ(resolvePathIgnoringCase(spelled), spelled);
    EXPECT_EQ(fixtures::contentOf(spelled), "x");
}

}  // namespace
}  // namespace rimba::platform
