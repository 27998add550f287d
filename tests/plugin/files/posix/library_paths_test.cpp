// Sound paths on Linux: library-relative names with '\\', absolute POSIX paths, the default
// library folder in the user's data folder, and the effect folder's names.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <optional>

#include "plugin/files/LibraryFolder.h"
#include "plugin/files/ProgramChunk.h"
#include "tests/plugin/files/ChunkFixture.h"
#include "tests/support/Environment.h"
#include "tests/support/InstrumentProbe.h"

namespace rimba::chunk_test {
namespace {

using files::fixtures::TempFolder;

// --- sound paths and the library folder ----------------------------------------------------------

TEST(LibraryPaths, ASoundUnderTheLibraryIsStoredRelativeAndFoundAgainAfterTheLibraryMoves) {
    TempFolder root;
    const std::string first = root.path() + "/First Library";
    std::filesystem::create_directories(first + "/Samples/Kicks");
    writeWave(first + "/Samples/Kicks/Deep Kick.wav", testSound(500, 2));
    auto drums = makeDrums(8, first + "/");  // a set folder may end with a separator
    setSoundPath(*drums, 1, first + "/Samples/Kicks/Deep Kick.wav");
    ASSERT_GE(test::stateOf(*drums).voices[1].soundIndex, 0);
    const std::vector<std::uint8_t> b = chunkOf(*drums);
    EXPECT_EQ(textAt(b, kHeader + kTrack + kPath, 256), "\\Samples\\Kicks\\Deep Kick.wav");

    const std::string moved = root.path() + "/Moved";
    std::filesystem::rename(first, moved);
    auto later = makeDrums(8, moved);
    ASSERT_EQ(give(*later, b), 1);
    EXPECT_EQ(soundPathOf(*later, 1), moved + "/Samples/Kicks/Deep Kick.wav");
    ASSERT_GE(test::stateOf(*later).voices[1].soundIndex, 0);
    EXPECT_EQ(test::stateOf(*later)
                  .soundList[static_cast<std::size_t>(test::stateOf(*later).voices[1].soundIndex)]
                  ->frameCount,
              500);
}

TEST(LibraryPaths, ASoundOutsideTheLibraryIsStoredWholeAndLoadsFromThere) {
    TempFolder root;
    std::filesystem::create_directories(root.path() + "/lib");
    std::filesystem::create_directories(root.path() + "/lib2");
    writeWave(root.path() + "/lib2/snare.wav", testSound(300, 3));
    auto drums = makeDrums(8, root.path() + "/lib");
    setSoundPath(*drums, 0, root.path() + "/lib2/snare.wav");
    const std::vector<std::uint8_t> b = chunkOf(*drums);
    EXPECT_EQ(textAt(b, kHeader + kPath, 256), root.path() + "/lib2/snare.wav");
    auto other = makeDrums(8, root.path() + "/lib");
    ASSERT_EQ(give(*other, b), 1);
    EXPECT_GE(test::stateOf(*other).voices[0].soundIndex, 0);
}

TEST(LibraryPaths, ANameWithASlashIsAbsoluteOnlyWhenAFileExistsThereElseInsideTheLibrary) {
    TempFolder root;
    const std::string library = root.path() + "/lib";
    std::filesystem::create_directories(library + "/Samples");
    writeWave(library + "/Samples/hat.wav", testSound(200, 4));
    EXPECT_EQ(fromStoredPath("/Samples/hat.wav", library), library + "/Samples/hat.wav");
    EXPECT_EQ(fromStoredPath(library + "/Samples/hat.wav", library), library + "/Samples/hat.wav");
    EXPECT_EQ(fromStoredPath("\\Samples\\hat.wav", library), library + "/Samples/hat.wav");
    EXPECT_EQ(fromStoredPath("Samples\\hat.wav", library), library + "/Samples/hat.wav");
    EXPECT_EQ(fromStoredPath("C:\\Drums\\hat.wav", library), "C:/Drums/hat.wav");
    EXPECT_EQ(fromStoredPath("", library), "");

    auto drums = makeDrums(8, library);
    Block block = emptyBlock(formTable()[6]);
    block.text(kHeader + 3 * kTrack + kPath, "/Samples/hat.wav");
    ASSERT_EQ(give(*drums, block.bytes), 1);
    EXPECT_EQ(soundPathOf(*drums, 3), library + "/Samples/hat.wav");
    EXPECT_GE(test::stateOf(*drums).voices[3].soundIndex, 0);
}

TEST(LibraryPaths, StoredPathsUseBackslashesAndOnlyWholeFolderNamesCount) {
    EXPECT_EQ(toStoredPath("/home/u/Lib/Samples/a.wav", "/home/u/lib", FolderCase::kIgnored), "\\Samples\\a.wav");
    EXPECT_EQ(toStoredPath("/home/u/Lib/Samples/a.wav", "/home/u/lib", FolderCase::kExact),
              "/home/u/Lib/Samples/a.wav");
    EXPECT_EQ(toStoredPath("/home/u/lib/Samples/a.wav", "/home/u/lib", FolderCase::kExact), "\\Samples\\a.wav");
    EXPECT_EQ(toStoredPath("/home/u/lib2/a.wav", "/home/u/lib", FolderCase::kIgnored), "/home/u/lib2/a.wav");
    EXPECT_EQ(toStoredPath("/elsewhere/a.wav", "/home/u/lib", FolderCase::kIgnored), "/elsewhere/a.wav");
    EXPECT_EQ(toStoredPath("", "/home/u/lib", FolderCase::kExact), "");
}

// On a file system that tells letter case apart, "/x/lib" and "/x/Lib" are two folders: a kit
// keeps a sound of the other one whole, so it still finds it.
TEST(LibraryPaths, AKitStoresASoundRelativeOnlyUnderTheLibraryFolderInItsExactCase) {
    TempFolder root;
    std::filesystem::create_directories(root / "Lib");
    std::filesystem::create_directories(root / "lib");
    writeWave(root / "lib/kick.wav", testSound(400, 4));
    writeWave(root / "Lib/snare.wav", testSound(300, 5));
    auto drums = makeDrums(8, root / "Lib");
    setSoundPath(*drums, 0, root / "lib/kick.wav");
    setSoundPath(*drums, 1, root / "Lib/snare.wav");
    ASSERT_TRUE(drums->saveKit(root / "kit.drs"));

    auto other = makeDrums(8, root / "Lib");
    ASSERT_TRUE(other->loadKit(root / "kit.drs"));
    EXPECT_EQ(soundPathOf(*other, 0), root / "lib/kick.wav");
    EXPECT_EQ(soundPathOf(*other, 1), root / "Lib/snare.wav");
    ASSERT_GE(test::stateOf(*other).voices[0].soundIndex, 0);
    EXPECT_EQ(test::stateOf(*other)
                  .soundList[static_cast<std::size_t>(test::stateOf(*other).voices[0].soundIndex)]
                  ->frameCount,
              400);
}

TEST(LibraryPaths, TheDefaultLibraryLiesInTheUsersDataFolder) {
    const test::ScopedEnvironmentVariable keep("XDG_DATA_HOME", test::environmentVariable("XDG_DATA_HOME"));
    InstrumentSettings settings;
    setenv("XDG_DATA_HOME", "/data/home/", 1);
    EXPECT_EQ(libraryFolder(settings), "/data/home/VORN Studio/Rimba Drums");
    setenv("XDG_DATA_HOME", "relative/data", 1);
    EXPECT_EQ(libraryFolder(settings), std::string(std::getenv("HOME")) + "/.local/share/VORN Studio/Rimba Drums");
    unsetenv("XDG_DATA_HOME");
    EXPECT_EQ(libraryFolder(settings), std::string(std::getenv("HOME")) + "/.local/share/VORN Studio/Rimba Drums");
    settings.filesPath = "/my/drums//";
    EXPECT_EQ(libraryFolder(settings), "/my/drums");
}

TEST(EffectState, AStoredEffectPathIsLookedForInTheEffectFolderWithThisSystemsExtension) {
    EXPECT_EQ(storedEffectPath("/effects/Verb.so", "/effects/"), "Verb.so");
    EXPECT_EQ(storedEffectPath("/opt/Verb.so", "/effects/"), "/opt/Verb.so");
    EXPECT_EQ(effectPathFromStored("Verb.vst", "/effects/"), "/effects/Verb.so");
    EXPECT_EQ(effectPathFromStored("Sub\\Verb.dll", "/effects/"), "/effects/Sub/Verb.so");
    EXPECT_EQ(effectPathFromStored("Verb.so", "/effects/"), "/effects/Verb.so");
    EXPECT_EQ(effectPathFromStored("/opt/Verb.so", "/effects/"), "/opt/Verb.so");
}

}  // namespace
}  // namespace rimba::chunk_test
