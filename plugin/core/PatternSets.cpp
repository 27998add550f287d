#include "plugin/core/PatternSets.h"

#include <algorithm>
#include <optional>
#include <variant>
#include <vector>

#include "common/platform/Files.h"
#include "plugin/files/PatternFile.h"

namespace rimba {
namespace {

int activeTracks(const InstrumentState& state) { return std::clamp(state.trackCount, 0, kTrackSlots); }

bool isPatternIndex(int p) { return p >= 0 && p < kPatternCount; }

Refusal outsidePatterns(int pattern) {
    return Refusal{"pattern " + std::to_string(pattern) + " is outside 0 to " + std::to_string(kPatternCount - 1)};
}

PatternSource sourceOf(const InstrumentState& state) {
    return {.patterns = state, .trackCount = state.trackCount, .trackKeys = state.settings.trackKey};
}

bool writeText(const std::string& path, const std::string& text) {
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(text.data());
    return platform::writeFileAtomically(path, std::span<const std::uint8_t>(bytes, text.size()));
}

void clearPatternSteps(TrackPatterns& planes, std::size_t p) {
    planes.stepVelocity[p].fill(0.0f);
    planes.stepHold[p].fill(1.0f);
    planes.stepRoll[p].fill(0.0f);
}

// resetPatterns without the hand-over; the caller holds the audio thread off.
void resetPatternsHeld(InstrumentState& state) {
    for (int t = 0; t < activeTracks(state); ++t) {
        const auto track = static_cast<std::size_t>(t);
        TrackPatterns& planes = state.patterns[track];
        for (std::size_t p = 0; p < kPatternCount; ++p)
            clearPatternSteps(planes, p);
        planes.randomMinDensity.fill(-1.0f);
        planes.randomMaxDensity.fill(-1.0f);
        planes.randomMaxRoll.fill(0.0f);
        fillRelaxed(planes.randomHit, 0.0f);
        state.tracks.randomMinDensity[track] = -1.0f;
        state.tracks.randomMaxDensity[track] = -1.0f;
        state.tracks.randomMaxRoll[track] = 0.0f;
    }
    state.patternSteps.fill(16);
    state.chainEnabled.fill(0);
    state.choosePattern(0);
    state.playMode = 0;
    state.swing = 0;
    state.randomAuto = 0;
    state.randomPerPattern = 0;
    state.randomGraphVisible = 0;
    state.patternSetReserved.fill(0.0f);
    state.fillAttenuation = 64;
}

void applyHeader(InstrumentState& state, const PatternHeader& header) {
    state.playMode = header.playMode;
    state.swing = header.swing;
    if (header.randomAuto)
        state.randomAuto = *header.randomAuto;
    if (header.randomPerPattern)
        state.randomPerPattern = *header.randomPerPattern;
    if (header.extension) {
        state.randomGraphVisible = header.extension->randomGraphVisible;
        state.patternSetReserved = header.extension->reserved;
    }
    if (header.fillAttenuation)
        state.fillAttenuation = *header.fillAttenuation;
}

void applyPatternLine(InstrumentState& state, const PatternLine& line, std::size_t p) {
    state.patternSteps[p] = line.steps;
    if (line.chain)
        state.chainEnabled[p] = *line.chain;
    for (std::size_t t = 0; t < line.triples.size() && t < kTrackSlots; ++t) {
        TrackPatterns& planes = state.patterns[t];
        planes.randomMinDensity[p] = line.triples[t].minDensity;
        planes.randomMaxDensity[p] = line.triples[t].maxDensity;
        planes.randomMaxRoll[p] = line.triples[t].maxRoll;
    }
    for (const PatternNote& note : line.notes) {
        TrackPatterns& planes = state.patterns[static_cast<std::size_t>(note.track)];
        const auto s = static_cast<std::size_t>(note.step);
        planes.stepVelocity[p][s] = note.velocity;
        planes.stepHold[p][s] = note.hold;
        planes.stepRoll[p][s] = note.roll;
    }
}

int applyPatternSet(InstrumentState& state, const std::vector<PatternSetLine>& lines) {
    LoadGuard hold(state.handshake);
    resetPatternsHeld(state);
    int patternLines = 0;
    for (const PatternSetLine& line : lines) {
        if (const auto* header = std::get_if<PatternHeader>(&line)) {
            applyHeader(state, *header);
        } else {
            const PatternLine& pattern = std::get<PatternLine>(line);
            applyPatternLine(state, pattern, static_cast<std::size_t>(pattern.pattern));
            ++patternLines;
        }
    }
    return patternLines;
}

int applySinglePattern(InstrumentState& state, const std::vector<PatternLine>& lines, std::size_t q) {
    LoadGuard hold(state.handshake);
    for (int t = 0; t < activeTracks(state); ++t) {
        TrackPatterns& planes = state.patterns[static_cast<std::size_t>(t)];
        clearPatternSteps(planes, q);
        fillRelaxed(planes.randomHit, 0.0f);
    }
    for (const PatternLine& line : lines)
        applyPatternLine(state, line, q);
    return static_cast<int>(lines.size());
}

}  // namespace

std::string patternSetText(const InstrumentState& state) { return writePatternSet(sourceOf(state)); }

std::string patternText(const InstrumentState& state, int pattern) { return writePattern(sourceOf(state), pattern); }

bool savePatternSet(const InstrumentState& state, const std::string& path) {
    return writeText(path, patternSetText(state));
}

bool savePattern(const InstrumentState& state, const std::string& path, int pattern) {
    return isPatternIndex(pattern) && writeText(path, patternText(state, pattern));
}

Result<int> loadPatternSet(InstrumentState& state, const std::string& path) {
    const std::optional<std::vector<std::uint8_t>> bytes = platform::readWholeFile(path);
    if (!bytes)
        return Refusal{"cannot read " + path};
    return loadPatternSetBytes(state, *bytes);
}

int loadPatternSetBytes(InstrumentState& state, std::span<const std::uint8_t> bytes) {
    return applyPatternSet(state, readPatternSet(bytes, activeTracks(state)));
}

Result<int> loadPattern(InstrumentState& state, const std::string& path, int pattern) {
    if (!isPatternIndex(pattern))
        return outsidePatterns(pattern);
    const std::optional<std::vector<std::uint8_t>> bytes = platform::readWholeFile(path);
    if (!bytes)
        return Refusal{"cannot read " + path};
    return loadPatternBytes(state, *bytes, pattern);
}

Result<int> loadPatternBytes(InstrumentState& state, std::span<const std::uint8_t> bytes, int pattern) {
    if (!isPatternIndex(pattern))
        return outsidePatterns(pattern);
    return applySinglePattern(state, readSinglePattern(bytes, activeTracks(state)), static_cast<std::size_t>(pattern));
}

void resetPatterns(InstrumentState& state) {
    LoadGuard hold(state.handshake);
    resetPatternsHeld(state);
}

}  // namespace rimba
