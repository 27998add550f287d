#pragma once
// Undo and redo: what a musician edits, taken whole before and after each gesture, and kept as
// the parts that changed. A step of the history holds those parts as they were and as they
// became, so undoing one puts back only what that gesture touched: a host's automation or a
// program change between gestures is never recorded and never undone, and the history stays
// usable across them. Plain values; the instrument takes and applies them (UndoRedo.cpp).

#include <array>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <optional>
#include <vector>

#include "plugin/model/Constants.h"
#include "plugin/model/PatternPlanes.h"
#include "plugin/model/Sound.h"
#include "plugin/model/StoredTrackSettings.h"

namespace rimba {

// One track: its settings in stored order (the random ranges among them), its sound, its scale,
// the step tunes its 16 patterns share, and the MIDI key that plays it. The drawn random
// keystrokes are not kept: the render loop alone writes them, and the next draw replaces them.
struct TrackEdit {
    std::array<float, chunk::kSettingCount> settings{};
    std::array<char, kSoundPathLength> soundPath{};
    std::array<std::int32_t, kScaleNotes> scaleNotes{};
    StepRow<float> stepTune{};
    float key = 0.0f;
    bool operator==(const TrackEdit&) const = default;
};

// One pattern of one track: its steps and its own random settings.
struct PatternEdit {
    StepRow<float> velocity{};
    StepRow<float> hold{};
    StepRow<float> roll{};
    float randomMinDensity = 0.0f;
    float randomMaxDensity = 0.0f;
    float randomMaxRoll = 0.0f;
    bool operator==(const PatternEdit&) const = default;
};

// The sequencer, the mixer's master and the MIDI keys. The transport (play, stop, the pattern
// shown) is no edit: undo never stops the music or moves to another pattern.
struct GlobalEdit {
    PerPattern<std::int32_t> patternSteps{};
    PerPattern<std::int32_t> chainEnabled{};
    std::int32_t playMode = 0;
    std::int32_t swing = 0;
    std::int32_t fillAttenuation = 0;
    std::int32_t randomAuto = 0;
    std::int32_t randomPerPattern = 0;
    std::int32_t randomGraphVisible = 0;
    std::int32_t tempo = 0;
    std::array<std::int32_t, kEffectSlots> effectEnabled{};
    float masterEqOn = 0.0f;
    std::array<float, kEqBands> masterEqFreq{};
    std::array<float, kEqBands> masterEqQ{};
    std::array<float, kEqBands> masterEqGain{};
    float masterLevel = 0.0f;
    std::int32_t muteMidiKey = 0;
    std::int32_t patternTriggerMidiKey = 0;
    std::int32_t soloSelected = 0;
    std::int32_t soloTrack = 0;
    bool operator==(const GlobalEdit&) const = default;
};

// Everything editable of an instrument at one moment: a track per track in use, and
// kPatternCount patterns per track (track t's pattern p at t * kPatternCount + p).
struct EditState {
    std::vector<TrackEdit> tracks;
    std::vector<PatternEdit> patterns;
    GlobalEdit globals;
};

// The parts of an EditState one side of a step holds, each with its index.
struct EditChange {
    std::vector<std::pair<std::size_t, TrackEdit>> tracks;
    std::vector<std::pair<std::size_t, PatternEdit>> patterns;
    std::optional<GlobalEdit> globals;
    bool empty() const { return tracks.empty() && patterns.empty() && !globals; }
};

struct EditStep {
    EditChange before;
    EditChange after;
};

// A part as `now` has it, except the values that differ between `from` and `to`: those as `to`
// has them. Undoing a step this way puts back only what its gesture changed, even after a host
// changed other values of the same part (a pan automated after a level was dragged).
TrackEdit moved(const TrackEdit& now, const TrackEdit& from, const TrackEdit& to);
PatternEdit moved(const PatternEdit& now, const PatternEdit& from, const PatternEdit& to);
GlobalEdit moved(const GlobalEdit& now, const GlobalEdit& from, const GlobalEdit& to);

// The step from `before` to `after`: the parts that differ, each as it was and as it became.
// Two states of different shapes (another track count) give no step.
std::optional<EditStep> stepBetween(const EditState& before, const EditState& after);

// The steps of one instrument, newest last. Main thread only.
class EditHistory {
public:
    // The steps kept; the oldest is forgotten beyond it.
    static constexpr std::size_t kDepth = 128;

    // Takes the step between two states, unless nothing differs; a new step forgets what could
    // be redone. True when a step was taken.
    bool record(const EditState& before, const EditState& after);
    // The newest step, to be undone (it moves to the redo side), or nothing.
    const EditStep* undo();
    // The step undone last, to be done again, or nothing.
    const EditStep* redo();
    bool canUndo() const { return !done.empty(); }
    bool canRedo() const { return !undone.empty(); }
    std::size_t undoDepth() const { return done.size(); }

private:
    std::deque<EditStep> done;
    std::vector<EditStep> undone;
};

}  // namespace rimba
