// Finding the factory library from the plug-in's folder and copying it into the user's library
// folder on first use.

#include "plugin/files/FactoryLibrary.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

#include "tests/common/platform/TempFolder.h"
#include "tests/plugin/files/FactoryLibraryFixture.h"

namespace rimba {
namespace {

namespace fs = std::filesystem;
using files::fixtures::entriesBelow;
using files::fixtures::kFactoryEntries;
using files::fixtures::makeFactory;
using platform::fixtures::contentOf;
using platform::fixtures::TempFolder;
using ::testing::ElementsAre;

TEST(FindFactoryLibrary, PrefersTheFolderBesideThePlugin) {
    TempFolder temp;
    temp.makeFolder("prefix/lib/vst/RimbaDrums_64-library");
    temp.makeFolder("prefix/share/RimbaDrums/library");
    EXPECT_EQ(findFactoryLibrary(temp / "prefix/lib/vst"), temp / "prefix/lib/vst/RimbaDrums_64-library");
}

TEST(FindFactoryLibrary, FallsBackToTheSharedFolderOfThePrefix) {
    TempFolder temp;
    temp.makeFolder("prefix/lib/vst");
    temp.makeFolder("prefix/share/RimbaDrums/library");
    const std::string found = findFactoryLibrary(temp / "prefix/lib/vst");
    ASSERT_FALSE(found.empty());
    EXPECT_TRUE(fs::equivalent(found, temp / "prefix/share/RimbaDrums/library"));
}

TEST(FindFactoryLibrary, FindsNothingWhenNeitherExistsOrTheFolderIsUnknown) {
    TempFolder temp;
    temp.makeFolder("prefix/lib/vst");
    temp.makeFile("prefix/lib/vst/RimbaDrums_64-library", "a file is no library");
    EXPECT_EQ(findFactoryLibrary(temp / "prefix/lib/vst"), "");
    EXPECT_EQ(findFactoryLibrary(""), "");
}

TEST(CopyFactoryLibrary, FillsAMissingFolderWithEveryFileAndFolder) {
    TempFolder temp;
    const std::string factory = makeFactory(temp, "factory");
    const std::string user = temp / "data/VORN Studio/Rimba Drums";
    EXPECT_EQ(copyFactoryLibrary(factory, user), FactoryCopy::kCopied);
    EXPECT_EQ(entriesBelow(user), kFactoryEntries);
    EXPECT_EQ(contentOf(user + "/Drum Kits/Default.drs"), std::string("kit\0bytes", 9));
    EXPECT_EQ(contentOf(user + "/Programs/RimbaRand.fxp"), "CcnK program");
}

TEST(CopyFactoryLibrary, FillsAnEmptyFolder) {
    TempFolder temp;
    const std::string factory = makeFactory(temp, "factory");
    const std::string user = temp.makeFolder("user");
    EXPECT_EQ(copyFactoryLibrary(factory, user), FactoryCopy::kCopied);
    EXPECT_EQ(entriesBelow(user), kFactoryEntries);
}

TEST(CopyFactoryLibrary, LeavesAFolderWithAnythingInItAlone) {
    TempFolder temp;
    const std::string factory = makeFactory(temp, "factory");
    temp.makeFile("user/Samples/Kick.wav", "the user's kick");
    temp.makeFolder("other/Samples");
    EXPECT_EQ(copyFactoryLibrary(factory, temp / "user"), FactoryCopy::kLibraryInUse);
    EXPECT_EQ(copyFactoryLibrary(factory, temp / "other"), FactoryCopy::kLibraryInUse);
    EXPECT_THAT(entriesBelow(temp / "user"), ElementsAre("Samples/", "Samples/Kick.wav"));
    EXPECT_EQ(contentOf(temp / "user/Samples/Kick.wav"), "the user's kick");
    EXPECT_THAT(entriesBelow(temp / "other"), ElementsAre("Samples/"));
}

TEST(CopyFactoryLibrary, AFolderInUseReceivesOnlyTheUserManualsItLacks) {
    TempFolder temp;
    const std::string factory = makeFactory(temp, "factory");
    temp.makeFile("factory/UserManualEnglish.pdf", "%PDF new English");
    temp.makeFile("factory/UserManualFrench.pdf", "%PDF new French");
    temp.makeFile("user/Samples/Kick.wav", "the user's kick");
    temp.makeFile("user/UserManualEnglish.pdf", "%PDF older English");
    EXPECT_EQ(copyFactoryLibrary(factory, temp / "user"), FactoryCopy::kLibraryInUse);
    EXPECT_THAT(entriesBelow(temp / "user"),
                ElementsAre("Samples/", "Samples/Kick.wav", "UserManualEnglish.pdf", "UserManualFrench.pdf"));
    EXPECT_EQ(contentOf(temp / "user/UserManualEnglish.pdf"), "%PDF older English");
    EXPECT_EQ(contentOf(temp / "user/UserManualFrench.pdf"), "%PDF new French");
}

TEST(CopyFactoryLibrary, DoesNothingWithoutAFactoryLibrary) {
    TempFolder temp;
    EXPECT_EQ(copyFactoryLibrary(temp / "missing", temp / "user"), FactoryCopy::kNoFactoryLibrary);
    EXPECT_EQ(copyFactoryLibrary("", temp / "user"), FactoryCopy::kNoFactoryLibrary);
    EXPECT_FALSE(fs::exists(temp / "user"));
}

TEST(CopyFactoryLibrary, AUserFolderThatIsAFileIsNotTouched) {
    TempFolder temp;
    const std::string factory = makeFactory(temp, "factory");
    const std::string user = temp.makeFile("user", "not a folder");
    EXPECT_EQ(copyFactoryLibrary(factory, user), FactoryCopy::kIncomplete);
    EXPECT_EQ(contentOf(user), "not a folder");
}

TEST(InstallFactoryLibraryOnFirstUse, CodeLinkedIntoATestProgramFindsNoFactoryLibraryAndCopiesNothing) {
    TempFolder temp;
    InstrumentSettings settings;
    settings.filesPath = temp / "user";
    EXPECT_EQ(installFactoryLibraryOnFirstUse(settings), FactoryCopy::kNoFactoryLibrary);
    EXPECT_FALSE(fs::exists(temp / "user"));
}

}  // namespace
}  // namespace rimba
