// The settings store on disk: typed values that survive, damaged files that read as missing, and
// writes that never leave half a file behind.

#include <sys/resource.h>

#include <csignal>
#include <filesystem>
#include <fstream>

#include <gtest/gtest.h>

#include "common/settings/SettingsStore.h"
#include "tests/common/platform/TempFolder.h"
#include "tests/common/platform/FileSizeLimit.h"

namespace rimba::settings {
namespace {

using platform::fixtures::contentOf;
using platform::fixtures::TempFolder;

class Store : public ::testing::Test {
protected:
    TempFolder folder;
    SettingsStore store{"RimbaDrums_64", folder.path()};
    std::string sectionFile(const std::string& section) { return folder / ("RimbaDrums_64/" + section + ".conf"); }
};

TEST_F(Store, AnEmptyStoreHasNoValues) {
    EXPECT_FALSE(store.readText("Settings", "PluginName"));
    EXPECT_FALSE(store.readNumber("Settings", "MasterLevel"));
    EXPECT_FALSE(store.readBinary("Data", "UserPreset"));
    EXPECT_FALSE(store.contains("Settings", "PluginName"));
}

TEST_F(Store, TypedValuesComeBackAsWritten) {
    ASSERT_TRUE(store.writeText("Settings", "ProgramFile", "/home/me/Rimba Drums/Programs/Groove=1;x.fxp"));
    ASSERT_TRUE(store.writeNumber("Settings", "MasterLevel", 96));
    ASSERT_TRUE(store.writeNumber("Settings", "PatternTriggerMidiKey", 0xFFFFFFFFu));
    ASSERT_TRUE(store.writeText("Settings", "Odd", "line\nbreak\\and\rreturn"));
    const std::vector<std::uint8_t> preset{0, 1, 2, 255, '\n', 0};
    ASSERT_TRUE(store.writeBinary("Data", "UserPreset", preset));

    SettingsStore reopened("RimbaDrums_64", folder.path());
    EXPECT_EQ(reopened.readText("Settings", "ProgramFile"), "/home/me/Rimba Drums/Programs/Groove=1;x.fxp");
    EXPECT_EQ(reopened.readNumber("Settings", "MasterLevel"), 96u);
    EXPECT_EQ(static_cast<std::int32_t>(*reopened.readNumber("Settings", "PatternTriggerMidiKey")), -1);
    EXPECT_EQ(reopened.readText("Settings", "Odd"), "line\nbreak\\and\rreturn");
    EXPECT_EQ(reopened.readBinary("Data", "UserPreset"), preset);
}

TEST_F(Store, AValueOfAnotherTypeReadsAsMissing) {
    store.writeNumber("Settings", "Tooltips", 1);
    EXPECT_FALSE(store.readText("Settings", "Tooltips"));
    EXPECT_TRUE(store.contains("Settings", "Tooltips"));
}

TEST_F(Store, WritingOneValueKeepsTheOthers) {
    store.writeNumber("Settings", "A", 1);
    store.writeNumber("Settings", "B", 2);
    store.writeNumber("Settings", "A", 3);
    EXPECT_EQ(store.readNumber("Settings", "A"), 3u);
    EXPECT_EQ(store.readNumber("Settings", "B"), 2u);
}

TEST_F(Store, AFileCutInHalfReadsAsMissingAndIsSetAsideBeforeTheNextWrite) {
    for (int i = 0; i < 20; ++i)
        store.writeNumber("Settings", "Value" + std::to_string(i), static_cast<std::uint32_t>(i));
    const std::string whole = contentOf(sectionFile("Settings"));
    std::filesystem::resize_file(sectionFile("Settings"), whole.size() / 2);
    EXPECT_FALSE(store.readNumber("Settings", "Value1"));
    EXPECT_TRUE(store.writeNumber("Settings", "Value3", 33));
    EXPECT_EQ(store.readNumber("Settings", "Value3"), 33u);
    EXPECT_FALSE(store.readNumber("Settings", "Value1"));
    EXPECT_EQ(contentOf(sectionFile("Settings") + ".damaged"), whole.substr(0, whole.size() / 2));
}

TEST_F(Store, GarbageAndEditedFilesReadAsMissing) {
    store.writeNumber("Settings", "MasterLevel", 100);
    const std::string good = contentOf(sectionFile("Settings"));
    for (const std::string& bad : {std::string("\x7f\x45\x4c\x46 garbage"), std::string(),
                                   std::string("RimbaDrums settings 1\nMasterLevel=n:100\n"),
                                   good.substr(0, good.size() - 1)}) {
        std::ofstream(sectionFile("Settings"), std::ios::binary | std::ios::trunc) << bad;
        EXPECT_FALSE(store.readNumber("Settings", "MasterLevel")) << bad;
    }
    std::string edited = good;
    edited[edited.find("100")] = '9';  // a changed value without a matching checksum
    std::ofstream(sectionFile("Settings"), std::ios::binary | std::ios::trunc) << edited;
    EXPECT_FALSE(store.readNumber("Settings", "MasterLevel"));
}

TEST_F(Store, ADamagedBinaryValueReadsAsMissing) {
    store.writeBinary("Data", "UserPreset", std::vector<std::uint8_t>(1000, 7));
    std::filesystem::resize_file(folder / "RimbaDrums_64/Data/UserPreset.bin", 500);
    EXPECT_FALSE(store.readBinary("Data", "UserPreset"));
}

TEST_F(Store, NamesThatCouldLeaveTheFolderAreRefused) {
    EXPECT_FALSE(store.writeText("../x", "a", "b"));
    EXPECT_FALSE(store.writeText("Settings", "a/b", "b"));
    EXPECT_FALSE(store.writeBinary("Data", "../../escape", {1}));
    EXPECT_FALSE(store.readText("Settings", ""));
}

using rimba::platform::fixtures::FileSizeLimit;

TEST_F(Store, AFailedSaveLeavesThePreviousFileIntact) {
    store.writeText("Settings", "ProgramFile", "short");
    const std::string before = contentOf(sectionFile("Settings"));
    {
        FileSizeLimit full(static_cast<rlim_t>(before.size()) + 10);
        EXPECT_FALSE(store.writeText("Settings", "ProgramFile", std::string(5000, 'x')));
    }
    EXPECT_EQ(contentOf(sectionFile("Settings")), before);
    EXPECT_EQ(store.readText("Settings", "ProgramFile"), "short");
}

TEST(UserConfigFolder, FollowsXdgConfigHomeThenHome) {
    const char* savedXdg = std::getenv("XDG_CONFIG_HOME");
    const std::string keep = savedXdg ? savedXdg : "";
    setenv("XDG_CONFIG_HOME", "/tmp/elsewhere", 1);
    EXPECT_EQ(userConfigFolder(), "/tmp/elsewhere");
    unsetenv("XDG_CONFIG_HOME");
    EXPECT_EQ(userConfigFolder(), std::string(std::getenv("HOME")) + "/.config");
    if (savedXdg)
        setenv("XDG_CONFIG_HOME", keep.c_str(), 1);
}

}  // namespace
}  // namespace rimba::settings
