// The program bar's decisions and actions without a window: a real plug-in of our own
// (fixture-editor: "Warm", "-", "Bright", two parameters) driven through scripted dialogs that
// record what they were shown and answer as a user would.

#include <gtest/gtest.h>

#include <cstring>
#include <deque>
#include <new>
#include <filesystem>

#include "plugin/editor/PluginProgramBar.h"
#include "plugin/editor/toolkit/TextEdit.h"
#include "plugin/effects/CPlugin.h"
#include "tests/plugins/FixturePlugins.h"
#include "tests/support/TempFolder.h"

namespace rimba::test {
namespace {

struct ScriptedDialogs final : EditorDialogs {
    std::optional<std::string> openFile(const std::string& title, const toolkit::FileFilter& filter,
                                        const std::string&) override {
        asked.push_back(title + " " + filter.description);
        return answer;
    }
    std::optional<std::string> saveFile(const std::string& title, const toolkit::FileFilter& filter,
                                        const std::string&) override {
        asked.push_back(title + " " + filter.description);
        return answer;
    }
    std::optional<std::string> chooseFolder(const std::string&, const std::string&) override { return {}; }
    void message(const std::string& text, const std::string& caption) override {
        messages.push_back(text);
        captions.push_back(caption);
    }
    std::optional<toolkit::MenuChoice> popupMenu(const toolkit::MenuModel& menu, toolkit::CPoint) override {
        shown = menu;
        if (choices.empty())
            return std::nullopt;
        const int index = choices.front();
        choices.pop_front();
        return toolkit::MenuChoice{index};
    }
    void openDocument(const std::string&) override {}

    std::deque<int> choices;
    std::optional<std::string> answer;
    toolkit::MenuModel shown;
    std::vector<std::string> asked;
    std::vector<std::string> messages;
    std::vector<std::string> captions;
};

std::vector<std::string> textsOf(const toolkit::MenuModel& menu) {
    std::vector<std::string> texts;
    for (int i = 0; i < menu.getNbEntries(); ++i)
        texts.push_back(menu.getEntry(i).separator ? "---" : menu.getEntry(i).text);
    return texts;
}

TEST(ProgramBarSteps, StayWithinThePrograms) {
    EXPECT_EQ(previousProgram(0), 0);
    EXPECT_EQ(previousProgram(3), 2);
    EXPECT_EQ(nextProgram(2, 3), 2);
    EXPECT_EQ(nextProgram(1, 3), 2);
    EXPECT_EQ(nextProgram(0, 0), 0);
}

// A bar over the fixture plug-in `library`.
class BarOver : public ::testing::Test {
protected:
    explicit BarOver(std::string library) : library(std::move(library)) {}

    void SetUp() override {
        ASSERT_TRUE(plugin.load(fixturePluginPath(library), PluginSources{}));
        bar = std::make_unique<CVornPluginProgramEx>(
            frame, *plugin.aeffect(), &dialogs,
            [this](const std::string& product) { return settings::SettingsStore(product, folder.path()); });
    }

    // A click on a control as the bar sees it: the press, the release, then the bar's idle.
    void press(long tag) {
        toolkit::CControl* control = bar->control(tag);
        control->setValue(1.0f);
        bar->valueChanged(control);
        control->setValue(0.0f);
        bar->valueChanged(control);
        bar->idle();
    }

    void chooseFromMenu(int entry) {
        dialogs.choices.push_back(entry);
        press(kPluginBarMenu);
    }

    void typeName(const std::string& name) {
        auto* field = static_cast<toolkit::CTextEdit*>(bar->control(kPluginBarRename));
        for (std::size_t i = field->getEditor().getText().size(); i > 0; --i)
            field->onKeyDown(0xff08u, "");  // BackSpace
        for (char c : name)
            field->onKeyDown(static_cast<unsigned char>(c), std::string(1, c));
        field->onKeyDown(0xff0du, "\r");  // Return commits
    }

    std::string library;
    TempFolder folder;
    CPlugin plugin;
    toolkit::CFrame frame{{0, 0, 320, 30}, nullptr};
    ScriptedDialogs dialogs;
    std::unique_ptr<CVornPluginProgramEx> bar;
};

class ProgramBar : public BarOver {
protected:
    ProgramBar() : BarOver("fixture-editor") {}
};

TEST_F(ProgramBar, ListsEveryProgramWithADashShownApartAndTheCurrentChecked) {
    dialogs.choices.push_back(2);
    press(kPluginBarName);
    EXPECT_EQ(textsOf(dialogs.shown), (std::vector<std::string>{"Warm", " -", "Bright"}));
    EXPECT_TRUE(dialogs.shown.isEntryChecked(0));
    EXPECT_FALSE(dialogs.shown.isEntryChecked(1));
    EXPECT_EQ(plugin.dispatch(effGetProgram), 2);
    EXPECT_EQ(bar->shownName(), "Bright");
}

TEST_F(ProgramBar, PasteIsDisabledUntilCopyAndThenRestoresTheCopiedProgram) {
    press(kPluginBarMenu);  // dismissed
    EXPECT_EQ(
        textsOf(dialogs.shown),
        (std::vector<std::string>{"Load Bank ...", "Save Bank As ...", "Save As Default Bank", "---", "Load Preset ...",
                                  "Save Preset As ...", "Rename Preset ...", "---", "Copy", "Paste"}));
    EXPECT_TRUE(dialogs.shown.getEntry(9).disabled);

    chooseFromMenu(9);  // a disabled entry does nothing
    chooseFromMenu(8);  // Copy "Warm"
    press(kPluginBarMenu);
    EXPECT_FALSE(dialogs.shown.getEntry(9).disabled);

    AEffect& effect = *plugin.aeffect();
    const float copied = effect.getParameter(&effect, 1);
    press(kPluginBarNext);
    chooseFromMenu(9);  // Paste into "-"
    EXPECT_EQ(plugin.dispatch(effGetProgram), 1);
    EXPECT_EQ(effect.getParameter(&effect, 1), copied);
    EXPECT_EQ(bar->shownName(), "Warm");
}

TEST_F(ProgramBar, RenameShowsTheFieldWithTheNameAndRenamesOnCommit) {
    chooseFromMenu(6);
    ASSERT_TRUE(bar->isRenaming());
    auto* field = static_cast<toolkit::CTextEdit*>(bar->control(kPluginBarRename));
    EXPECT_EQ(field->getEditor().getText(), "Warm");
    for (unsigned key : {0xff08u, 0xff08u, 0xff08u, 0xff08u})  // BackSpace
        field->onKeyDown(key, "");
    field->onKeyDown('S', "S");
    field->onKeyDown('o', "o");
    field->onKeyDown(0xff0du, "\r");  // Return commits
    EXPECT_FALSE(bar->isRenaming());
    EXPECT_EQ(bar->shownName(), "So");
}

TEST_F(ProgramBar, PresetAndBankFilesAndTheDefaultBankGoThroughTheirDialogs) {
    AEffect& effect = *plugin.aeffect();
    dialogs.answer = folder / "warm";
    chooseFromMenu(5);  // Save Preset As ...
    EXPECT_TRUE(std::filesystem::exists(folder / "warm.fxp"));
    effect.setParameter(&effect, 0, 0.875f);
    dialogs.answer = folder / "warm.fxp";
    chooseFromMenu(4);  // Load Preset ...
    EXPECT_EQ(effect.getParameter(&effect, 0), 0.0f);

    dialogs.answer = folder / "all.fxb";
    chooseFromMenu(1);  // Save Bank As ...
    EXPECT_EQ(std::filesystem::file_size(folder / "all.fxb"), 156u + 3u * (56u + 4u * 2u));
    chooseFromMenu(2);  // Save As Default Bank
    EXPECT_TRUE(std::filesystem::exists(folder / "Fixture Editor/Data/UserBank.bin"));
    EXPECT_EQ(dialogs.asked,
              (std::vector<std::string>{"Save Preset FXP File", "Load Preset FXP File", "Save Bank FXB File"}));
}

// fixture-regular-programs: four programs "Regular A" to "Regular D" of ten parameters each.
class FourProgramBar : public BarOver {
protected:
    FourProgramBar() : BarOver("fixture-regular-programs") {}

    struct Program {
        std::string name;
        std::vector<float> values;
        bool operator==(const Program&) const = default;
    };
    // Every program as the plug-in reports it; the current one stays current.
    std::vector<Program> programs() {
        AEffect& effect = *plugin.aeffect();
        const auto current = plugin.dispatch(effGetProgram);
        std::vector<Program> all;
        for (int p = 0; p < effect.numPrograms; ++p) {
            plugin.dispatch(effSetProgram, 0, p);
            Program program{plugin.programName(), {}};
            for (int i = 0; i < effect.numParams; ++i)
                program.values.push_back(effect.getParameter(&effect, i));
            all.push_back(std::move(program));
        }
        plugin.dispatch(effSetProgram, 0, current);
        return all;
    }
    void changeProgram(int program, float value, const std::string& name) {
        AEffect& effect = *plugin.aeffect();
        const auto current = plugin.dispatch(effGetProgram);
        plugin.dispatch(effSetProgram, 0, program);
        for (int i = 0; i < effect.numParams; ++i)
            effect.setParameter(&effect, i, value);
        plugin.setProgramName(name);
        plugin.dispatch(effSetProgram, 0, current);
    }
};

TEST_F(FourProgramBar, CopyThenPasteOntoAnotherProgramCopiesItsValuesAndItsName) {
    changeProgram(0, 0.9f, "Kick Room");
    const std::vector<Program> before = programs();
    chooseFromMenu(8);  // Copy
    press(kPluginBarNext);
    press(kPluginBarNext);
    chooseFromMenu(9);  // Paste
    const std::vector<Program> after = programs();
    EXPECT_EQ(plugin.dispatch(effGetProgram), 2);
    EXPECT_EQ(after[2], before[0]);
    EXPECT_EQ(bar->shownName(), "Kick Room");
    for (int untouched : {0, 1, 3})
        EXPECT_EQ(after[static_cast<std::size_t>(untouched)], before[static_cast<std::size_t>(untouched)]);
}

TEST_F(FourProgramBar, SaveBankAsThenLoadBankRestoresTheChangedPrograms) {
    press(kPluginBarNext);
    const std::vector<Program> saved = programs();
    dialogs.answer = folder / "four";
    chooseFromMenu(1);  // Save Bank As ...
    ASSERT_EQ(std::filesystem::file_size(folder / "four.fxb"), 156u + 4u * (56u + 4u * 10u));

    changeProgram(1, 0.5f, "Changed");
    changeProgram(3, 0.125f, "Other");
    ASSERT_NE(programs(), saved);
    dialogs.answer = folder / "four.fxb";
    chooseFromMenu(0);  // Load Bank ...
    EXPECT_EQ(programs(), saved);
    EXPECT_EQ(plugin.dispatch(effGetProgram), 1);
    EXPECT_EQ(bar->shownName(), "Regular B");
    EXPECT_EQ(dialogs.asked, (std::vector<std::string>{"Save Bank FXB File", "Load Bank FXB File"}));
}

TEST_F(FourProgramBar, RenamePresetSetsTheNameThePluginReports) {
    press(kPluginBarNext);
    chooseFromMenu(6);  // Rename Preset ...
    ASSERT_TRUE(bar->isRenaming());
    typeName("Snare Plate");
    EXPECT_FALSE(bar->isRenaming());
    const std::vector<Program> after = programs();
    EXPECT_EQ(after[1].name, "Snare Plate");
    EXPECT_EQ(after[0].name, "Regular A");
    EXPECT_EQ(bar->shownName(), "Snare Plate");
}

// Menu rows of the bar, as the user sees them.
constexpr int kSaveBankRow = 1;
constexpr int kSaveDefaultBankRow = 2;
constexpr int kSavePresetRow = 5;
constexpr int kCopyRow = 8;
constexpr int kPasteRow = 9;

TEST_F(FourProgramBar, ASaveThatCannotBeWrittenSaysSoWithThePath) {
    const std::string taken = folder.makeFolder("Taken.fxb");
    const std::string missing = folder / "No Folder/Preset.fxp";
    const struct {
        int row;
        std::string path;
    } saves[] = {{kSaveBankRow, taken}, {kSavePresetRow, missing}};
    for (const auto& save : saves) {
        dialogs.messages.clear();
        dialogs.answer = save.path;
        chooseFromMenu(save.row);
        ASSERT_EQ(dialogs.messages.size(), 1u) << save.path;
        EXPECT_EQ(dialogs.messages[0].rfind("The file could not be written:\n" + save.path + "\n", 0), 0u)
            << dialogs.messages[0];
        EXPECT_EQ(dialogs.captions[0], kMessageCaption);
    }
    EXPECT_TRUE(std::filesystem::is_empty(taken));
    EXPECT_FALSE(std::filesystem::exists(folder / "No Folder"));

    dialogs.messages.clear();
    dialogs.answer = folder / "Written.fxb";
    chooseFromMenu(kSaveBankRow);
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_TRUE(std::filesystem::exists(folder / "Written.fxb"));
}

// fixture-broken-chunk: programs that are chunks, and an effGetChunk answer (0 bytes, no data,
// 3 GB) chosen by its parameter 0.
class BrokenChunkBar : public BarOver {
protected:
    BrokenChunkBar() : BarOver("fixture-broken-chunk") {}
};

TEST_F(BrokenChunkBar, SavesCopyAndTheDefaultBankAreRefusedWithTheReasonAndWriteNothing) {
    AEffect& effect = *plugin.aeffect();
    const std::string bank = folder.makeFile("Kept.fxb", "old bank");
    const std::string preset = folder / "New.fxp";
    for (const float fault : {0.0f, 0.5f, 1.0f}) {
        effect.setParameter(&effect, 0, fault);
        dialogs.messages.clear();
        dialogs.answer = bank;
        chooseFromMenu(kSaveBankRow);
        dialogs.answer = preset;
        chooseFromMenu(kSavePresetRow);
        chooseFromMenu(kSaveDefaultBankRow);
        chooseFromMenu(kCopyRow);
        ASSERT_EQ(dialogs.messages.size(), 4u) << fault;
        EXPECT_EQ(dialogs.messages[0].rfind("The file could not be written:\n" + bank + "\n\n", 0), 0u);
        EXPECT_EQ(dialogs.messages[1].rfind("The file could not be written:\n" + preset + "\n\n", 0), 0u);
        for (const std::string& message : dialogs.messages)
            EXPECT_NE(message.find("chunk"), std::string::npos) << fault << ": " << message;
        EXPECT_EQ(contentOf(bank), "old bank");
        EXPECT_FALSE(std::filesystem::exists(preset));
        EXPECT_FALSE(std::filesystem::exists(folder / "Fixture Broken Chunk"));
        press(kPluginBarMenu);  // dismissed: nothing was copied
        EXPECT_TRUE(dialogs.shown.getEntry(kPasteRow).disabled);
    }
}

// A plug-in whose counts grew past what can be held after it was loaded (the load refuses such
// counts) gets no bank or preset, and says why.
TEST_F(FourProgramBar, CountsGrownPastTheLimitsAfterLoadAreRefusedWithTheReason) {
    AEffect& effect = *plugin.aeffect();
    effect.numPrograms = 100000;
    effect.numParams = 100000;
    dialogs.answer = folder / "huge.fxb";
    chooseFromMenu(kSaveBankRow);
    chooseFromMenu(kCopyRow);
    ASSERT_EQ(dialogs.messages.size(), 2u);
    EXPECT_NE(dialogs.messages[0].find("programs"), std::string::npos) << dialogs.messages[0];
    EXPECT_NE(dialogs.messages[1].find("programs"), std::string::npos) << dialogs.messages[1];
    EXPECT_FALSE(std::filesystem::exists(folder / "huge.fxb"));
    effect.numPrograms = 4;
    effect.numParams = 10;
}

// A plug-in of the test's own whose getParameter throws std::bad_alloc, as an allocation made
// impossible would: the bar's actions show the failure, and nothing reaches the caller of the
// bar's idle, which is the host.
struct ThrowingPlugin {
    static VstIntPtr dispatcher(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void* ptr, float) {
        if (opcode == effGetProgramName || opcode == effGetProgramNameIndexed)
            copyName(ptr, "Only");
        if (opcode == effGetProductString)
            copyName(ptr, "Thrower");
        return 0;
    }
    static void copyName(void* ptr, const char* name) {
        if (ptr != nullptr)
            std::strcpy(static_cast<char*>(ptr), name);
    }
    static float getParameter(AEffect*, VstInt32) { throw std::bad_alloc(); }
    static void setParameter(AEffect*, VstInt32, float) {}

    ThrowingPlugin() {
        effect.magic = kEffectMagic;
        effect.dispatcher = &dispatcher;
        effect.getParameter = &getParameter;
        effect.setParameter = &setParameter;
        effect.numPrograms = 2;
        effect.numParams = 3;
        effect.uniqueID = fourCharCode('T', 'h', 'r', 'w');
    }
    AEffect effect{};
};

TEST(ProgramBarFailures, AnExceptionInAnActionIsShownAndNeverLeavesTheBar) {
    TempFolder folder;
    ThrowingPlugin plugin;
    ScriptedDialogs dialogs;
    toolkit::CFrame frame{{0, 0, 320, 30}, nullptr};
    CVornPluginProgramEx bar(frame, plugin.effect, &dialogs, [&folder](const std::string& product) {
        return settings::SettingsStore(product, folder.path());
    });
    dialogs.answer = folder / "bank.fxb";
    for (const int row : {kSaveBankRow, kSavePresetRow, kSaveDefaultBankRow, kCopyRow}) {
        dialogs.messages.clear();
        dialogs.choices.push_back(row);
        toolkit::CControl* menu = bar.control(kPluginBarMenu);
        menu->setValue(1.0f);
        bar.valueChanged(menu);
        menu->setValue(0.0f);
        bar.valueChanged(menu);
        EXPECT_NO_THROW(bar.idle()) << row;
        ASSERT_EQ(dialogs.messages.size(), 1u) << row;
        EXPECT_NE(dialogs.messages[0].find("bad_alloc"), std::string::npos) << dialogs.messages[0];
    }
    EXPECT_FALSE(std::filesystem::exists(folder / "bank.fxb"));
    EXPECT_EQ(bar.shownName(), "Only");
}

}  // namespace
}  // namespace rimba::test
