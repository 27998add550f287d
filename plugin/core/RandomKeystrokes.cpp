#include "plugin/core/RandomKeystrokes.h"

#include <cmath>

#include "common/platform/Clock.h"

namespace rimba {

namespace {

constexpr std::int32_t kDensityTable[7] = {0, 1, 2, 4, 6, 8, 12};

void clearKeystrokes(TrackPatterns& planes) {
    fillRelaxed(planes.randomHit, 0.0f);
    fillRelaxed(planes.randomVelocity, 0.0f);
    fillRelaxed(planes.randomHold, 1.0f);
    fillRelaxed(planes.randomRoll, 0.0f);
}

bool validPattern(std::int32_t pattern) { return pattern >= 0 && pattern < kPatternCount; }

// The first step from `start` upward, wrapping, that holds neither a keystroke nor a hit.
int findFreeStep(const TrackPatterns& planes, const StepRow<float>& hits, int start, int steps) {
    for (int scanned = 0; scanned < steps; ++scanned) {
        const int s = (start + scanned) % steps;
        if (planes.randomHit[static_cast<std::size_t>(s)] == 0.0f &&
            loadRelaxed(hits[static_cast<std::size_t>(s)]) == 0.0f)
            return s;
    }
    return -1;
}

}  // namespace

RandomRange randomRangeInForce(const InstrumentState& state, int track) {
    const auto t = static_cast<std::size_t>(track);
    if (loadRelaxed(state.randomPerPattern) && validPattern(state.currentPattern)) {
        const auto p = static_cast<std::size_t>(state.currentPattern);
        const TrackPatterns& planes = state.patterns[t];
        return {loadRelaxed(planes.randomMinDensity[p]), loadRelaxed(planes.randomMaxDensity[p]),
                loadRelaxed(planes.randomMaxRoll[p])};
    }
    return {loadRelaxed(state.tracks.randomMinDensity[t]), loadRelaxed(state.tracks.randomMaxDensity[t]),
            loadRelaxed(state.tracks.randomMaxRoll[t])};
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
    const std::int32_t steps = std::min(loadRelaxed(state.patternSteps[p]), kMaxSteps);
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
        storeRelaxed(planes.randomHit[step], 1.0f);
        const int velocity = state.random.next() % 128;
        storeRelaxed(planes.randomVelocity[step], static_cast<float>(velocity == 0 ? 1 : velocity));
        storeRelaxed(planes.randomHold[step], static_cast<float>(state.random.next() % 16 + 1) * 0.25f);
        storeRelaxed(planes.randomRoll[step], static_cast<float>(state.random.next() % (maxRoll + 1)));
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

void clearAllRandom(InstrumentState& state) {
    for (int t = 0; t < state.trackCount; ++t) {
        TrackPatterns& planes = state.patterns[static_cast<std::size_t>(t)];
        fillRelaxed(planes.randomHit, 0.0f);
        fillRelaxed(planes.randomVelocity, 0.0f);
        fillRelaxed(planes.randomHold, 1.0f);
    }
}

void applyRandomRequest(InstrumentState& state, const RandomRequest& request) {
    using Kind = RandomRequest::Kind;
    const bool trackInUse = state.isActiveTrack(request.track);
    switch (request.kind) {
        case Kind::regenerateAll: regenerateAllRandom(state); break;
        case Kind::regenerateTrack:
            if (trackInUse)
                regenerateTrackRandom(state, request.track);
            break;
        case Kind::generateTrack:
            if (trackInUse)
                generateRandomKeystrokes(state, request.track, request.fraction);
            break;
        case Kind::clearAll: clearAllRandom(state); break;
        case Kind::clearKept:
            for (int t = 0; t < state.trackCount; ++t)
                clearKeystrokes(state.patterns[static_cast<std::size_t>(t)]);
            break;
        case Kind::clearTrackHits:
            if (trackInUse)
                fillRelaxed(state.patterns[static_cast<std::size_t>(request.track)].randomHit, 0.0f);
            break;
        case Kind::removeKeystroke:
            if (trackInUse && request.step >= 0 && request.step < kMaxSteps)
                storeRelaxed(state.patterns[static_cast<std::size_t>(request.track)]
                                 .randomHit[static_cast<std::size_t>(request.step)],
                             0.0f);
            break;
    }
}

void takeRandomRequests(InstrumentState& state) {
    while (const std::optional<RandomRequest> request = state.randomRequests.pop())
        applyRandomRequest(state, *request);
}

bool applyRequestsWhileHostIsStill(InstrumentState& state) {
    if (state.randomRequests.empty())
        return true;
    const bool still = !state.anyBlockBegan.load() ||
                       platform::tickMilliseconds() - state.lastBlockBegan.load() > kHostStillMilliseconds;
    if (!still)
        return false;
    LoadGuard hold(state.handshake);
    // A render that outlasted the handshake's wait still owns the requests.
    if (!state.handshake.heldOffByThisThread())
        return false;
    takeRandomRequests(state);
    return true;
}

void requestRandomChange(InstrumentState& state, const RandomRequest& request) {
    state.randomRequests.push(request);
    applyRequestsWhileHostIsStill(state);
}

void keepRandomKeystrokes(InstrumentState& state) {
    if (!validPattern(state.currentPattern))
        return;
    const auto p = static_cast<std::size_t>(state.currentPattern);
    for (int t = 0; t < state.trackCount; ++t) {
        TrackPatterns& planes = state.patterns[static_cast<std::size_t>(t)];
        const StepEdit edit(state.stepEdits[static_cast<std::size_t>(t)]);
        for (std::size_t s = 0; s < kMaxSteps; ++s) {
            if (loadRelaxed(planes.randomHit[s]) == 0.0f)
                continue;
            storeStepValue(planes.stepVelocity[p][s], loadRelaxed(planes.randomVelocity[s]));
            planes.stepHold[p][s] = loadRelaxed(planes.randomHold[s]);
            storeStepValue(planes.stepRoll[p][s], loadRelaxed(planes.randomRoll[s]));
        }
    }
    requestRandomChange(state, {.kind = RandomRequest::Kind::clearKept});
}

}  // namespace rimba
