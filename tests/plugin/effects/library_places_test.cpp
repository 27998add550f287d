// Where a program may name an effect library from: the judgement on paths under both systems'
// rules (no file system), then the whole placement over real folders of the test's own.

#include "plugin/effects/LibraryPlaces.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "common/platform/Paths.h"
#include "tests/support/Environment.h"
#include "tests/support/TempFolder.h"

namespace rimba {
namespace {

constexpr PathRules kPosix{.backslashSeparates = false, .ignoreCase = false};
constexpr PathRules kWindows{.backslashSeparates = true, .ignoreCase = true};

struct PlaceCase {
    const char* path;
    const char* folder;
    bool inside;
};

TEST(LibraryPlaces, APathLiesInsideAFolderOnlyNameByNameBelowItOnLinux) {
    const PlaceCase cases[] = {
        {"/usr/lib/vst/x.so", "/usr/lib/vst", true},
        {"/usr/lib/vst/x.so", "/usr/lib/vst/", true},
        {"/usr/lib/vst//sub/x.so", "/usr/lib/vst//", true},
        {"/usr/lib/vst/./sub/../x.so", "/usr/lib/vst", true},
        {"/../usr/lib/vst/x.so", "/usr/lib/vst", true},
        {"/usr/lib/vst-evil/x.so", "/usr/lib/vst", false},
        {"/usr/lib/vstx.so", "/usr/lib/vst", false},
        {"/usr/lib/vst/../x.so", "/usr/lib/vst", false},
        {"/usr/lib/vst/sub/../../vst-evil/x.so", "/usr/lib/vst", false},
        {"/usr/lib/vst", "/usr/lib/vst", false},
        {"/usr/lib/vst/", "/usr/lib/vst", false},
        {"/usr/lib/VST/x.so", "/usr/lib/vst", false},
        {"/x.so", "/", false},
        {"/x.so", "//", false},
        {"usr/lib/vst/x.so", "usr/lib/vst", false},
        {"/usr/lib/vst/x.so", "usr/lib/vst", false},
        {"/usr/lib/vst/x.so", "", false},
        {"", "/usr/lib/vst", false},
        {"C:\\VST\\x.dll", "C:\\VST", false},
    };
    for (const PlaceCase& c : cases)
        EXPECT_EQ(liesInsideFolder(c.path, c.folder, kPosix), c.inside) << c.path << " in " << c.folder;
}

TEST(LibraryPlaces, APathLiesInsideAFolderOnlyNameByNameBelowItOnWindows) {
    const PlaceCase cases[] = {
        {"C:\\Program Files\\VSTPlugins\\x.dll", "C:\\Program Files\\VSTPlugins", true},
        {"C:\\Program Files\\VSTPlugins\\x.dll", "c:\\PROGRAM FILES\\vstplugins\\", true},
        {"C:/Program Files/VSTPlugins/Sub/x.dll", "C:\\Program Files\\VSTPlugins", true},
        {"\\\\server\\share\\vst\\x.dll", "\\\\server\\share\\vst", true},
        {"C:\\Program Files\\VSTPlugins-evil\\x.dll", "C:\\Program Files\\VSTPlugins", false},
        {"D:\\Program Files\\VSTPlugins\\x.dll", "C:\\Program Files\\VSTPlugins", false},
        {"C:\\Program Files\\VSTPlugins\\..\\x.dll", "C:\\Program Files\\VSTPlugins", false},
        {"C:\\x.dll", "C:\\", false},
        {"\\\\server\\share\\x.dll", "\\\\server\\share", false},
        {"\\\\C:\\vst\\x.dll", "C:\\vst", false},
        {"\\\\..\\share\\vst\\x.dll", "\\\\..\\share\\vst", false},
        {"\\vst\\x.dll", "\\vst", false},
        {"C:vst\\x.dll", "C:vst", false},
    };
    for (const PlaceCase& c : cases)
        EXPECT_EQ(liesInsideFolder(c.path, c.folder, kWindows), c.inside) << c.path << " in " << c.folder;
}

TEST(LibraryPlaces, TheJudgementNamesAMissingLibraryAndOneOutsideEveryFolder) {
    const std::vector<std::string> folders{"/home/me/.vst", "/usr/lib/vst"};
    EXPECT_TRUE(judgeLibraryPlace("/usr/lib/vst/x.so", folders, kPosix).ok());
    EXPECT_EQ(judgeLibraryPlace(std::nullopt, folders, kPosix).reason(), "no library is there");
    EXPECT_EQ(judgeLibraryPlace("/tmp/x.so", folders, kPosix).reason(),
              "outside the effects folder and the standard plug-in folders (it is /tmp/x.so)");
    EXPECT_FALSE(judgeLibraryPlace("/usr/lib/vst/x.so", {}, kPosix).ok());
}

// Real folders: `effects` is the effects folder; a library is named as a program names it,
// joined to the folder where it was stored relative.
class LibraryPlacement : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* file : {"effects/verb.so", "effects/sub/verb.so", "effects-evil/verb.so", "elsewhere/verb.so"})
            folder.makeFile(file, "not loaded");
    }

    Result<std::string> place(const std::string& path, const std::string& effectFolder) const {
        return placeProgramEffectLibrary(path, effectFolder);
    }
    std::string resolved(const std::string& relative) const {
        return std::filesystem::canonical(folder / relative).string();
    }
    std::string effects() const { return folder / "effects" + platform::pathSeparator(); }

    // The user's own plug-in folders could hold the test's folder.
    test::ScopedEnvironmentVariable noVstPath{"VST_PATH", std::nullopt};
    test::ScopedEnvironmentVariable noLxvstPath{"LXVST_PATH", std::nullopt};
    test::TempFolder folder;
};

TEST_F(LibraryPlacement, OnlyLibrariesInsideTheEffectsFolderArePlacedAndTheResolvedFileIsTheOneToOpen) {
    struct Case {
        std::string path;
        std::string effectFolder;
        std::string opened;  // or, when refused, the start of the reason
    };
    const std::string sep(1, platform::pathSeparator());
    const std::string outside = "outside the effects folder";
    const Case cases[] = {
        {effects() + "verb.so", effects(), resolved("effects/verb.so")},
        {effects() + "sub" + sep + ".." + sep + "verb.so", effects(), resolved("effects/verb.so")},
        {effects() + "sub" + sep + "verb.so", folder / "effects", resolved("effects/sub/verb.so")},
        {effects() + ".." + sep + "elsewhere" + sep + "verb.so", effects(), outside},
        {effects() + ".." + sep + "effects-evil" + sep + "verb.so", effects(), outside},
        {folder / "effects-evil/verb.so", folder / "effects", outside},
        {folder / "elsewhere/verb.so", effects(), outside},
        {effects() + "verb.so", "", outside},
        {effects() + "missing.so", effects(), "no library is there"},
        {"verb.so", "", "a relative name"},
    };
    for (const Case& c : cases) {
        const Result<std::string> placed = place(c.path, c.effectFolder);
        if (placed.ok())
            EXPECT_EQ(*placed, c.opened) << c.path << " with " << c.effectFolder;
        else
            EXPECT_TRUE(placed.reason().starts_with(c.opened))
                << c.path << " with " << c.effectFolder << ": " << placed.reason();
    }
}

}  // namespace
}  // namespace rimba
