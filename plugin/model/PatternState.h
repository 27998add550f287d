#pragma once
// The patterns and the sequencer settings that travel with them: what pattern sets and program
// chunks store, and what the pattern tools edit.

#include <array>
#include <cstdint>

#include "plugin/model/Constants.h"
#include "plugin/model/PatternPlanes.h"
#include "plugin/model/TrackSettings.h"

namespace rimba {

struct PatternState {
    PerTrack<TrackPatterns> patterns{};
    PerPattern<std::int32_t> patternSteps{};
    PerPattern<std::int32_t> chainEnabled{};
    std::int32_t currentPattern = 0;  // shown and edited; played from the next pattern start
    std::int32_t playMode = 1;        // 0 repeat, 1 next chained, 2 random chained
    std::int32_t swing = 0;
    std::int32_t fillAttenuation = 64;
    std::int32_t randomAuto = 0;
    std::int32_t randomPerPattern = 0;
    std::int32_t randomGraphVisible = 0;        // the random range graph is shown
    std::array<float, 8> patternSetReserved{};  // kept and written back unchanged by pattern sets
};

}  // namespace rimba
