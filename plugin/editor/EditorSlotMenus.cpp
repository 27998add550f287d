// The menus of hosted plug-ins and sounds: an effect slot's menu, the drum synth's preset menu
// of the selected track, and a track pad's sound menu.

#include <string>

#include "common/platform/Paths.h"
#include "plugin/core/VornDrums.h"
#include "plugin/editor/EditorMenuBuilder.h"
#include "plugin/editor/EditorMenus.h"
#include "plugin/model/Tags.h"

namespace rimba {

using menus::MenuBuilder;

namespace {

const toolkit::FileFilter kSynthPresetFilter{"VORN Synth Preset", "fxp"};
// The three kinds of sound file the instrument reads; the selector shows them all.
const toolkit::FileFilter kSoundOpenFilter{"WAVE File, AIF File, AIFF File", ""};
const toolkit::FileFilter kSoundSaveFilter{"WAVE File", "wav"};

bool isEffectSlot(int slot) { return slot >= 0 && slot < kEffectSlots; }

MenuOutcome refreshing(std::uint32_t flags, int track = -1) {
    return MenuOutcome{.refresh = flags, .track = track, .noteSelector = {}};
}

}  // namespace

// --- effect slots ------------------------------------------------------------------------------

BuiltMenu EditorMenus::effectSlotMenu(int slot) {
    BuiltMenu menu;
    if (!isEffectSlot(slot))
        return menu;
    MenuBuilder top(menu, menu.model);
    top.entry("Select Effect ...", [this, slot] { return selectEffectFile(slot); });
    const CPlugin* loaded = drums.slotPlugin(slot);
    if (loaded != nullptr && loaded->isLoaded())
        top.entry("Remove " + loaded->description().label, [this, slot] { return removeEffect(slot); });
    else
        top.disabled("Remove");
    const std::vector<std::string> libraries = drums.effectLibraries();
    if (libraries.empty())
        return menu;
    top.separator();
    const std::string folder = drums.state().settings.effectPath;
    for (const std::string& name : libraries) {
        const std::string path = folder + name;
        const bool current = loaded != nullptr && loaded->isLoaded() && loaded->path() == path;
        top.entry(
            name, [this, slot, path] { return loadEffect(slot, path); }, current);
    }
    return menu;
}

MenuOutcome EditorMenus::selectEffectFile(int slot) {
    const toolkit::FileFilter filter{"Effect DLL", platform::libraryExtension()};
    const auto path = dialogs.openFile("Load Effect DLL", filter, drums.state().settings.effectPath);
    return path ? loadEffect(slot, *path) : MenuOutcome{};
}

// A refused library leaves the slot empty and its switch off; the label shows it either way.
MenuOutcome EditorMenus::loadEffect(int slot, const std::string& path) {
    (void)drums.selectEffect(slot, path);
    return refreshing(refresh::kEffectSlots);
}

MenuOutcome EditorMenus::removeEffect(int slot) {
    drums.removeEffect(slot);
    return refreshing(refresh::kEffectSlots);
}

// --- the drum synth's presets ------------------------------------------------------------------

BuiltMenu EditorMenus::synthMenu(int track) {
    BuiltMenu menu;
    if (!drums.synthSlotLoaded() || track < 0 || track >= drums.getTrackCount())
        return menu;
    const std::string remembered = drums.synthPresetPath(track);
    MenuBuilder top(menu, menu.model);
    top.entry("Load Synth ...", [this, track] { return loadSynthFile(track); });
    top.separator();
    if (remembered.empty())
        top.disabled("Save Synth");
    else
        top.entry("Save Synth", [this, track, remembered] { return saveSynth(track, remembered); });
    top.entry("Save Synth As ...", [this, track] { return saveSynthAs(track); });
    const std::vector<std::string> presets = drums.listSynthPresets();
    if (presets.empty())
        return menu;
    top.separator();
    for (const std::string& path : presets) {
        top.entry(
            platform::fileNameOf(path),
            [this, track, path] {
                return drums.loadSynthPreset(track, path) ? refreshing(refresh::kSynthPage, track) : MenuOutcome{};
            },
            path == remembered);
    }
    return menu;
}

MenuOutcome EditorMenus::loadSynthFile(int track) {
    const std::string remembered = drums.synthPresetPath(track);
    const std::string start = remembered.empty() ? drums.state().settings.synthFilesPath : remembered;
    const auto chosen = dialogs.openFile("Load VORN Synth Preset", kSynthPresetFilter, start);
    if (!chosen)
        return {};
    const std::string path = menus::withDefaultExtension(*chosen, "fxp");
    return drums.loadSynthPreset(track, path) ? refreshing(refresh::kSynthPage, track) : MenuOutcome{};
}

MenuOutcome EditorMenus::saveSynth(int track, const std::string& path) {
    if (!drums.saveSynthPreset(track, path)) {
        reportUnwritten(path);
        return {};
    }
    return refreshing(refresh::kSynthPage, track);
}

MenuOutcome EditorMenus::saveSynthAs(int track) {
    const std::string remembered = drums.synthPresetPath(track);
    const std::string start = remembered.empty() ? drums.state().settings.synthFilesPath : remembered;
    const auto chosen = dialogs.saveFile("Save VORN Synth Preset", kSynthPresetFilter, start);
    return chosen ? saveSynth(track, menus::withDefaultExtension(*chosen, "fxp")) : MenuOutcome{};
}

// --- a track pad's sounds ----------------------------------------------------------------------

BuiltMenu EditorMenus::padMenu(int track) {
    BuiltMenu menu;
    if (track < 0 || track >= drums.getTrackCount())
        return menu;
    MenuBuilder top(menu, menu.model);
    top.entry("Load Wave ...", [this, track] { return loadWave(track); });
    top.entry("Save Wave ...", [this, track] { return saveWave(track); });
    const std::string current = soundPathText(drums.state().tracks.soundPath[static_cast<std::size_t>(track)]);
    const std::string folder = platform::folderOf(current);
    const std::vector<std::string> names = menus::filesOf(folder, "");
    if (names.empty())
        return menu;
    top.separator();
    const std::string currentName = platform::fileNameOf(current);
    for (const std::string& name : names)
        top.entry(
            name, [this, track, path = folder + name] { return takeTrackSound(track, path); }, name == currentName);
    return menu;
}

MenuOutcome EditorMenus::loadWave(int track) {
    const auto chosen = dialogs.openFile("Open Wave File", kSoundOpenFilter, drums.state().settings.drumFilesPath);
    if (!chosen)
        return {};
    drums.setRememberedPath(VornDrums::RememberedPath::soundFolder, platform::folderOf(*chosen));
    return takeTrackSound(track, menus::withDefaultExtension(*chosen, "wav"));
}

// The track then plays the file just written, as a sound of its own.
MenuOutcome EditorMenus::saveWave(int track) {
    const auto chosen = dialogs.saveFile("Save Wave File", kSoundSaveFilter, drums.state().settings.drumSaveFilesPath);
    if (!chosen)
        return {};
    drums.setRememberedPath(VornDrums::RememberedPath::soundSaveFolder, platform::folderOf(*chosen));
    const std::string path = menus::withDefaultExtension(*chosen, "wav");
    if (drums.writeTrackWave(track, path) != 0) {
        reportUnwritten(path);
        return {};
    }
    return takeTrackSound(track, path);
}

MenuOutcome EditorMenus::takeTrackSound(int track, const std::string& path) {
    drums.setTrackSound(track, path);
    return refreshing(refresh::kTrack, track);
}

MenuOutcome EditorMenus::stepTrackSound(int track, int direction) {
    if (track < 0 || track >= drums.getTrackCount())
        return {};
    const std::string current = soundPathText(drums.state().tracks.soundPath[static_cast<std::size_t>(track)]);
    const std::string folder = platform::folderOf(current);
    if (folder.empty())
        return {};
    const std::vector<std::string> names = menus::filesOf(folder, "");
    const int index = steppedIndexAmong(names, platform::fileNameOf(current), direction);
    if (index < 0 || names[static_cast<std::size_t>(index)] == platform::fileNameOf(current))
        return {};
    return takeTrackSound(track, folder + names[static_cast<std::size_t>(index)]);
}

MenuOutcome EditorMenus::stepSynthPreset(int track, int direction) {
    if (track < 0 || track >= drums.getTrackCount() || !drums.synthSlotLoaded())
        return {};
    const std::vector<std::string> presets = drums.listSynthPresets();
    const int index = steppedIndexAmong(presets, drums.synthPresetPath(track), direction);
    if (index < 0 || !drums.loadSynthPreset(track, presets[static_cast<std::size_t>(index)]))
        return {};
    return refreshing(refresh::kSynthPage, track);
}

MenuOutcome EditorMenus::takeDroppedSound(int track, const std::string& path) {
    if (track < 0 || track >= drums.getTrackCount() || path.empty())
        return {};
    return takeTrackSound(track, path);
}

}  // namespace rimba
