#include "plugin/tools/PatternEdit.h"

#include <algorithm>
#include <vector>

#include "plugin/core/RandomKeystrokes.h"

namespace rimba {
namespace {

constexpr float kCleanThreshold = 5.0f;  // hits below this velocity are too quiet to keep
constexpr int kStepsPerPage = 16;
constexpr int kPageCount = kMaxSteps / kStepsPerPage;

bool isPatternIndex(int pattern) { return pattern >= 0 && pattern < kPatternCount; }

bool isRow(const InstrumentState& state, int track, int pattern) {
    return state.isActiveTrack(track) && isPatternIndex(pattern);
}

// The pattern's step count as far as the planes reach.
int stepCount(const InstrumentState& state, int pattern) {
    return std::clamp(state.patternSteps[static_cast<std::size_t>(pattern)], 0, kMaxSteps);
}

TrackPatterns& planesOf(InstrumentState& state, int track) { return state.patterns[static_cast<std::size_t>(track)]; }

// A grid row: the velocities and holds of one pattern with the track's tunes. The render loop
// reads the velocities (and the rolls) at each step as they are: they are stored value by value
// (storeRelaxed); holds and tunes are the editor's alone.
struct LiveRow {
    StepRow<float>& velocity;
    StepRow<float>& hold;
    StepRow<float>& tune;
};

LiveRow liveRow(InstrumentState& state, int track, int pattern) {
    TrackPatterns& planes = planesOf(state, track);
    const auto p = static_cast<std::size_t>(pattern);
    return {planes.stepVelocity[p], planes.stepHold[p], planes.stepTune};
}

void clearGridStep(const LiveRow& row, std::size_t s) {
    storeRelaxed(row.velocity[s], 0.0f);
    row.hold[s] = 0.0f;
    row.tune[s] = 0.0f;
}

void clearGridSteps(const LiveRow& row, int count) {
    for (int s = 0; s < count; ++s)
        clearGridStep(row, static_cast<std::size_t>(s));
}

void placeReferenceHit(const LiveRow& row, std::size_t to, const ReferencePattern& reference, std::size_t from) {
    storeRelaxed(row.velocity[to], reference.stepVelocity[from]);
    row.hold[to] = reference.stepHold[from];
    row.tune[to] = reference.stepTune[from];
}

// The steps below `count` at which the reference has a hit, in ascending order.
std::vector<std::size_t> referenceHits(const ReferencePattern& reference, int count) {
    std::vector<std::size_t> hits;
    for (int s = 0; s < count; ++s) {
        if (reference.stepVelocity[static_cast<std::size_t>(s)] != 0.0f)
            hits.push_back(static_cast<std::size_t>(s));
    }
    return hits;
}

// The randomisations need a reference and at least one step to work on.
bool canRandomize(const InstrumentState& state, int track, int pattern,
                  const std::optional<ReferencePattern>& reference) {
    return reference && isRow(state, track, pattern) && stepCount(state, pattern) >= 1;
}

void clearStripStep(TrackPatterns& planes, std::size_t p, std::size_t s) {
    storeRelaxed(planes.stepVelocity[p][s], 0.0f);
    planes.stepHold[p][s] = 1.0f;
    storeRelaxed(planes.stepRoll[p][s], 0.0f);
}

void copyStripStep(TrackPatterns& planes, std::size_t p, std::size_t from, std::size_t to) {
    storeRelaxed(planes.stepVelocity[p][to], planes.stepVelocity[p][from]);
    planes.stepHold[p][to] = planes.stepHold[p][from];
    storeRelaxed(planes.stepRoll[p][to], planes.stepRoll[p][from]);
}

// Copies `length` steps from the page's first step to `copies` places after it, one after the
// other.
void repeatOnPage(InstrumentState& state, int track, int page, int length, int copies) {
    if (!state.isActiveTrack(track) || !isPatternIndex(state.currentPattern) || page < 0 || page >= kPageCount)
        return;
    TrackPatterns& planes = planesOf(state, track);
    const auto p = static_cast<std::size_t>(state.currentPattern);
    const int first = kStepsPerPage * page;
    for (int copy = 1; copy <= copies; ++copy) {
        for (int k = 0; k < length; ++k) {
            const auto from = static_cast<std::size_t>(first + k);
            copyStripStep(planes, p, from, from + static_cast<std::size_t>(copy * length));
        }
    }
}

// Turns a copy of a row the render loop reads and stores it back value by value.
template <typename Turn>
void turnPlayedRow(StepRow<float>& row, int n, Turn turn) {
    StepRow<float> turned = row;
    turn(turned, n);
    for (std::size_t s = 0; s < row.size(); ++s)
        storeRelaxed(row[s], turned[s]);
}

template <typename Turn>
void rotateCurrentPattern(InstrumentState& state, Turn turn) {
    if (!isPatternIndex(state.currentPattern))
        return;
    const auto p = static_cast<std::size_t>(state.currentPattern);
    const int n = stepCount(state, state.currentPattern);
    if (n < 1)
        return;
    for (int t = 0; t < state.trackCount && t < kTrackSlots; ++t) {
        TrackPatterns& planes = planesOf(state, t);
        turnPlayedRow(planes.stepVelocity[p], n, turn);
        turn(planes.stepHold[p], n);
        turnPlayedRow(planes.stepRoll[p], n, turn);
    }
}

}  // namespace

ReferencePattern takeReferencePattern(const InstrumentState& state, int track, int pattern) {
    ReferencePattern reference;
    if (track < 0 || track >= kTrackSlots || !isPatternIndex(pattern))
        return reference;
    const TrackPatterns& planes = state.patterns[static_cast<std::size_t>(track)];
    const auto p = static_cast<std::size_t>(pattern);
    reference.stepVelocity = planes.stepVelocity[p];
    reference.stepHold = planes.stepHold[p];
    reference.stepTune = planes.stepTune;
    return reference;
}

void resetRow(InstrumentState& state, int track, int pattern) {
    if (isRow(state, track, pattern))
        clearGridSteps(liveRow(state, track, pattern), kMaxSteps);
}

void cleanRow(InstrumentState& state, int track, int pattern) {
    if (!isRow(state, track, pattern))
        return;
    const LiveRow row = liveRow(state, track, pattern);
    for (std::size_t s = 0; s < kMaxSteps; ++s) {
        if (row.velocity[s] < kCleanThreshold)
            clearGridStep(row, s);
    }
}

void duplicateRow(InstrumentState& state, int track, int pattern) {
    if (!isRow(state, track, pattern))
        return;
    const int n = stepCount(state, pattern);
    if (n < 1)
        return;
    const LiveRow row = liveRow(state, track, pattern);
    for (int from = 0; from < n && n + from < kMaxSteps; ++from) {
        const auto s = static_cast<std::size_t>(from);
        const auto to = static_cast<std::size_t>(n + from);
        storeRelaxed(row.velocity[to], row.velocity[s]);
        row.hold[to] = row.hold[s];
        row.tune[to] = row.tune[s];
    }
    state.patternSteps[static_cast<std::size_t>(pattern)] = std::min(2 * n, kMaxSteps);
}

void randomizeSteps(InstrumentState& state, int track, int pattern, const std::optional<ReferencePattern>& reference) {
    if (!canRandomize(state, track, pattern, reference))
        return;
    const int n = stepCount(state, pattern);
    const std::vector<std::size_t> hits = referenceHits(*reference, n);
    const LiveRow row = liveRow(state, track, pattern);
    clearGridSteps(row, n);
    for (const std::size_t from : hits) {
        for (int draw = 0; draw < n; ++draw) {
            const auto to = static_cast<std::size_t>(state.editRandom.next() % n);
            if (row.velocity[to] == 0.0f) {
                placeReferenceHit(row, to, *reference, from);
                break;
            }
        }
    }
}

void randomizeStepsInPlace(InstrumentState& state, int track, int pattern,
                           const std::optional<ReferencePattern>& reference) {
    if (!canRandomize(state, track, pattern, reference))
        return;
    const int n = stepCount(state, pattern);
    std::vector<std::size_t> remaining = referenceHits(*reference, n);
    const std::vector<std::size_t> places = remaining;
    const LiveRow row = liveRow(state, track, pattern);
    clearGridSteps(row, n);
    for (const std::size_t to : places) {
        const auto i = static_cast<std::size_t>(state.editRandom.next()) % remaining.size();
        placeReferenceHit(row, to, *reference, remaining[i]);
        remaining.erase(remaining.begin() + static_cast<std::ptrdiff_t>(i));
    }
}

void randomizePitch(InstrumentState& state, int track, int pattern, const std::optional<ReferencePattern>& reference) {
    if (!canRandomize(state, track, pattern, reference))
        return;
    const int n = stepCount(state, pattern);
    const LiveRow row = liveRow(state, track, pattern);
    for (const std::size_t j : referenceHits(*reference, n)) {
        std::size_t source = j;
        for (int draw = 0; draw < n; ++draw) {
            const auto t = static_cast<std::size_t>(state.editRandom.next() % n);
            if (reference->stepVelocity[t] != 0.0f) {
                source = t;
                break;
            }
        }
        row.tune[j] = reference->stepTune[source];
    }
}

void randomizeHold(InstrumentState& state, int track, int pattern, const std::optional<ReferencePattern>& reference) {
    if (!canRandomize(state, track, pattern, reference))
        return;
    const LiveRow row = liveRow(state, track, pattern);
    for (int s = 0; s < stepCount(state, pattern); ++s)
        row.hold[static_cast<std::size_t>(s)] = static_cast<float>((state.editRandom.next() & 1) + 1);
}

void restoreRow(InstrumentState& state, int track, int pattern, const std::optional<ReferencePattern>& reference) {
    if (!reference || !isRow(state, track, pattern))
        return;
    const LiveRow row = liveRow(state, track, pattern);
    for (std::size_t s = 0; s < kMaxSteps; ++s)
        placeReferenceHit(row, s, *reference, s);
}

void resetStrip(InstrumentState& state, int track) {
    if (!isRow(state, track, state.currentPattern))
        return;
    TrackPatterns& planes = planesOf(state, track);
    for (std::size_t s = 0; s < kMaxSteps; ++s)
        clearStripStep(planes, static_cast<std::size_t>(state.currentPattern), s);
    requestRandomChange(state, {.kind = RandomRequest::Kind::clearTrackHits, .track = track});
}

void cleanStrip(InstrumentState& state, int track) {
    if (!isRow(state, track, state.currentPattern))
        return;
    TrackPatterns& planes = planesOf(state, track);
    const auto p = static_cast<std::size_t>(state.currentPattern);
    for (std::size_t s = 0; s < kMaxSteps; ++s) {
        if (planes.stepVelocity[p][s] < kCleanThreshold) {
            clearStripStep(planes, p, s);
            if (loadRelaxed(planes.randomHit[s]) != 0.0f)
                requestRandomChange(state, {.kind = RandomRequest::Kind::removeKeystroke,
                                            .track = track,
                                            .step = static_cast<std::int32_t>(s)});
        }
    }
}

void duplicateMeasure1(InstrumentState& state, int track, int page) { repeatOnPage(state, track, page, 4, 3); }

void duplicateMeasures12(InstrumentState& state, int track, int page) { repeatOnPage(state, track, page, 8, 1); }

void copyStrip(StripClipboard& clipboard, const InstrumentState& state, int track) {
    if (state.isActiveTrack(track))
        clipboard.copySourceTrack = track;
}

void pasteStrip(InstrumentState& state, const StripClipboard& clipboard, int track) {
    if (clipboard.copySourceTrack >= 0)
        copyWholeTrack(state, clipboard.copySourceTrack, track);
}

void copyWholeTrack(InstrumentState& state, int source, int target) {
    if (!state.isActiveTrack(source) || !state.isActiveTrack(target) || source == target)
        return;
    const TrackPatterns& from = planesOf(state, source);
    TrackPatterns& to = planesOf(state, target);
    for (std::size_t p = 0; p < kPatternCount; ++p) {
        for (std::size_t s = 0; s < kMaxSteps; ++s) {
            storeRelaxed(to.stepVelocity[p][s], from.stepVelocity[p][s]);
            storeRelaxed(to.stepRoll[p][s], from.stepRoll[p][s]);
        }
    }
    to.stepHold = from.stepHold;
    // The random settings are read by the render loop's automatic redraw as they are.
    for (std::size_t p = 0; p < kPatternCount; ++p) {
        storeRelaxed(to.randomMinDensity[p], from.randomMinDensity[p]);
        storeRelaxed(to.randomMaxDensity[p], from.randomMaxDensity[p]);
        storeRelaxed(to.randomMaxRoll[p], from.randomMaxRoll[p]);
    }
    const auto s = static_cast<std::size_t>(source);
    const auto t = static_cast<std::size_t>(target);
    storeRelaxed(state.tracks.randomMinDensity[t], state.tracks.randomMinDensity[s]);
    storeRelaxed(state.tracks.randomMaxDensity[t], state.tracks.randomMaxDensity[s]);
    storeRelaxed(state.tracks.randomMaxRoll[t], state.tracks.randomMaxRoll[s]);
}

void rotatePatternLeft(InstrumentState& state) {
    rotateCurrentPattern(
        state, [](StepRow<float>& row, int n) { std::rotate(row.begin(), row.begin() + 1, row.begin() + n); });
}

void rotatePatternRight(InstrumentState& state) {
    rotateCurrentPattern(
        state, [](StepRow<float>& row, int n) { std::rotate(row.begin(), row.begin() + (n - 1), row.begin() + n); });
}

}  // namespace rimba
