// Bank and preset files, the copied preset and the default bank of a hosted plug-in.

#include <gtest/gtest.h>

#include <algorithm>

#include "plugin/effects/CPlugin.h"
#include "plugin/effects/EffectFiles.h"
#include "plugin/effects/EffectImages.h"
#include "tests/plugins/FixturePlugins.h"
#include "tests/plugin/effects/FakeEffect.h"
#include "tests/common/settings/StoreFixture.h"
#include "tests/support/TempFolder.h"

namespace rimba::test {
namespace {

TEST(EffectFiles, TheSaveDialogsAppendTheExtensionUnlessTheNameEndsWithIt) {
    struct Row {
        const char* name;
        const char* extension;
        const char* expected;
    };
    for (const Row row :
         {Row{"/a/Bank", "fxb", "/a/Bank.fxb"}, Row{"/a/Bank.fxb", "fxb", "/a/Bank.fxb"},
          Row{"/a/Preset.fxb", "fxp", "/a/Preset.fxb.fxp"}, Row{"/a/Bank.FXB", "fxb", "/a/Bank.FXB.fxb"},
          Row{"/a/x.fxb.bak", "fxb", "/a/x.fxb.bak.fxb"}, Row{"fxb", "fxb", "fxb.fxb"}, Row{".fxb", "fxb", ".fxb"},
          Row{"/a/.fxp", "fxp", "/a/.fxp"}, Row{"xfxb", "fxb", "xfxb.fxb"}})
        EXPECT_EQ(withFileExtension(row.name, row.extension), row.expected) << row.name;
}

TEST(EffectFiles, ASavedBankAndPresetLoadIntoAnotherInstanceOfThePlugin) {
    TempFolder folder;
    for (const bool chunks : {false, true}) {
        FakeEffect source(3, 6, chunks, 0.0f);
        source.state.current = 1;
        source.state.names[1] = "Filed";
        const std::string bank = folder / "Saved.fxb";
        const std::string preset = folder / "Saved.fxp";
        ASSERT_TRUE(saveBankFile(source.effect, bank));
        ASSERT_TRUE(savePresetFile(source.effect, preset));
        EXPECT_EQ(readBytes(bank), *buildBankImage(source.effect, true));
        EXPECT_EQ(readBytes(preset), *buildPresetImage(source.effect, true));

        FakeEffect bankTarget(3, 6, chunks, 0.5f);
        bankTarget.state.current = 1;
        ASSERT_TRUE(loadBankFile(bankTarget.effect, bank));
        EXPECT_EQ(bankTarget.state, source.state);

        FakeEffect presetTarget(3, 6, chunks, 0.5f);
        presetTarget.state.current = 1;
        ASSERT_TRUE(loadPresetFile(presetTarget.effect, preset));
        EXPECT_EQ(presetTarget.state.names[1], "Filed");
        EXPECT_EQ(presetTarget.state.values[1], source.state.values[1]);
    }
}

TEST(EffectFiles, AFileThatCannotBeReadOrIsRefusedChangesNothing) {
    TempFolder folder;
    const std::string foreign = folder.makeFile("Foreign.fxp", "CcnK but nothing else of a preset");
    for (const std::string& path : {folder / "Missing.fxb", folder.path(), foreign}) {
        FakeEffect fake(2, 3, false);
        const FakeEffect::State before = fake.state;
        const Result<> bank = loadBankFile(fake.effect, path);
        const Result<> preset = loadPresetFile(fake.effect, path);
        EXPECT_FALSE(bank) << path;
        EXPECT_FALSE(preset) << path;
        EXPECT_NE(preset.reason().find(path), std::string::npos) << preset.reason();
        EXPECT_EQ(fake.state, before);
        EXPECT_TRUE(fake.calls.empty());
    }
}

TEST(EffectFiles, ASaveThatCannotBeWrittenIsRefusedAndLeavesTheFolderAsItWas) {
    TempFolder folder;
    FakeEffect fake(2, 3, false);
    const std::string aFolder = folder.makeFolder("Taken.fxb");
    EXPECT_FALSE(saveBankFile(fake.effect, aFolder));
    EXPECT_FALSE(savePresetFile(fake.effect, folder / "No Folder/Preset.fxp"));
    EXPECT_EQ(folder.namesIn(), std::vector<std::string>{"Taken.fxb"});
    EXPECT_TRUE(folder.namesIn("Taken.fxb").empty());
}

TEST(EffectClipboard, PasteGivesTheCopiedProgramAndItsNameToTheCurrentProgram) {
    FakeEffect fake(3, 4, false);
    EffectClipboard clipboard;
    fake.state.current = 0;
    ASSERT_TRUE(clipboard.copy(fake.effect));
    EXPECT_EQ(std::vector<std::uint8_t>(clipboard.image().begin(), clipboard.image().end()),
              *buildPresetImage(fake.effect, true));
    fake.state.current = 2;
    ASSERT_TRUE(clipboard.paste(fake.effect));
    EXPECT_EQ(fake.state.names[2], "Program 0");
    EXPECT_EQ(fake.state.values[2], fake.state.values[0]);
}

TEST(EffectClipboard, PasteWithNothingCopiedDoesNothingAndSaysSo) {
    FakeEffect fake(3, 4, false);
    const FakeEffect::State before = fake.state;
    const EffectClipboard clipboard;
    const Result<> pasted = clipboard.paste(fake.effect);
    EXPECT_FALSE(pasted);
    EXPECT_FALSE(pasted.reason().empty());
    EXPECT_EQ(fake.state, before);
    EXPECT_TRUE(fake.calls.empty());
}

TEST(EffectClipboard, APresetCopiedFromAnotherPluginIsRefusedOnPaste) {
    FakeEffect source(1, 4, false, 0.0f, fourCharCode('O', 't', 'h', 'r'));
    FakeEffect target(1, 4, false, 0.5f);
    const FakeEffect::State before = target.state;
    EffectClipboard clipboard;
    ASSERT_TRUE(clipboard.copy(source.effect));
    EXPECT_FALSE(clipboard.paste(target.effect));
    EXPECT_EQ(target.state, before);
}

// --- the default bank ---------------------------------------------------------------------------

// A settings store of the test's own: a fresh folder on Linux, a fresh registry key on Windows.
class DefaultBank : public ::testing::Test {
protected:
    ~DefaultBank() override { settings::removeStoreRoot(root); }

    SettingsStoreMaker storeUnderRoot() {
        return [this](const std::string& product) {
            ++storesMade;
            return settings::SettingsStore(product, root);
        };
    }

    std::string root = settings::makeStoreRoot();
    int storesMade = 0;
};

TEST_F(DefaultBank, IsWrittenUnderTheProductsStoreAsTheRawChunkOrTheWholeRegularBank) {
    for (const bool chunks : {false, true}) {
        FakeEffect fake(3, 5, chunks);
        fake.product = chunks ? "Fake Chunks" : "Fake Reverb";
        ASSERT_TRUE(saveDefaultBank(fake.effect, storeUnderRoot()));
        const auto stored = settings::SettingsStore(fake.product, root).readBinary("Data", "UserBank");
        ASSERT_TRUE(stored.has_value());
        if (chunks)
            EXPECT_EQ(*stored, fake.bankChunk());
        else
            EXPECT_EQ(*stored, regularBankLayout({{"Program 0", fake.state.values[0]},
                                                  {"Program 1", fake.state.values[1]},
                                                  {"Program 2", fake.state.values[2]}},
                                                 5));
    }
}

TEST_F(DefaultBank, AProductNameThatCannotNameAStoreIsRefusedAndNothingIsWritten) {
    for (const std::string& product : std::vector<std::string>{"", ".", "..", "...", "Up/../../Out", "Back\\Slash",
                                                               "Tab\there", "Unit\x1fSeparator", "Delete\x7f"}) {
        FakeEffect fake(2, 2, false);
        fake.product = product;
        const Result<> saved = saveDefaultBank(fake.effect, storeUnderRoot());
        EXPECT_FALSE(saved) << product;
        EXPECT_FALSE(saved.reason().empty());
    }
    EXPECT_EQ(storesMade, 0);
}

// The characters just inside what a store's name may hold: a space, the last printable one, and
// dots beside other characters.
TEST_F(DefaultBank, AProductNameOfPrintableCharactersWithDotsAmongThemNamesItsStore) {
    for (const std::string& product : std::vector<std::string>{"Space Here", "Tilde~", ".x", "x..", "\x21"}) {
        FakeEffect fake(1, 2, false);
        fake.product = product;
        const Result<> saved = saveDefaultBank(fake.effect, storeUnderRoot());
        ASSERT_TRUE(saved) << product << ": " << saved.reason();
        EXPECT_TRUE(settings::SettingsStore(product, root).readBinary("Data", "UserBank")) << product;
    }
}

// fixture-broken-chunk answers effGetChunk with 0 bytes, with no data, or with 3 GB, as its one
// parameter chooses. No image can hold such a chunk: every save and the copy are refused with
// the reason, an existing file and the store keep what they held, and a copy made before stays.
TEST_F(DefaultBank, APluginGivingNoUsableChunkGetsNoFileNoCopyAndNoDefaultBank) {
    TempFolder folder;
    CPlugin plugin;
    ASSERT_TRUE(plugin.load(fixturePluginPath("fixture-broken-chunk"), PluginSources{}));
    AEffect& effect = *plugin.aeffect();
    FakeEffect other(1, 2, false);
    EffectClipboard clipboard;
    ASSERT_TRUE(clipboard.copy(other.effect));
    const std::vector<std::uint8_t> copied(clipboard.image().begin(), clipboard.image().end());
    const std::string bank = folder.makeFile("Kept.fxb", "old bank");
    const std::string preset = folder.makeFile("Kept.fxp", "old preset");
    for (const float fault : {0.0f, 0.5f, 1.0f}) {
        effect.setParameter(&effect, 0, fault);
        const Result<> refusals[] = {saveBankFile(effect, bank), savePresetFile(effect, preset),
                                     savePresetFile(effect, folder / "New.fxp"), clipboard.copy(effect),
                                     saveDefaultBank(effect, storeUnderRoot())};
        for (const Result<>& refused : refusals) {
            EXPECT_FALSE(refused) << fault;
            EXPECT_NE(refused.reason().find("chunk"), std::string::npos) << fault << ": " << refused.reason();
        }
        EXPECT_EQ(contentOf(bank), "old bank");
        EXPECT_EQ(contentOf(preset), "old preset");
        std::vector<std::string> names = folder.namesIn();
        std::sort(names.begin(), names.end());
        EXPECT_EQ(names, (std::vector<std::string>{"Kept.fxb", "Kept.fxp"})) << fault;
        EXPECT_EQ(std::vector<std::uint8_t>(clipboard.image().begin(), clipboard.image().end()), copied);
        EXPECT_FALSE(settings::SettingsStore("Fixture Broken Chunk", root).readBinary("Data", "UserBank"));
    }
}

}  // namespace
}  // namespace rimba::test
