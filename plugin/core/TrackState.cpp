// Resetting the state and keeping each track's derived values up to date.

#include <algorithm>
#include <atomic>
#include <cmath>

#include "plugin/core/SettingLaws.h"
#include "plugin/core/VornDrums.h"

namespace rimba {

namespace {

// Moves `value` 1% of the way to `target`, and not at all once within 1e-6, so smoothed gains
// settle instead of creeping through denormals.
void approach(float& value, float target) {
    if (std::fabs(target - value) > 1e-6f)
        value += (target - value) * 0.01f;
}

}  // namespace

void VornDrums::resetSequencer() {
    for (int t = 0; t < kTrackSlots; ++t) {
        const auto slot = static_cast<std::size_t>(t);
        patterns[slot].reset();
        tracks.randomMinDensity[slot] = -1.0f;
        tracks.randomMaxDensity[slot] = -1.0f;
        tracks.randomMaxRoll[slot] = 0.0f;
        tracks.soundPath[slot].fill(0);
        tracks.tuneRatio[slot] = 1.0f;
    }
    patternSteps.fill(16);
    chainEnabled.fill(0);
    choosePattern(0);
    playMode = 1;
    swing = 0;
    fillAttenuation = 64;
    randomAuto = 0;
    randomPerPattern = 0;
    randomGraphVisible = 0;
    setPlaying(1);
    tempo = 120;
    previousTempo = 120;
    effectEnabled.fill(0);
    resetMasterEqualiser();
    playingPattern = 0;
    currentStep = 0;
    expectedStep = -1;
    selectedTrack = 0;
    soloSelected = 0;
    controlCounter = 0;
    midiInput.discardQueued();
    for (int v = 0; v < kTrackSlots; ++v)
        voices[static_cast<std::size_t>(v)].reset(trackCount < 2 ? 0 : v);
}

void VornDrums::resetMasterEqualiser() {
    masterEqOn = 0.0f;
    masterEqFreq = kDefaultEqFreq;
    masterEqQ.fill(kDefaultEqQ);
    masterEqGain.fill(0.0f);
    filterUpdates.dropMasterUpdates();
    for (int band = 0; band < kEqBands; ++band) {
        masterEq[static_cast<std::size_t>(band)].resetState();
        queueEqUpdate(FilterUpdate::kMasterTarget, band);
    }
}

void VornDrums::resetTrackEqualiser(int track) {
    forgetRest(trackRest[static_cast<std::size_t>(track)]);
    for (int band = 0; band < kEqBands; ++band) {
        trackEq[static_cast<std::size_t>(track)][static_cast<std::size_t>(band)].resetState();
        queueEqUpdate(track, band);
    }
}

void VornDrums::resetTracks() {
    for (int t = 0; t < trackCount; ++t) {
        tracks.resetTrack(t);
        resetTrackEqualiser(t);
        updateTrack(t);
    }
}

bool VornDrums::queueEqUpdate(int target, int band) {
    if (band < 0 || band >= kEqBands || (target != FilterUpdate::kMasterTarget && !isActiveTrack(target)))
        return false;
    const auto b = static_cast<std::size_t>(band);
    float gain = 0.0f;
    float freq = 0.0f;
    float q = 0.0f;
    if (target == FilterUpdate::kMasterTarget) {
        gain = masterEqGain[b];
        freq = masterEqFreq[b];
        q = masterEqQ[b];
    } else {
        const auto t = static_cast<std::size_t>(target);
        gain = tracks.eqGain[t][b];
        freq = tracks.eqFreq[t][b];
        q = tracks.eqQ[t][b];
    }
    const EqCoefficients coefficients =
        designEqBand(eqBandKind(band), eqGainDb(gain), eqFrequencyHz(freq), q, sampleRate);
    const FilterUpdate update{.target = target, .band = band, .coefficients = coefficients};
    if (filterUpdates.queue(update))
        return true;
    if (!handshake.heldOffByThisThread())
        return false;
    filterUpdates.compactWhileHeldOff();
    return filterUpdates.queue(update);
}

void VornDrums::updateTrackGains(int track) {
    const auto t = static_cast<std::size_t>(track);
    const float level = levelGainFromSetting(tracks.level[t], tracks.mute[t] != 0.0f);
    const float send1 = sendGainFromSetting(tracks.send1[t]);
    const float send2 = sendGainFromSetting(tracks.send2[t]);
    // The render loop reads them at its control updates, each on its own.
    for (TrackVoice& voice : voices) {
        if (voice.track != track)
            continue;
        std::atomic_ref<float>(voice.levelGain).store(level, std::memory_order_relaxed);
        std::atomic_ref<float>(voice.sendGain1).store(send1, std::memory_order_relaxed);
        std::atomic_ref<float>(voice.sendGain2).store(send2, std::memory_order_relaxed);
    }
}

void VornDrums::rebuildScaleList(int track) {
    const auto t = static_cast<std::size_t>(track);
    std::int32_t count = 0;
    if (tracks.tuneScale[t] != 0.0f) {
        for (int note = 0; note < kScaleNotes; ++note)
            if (tracks.scaleNotes[t][static_cast<std::size_t>(note)] != 0)
                tracks.scaleList[t][static_cast<std::size_t>(count++)] = note;
    }
    tracks.scaleListCount[t] = count;
}

void VornDrums::updateTrack(int track) {
    if (!isActiveTrack(track))
        return;
    // The derived values and the voices' control update are written while the render loop is
    // held off (it reads the derived values and owns the voices); the sound load below would
    // hold it off anyway.
    LoadGuard hold(handshake);
    const auto t = static_cast<std::size_t>(track);
    tracks.tuneRatio[t] = tuneRatioFromSetting(tracks.tune[t]);
    updateTrackGains(track);
    loadTrackSound(track);
    rebuildScaleList(track);
    if (tracks.synthRoute[t] != 0.0f && synthSlotLoaded())
        forwardTrackToSynth(track);
    for (TrackVoice& voice : voices)
        controlUpdate(voice);
}

void VornDrums::keepEndAfterStart(int track) {
    if (track < 0 || track >= kTrackSlots)
        return;
    const auto t = static_cast<std::size_t>(track);
    // The render loop reads both as they are (a start request, recomputeBounds).
    if (tracks.end[t] < tracks.start[t])
        storeRelaxed(tracks.end[t], tracks.start[t]);
}

void VornDrums::recomputeBounds(int track) {
    if (track < 0 || track >= kTrackSlots)
        return;
    const auto t = static_cast<std::size_t>(track);
    const float start = loadRelaxed(tracks.start[t]);
    const float end = std::max(loadRelaxed(tracks.end[t]), start);
    for (TrackVoice& voice : voices) {
        if (voice.track != track)
            continue;
        const Sound* sound = voiceSound(voice);
        const float frames = sound ? static_cast<float>(sound->frameCount) : 0.0f;
        voice.startBound = start * frames;
        voice.endBound = end * frames;
        if (voice.position < voice.startBound || voice.position >= voice.endBound)
            voice.position = -1.0f;
    }
}

void VornDrums::controlTargets(const TrackVoice& voice, float* targets) {
    const auto t = static_cast<std::size_t>(voice.track);
    // The settings are stored on the user-interface thread, each on its own.
    const float panSetting = std::clamp(loadRelaxed(tracks.pan[t]), 0.0f, 1.0f);
    const float polarity = loadRelaxed(tracks.phaseInvert[t]) != 0.0f ? -1.0f : 1.0f;

    Shares shares{1.0f, 1.0f};
    if (loadRelaxed(tracks.synthRoute[t]) != 0.0f)
        shares = sampleAndSynthShares(loadRelaxed(tracks.synthMix[t]));
    targets[kTargetSampleGain] = polarity * shares.sample;
    targets[kTargetSynthGain] = polarity * shares.synth * 0.5f;

    const SidePair pan = panFactors(panSetting);
    // Stored by updateTrackGains on the user-interface thread.
    auto& shared = const_cast<TrackVoice&>(voice);
    const float level = std::atomic_ref<float>(shared.levelGain).load(std::memory_order_relaxed);
    const float send1 = level * std::atomic_ref<float>(shared.sendGain1).load(std::memory_order_relaxed);
    const float send2 = level * std::atomic_ref<float>(shared.sendGain2).load(std::memory_order_relaxed);
    targets[kTargetGainLeft] = level * pan.left;
    targets[kTargetGainRight] = level * pan.right;
    targets[kTargetSend1Left] = send1 * pan.left;
    targets[kTargetSend1Right] = send1 * pan.right;
    targets[kTargetSend2Left] = send2 * pan.left;
    targets[kTargetSend2Right] = send2 * pan.right;
}

double VornDrums::controlSemitones(const TrackVoice& voice) const {
    const auto t = static_cast<std::size_t>(voice.track);
    double semitones = velocityTuneSemitones(voice.velocity, loadRelaxed(tracks.tuneVelocity[t]));
    const std::int32_t scaleCount = tracks.scaleListCount[t];
    if (scaleCount > 0) {
        // The semitone is mapped proportionally onto the allowed notes, not to the nearest one.
        const auto whole = static_cast<std::int64_t>(std::trunc(semitones));
        const std::int64_t octave = whole >= 0 ? whole / 12 : -((-whole + 11) / 12);
        const std::int64_t step = whole - octave * 12;
        semitones =
            static_cast<double>(12 * octave + tracks.scaleList[t][static_cast<std::size_t>(scaleCount * step / 12)]);
    }
    return semitones;
}

float VornDrums::controlRate(const TrackVoice& voice, double pitchFactor) const {
    double rate = pitchFactor * loadRelaxed(tracks.tuneRatio[static_cast<std::size_t>(voice.track)]);
    const std::int32_t outputRate = clockRate > 0 ? clockRate : sampleRate;
    if (const Sound* sound = voiceSound(voice); sound != nullptr && outputRate > 0)
        rate *= sound->sampleRate / static_cast<double>(outputRate);
    return static_cast<float>(rate);
}

void VornDrums::controlUpdate(TrackVoice& voice) {
    const int track = voice.track;
    if (track < 0 || track >= kTrackSlots)
        return;
    const auto t = static_cast<std::size_t>(track);
    float targets[kControlTargets];
    controlTargets(voice, targets);
    approach(voice.sampleGain, targets[kTargetSampleGain]);
    approach(voice.synthGain, targets[kTargetSynthGain]);
    tracks.eqActive[t] = loadRelaxed(tracks.eqOnSample[t]) + loadRelaxed(tracks.eqOnSynth[t]);
    voice.rate = controlRate(voice, std::pow(2.0, controlSemitones(voice) / 12.0));
    approach(voice.gainLeft, targets[kTargetGainLeft]);
    approach(voice.gainRight, targets[kTargetGainRight]);
    approach(voice.send1Left, targets[kTargetSend1Left]);
    approach(voice.send1Right, targets[kTargetSend1Right]);
    approach(voice.send2Left, targets[kTargetSend2Left]);
    approach(voice.send2Right, targets[kTargetSend2Right]);
}

}  // namespace rimba
