#include "plugin/files/PatternFile.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <optional>
#include <string_view>
#include <variant>
#include <vector>

#include "plugin/files/PatternText.h"

namespace rimba {
namespace {

using patterntext::Fields;

constexpr std::string_view kHeaderKeyword = "STEPNUMBER_MODE";
constexpr std::string_view kOldestKeyword = "PATTERN_NOTES";
constexpr std::string_view kChannelKeyword = "PATTERN_NOTES_CHANNEL";
constexpr std::string_view kEightTrackKeyword = "PATTERN_NOTES_EX";
constexpr std::string_view kEndKeyword = "PATTERNS";
constexpr std::string_view kEndValue = "END";

constexpr int kFirstKey = 36;  // keys 36..51 name tracks 0..15
constexpr int kEightTrackTriples = 8;
constexpr int kEightTrackNotesField = 4 + 3 * kEightTrackTriples;
constexpr int kHeaderFields = 4;
constexpr int kChannelFields = 6;
// The reserved values are written in pairs k, k + 4.
constexpr std::array<int, 8> kReservedWriteOrder{0, 4, 1, 5, 2, 6, 3, 7};


int fieldCount(const Fields& fields) { return static_cast<int>(fields.size()); }

// Files hold whatever their writer put there; the sequencer's settings are held to the ranges
// that parameters and program chunks give them, so a hostile file cannot play steps seconds
// late, overflow the sequencer's arithmetic or ask an export for hours of audio.
std::int32_t limitedSteps(std::int32_t steps) { return std::clamp(steps, kMinSteps, kMaxSteps); }
std::int32_t limitedSwing(std::int32_t swing) { return std::clamp(swing, 0, kMaxSwing); }
std::int32_t limitedFillAttenuation(std::int32_t fill) { return std::clamp(fill, 0, kMaxFillAttenuation); }
// A hit is a MIDI velocity; a hold or roll that is no number stands for none.
float limitedVelocity(std::int32_t velocity) { return static_cast<float>(std::clamp(velocity, 0, kMaxVelocity)); }
float finiteOr(float value, float fallback) { return std::isfinite(value) ? value : fallback; }

bool isPatternIndex(std::int32_t p) { return p >= 0 && p < kPatternCount; }

// ---- Reading -------------------------------------------------------------------------------

// Note entries of `width` fields (4: no roll, 5: with roll) from `first` to the end of the line;
// an incomplete entry at the end is ignored, and so is an entry off the grid or off the keys.
std::vector<PatternNote> readNotes(const Fields& fields, int first, int width) {
    std::vector<PatternNote> notes;
    for (int at = first; at + width <= fieldCount(fields); at += width) {
        const auto field = [&](int k) { return fields[static_cast<std::size_t>(at + k)]; };
        const std::int32_t step = patterntext::readRealAsInteger(field(0));
        const std::int32_t key = patterntext::readInteger(field(1));
        if (step < 0 || step >= kMaxSteps || key < kFirstKey || key >= kFirstKey + kTrackSlots)
            continue;
        notes.push_back(
            {.track = key - kFirstKey,
             .step = step,
             .hold = finiteOr(patterntext::toStoredFloat(patterntext::readReal(field(2))), 1.0f),
             .velocity = limitedVelocity(patterntext::readInteger(field(3))),
             .roll = width == 5 ? finiteOr(patterntext::toStoredFloat(patterntext::readReal(field(4))), 0.0f) : 0.0f});
    }
    return notes;
}

// The random triples of tracks 0 .. count - 1 from `first` on, as far as the line holds them.
std::vector<PatternRandomTriple> readTriples(const Fields& fields, int first, int count) {
    std::vector<PatternRandomTriple> triples;
    for (int t = 0; t < count && first + 3 * t + 3 <= fieldCount(fields); ++t) {
        const auto field = [&](int k) { return fields[static_cast<std::size_t>(first + 3 * t + k)]; };
        triples.push_back({.minDensity = static_cast<float>(patterntext::readInteger(field(0))),
                           .maxDensity = static_cast<float>(patterntext::readInteger(field(1))),
                           .maxRoll = static_cast<float>(patterntext::readInteger(field(2)))});
    }
    return triples;
}

std::int32_t integerField(const Fields& fields, int k) {
    return patterntext::readInteger(fields[static_cast<std::size_t>(k)]);
}

std::int32_t realIntegerField(const Fields& fields, int k) {
    return patterntext::readRealAsInteger(fields[static_cast<std::size_t>(k)]);
}

// A header carrying the graph switch and the reserved values also says that the note entries of
// the older line forms have five fields.
bool headerMarksFiveFieldNotes(const Fields& fields) { return fieldCount(fields) > 14; }

PatternHeader readHeader(const Fields& fields) {
    PatternHeader header;
    const std::int32_t mode = integerField(fields, 2);
    header.playMode = mode == 2 ? 1 : (mode == 3 ? 2 : 0);
    header.swing = limitedSwing(realIntegerField(fields, 3));
    if (fieldCount(fields) > 4)
        header.randomAuto = realIntegerField(fields, 4);
    if (fieldCount(fields) > 5)
        header.randomPerPattern = realIntegerField(fields, 5);
    if (headerMarksFiveFieldNotes(fields)) {
        PatternHeaderExtension extension;
        extension.randomGraphVisible = realIntegerField(fields, 6);
        const auto real = [&](int k) {
            return patterntext::toStoredFloat(patterntext::readReal(fields[static_cast<std::size_t>(k)]));
        };
        for (std::size_t k = 0; k < 4; ++k) {
            extension.reserved[k] = real(7 + 2 * static_cast<int>(k));
            extension.reserved[k + 4] = real(8 + 2 * static_cast<int>(k));
        }
        header.extension = extension;
    }
    if (fieldCount(fields) > 15)
        header.fillAttenuation = limitedFillAttenuation(realIntegerField(fields, 15));
    return header;
}

std::optional<PatternLine> readOldestLine(const Fields& fields, int noteWidth) {
    if (fieldCount(fields) < 4 || !isPatternIndex(integerField(fields, 1)))
        return std::nullopt;
    return PatternLine{.pattern = integerField(fields, 1),
                       .steps = limitedSteps(integerField(fields, 2)),
                       .chain = integerField(fields, 3),
                       .triples = {},
                       .notes = readNotes(fields, 4, noteWidth)};
}

// The channel form names its own track count; a line for more tracks than the instrument has
// cannot be placed and is skipped whole.
bool channelCountFits(const Fields& fields, int trackCount) {
    const std::int32_t n = integerField(fields, 1);
    return n >= 0 && n <= trackCount;
}

PatternLine readChannelBody(const Fields& fields, std::optional<std::int32_t> chain) {
    const std::int32_t n = integerField(fields, 1);
    return PatternLine{.pattern = integerField(fields, 2),
                       .steps = limitedSteps(integerField(fields, 3)),
                       .chain = chain,
                       .triples = readTriples(fields, 5, n),
                       .notes = readNotes(fields, 5 + 3 * n, 5)};
}

std::optional<PatternLine> readSetChannelLine(const Fields& fields, int trackCount) {
    if (fieldCount(fields) < kChannelFields || !channelCountFits(fields, trackCount) ||
        !isPatternIndex(integerField(fields, 2)))
        return std::nullopt;
    return readChannelBody(fields, integerField(fields, 4));
}

PatternLine readEightTrackBody(const Fields& fields, std::optional<std::int32_t> chain, int noteWidth) {
    return PatternLine{.pattern = integerField(fields, 1),
                       .steps = limitedSteps(integerField(fields, 2)),
                       .chain = chain,
                       .triples = readTriples(fields, 4, kEightTrackTriples),
                       .notes = readNotes(fields, kEightTrackNotesField, noteWidth)};
}

std::optional<PatternLine> readSetEightTrackLine(const Fields& fields, int noteWidth) {
    if (fieldCount(fields) < kEightTrackNotesField || !isPatternIndex(integerField(fields, 1)))
        return std::nullopt;
    return readEightTrackBody(fields, integerField(fields, 3), noteWidth);
}

}  // namespace

std::vector<PatternSetLine> readPatternSet(std::span<const std::uint8_t> bytes, int trackCount) {
    std::vector<PatternSetLine> lines;
    bool fiveFieldNotes = false;
    patterntext::LineReader reader(bytes);
    Fields fields;
    while (reader.next(fields)) {
        if (fields.size() < 2)
            continue;
        const std::string_view keyword = fields[0];
        const int noteWidth = fiveFieldNotes ? 5 : 4;
        std::optional<PatternLine> line;
        if (keyword == kEndKeyword) {
            if (fields[1] == kEndValue)
                break;
        } else if (keyword == kHeaderKeyword) {
            if (fieldCount(fields) >= kHeaderFields) {
                lines.emplace_back(readHeader(fields));
                fiveFieldNotes = fiveFieldNotes || headerMarksFiveFieldNotes(fields);
            }
        } else if (keyword == kOldestKeyword) {
            line = readOldestLine(fields, noteWidth);
        } else if (keyword == kChannelKeyword) {
            line = readSetChannelLine(fields, trackCount);
        } else if (keyword == kEightTrackKeyword) {
            line = readSetEightTrackLine(fields, noteWidth);
        }
        if (line)
            lines.emplace_back(std::move(*line));
    }
    return lines;
}

std::vector<PatternLine> readSinglePattern(std::span<const std::uint8_t> bytes, int trackCount) {
    std::vector<PatternLine> lines;
    patterntext::LineReader reader(bytes);
    Fields fields;
    while (reader.next(fields)) {
        if (fields.size() < 2)
            continue;
        const bool channelForm = fields[0] == kChannelKeyword && fieldCount(fields) >= kChannelFields;
        if (channelForm && channelCountFits(fields, trackCount))
            lines.push_back(readChannelBody(fields, std::nullopt));
        else if (fields[0] == kEightTrackKeyword && fieldCount(fields) >= kEightTrackNotesField)
            lines.push_back(readEightTrackBody(fields, std::nullopt, 5));
    }
    return lines;
}

namespace {

// ---- Writing -------------------------------------------------------------------------------

int writtenTracks(const PatternSource& source) { return std::clamp(source.trackCount, 0, kTrackSlots); }

void appendHeader(std::string& text, const PatternState& state) {
    patterntext::appendText(text, kHeaderKeyword);
    patterntext::appendInteger(text, kMaxSteps);
    patterntext::appendInteger(text, static_cast<std::int64_t>(state.playMode) + 1);
    patterntext::appendReal(text, state.swing);
    patterntext::appendReal(text, state.randomAuto);
    patterntext::appendReal(text, state.randomPerPattern);
    patterntext::appendReal(text, state.randomGraphVisible);
    for (const int k : kReservedWriteOrder)
        patterntext::appendReal(text, state.patternSetReserved[static_cast<std::size_t>(k)]);
    patterntext::appendReal(text, state.fillAttenuation);
    patterntext::endLine(text);
}

void appendLineHead(std::string& text, const PatternSource& source, std::size_t p, bool channelForm) {
    patterntext::appendText(text, channelForm ? kChannelKeyword : kEightTrackKeyword);
    if (channelForm)
        patterntext::appendInteger(text, writtenTracks(source));
    patterntext::appendInteger(text, static_cast<std::int64_t>(p));
    patterntext::appendInteger(text, source.patterns.patternSteps[p]);
    patterntext::appendInteger(text, source.patterns.chainEnabled[p]);
}

void appendTriples(std::string& text, const PatternSource& source, std::size_t p) {
    for (int t = 0; t < writtenTracks(source); ++t) {
        const TrackPatterns& planes = source.patterns.patterns[static_cast<std::size_t>(t)];
        patterntext::appendInteger(text, patterntext::truncateToInt(planes.randomMinDensity[p]));
        patterntext::appendInteger(text, patterntext::truncateToInt(planes.randomMaxDensity[p]));
        patterntext::appendInteger(text, patterntext::truncateToInt(planes.randomMaxRoll[p]));
    }
}

void appendNotes(std::string& text, const PatternSource& source, std::size_t p) {
    for (std::size_t s = 0; s < kMaxSteps; ++s) {
        for (int t = 0; t < writtenTracks(source); ++t) {
            const auto track = static_cast<std::size_t>(t);
            const TrackPatterns& planes = source.patterns.patterns[track];
            if (!(planes.stepVelocity[p][s] > 0.0f))
                continue;
            patterntext::appendReal(text, static_cast<double>(s));
            patterntext::appendInteger(text, patterntext::truncateToInt(source.trackKeys[track]));
            patterntext::appendReal(text, planes.stepHold[p][s]);
            patterntext::appendInteger(text, patterntext::truncateToInt(planes.stepVelocity[p][s]));
            patterntext::appendReal(text, planes.stepRoll[p][s]);
        }
    }
}

void appendPatternLine(std::string& text, const PatternSource& source, std::size_t p, bool channelForm) {
    appendLineHead(text, source, p, channelForm);
    appendTriples(text, source, p);
    appendNotes(text, source, p);
    patterntext::endLine(text);
}

}  // namespace

std::string writePatternSet(const PatternSource& source) {
    std::string text;
    appendHeader(text, source.patterns);
    const bool channelForm = source.trackCount != kSmallTrackCount;
    for (std::size_t p = 0; p < kPatternCount; ++p)
        appendPatternLine(text, source, p, channelForm);
    return text;
}

std::string writePattern(const PatternSource& source, int pattern) {
    std::string text;
    if (isPatternIndex(pattern))
        appendPatternLine(text, source, static_cast<std::size_t>(pattern), true);
    return text;
}

}  // namespace rimba
