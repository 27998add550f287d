// Sound paths on Windows: drive paths are absolute, '\' lies between folders, a stored '/' turns
// into '\', and the default folders lie under the program-files folder.

#include "common/platform/win32/Windows.h"
#include <shlobj.h>

#include <gtest/gtest.h>

#include <array>
#include <filesystem>

#include "plugin/core/StoredSettings.h"
#include "plugin/files/LibraryFolder.h"
#include "plugin/files/ProgramChunk.h"
#include "tests/plugin/files/ChunkFixture.h"
#include "tests/support/Environment.h"
#include "tests/support/InstrumentProbe.h"

namespace rimba::chunk_test {
namespace {

using files::fixtures::TempFolder;

std::string programFilesFolder() {
    std::array<char, MAX_PATH> folder{};
    EXPECT_EQ(SHGetFolderPathA(nullptr, CSIDL_PROGRAM_FILES, nullptr, SHGFP_TYPE_CURRENT, folder.data()), S_OK);
    return folder.data();
}

TEST(WindowsLibraryPaths, ASoundUnderTheLibraryIsStoredRelativeAndFoundAgainAfterTheLibraryMoves) {
    TempFolder root;
    const std::string first = root / "First Library";
    std::filesystem::create_directories(first + "\\Samples\\Kicks");
    writeWave(first + "\\Samples\\Kicks\\Deep Kick.wav", testSound(500, 2));
    auto drums = makeDrums(8, first + "\\");
    setSoundPath(*drums, 1, first + "\\Samples\\Kicks\\Deep Kick.wav");
    ASSERT_GE(test::stateOf(*drums).voices[1].soundIndex, 0);
    const std::vector<std::uint8_t> b = chunkOf(*drums);
    EXPECT_EQ(textAt(b, kHeader + kTrack + kPath, 256), "\\Samples\\Kicks\\Deep Kick.wav");

    const std::string moved = root / "Moved";
    std::filesystem::rename(first, moved);
    auto later = makeDrums(8, moved);
    ASSERT_EQ(give(*later, b), 1);
    EXPECT_EQ(soundPathOf(*later, 1), moved + "\\Samples\\Kicks\\Deep Kick.wav");
    ASSERT_GE(test::stateOf(*later).voices[1].soundIndex, 0);
}

TEST(WindowsLibraryPaths, ADrivePathOutsideTheLibraryIsStoredWholeAndLoadsFromThere) {
    TempFolder root;
    std::filesystem::create_directories(root / "lib");
    std::filesystem::create_directories(root / "lib2");
    writeWave(root / "lib2\\snare.wav", testSound(300, 3));
    ASSERT_EQ(root.path()[1], ':');
    auto drums = makeDrums(8, root / "lib");
    setSoundPath(*drums, 0, root / "lib2\\snare.wav");
    const std::vector<std::uint8_t> b = chunkOf(*drums);
    EXPECT_EQ(textAt(b, kHeader + kPath, 256), root / "lib2\\snare.wav");
    auto other = makeDrums(8, root / "lib");
    ASSERT_EQ(give(*other, b), 1);
    EXPECT_GE(test::stateOf(*other).voices[0].soundIndex, 0);
}

TEST(WindowsLibraryPaths, SlashesTurnIntoBackslashesAndANameWithoutADriveIsInsideTheLibrary) {
    const std::string library = "C:\\Lib";
    EXPECT_EQ(fromStoredPath("/Samples/hat.wav", library), "C:\\Lib\\Samples\\hat.wav");
    EXPECT_EQ(fromStoredPath("\\Samples\\hat.wav", library), "C:\\Lib\\Samples\\hat.wav");
    EXPECT_EQ(fromStoredPath("Samples/hat.wav", library), "C:\\Lib\\Samples\\hat.wav");
    EXPECT_EQ(fromStoredPath("D:/Drums/hat.wav", library), "D:\\Drums\\hat.wav");
    EXPECT_EQ(fromStoredPath("", library), "");
    EXPECT_EQ(toStoredPath("c:\\lib\\Samples\\a.wav", library, FolderCase::kIgnored), "\\Samples\\a.wav");
    EXPECT_EQ(toStoredPath("c:\\lib\\Samples\\a.wav", library, FolderCase::kExact), "c:\\lib\\Samples\\a.wav");
    EXPECT_EQ(toStoredPath("C:\\Lib2\\a.wav", library, FolderCase::kIgnored), "C:\\Lib2\\a.wav");
}

TEST(WindowsLibraryPaths, TheDefaultFoldersLieUnderTheProgramFilesFolder) {
    InstrumentSettings settings;
    EXPECT_EQ(libraryFolder(settings), programFilesFolder() + "\\VORN Studio\\Rimba Drums");
    const test::ScopedEnvironmentVariable programFiles("ProgramFiles", "D:\\Programs");
    EXPECT_EQ(defaultEffectFolder(), "D:\\Programs\\VSTPlugIns\\VORN Effects\\");
}

TEST(WindowsLibraryPaths, AStoredEffectPathIsLookedForInTheEffectFolderAsADll) {
    const std::string effects = "C:\\Effects\\";
    EXPECT_EQ(storedEffectPath("C:\\Effects\\Verb.dll", effects), "Verb.dll");
    EXPECT_EQ(effectPathFromStored("Verb.vst", effects), "C:\\Effects\\Verb.dll");
    EXPECT_EQ(effectPathFromStored("Sub/Verb.vst", effects), "C:\\Effects\\Sub\\Verb.dll");
    EXPECT_EQ(effectPathFromStored("D:\\Other\\Verb.dll", effects), "D:\\Other\\Verb.dll");
    EXPECT_EQ(effectPathFromStored("/Other/Verb.dll", effects), "\\Other\\Verb.dll");
}

}  // namespace
}  // namespace rimba::chunk_test
