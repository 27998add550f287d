// The program bar's decisions and actions without a window: a real plug-in of our own
// (fixture-editor: "Warm", "-", "Bright", two parameters) driven through scripted dialogs that
// record what they were shown and answer as a user would.

#include <gtest/gtest.h>

#include <deque>
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
    void message(const std::string&, const std::string&) override {}
    std::optional<toolkit::MenuChoice> popupMenu(const toolkit::MenuModel& menu, toolkit::CPoint) override {
        shown = menu;
        if (choices.empty()) return std::nullopt;
        const int index = choices.front();
        choices.pop_front();
        return toolkit::MenuChoice{index};
    }
    void openDocument(const std::string&) override {}

    std::deque<int> choices;
    std::optional<std::string> answer;
    toolkit::MenuModel shown;
    std::vector<std::string> asked;
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

class ProgramBar : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(plugin.load(fixturePluginPath("fixture-editor"), PluginSources{}));
        auto scripted = std::make_unique<ScriptedDialogs>();
        dialogs = scripted.get();
        bar = std::make_unique<CVornPluginProgramEx>(frame, *plugin.aeffect(), std::move(scripted),
                                                     [this](const std::string& product) {
                                                         return settings::SettingsStore(product, folder.path());
                                                     });
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
        dialogs->choices.push_back(entry);
        press(kPluginBarMenu);
    }

    TempFolder folder;
    CPlugin plugin;
    toolkit::CFrame frame{{0, 0, 320, 30}, nullptr};
    ScriptedDialogs* dialogs = nullptr;
    std::unique_ptr<CVornPluginProgramEx> bar;
};

TEST_F(ProgramBar, ListsEveryProgramWithADashShownApartAndTheCurrentChecked) {
    dialogs->choices.push_back(2);
    press(kPluginBarName);
    EXPECT_EQ(textsOf(dialogs->shown), (std::vector<std::string>{"Warm", " -", "Bright"}));
    EXPECT_TRUE(dialogs->shown.isEntryChecked(0));
    EXPECT_FALSE(dialogs->shown.isEntryChecked(1));
    EXPECT_EQ(plugin.dispatch(effGetProgram), 2);
    EXPECT_EQ(bar->shownName(), "Bright");
}

TEST_F(ProgramBar, PasteIsDisabledUntilCopyAndThenRestoresTheCopiedProgram) {
    press(kPluginBarMenu);  // dismissed
    EXPECT_EQ(textsOf(dialogs->shown),
              (std::vector<std::string>{"Load Bank ...", "Save Bank As ...", "Save As Default Bank", "---",
                                        "Load Preset ...", "Save Preset As ...", "Rename Preset ...", "---", "Copy",
                                        "Paste"}));
    EXPECT_TRUE(dialogs->shown.getEntry(9).disabled);

    chooseFromMenu(9);  // a disabled entry does nothing
    chooseFromMenu(8);  // Copy "Warm"
    press(kPluginBarMenu);
    EXPECT_FALSE(dialogs->shown.getEntry(9).disabled);

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
    dialogs->answer = folder / "warm";
    chooseFromMenu(5);  // Save Preset As ...
    EXPECT_TRUE(std::filesystem::exists(folder / "warm.fxp"));
    effect.setParameter(&effect, 0, 0.875f);
    dialogs->answer = folder / "warm.fxp";
    chooseFromMenu(4);  // Load Preset ...
    EXPECT_EQ(effect.getParameter(&effect, 0), 0.0f);

    dialogs->answer = folder / "all.fxb";
    chooseFromMenu(1);  // Save Bank As ...
    EXPECT_EQ(std::filesystem::file_size(folder / "all.fxb"), 156u + 3u * (56u + 4u * 2u));
    chooseFromMenu(2);  // Save As Default Bank
    EXPECT_TRUE(std::filesystem::exists(folder / "Fixture Editor/Data/UserBank.bin"));
    EXPECT_EQ(dialogs->asked, (std::vector<std::string>{"Save Preset FXP File", "Load Preset FXP File",
                                                        "Save Bank FXB File"}));
}

}  // namespace
}  // namespace rimba::test
