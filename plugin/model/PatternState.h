#pragma once
// The patterns and the sequencer settings that travel with them: what pattern sets and program
// chunks store, and what the pattern tools edit.

#include <algorithm>
#include <array>
#include <atomic>
#include <cstdint>

#include "plugin/model/Constants.h"
#include "plugin/model/PatternPlanes.h"
#include "plugin/model/TrackSettings.h"

namespace rimba {

// Threads: the user-interface thread writes these (the editor, host parameters, loaders holding
// the load handshake) and the audio thread reads them at the steps it plays. Outside the
// handshake each value is stored and loaded on its own, relaxed (storeRelaxed/loadRelaxed); the
// one value the audio thread changes too is currentPattern.
struct PatternState {
    PerTrack<TrackPatterns> patterns{};
    PerPattern<std::int32_t> patternSteps{};
    PerPattern<std::int32_t> chainEnabled{};
    // Shown and edited; played from the next pattern start. The user chooses it, and the audio
    // thread moves it on along a chain or to a trigger key's pattern: changed only through
    // choosePattern.
    std::atomic<std::int32_t> currentPattern{0};
    std::int32_t playMode = 1;  // 0 repeat, 1 next chained, 2 random chained
    std::int32_t swing = 0;
    std::int32_t fillAttenuation = 64;
    std::int32_t randomAuto = 0;
    std::int32_t randomPerPattern = 0;
    std::int32_t randomGraphVisible = 0;  // the random range graph is shown
    std::array<float, 8> patternSetReserved{};  // kept and written back unchanged by pattern sets

    // The one way to change currentPattern, from either thread; held to 0..15.
    void choosePattern(std::int32_t pattern) { currentPattern.store(std::clamp(pattern, 0, kPatternCount - 1)); }
};

}  // namespace rimba
