// The editor's control-change handler: every user action on a control becomes a call on the
// instrument, and the controls that show what changed are brought up to date.

#include <algorithm>
#include <array>
#include <cmath>

#include "common/platform/Files.h"
#include "common/platform/Paths.h"
#include "plugin/core/RandomKeystrokes.h"
#include "plugin/editor/Editor.h"
#include "plugin/files/LibraryFolder.h"
#include "plugin/model/Tags.h"
#include "plugin/tools/MidiExport.h"
#include "plugin/tools/PatternEdit.h"

namespace rimba {

namespace et = editor_tags;
using toolkit::CControl;

namespace {

// The instrument's slot behind each strip kind that is a host parameter.
int parameterSlotOfKind(int kind) {
    switch (kind) {
        case et::kTuneVelocityKind: return tags::kTuneVelocity;
        case et::kTuneKind: return tags::kTune;
        case et::kLevelVelocityKind: return tags::kLevelVelocity;
        case et::kLevelKind: return tags::kLevel;
        case et::kPanKind: return tags::kPan;
        case et::kSend1Kind: return tags::kSend1;
        case et::kSend2Kind: return tags::kSend2;
        case et::kMuteKind: return tags::kMute;
        default: return -1;
    }
}

int roundedValue(const CControl* control) { return static_cast<int>(std::lround(control->getValue())); }

// The pad and the random button do something else on a right click.
bool isRightClick(const CControl* control) {
    const auto* button = dynamic_cast<const controls::CVornPushButton*>(control);
    return button && (button->getLastButtons() & toolkit::kRButton) != 0;
}

}  // namespace

std::int32_t Editor::globalTag(std::int32_t offset) const {
    return tags::globalBase(instrument.getTrackCount()) + offset;
}

void Editor::handleValueChange(CControl* control) {
    if (!control || !controls)
        return;
    const long tag = control->getTag();
    if (et::isStripTag(tag)) {
        const int track = et::trackOfTag(tag);
        if (instrument.state().isActiveTrack(track))
            stripChanged(track, et::kindOfTag(tag), control);
        return;
    }
    if (transportChanged(tag, control) || soundPageChanged(tag, control) || patternPanelChanged(tag, control) ||
        randomPanelChanged(tag, control))
        return;
    menuControlChanged(tag, control);
}

// --- track strips ----------------------------------------------------------------------------

void Editor::stripChanged(int track, int kind, CControl* control) {
    if (const int slot = parameterSlotOfKind(kind); slot >= 0) {
        // Through the host, so that it records the change; the host hands it back to the
        // instrument as the parameter.
        instrument.reportToHost(tags::trackTag(track, slot), control->getValue());
        return;
    }
    switch (kind) {
        case et::kStepRowKind: stepRowChanged(track); break;
        case et::kRandomAmountKind: randomAmountChanged(track); break;
        case et::kDrumKind: drumStripChanged(track); break;
        case et::kSelectKind: selectTrack(track); break;
        case et::kSoloKind: soloTrack(track); break;
        case et::kPadKind: padChanged(track, control); break;
        case et::kSoundKind: soundSlotClicked(track, control); break;
        case et::kNextSoundKind:
        case et::kPreviousSoundKind:
            if (control->getValue() != 0.0f)
                stepTrackSound(track, kind == et::kNextSoundKind ? 1 : -1);
            break;
        default: break;
    }
}

void Editor::selectTrack(int track) {
    if (track != selectedTrack) {
        // The drum synth's editor belongs to the track it was opened for.
        if (CPlugin* synth = instrument.slotPlugin(VornDrums::kSynthSlot))
            pluginWindows.close(*synth);
    }
    selectedTrack = track;
    controls->refreshSoundPage(selectedTrack);
    controls->refreshSelection(selectedTrack);
}

// At most one track is soloed, and the soloed track is the one the mixer lets through alone.
void Editor::soloTrack(int track) {
    const bool soloedNow = instrument.state().soloSelected != 0 && instrument.state().selectedTrack == track;
    instrument.setSolo(track, !soloedNow);
    controls->refreshSolo();
}

void Editor::padChanged(int track, CControl* control) {
    if (isRightClick(control)) {
        if (control->getValue() != 0.0f)
            openTrackPadMenu(track, control);
        return;
    }
    // A pad plays like a key: the press sounds the track, the release stops it (a one-shot
    // sound rings on to its end, as it does for a note from a keyboard).
    instrument.padNote(track, control->getValue() != 0.0f ? 127 : 0);
}

void Editor::randomAmountChanged(int track) {
    controls::CVornPatternRandom* amount = controls->views().strips[static_cast<std::size_t>(track)].randomAmount;
    if (!amount)
        return;
    switch (amount->getLastGesture()) {
        case controls::CVornPatternRandom::Gesture::pickCell: {
            const float fraction = static_cast<float>(densityOfCell(amount->getValue())) / 16.0f;
            instrument.reportToHost(tags::kPatternRandomBase + track, std::max(fraction, 0.0f));
            controls->refreshTrack(track);
            break;
        }
        case controls::CVornPatternRandom::Gesture::range:
        case controls::CVornPatternRandom::Gesture::maxRoll:
            storeRandomSettings(track, amount->getRange(), amount->getMaxRoll());
            break;
        default: break;
    }
}

void Editor::storeRandomSettings(int track, controls::DensityRange range, int maxRoll) {
    instrument.setRandomSettings(track, static_cast<float>(range.minimum), static_cast<float>(range.maximum),
                                 static_cast<float>(maxRoll));
}

// --- transport, master and names -------------------------------------------------------------

bool Editor::transportChanged(long tag, CControl* control) {
    switch (tag) {
        case et::kPlay:
            instrument.startPlaying();
            controls->refreshTransport();
            return true;
        case et::kStop:
            if (control->getValue() == 0.0f)
                return true;  // the release of the momentary button
            instrument.stopPlaying();
            controls->refreshTransport();
            return true;
        case et::kTempo:
            instrument.setValue(globalTag(tags::kTempoOffset), std::clamp(control->getValue(), 10.0f, 480.0f));
            controls->refreshTransport();
            return true;
        case et::kMasterLevel:
            instrument.setMasterLevel(std::clamp(std::round(control->getValue()), 0.0f, 127.0f));
            return true;
        case et::kMasterEq: equaliserChanged(FilterUpdate::kMasterTarget, control); return true;
        case et::kMasterEqSwitch: instrument.setMasterEqOn(control->getValue() != 0.0f); return true;
        case et::kMakerLink:
            if (control->getValue() != 0.0f)
                dialogs().openDocument(kMakerWebAddress);
            return true;
        case et::kUserManual:
            // In the language the musician reads the tooltips in.
            if (control->getValue() != 0.0f)
                menus->openUserManual(instrument.state().settings.tooltips == 1 ? "French" : "English");
            return true;
        case et::kWelcome: control->setVisible(false); return true;
        case et::kDragMidi:
            if (control->getValue() != 0.0f)
                dragPatternOut();
            return true;
        default: return false;
    }
}

void Editor::equaliserChanged(int target, CControl* control) {
    auto* filter = dynamic_cast<controls::CVornFilter*>(control);
    if (!filter)
        return;
    const int band = std::clamp(filter->getChangedBand(), 0, kEqBands - 1);
    const controls::FilterBand& settings = filter->getBands()[static_cast<std::size_t>(band)];
    if (target == FilterUpdate::kMasterTarget)
        instrument.setMasterEqBand(band, settings.frequency, settings.quality, settings.gain);
    else
        instrument.setTrackEqBand(target, band, settings.frequency, settings.quality, settings.gain);
}

// The pattern as a MIDI file in the library folder, dragged out to wherever the user drops it.
void Editor::dragPatternOut() {
    // The library folder's name ends without a separator; a library not yet installed gets the
    // folder, so the drag still has a file to offer.
    const std::string folder = libraryFolder(instrument.state().settings);
    if (!platform::makeFolders(folder))
        return;
    const std::string path = platform::joinPath(folder, "temp.mid");
    if (exportMidiFile(instrument.state(), path) != 0)
        return;
    if (frame)
        frame->startFileDrag(path);
}

// --- the sound editing page of the selected track --------------------------------------------

bool Editor::soundPageChanged(long tag, CControl* control) {
    const auto t = static_cast<std::size_t>(selectedTrack);
    const bool on = control->getValue() != 0.0f;
    using TrackSwitch = VornDrums::TrackSwitch;
    switch (tag) {
        case et::kDecay:
        case et::kReverse:
        case et::kCharley:
            instrument.setValue(tags::trackTag(selectedTrack, static_cast<std::int32_t>(tag)), on ? 1.0f : 0.0f);
            instrument.updateTrack(selectedTrack);
            return true;
        case et::kSoundEq: equaliserChanged(selectedTrack, control); return true;
        case et::kSoundEqSwitch: instrument.setTrackSwitch(selectedTrack, TrackSwitch::eqOnSample, on); return true;
        case et::kSoundEqPage: instrument.setTrackSwitch(selectedTrack, TrackSwitch::eqOnSynth, on); return true;
        case et::kPhase: instrument.setTrackSwitch(selectedTrack, TrackSwitch::phaseInvert, on); return true;
        case et::kEditPage:
        case et::kWavePage:
            return true;  // the sound page shows all its parts at once; the switches keep their own state
        case et::kWave: waveChanged(control); return true;
        case et::kSynthRoute:
            instrument.setValue(tags::trackTag(selectedTrack, tags::kSynthRoute), on ? 1.0f : 0.0f);
            instrument.updateTrack(selectedTrack);
            return true;
        case et::kSynthMix: instrument.setSynthMix(selectedTrack, control->getValue()); return true;
        case et::kTuneScale: tuneScaleChanged(control); return true;
        case et::kKeyLabel:
            if (control->getValue() != 0.0f)
                showNoteSelector(NotePick::trackKey, kTrackKeyPanel,
                                 static_cast<int>(instrument.state().settings.trackKey[t]));
            return true;
        case et::kNoteSelect: notePicked(roundedValue(control)); return true;
        default: return false;
    }
}

void Editor::waveChanged(CControl* control) {
    auto* wave = dynamic_cast<controls::CVornWave*>(control);
    if (!wave)
        return;
    instrument.setValue(tags::trackTag(selectedTrack, tags::kStart), wave->getStart());
    instrument.setValue(tags::trackTag(selectedTrack, tags::kEnd), wave->getEnd());
}

void Editor::tuneScaleChanged(CControl* control) {
    auto* scale = dynamic_cast<controls::CVornTuneScaleSelect*>(control);
    if (!scale)
        return;
    std::array<bool, kScaleNotes> notes{};
    for (int semitone = 0; semitone < kScaleNotes; ++semitone)
        notes[static_cast<std::size_t>(semitone)] = scale->hasNote(semitone);
    instrument.setScaleNotes(selectedTrack, notes);
}

void Editor::showNoteSelector(NotePick purpose, const toolkit::CRect& where, int note) {
    controls::CVornNoteSelect* selector = controls->views().noteSelect;
    if (!selector)
        return;
    notePick = purpose;
    selector->showAt(where, note);
}

void Editor::notePicked(int note) {
    controls::CVornNoteSelect* selector = controls->views().noteSelect;
    if (selector && !selector->isPinned())
        selector->setVisible(false);
    if (notePick == NotePick::patternTrigger) {
        menus->takePatternTriggerKey(note);
        refreshMainMenu();
    } else if (note >= 0) {
        instrument.setTrackKey(selectedTrack, note);
        controls->refreshSoundPage(selectedTrack);
    }
}

// --- the pattern panel -----------------------------------------------------------------------

bool Editor::patternPanelChanged(long tag, CControl* control) {
    switch (tag) {
        case et::kPatternSelect:
            instrument.setValue(globalTag(tags::kCurrentPatternOffset), control->getValue());
            break;
        case et::kLoopSelect: loopRangeChanged(control); break;
        case et::kLoopMode:
        case et::kChainMode:
        case et::kRandomMode:
            // The three modes are one choice: the switch pressed is the mode, the others go out.
            instrument.setValue(globalTag(tags::kPlayModeOffset), static_cast<float>(tag - et::kLoopMode));
            break;
        case et::kPatternPage: showPage(roundedValue(control)); return true;
        case et::kHoldTuneMode:
            holdTuneMode = control->getValue() != 0.0f;
            applyStepEditModes();
            return true;
        case et::kShortHoldMode:
            shortHoldMode = control->getValue() != 0.0f;
            applyStepEditModes();
            return true;
        // The faders run 0 to 1 over the instrument's 0 to 127.
        case et::kSwing:
            instrument.setValue(globalTag(tags::kSwingOffset), std::round(control->getValue() * 127.0f));
            return true;
        case et::kFillAttenuation:
            instrument.setValue(globalTag(tags::kFillAttenuationOffset), std::round(control->getValue() * 127.0f));
            return true;
        case et::kRotateLeft:
        case et::kRotateRight:
            if (control->getValue() == 0.0f)
                return true;
            if (tag == et::kRotateLeft)
                rotatePatternLeft(instrument);
            else
                rotatePatternRight(instrument);
            controls->syncPatternRows();
            return true;
        default: return false;
    }
    controls->refreshPatternPanel();
    attachGrids();
    controls->syncPatternRows();
    return true;
}

void Editor::loopRangeChanged(CControl* control) {
    auto* loop = dynamic_cast<controls::CVornLoopSelect*>(control);
    if (!loop)
        return;
    for (int pattern = 0; pattern < kPatternCount; ++pattern) {
        const bool inside = pattern >= loop->getFirst() && pattern <= loop->getLast();
        instrument.setValue(globalTag(tags::kChainEnabledOffset + pattern), inside ? 1.0f : 0.0f);
    }
}

// The modes of the switches over every grid, and the switches lit as the modes are.
void Editor::applyStepEditModes() {
    for (TrackStripViews& strip : controls->views().strips) {
        strip.steps->setLengthMode(holdTuneMode);
        strip.steps->setShortHoldMode(shortHoldMode);
    }
    controls->views().holdTuneMode->setValue(holdTuneMode ? 1.0f : 0.0f);
    controls->views().shortHoldMode->setValue(shortHoldMode ? 1.0f : 0.0f);
}

void Editor::showPage(int page) {
    displayedPage = std::clamp(page, 0, 3);
    controls->showPage(displayedPage);
}

// --- the random generator --------------------------------------------------------------------

bool Editor::randomPanelChanged(long tag, CControl* control) {
    const bool pressed = control->getValue() != 0.0f;
    switch (tag) {
        case et::kRandomGenerate:
            if (!pressed)
                return true;
            if (isRightClick(control))
                toggleRandomAuto();
            else
                instrument.requestRandomRegeneration();
            break;
        case et::kRandomReset:
            if (!pressed)
                return true;
            instrument.requestRandomClear();
            break;
        case et::kRandomSave:
            if (!pressed)
                return true;
            instrument.keepRandomKeystrokes();
            break;
        // The three latching switches store what they show, lit or not.
        case et::kRandomModeButton:
            instrument.setRandomPerPattern(pressed);
            // The density rows show the settings now in force.
            for (int track = 0; track < instrument.getTrackCount(); ++track)
                controls->refreshTrack(track);
            break;
        case et::kRandomGraphButton: instrument.setRandomGraphVisible(pressed); break;
        case et::kRandomPlay: instrument.setValue(globalTag(tags::kRandomAutoOffset), pressed ? 1.0f : 0.0f); break;
        case et::kRandomGraph: randomGraphChanged(control); break;
        default: return false;
    }
    controls->refreshPatternPanel();
    controls->syncPatternRows();
    return true;
}

// The random keystrokes drawn anew at the start of every pattern loop, or no longer.
void Editor::toggleRandomAuto() {
    instrument.setValue(globalTag(tags::kRandomAutoOffset), instrument.state().randomAuto != 0 ? 0.0f : 1.0f);
}

// A rectangle of the range graph gives the tracks it covers its density range; tracks the other
// rectangle does not cover lose theirs.
void Editor::randomGraphChanged(CControl* control) {
    auto* graph = dynamic_cast<controls::CVornRandomGraphCtrl*>(control);
    if (!graph)
        return;
    const int changed = roundedValue(control) & 1;
    const controls::GraphRect& rect = graph->getRect(changed);
    const controls::GraphRect& other = graph->getRect(changed ^ 1);
    graphRects = {graph->getRect(0), graph->getRect(1)};
    if (rect.y1 < 0.02f)
        return;
    const int tracks = instrument.getTrackCount();
    const auto trackAt = [tracks](float y) { return static_cast<int>(static_cast<float>(tracks) * y * 0.95f); };
    const bool otherCovers = other.y1 >= 0.02f;
    const int otherFirst = otherCovers ? trackAt(other.y0) : 1;
    const int otherLast = otherCovers ? trackAt(other.y1) : 0;
    const auto coveredByOther = [&](int track) { return track >= otherFirst && track <= otherLast; };
    for (int track = 0; track < tracks; ++track) {
        if (coveredByOther(track))
            continue;
        instrument.setRandomSettings(track, -1.0f, -1.0f, randomRangeInForce(instrument.state(), track).maxRoll);
        instrument.requestTrackRandomClear(track);
    }
    for (int track = std::max(trackAt(rect.y0), 0); track <= std::min(trackAt(rect.y1), tracks - 1); ++track) {
        if (coveredByOther(track))
            continue;
        instrument.setRandomSettings(track, rect.x0 * 6.5f, rect.x1 * 6.5f,
                                     randomRangeInForce(instrument.state(), track).maxRoll);
        instrument.requestTrackRandomRegeneration(track);
    }
    for (int track = 0; track < tracks; ++track)
        controls->refreshTrack(track);
}

}  // namespace rimba
