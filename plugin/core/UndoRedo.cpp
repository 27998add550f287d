// Undo and redo from the instrument's side: what is editable taken into an EditState, and the
// parts of a step put back through the same paths the editor's own changes take, so derived
// values (gains, bounds, equaliser coefficients, the synth's copies) follow. Main thread only.

#include <algorithm>

#include "plugin/core/VornDrums.h"
#include "plugin/model/StoredTrackSettings.h"

namespace rimba {

namespace {

bool sameBand(const TrackEdit& a, const TrackEdit& b, int band) {
    for (int part = 0; part < 3; ++part) {
        const auto at = static_cast<std::size_t>(stored::kEqBands + band * 3 + part);
        if (a.settings[at] != b.settings[at])
            return false;
    }
    return true;
}

bool sameSoundSettings(const TrackEdit& a, const TrackEdit& b) {
    return a.settings == b.settings && a.soundPath == b.soundPath && a.scaleNotes == b.scaleNotes;
}

}  // namespace

EditState VornDrums::editState() const {
    EditState state;
    state.tracks.reserve(static_cast<std::size_t>(trackCount));
    state.patterns.reserve(static_cast<std::size_t>(trackCount) * kPatternCount);
    for (int track = 0; track < trackCount; ++track) {
        state.tracks.push_back(trackEdit(track));
        for (int pattern = 0; pattern < kPatternCount; ++pattern)
            state.patterns.push_back(patternEdit(track, pattern));
    }
    state.globals = globalEdit();
    return state;
}

TrackEdit VornDrums::trackEdit(int track) const {
    const auto t = static_cast<std::size_t>(track);
    const TrackPatterns& planes = patterns[t];
    TrackEdit edit;
    edit.settings = storedSettings(tracks, t);
    edit.soundPath = tracks.soundPath[t];
    edit.scaleNotes = tracks.scaleNotes[t];
    edit.stepTune = planes.stepTune;
    edit.key = settings.trackKey[t];
    return edit;
}

PatternEdit VornDrums::patternEdit(int track, int pattern) const {
    const TrackPatterns& planes = patterns[static_cast<std::size_t>(track)];
    const auto p = static_cast<std::size_t>(pattern);
    PatternEdit edit;
    edit.velocity = planes.stepVelocity[p];
    edit.hold = planes.stepHold[p];
    edit.roll = planes.stepRoll[p];
    edit.randomMinDensity = planes.randomMinDensity[p];
    edit.randomMaxDensity = planes.randomMaxDensity[p];
    edit.randomMaxRoll = planes.randomMaxRoll[p];
    return edit;
}

GlobalEdit VornDrums::globalEdit() const {
    GlobalEdit edit;
    edit.patternSteps = patternSteps;
    edit.chainEnabled = chainEnabled;
    edit.playMode = playMode;
    edit.swing = swing;
    edit.fillAttenuation = fillAttenuation;
    edit.randomAuto = randomAuto;
    edit.randomPerPattern = randomPerPattern;
    edit.randomGraphVisible = randomGraphVisible;
    edit.tempo = tempo;
    edit.effectEnabled = effectEnabled;
    edit.masterEqOn = masterEqOn;
    edit.masterEqFreq = masterEqFreq;
    edit.masterEqQ = masterEqQ;
    edit.masterEqGain = masterEqGain;
    edit.masterLevel = settings.masterLevel;
    edit.muteMidiKey = settings.muteMidiKey;
    edit.patternTriggerMidiKey = settings.patternTriggerMidiKey;
    edit.soloSelected = soloSelected;
    edit.soloTrack = selectedTrack;
    return edit;
}

void VornDrums::beginGesture() {
    if (!gestureStart)
        gestureStart = editState();
}

void VornDrums::endGesture() {
    if (!gestureStart)
        return;
    history.record(*gestureStart, editState());
    gestureStart.reset();
}

bool VornDrums::undo() {
    endGesture();
    const EditStep* step = history.undo();
    if (step == nullptr)
        return false;
    applyEditChange(step->after, step->before);
    return true;
}

bool VornDrums::redo() {
    endGesture();
    const EditStep* step = history.redo();
    if (step == nullptr)
        return false;
    applyEditChange(step->before, step->after);
    return true;
}

// The two sides of a step name the same parts in the same order.
void VornDrums::applyEditChange(const EditChange& from, const EditChange& to) {
    for (std::size_t i = 0; i < to.tracks.size(); ++i) {
        const int track = static_cast<int>(to.tracks[i].first);
        if (isActiveTrack(track))
            applyTrackEdit(track, moved(trackEdit(track), from.tracks[i].second, to.tracks[i].second));
    }
    for (std::size_t i = 0; i < to.patterns.size(); ++i) {
        const int track = static_cast<int>(to.patterns[i].first / kPatternCount);
        const int pattern = static_cast<int>(to.patterns[i].first % kPatternCount);
        if (isActiveTrack(track))
            applyPatternEdit(track, pattern,
                             moved(patternEdit(track, pattern), from.patterns[i].second, to.patterns[i].second));
    }
    if (from.globals && to.globals)
        applyGlobalEdit(moved(globalEdit(), *from.globals, *to.globals));
}

void VornDrums::applyTrackEdit(int track, const TrackEdit& edit) {
    const auto t = static_cast<std::size_t>(track);
    const TrackEdit now = trackEdit(track);
    TrackPatterns& planes = patterns[t];
    planes.stepTune = edit.stepTune;
    storeRelaxed(settings.trackKey[t], edit.key);
    if (sameSoundSettings(now, edit))
        return;
    // A sound path, a scale or a setting changed: the track's derived values are recomputed as
    // after an edit on its strip (updateTrack loads a sound it does not hold yet). The settings
    // are put back whole while the render loop is held off, as updateTrack holds it anyway.
    LoadGuard hold(handshake);
    tracks.soundPath[t] = edit.soundPath;
    tracks.scaleNotes[t] = edit.scaleNotes;
    setStoredSettings(tracks, t, edit.settings);
    for (int band = 0; band < kEqBands; ++band)
        if (!sameBand(now, edit, band))
            queueEqUpdate(track, band);
    updateTrack(track);
}

void VornDrums::applyPatternEdit(int track, int pattern, const PatternEdit& edit) {
    TrackPatterns& planes = patterns[static_cast<std::size_t>(track)];
    const auto p = static_cast<std::size_t>(pattern);
    // The render loop takes the played planes whole at the start of a block, and reads the random
    // ranges as they are, value by value.
    const StepEdit whole(stepEdits[static_cast<std::size_t>(track)]);
    for (std::size_t s = 0; s < kMaxSteps; ++s) {
        storeStepValue(planes.stepVelocity[p][s], edit.velocity[s]);
        storeStepValue(planes.stepRoll[p][s], edit.roll[s]);
    }
    planes.stepHold[p] = edit.hold;
    storeRelaxed(planes.randomMinDensity[p], edit.randomMinDensity);
    storeRelaxed(planes.randomMaxDensity[p], edit.randomMaxDensity);
    storeRelaxed(planes.randomMaxRoll[p], edit.randomMaxRoll);
}

void VornDrums::applyGlobalEdit(const GlobalEdit& edit) {
    const GlobalEdit now = globalEdit();
    // The render loop reads these as they are, each on its own; the equaliser's bands reach it
    // as coefficients.
    storeRelaxedAll(patternSteps, edit.patternSteps);
    storeRelaxedAll(chainEnabled, edit.chainEnabled);
    storeRelaxed(playMode, edit.playMode);
    storeRelaxed(swing, edit.swing);
    storeRelaxed(fillAttenuation, edit.fillAttenuation);
    storeRelaxed(randomAuto, edit.randomAuto);
    storeRelaxed(randomPerPattern, edit.randomPerPattern);
    randomGraphVisible = edit.randomGraphVisible;
    storeRelaxed(tempo, edit.tempo);
    storeRelaxedAll(effectEnabled, edit.effectEnabled);
    storeRelaxed(masterEqOn, edit.masterEqOn);
    masterEqFreq = edit.masterEqFreq;
    masterEqQ = edit.masterEqQ;
    masterEqGain = edit.masterEqGain;
    storeRelaxed(settings.masterLevel, edit.masterLevel);
    storeRelaxed(settings.muteMidiKey, edit.muteMidiKey);
    storeRelaxed(settings.patternTriggerMidiKey, edit.patternTriggerMidiKey);
    storeRelaxed(soloSelected, static_cast<std::uint8_t>(edit.soloSelected));
    storeRelaxed(selectedTrack, edit.soloTrack);
    for (int band = 0; band < kEqBands; ++band) {
        const auto b = static_cast<std::size_t>(band);
        if (now.masterEqFreq[b] != edit.masterEqFreq[b] || now.masterEqQ[b] != edit.masterEqQ[b] ||
            now.masterEqGain[b] != edit.masterEqGain[b])
            queueEqUpdate(FilterUpdate::kMasterTarget, band);
    }
    // An insert switched on or off changes what the master is held back by.
    if (now.effectEnabled != edit.effectEnabled)
        reportLatency();
}

}  // namespace rimba
