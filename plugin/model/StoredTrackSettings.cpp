#include "plugin/model/StoredTrackSettings.h"

namespace rimba {

std::array<float, chunk::kSettingCount> storedSettings(const TrackSettings& tracks, std::size_t t) {
    std::array<float, chunk::kSettingCount> s{};
    s[stored::kLevel] = tracks.level[t];
    s[stored::kPan] = tracks.pan[t];
    s[stored::kSend1] = tracks.send1[t];
    s[stored::kSend2] = tracks.send2[t];
    s[stored::kTune] = tracks.tune[t];
    s[stored::kLevelVelocity] = tracks.levelVelocity[t];
    s[stored::kTuneVelocity] = tracks.tuneVelocity[t];
    s[stored::kOneShot] = tracks.oneShot[t];
    s[stored::kReverse] = tracks.reverse[t];
    s[stored::kLoop] = tracks.loop[t];
    s[stored::kStart] = tracks.start[t];
    s[stored::kEnd] = tracks.end[t];
    s[stored::kRandomMinDensity] = tracks.randomMinDensity[t];
    s[stored::kMute] = tracks.mute[t];
    s[stored::kChoke] = tracks.choke[t];
    s[stored::kRandomMaxDensity] = tracks.randomMaxDensity[t];
    s[stored::kRandomMaxRoll] = tracks.randomMaxRoll[t];
    s[stored::kTuneScale] = tracks.tuneScale[t];
    s[stored::kSynthRoute] = tracks.synthRoute[t];
    s[stored::kEqOnSample] = tracks.eqOnSample[t];
    for (std::size_t b = 0; b < static_cast<std::size_t>(kEqBands); ++b) {
        s[stored::kEqBands + 3 * b] = tracks.eqFreq[t][b];
        s[stored::kEqBands + 3 * b + 1] = tracks.eqQ[t][b];
        s[stored::kEqBands + 3 * b + 2] = tracks.eqGain[t][b];
    }
    s[stored::kSynthMix] = tracks.synthMix[t];
    s[stored::kEqOnSynth] = tracks.eqOnSynth[t];
    s[stored::kPhaseInvert] = tracks.phaseInvert[t];
    return s;
}

void setStoredSettings(TrackSettings& tracks, std::size_t t, const std::array<float, chunk::kSettingCount>& s) {
    tracks.level[t] = s[stored::kLevel];
    tracks.pan[t] = s[stored::kPan];
    tracks.send1[t] = s[stored::kSend1];
    tracks.send2[t] = s[stored::kSend2];
    tracks.tune[t] = s[stored::kTune];
    tracks.levelVelocity[t] = s[stored::kLevelVelocity];
    tracks.tuneVelocity[t] = s[stored::kTuneVelocity];
    tracks.oneShot[t] = s[stored::kOneShot];
    tracks.reverse[t] = s[stored::kReverse];
    tracks.loop[t] = s[stored::kLoop];
    tracks.start[t] = s[stored::kStart];
    tracks.end[t] = s[stored::kEnd];
    tracks.randomMinDensity[t] = s[stored::kRandomMinDensity];
    tracks.mute[t] = s[stored::kMute];
    tracks.choke[t] = s[stored::kChoke];
    tracks.randomMaxDensity[t] = s[stored::kRandomMaxDensity];
    tracks.randomMaxRoll[t] = s[stored::kRandomMaxRoll];
    tracks.tuneScale[t] = s[stored::kTuneScale];
    tracks.synthRoute[t] = s[stored::kSynthRoute];
    tracks.eqOnSample[t] = s[stored::kEqOnSample];
    for (std::size_t b = 0; b < static_cast<std::size_t>(kEqBands); ++b) {
        tracks.eqFreq[t][b] = s[stored::kEqBands + 3 * b];
        tracks.eqQ[t][b] = s[stored::kEqBands + 3 * b + 1];
        tracks.eqGain[t][b] = s[stored::kEqBands + 3 * b + 2];
    }
    tracks.synthMix[t] = s[stored::kSynthMix];
    tracks.eqOnSynth[t] = s[stored::kEqOnSynth];
    tracks.phaseInvert[t] = s[stored::kPhaseInvert];
}

std::array<float, chunk::kSettingCount> resetStoredSettings() {
    std::array<float, chunk::kSettingCount> s{};
    s[stored::kLevel] = kDefaultLevel;
    s[stored::kPan] = 0.5f;
    s[stored::kLevelVelocity] = 1.0f;
    s[stored::kOneShot] = 1.0f;
    s[stored::kEnd] = 1.0f;
    s[stored::kRandomMinDensity] = -1.0f;
    s[stored::kRandomMaxDensity] = -1.0f;
    for (int band = 0; band < kEqBands; ++band) {
        s[static_cast<std::size_t>(stored::kEqBands + 3 * band)] = kDefaultEqFreq[static_cast<std::size_t>(band)];
        s[static_cast<std::size_t>(stored::kEqBands + 3 * band + 1)] = kDefaultEqQ;
    }
    s[stored::kSynthMix] = 0.5f;
    return s;
}

}  // namespace rimba
