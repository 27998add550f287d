#include "plugin/editor/toolkit/FileSelectorModel.h"

#include <gtest/gtest.h>

#include "tests/support/TempFolder.h"

namespace rimba::toolkit {
namespace {

std::vector<std::string> rowNames(const FileSelectorModel& model) {
    std::vector<std::string> names;
    for (const FileRow& row : model.rows()) {
        names.push_back(row.isFolder ? row.name + "/" : row.name);
    }
    return names;
}

struct Library {
    test::TempFolder root;
    Library() {
        root.makeFile("kick.wav");
        root.makeFile("Snare.WAV");
        root.makeFile("notes.txt");
        root.makeFile(".hidden.wav");
        root.makeFile("wav");  // the extension alone is not a match
        root.makeFile("abc.wav/inside.wav");  // a folder whose name looks like a file
        root.makeFolder("Zebra");
        root.makeFolder(".git");
    }
};

TEST(FileSelectorModel, ListsUpFoldersThenTheFilterSFilesInTheSystemsOrder) {
    Library lib;
    FileSelectorModel open(FileSelectorMode::open, {"Audio file", "wav"}, lib.root.path());
    EXPECT_EQ(open.folder(), lib.root.path());
    EXPECT_EQ(rowNames(open), (std::vector<std::string>{"../", "abc.wav/", "Zebra/", "kick.wav", "Snare.WAV"}));
    FileSelectorModel browse(FileSelectorMode::folder, {}, lib.root.path() + "/");
    EXPECT_EQ(browse.folder(), lib.root.path());
    EXPECT_EQ(rowNames(browse), (std::vector<std::string>{"../", "abc.wav/", "Zebra/"}));
}

TEST(FileSelectorModel, FoldersAreEnteredByDoubleClickAndLeftByDotDot) {
    Library lib;
    FileSelectorModel model(FileSelectorMode::open, {"Audio file", "wav"}, lib.root.path());
    EXPECT_EQ(model.activateRow(1), std::nullopt);
    EXPECT_EQ(model.folder(), lib.root / "abc.wav");
    EXPECT_EQ(rowNames(model), (std::vector<std::string>{"../", "inside.wav"}));
    EXPECT_EQ(model.activateRow(1), lib.root / "abc.wav/inside.wav");  // a file is taken at once
    EXPECT_EQ(model.activateRow(0), std::nullopt);
    EXPECT_EQ(model.folder(), lib.root.path());
    // "/" has no way up.
    FileSelectorModel atRoot(FileSelectorMode::folder, {}, "/");
    ASSERT_FALSE(atRoot.rows().empty());
    EXPECT_NE(atRoot.rows()[0].name, "..");
}

TEST(FileSelectorModel, OpenTakesOnlyAnExistingFileAndATypedFolderIsEntered) {
    Library lib;
    FileSelectorModel model(FileSelectorMode::open, {"Audio file", "wav"}, lib.root.path());
    model.nameField().setText("missing.wav");
    EXPECT_EQ(model.accept(), std::nullopt);
    model.nameField().setText("Zebra");
    EXPECT_EQ(model.accept(), std::nullopt);
    EXPECT_EQ(model.folder(), lib.root / "Zebra");
    EXPECT_EQ(model.nameField().getText(), "");
    model.nameField().setText(lib.root / "kick.wav");  // a full path is taken as it is
    EXPECT_EQ(model.accept(), lib.root / "kick.wav");
    model.nameField().setText("");
    EXPECT_EQ(model.accept(), std::nullopt);
}

TEST(FileSelectorModel, SaveAppendsTheExtensionOnlyWhenItIsMissing) {
    Library lib;
    struct Case {
        std::string typed;
        std::string file;
    };
    for (const Case& c : {Case{"take", "take.wav"}, Case{"take.WAV", "take.WAV"}, Case{"take.", "take.wav"},
                          Case{"take.wav.txt", "take.wav.txt.wav"}}) {
        SCOPED_TRACE(c.typed);
        FileSelectorModel model(FileSelectorMode::save, {"Audio file", "wav"}, lib.root.path());
        model.nameField().setText(c.typed);
        EXPECT_EQ(model.accept(), lib.root / c.file);
    }
    FileSelectorModel intoMissingFolder(FileSelectorMode::save, {"Audio file", "wav"}, lib.root.path());
    intoMissingFolder.nameField().setText("nowhere/take");
    EXPECT_EQ(intoMissingFolder.accept(), std::nullopt);
}

TEST(FileSelectorModel, AStartFileFillsTheNameAndAMissingStartShowsHome) {
    Library lib;
    FileSelectorModel model(FileSelectorMode::save, {"MIDI file", "mid"}, lib.root / "song.mid");
    EXPECT_EQ(model.folder(), lib.root.path());
    EXPECT_EQ(model.nameField().getText(), "song.mid");
    model.selectRow(3);  // kick.wav is not listed under a mid filter: rows are .., abc.wav/, Zebra/
    EXPECT_EQ(model.selectedRow(), -1);
    setenv("HOME", lib.root.path().c_str(), 1);
    FileSelectorModel lost(FileSelectorMode::open, {"MIDI file", "mid"}, "/no/such/folder/x.mid");
    EXPECT_EQ(lost.folder(), lib.root.path());
}

TEST(FileSelectorModel, TheFolderBrowserAnswersTheSelectedFolderElseTheCurrentOne) {
    Library lib;
    FileSelectorModel model(FileSelectorMode::folder, {}, lib.root.path());
    EXPECT_EQ(model.accept(), lib.root.path());
    model.selectRow(2);
    EXPECT_EQ(model.accept(), lib.root / "Zebra");
    model.selectRow(0);  // ".." is a way up, not an answer
    EXPECT_EQ(model.accept(), lib.root.path());
}

}  // namespace
}  // namespace rimba::toolkit
