#pragma once
// Every menu of the editor and what its entries do: the main menu, the program, kit and pattern
// menus, the four effect slots, the drum synth's preset menu and a track pad's sound menu, plus
// the next and previous file buttons of programs, kits and pattern sets. A menu is built from the
// instrument's state at the moment it opens; each entry carries its own action, so a choice acts
// on what the user saw (a file listed then, even when the folder changed since). Dialogs and the
// desktop are reached through EditorDialogs, so all of it runs without a display.
//
// The window does the drawing: an action answers what it must refresh (MenuOutcome).
// Editor thread only (the actions load and save files and hold the audio thread off meanwhile).

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "plugin/core/VornDrums.h"
#include "plugin/editor/EditorDialogs.h"
#include "plugin/editor/toolkit/Geometry.h"
#include "plugin/editor/toolkit/MenuModel.h"

namespace rimba {

// The maker's pages the menus and the link button open.
inline constexpr const char* kMakerWebAddress = "https://vorn-studio.example/";
inline constexpr const char* kTutorialsWebAddress = "https://vorn-studio.example/tutorials/";
// The drum synth's private parameter that takes the knob behaviour mode (0, 1, 2).
inline constexpr std::int32_t kSynthKnobModeParameter = 0x10001;
// Where the note selector shows for the pattern trigger key (left, top, right, bottom).
inline constexpr toolkit::CRect kPatternTriggerSelectorRect{12, 90, 309, 363};

// What the window must show anew after a menu action.
namespace refresh {
enum Flag : std::uint32_t {
    kNames = 1u << 0,  // program, kit and pattern set labels
    kEverything = 1u << 1,  // every control from the instrument's state (after a load)
    kKnobMode = 1u << 2,  // the behaviour mode of every knob
    kStepAndVumeter = 1u << 3,  // played step and meters of every strip and the master meter
    kPlayState = 1u << 4,  // the Play and Stop buttons
    kEffectSlots = 1u << 5,  // the labels and switches of the four effect slots
    kSynthPage = 1u << 6,  // the selected track's synth page (preset name and values)
    kTrack = 1u << 7,  // one track's sound (label, wave): MenuOutcome::track
    kNoteSelector = 1u << 8,  // show the note selector: MenuOutcome::noteSelector
};
}  // namespace refresh

struct NoteSelectorRequest {
    toolkit::CRect panel;
    int key = -1;  // the note shown as chosen; -1 for none
};

struct MenuOutcome {
    std::uint32_t refresh = 0;
    int track = -1;
    std::optional<NoteSelectorRequest> noteSelector;

    bool has(refresh::Flag flag) const { return (refresh & flag) != 0; }
    MenuOutcome& operator|=(const MenuOutcome& other);
};

// The menus the editor opens.
enum class MenuKind { main, program, kit, pattern, effectSlot, synth, pad };

// The files the next and previous buttons step through.
enum class FileKind { program, kit, patternSet };

// A menu as shown, with the action of each entry by its index chain. The actions act on the
// EditorMenus that built the menu and its instrument, so a BuiltMenu must not outlive them.
struct BuiltMenu {
    toolkit::MenuModel model;
    std::map<toolkit::MenuChoice, std::function<MenuOutcome()>> actions;
};

// The device lists of the "Audio/MIDI Settings" submenus; the system's by default.
struct DeviceLists {
    std::function<std::vector<std::string>()> audioOutputs;
    std::function<std::vector<std::string>()> midiInputs;
    static DeviceLists system();
};

class EditorMenus {
public:
    EditorMenus(VornDrums& drums, EditorDialogs& dialogs, DeviceLists devices = DeviceLists::system());

    // `index`: the effect slot (0..3) or the track of the synth and pad menus.
    BuiltMenu build(MenuKind kind, int index = 0);
    // Carries out the entry of `menu` that `choice` names; a chain that names no entry (a
    // separator, a disabled entry, a submenu itself) does nothing.
    MenuOutcome carryOut(const BuiltMenu& menu, const toolkit::MenuChoice& choice);
    // Builds the menu, pops it up at `where` (editor coordinates) and carries out the choice.
    MenuOutcome popup(MenuKind kind, int index, toolkit::CPoint where);

    // The next (+1) or previous (-1) file of the folder of the current file of `kind`: next on
    // the last file stays there, on a file the folder does not list goes to the first; previous
    // never goes below the first (and from an unlisted file goes to the last).
    MenuOutcome stepFile(FileKind kind, int direction);

    // The next (+1) or previous (-1) sound file of the folder of the track's sound, by the same
    // rule as stepFile; and the drum synth preset of the synth preset folder for the track.
    MenuOutcome stepTrackSound(int track, int direction);
    MenuOutcome stepSynthPreset(int track, int direction);
    // A sound file dropped on the track's pad or name.
    MenuOutcome takeDroppedSound(int track, const std::string& path);

    // The note picked in the selector the main menu showed: 0 or more becomes the pattern
    // trigger key, anything below turns it off.
    void takePatternTriggerKey(int key);
    // The manual shipped in the library, "English" or "French", in the system's viewer.
    void openUserManual(std::string_view language);

private:
    // The position stepFile moves to among `count` files from position `current` (count when
    // the current file is not listed); -1 when there is none.
    static int steppedIndex(int current, int count, int direction);
    // The same among `names`, from the position of `current` (a name they may not hold).
    static int steppedIndexAmong(const std::vector<std::string>& names, const std::string& current, int direction);

    BuiltMenu mainMenu();
    BuiltMenu programMenu();
    BuiltMenu kitMenu();
    BuiltMenu patternMenu();
    BuiltMenu effectSlotMenu(int slot);
    BuiltMenu synthMenu(int track);
    BuiltMenu padMenu(int track);
    void settingsMenu(BuiltMenu& menu, int at);

    MenuOutcome exportAudio();
    MenuOutcome exportMidi();
    MenuOutcome toggleTrackMode();
    MenuOutcome setMuteMidiKey(bool on);
    MenuOutcome setKnobMode(int mode);
    MenuOutcome chooseFolder(const std::string& title, VornDrums::RememberedPath setting);
    MenuOutcome chooseAudioDevice(const std::string& name);
    MenuOutcome chooseMidiDevice(const std::string& name);
    MenuOutcome chooseSampleRate(int rate);
    MenuOutcome chooseBufferSize(int frames);

    MenuOutcome openProgram();
    MenuOutcome saveProgramAs();
    MenuOutcome loadProgramPath(const std::string& path);
    MenuOutcome openKit();
    MenuOutcome saveKitAs();
    MenuOutcome loadKitPath(const std::string& path);
    MenuOutcome openPatternSet();
    MenuOutcome savePatternSetAs();
    MenuOutcome loadPatternSetPath(const std::string& path);
    MenuOutcome resetCurrentPattern();
    MenuOutcome openPattern();
    MenuOutcome savePatternAs();
    MenuOutcome selectEffectFile(int slot);
    MenuOutcome loadEffect(int slot, const std::string& path);
    MenuOutcome removeEffect(int slot);
    MenuOutcome loadSynthFile(int track);
    MenuOutcome saveSynth(int track, const std::string& path);
    MenuOutcome saveSynthAs(int track);
    MenuOutcome loadWave(int track);
    MenuOutcome saveWave(int track);
    MenuOutcome takeTrackSound(int track, const std::string& path);

    // Tells the user that a file could not be written.
    void reportUnwritten(const std::string& path);

    VornDrums& drums;
    EditorDialogs& dialogs;
    DeviceLists devices;
};

}  // namespace rimba
