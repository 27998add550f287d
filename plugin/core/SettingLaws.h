#pragma once
// How the engine turns a setting into what the listener hears: the pan law (shared with the
// sample/synth balance), the tuning ratio, the swing delay and the roll's velocity shape. Kept
// as plain functions so that the render code and the editor's value readouts use one rule. Any
// thread: they touch no state.

namespace rimba {

struct SidePair {
    float left;
    float right;
};

// The pan law: centre gives full level on both sides; 0.25 and 0.75 give a quarter on the far side.
SidePair panFactors(float pan);

struct Shares {
    float sample;
    float synth;
};

// The balance of sample voice and synth slot on a routed track follows the pan law: the synth
// takes the left-hand side of the law and the sample the right-hand side.
Shares sampleAndSynthShares(float mix);

// A track's `tune` setting (semitones) as a playback-rate factor.
float tuneRatioFromSetting(float tune);

// The gain a hit of `velocity` (0..127) starts its voice with: `levelVelocity` is the share of
// the level that follows the velocity, the rest plays at every velocity.
float velocityGain(int velocity, float levelVelocity);

// The semitones a hit of `velocity` adds to the track's tuning (before the tune scale bends them).
double velocityTuneSemitones(int velocity, float tuneVelocity);

// How late an odd step plays, in steps, for a swing setting of 0..127.
double swingDelaySteps(int swing);

// The velocities of a roll's hits: the first hit plays at `firstGain` times the step's velocity
// and each further hit at `factor` times the one before.
struct RollShape {
    double firstGain;
    double factor;
};

// Below 64 the hits rise towards the last, full one; from 64 up they fall from the first, full
// one. `roll` is the step's roll count (0: a single hit).
RollShape rollShape(int fillAttenuation, float roll);

}  // namespace rimba
