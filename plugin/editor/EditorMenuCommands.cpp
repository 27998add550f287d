// The controls that open menus (the main menu, the program, kit and pattern set names, the
// effect slots, the synth preset name, the track pads and sound names), the next and previous
// file buttons, and files dropped on the window.

#include <algorithm>

#include "plugin/editor/Editor.h"
#include "plugin/model/TrackSettings.h"

namespace rimba {

namespace et = editor_tags;
using toolkit::CControl;

namespace {

// The menu a label opens sits under it.
toolkit::CPoint underneath(const CControl* control) {
    const toolkit::CRect& size = control->getViewSize();
    return {size.left, size.bottom};
}

bool pressed(const CControl* control) { return control->getValue() != 0.0f; }

}  // namespace

void Editor::menuControlChanged(long tag, CControl* control) {
    switch (tag) {
        case et::kMainMenu:
            if (const auto* menu = dynamic_cast<const toolkit::COptionMenu*>(control))
                applyMenuOutcome(menus->carryOut(mainMenu, menu->getLastChoice()));
            refreshMainMenu();
            return;
        case et::kProgramName:
            if (pressed(control))
                applyMenuOutcome(menus->popup(MenuKind::program, 0, underneath(control)));
            return;
        case et::kKitName:
            if (pressed(control))
                applyMenuOutcome(menus->popup(MenuKind::kit, 0, underneath(control)));
            return;
        case et::kPatternSetName:
            if (pressed(control))
                applyMenuOutcome(menus->popup(MenuKind::pattern, 0, underneath(control)));
            return;
        case et::kSynthPresetName: {
            // A right click shows or hides the drum synth's own editor, as on an effect slot.
            auto* label = dynamic_cast<controls::CVornLabel*>(control);
            const bool right = label != nullptr && label->takeRightClick();
            if (!pressed(control))
                return;
            if (right)
                toggleSlotEditor(VornDrums::kSynthSlot);
            else
                applyMenuOutcome(menus->popup(MenuKind::synth, selectedTrack, underneath(control)));
            return;
        }
        case et::kNextProgram:
        case et::kPreviousProgram:
            if (pressed(control))
                applyMenuOutcome(menus->stepFile(FileKind::program, tag == et::kNextProgram ? 1 : -1));
            return;
        case et::kNextKit:
        case et::kPreviousKit:
            if (pressed(control))
                applyMenuOutcome(menus->stepFile(FileKind::kit, tag == et::kNextKit ? 1 : -1));
            return;
        case et::kNextPatternSet:
        case et::kPreviousPatternSet:
            if (pressed(control))
                applyMenuOutcome(menus->stepFile(FileKind::patternSet, tag == et::kNextPatternSet ? 1 : -1));
            return;
        case et::kNextSynthPreset:
        case et::kPreviousSynthPreset:
            if (pressed(control))
                applyMenuOutcome(menus->stepSynthPreset(selectedTrack, tag == et::kNextSynthPreset ? 1 : -1));
            return;
        default: break;
    }
    if (tag >= et::kFirstEffectSlot && tag < et::kFirstEffectSlot + kEffectSlots) {
        const int slot = static_cast<int>(tag - et::kFirstEffectSlot);
        auto* slotMenu = dynamic_cast<controls::CVornSwitchMenu*>(control);
        if (!slotMenu)
            return;
        if (slotMenu->takeRightClick()) {
            toggleSlotEditor(slot);
            return;
        }
        // A plug-in replaced or removed closes its own window as it unloads.
        applyMenuOutcome(menus->carryOut(effectSlotMenus[static_cast<std::size_t>(slot)], slotMenu->getLastChoice()));
        refreshEffectSlotMenus();
    }
}

void Editor::toggleSlotEditor(int slot) {
    CPlugin* plugin = instrument.slotPlugin(slot);
    if (!plugin || !plugin->isLoaded() || !frame)
        return;
    pluginWindows.toggle(*plugin, frame->getWindow());
}

void Editor::openTrackPadMenu(int track, CControl* control) {
    applyMenuOutcome(menus->popup(MenuKind::pad, track, underneath(control)));
}

// The sound name opens the synth's presets for a track that plays through the drum synth, the
// track's sound files otherwise.
void Editor::soundSlotClicked(int track, CControl* control) {
    if (!pressed(control))
        return;
    const bool synth =
        instrument.synthSlotLoaded() && instrument.state().tracks.synthRoute[static_cast<std::size_t>(track)] != 0.0f;
    applyMenuOutcome(menus->popup(synth ? MenuKind::synth : MenuKind::pad, track, underneath(control)));
}

void Editor::stepTrackSound(int track, int direction) { applyMenuOutcome(menus->stepTrackSound(track, direction)); }

void Editor::applyMenuOutcome(const MenuOutcome& outcome) {
    if (!controls)
        return;
    if (outcome.has(refresh::kEverything)) {
        referencePatterns.fill(std::nullopt);
        controls->refreshAll(selectedTrack);
    } else {
        if (outcome.has(refresh::kNames))
            controls->refreshNames();
        if (outcome.has(refresh::kPlayState))
            controls->refreshTransport();
        if (outcome.has(refresh::kSynthPage))
            controls->refreshSoundPage(selectedTrack);
        if (outcome.has(refresh::kTrack) && instrument.state().isActiveTrack(outcome.track)) {
            controls->refreshTrack(outcome.track);
            if (outcome.track == selectedTrack)
                controls->refreshSoundPage(selectedTrack);
        }
    }
    if (outcome.has(refresh::kKnobMode) || outcome.has(refresh::kEverything))
        controls->refreshKnobMode();
    if (outcome.has(refresh::kStepAndVumeter))
        controls->refreshStepAndVumeter();
    if (outcome.has(refresh::kEffectSlots) || outcome.has(refresh::kEverything))
        refreshEffectSlotMenus();
    if (outcome.noteSelector)
        showNoteSelector(NotePick::patternTrigger, outcome.noteSelector->panel, outcome.noteSelector->key);
    attachGrids();
    controls->syncPatternRows();
}

// The menus that pop up by themselves (the main menu and the effect slots) hold entries built
// from the instrument's state: built again at open and after each choice, so that check marks
// and folder lists are current; the main menu also as it pops up (see Editor::open), for the
// device lists.
void Editor::refreshMainMenu() {
    if (!controls || !menus)
        return;
    mainMenu = menus->build(MenuKind::main);
    if (controls::CVornSwitchMenu* menu = controls->views().mainMenu)
        menu->getMenu() = mainMenu.model;
}

void Editor::refreshEffectSlotMenus() {
    if (!controls || !menus)
        return;
    const std::vector<controls::CVornSwitchMenu*>& slots = controls->views().effectSlots;
    for (int slot = 0; slot < kEffectSlots; ++slot) {
        effectSlotMenus[static_cast<std::size_t>(slot)] = menus->build(MenuKind::effectSlot, slot);
        if (static_cast<std::size_t>(slot) < slots.size() && slots[static_cast<std::size_t>(slot)])
            slots[static_cast<std::size_t>(slot)]->getMenu() = effectSlotMenus[static_cast<std::size_t>(slot)].model;
    }
    controls->refreshEffectSlots();
}

// --- files dropped on the window ---------------------------------------------------------------

// The track whose pad or sound name lies under `where`; -1 elsewhere.
int Editor::dropTrackAt(toolkit::CPoint where) const {
    if (!controls)
        return -1;
    const std::vector<TrackStripViews>& strips = controls->views().strips;
    for (std::size_t t = 0; t < strips.size(); ++t) {
        const TrackStripViews& strip = strips[t];
        for (const CControl* target :
             {static_cast<const CControl*>(strip.pad), static_cast<const CControl*>(strip.sound)})
            if (target && target->getViewSize().contains(where))
                return static_cast<int>(t);
    }
    return -1;
}

bool Editor::acceptsDrop(toolkit::CPoint where) const { return dropTrackAt(where) >= 0; }

void Editor::dropFiles(toolkit::CPoint where, const std::vector<std::string>& paths) {
    const int track = dropTrackAt(where);
    if (track < 0 || paths.empty() || !menus)
        return;
    instrument.beginGesture();
    applyMenuOutcome(menus->takeDroppedSound(track, paths.front()));
    endGestureUnlessPressed();
}

}  // namespace rimba
