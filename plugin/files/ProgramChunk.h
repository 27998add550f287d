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

#include "plugin/model/ProgramChunkValues.h"
#include "plugin/model/Result.h"

namespace rimba {

namespace chunk {

constexpr std::size_t kHeaderBytes = 64;
constexpr std::size_t kTrackBytes = 3580;
constexpr std::size_t kTailBytes = 1448;
constexpr std::size_t kFixedBytes = kHeaderBytes + kTailBytes;
// A block of exactly this size is not a program: it names the folder of the next export.
constexpr std::size_t kExportFolderBytes = 256;
constexpr std::size_t kPathBytes = 256;
constexpr std::size_t kVersionTextBytes = 32;
// The oldest form has no header and is known by its size alone.
constexpr std::size_t kOldestFormBytes = 10828;
// Every form before 1451 holds this many tracks.
constexpr int kFixedTrackCount = 8;

}  // namespace chunk

// Decides the form, then reads and checks the whole block against it. Refused, with the reason,
// for a block of a form it does not know, a numbered version above 1480, more than 16 tracks,
// any part that runs past the end of the block, or a setting that is not a finite number.
Result<ProgramChunk> readProgramChunk(std::span<const std::uint8_t> block);

// The block of the current form: 1512 + 3580 x tracks + the sizes of the state blocks. The form
// and version of `program` are not looked at.
std::vector<std::uint8_t> writeProgramChunk(const ProgramChunk& program);

// A float plane value as the block keeps it: truncated toward zero into a signed byte (values
// beyond its range are held at its ends, and a value that is not a number becomes 0).
std::int8_t storedByte(float value);

// Effect library paths: a path inside the effect folder (`effectPath`, which ends with a
// separator) is stored by its name alone. Stored paths from other systems name libraries by a
// three-letter extension ("dll", "vst"), which becomes this system's ("so").
std::string storedEffectPath(const std::string& path, const std::string& effectPath);
std::string effectPathFromStored(const std::string& stored, const std::string& effectPath);

}  // namespace rimba
