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

// Every operation checks both names the same way on both systems, and a group of values with one
// refused name writes none of them.
TEST_F(Store, EveryOperationRefusesTheSameNamesAndARefusedGroupWritesNothing) {
    const std::vector<std::uint8_t> bytes{1, 2, 3};
    for (const std::string& refused :
         {std::string(), std::string("a/b"), std::string("a\\b"), std::string("C:"), std::string("two words"),
          std::string("tab\t"), std::string(201, 'n'), std::string("."), std::string("..")}) {
        SCOPED_TRACE(refused);
        const std::string valid = "Valid";
        for (const auto& [section, name] : {std::pair{refused, valid}, std::pair{valid, refused}}) {
            EXPECT_FALSE(store.writeText(section, name, "text"));
            EXPECT_FALSE(store.writeNumber(section, name, 7));
            EXPECT_FALSE(store.writeBinary(section, name, bytes));
            EXPECT_FALSE(store.readText(section, name));
            EXPECT_FALSE(store.readNumber(section, name));
            EXPECT_FALSE(store.readBinary(section, name));
            EXPECT_FALSE(store.contains(section, name));
        }
        EXPECT_FALSE(store.writeValues("Settings", {{.name = "Good", .isNumber = true, .text = {}, .number = 1},
                                                    {.name = refused, .isNumber = false, .text = "x", .number = 0}}));
        EXPECT_FALSE(store.writeValues(refused, {{.name = "Good", .isNumber = true, .text = {}, .number = 1}}));
    }
    EXPECT_FALSE(store.contains("Settings", "Good"));
    EXPECT_FALSE(store.contains("Valid", "Valid"));
}

TEST_F(Store, NamesOfTwoHundredCharactersAreTheLongestTaken) {
    const std::string longest(200, 'n');
    ASSERT_TRUE(store.writeNumber(longest, longest, 5));
    ASSERT_TRUE(store.writeBinary(longest, "Bytes", {9}));
    EXPECT_EQ(store.readNumber(longest, longest), 5u);
    EXPECT_EQ(store.readBinary(longest, "Bytes"), std::vector<std::uint8_t>{9});
}

}  // namespace
}  // namespace rimba::settings
