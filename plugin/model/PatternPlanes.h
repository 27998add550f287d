#pragma once
// The step data of every track slot: 16 patterns of 64 steps, the random-keystroke layer (one
// per track, shared by the patterns) and the per-pattern random settings.

#include <array>

#include "plugin/model/Constants.h"

namespace rimba {

template <typename T>
using PatternGrid = std::array<std::array<T, kMaxSteps>, kPatternCount>;  // [pattern][step]
template <typename T>
using StepRow = std::array<T, kMaxSteps>;
template <typename T>
using PerPattern = std::array<T, kPatternCount>;

struct TrackPatterns {
    PatternGrid<float> stepVelocity{};  // 1..127, 0 = no hit
    PatternGrid<float> stepHold{};  // hold length in steps
    PatternGrid<float> stepRoll{};  // the hit plays roll + 1 times, a quarter step apart
    StepRow<float> randomHit{};
    StepRow<float> randomVelocity{};
    StepRow<float> randomHold{};
    StepRow<float> randomRoll{};
    PerPattern<float> randomMinDensity{};  // used instead of the track setting when
    PerPattern<float> randomMaxDensity{};  // random settings are per pattern
    PerPattern<float> randomMaxRoll{};
    StepRow<float> stepTune{};  // semitones -24..+24, shared by the 16 patterns

    void reset();
};

inline void TrackPatterns::reset() {
    for (int p = 0; p < kPatternCount; ++p) {
        stepVelocity[p].fill(0.0f);
        stepHold[p].fill(1.0f);
        stepRoll[p].fill(0.0f);
    }
    randomHit.fill(0.0f);
    randomVelocity.fill(0.0f);
    randomHold.fill(1.0f);
    randomRoll.fill(0.0f);
    randomMinDensity.fill(-1.0f);
    randomMaxDensity.fill(-1.0f);
    randomMaxRoll.fill(0.0f);
    stepTune.fill(0.0f);
}

}  // namespace rimba
