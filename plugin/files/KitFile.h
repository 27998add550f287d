#pragma once
// Kit files (".drs"): the sound side of the instrument without its patterns. For each drum track
// its sound file and sound settings, plus the state of the drum synth plug-in. The current form
// is written; it and three older forms are read.
//
// This file knows bytes only; taking the values from the instrument and giving them back is the
// instrument's part. Any thread except the audio thread (everything here allocates).

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "plugin/model/KitValues.h"
#include "plugin/model/Result.h"

namespace rimba {

namespace kit {
constexpr std::size_t kHeaderBytes = 32;
constexpr std::size_t kRecordBytes = 432;
constexpr std::size_t kPathBytes = 256;
// The current record's settings: stored positions 0 to 11, 13, 14 and 17 to 31.
constexpr std::size_t kRecordSettings = 29;
constexpr std::size_t kScaleNotesOffset = 384;
// The two oldest forms hold 8 records of 16 floats (positions 0 to 11, 13, 14, 17, one unused).
constexpr std::size_t kOldestFormBytes = 2560;
constexpr std::size_t kOldestRecordBytes = 320;
constexpr std::size_t kShortFormBytes = 2948;
constexpr std::size_t kShortRecordBytes = 368;
constexpr std::size_t kOldRecordSettings = 16;
// Before the current form a kit held this many tracks.
constexpr int kOldRecordCount = 8;
// The first version whose header carries a record count.
constexpr std::int32_t kFirstCountedVersion = 1451;
}  // namespace kit

// Decides the form, then reads and checks the whole file. Refused, with the reason, for a file
// of no form, a record count outside 1 to 16, records that would run past its end, or a setting
// that is not a finite number. Nothing is read beyond `file`.
Result<KitFile> readKitFile(std::span<const std::uint8_t> file);

// The current form: 32 + synth state + 432 bytes per record.
std::vector<std::uint8_t> writeKitFile(const KitFile& kit);

}  // namespace rimba
