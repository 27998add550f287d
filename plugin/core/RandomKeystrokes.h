#pragma once
// Random keystrokes: extra hits placed at random free steps of a track, played wherever the
// current pattern has no hit of its own. The draws come from the instrument's own source
// (RandomSource), never seeded by the system.
//
// Threads: the editor and the host's parameter thread call these on demand; the render loop
// regenerates at pattern starts when automatic generation is on.

#include <cstdint>

#include "plugin/core/InstrumentState.h"

namespace rimba {

// Keystrokes per 16 steps for density cells 0..6; a negative cell is off (-1).
std::int32_t densityOfCell(float cell);

// A track's random settings in force: the current pattern's when they are kept per pattern,
// else the track's own.
struct RandomRange {
    float minCell;
    float maxCell;
    float maxRoll;
};
RandomRange randomRangeInForce(const InstrumentState& state, int track);

// Replaces the track's keystrokes with int(steps * fraction) new ones on free steps of the
// current pattern; the product is a 32-bit float, as the parameter is (0.7 on 10 steps is 7).
void generateRandomKeystrokes(InstrumentState& state, int track, float fraction);

// Draws a density from the track's range (per pattern or per track) and generates with it.
void regenerateTrackRandom(InstrumentState& state, int track);

// regenerateTrackRandom for every active track in order.
void regenerateAllRandom(InstrumentState& state);

// Copies every track's keystrokes into the current pattern and clears them.
void keepRandomKeystrokes(InstrumentState& state);

// Removes every track's keystrokes.
void clearAllRandom(InstrumentState& state);

}  // namespace rimba
