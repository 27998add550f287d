// Program files (".fxp"): the big-endian header around the chunk, the message for a foreign
// file, programs by number from the program folder and the program found again at start-up.

#include <gtest/gtest.h>


#include <filesystem>

#include "common/platform/MessageBox.h"
#include "tests/plugin/files/ChunkFixture.h"
#include "tests/support/Environment.h"
#include "tests/support/InstrumentProbe.h"

namespace rimba::chunk_test {
namespace {

using files::fixtures::readBytes;
using files::fixtures::TempFolder;
using files::fixtures::writeBytes;

// Records the messages shown while it lives.
class MessageCatcher {
public:
    MessageCatcher() {
        platform::setMessagePresenter(
            [this](const std::string& text, const std::string& caption) { shown.emplace_back(text, caption); });
    }
    ~MessageCatcher() { platform::setMessagePresenter({}); }
    MessageCatcher(const MessageCatcher&) = delete;
    MessageCatcher& operator=(const MessageCatcher&) = delete;

    std::vector<std::pair<std::string, std::string>> shown;
};

// A current-form block with eight tracks and one hit, so a load is seen.
std::vector<std::uint8_t> blockWithHit(int pattern, int step, int velocity) {
    const FormRow& f = formTable()[6];
    Block block = emptyBlock(f);
    block.s8(stepAt(f, 1, step) + static_cast<std::size_t>(pattern), velocity);
    return block.bytes;
}

class ProgramFiles : public ::testing::Test {
protected:
    void SetUp() override { drums = makeDrums(8, folder.path()); }

    TempFolder folder;
    std::unique_ptr<VornDrums> drums;
};

TEST_F(ProgramFiles, ASavedFileIsTheSixtyByteBigEndianHeaderAndTheBlock) {
    test::stateOf(*drums).settings.programFile = folder.path() + "/A Program Name Longer Than Its Field.fxp";
    test::stateOf(*drums).patterns[4].stepVelocity[1][2] = 88.0f;
    const std::string path = folder / "saved.fxp";
    ASSERT_TRUE(drums->saveProgramFile(path));
    const std::vector<std::uint8_t> file = readBytes(path);
    const std::vector<std::uint8_t> block = chunkOf(*drums);
    ASSERT_EQ(file.size(), 60 + block.size());
    EXPECT_EQ(textAt(file, 0, 4), "CcnK");
    EXPECT_EQ(be32At(file, 4), block.size() + 52);
    EXPECT_EQ(textAt(file, 8, 4), "FPCh");
    EXPECT_EQ(be32At(file, 12), 1u);
    EXPECT_EQ(be32At(file, 16), 0x3931356Bu);
    EXPECT_EQ(be32At(file, 20), 1u);
    EXPECT_EQ(be32At(file, 24), 1u);
    EXPECT_EQ(textAt(file, 28, 28), "A Program Name Longer Than I");
    EXPECT_EQ(be32At(file, 56), block.size());
    EXPECT_TRUE(std::equal(block.begin(), block.end(), file.begin() + 60));
    // Nothing but the file itself is left in the folder.
    int entries = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder.path()))
        ++entries;
    EXPECT_EQ(entries, 1);
}

TEST_F(ProgramFiles, ASavedFileLoadsIntoAnotherInstrumentAsTheSameState) {
    test::stateOf(*drums).patterns[2].stepVelocity[7][40] = 120.0f;
    test::stateOf(*drums).tracks.pan[5] = 0.1f;
    test::stateOf(*drums).swing = 12;
    const std::string path = folder / "round.fxp";
    ASSERT_TRUE(drums->saveProgramFile(path));
    auto other = makeDrums(8, folder.path());
    ASSERT_TRUE(other->loadProgramFile(path));
    EXPECT_EQ(chunkOf(*other), chunkOf(*drums));
}

TEST_F(ProgramFiles, AFileWhoseMagicIsReversedLoadsLikeOneInTheUsualOrder) {
    const std::string usual = folder / "usual.fxp";
    const std::string reversed = folder / "reversed.fxp";
    writeBytes(usual, fxpAround(blockWithHit(3, 9, 70)));
    writeBytes(reversed, fxpAround(blockWithHit(3, 9, 70), "KncC"));
    auto other = makeDrums(8, folder.path());
    ASSERT_TRUE(drums->loadProgramFile(usual));
    ASSERT_TRUE(other->loadProgramFile(reversed));
    EXPECT_EQ(test::stateOf(*other).patterns[1].stepVelocity[3][9], 70.0f);
    EXPECT_EQ(chunkOf(*other), chunkOf(*drums));
}

TEST_F(ProgramFiles, AFileWithAZeroByteCountHasItsBlockSizeAtOffset156) {
    const std::vector<std::uint8_t> block = blockWithHit(0, 1, 33);
    Block file(160);
    file.text(0, "CcnK");
    file.text(8, "FPCh");
    file.be32(12, 1);
    file.be32(56, 9999);  // not where this file keeps the size
    file.be32(156, static_cast<std::uint32_t>(block.size()));
    file.append(block);
    writeBytes(folder / "late.fxp", file.bytes);
    ASSERT_TRUE(drums->loadProgramFile(folder / "late.fxp"));
    EXPECT_EQ(test::stateOf(*drums).patterns[1].stepVelocity[0][1], 33.0f);
}

TEST_F(ProgramFiles, AForeignHeaderShowsTheNoCompatibleFileMessageAndChangesNothing) {
    MessageCatcher messages;
    const std::vector<std::uint8_t> before = chunkOf(*drums);
    std::vector<std::uint8_t> foreign = fxpAround(blockWithHit(0, 0, 100));
    foreign[11] = 'b';  // "FPCb"
    writeBytes(folder / "foreign.fxp", foreign);
    EXPECT_FALSE(drums->loadProgramFile(folder / "foreign.fxp"));
    std::vector<std::uint8_t> otherVersion = fxpAround(blockWithHit(0, 0, 100));
    otherVersion[15] = 2;
    writeBytes(folder / "version2.fxp", otherVersion);
    EXPECT_FALSE(drums->loadProgramFile(folder / "version2.fxp"));
    ASSERT_EQ(messages.shown.size(), 2u);
    EXPECT_EQ(messages.shown[0].first, "No Compatible File !\r\n" + (folder / "foreign.fxp"));
    EXPECT_EQ(messages.shown[0].second, "VORN");
    EXPECT_EQ(messages.shown[1].first, "No Compatible File !\r\n" + (folder / "version2.fxp"));
    EXPECT_EQ(chunkOf(*drums), before);
}

// A block of 256 bytes names a folder for a host's sample export; in a file it would make the
// next save write WAV files wherever the file says.
TEST_F(ProgramFiles, AFileWhoseBlockNamesAnExportFolderIsIncompatibleAndWritesNothing) {
    MessageCatcher messages;
    const std::string out = folder / "out";
    std::filesystem::create_directories(out);
    writeWave(folder / "kick.wav", testSound(1000, 5));
    setSoundPath(*drums, 0, folder / "kick.wav");
    const std::vector<std::uint8_t> before = chunkOf(*drums);
    Block exportFolder(256);
    exportFolder.text(0, out);
    writeBytes(folder / "export.fxp", fxpAround(exportFolder.bytes));

    EXPECT_FALSE(drums->loadProgramFile(folder / "export.fxp"));
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].first, "No Compatible File !\r\n" + (folder / "export.fxp"));
    EXPECT_EQ(messages.shown[0].second, "VORN");
    EXPECT_TRUE(drums->sampleExportFolder.empty());
    EXPECT_EQ(chunkOf(*drums), before);
    EXPECT_TRUE(drums->saveProgramFile(folder / "saved.fxp"));
    EXPECT_TRUE(std::filesystem::is_empty(out));
}

TEST_F(ProgramFiles, AMissingFileOrABlockCutShortIsPassedOverWithoutAMessage) {
    MessageCatcher messages;
    const std::vector<std::uint8_t> before = chunkOf(*drums);
    EXPECT_FALSE(drums->loadProgramFile(folder / "missing.fxp"));
    std::vector<std::uint8_t> cut = fxpAround(blockWithHit(0, 0, 100));
    cut.resize(cut.size() - 100);
    writeBytes(folder / "cut.fxp", cut);
    EXPECT_FALSE(drums->loadProgramFile(folder / "cut.fxp"));
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_EQ(chunkOf(*drums), before);
}

TEST_F(ProgramFiles, ASaveThatCannotBeWrittenLeavesTheOldFileWhole) {
    const std::string path = folder / "keep.fxp";
    writeBytes(path, {1, 2, 3});
    EXPECT_FALSE(drums->saveProgramFile(folder.path() + "/no such folder/x.fxp"));
    std::filesystem::create_directory(folder / "locked");
    std::filesystem::permissions(folder / "locked",
                                 std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
    if (test::folderPermissionsStopWrites()) {
        EXPECT_FALSE(drums->saveProgramFile(folder / "locked/x.fxp"));
    }
    std::filesystem::permissions(folder / "locked", std::filesystem::perms::owner_all);
    EXPECT_EQ(readBytes(path), (std::vector<std::uint8_t>{1, 2, 3}));
    ASSERT_TRUE(drums->saveProgramFile(path));
    EXPECT_EQ(textAt(readBytes(path), 0, 4), "CcnK");
}

// --- programs by number --------------------------------------------------------------------------

TEST_F(ProgramFiles, ProgramsByNumberAreTheProgramFilesOfTheFolderInListOrder) {
    const std::string programs = folder.path() + "/Programs";
    std::filesystem::create_directories(programs);
    writeBytes(programs + "/b second.fxp", fxpAround(blockWithHit(0, 0, 20)));
    writeBytes(programs + "/A first.fxp", fxpAround(blockWithHit(0, 0, 10)));
    writeBytes(programs + "/c third.fxp", fxpAround(blockWithHit(0, 0, 30)));
    writeBytes(programs + "/not a program.txt", {0});
    test::stateOf(*drums).settings.programFile = programs + "/A first.fxp";
    test::stateOf(*drums).patterns[1].randomHit[3] = 1.0f;
    test::stateOf(*drums).selectedTrack = 2;

    drums->loadProgram(1);
    EXPECT_EQ(test::stateOf(*drums).patterns[1].stepVelocity[0][0], 20.0f);
    EXPECT_EQ(drums->getProgram(), 1);
    EXPECT_EQ(test::stateOf(*drums).settings.programFile, programs + "/b second.fxp");
    EXPECT_EQ(test::stateOf(*drums).patterns[1].randomHit[3], 0.0f);
    EXPECT_EQ(test::stateOf(*drums).selectedTrack, -1);

    drums->loadProgram(2);
    EXPECT_EQ(test::stateOf(*drums).patterns[1].stepVelocity[0][0], 30.0f);
    drums->loadProgram(3);  // no fourth program: nothing changes
    EXPECT_EQ(test::stateOf(*drums).patterns[1].stepVelocity[0][0], 30.0f);
    EXPECT_EQ(drums->getProgram(), 2);
}

VstInt32 updateDisplayRequests = 0;

VstIntPtr countingHost(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt) {
    if (opcode == audioMasterUpdateDisplay)
        ++updateDisplayRequests;
    return hostCallback(effect, opcode, index, value, ptr, opt);
}

// Settings as makeDrums gives them and a last state of the caller's choosing.
class LastStateStorage : public InstrumentStorage {
public:
    LastStateStorage(std::string library, std::vector<std::uint8_t> lastState)
        : library(std::move(library)), lastState(std::move(lastState)) {}
    bool readSettings(InstrumentSettings& settings, bool) override {
        settings.channelNumber = 8;
        settings.filesPath = library;
        return false;
    }
    std::optional<std::vector<std::uint8_t>> readLastState() override { return lastState; }
    void writeSettings(const InstrumentSettings&, bool) override {}
    void writeLastState(const std::vector<std::uint8_t>&) override {}

private:
    std::string library;
    std::vector<std::uint8_t> lastState;
};

TEST(StartUp, ALastStateOfTheExportFoldersSizeIsNoStateAndArmsNoExport) {
    TempFolder folder;
    const std::string out = folder / "out";
    std::filesystem::create_directories(out);
    writeWave(folder / "kick.wav", testSound(1000, 5));
    Block exportFolder(256);
    exportFolder.text(0, out);
    VornDrums drums(hostCallback, std::make_unique<LastStateStorage>(folder.path(), exportFolder.bytes));
    EXPECT_TRUE(drums.sampleExportFolder.empty());
    setSoundPath(drums, 0, folder / "kick.wav");
    EXPECT_FALSE(chunkOf(drums).empty());
    EXPECT_TRUE(std::filesystem::is_empty(out));
}

TEST(StartUp, TheProgramFileIsFoundInItsFolderAndLoadedByItsNumber) {
    TempFolder folder;
    writeBytes(folder / "one.fxp", fxpAround(blockWithHit(2, 3, 41)));
    writeBytes(folder / "two.fxp", fxpAround(blockWithHit(2, 3, 42)));
    updateDisplayRequests = 0;
    VornDrums drums(countingHost, [&folder](InstrumentSettings& settings, bool) {
        settings.channelNumber = 8;
        settings.filesPath = folder.path();
        settings.programFile = folder / "two.fxp";
        return false;
    });
    EXPECT_EQ(test::stateOf(drums).patterns[1].stepVelocity[2][3], 42.0f);
    EXPECT_EQ(drums.getProgram(), 1);
    EXPECT_EQ(test::stateOf(drums).playingPattern, test::stateOf(drums).currentPattern);
    EXPECT_EQ(updateDisplayRequests, 1);
}

TEST(StartUp, AProgramFileThatIsNotInItsFolderLoadsNothing) {
    TempFolder folder;
    writeBytes(folder / "one.fxp", fxpAround(blockWithHit(2, 3, 41)));
    updateDisplayRequests = 0;
    VornDrums drums(countingHost, [&folder](InstrumentSettings& settings, bool) {
        settings.filesPath = folder.path();
        settings.programFile = folder / "gone.fxp";
        return false;
    });
    EXPECT_EQ(test::stateOf(drums).patterns[1].stepVelocity[2][3], 0.0f);
    EXPECT_EQ(updateDisplayRequests, 0);
}

}  // namespace
}  // namespace rimba::chunk_test
