#pragma once
// The per-track settings, held as parallel arrays of 16 so that a tag (track * 20 + slot)
// indexes them directly.

#include <array>
#include <cstdint>
#include <string>

#include "plugin/model/Constants.h"
#include "plugin/model/Sound.h"

namespace rimba {

template <typename T>
using PerTrack = std::array<T, kTrackSlots>;

// Band frequencies as 0..1 (Hz = 20 * 800^value): 100 Hz, 500 Hz and 2000 Hz.
constexpr std::array<float, kEqBands> kDefaultEqFreq{0.2407676f, 0.4815352f, 0.6889311f};
constexpr float kDefaultEqQ = 0.707f;
constexpr float kDefaultLevel = 0.8691760f;  // gain 200^level / 100 = 1.0

// Threads: the main thread writes the settings (the editor, host parameters, loaders holding
// the load handshake); the audio thread reads them as they are. Outside the handshake each value
// is stored and loaded on its own, relaxed (storeRelaxed/loadRelaxed of PatternPlanes.h).
struct TrackSettings {
    // Slots 1..19 of the tag space, in slot order.
    PerTrack<float> level{};
    PerTrack<float> pan{};
    PerTrack<float> send1{};
    PerTrack<float> send2{};
    PerTrack<float> tune{};
    PerTrack<float> levelVelocity{};
    PerTrack<float> tuneVelocity{};
    PerTrack<float> mute{};
    PerTrack<float> oneShot{};
    PerTrack<float> reverse{};
    PerTrack<float> loop{};
    PerTrack<float> start{};
    PerTrack<float> end{};
    PerTrack<float> randomMinDensity{};
    PerTrack<float> randomMaxDensity{};
    PerTrack<float> randomMaxRoll{};
    PerTrack<float> choke{};
    PerTrack<float> tuneScale{};
    PerTrack<float> synthRoute{};

    // Settings outside the tag slots.
    PerTrack<float> synthMix{};
    PerTrack<float> eqOnSynth{};
    PerTrack<float> phaseInvert{};
    PerTrack<float> eqOnSample{};
    PerTrack<std::array<float, kEqBands>> eqFreq{};
    PerTrack<std::array<float, kEqBands>> eqQ{};
    PerTrack<std::array<float, kEqBands>> eqGain{};
    PerTrack<std::array<std::int32_t, kScaleNotes>> scaleNotes{};
    PerTrack<std::array<char, kSoundPathLength>> soundPath{};

    // Derived values: eqActive is latched by the audio thread at every control update (a loader
    // clears it with its track); the others are recomputed on the main thread by updateTrack,
    // which holds the render loop off (setValue stores tuneRatio on its own, relaxed).
    PerTrack<float> eqActive{};
    PerTrack<float> tuneRatio{};
    PerTrack<std::array<std::int32_t, kScaleNotes>> scaleList{};  // allowed semitones, ascending
    PerTrack<std::int32_t> scaleListCount{};  // 0 while tuneScale is off

    // The setting behind tag slot 1..19 of a track; nullptr for slot 0 (the sound) and
    // out-of-range slots.
    float* slot(int track, int slotIndex);
    const float* slot(int track, int slotIndex) const;

    // Puts one track's settings in their defaults (the sound path becomes empty).
    void resetTrack(int track);
};

// A sound path field as text: the bytes up to the first zero.
std::string soundPathText(const std::array<char, kSoundPathLength>& field);
// A path that does not fit the field would name another file once cut, so it names none.
void storeSoundPath(std::array<char, kSoundPathLength>& field, const std::string& path);

}  // namespace rimba
