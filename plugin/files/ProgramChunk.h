#pragma once
// The program chunk: the instrument's whole state as one little-endian block. Hosts keep it
// with their songs and hand it back years later, program files wrap it, and the state of the
// last run is kept as one. The current form (version 1480) is written; it and six older forms
// are read.
//
// This file knows bytes only. A block becomes a ProgramChunk, every form in one shape with the
// values an older form lacks already filled in; a ProgramChunk becomes the bytes of the current
// form. Taking the values from the instrument and giving them back is the instrument's part.
// Any thread except the audio thread (everything here allocates).

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "plugin/core/Constants.h"
#include "plugin/core/TrackSettings.h"

namespace rimba {

class HostedPlugin;

namespace chunk {

constexpr std::int32_t kVersion = 1480;
constexpr std::size_t kHeaderBytes = 64;
constexpr std::size_t kTrackBytes = 3580;
constexpr std::size_t kTailBytes = 1448;
constexpr std::size_t kFixedBytes = kHeaderBytes + kTailBytes;
// A block of exactly this size is not a program: it names the folder of the next export.
constexpr std::size_t kExportFolderBytes = 256;
constexpr std::size_t kPathBytes = 256;
constexpr std::size_t kVersionTextBytes = 32;
constexpr std::size_t kSettingCount = 32;
// An effect program's name in a program-by-program state block.
constexpr std::size_t kEffectProgramNameBytes = 32;
// The oldest form has no header and is known by its size alone.
constexpr std::size_t kOldestFormBytes = 10828;
// Every form before 1451 holds this many tracks.
constexpr int kFixedTrackCount = 8;

}  // namespace chunk

// The seven forms, oldest first, and how setChunk tells them apart:
enum class ChunkForm {
    Oldest,              // exactly 10828 bytes and no size in front
    Plain,               // size in front; no version, no text
    Text122,             // size, then the text "1.22"
    Text1x,              // size, then a text beginning "1."
    NumberedBefore1300,  // size, version, version byte-swapped; version up to 1299
    Numbered1300,        // the same with a version from 1300 to 1450
    Current,             // a 64-byte header and 1451 to 1480
};

const char* chunkFormName(ChunkForm form);

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

// Decides the form, then reads and checks the whole block against it. nullopt for a block of a
// form it does not know, a numbered version above 1480, more than 16 tracks, any part that
// runs past the end of the block, or a setting that is not a finite number.
std::optional<ProgramChunk> readProgramChunk(std::span<const std::uint8_t> block);

// The block of the current form: 1512 + 3580 x tracks + the sizes of the state blocks. The form
// and version of `program` are not looked at.
std::vector<std::uint8_t> writeProgramChunk(const ProgramChunk& program);

// A float plane value as the block keeps it: truncated toward zero into a signed byte (values
// beyond its range are held at its ends, and a value that is not a number becomes 0).
std::int8_t storedByte(float value);

// Effect state blocks. A plug-in whose programs are chunks is saved as its bank chunk; any
// other as every program in turn: its name in 32 bytes, then each parameter as a big-endian
// float. The current program is selected again afterwards in both cases.
std::vector<std::uint8_t> captureEffectState(HostedPlugin& plugin, std::int32_t& currentProgram);
void restoreEffectState(HostedPlugin& plugin, std::span<const std::uint8_t> state, std::int32_t program);
// The same without selecting a program afterwards: a plug-in restored program by program is
// left on its last one (kits keep no program number).
void restoreEffectPrograms(HostedPlugin& plugin, std::span<const std::uint8_t> state);

// Effect library paths: a path inside the effect folder (`effectPath`, which ends with a
// separator) is stored by its name alone. Stored paths from other systems name libraries by a
// three-letter extension ("dll", "vst"), which becomes this system's ("so").
std::string storedEffectPath(const std::string& path, const std::string& effectPath);
std::string effectPathFromStored(const std::string& stored, const std::string& effectPath);

}  // namespace rimba
