#pragma once
// What the lines of a pattern file hold, taken apart before anything of the instrument changes.

#include <array>
#include <cstdint>
#include <optional>
#include <variant>
#include <vector>

namespace rimba {

// Every value is inside the range the instrument gives it: a note's track 0..15 and step 0..63,
// its velocity 0..127, its hold and roll numbers; a line's pattern 0..15 and steps 1..64; the
// header's play mode 0..2, swing and fill attenuation 0..127.
struct PatternNote {
    int track = 0;
    int step = 0;
    float hold = 1.0f;
    float velocity = 0.0f;
    float roll = 0.0f;
};

struct PatternRandomTriple {
    float minDensity = -1.0f;
    float maxDensity = -1.0f;
    float maxRoll = 0.0f;
};

struct PatternLine {
    int pattern = 0;  // unused by the single pattern file, which fills the pattern it is given
    std::int32_t steps = 16;
    std::optional<std::int32_t> chain;
    std::vector<PatternRandomTriple> triples;  // of tracks 0 .. size - 1
    std::vector<PatternNote> notes;
};

struct PatternHeaderExtension {
    std::int32_t randomGraphVisible = 0;
    std::array<float, 8> reserved{};
};

struct PatternHeader {
    std::int32_t playMode = 0;
    std::int32_t swing = 0;
    std::optional<std::int32_t> randomAuto;
    std::optional<std::int32_t> randomPerPattern;
    std::optional<PatternHeaderExtension> extension;
    std::optional<std::int32_t> fillAttenuation;
};

using PatternSetLine = std::variant<PatternHeader, PatternLine>;

}  // namespace rimba
