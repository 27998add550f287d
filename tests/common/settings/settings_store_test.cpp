// The settings store's behaviour on every system: typed values that survive, one value written
// without disturbing the others, names that cannot reach outside the product's store.

#include <gtest/gtest.h>

#include "tests/common/settings/StoreFixture.h"

namespace rimba::settings {
namespace {

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

    SettingsStore reopened("RimbaDrums_64", root);
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

TEST_F(Store, NamesThatCouldLeaveTheFolderAreRefused) {
    EXPECT_FALSE(store.writeText("../x", "a", "b"));
    EXPECT_FALSE(store.writeText("Settings", "a/b", "b"));
    EXPECT_FALSE(store.writeBinary("Data", "../../escape", {1}));
    EXPECT_FALSE(store.readText("Settings", ""));
}

}  // namespace
}  // namespace rimba::settings
