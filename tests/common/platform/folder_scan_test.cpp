#include "common/platform/FolderScan.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>

#include "tests/common/platform/TempFolder.h"

namespace rimba::platform {
namespace {

using fixtures::TempFolder;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

std::vector<std::string> namesOf(const std::vector<FolderEntry>& entries) {
    std::vector<std::string> names;
    for (const FolderEntry& entry : entries) {
        names.push_back(entry.name);
    }
    return names;
}

TEST(FolderNameLess, ComparesUpperCasedNamesFirst) {
    EXPECT_TRUE(folderNameLess("apple", "Banana"));
    EXPECT_FALSE(folderNameLess("Banana", "apple"));
    // '_' comes after the upper-case letters but before the lower-case ones.
    EXPECT_TRUE(folderNameLess("zebra", "_x"));
    EXPECT_TRUE(folderNameLess("Zebra", "_x"));
}

TEST(FolderNameLess, BreaksCaseTiesByRawBytes) {
    EXPECT_TRUE(folderNameLess("A.fxp", "a.fxp"));
    EXPECT_FALSE(folderNameLess("a.fxp", "A.fxp"));
}

TEST(FolderNameLess, IsIrreflexive) {
    EXPECT_FALSE(folderNameLess("Kit", "Kit"));
    EXPECT_FALSE(folderNameLess("", ""));
}

TEST(FolderNameLess, ShorterPrefixComesFirst) {
    EXPECT_TRUE(folderNameLess("Kit1", "kit10"));
    EXPECT_TRUE(folderNameLess("kit10", "Kit2"));
    EXPECT_TRUE(folderNameLess("", "a"));
}

TEST(FolderNameLess, ComparesBytesAboveAsciiUnsigned) {
    const std::string eAcute = "\xC3\xA9";
    EXPECT_TRUE(folderNameLess("_x", eAcute));
    EXPECT_TRUE(folderNameLess("zzz", eAcute));
    EXPECT_FALSE(folderNameLess(eAcute, "~"));
}

TEST(ListFolder, NeverListsDotEntriesButListsHiddenFiles) {
    TempFolder folder;
    folder.makeFile(".hidden");
    folder.makeFile("visible");
    EXPECT_THAT(namesOf(listFolder(folder.path())), ElementsAre(".hidden", "visible"));
}

TEST(ListFolder, EmptyFolderGivesEmptyList) {
    TempFolder folder;
    EXPECT_THAT(listFolder(folder.path()), IsEmpty());
}

TEST(ListFolder, MissingFolderGivesEmptyList) {
    TempFolder folder;
    EXPECT_THAT(listFolder(folder / "missing"), IsEmpty());
    EXPECT_THAT(listFolder(""), IsEmpty());
}

TEST(ListFolder, FileInsteadOfFolderGivesEmptyList) {
    TempFolder folder;
    EXPECT_THAT(listFolder(folder.makeFile("plain.txt", "text")), IsEmpty());
}

TEST(ListFolder, AcceptsTrailingSlash) {
    TempFolder folder;
    folder.makeFile("one");
    EXPECT_THAT(namesOf(listFolder(folder.path() + "/")), ElementsAre("one"));
}

}  // namespace
}  // namespace rimba::platform
