// The instrument's settings in a store on disk that was cut short.

#include <filesystem>

#include <gtest/gtest.h>

#include "plugin/core/StoredSettings.h"
#include "tests/common/platform/TempFolder.h"

namespace rimba {
namespace {

using platform::fixtures::TempFolder;
using settings::SettingsStore;

TEST(StoredSettingsOnDisk, ADamagedStoreGivesTheDefaults) {
    TempFolder folder;
    SettingsStore store{"RimbaDrums_64", folder / "config"};
    InstrumentSettings out;
    out.masterLevel = 20.0f;
    out.channelNumber = 8;
    saveSettings(store, out, false);
    const std::string file = folder / "config/RimbaDrums_64/Settings.conf";
    std::filesystem::resize_file(file, std::filesystem::file_size(file) / 2);
    InstrumentSettings in;
    EXPECT_TRUE(loadSettings(store, in, false));
    EXPECT_EQ(in.masterLevel, 127.0f);
    EXPECT_EQ(in.trackCount(), 12);
}

}  // namespace
}  // namespace rimba
