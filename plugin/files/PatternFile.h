#pragma once
// Pattern set files (".ptn": all 16 patterns and the sequencer settings) and single pattern
// files (".pat": one pattern). Both are text, lines of ';'-ended fields; the readers still take
// the older line forms ("PATTERN_NOTES", "PATTERN_NOTES_EX") and the four-field note entries of
// files written before the roll existed.
//
// A loader reads and parses the whole file before it touches the instrument, and changes the
// state only while it holds the audio thread off; a file that cannot be read changes nothing.
// Lines that do not fit the grammar are skipped one by one, as they always were.
//
// Threads: the user-interface thread, or the program-change timer's thread; never the audio
// thread (they read and write files and wait for the render loop).

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <variant>
#include <vector>

#include "plugin/core/InstrumentState.h"

namespace rimba {

// What the lines of a pattern file hold, taken apart before anything of the instrument changes.
// Every value is inside the range the instrument gives it: a note's track 0..15 and step 0..63,
// its velocity 0..127, its hold and roll numbers; a line's pattern 0..15 and steps 1..64; the
// header's play mode 0..2, swing and fill attenuation 0..127.
struct PatternNote {
    int track = 0;
    int step = 0;
    float hold = 1.0f;
    float velocity = 0.0f;
    float roll = 0.0f;
};

struct PatternRandomTriple {
    float minDensity = -1.0f;
    float maxDensity = -1.0f;
    float maxRoll = 0.0f;
};

struct PatternLine {
    int pattern = 0;  // unused by the single pattern file, which fills the pattern it is given
    std::int32_t steps = 16;
    std::optional<std::int32_t> chain;
    std::vector<PatternRandomTriple> triples;  // of tracks 0 .. size - 1
    std::vector<PatternNote> notes;
};

struct PatternHeaderExtension {
    std::int32_t randomGraphVisible = 0;
    std::array<float, 8> reserved{};
};

struct PatternHeader {
    std::int32_t playMode = 0;
    std::int32_t swing = 0;
    std::optional<std::int32_t> randomAuto;
    std::optional<std::int32_t> randomPerPattern;
    std::optional<PatternHeaderExtension> extension;
    std::optional<std::int32_t> fillAttenuation;
};

using PatternSetLine = std::variant<PatternHeader, PatternLine>;

// The header and pattern lines of a set file in file order, up to an end marker, for an
// instrument of `trackCount` tracks (a channel line for more tracks is skipped). Lines that do
// not fit the grammar are left out one by one.
std::vector<PatternSetLine> readPatternSet(std::span<const std::uint8_t> bytes, int trackCount);

// The pattern lines of a single pattern file: only the channel and eight-track forms, always
// with five-field notes; the pattern and chain fields they carry are not read.
std::vector<PatternLine> readSinglePattern(std::span<const std::uint8_t> bytes, int trackCount);

// The text savePatternSet writes: the header line and one line per pattern.
std::string patternSetText(const InstrumentState& state);

// The one line savePattern writes for `pattern` (0..15), always in the channel form.
std::string patternText(const InstrumentState& state, int pattern);

// Both write beside the target and rename over it; false when the file could not be written (an
// existing file is then untouched) or the pattern index is out of range.
bool savePatternSet(const InstrumentState& state, const std::string& path);
bool savePattern(const InstrumentState& state, const std::string& path, int pattern);

// Resets every pattern, then reads the set. Answers how many pattern lines were taken, or -1
// when the file cannot be read.
int loadPatternSet(InstrumentState& state, const std::string& path);
int loadPatternSetBytes(InstrumentState& state, std::span<const std::uint8_t> bytes);

// Clears `pattern` (0..15) and the random keystrokes of the active tracks, then reads a single
// pattern file into it whatever pattern the file names. Answers how many pattern lines were
// taken, or -1 when the file cannot be read or the index is out of range.
int loadPattern(InstrumentState& state, const std::string& path, int pattern);
int loadPatternBytes(InstrumentState& state, std::span<const std::uint8_t> bytes, int pattern);

// "New Patterns": every pattern of the active tracks empty, the sequencer settings of a set at
// their reset values.
void resetPatterns(InstrumentState& state);

}  // namespace rimba
