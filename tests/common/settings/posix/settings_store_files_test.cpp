// The settings store on disk: damaged files that read as missing, and writes that never leave
// half a file behind.

#include <sys/resource.h>

#include <csignal>
#include <filesystem>
#include <fstream>

#include <gtest/gtest.h>

#include "tests/common/platform/TempFolder.h"
#include "tests/common/platform/posix/FileSizeLimit.h"
#include "tests/common/settings/StoreFixture.h"

namespace rimba::settings {
namespace {

using platform::fixtures::contentOf;

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
    for (const std::string& bad :
         {std::string("\x7f\x45\x4c\x46 garbage"), std::string(),
          std::string("RimbaDrums settings 1\nMasterLevel=n:100\n"), good.substr(0, good.size() - 1)}) {
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
    std::filesystem::resize_file(inRoot("RimbaDrums_64/Data/UserPreset.bin"), 500);
    EXPECT_FALSE(store.readBinary("Data", "UserPreset"));
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
