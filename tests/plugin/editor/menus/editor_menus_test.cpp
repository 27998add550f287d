// The editor's menus against a real instrument, with scripted dialogs: what each menu shows for
// the instrument's state, and what a choice changes.

#include <gtest/gtest.h>

#include <filesystem>
#include <utility>

#include "common/platform/Paths.h"
#include "common/vst/StandaloneLink.h"
#include "plugin/core/PatternSets.h"
#include "plugin/core/VornDrums.h"
#include "plugin/editor/EditorMenus.h"
#include "tests/plugin/core/CoreFixture.h"
#include "tests/plugin/editor/menus/ScriptedDialogs.h"
#include "tests/plugins/FixturePlugins.h"
#include "tests/support/TempFolder.h"
#include "tests/support/InstrumentProbe.h"

namespace rimba {
namespace {

std::string separator() { return std::string(1, platform::pathSeparator()); }
// The system's library extension without its dot ("so", "dll"), as the slot's file filter names it.
std::string libraryExtension() { return std::string(RIMBA_LIBRARY_EXTENSION).substr(1); }

using test::chainOf;
using test::entryOf;
using test::textsOf;

std::vector<std::pair<std::int32_t, float>> automated;

// A host that says it is the standalone program when asked to, and records automation.
VstIntPtr recordingHost(AEffect*, VstInt32 opcode, VstInt32 index, VstIntPtr, void*, float opt) {
    if (opcode == audioMasterVersion)
        return kStandaloneHostSignature;
    if (opcode == audioMasterAutomate)
        automated.emplace_back(index, opt);
    return 0;
}

class EditorMenusTest : public ::testing::Test {
protected:
    void SetUp() override { use(test::makeInstrument()); }

    void use(std::unique_ptr<VornDrums> instrument) {
        drums = std::move(instrument);
        menus =
            std::make_unique<EditorMenus>(*drums, dialogs,
                                          DeviceLists{.audioOutputs =
                                                          [] {
                                                              return std::vector<std::string>{"default", "JACK"};
                                                          },
                                                      .midiInputs = [] { return std::vector<std::string>{"Keys:0"}; }});
    }

    MenuOutcome choose(MenuKind kind, const std::vector<std::string>& texts, int index = 0) {
        const BuiltMenu menu = menus->build(kind, index);
        const toolkit::MenuChoice chain = chainOf(menu.model, texts);
        EXPECT_FALSE(chain.empty()) << texts.back();
        return menus->carryOut(menu, chain);
    }

    // Three files of `extension` written from the instrument's own state, so each loads.
    std::vector<std::string> writeThree(FileKind kind) {
        std::vector<std::string> paths;
        for (const char* name : {"a", "b", "c"}) {
            const std::string folderName = kind == FileKind::program ? "Programs"
                                           : kind == FileKind::kit   ? "Kits"
                                                                     : "Sets";
            const std::string extension = kind == FileKind::program ? ".fxp" : kind == FileKind::kit ? ".drs" : ".ptn";
            const std::string path = folder / (folderName + "/" + name + extension);
            folder.makeFolder(folderName);
            const bool written = kind == FileKind::program ? drums->saveProgramFile(path)
                                 : kind == FileKind::kit   ? drums->saveKit(path)
                                                           : savePatternSet(test::stateOf(*drums), path);
            EXPECT_TRUE(written) << path;
            paths.push_back(path);
        }
        return paths;
    }

    std::string& currentFile(FileKind kind) {
        return kind == FileKind::program ? test::stateOf(*drums).settings.programFile
               : kind == FileKind::kit   ? test::stateOf(*drums).settings.drumKitFile
                                         : test::stateOf(*drums).settings.patternSetFile;
    }

    test::TempFolder folder;
    test::ScriptedDialogs dialogs;
    std::unique_ptr<VornDrums> drums;
    std::unique_ptr<EditorMenus> menus;
};

TEST_F(EditorMenusTest, TwelveTracksModeTwiceRestoresTheStoredCountAndSaysSoEachTime) {
    for (const int tracks : {12, 8}) {
        use(test::makeInstrument(tracks));
        dialogs.requests.clear();
        for (int round = 1; round <= 2; ++round) {
            const bool wasChecked = entryOf(menus->build(MenuKind::main).model, {"12 Tracks Mode"})->checked;
            EXPECT_EQ(wasChecked, (round == 1) == (tracks == 12));
            choose(MenuKind::main, {"12 Tracks Mode"});
            EXPECT_EQ(test::stateOf(*drums).settings.channelNumber, (round == 1) == (tracks == 12) ? 8 : 12);
            EXPECT_EQ(drums->getTrackCount(), tracks);
            ASSERT_EQ(dialogs.requests.size(), static_cast<std::size_t>(round));
            EXPECT_EQ(dialogs.requests.back().title,
                      "The selected mode will be activated on the next reboot of the plugin.");
            EXPECT_EQ(dialogs.requests.back().start, "VORN Studio");
        }
        EXPECT_EQ(test::stateOf(*drums).settings.channelNumber, tracks);
    }
}

TEST_F(EditorMenusTest, ReceiveMidiChannelChecksTheEntryOfTheSettingAndOffReceivesNothing) {
    const std::vector<std::pair<int, std::string>> cases{{-1, "OFF"}, {0, "Any"}, {5, "5"}, {16, "16"}};
    for (const auto& [value, text] : cases) {
        test::stateOf(*drums).settings.receiveMidiChannel = value;
        const BuiltMenu menu = menus->build(MenuKind::main);
        const toolkit::MenuModel& channels = *entryOf(menu.model, {"Receive MIDI Channel"})->submenu;
        ASSERT_EQ(channels.getNbEntries(), 18);
        for (int i = 0; i < 18; ++i)
            EXPECT_EQ(channels.isEntryChecked(i), channels.getEntry(i).text == text) << text << " entry " << i;
        test::stateOf(*drums).settings.receiveMidiChannel = 99;
        choose(MenuKind::main, {"Receive MIDI Channel", text});
        EXPECT_EQ(test::stateOf(*drums).settings.receiveMidiChannel, value);
    }
    choose(MenuKind::main, {"Receive MIDI Channel", "OFF"});
    for (std::uint8_t channel = 0; channel < 16; ++channel) {
        VstMidiEvent note = test::midiEvent(static_cast<std::uint8_t>(0x90 | channel), 36, 100);
        VstEvents events{.numEvents = 1, .reserved = 0, .events = {reinterpret_cast<VstEvent*>(&note), nullptr}};
        drums->processEvents(&events);
    }
    EXPECT_FALSE(test::stateOf(*drums).midiInput.pop().has_value());
}

TEST_F(EditorMenusTest, NextAndPreviousStayInsideTheFolderList) {
    for (const FileKind kind : {FileKind::program, FileKind::kit, FileKind::patternSet}) {
        const std::vector<std::string> files = writeThree(kind);
        const std::string folderPath = std::filesystem::path(files[0]).parent_path().string();
        const std::vector<std::tuple<std::string, int, std::string>> steps{
            {files[2], +1, files[2]},
            {files[1], +1, files[2]},
            {folderPath + separator() + "elsewhere.x", +1, files[0]},
            {files[0], -1, files[0]},
            {files[2], -1, files[1]},
        };
        for (const auto& [from, direction, to] : steps) {
            currentFile(kind) = from;
            const MenuOutcome outcome = menus->stepFile(kind, direction);
            EXPECT_EQ(currentFile(kind), to) << from << " " << direction;
            EXPECT_TRUE(outcome.has(refresh::kEverything));
        }
    }
}

TEST_F(EditorMenusTest, TheMainMenuEndsWithTheVersionInAHostAndAddsTheDeviceSettingsStandalone) {
    const toolkit::MenuModel inHost = menus->build(MenuKind::main).model;
    const toolkit::MenuEntry& last = inHost.getEntry(inHost.getNbEntries() - 1);
    EXPECT_EQ(last.text, "Version 1.50");
    EXPECT_TRUE(last.disabled);
    EXPECT_EQ(chainOf(inHost, {"Audio/MIDI Settings"}), toolkit::MenuChoice{});
    EXPECT_EQ(textsOf(inHost),
              (std::vector<std::string>{"Export to Audio File ...", "Export to MIDI File ...", "-", "12 Tracks Mode",
                                        "AutoScroll", "Receive MIDI Channel", "Pattern Trigger MIDI Key",
                                        "Mute MIDI Key", "Enable MIDI Program Change", "Knob Behavior Mode",
                                        "Step Played + Vumeter", "-", "App Folder ...", "Effects Folder ...", "-",
                                        "Tutorials ...", "User Manual", "VORN Studio ...", "Version 1.50"}));

    use(std::make_unique<VornDrums>(recordingHost, [](InstrumentSettings& s, bool) {
        s.audioDevice = "JACK";
        s.standaloneSampleRate = 48000;
        s.standaloneBufferSize = 256;
        s.midiDevice = "Keys:0";
        return false;
    }));
    const toolkit::MenuModel standalone = menus->build(MenuKind::main).model;
    const toolkit::MenuEntry& settings = standalone.getEntry(standalone.getNbEntries() - 1);
    ASSERT_EQ(settings.text, "Audio/MIDI Settings");
    EXPECT_EQ(textsOf(*settings.submenu), (std::vector<std::string>{"Audio Output Device", "Sample Rate", "Buffer Size",
                                                                    "-", "MIDI Input Device"}));
    const std::vector<std::pair<std::string, std::string>> checked{{"Audio Output Device", "JACK"},
                                                                   {"Sample Rate", "48000"},
                                                                   {"Buffer Size", "256"},
                                                                   {"MIDI Input Device", "Keys:0"}};
    for (const auto& [submenu, text] : checked) {
        const toolkit::MenuModel& choices = *entryOf(standalone, {"Audio/MIDI Settings", submenu})->submenu;
        for (int i = 0; i < choices.getNbEntries(); ++i)
            EXPECT_EQ(choices.isEntryChecked(i), choices.getEntry(i).text == text) << submenu << " " << i;
    }

    automated.clear();
    choose(MenuKind::main, {"Audio/MIDI Settings", "Sample Rate", "96000"});
    choose(MenuKind::main, {"Audio/MIDI Settings", "Buffer Size", "2048"});
    choose(MenuKind::main, {"Audio/MIDI Settings", "Audio Output Device", "default"});
    choose(MenuKind::main, {"Audio/MIDI Settings", "MIDI Input Device", "Keys:0"});
    EXPECT_EQ(test::stateOf(*drums).settings.standaloneSampleRate, 96000);
    EXPECT_EQ(test::stateOf(*drums).settings.standaloneBufferSize, 2048);
    EXPECT_EQ(test::stateOf(*drums).settings.audioDevice, "default");
    EXPECT_EQ(automated, (std::vector<std::pair<std::int32_t, float>>{
                             {0x20000, 96000.0f}, {0x20001, 2048.0f}, {0x20002, 0.0f}, {0x20003, 0.0f}}));
    EXPECT_TRUE(entryOf(menus->build(MenuKind::main).model, {"Audio/MIDI Settings", "Sample Rate", "96000"})->checked);
}

TEST_F(EditorMenusTest, SaveIsDisabledWhileThereIsNoCurrentFile) {
    for (const MenuKind kind : {MenuKind::program, MenuKind::kit, MenuKind::pattern}) {
        test::stateOf(*drums).settings.programFile = test::stateOf(*drums).settings.drumKitFile =
            test::stateOf(*drums).settings.patternSetFile = "";
        EXPECT_TRUE(entryOf(menus->build(kind).model, {"Save"})->disabled);
        test::stateOf(*drums).settings.programFile = test::stateOf(*drums).settings.drumKitFile =
            test::stateOf(*drums).settings.patternSetFile = folder / "x";
        EXPECT_FALSE(entryOf(menus->build(kind).model, {"Save"})->disabled);
    }
}

TEST_F(EditorMenusTest, DialogsShowTheirTitlesAndACancelledOneChangesNothing) {
    test::stateOf(*drums).settings.programFile = folder / "p.fxp";
    test::stateOf(*drums).settings.exportAudioFilePath = folder / "e.wav";
    test::stateOf(*drums).settings.filesPath = folder.path() + separator();
    const InstrumentSettings before = test::stateOf(*drums).settings;
    const std::vector<std::tuple<MenuKind, std::vector<std::string>, std::string, std::string>> cases{
        {MenuKind::main, {"Export to Audio File ..."}, "Save As Audio File", "wav"},
        {MenuKind::main, {"Export to MIDI File ..."}, "Save As MIDI File", "mid"},
        {MenuKind::main, {"App Folder ..."}, "Select App Folder", ""},
        {MenuKind::main, {"Effects Folder ..."}, "Select Effects Folder", ""},
        {MenuKind::program, {"Open ..."}, "Load VORN Drums Program", "fxp"},
        {MenuKind::program, {"Save As ..."}, "Save VORN Drums Program", "fxp"},
        {MenuKind::kit, {"Open ..."}, "Load VORN Drums Kit", "drs"},
        {MenuKind::kit, {"Save As ..."}, "Save VORN Drums Kit", "drs"},
        {MenuKind::pattern, {"Save As ..."}, "Save VORN Pattern Set", "ptn"},
        {MenuKind::pattern, {"Selected Pattern", "Open Pattern ..."}, "Open VORN Pattern", "pat"},
        {MenuKind::pad, {"Load Wave ..."}, "Open Wave File", ""},
        {MenuKind::pad, {"Save Wave ..."}, "Save Wave File", "wav"},
        {MenuKind::effectSlot, {"Select Effect ..."}, "Load Effect DLL", libraryExtension()},
    };
    for (const auto& [kind, texts, title, extension] : cases) {
        choose(kind, texts);
        EXPECT_EQ(dialogs.requests.back().title, title);
        EXPECT_EQ(dialogs.requests.back().filter.extension, extension) << title;
    }
    EXPECT_EQ(dialogs.requests[0].start, folder / "e.wav");
    EXPECT_EQ(dialogs.requests[4].start, folder / "p.fxp");
    EXPECT_EQ(test::stateOf(*drums).settings.programFile, before.programFile);
    EXPECT_EQ(test::stateOf(*drums).settings.filesPath, before.filesPath);
    EXPECT_EQ(test::stateOf(*drums).settings.exportAudioFilePath, before.exportAudioFilePath);
    EXPECT_TRUE(folder.namesIn().empty());
}

TEST_F(EditorMenusTest, FoldersEndWithTheSeparatorAndARefusedProgramStaysUnloaded) {
    dialogs.answers = {folder.path()};
    choose(MenuKind::main, {"App Folder ..."});
    EXPECT_EQ(test::stateOf(*drums).settings.filesPath, folder.path() + separator());

    const std::string good = writeThree(FileKind::program)[1];
    const std::string bad = folder.makeFile("Programs/broken.fxp", "not a program");
    test::stateOf(*drums).settings.programFile = good;
    dialogs.answers = {bad};
    EXPECT_FALSE(choose(MenuKind::program, {"Open ..."}).has(refresh::kEverything));
    EXPECT_EQ(test::stateOf(*drums).settings.programFile, good);
    EXPECT_EQ(textsOf(menus->build(MenuKind::program).model),
              (std::vector<std::string>{"New Program", "Open ...", "Save", "Save As ...", "-", "a.fxp", "b.fxp",
                                        "broken.fxp", "c.fxp"}));
    EXPECT_TRUE(entryOf(menus->build(MenuKind::program).model, {"b.fxp"})->checked);
    choose(MenuKind::program, {"c.fxp"});
    EXPECT_EQ(test::stateOf(*drums).settings.programFile, folder / "Programs/c.fxp");
    EXPECT_EQ(drums->getProgram(), 3);
}

TEST_F(EditorMenusTest, MuteMidiKeyStopsAndStartsPlaybackAndTheTriggerKeyShowsTheSelector) {
    test::stateOf(*drums).setPlaying(1);
    EXPECT_TRUE(choose(MenuKind::main, {"Mute MIDI Key"}).has(refresh::kPlayState));
    EXPECT_EQ(test::stateOf(*drums).settings.muteMidiKey, 1);
    EXPECT_EQ(test::stateOf(*drums).playing.load(), 0);
    choose(MenuKind::main, {"Mute MIDI Key"});
    EXPECT_EQ(test::stateOf(*drums).settings.muteMidiKey, 0);
    EXPECT_EQ(test::stateOf(*drums).playing.load(), 1);

    test::stateOf(*drums).settings.patternTriggerMidiKey = 48;
    const MenuOutcome shown = choose(MenuKind::main, {"Pattern Trigger MIDI Key"});
    ASSERT_TRUE(shown.noteSelector.has_value());
    EXPECT_EQ(shown.noteSelector->key, 48);
    EXPECT_EQ(shown.noteSelector->panel.left, 12);
    EXPECT_EQ(shown.noteSelector->panel.bottom, 363);
    menus->takePatternTriggerKey(-1);
    EXPECT_FALSE(entryOf(menus->build(MenuKind::main).model, {"Pattern Trigger MIDI Key"})->checked);
}

TEST_F(EditorMenusTest, KnobBehaviorModeReachesTheDrumSynthAndItsMenuAppearsWithIt) {
    EXPECT_EQ(menus->build(MenuKind::synth, 0).model.getNbEntries(), 0);
    ASSERT_TRUE(drums->loadSlot(VornDrums::kSynthSlot, test::fixturePluginPath("fixture-drum-synth")).ok());
    EXPECT_TRUE(choose(MenuKind::main, {"Knob Behavior Mode", "Intuitive"}).has(refresh::kKnobMode));
    EXPECT_EQ(test::stateOf(*drums).settings.knobBehaviorMode, 2);
    EXPECT_EQ(drums->slotPlugin(VornDrums::kSynthSlot)->getParameter(kSynthKnobModeParameter), 2.0f);
    EXPECT_TRUE(entryOf(menus->build(MenuKind::main).model, {"Knob Behavior Mode", "Intuitive"})->checked);

    test::stateOf(*drums).settings.synthFilesPath = folder.makeFolder("Synth") + separator();
    EXPECT_EQ(textsOf(menus->build(MenuKind::synth, 1).model),
              (std::vector<std::string>{"Load Synth ...", "-", "Save Synth", "Save Synth As ..."}));
    EXPECT_TRUE(entryOf(menus->build(MenuKind::synth, 1).model, {"Save Synth"})->disabled);
    dialogs.answers = {folder / "Synth/kick"};
    choose(MenuKind::synth, {"Save Synth As ..."}, 1);
    EXPECT_EQ(dialogs.requests.back().start, test::stateOf(*drums).settings.synthFilesPath);
    EXPECT_TRUE(std::filesystem::exists(folder / "Synth/kick.fxp"));
    const toolkit::MenuModel after = menus->build(MenuKind::synth, 1).model;
    EXPECT_FALSE(entryOf(after, {"Save Synth"})->disabled);
    EXPECT_TRUE(entryOf(after, {"kick.fxp"})->checked);
}

TEST_F(EditorMenusTest, TheSlotMenuListsTheEffectFolderAndRemovesWhatItLoaded) {
    // Absolute as the system takes it (a drive on Windows), as the settings store keeps it.
    const std::filesystem::path fixtures = std::filesystem::path(RIMBA_FIXTURE_PLUGIN_DIR).make_preferred();
    test::stateOf(*drums).settings.effectPath = std::filesystem::absolute(fixtures).string() + separator();
    const std::string gainLibrary = std::string("fixture-gain") + RIMBA_LIBRARY_EXTENSION;
    const toolkit::MenuModel empty = menus->build(MenuKind::effectSlot, 2).model;
    EXPECT_EQ(empty.getEntry(0).text, "Select Effect ...");
    EXPECT_EQ(empty.getEntry(1).text, "Remove");
    EXPECT_TRUE(empty.getEntry(1).disabled);
    EXPECT_TRUE(empty.getEntry(2).separator);
    ASSERT_GE(empty.findEntry(gainLibrary), 3);

    EXPECT_TRUE(choose(MenuKind::effectSlot, {gainLibrary}, 2).has(refresh::kEffectSlots));
    EXPECT_EQ(test::stateOf(*drums).effectEnabled[2], 1);
    const toolkit::MenuModel loaded = menus->build(MenuKind::effectSlot, 2).model;
    EXPECT_EQ(loaded.getEntry(1).text, "Remove " + drums->slotPlugin(2)->description().label);
    EXPECT_TRUE(entryOf(loaded, {gainLibrary})->checked);
    choose(MenuKind::effectSlot, {loaded.getEntry(1).text}, 2);
    EXPECT_EQ(drums->slotPlugin(2), nullptr);
    EXPECT_EQ(test::stateOf(*drums).effectEnabled[2], 0);
}

TEST_F(EditorMenusTest, APopUpCarriesOutTheChosenEntryAndADismissedOneNothing) {
    test::stateOf(*drums).settings.filesPath = folder.path();
    const BuiltMenu menu = menus->build(MenuKind::main);
    dialogs.menuAnswer = chainOf(menu.model, {"User Manual", "French"});
    menus->popup(MenuKind::main, 0, {10, 10});
    EXPECT_EQ(dialogs.requests.back().title, folder / "UserManualFrench.pdf");
    dialogs.menuAnswer.reset();
    menus->popup(MenuKind::main, 0, {10, 10});
    EXPECT_EQ(dialogs.requests.back().kind, "popup");
}

}  // namespace
}  // namespace rimba
