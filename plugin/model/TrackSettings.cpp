#include "plugin/model/TrackSettings.h"

#include <algorithm>
#include <cstring>

namespace rimba {

namespace {

// Slot order of the tag space; index 0 is the sound, which is not a value.
constexpr PerTrack<float> TrackSettings::*kSlotFields[kSlotsPerTrack] = {
    nullptr,
    &TrackSettings::level,
    &TrackSettings::pan,
    &TrackSettings::send1,
    &TrackSettings::send2,
    &TrackSettings::tune,
    &TrackSettings::levelVelocity,
    &TrackSettings::tuneVelocity,
    &TrackSettings::mute,
    &TrackSettings::oneShot,
    &TrackSettings::reverse,
    &TrackSettings::loop,
    &TrackSettings::start,
    &TrackSettings::end,
    &TrackSettings::randomMinDensity,
    &TrackSettings::randomMaxDensity,
    &TrackSettings::randomMaxRoll,
    &TrackSettings::choke,
    &TrackSettings::tuneScale,
    &TrackSettings::synthRoute,
};

bool validTrack(int track) { return track >= 0 && track < kTrackSlots; }

}  // namespace

float* TrackSettings::slot(int track, int slotIndex) {
    return const_cast<float*>(static_cast<const TrackSettings*>(this)->slot(track, slotIndex));
}

const float* TrackSettings::slot(int track, int slotIndex) const {
    if (!validTrack(track) || slotIndex < 1 || slotIndex >= kSlotsPerTrack)
        return nullptr;
    return &(this->*kSlotFields[slotIndex])[static_cast<std::size_t>(track)];
}

void TrackSettings::resetTrack(int track) {
    if (!validTrack(track))
        return;
    const auto t = static_cast<std::size_t>(track);
    level[t] = kDefaultLevel;
    pan[t] = 0.5f;
    send1[t] = 0.0f;
    send2[t] = 0.0f;
    tune[t] = 0.0f;
    levelVelocity[t] = 1.0f;
    tuneVelocity[t] = 0.0f;
    mute[t] = 0.0f;
    oneShot[t] = 1.0f;
    reverse[t] = 0.0f;
    loop[t] = 0.0f;
    start[t] = 0.0f;
    end[t] = 1.0f;
    randomMinDensity[t] = -1.0f;
    randomMaxDensity[t] = -1.0f;
    randomMaxRoll[t] = 0.0f;
    choke[t] = 0.0f;
    tuneScale[t] = 0.0f;
    synthRoute[t] = 0.0f;
    synthMix[t] = 0.5f;
    eqOnSynth[t] = 0.0f;
    phaseInvert[t] = 0.0f;
    eqOnSample[t] = 0.0f;
    eqFreq[t] = kDefaultEqFreq;
    eqQ[t].fill(kDefaultEqQ);
    eqGain[t].fill(0.0f);
    scaleNotes[t].fill(1);
    soundPath[t].fill(0);
    eqActive[t] = 0.0f;
    tuneRatio[t] = 1.0f;
    scaleList[t].fill(0);
    scaleListCount[t] = 0;
}

std::string soundPathText(const std::array<char, kSoundPathLength>& field) {
    return std::string(field.data(), strnlen(field.data(), field.size()));
}

void storeSoundPath(std::array<char, kSoundPathLength>& field, const std::string& path) {
    field.fill(0);
    if (path.size() < field.size())
        std::copy(path.begin(), path.end(), field.begin());
}

}  // namespace rimba
