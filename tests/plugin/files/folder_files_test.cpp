// The folder scan behind the file menus: which names it lists and in what order.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "SoundFixtures.h"
#include "plugin/files/FolderFiles.h"

namespace rimba {
namespace {

using namespace files::fixtures;

class FolderFilesTest : public testing::Test {
protected:
    void SetUp() override {
        for (const char* name :
             {"snare.wav", "Zeta.wav",  "alpha.WAV",      "clap.aif",     "CLAP2.AIF",   "hat.aiff",     "HAT2.AIFF",
              "song.mp3",  "SONG2.MP3", "mixed.Wav",      "mixed.Aiff",   "noextension", "kit.drs",      "Kit2.DRS",
              "set.ptn",   "reverb.so", "archive.tar.gz", "trailingdot.", ".hidden.wav", "notes.wav.txt"}) {
            writeBytes(folder / name, {1, 2, 3});
        }
        std::filesystem::create_directories(folder / "folder.wav");
        std::filesystem::create_directories(folder / "sub");
        writeBytes(folder / "sub/inner.wav", {1});
    }

    std::vector<std::string> list(const std::string& filter) {
        std::vector<std::string> names;
        std::vector<std::string> menuTexts;
        listFolderFiles(names, menuTexts, folder.path(), filter);
        EXPECT_EQ(names, menuTexts);
        return names;
    }

    TempFolder folder;
};

TEST_F(FolderFilesTest, EmptyFilterListsSoundFilesInUpperCaseNameOrder) {
    // Ordered by the upper-cased name: ".HIDDEN" < "ALPHA" < "CLAP" < ... < "ZETA".
    EXPECT_EQ(list(""), (std::vector<std::string>{".hidden.wav", "alpha.WAV", "clap.aif", "CLAP2.AIF", "hat.aiff",
                                                  "HAT2.AIFF", "snare.wav", "song.mp3", "SONG2.MP3", "Zeta.wav"}));
}

TEST_F(FolderFilesTest, FilterMatchesTheExtensionExactly) {
    EXPECT_EQ(list("drs"), (std::vector<std::string>{"kit.drs"}));
    EXPECT_EQ(list("DRS"), (std::vector<std::string>{"Kit2.DRS"}));
    EXPECT_EQ(list("ptn"), (std::vector<std::string>{"set.ptn"}));
    EXPECT_EQ(list("so"), (std::vector<std::string>{"reverb.so"}));
    EXPECT_EQ(list("fxp"), (std::vector<std::string>{}));
}

TEST_F(FolderFilesTest, ExtensionIsTheTextAfterTheLastDot) {
    EXPECT_EQ(list("gz"), (std::vector<std::string>{"archive.tar.gz"}));
    EXPECT_EQ(list("tar.gz"), (std::vector<std::string>{}));
    EXPECT_EQ(list("txt"), (std::vector<std::string>{"notes.wav.txt"}));
}

TEST_F(FolderFilesTest, FoldersAreNotListedEvenWithAMatchingName) {
    const std::vector<std::string> names = list("wav");
    EXPECT_EQ(names, (std::vector<std::string>{".hidden.wav", "snare.wav", "Zeta.wav"}));
}

TEST_F(FolderFilesTest, NamesAreAppendedAfterWhatTheListsHold) {
    std::vector<std::string> names = {"earlier"};
    std::vector<std::string> menuTexts = {"Earlier entry"};

    listFolderFiles(names, menuTexts, folder.path(), "ptn");

    EXPECT_EQ(names, (std::vector<std::string>{"earlier", "set.ptn"}));
    EXPECT_EQ(menuTexts, (std::vector<std::string>{"Earlier entry", "set.ptn"}));
}

TEST_F(FolderFilesTest, FolderWithATrailingSlashListsTheSame) {
    std::vector<std::string> names;
    std::vector<std::string> menuTexts;

    listFolderFiles(names, menuTexts, folder.path() + "/", "drs");

    EXPECT_EQ(names, (std::vector<std::string>{"kit.drs"}));
}

TEST(FolderFiles, RelativeFolderListsNothing) {
    TempFolder folder;
    writeBytes(folder / "kick.wav", {1});
    std::vector<std::string> names;
    std::vector<std::string> menuTexts;
    const std::string relative = std::filesystem::relative(folder.path(), std::filesystem::current_path()).string();

    listFolderFiles(names, menuTexts, relative, "");

    EXPECT_TRUE(names.empty());
    EXPECT_TRUE(menuTexts.empty());
}

TEST(FolderFiles, MissingFolderListsNothing) {
    TempFolder folder;
    std::vector<std::string> names;
    std::vector<std::string> menuTexts;

    listFolderFiles(names, menuTexts, folder / "missing", "");
    listFolderFiles(names, menuTexts, "", "");

    EXPECT_TRUE(names.empty());
    EXPECT_TRUE(menuTexts.empty());
}

}  // namespace
}  // namespace rimba
