#pragma once
// What a program chunk holds, as values: every form in one shape, with the values an older form
// lacks already filled in. The file format turns bytes into these and back; the instrument takes
// its state into them and gives it back.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "plugin/model/Constants.h"
#include "plugin/model/StoredTrackSettings.h"
#include "plugin/model/TrackSettings.h"

namespace rimba {

namespace chunk {
// The version the instrument writes.
constexpr std::int32_t kVersion = 1480;
}  // namespace chunk

// The seven forms, oldest first, and how setChunk tells them apart:
enum class ChunkForm {
    Oldest,  // exactly 10828 bytes and no size in front
    Plain,  // size in front; no version, no text
    Text122,  // size, then the text "1.22"
    Text1x,  // size, then a text beginning "1."
    NumberedBefore1300,  // size, version, version byte-swapped; version up to 1299
    Numbered1300,  // the same with a version from 1300 to 1450
    Current,  // a 64-byte header and 1451 to 1480
};

const char* chunkFormName(ChunkForm form);

template <typename T>
using ChunkGrid = std::array<std::array<T, kMaxSteps>, kPatternCount>;  // [pattern][step]

struct ChunkTrack {
    std::string path;  // the stored name, at most 256 bytes
    // Per pattern: the random keystroke settings; -1, -1, 0 is off.
    std::array<std::int8_t, kPatternCount> randomMinDensity{};
    std::array<std::int8_t, kPatternCount> randomMaxDensity{};
    std::array<std::int8_t, kPatternCount> randomMaxRoll{};
    std::array<std::uint8_t, kScaleNotes> scaleNotes{};
    ChunkGrid<std::int8_t> velocity{};
    ChunkGrid<std::int8_t> hold{};
    ChunkGrid<std::int8_t> roll{};
    std::array<float, chunk::kSettingCount> settings{};
};

// One hosted plug-in's entry: empty state means an empty slot.
struct ChunkEffect {
    std::int32_t program = 0;
    std::string path;  // as stored; the drum synth has none
    std::vector<std::uint8_t> state;
};

struct ProgramChunk {
    ChunkForm form = ChunkForm::Current;
    std::int32_t version = chunk::kVersion;  // of the numbered forms; 0 for the others
    std::vector<ChunkTrack> tracks;

    std::array<std::int32_t, kPatternCount> patternSteps{};
    std::array<std::int32_t, kPatternCount> chainEnabled{};
    std::int32_t currentPattern = 0;
    std::int32_t playMode = 1;
    std::int32_t swing = 0;

    // The oldest form ends here; the values below keep the defaults a load gives them.
    bool hasFullTail = true;
    std::int32_t randomAuto = 0;
    std::int32_t randomPerPattern = 0;
    std::int32_t playing = 1;
    std::int32_t tempo = 120;
    std::array<std::int32_t, kEffectSlots> effectEnabled{};
    std::int32_t muteMidiKey = 0;
    std::int32_t patternTriggerMidiKey = -1;
    std::int32_t randomGraphVisible = 0;
    std::int32_t fillAttenuation = 64;
    float masterEqOn = 0.0f;
    std::array<float, kEqBands> masterEqFreq = kDefaultEqFreq;
    std::array<float, kEqBands> masterEqQ{kDefaultEqQ, kDefaultEqQ, kDefaultEqQ};
    std::array<float, kEqBands> masterEqGain{};
    std::array<float, 8> patternSetReserved{};
    std::array<ChunkEffect, kEffectSlots> effects{};
    ChunkEffect drumSynth;  // not present before 1300
};

// A ChunkTrack as an empty track of a reset instrument holds it: no hits, holds of 1, random
// settings off, every scale note allowed and the reset settings.
ChunkTrack emptyChunkTrack();

}  // namespace rimba
