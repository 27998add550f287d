#include "plugin/core/RandomKeystrokes.h"

#include <cmath>

namespace rimba {

namespace {

constexpr std::int32_t kDensityTable[7] = {0, 1, 2, 4, 6, 8, 12};

void clearKeystrokes(TrackPatterns& planes) {
    planes.randomHit.fill(0.0f);
    planes.randomVelocity.fill(0.0f);
    planes.randomHold.fill(1.0f);
    planes.randomRoll.fill(0.0f);
}

bool validPattern(std::int32_t pattern) { return pattern >= 0 && pattern < kPatternCount; }

// The first step from `start` upward, wrapping, that holds neither a keystroke nor a hit.
int findFreeStep(const TrackPatterns& planes, const StepRow<float>& hits, int start, int steps) {
    for (int scanned = 0; scanned < steps; ++scanned) {
        const int s = (start + scanned) % steps;
        if (planes.randomHit[static_cast<std::size_t>(s)] == 0.0f && hits[static_cast<std::size_t>(s)] == 0.0f)
            return s;
    }
    return -1;
}

}  // namespace

RandomRange randomRangeInForce(const InstrumentState& state, int track) {
    const auto t = static_cast<std::size_t>(track);
    if (state.randomPerPattern && validPattern(state.currentPattern)) {
        const auto p = static_cast<std::size_t>(state.currentPattern);
        const TrackPatterns& planes = state.patterns[t];
        return {planes.randomMinDensity[p], planes.randomMaxDensity[p], planes.randomMaxRoll[p]};
    }
    return {state.tracks.randomMinDensity[t], state.tracks.randomMaxDensity[t], state.tracks.randomMaxRoll[t]};
}

std::int32_t densityOfCell(float cell) {
    // The setting is truncated to its cell first: -0.5 is cell 0, and only a cell below 0 is off.
    const float whole = std::trunc(cell);
    if (!(whole >= 0.0f))
        return -1;
    const auto index = static_cast<std::int32_t>(std::fmin(whole, 6.0f));
    return kDensityTable[index];
}

void generateRandomKeystrokes(InstrumentState& state, int track, float fraction) {
    if (track < 0 || track >= kTrackSlots)
        return;
    TrackPatterns& planes = state.patterns[static_cast<std::size_t>(track)];
    clearKeystrokes(planes);
    if (!validPattern(state.currentPattern))
        return;
    const auto p = static_cast<std::size_t>(state.currentPattern);
    const std::int32_t steps = std::min(state.patternSteps[p], kMaxSteps);
    if (steps <= 0)
        return;
    const float rollSetting = randomRangeInForce(state, track).maxRoll;
    const std::int32_t maxRoll =
        std::isfinite(rollSetting) ? std::max(0, static_cast<std::int32_t>(std::fmin(rollSetting, 64.0f))) : 0;
    const float wanted = static_cast<float>(steps) * fraction;
    const std::int32_t count = std::isfinite(wanted) ? static_cast<std::int32_t>(std::fmin(wanted, 1e6f)) : 0;
    for (std::int32_t k = 0; k < count; ++k) {
        const int start = state.random.next() % steps;
        const int s = findFreeStep(planes, planes.stepVelocity[p], start, steps);
        if (s < 0)
            continue;
        const auto step = static_cast<std::size_t>(s);
        planes.randomHit[step] = 1.0f;
        const int velocity = state.random.next() % 128;
        planes.randomVelocity[step] = static_cast<float>(velocity == 0 ? 1 : velocity);
        planes.randomHold[step] = static_cast<float>(state.random.next() % 16 + 1) * 0.25f;
        planes.randomRoll[step] = static_cast<float>(state.random.next() % (maxRoll + 1));
    }
}

void regenerateTrackRandom(InstrumentState& state, int track) {
    if (!validPattern(state.currentPattern))
        return;
    const RandomRange range = randomRangeInForce(state, track);
    const std::int32_t low = densityOfCell(range.minCell);
    const std::int32_t high = densityOfCell(range.maxCell);
    std::int32_t density = low;
    if (low < 0)
        density = high;
    else if (high >= 0 && low < high)
        density = low + state.random.next() % (high - low + 1);
    generateRandomKeystrokes(state, track, static_cast<float>(density) / 16.0f);
}

void regenerateAllRandom(InstrumentState& state) {
    for (int t = 0; t < state.trackCount; ++t)
        regenerateTrackRandom(state, t);
}

void keepRandomKeystrokes(InstrumentState& state) {
    if (!validPattern(state.currentPattern))
        return;
    const auto p = static_cast<std::size_t>(state.currentPattern);
    for (int t = 0; t < state.trackCount; ++t) {
        TrackPatterns& planes = state.patterns[static_cast<std::size_t>(t)];
        for (std::size_t s = 0; s < kMaxSteps; ++s) {
            if (planes.randomHit[s] == 0.0f)
                continue;
            planes.stepVelocity[p][s] = planes.randomVelocity[s];
            planes.stepHold[p][s] = planes.randomHold[s];
            planes.stepRoll[p][s] = planes.randomRoll[s];
        }
        clearKeystrokes(planes);
    }
}

void clearAllRandom(InstrumentState& state) {
    for (int t = 0; t < state.trackCount; ++t) {
        TrackPatterns& planes = state.patterns[static_cast<std::size_t>(t)];
        planes.randomHit.fill(0.0f);
        planes.randomVelocity.fill(0.0f);
        planes.randomHold.fill(1.0f);
    }
}

}  // namespace rimba
