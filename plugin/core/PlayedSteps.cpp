#include "plugin/core/PlayedSteps.h"

namespace rimba {

StepEdit::StepEdit(std::atomic<std::uint32_t>& count) : count(count) {
    // Odd from here on; the edit's values are stored with release after it (storeStepValue).
    count.store(count.load(std::memory_order_relaxed) + 1, std::memory_order_relaxed);
}

StepEdit::~StepEdit() { count.store(count.load(std::memory_order_relaxed) + 1, std::memory_order_release); }

namespace {

float loadStepValue(const float& cell) {
    return std::atomic_ref<float>(const_cast<float&>(cell)).load(std::memory_order_acquire);
}

void copyPlanes(PlayedTrack& into, const TrackPatterns& planes) {
    for (std::size_t p = 0; p < kPatternCount; ++p) {
        for (std::size_t s = 0; s < kMaxSteps; ++s) {
            into.velocity[p][s] = loadStepValue(planes.stepVelocity[p][s]);
            into.roll[p][s] = loadStepValue(planes.stepRoll[p][s]);
        }
    }
}

// One track's copy taken again; false when an edit was in progress or came meanwhile.
bool takeTrack(PlayedSteps& played, std::size_t t, const TrackPatterns& planes,
               const std::atomic<std::uint32_t>& count) {
    const std::uint32_t before = count.load(std::memory_order_acquire);
    if (before == played.takenAt[t])
        return true;
    if (before & 1u)
        return false;
    const std::uint8_t spare = played.inUse[t] ^ 1u;
    copyPlanes(played.copies[t][spare], planes);
    // The values were read with acquire: had one of them come from an edit begun meanwhile, the
    // count read now shows that edit.
    if (count.load(std::memory_order_relaxed) != before)
        return false;
    played.inUse[t] = spare;
    played.takenAt[t] = before;
    return true;
}

}  // namespace

void takeStepEdits(PlayedSteps& played, const PerTrack<TrackPatterns>& patterns, const StepEditCounts& counts,
                   std::uint32_t loadsEnded, int trackCount) {
    if (loadsEnded != played.loadsSeen) {
        played.takeAllAgain();
        played.loadsSeen = loadsEnded;
    }
    for (std::size_t t = 0; t < static_cast<std::size_t>(trackCount) && t < kTrackSlots; ++t)
        takeTrack(played, t, patterns[t], counts[t]);
}

}  // namespace rimba
