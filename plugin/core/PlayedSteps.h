#pragma once
// The steps the render loop plays are its own copy of each track's velocity and roll planes,
// taken whole at the start of a block, so a block never plays half of an edit (a row turned, a
// track's patterns replaced, an undo) that the user-interface thread is making meanwhile.
//
// Each track has an edit count, odd while an edit of its planes is in progress (StepEdit around
// every user-interface writer). At the start of a block, a track whose count moved since its copy
// was taken is copied again, value by value, into the copy not in use; the copy takes over only
// if the count was even and the same before and after (a sequence lock whose reader never waits:
// a copy torn by an edit in progress is kept out and taken again at the next block). Loaders, who
// replace the planes while the load handshake holds the render loop off, do not count edits: a
// load that ended makes every track copied again.

#include <array>
#include <atomic>
#include <cstdint>

#include "plugin/model/PatternPlanes.h"
#include "plugin/model/TrackSettings.h"

namespace rimba {

struct PlayedTrack {
    PatternGrid<float> velocity{};
    PatternGrid<float> roll{};
};

// Written on the user-interface thread only; the render loop reads them.
using StepEditCounts = PerTrack<std::atomic<std::uint32_t>>;

// The render loop's side; a loader holding the render loop off may reset it.
struct PlayedSteps {
    PerTrack<std::array<PlayedTrack, 2>> copies{};
    PerTrack<std::uint8_t> inUse{};
    // The edit count each copy in use was taken at; kNeverTaken (odd, so never an edit count at
    // rest) when it must be taken again.
    static constexpr std::uint32_t kNeverTaken = 0xffffffffu;
    PerTrack<std::uint32_t> takenAt{};
    std::uint32_t loadsSeen = kNeverTaken;

    PlayedSteps() { takeAllAgain(); }
    // Every track's copy is taken again at the next block.
    void takeAllAgain() { takenAt.fill(kNeverTaken); }
    const PlayedTrack& track(std::size_t t) const { return copies[t][inUse[t]]; }
};

// A value of a velocity or roll plane, stored inside a StepEdit. Stored with release, and read
// for the copy with acquire, so that a copy which reads any value of an edit also sees the edit's
// count move when it looks again.
inline void storeStepValue(float& cell, float value) {
    std::atomic_ref<float>(cell).store(value, std::memory_order_release);
}

// Marks an edit of one track's step planes in progress for its lifetime (user-interface thread).
class StepEdit {
public:
    explicit StepEdit(std::atomic<std::uint32_t>& count);
    ~StepEdit();
    StepEdit(const StepEdit&) = delete;
    StepEdit& operator=(const StepEdit&) = delete;

private:
    std::atomic<std::uint32_t>& count;
};

// At the start of a block (render loop): brings the copies of the first `trackCount` tracks up to
// the planes, after every edit that is whole; `loadsEnded` is the load handshake's count of ended
// loads.
void takeStepEdits(PlayedSteps& played, const PerTrack<TrackPatterns>& patterns, const StepEditCounts& counts,
                   std::uint32_t loadsEnded, int trackCount);

}  // namespace rimba
