// The changes the editor, the pattern tools and the companion make to the state, one function
// each, so that what a change needs besides the value (the gains, the scale, the equaliser's
// coefficients, the host told) follows it wherever it is made. Main thread only.

#include <atomic>

#include "plugin/core/PatternSets.h"
#include "plugin/core/VornDrums.h"
#include "plugin/model/Tags.h"

namespace rimba {

namespace {

std::size_t at(int index) { return static_cast<std::size_t>(index); }

float switchValue(bool on) { return on ? 1.0f : 0.0f; }

// The settings the render loop reads are stored each on its own, relaxed (PatternPlanes.h); the
// MIDI settings among them are read by the audio thread as MIDI arrives.
void storeMidiSetting(std::int32_t& field, std::int32_t value) { storeRelaxed(field, value); }

}  // namespace

void VornDrums::setSolo(int track, bool on) {
    if (on)
        storeRelaxed(selectedTrack, track);
    storeRelaxed(soloSelected, on ? 1 : 0);
}

void VornDrums::setMasterLevel(float level) { storeRelaxed(settings.masterLevel, level); }

void VornDrums::setMasterEqOn(bool on) { storeRelaxed(masterEqOn, switchValue(on)); }

bool VornDrums::setMasterEqBand(int band, float frequency, float quality, float gain) {
    const auto b = at(band);
    masterEqFreq[b] = frequency;
    masterEqQ[b] = quality;
    masterEqGain[b] = gain;
    return queueEqUpdate(FilterUpdate::kMasterTarget, band);
}

bool VornDrums::setTrackEqBand(int track, int band, float frequency, float quality, float gain) {
    const auto t = at(track);
    const auto b = at(band);
    tracks.eqFreq[t][b] = frequency;
    tracks.eqQ[t][b] = quality;
    tracks.eqGain[t][b] = gain;
    return queueEqUpdate(track, band);
}

void VornDrums::setTrackSwitch(int track, TrackSwitch which, bool on) {
    const auto t = at(track);
    switch (which) {
        case TrackSwitch::eqOnSample: storeRelaxed(tracks.eqOnSample[t], switchValue(on)); break;
        case TrackSwitch::eqOnSynth: storeRelaxed(tracks.eqOnSynth[t], switchValue(on)); break;
        case TrackSwitch::phaseInvert:
            storeRelaxed(tracks.phaseInvert[t], switchValue(on));
            updateTrack(track);
            break;
    }
}

void VornDrums::setSynthMix(int track, float mix) {
    storeRelaxed(tracks.synthMix[at(track)], mix);
    updateTrack(track);
}

void VornDrums::setScaleNotes(int track, const std::array<bool, kScaleNotes>& notes) {
    bool any = false;
    for (std::size_t semitone = 0; semitone < notes.size(); ++semitone) {
        tracks.scaleNotes[at(track)][semitone] = notes[semitone] ? 1 : 0;
        any = any || notes[semitone];
    }
    setValue(tags::trackTag(track, tags::kTuneScale), switchValue(any));
    updateTrack(track);
}

void VornDrums::setTrackKey(int track, int key) { storeRelaxed(settings.trackKey[at(track)], static_cast<float>(key)); }

void VornDrums::setRandomSettings(int track, float minDensity, float maxDensity, float maxRoll) {
    const int pattern = currentPattern.load();
    if (randomPerPattern == 0 || pattern < 0 || pattern >= kPatternCount) {
        setTrackRandomSettings(track, minDensity, maxDensity, maxRoll);
        return;
    }
    // The render loop's automatic redraw reads them as they are, each on its own.
    TrackPatterns& planes = patterns[at(track)];
    const auto p = at(pattern);
    storeRelaxed(planes.randomMinDensity[p], minDensity);
    storeRelaxed(planes.randomMaxDensity[p], maxDensity);
    storeRelaxed(planes.randomMaxRoll[p], maxRoll);
}

void VornDrums::setTrackRandomSettings(int track, float minDensity, float maxDensity, float maxRoll) {
    const auto t = at(track);
    storeRelaxed(tracks.randomMinDensity[t], minDensity);
    storeRelaxed(tracks.randomMaxDensity[t], maxDensity);
    storeRelaxed(tracks.randomMaxRoll[t], maxRoll);
}

void VornDrums::setRandomPerPattern(bool on) {
    storeRelaxed(randomPerPattern, on ? 1 : 0);
    randomGraphVisible = 0;
}

void VornDrums::setRandomGraphVisible(bool on) { randomGraphVisible = on ? 1 : 0; }

void VornDrums::setTrackPatterns(int track, const TrackPatterns& planes) {
    TrackPatterns& live = patterns[at(track)];
    // The render loop takes the played planes whole at the start of a block (PlayedSteps.h), and
    // reads the random ranges at a redraw as they are, value by value.
    const StepEdit edit(stepEdits[at(track)]);
    for (std::size_t p = 0; p < kPatternCount; ++p) {
        for (std::size_t s = 0; s < kMaxSteps; ++s) {
            storeStepValue(live.stepVelocity[p][s], planes.stepVelocity[p][s]);
            storeStepValue(live.stepRoll[p][s], planes.stepRoll[p][s]);
        }
    }
    live.stepHold = planes.stepHold;
    live.stepTune = planes.stepTune;
    storeRelaxedAll(live.randomMinDensity, planes.randomMinDensity);
    storeRelaxedAll(live.randomMaxDensity, planes.randomMaxDensity);
    storeRelaxedAll(live.randomMaxRoll, planes.randomMaxRoll);
}

void VornDrums::setPatternStep(int track, int pattern, int step, const PatternStep& values) {
    TrackPatterns& live = patterns[at(track)];
    const auto p = at(pattern);
    const auto s = at(step);
    // The render loop takes the played planes whole at the start of a block (PlayedSteps.h).
    const StepEdit edit(stepEdits[at(track)]);
    storeStepValue(live.stepVelocity[p][s], values.velocity);
    storeStepValue(live.stepRoll[p][s], values.roll);
    live.stepHold[p][s] = values.hold;
}

void VornDrums::setStepTune(int track, int step, float semitones) {
    patterns[at(track)].stepTune[at(step)] = semitones;
}

void VornDrums::setPatternSteps(int pattern, int steps) { storeRelaxed(patternSteps[at(pattern)], steps); }

void VornDrums::setPlayMode(std::int32_t mode) { storeRelaxed(playMode, mode); }

void VornDrums::setTrackSound(int track, const std::string& path) {
    storeSoundPath(tracks.soundPath[at(track)], path);
    loadTrackSound(track);
    setValue(tags::trackTag(track, tags::kStart), 0.0f);
    setValue(tags::trackTag(track, tags::kEnd), 1.0f);
}

Result<int> VornDrums::loadPatternSet(const std::string& path) { return rimba::loadPatternSet(*this, path); }

Result<int> VornDrums::loadPatternFile(const std::string& path, int pattern) {
    return rimba::loadPattern(*this, path, pattern);
}

void VornDrums::newPatterns() { rimba::resetPatterns(*this); }

std::int32_t VornDrums::drawEditRandom() { return editRandom.next(); }

std::string& VornDrums::rememberedPathSetting(RememberedPath which) {
    switch (which) {
        case RememberedPath::programFile: return settings.programFile;
        case RememberedPath::kitFile: return settings.drumKitFile;
        case RememberedPath::patternSetFile: return settings.patternSetFile;
        case RememberedPath::patternFile: return settings.patternFile;
        case RememberedPath::savedPatternFile: return settings.savePatternFile;
        case RememberedPath::audioExport: return settings.exportAudioFilePath;
        case RememberedPath::midiExport: return settings.exportMidiFilePath;
        case RememberedPath::soundFolder: return settings.drumFilesPath;
        case RememberedPath::soundSaveFolder: return settings.drumSaveFilesPath;
        case RememberedPath::appFolder: return settings.filesPath;
        case RememberedPath::effectsFolder: return settings.effectPath;
    }
    return settings.programFile;
}

const std::string& VornDrums::rememberedPath(RememberedPath which) const {
    return const_cast<VornDrums*>(this)->rememberedPathSetting(which);
}

void VornDrums::setRememberedPath(RememberedPath which, const std::string& path) {
    if (which == RememberedPath::savedPatternFile)
        settings.patternFile = path;
    rememberedPathSetting(which) = path;
}

void VornDrums::setAutoscroll(bool on) { settings.autoscroll = on ? 1 : 0; }

void VornDrums::setStepAndVumeter(bool on) { settings.stepAndVumeter = on ? 1 : 0; }

void VornDrums::setReceiveMidiChannel(std::int32_t channel) { storeMidiSetting(settings.receiveMidiChannel, channel); }

void VornDrums::setMidiProgramChange(bool on) { storeMidiSetting(settings.enableMidiProgramChange, on ? 1 : 0); }

void VornDrums::setPatternTriggerKey(std::int32_t key) { storeMidiSetting(settings.patternTriggerMidiKey, key); }

void VornDrums::setMuteMidiKey(bool on) { storeMidiSetting(settings.muteMidiKey, on ? 1 : 0); }

void VornDrums::setKnobBehaviorMode(std::int32_t mode) { settings.knobBehaviorMode = mode; }

void VornDrums::setNextTrackCount(std::int32_t count) { settings.channelNumber = count; }

void VornDrums::chooseStandaloneAudioDevice(const std::string& name) {
    settings.audioDevice = name;
    setParameterAutomated(kStandaloneAudioDevice, 0.0f);
}

void VornDrums::chooseStandaloneMidiDevice(const std::string& name) {
    settings.midiDevice = name;
    setParameterAutomated(kStandaloneMidiDevice, 0.0f);
}

void VornDrums::chooseStandaloneSampleRate(std::int32_t rate) {
    settings.standaloneSampleRate = rate;
    setParameterAutomated(kStandaloneSampleRate, static_cast<float>(rate));
}

void VornDrums::chooseStandaloneBufferSize(std::int32_t frames) {
    settings.standaloneBufferSize = frames;
    setParameterAutomated(kStandaloneBufferSize, static_cast<float>(frames));
}

}  // namespace rimba
