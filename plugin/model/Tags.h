#pragma once
// The tag space: one integer per value, shared by the editor's controls and the host parameters.
// Track settings are track * 20 + slot; the step grids take the range above them; the global
// values follow at 1044 * trackCount.

#include <cstdint>

#include "plugin/model/Constants.h"

namespace rimba::tags {

// Slots of a track's tag range, in order.
enum TrackSlot : std::int32_t {
    kSound = 0,
    kLevel,
    kPan,
    kSend1,
    kSend2,
    kTune,
    kLevelVelocity,
    kTuneVelocity,
    kMute,
    kOneShot,
    kReverse,
    kLoop,
    kStart,
    kEnd,
    kRandomMinDensity,
    kRandomMaxDensity,
    kRandomMaxRoll,
    kChoke,
    kTuneScale,
    kSynthRoute,
};

// Offsets of the global values from globalBase().
enum GlobalOffset : std::int32_t {
    kPatternStepsOffset = 0,  // + pattern 0..15
    kChainEnabledOffset = 16,  // + pattern 0..15
    kCurrentPatternOffset = 32,
    kPlayModeOffset = 33,
    kSwingOffset = 34,
    kRandomAutoOffset = 35,
    kPlayingOffset = 36,
    kTempoOffset = 37,
    kEffectEnabledOffset = 38,  // + slot 0..3: send 1, send 2, insert 1, insert 2
    kFillAttenuationOffset = 42,
};

constexpr std::int32_t kPatternRandomBase = 0x10000;  // + track

constexpr std::int32_t trackTag(std::int32_t track, std::int32_t slot) { return track * kSlotsPerTrack + slot; }
constexpr std::int32_t stepGridFirst(std::int32_t trackCount) { return kSlotsPerTrack * trackCount; }
constexpr std::int32_t globalBase(std::int32_t trackCount) { return 1044 * trackCount; }
constexpr bool isTrackTag(std::int32_t tag, std::int32_t trackCount) {
    return tag >= 0 && tag < stepGridFirst(trackCount);
}
constexpr bool isStepGridTag(std::int32_t tag, std::int32_t trackCount) {
    return tag >= stepGridFirst(trackCount) && tag < globalBase(trackCount);
}
constexpr bool isPatternRandomTag(std::int32_t tag, std::int32_t trackCount) {
    return tag >= kPatternRandomBase && tag < kPatternRandomBase + trackCount;
}

}  // namespace rimba::tags
