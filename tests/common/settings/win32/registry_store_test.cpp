// The settings store in the Windows registry, checked through the registry's own functions: the
// key each section lives under and the type and bytes of each value.

#include "common/platform/win32/Windows.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/common/settings/StoreFixture.h"

namespace rimba::settings {
namespace {

struct RegistryValue {
    DWORD type = REG_NONE;
    std::vector<std::uint8_t> bytes;
};

std::optional<RegistryValue> rawValue(const std::string& key, const std::string& name) {
    HKEY opened = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, KEY_READ, &opened) != ERROR_SUCCESS)
        return std::nullopt;
    RegistryValue value;
    DWORD size = 0;
    LONG result = RegQueryValueExA(opened, name.c_str(), nullptr, &value.type, nullptr, &size);
    if (result == ERROR_SUCCESS) {
        value.bytes.resize(size);
        result = RegQueryValueExA(opened, name.c_str(), nullptr, &value.type, value.bytes.data(), &size);
    }
    RegCloseKey(opened);
    if (result != ERROR_SUCCESS)
        return std::nullopt;
    return value;
}

void writeRaw(const std::string& key, const std::string& name, DWORD type, const std::vector<std::uint8_t>& bytes) {
    HKEY created = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &created, nullptr),
              ERROR_SUCCESS);
    EXPECT_EQ(RegSetValueExA(created, name.c_str(), 0, type, bytes.data(), static_cast<DWORD>(bytes.size())),
              ERROR_SUCCESS);
    RegCloseKey(created);
}

class RegistryStore : public Store {
protected:
    std::string sectionKey(const std::string& section) const { return root + "\\RimbaDrums_64\\" + section; }
};

TEST_F(RegistryStore, NumbersAreDoubleWordsAndMinusOneIsAllOnes) {
    ASSERT_TRUE(store.writeNumber("Settings", "PatternTriggerMidiKey", static_cast<std::uint32_t>(-1)));
    ASSERT_TRUE(store.writeNumber("Settings", "MasterLevel", 0x01020304u));
    const auto key = rawValue(sectionKey("Settings"), "PatternTriggerMidiKey");
    ASSERT_TRUE(key);
    EXPECT_EQ(key->type, static_cast<DWORD>(REG_DWORD));
    EXPECT_EQ(key->bytes, (std::vector<std::uint8_t>{0xFF, 0xFF, 0xFF, 0xFF}));
    const auto level = rawValue(sectionKey("Settings"), "MasterLevel");
    ASSERT_TRUE(level);
    EXPECT_EQ(level->bytes, (std::vector<std::uint8_t>{4, 3, 2, 1}));  // little-endian, as DWORDs are
    EXPECT_EQ(static_cast<std::int32_t>(
                  *SettingsStore("RimbaDrums_64", root).readNumber("Settings", "PatternTriggerMidiKey")),
              -1);
}

TEST_F(RegistryStore, TextIsAStringWithItsTerminatingZero) {
    ASSERT_TRUE(store.writeText("Settings", "ProgramFile", "C:\\Rimba\\Groove.fxp"));
    const auto text = rawValue(sectionKey("Settings"), "ProgramFile");
    ASSERT_TRUE(text);
    EXPECT_EQ(text->type, static_cast<DWORD>(REG_SZ));
    const std::string expected = "C:\\Rimba\\Groove.fxp";
    ASSERT_EQ(text->bytes.size(), expected.size() + 1);
    EXPECT_EQ(std::string(text->bytes.begin(), text->bytes.end() - 1), expected);
    EXPECT_EQ(text->bytes.back(), 0);
}

TEST_F(RegistryStore, BinaryValuesKeepEveryByte) {
    const std::vector<std::uint8_t> preset{0, 1, 2, 255, '\n', 0};
    ASSERT_TRUE(store.writeBinary("Data", "UserPreset", preset));
    const auto raw = rawValue(sectionKey("Data"), "UserPreset");
    ASSERT_TRUE(raw);
    EXPECT_EQ(raw->type, static_cast<DWORD>(REG_BINARY));
    EXPECT_EQ(raw->bytes, preset);
}

TEST_F(RegistryStore, ValuesWrittenByOtherProgramsAreReadByTheirType) {
    writeRaw(sectionKey("Settings"), "Unterminated", REG_SZ, {'a', 'b', 'c'});
    writeRaw(sectionKey("Settings"), "Number", REG_DWORD, {7, 0, 0, 0});
    writeRaw(sectionKey("Settings"), "Wide", REG_QWORD, {1, 0, 0, 0, 0, 0, 0, 0});
    writeRaw(sectionKey("Settings"), "Expandable", REG_EXPAND_SZ, {'%', 'x', '%', 0});
    EXPECT_EQ(store.readText("Settings", "Unterminated"), "abc");
    EXPECT_EQ(store.readNumber("Settings", "Number"), 7u);
    EXPECT_FALSE(store.readText("Settings", "Number"));
    EXPECT_FALSE(store.readNumber("Settings", "Wide"));
    EXPECT_FALSE(store.readText("Settings", "Expandable"));
    EXPECT_TRUE(store.contains("Settings", "Wide"));
}

TEST_F(RegistryStore, SeveralValuesAreWrittenOneByOneIntoTheSection) {
    ASSERT_TRUE(
        store.writeValues("Settings", {{.name = "PluginName", .isNumber = false, .text = "RimbaDrums_64", .number = 0},
                                       {.name = "Tooltips", .isNumber = true, .text = "", .number = 1}}));
    const auto name = rawValue(sectionKey("Settings"), "PluginName");
    const auto tooltips = rawValue(sectionKey("Settings"), "Tooltips");
    ASSERT_TRUE(name && tooltips);
    EXPECT_EQ(name->type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(tooltips->type, static_cast<DWORD>(REG_DWORD));
}

TEST(RegistryStoreLocation, TheUsersStoreIsUnderSoftwareAndTheProductName) {
    const std::string product = "RimbaDrums location test";
    SettingsStore store(product);
    ASSERT_TRUE(store.writeNumber("Settings", "MasterLevel", 96));
    const auto raw = rawValue("software\\" + product + "\\Settings", "MasterLevel");
    RegDeleteTreeA(HKEY_CURRENT_USER, ("software\\" + product).c_str());
    ASSERT_TRUE(raw);
    EXPECT_EQ(raw->bytes, (std::vector<std::uint8_t>{96, 0, 0, 0}));
}

}  // namespace
}  // namespace rimba::settings
