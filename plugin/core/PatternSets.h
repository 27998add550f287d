#pragma once
// Pattern sets and single patterns of the instrument: a file is read and parsed whole
// (plugin/files/PatternFile.h) before the instrument changes, and the change happens while the
// audio thread is held off; a file that cannot be read changes nothing. Saving writes beside the
// target and renames over it.
//
// Threads: the user-interface thread, or the program-change timer's thread; never the audio
// thread (they read and write files and wait for the render loop).

#include <cstdint>
#include <span>
#include <string>

#include "plugin/core/InstrumentState.h"
#include "plugin/model/Result.h"

namespace rimba {

// The text savePatternSet writes: the header line and one line per pattern.
std::string patternSetText(const InstrumentState& state);

// The one line savePattern writes for `pattern` (0..15), always in the channel form.
std::string patternText(const InstrumentState& state, int pattern);

// Both write beside the target and rename over it; false when the file could not be written (an
// existing file is then untouched) or the pattern index is out of range.
bool savePatternSet(const InstrumentState& state, const std::string& path);
bool savePattern(const InstrumentState& state, const std::string& path, int pattern);

// Resets every pattern, then reads the set. Answers how many pattern lines were taken (lines
// that fit no form are skipped); refused, with nothing changed, when the file cannot be read.
Result<int> loadPatternSet(InstrumentState& state, const std::string& path);
int loadPatternSetBytes(InstrumentState& state, std::span<const std::uint8_t> bytes);

// Clears `pattern` (0..15) and the random keystrokes of the active tracks, then reads a single
// pattern file into it whatever pattern the file names. Answers how many pattern lines were
// taken; refused when the file cannot be read or the index is out of range.
Result<int> loadPattern(InstrumentState& state, const std::string& path, int pattern);
Result<int> loadPatternBytes(InstrumentState& state, std::span<const std::uint8_t> bytes, int pattern);

// "New Patterns": every pattern of the active tracks empty, the sequencer settings of a set at
// their reset values.
void resetPatterns(InstrumentState& state);

}  // namespace rimba
