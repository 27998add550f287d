#pragma once
// Synth preset files (".fxp"): one drum track's sound of the drum synth, kept as the synth's
// parameters of that track and a preset name, in the 588-byte program file of an opaque chunk:
//
//   0  "CcnK" (read in either byte order)   28  the preset name, 28 bytes, zero-terminated
//   4  0 (ignored on reading)               56  the chunk's size: 528
//   8  "FPCh"                               60  the synth version 1400, little-endian
//  12  format version 1                     64  the synth version 1400 again, big-endian
//  16  "451t"                               68  the track's values, little-endian floats,
//  20  1                                        then zeros to the end of the chunk at 588
//  24  128
//
// Header integers are big-endian. Files of the older layout have no version words: their chunk
// holds 68 values from offset 60.
//
// The synth serves 16 tracks; track t's parameter i is the synth's parameter t x N + i, where N
// (synthParametersPerTrack) is its parameter count divided by 16, and at most the 130 values the
// chunk has room for.
//
// Any thread except the audio thread; applying and capturing are the synth's user-interface
// calls.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "plugin/model/HostedPlugin.h"
#include "plugin/model/Result.h"

namespace rimba {

namespace synth {
constexpr std::size_t kPresetFileBytes = 588;
constexpr std::size_t kHeaderBytes = 60;
constexpr std::size_t kChunkBytes = 528;
constexpr std::size_t kNameOffset = 28;
constexpr std::size_t kNameBytes = 28;
constexpr std::size_t kValuesOffset = 68;
constexpr std::int32_t kVersion = 1400;
constexpr std::int32_t kHeaderParameterCount = 128;
constexpr int kTracks = 16;
constexpr int kMostParametersPerTrack = 130;
constexpr std::size_t kOlderLayoutValues = 68;
// The older layout's values end here: a file shorter than this holds fewer than it claims.
constexpr std::size_t kOlderLayoutBytes = kHeaderBytes + 4 * kOlderLayoutValues;
// The remembered path and name of each track, terminating zero included.
constexpr std::size_t kPathBytes = 256;
}  // namespace synth

// What a synth preset file holds.
struct SynthPresetValues {
    std::string name;  // at most 28 characters
    std::vector<float> values;  // 130 of the current layout, 68 of the older one
    bool olderLayout = false;
};

// The synth's parameters per track: its parameter count / 16, at most 130 (a synth that declares
// more keeps the rest out of presets), 0 for a synth of fewer than 16 parameters.
int synthParametersPerTrack(HostedPlugin& synth);

// The whole file: the first 130 of `values` (the rest of the chunk zero) and `name` cut to 27
// characters, so that its terminating zero fits the field.
std::vector<std::uint8_t> synthPresetBytes(const std::string& name, std::span<const float> values);

// Reads the file's bytes. Refused when the header is not a synth preset's, or the file ends
// before the values of its layout do (588 bytes for the current layout, 332 for the older one).
Result<SynthPresetValues> readSynthPreset(std::span<const std::uint8_t> file);

// The track's N values from the synth.
std::vector<float> synthTrackValues(HostedPlugin& synth, int track);

// Gives the preset's values to the track's parameters: at most N of them (an older file's 68
// values never run into the next track's parameters). Refused for a track outside 0 to 15.
Result<> applySynthPreset(HostedPlugin& synth, int track, const SynthPresetValues& preset);

// The track's values from the synth as a file at `path`, written beside it and renamed over it
// when whole. Refused, with any file at `path` left as it was, when it cannot be written.
Result<> writeSynthPresetFile(HostedPlugin& synth, int track, const std::string& name, const std::string& path);

// The file at `path`, read whole; refused when it cannot be read or is no synth preset.
Result<SynthPresetValues> readSynthPresetFile(const std::string& path);

}  // namespace rimba
