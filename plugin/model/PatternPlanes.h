#pragma once
// The step data of every track slot: 16 patterns of 64 steps, the random-keystroke layer (one
// per track, shared by the patterns) and the per-pattern random settings.

#include <array>
#include <atomic>
#include <type_traits>

#include "plugin/model/Constants.h"

namespace rimba {

template <typename T>
using PatternGrid = std::array<std::array<T, kMaxSteps>, kPatternCount>;  // [pattern][step]
template <typename T>
using StepRow = std::array<T, kMaxSteps>;
template <typename T>
using PerPattern = std::array<T, kPatternCount>;

// One step of a pattern as the grid edits it, its three values set together.
struct PatternStep {
    float velocity = 0.0f;  // 1..127, 0 = no hit
    float roll = 0.0f;
    float hold = 0.0f;
    bool operator==(const PatternStep&) const = default;
};

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

// Values one thread writes while another reads them, each on its own, relaxed: the settings the
// user-interface thread writes and the render loop reads (track, pattern and mixer settings),
// the played step planes (stepVelocity, stepRoll), read by the render loop at each step, and the
// random-keystroke layer, written by the render loop (or a loader holding it off) and read by
// the editor and the exports. The writer's own reads stay plain.
template <typename T>
requires std::is_arithmetic_v<T>
inline void storeRelaxed(T& cell, std::type_identity_t<T> value) {
    std::atomic_ref<T>(cell).store(value, std::memory_order_relaxed);
}
template <typename T>
requires std::is_arithmetic_v<T>
inline T loadRelaxed(const T& cell) { return std::atomic_ref<T>(const_cast<T&>(cell)).load(std::memory_order_relaxed); }
template <typename T, std::size_t N>
inline void storeRelaxedAll(std::array<T, N>& cells, const std::array<T, N>& values) {
    for (std::size_t i = 0; i < N; ++i)
        storeRelaxed(cells[i], values[i]);
}
inline void fillRelaxed(StepRow<float>& row, float value) {
    for (float& cell : row)
        storeRelaxed(cell, value);
}
inline StepRow<float> loadRelaxedRow(const StepRow<float>& row) {
    StepRow<float> copy;
    for (std::size_t s = 0; s < row.size(); ++s)
        copy[s] = loadRelaxed(row[s]);
    return copy;
}

inline void TrackPatterns::reset() {
    for (int p = 0; p < kPatternCount; ++p) {
        stepVelocity[p].fill(0.0f);
        stepHold[p].fill(1.0f);
        stepRoll[p].fill(0.0f);
    }
    fillRelaxed(randomHit, 0.0f);
    fillRelaxed(randomVelocity, 0.0f);
    fillRelaxed(randomHold, 1.0f);
    fillRelaxed(randomRoll, 0.0f);
    randomMinDensity.fill(-1.0f);
    randomMaxDensity.fill(-1.0f);
    randomMaxRoll.fill(0.0f);
    stepTune.fill(0.0f);
}

}  // namespace rimba
