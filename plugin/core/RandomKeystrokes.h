#pragma once
// Random keystrokes: extra hits placed at random free steps of a track, played wherever the
// current pattern has no hit of its own. The draws come from the instrument's own source
// (RandomSource), never seeded by the system.
//
// Threads: the layer (randomHit, randomVelocity, randomHold, randomRoll of every track) has one
// writer, the render loop, which regenerates it at pattern starts when automatic generation is
// on and applies the user-interface side's requests at the start of each block, so a block never
// plays half a layer. The functions that change the layer belong to it. A loader holding the
// render loop off may apply them too: requests that no block takes because the host is not
// processing are applied so (applyRequestsWhileHostIsStill), and loads clear the layer. The
// user-interface side only asks (requestRandomChange) and reads the layer value by value
// (loadRelaxed).

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

// Removes every track's keystrokes.
void clearAllRandom(InstrumentState& state);

// Applies one request of the user-interface side.
void applyRandomRequest(InstrumentState& state, const RandomRequest& request);

// Render loop, at the start of a block: applies every waiting request in order.
void takeRandomRequests(InstrumentState& state);

// How long the render loop must not have begun a block before the user-interface side takes
// the load handshake to apply its requests itself. Longer than any block a host renders in
// real time, so while the host processes, the render loop alone applies them.
constexpr std::uint32_t kHostStillMilliseconds = 250;

// User-interface side (main or the timer): applies the waiting requests itself, holding the
// render loop off, when no block has begun for kHostStillMilliseconds (or ever); false when
// requests still wait for the render loop.
bool applyRequestsWhileHostIsStill(InstrumentState& state);

// User-interface thread: queues the request for the render loop, and applies it at once when
// the host is still. A full list drops it.
void requestRandomChange(InstrumentState& state, const RandomRequest& request);

// User-interface thread: copies every track's keystrokes into the current pattern's hits and
// asks for the layer to be cleared. A regeneration the render loop makes meanwhile is cleared
// with it (the next automatic one draws anew).
void keepRandomKeystrokes(InstrumentState& state);

}  // namespace rimba
