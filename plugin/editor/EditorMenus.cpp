// The main menu and what its entries do, the "Audio/MIDI Settings" of the standalone program,
// and the carrying out of any built menu.

#include "common/vst/StandaloneLink.h"
#include "plugin/editor/EditorMenus.h"

#include <array>
#include <atomic>
#include <string>

#include "common/platform/DeviceNames.h"
#include "common/platform/Paths.h"
#include "plugin/core/VornDrums.h"
#include "plugin/editor/EditorMenuBuilder.h"
#include "plugin/files/FolderFiles.h"
#include "plugin/files/LibraryFolder.h"
#include "plugin/model/Constants.h"
#include "plugin/tools/AudioExport.h"
#include "plugin/tools/MidiExport.h"

namespace rimba {

namespace menus {

std::vector<std::string> filesOf(const std::string& folder, const std::string& extension) {
    std::vector<std::string> names;
    std::vector<std::string> menuTexts;
    listFolderFiles(names, menuTexts, folder, extension);
    return names;
}

std::string withDefaultExtension(const std::string& path, const std::string& extension) {
    return platform::fileNameOf(path).find('.') == std::string::npos ? path + "." + extension : path;
}

}  // namespace menus

using menus::MenuBuilder;

namespace {

constexpr const char* kTrackModeMessage = "The selected mode will be activated on the next reboot of the plugin.";
constexpr std::array<int, 4> kSampleRates{44100, 48000, 88200, 96000};
constexpr std::array<int, 11> kBufferSizes{32, 64, 128, 192, 256, 384, 512, 768, 1024, 1536, 2048};
constexpr std::array<const char*, 3> kKnobModes{"Linear", "Circular", "Intuitive"};

MenuOutcome refreshing(std::uint32_t flags) { return MenuOutcome{.refresh = flags, .track = -1, .noteSelector = {}}; }

}  // namespace

MenuOutcome& MenuOutcome::operator|=(const MenuOutcome& other) {
    refresh |= other.refresh;
    if (other.track >= 0)
        track = other.track;
    if (other.noteSelector)
        noteSelector = other.noteSelector;
    return *this;
}

DeviceLists DeviceLists::system() {
    return DeviceLists{.audioOutputs = platform::audioOutputDeviceNames, .midiInputs = platform::midiInputDeviceNames};
}

EditorMenus::EditorMenus(VornDrums& drums, EditorDialogs& dialogs, DeviceLists devices)
    : drums(drums), dialogs(dialogs), devices(std::move(devices)) {}

BuiltMenu EditorMenus::build(MenuKind kind, int index) {
    switch (kind) {
        case MenuKind::main: return mainMenu();
        case MenuKind::program: return programMenu();
        case MenuKind::kit: return kitMenu();
        case MenuKind::pattern: return patternMenu();
        case MenuKind::effectSlot: return effectSlotMenu(index);
        case MenuKind::synth: return synthMenu(index);
        case MenuKind::pad: return padMenu(index);
    }
    return {};
}

MenuOutcome EditorMenus::carryOut(const BuiltMenu& menu, const toolkit::MenuChoice& choice) {
    const auto action = menu.actions.find(choice);
    if (action == menu.actions.end() || !action->second)
        return {};
    return action->second();
}

MenuOutcome EditorMenus::popup(MenuKind kind, int index, toolkit::CPoint where) {
    const BuiltMenu menu = build(kind, index);
    if (menu.model.getNbEntries() == 0)
        return {};
    const std::optional<toolkit::MenuChoice> choice = dialogs.popupMenu(menu.model, where);
    return choice ? carryOut(menu, *choice) : MenuOutcome{};
}

void EditorMenus::takePatternTriggerKey(int key) { drums.setPatternTriggerKey(key >= 0 ? key : -1); }

void EditorMenus::reportUnwritten(const std::string& path) { reportUnwrittenFile(dialogs, path); }

// --- the main menu -----------------------------------------------------------------------------

BuiltMenu EditorMenus::mainMenu() {
    EditorMenus& self = *this;
    const InstrumentSettings& s = drums.state().settings;
    BuiltMenu menu;
    MenuBuilder top(menu, menu.model);
    top.entry("Export to Audio File ...", [&self] { return self.exportAudio(); });
    top.entry("Export to MIDI File ...", [&self] { return self.exportMidi(); });
    top.separator();
    top.entry(
        "12 Tracks Mode", [&self] { return self.toggleTrackMode(); }, s.channelNumber != kSmallTrackCount);
    top.entry(
        "AutoScroll",
        [&self, &s] {
            self.drums.setAutoscroll(s.autoscroll == 0);
            return MenuOutcome{};
        },
        s.autoscroll != 0);
    MenuBuilder channels = top.submenu("Receive MIDI Channel");
    for (int i = 0; i < 18; ++i) {
        const std::string text = i == 0 ? "OFF" : i == 1 ? "Any" : std::to_string(i - 1);
        channels.entry(
            text,
            [&self, i] {
                self.drums.setReceiveMidiChannel(i - 1);
                return MenuOutcome{};
            },
            s.receiveMidiChannel == i - 1);
    }
    top.entry(
        "Pattern Trigger MIDI Key",
        [&s] {
            MenuOutcome outcome = refreshing(refresh::kNoteSelector);
            outcome.noteSelector =
                NoteSelectorRequest{.panel = kPatternTriggerSelectorRect, .key = s.patternTriggerMidiKey};
            return outcome;
        },
        s.patternTriggerMidiKey >= 0);
    top.entry(
        "Mute MIDI Key", [&self, &s] { return self.setMuteMidiKey(s.muteMidiKey == 0); }, s.muteMidiKey != 0);
    top.entry(
        "Enable MIDI Program Change",
        [&self, &s] {
            self.drums.setMidiProgramChange(s.enableMidiProgramChange == 0);
            return MenuOutcome{};
        },
        s.enableMidiProgramChange != 0);
    MenuBuilder knobModes = top.submenu("Knob Behavior Mode");
    for (int mode = 0; mode < static_cast<int>(kKnobModes.size()); ++mode)
        knobModes.entry(
            kKnobModes[static_cast<std::size_t>(mode)], [&self, mode] { return self.setKnobMode(mode); },
            s.knobBehaviorMode == mode);
    top.entry(
        "Step Played + Vumeter",
        [&self, &s] {
            self.drums.setStepAndVumeter(s.stepAndVumeter == 0);
            return refreshing(refresh::kStepAndVumeter);
        },
        s.stepAndVumeter != 0);
    top.separator();
    top.entry("App Folder ...",
              [&self] { return self.chooseFolder("Select App Folder", VornDrums::RememberedPath::appFolder); });
    top.entry("Effects Folder ...",
              [&self] { return self.chooseFolder("Select Effects Folder", VornDrums::RememberedPath::effectsFolder); });
    top.separator();
    top.entry("Tutorials ...", [&self] {
        self.dialogs.openDocument(kTutorialsWebAddress);
        return MenuOutcome{};
    });
    MenuBuilder manuals = top.submenu("User Manual");
    for (const char* language : {"English", "French"}) {
        manuals.entry(language, [&self, language] {
            self.openUserManual(language);
            return MenuOutcome{};
        });
    }
    top.entry("VORN Studio ...", [&self] {
        self.dialogs.openDocument(kMakerWebAddress);
        return MenuOutcome{};
    });
    top.disabled(std::string("Version ") + kVersionText);
    if (drums.state().standalone != 0) {
        top.separator();
        settingsMenu(menu, menu.model.addSubmenu("Audio/MIDI Settings", std::make_shared<toolkit::MenuModel>()));
    }
    return menu;
}

// The four device submenus; each checks the entry whose text is the current setting.
void EditorMenus::settingsMenu(BuiltMenu& menu, int at) {
    EditorMenus& self = *this;
    const InstrumentSettings& s = drums.state().settings;
    MenuBuilder settings(menu, *menu.model.getEntry(at).submenu, {at});
    MenuBuilder audio = settings.submenu("Audio Output Device");
    if (devices.audioOutputs)
        for (const std::string& device : devices.audioOutputs()) {
            const std::string text = platform::listedDeviceName(device);
            audio.entry(
                text, [&self, text] { return self.chooseAudioDevice(text); }, text == s.audioDevice);
        }
    MenuBuilder rates = settings.submenu("Sample Rate");
    for (const int rate : kSampleRates)
        rates.entry(
            std::to_string(rate), [&self, rate] { return self.chooseSampleRate(rate); },
            rate == s.standaloneSampleRate);
    MenuBuilder sizes = settings.submenu("Buffer Size");
    for (const int frames : kBufferSizes)
        sizes.entry(
            std::to_string(frames), [&self, frames] { return self.chooseBufferSize(frames); },
            frames == s.standaloneBufferSize);
    settings.separator();
    MenuBuilder midi = settings.submenu("MIDI Input Device");
    if (devices.midiInputs)
        for (const std::string& device : devices.midiInputs()) {
            const std::string text = platform::listedDeviceName(device);
            midi.entry(
                text, [&self, text] { return self.chooseMidiDevice(text); }, text == s.midiDevice);
        }
}

MenuOutcome EditorMenus::exportAudio() {
    const auto path =
        dialogs.saveFile("Save As Audio File", {"Audio file", "wav"}, drums.state().settings.exportAudioFilePath);
    if (!path)
        return {};
    drums.setRememberedPath(VornDrums::RememberedPath::audioExport, *path);
    if (exportAudioFile(drums, *path) != 0)
        reportUnwritten(*path);
    return {};
}

MenuOutcome EditorMenus::exportMidi() {
    const auto path =
        dialogs.saveFile("Save As MIDI File", {"MIDI file", "mid"}, drums.state().settings.exportMidiFilePath);
    if (!path)
        return {};
    drums.setRememberedPath(VornDrums::RememberedPath::midiExport, *path);
    if (exportMidiFile(drums.state(), *path) != 0)
        reportUnwritten(*path);
    return {};
}

// Only the stored count changes: the instrument's arrays, outputs and window were made for the
// count it started with.
MenuOutcome EditorMenus::toggleTrackMode() {
    drums.setNextTrackCount(drums.state().settings.channelNumber == kSmallTrackCount ? kDefaultTrackCount
                                                                                     : kSmallTrackCount);
    dialogs.message(kTrackModeMessage, kMessageCaption);
    return {};
}

MenuOutcome EditorMenus::setMuteMidiKey(bool on) {
    drums.setMuteMidiKey(on);
    // With the key on, the sequencer runs only while a trigger key is held.
    const bool playing = drums.state().playing.load() != 0;
    if (playing == on)
        drums.togglePlaying();
    return refreshing(refresh::kPlayState);
}

MenuOutcome EditorMenus::setKnobMode(int mode) {
    drums.setKnobBehaviorMode(mode);
    if (HostedPlugin* synth = drums.state().drumSynth())
        synth->setParameter(kSynthKnobModeParameter, static_cast<float>(mode));
    return refreshing(refresh::kKnobMode);
}

// The settings keep folders with their separator, so that file names join them directly.
MenuOutcome EditorMenus::chooseFolder(const std::string& title, VornDrums::RememberedPath setting) {
    const auto folder = dialogs.chooseFolder(title, drums.rememberedPath(setting));
    if (!folder)
        return {};
    std::string chosen = *folder;
    if (chosen.empty() || !platform::isPathSeparator(chosen.back()))
        chosen += platform::pathSeparator();
    drums.setRememberedPath(setting, chosen);
    return {};
}

MenuOutcome EditorMenus::chooseAudioDevice(const std::string& name) {
    drums.chooseStandaloneAudioDevice(name);
    return {};
}

MenuOutcome EditorMenus::chooseMidiDevice(const std::string& name) {
    drums.chooseStandaloneMidiDevice(name);
    return {};
}

MenuOutcome EditorMenus::chooseSampleRate(int rate) {
    drums.chooseStandaloneSampleRate(rate);
    return {};
}

MenuOutcome EditorMenus::chooseBufferSize(int frames) {
    drums.chooseStandaloneBufferSize(frames);
    return {};
}

void EditorMenus::openUserManual(std::string_view language) {
    const std::string file = "UserManual" + std::string(language) + ".pdf";
    dialogs.openDocument(platform::joinPath(libraryFolder(drums.state().settings), file));
}

}  // namespace rimba
