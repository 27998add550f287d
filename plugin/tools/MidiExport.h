#pragma once
// The current pattern, or the pattern chain, as a Standard MIDI File: format 0, one track, 96
// ticks a quarter note, a step of 24 ticks, one note-on on channel 1 per drum hit (rolls and
// random keystrokes included), no tempo and no note-off, so that a sequencer can take the rhythm
// over at its own tempo.
// Threads: the user-interface thread; it only reads the pattern data.

#include <cstdint>
#include <string>
#include <vector>

#include "plugin/core/InstrumentState.h"

namespace rimba {

constexpr int kMidiTicksPerQuarter = 96;
constexpr int kMidiTicksPerStep = 24;

// The bytes of the file exportMidiFile writes.
std::vector<std::uint8_t> buildMidiFile(const InstrumentState& state);

// Writes the file in one piece beside the target and renames it over it: 0 on success, -1 when
// it could not be written (an existing file is then untouched).
std::int32_t exportMidiFile(const InstrumentState& state, const std::string& path);

}  // namespace rimba
