#pragma once
// Pattern set files (".ptn": all 16 patterns and the sequencer settings) and single pattern
// files (".pat": one pattern). Both are text, lines of ';'-ended fields; the readers still take
// the older line forms ("PATTERN_NOTES", "PATTERN_NOTES_EX") and the four-field note entries of
// files written before the roll existed.
//
// This file knows text only: the readers turn bytes into the values of PatternLines.h, each held
// to the range the instrument gives it; the writers turn patterns into text. Loading into the
// instrument is the instrument's part (plugin/core/PatternSets.h).
// Any thread except the audio thread (everything here allocates).

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "plugin/model/PatternLines.h"
#include "plugin/model/PatternState.h"
#include "plugin/model/TrackSettings.h"

namespace rimba {

// The header and pattern lines of a set file in file order, up to an end marker, for an
// instrument of `trackCount` tracks (a channel line for more tracks is skipped). Lines that do
// not fit the grammar are left out one by one.
std::vector<PatternSetLine> readPatternSet(std::span<const std::uint8_t> bytes, int trackCount);

// The pattern lines of a single pattern file: only the channel and eight-track forms, always
// with five-field notes; the pattern and chain fields they carry are not read.
std::vector<PatternLine> readSinglePattern(std::span<const std::uint8_t> bytes, int trackCount);

// What a pattern file is written from: the patterns of the first `trackCount` tracks, each note
// under its track's key (so notes return to their track only while the keys are 36 to 51).
struct PatternSource {
    const PatternState& patterns;
    int trackCount;
    const PerTrack<float>& trackKeys;
};

// A set file: the header line and one line per pattern, in the eight-track form for 8 tracks
// and the channel form otherwise.
std::string writePatternSet(const PatternSource& source);

// A single pattern file: the one line of `pattern` (0..15), always in the channel form; empty
// for an index out of range.
std::string writePattern(const PatternSource& source, int pattern);

}  // namespace rimba
