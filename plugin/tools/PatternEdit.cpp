#include "plugin/tools/PatternEdit.h"

#include <algorithm>
#include <vector>

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

// The track's patterns as the instrument holds them, to be worked on and handed back whole. The
// random-keystroke layer is the render loop's to write: it is read value by value.
TrackPatterns planesOf(const InstrumentState& state, int track) {
    const TrackPatterns& live = state.patterns[static_cast<std::size_t>(track)];
    TrackPatterns planes;
    planes.stepVelocity = live.stepVelocity;
    planes.stepHold = live.stepHold;
    planes.stepRoll = live.stepRoll;
    planes.stepTune = live.stepTune;
    planes.randomMinDensity = live.randomMinDensity;
    planes.randomMaxDensity = live.randomMaxDensity;
    planes.randomMaxRoll = live.randomMaxRoll;
    planes.randomHit = loadRelaxedRow(live.randomHit);
    planes.randomVelocity = loadRelaxedRow(live.randomVelocity);
    planes.randomHold = loadRelaxedRow(live.randomHold);
    planes.randomRoll = loadRelaxedRow(live.randomRoll);
    return planes;
}

// A grid row of a track's patterns being worked on: the velocities and holds of one pattern with
// the track's tunes.
struct LiveRow {
    StepRow<float>& velocity;
    StepRow<float>& hold;
    StepRow<float>& tune;
};

LiveRow liveRow(TrackPatterns& planes, int pattern) {
    const auto p = static_cast<std::size_t>(pattern);
    return {planes.stepVelocity[p], planes.stepHold[p], planes.stepTune};
}

// Works `edit` out on a copy of the row's track patterns and hands the result to the instrument.
template <typename Edit>
void editRow(VornDrums& drums, int track, int pattern, Edit edit) {
    TrackPatterns planes = planesOf(drums.state(), track);
    edit(liveRow(planes, pattern));
    drums.setTrackPatterns(track, planes);
}

void clearGridStep(const LiveRow& row, std::size_t s) {
    row.velocity[s] = 0.0f;
    row.hold[s] = 0.0f;
    row.tune[s] = 0.0f;
}

void clearGridSteps(const LiveRow& row, int count) {
    for (int s = 0; s < count; ++s)
        clearGridStep(row, static_cast<std::size_t>(s));
}

void placeReferenceHit(const LiveRow& row, std::size_t to, const ReferencePattern& reference, std::size_t from) {
    row.velocity[to] = reference.stepVelocity[from];
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
    planes.stepVelocity[p][s] = 0.0f;
    planes.stepHold[p][s] = 1.0f;
    planes.stepRoll[p][s] = 0.0f;
}

void copyStripStep(TrackPatterns& planes, std::size_t p, std::size_t from, std::size_t to) {
    planes.stepVelocity[p][to] = planes.stepVelocity[p][from];
    planes.stepHold[p][to] = planes.stepHold[p][from];
    planes.stepRoll[p][to] = planes.stepRoll[p][from];
}

// Copies `length` steps from the page's first step to `copies` places after it, one after the
// other.
void repeatOnPage(VornDrums& drums, int track, int page, int length, int copies) {
    const InstrumentState& state = drums.state();
    if (!state.isActiveTrack(track) || !isPatternIndex(state.currentPattern) || page < 0 || page >= kPageCount)
        return;
    TrackPatterns planes = planesOf(state, track);
    const auto p = static_cast<std::size_t>(state.currentPattern);
    const int first = kStepsPerPage * page;
    for (int copy = 1; copy <= copies; ++copy) {
        for (int k = 0; k < length; ++k) {
            const auto from = static_cast<std::size_t>(first + k);
            copyStripStep(planes, p, from, from + static_cast<std::size_t>(copy * length));
        }
    }
    drums.setTrackPatterns(track, planes);
}

template <typename Turn>
void rotateCurrentPattern(VornDrums& drums, Turn turn) {
    const InstrumentState& state = drums.state();
    if (!isPatternIndex(state.currentPattern))
        return;
    const auto p = static_cast<std::size_t>(state.currentPattern);
    const int n = stepCount(state, state.currentPattern);
    if (n < 1)
        return;
    for (int t = 0; t < state.trackCount && t < kTrackSlots; ++t) {
        TrackPatterns planes = planesOf(state, t);
        turn(planes.stepVelocity[p], n);
        turn(planes.stepHold[p], n);
        turn(planes.stepRoll[p], n);
        drums.setTrackPatterns(t, planes);
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

void resetRow(VornDrums& drums, int track, int pattern) {
    if (isRow(drums.state(), track, pattern))
        editRow(drums, track, pattern, [](const LiveRow& row) { clearGridSteps(row, kMaxSteps); });
}

void cleanRow(VornDrums& drums, int track, int pattern) {
    if (!isRow(drums.state(), track, pattern))
        return;
    editRow(drums, track, pattern, [](const LiveRow& row) {
        for (std::size_t s = 0; s < kMaxSteps; ++s) {
            if (row.velocity[s] < kCleanThreshold)
                clearGridStep(row, s);
        }
    });
}

void duplicateRow(VornDrums& drums, int track, int pattern) {
    if (!isRow(drums.state(), track, pattern))
        return;
    const int n = stepCount(drums.state(), pattern);
    if (n < 1)
        return;
    editRow(drums, track, pattern, [n](const LiveRow& row) {
        for (int from = 0; from < n && n + from < kMaxSteps; ++from) {
            const auto s = static_cast<std::size_t>(from);
            const auto to = static_cast<std::size_t>(n + from);
            row.velocity[to] = row.velocity[s];
            row.hold[to] = row.hold[s];
            row.tune[to] = row.tune[s];
        }
    });
    drums.setPatternSteps(pattern, std::min(2 * n, kMaxSteps));
}

void randomizeSteps(VornDrums& drums, int track, int pattern, const std::optional<ReferencePattern>& reference) {
    if (!canRandomize(drums.state(), track, pattern, reference))
        return;
    const int n = stepCount(drums.state(), pattern);
    const std::vector<std::size_t> hits = referenceHits(*reference, n);
    editRow(drums, track, pattern, [&](const LiveRow& row) {
        clearGridSteps(row, n);
        for (const std::size_t from : hits) {
            for (int draw = 0; draw < n; ++draw) {
                const auto to = static_cast<std::size_t>(drums.drawEditRandom() % n);
                if (row.velocity[to] == 0.0f) {
                    placeReferenceHit(row, to, *reference, from);
                    break;
                }
            }
        }
    });
}

void randomizeStepsInPlace(VornDrums& drums, int track, int pattern, const std::optional<ReferencePattern>& reference) {
    if (!canRandomize(drums.state(), track, pattern, reference))
        return;
    const int n = stepCount(drums.state(), pattern);
    std::vector<std::size_t> remaining = referenceHits(*reference, n);
    const std::vector<std::size_t> places = remaining;
    editRow(drums, track, pattern, [&](const LiveRow& row) {
        clearGridSteps(row, n);
        for (const std::size_t to : places) {
            const auto i = static_cast<std::size_t>(drums.drawEditRandom()) % remaining.size();
            placeReferenceHit(row, to, *reference, remaining[i]);
            remaining.erase(remaining.begin() + static_cast<std::ptrdiff_t>(i));
        }
    });
}

void randomizePitch(VornDrums& drums, int track, int pattern, const std::optional<ReferencePattern>& reference) {
    if (!canRandomize(drums.state(), track, pattern, reference))
        return;
    const int n = stepCount(drums.state(), pattern);
    editRow(drums, track, pattern, [&](const LiveRow& row) {
        for (const std::size_t j : referenceHits(*reference, n)) {
            std::size_t source = j;
            for (int draw = 0; draw < n; ++draw) {
                const auto t = static_cast<std::size_t>(drums.drawEditRandom() % n);
                if (reference->stepVelocity[t] != 0.0f) {
                    source = t;
                    break;
                }
            }
            row.tune[j] = reference->stepTune[source];
        }
    });
}

void randomizeHold(VornDrums& drums, int track, int pattern, const std::optional<ReferencePattern>& reference) {
    if (!canRandomize(drums.state(), track, pattern, reference))
        return;
    const int n = stepCount(drums.state(), pattern);
    editRow(drums, track, pattern, [&](const LiveRow& row) {
        for (int s = 0; s < n; ++s)
            row.hold[static_cast<std::size_t>(s)] = static_cast<float>((drums.drawEditRandom() & 1) + 1);
    });
}

void restoreRow(VornDrums& drums, int track, int pattern, const std::optional<ReferencePattern>& reference) {
    if (!reference || !isRow(drums.state(), track, pattern))
        return;
    editRow(drums, track, pattern, [&](const LiveRow& row) {
        for (std::size_t s = 0; s < kMaxSteps; ++s)
            placeReferenceHit(row, s, *reference, s);
    });
}

void resetStrip(VornDrums& drums, int track) {
    const InstrumentState& state = drums.state();
    if (!isRow(state, track, state.currentPattern))
        return;
    TrackPatterns planes = planesOf(state, track);
    for (std::size_t s = 0; s < kMaxSteps; ++s)
        clearStripStep(planes, static_cast<std::size_t>(state.currentPattern), s);
    drums.setTrackPatterns(track, planes);
    drums.requestTrackRandomClear(track);
}

void cleanStrip(VornDrums& drums, int track) {
    const InstrumentState& state = drums.state();
    if (!isRow(state, track, state.currentPattern))
        return;
    TrackPatterns planes = planesOf(state, track);
    const auto p = static_cast<std::size_t>(state.currentPattern);
    std::vector<int> keystrokes;
    for (std::size_t s = 0; s < kMaxSteps; ++s) {
        if (planes.stepVelocity[p][s] < kCleanThreshold) {
            clearStripStep(planes, p, s);
            if (loadRelaxed(planes.randomHit[s]) != 0.0f)
                keystrokes.push_back(static_cast<int>(s));
        }
    }
    drums.setTrackPatterns(track, planes);
    for (const int step : keystrokes)
        drums.requestRandomKeystrokeRemoval(track, step);
}

void duplicateMeasure1(VornDrums& drums, int track, int page) { repeatOnPage(drums, track, page, 4, 3); }

void duplicateMeasures12(VornDrums& drums, int track, int page) { repeatOnPage(drums, track, page, 8, 1); }

void copyStrip(StripClipboard& clipboard, const InstrumentState& state, int track) {
    if (state.isActiveTrack(track))
        clipboard.copySourceTrack = track;
}

void pasteStrip(VornDrums& drums, const StripClipboard& clipboard, int track) {
    if (clipboard.copySourceTrack >= 0)
        copyWholeTrack(drums, clipboard.copySourceTrack, track);
}

void copyWholeTrack(VornDrums& drums, int source, int target) {
    const InstrumentState& state = drums.state();
    if (!state.isActiveTrack(source) || !state.isActiveTrack(target) || source == target)
        return;
    const TrackPatterns& from = state.patterns[static_cast<std::size_t>(source)];
    TrackPatterns to = planesOf(state, target);
    to.stepVelocity = from.stepVelocity;
    to.stepHold = from.stepHold;
    to.stepRoll = from.stepRoll;
    to.randomMinDensity = from.randomMinDensity;
    to.randomMaxDensity = from.randomMaxDensity;
    to.randomMaxRoll = from.randomMaxRoll;
    drums.setTrackPatterns(target, to);
    const auto s = static_cast<std::size_t>(source);
    drums.setTrackRandomSettings(target, state.tracks.randomMinDensity[s], state.tracks.randomMaxDensity[s],
                                 state.tracks.randomMaxRoll[s]);
}

void rotatePatternLeft(VornDrums& drums) {
    rotateCurrentPattern(
        drums, [](StepRow<float>& row, int n) { std::rotate(row.begin(), row.begin() + 1, row.begin() + n); });
}

void rotatePatternRight(VornDrums& drums) {
    rotateCurrentPattern(
        drums, [](StepRow<float>& row, int n) { std::rotate(row.begin(), row.begin() + (n - 1), row.begin() + n); });
}

}  // namespace rimba
