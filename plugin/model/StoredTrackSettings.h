#pragma once
// A track's settings in the stored order of the instrument's files (the 32 floats of a program
// chunk's track, of which kits keep most), and the way back.

#include <array>
#include <cstddef>

#include "plugin/model/TrackSettings.h"

namespace rimba {

namespace chunk {
// A track's settings in files: 32 floats.
constexpr std::size_t kSettingCount = 32;
}  // namespace chunk

// Settings in stored order, the order of the 32 floats of a track.
namespace stored {
constexpr int kLevel = 0;
constexpr int kPan = 1;
constexpr int kSend1 = 2;
constexpr int kSend2 = 3;
constexpr int kTune = 4;
constexpr int kLevelVelocity = 5;
constexpr int kTuneVelocity = 6;
constexpr int kOneShot = 7;
constexpr int kReverse = 8;
constexpr int kLoop = 9;
constexpr int kStart = 10;
constexpr int kEnd = 11;
constexpr int kRandomMinDensity = 12;
constexpr int kMute = 13;
constexpr int kChoke = 14;
constexpr int kRandomMaxDensity = 15;
constexpr int kRandomMaxRoll = 16;
constexpr int kTuneScale = 17;
constexpr int kSynthRoute = 18;
constexpr int kEqOnSample = 19;
constexpr int kEqBands = 20;  // 20..28: frequency, Q and gain of band 0, then 1, then 2
constexpr int kSynthMix = 29;
constexpr int kEqOnSynth = 30;
constexpr int kPhaseInvert = 31;
}  // namespace stored


std::array<float, chunk::kSettingCount> storedSettings(const TrackSettings& tracks, std::size_t t);
void setStoredSettings(TrackSettings& tracks, std::size_t t, const std::array<float, chunk::kSettingCount>& s);

// The stored settings of a track in its reset state.
std::array<float, chunk::kSettingCount> resetStoredSettings();

}  // namespace rimba
