#pragma once
// The hand-overs that carry notes, MIDI, program changes, equaliser coefficients and played
// steps between the host's threads and the audio thread.

#include <algorithm>
#include <cstdint>
#include <vector>

#include "plugin/core/Equaliser.h"
#include "common/concurrency/SpscRing.h"
#include "plugin/model/Constants.h"

namespace rimba {

// A note or MIDI message waiting for its sample.
struct PendingEvent {
    std::int32_t countdown = 0;  // samples still to wait
    std::uint8_t status = 0;
    std::uint8_t data1 = 0;  // the note
    std::uint8_t data2 = 0;  // the velocity
    std::uint8_t fromSequencer = 0;
};

// The pending events in order of creation. Audio thread only. Room for a generous number of
// events is reserved up front; only a burst beyond it makes the list grow.
class PendingList {
public:
    PendingList() { events.reserve(kReservedEvents); }

    void append(const PendingEvent& event) { events.push_back(event); }
    std::size_t size() const { return events.size(); }
    bool empty() const { return events.empty(); }
    const PendingEvent& operator[](std::size_t i) const { return events[i]; }
    void clear() { events.clear(); }

    // Counts every event down once; events that reach 0 leave the list, in order, and are
    // handed to `fire`. The survivors keep their order.
    template <typename Fire>
    void countDownAndFire(Fire fire) {
        std::size_t kept = 0;
        for (std::size_t i = 0; i < events.size(); ++i) {
            PendingEvent event = events[i];
            if (event.countdown > 0)
                --event.countdown;
            if (event.countdown <= 0)
                fire(event);
            else
                events[kept++] = event;
        }
        events.resize(kept);
    }

    // The smallest countdown waiting; only for a list that is not empty.
    std::int32_t soonestCountdown() const {
        std::int32_t soonest = events.front().countdown;
        for (const PendingEvent& event : events)
            soonest = std::min(soonest, event.countdown);
        return soonest;
    }

    // `samples` rounds of countDownAndFire in which nothing fires: every countdown must exceed
    // `samples`.
    void countDownWithoutFiring(std::int32_t samples) {
        for (PendingEvent& event : events)
            event.countdown -= samples;
    }

private:
    static constexpr std::size_t kReservedEvents = 4096;
    std::vector<PendingEvent> events;
};

// One message from processEvents to the render loop.
struct MidiInputEntry {
    std::int32_t deltaFrames = 0;
    std::uint8_t midi[4]{};
};

// Written by processEvents only, read by the render loop only. A message that finds the ring
// full is dropped.
using MidiInputRing = SpscRing<MidiInputEntry, kMidiRingSize>;

// Program numbers received as MIDI program changes: written by the audio thread, taken by the
// program-change timer.
using ProgramChangeList = SpscRing<std::int32_t, 256>;

// A track the editor's pad sounds (velocity 1..127) or stops (velocity 0): the editor thread
// writes, the render loop takes them at the start of its next block.
struct EditorNote {
    std::int32_t track = 0;
    std::int32_t velocity = 0;
};
using EditorNoteList = SpscRing<EditorNote, 64>;

// A change of the random-keystroke layer that the user-interface side asks for; the render loop
// applies it at the start of its next block (RandomKeystrokes.h).
struct RandomRequest {
    enum class Kind : std::int32_t {
        regenerateAll,  // every active track draws a density from its range and generates
        regenerateTrack,  // the same for `track` alone
        generateTrack,  // `track` gets int(steps * fraction) keystrokes
        clearAll,  // every active track loses its keystrokes (their rolls stay, unplayed)
        clearKept,  // every active track loses its keystrokes, rolls and all (after a keep)
        clearTrackHits,  // `track` loses its keystrokes
        removeKeystroke,  // `track` loses the keystroke at `step`
    };
    Kind kind = Kind::regenerateAll;
    std::int32_t track = 0;
    std::int32_t step = 0;
    float fraction = 0.0f;
};
// Written by the user-interface thread only; taken by the render loop, or by a loader while it
// holds the render loop off. A request that finds the list full is dropped.
using RandomRequestList = SpscRing<RandomRequest, 256>;

// A played step for the editor's step display.
struct StepDisplay {
    std::int32_t step = 0;
    double timeMilliseconds = 0.0;
};
using StepDisplayList = SpscRing<StepDisplay, 256>;

// New coefficients for one equaliser band, waiting for the end of a block.
struct FilterUpdate {
    std::int32_t target = 0;  // a track, or kMasterTarget
    std::int32_t band = 0;
    EqCoefficients coefficients;
    static constexpr std::int32_t kMasterTarget = -1;
    static constexpr std::int32_t kDropped = -2;
};

// Written by the user-interface side, applied by the audio thread at the end of a block. At most
// 100 updates wait at once; a change that finds no room is dropped, so a write never allocates.
class FilterUpdateList {
public:
    // Writer side. False when 100 updates already wait.
    bool queue(const FilterUpdate& update) {
        return ring.size() < static_cast<std::size_t>(kMaxFilterUpdates) && ring.push(update);
    }
    std::size_t pending() const { return ring.size(); }

    // Audio thread: applies every waiting update in order of arrival and empties the list.
    template <typename Apply>
    void applyAll(Apply apply) {
        while (auto update = ring.pop())
            if (update->target != FilterUpdate::kDropped)
                apply(*update);
    }

    // Only while the audio thread is held off: keeps the newest waiting update of each band and
    // forgets the rest. Loads in a row before the audio thread runs again (a host that sets two
    // programs before it plays) would otherwise fill the list, and a band whose newest update
    // found no room would play with the coefficients of an earlier program.
    void compactWhileHeldOff() {
        std::array<FilterUpdate, kMaxFilterUpdates> newest{};
        std::size_t count = 0;
        ring.forEachQueued([&](FilterUpdate& update) {
            if (update.target == FilterUpdate::kDropped)
                return;
            for (std::size_t i = 0; i < count; ++i) {
                if (newest[i].target == update.target && newest[i].band == update.band) {
                    newest[i] = update;
                    return;
                }
            }
            if (count < newest.size())
                newest[count++] = update;
        });
        ring.discardQueued();
        for (std::size_t i = 0; i < count; ++i)
            ring.push(newest[i]);
    }

    // Only while the audio thread is held off: forgets the waiting updates of the master bands.
    void dropMasterUpdates() {
        ring.forEachQueued([](FilterUpdate& update) {
            if (update.target == FilterUpdate::kMasterTarget)
                update.target = FilterUpdate::kDropped;
        });
    }

private:
    SpscRing<FilterUpdate, 128> ring;
};

}  // namespace rimba
