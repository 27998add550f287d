#pragma once
// The pattern editing operations behind the grid menu, the strip menu, the strip drag and the
// two rotate buttons, as plain functions on the instrument's pattern data, so that the editor
// only chooses which one to call. Each works out a track's new patterns from what the instrument
// holds and hands them to it whole (VornDrums::setTrackPatterns); the change is heard at the
// next step the sequencer plays. Indexes out of range and tracks that are not active leave
// everything as it is.
//
// Randomness is the instrument's own source (RandomSource), never seeded by the system.
// Threads: the user-interface thread only (the audio thread reads the planes meanwhile, value
// by value, as it does for every other edit).

#include <optional>

#include "plugin/core/VornDrums.h"

namespace rimba {

// What the grid menu's randomisations draw from and "Restore" brings back: one track's row of
// one pattern. The editor owns it per grid and takes it with takeReferencePattern, typically
// when a randomisation is chosen while it holds none, so that repeated draws start from the
// same material and "Restore" undoes them all. Without one the randomisations and "Restore" do
// nothing.
struct ReferencePattern {
    StepRow<float> stepVelocity{};
    StepRow<float> stepHold{};
    StepRow<float> stepTune{};
};

ReferencePattern takeReferencePattern(const InstrumentState& state, int track, int pattern);

// The grid menu, on one track's row of `pattern`; n is the pattern's step count.
//   resetRow        every step empty, hold 0 and tune 0
//   cleanRow        the same for every step below velocity 5
//   duplicateRow    steps 0..n-1 copied to n..2n-1 (up to step 63); n becomes min(2n, 64)
//   randomizeSteps  the reference's hits of steps 0..n-1 moved to random free steps; a hit that
//                   finds no free step in n draws is dropped
//   randomizeStepsInPlace  the same places, the reference's hits shuffled among them
//   randomizePitch  every hit takes the tune of a random hit of the reference
//   randomizeHold   every step 0..n-1 gets hold 1 or 2
//   restoreRow      velocity, hold and tune of all 64 steps back from the reference
// Rolls are left alone by all of them.
void resetRow(VornDrums& drums, int track, int pattern);
void cleanRow(VornDrums& drums, int track, int pattern);
void duplicateRow(VornDrums& drums, int track, int pattern);
void randomizeSteps(VornDrums& drums, int track, int pattern, const std::optional<ReferencePattern>& reference);
void randomizeStepsInPlace(VornDrums& drums, int track, int pattern, const std::optional<ReferencePattern>& reference);
void randomizePitch(VornDrums& drums, int track, int pattern, const std::optional<ReferencePattern>& reference);
void randomizeHold(VornDrums& drums, int track, int pattern, const std::optional<ReferencePattern>& reference);
void restoreRow(VornDrums& drums, int track, int pattern, const std::optional<ReferencePattern>& reference);

// The strip menu, on one track in the current pattern.
//   resetStrip      every step empty with hold 1 and roll 0; the random keystrokes removed
//   cleanStrip      the same for every step below velocity 5
//   duplicateMeasure1     steps P..P+3 repeated over P+4..P+15, P = 16 * page
//   duplicateMeasures12   steps P..P+7 repeated over P+8..P+15
// The duplications copy velocity, hold and roll.
void resetStrip(VornDrums& drums, int track);
void cleanStrip(VornDrums& drums, int track);
void duplicateMeasure1(VornDrums& drums, int track, int page);
void duplicateMeasures12(VornDrums& drums, int track, int page);

// The strip menu's "Copy" only remembers the track; "Paste" copies the whole track from it. The
// editor owns the clipboard, which lives as long as the editor is open.
struct StripClipboard {
    int copySourceTrack = -1;
};

void copyStrip(StripClipboard& clipboard, const InstrumentState& state, int track);
// Does nothing until a track was copied.
void pasteStrip(VornDrums& drums, const StripClipboard& clipboard, int track);

// Paste and the strip drag: every pattern's velocities, holds and rolls, the per-pattern random
// settings and the track's own random settings. The sound, the tunes and the random keystrokes
// stay with the target.
void copyWholeTrack(VornDrums& drums, int source, int target);

// The rotate buttons: the current pattern of every active track turns by one step within its
// step count, velocity, hold and roll together. Left moves step 0 to the last step; right moves
// the last step to step 0.
void rotatePatternLeft(VornDrums& drums);
void rotatePatternRight(VornDrums& drums);

}  // namespace rimba
