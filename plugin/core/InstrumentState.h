#pragma once
// The whole in-memory state of one instrument: tracks, patterns, voices, the sequencer and mixer
// settings, the queues to the audio thread and the shared sound list. Plain records and fixed
// arrays; the instrument object owns it as a private base. Engine code it hands the state to may
// change it; everything else reads it through VornDrums::state() and changes it through the
// instrument's named functions (tests through tests/support/InstrumentProbe.h).
//
// Every field has one owner, named by the group it stands in (the threads are those of
// VornDrums.h):
//   main     written on the host's main thread (the editor, host parameters) and by loaders;
//            what the audio thread reads of it is stored and loaded each value on its own,
//            relaxed (storeRelaxed/loadRelaxed, PatternPlanes.h), and played as the loop finds
//            it (every gain applied from it is smoothed, so a change never clicks); loaders
//            holding the handshake, and the main thread's own reads, stay plain;
//   audio    written by the render loop alone; loaders holding the handshake and the audio
//            export (which holds the host's blocks off) may reset it;
//   loader   replaced only while the load handshake holds the audio thread off;
//   shared   the hand-overs between threads, each with its own rules (EventQueues.h,
//            LoadHandshake.h), and the two values both threads change, each an atomic with the
//            one function that changes it (choosePattern, setPlaying).

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <vector>

#include "common/vst/VstAbi.h"
#include "plugin/core/Equaliser.h"
#include "plugin/core/EqualiserRest.h"
#include "plugin/core/EventQueues.h"
#include "plugin/core/LoadHandshake.h"
#include "plugin/core/MasterGain.h"
#include "plugin/core/PlayedSteps.h"
#include "plugin/core/TrackVoice.h"
#include "plugin/effects/CPlugin.h"
#include "plugin/model/Constants.h"
#include "plugin/model/HostedPlugin.h"
#include "plugin/model/InstrumentSettings.h"
#include "plugin/model/PatternPlanes.h"
#include "plugin/model/PatternState.h"
#include "plugin/model/RandomSource.h"
#include "plugin/model/Sound.h"
#include "plugin/model/TrackSettings.h"

namespace rimba {

struct InstrumentState : PatternState {
    // --- main: facts of the instance and the host's settings ----------------------------------
    std::uint8_t standalone = 0;  // the standalone host answered its signature (construction)
    std::int32_t multiOutput = 1;  // per-track and send outputs exist (construction)
    std::int32_t trackCount = kDefaultTrackCount;  // construction
    // The host's rate, set by setSampleRate only; equalisers, the WAV writer and the export are
    // made for it.
    std::int32_t sampleRate = kDefaultSampleRate;
    std::int32_t blockSize = kDefaultBlockSize;  // stored; nothing reads it
    InstrumentSettings settings;
    // The track settings; their derived eqActive is the audio thread's (latched at every control
    // update; a loader clears it with its track).
    TrackSettings tracks;
    std::array<std::int32_t, kEffectSlots> effectEnabled{};
    float masterEqOn = 0.0f;
    std::array<float, kEqBands> masterEqFreq = kDefaultEqFreq;
    std::array<float, kEqBands> masterEqQ{kDefaultEqQ, kDefaultEqQ, kDefaultEqQ};
    std::array<float, kEqBands> masterEqGain{};
    std::int32_t tempo = 120;
    std::uint8_t soloSelected = 0;
    std::int32_t selectedTrack = 0;
    MasterGainTable masterGainTable{};  // construction

    // --- shared ------------------------------------------------------------------------------
    // The sequencer's run switch: the user's play/stop and MIDI's mute keys (audio thread) both
    // change it, only through setPlaying.
    std::atomic<std::int32_t> playing{1};
    // Set by the audio export while it drives the render loop itself.
    std::atomic<std::int32_t> offlineRender{0};
    // The random keystrokes and the random chain draw from it: the render loop, or a loader
    // while it holds the render loop off (RandomKeystrokes.h).
    RandomSource random;
    // The grid's randomisations (PatternEdit.h) draw from this one: the user-interface thread.
    RandomSource editRandom;
    // Per track, the count of edits of its step planes from the user-interface side (StepEdit).
    StepEditCounts stepEdits{};
    // The user-interface side's changes of the random-keystroke layer, for the render loop.
    RandomRequestList randomRequests;
    // The tick at which the render loop last began a block, and whether it ever did: a request
    // that no block takes is applied under the load handshake once the host has been still
    // for a while (RandomKeystrokes.h).
    std::atomic<std::uint32_t> lastBlockBegan{0};
    std::atomic<bool> anyBlockBegan{false};
    LoadHandshake handshake;
    PendingList pendingEvents;  // audio; a loader empties it
    MidiInputRing midiInput;  // processEvents to the render loop
    FilterUpdateList filterUpdates;  // main to the render loop
    ProgramChangeList programChanges;  // the render loop to the timer
    StepDisplayList stepDisplay;  // the render loop to the editor
    EditorNoteList editorNotes;  // the editor's pads to the render loop
    // Play pressed while playing: the standalone clock starts again from its first step at the
    // next block (a host's own clock is the host's to move).
    std::atomic<bool> restartRequested{false};
    // Stop pressed: the render loop releases every voice at the start of its next block (a
    // voice's command has one writer, the audio thread).
    std::atomic<bool> releaseAllRequested{false};
    // A bit per track slot whose start or end changed: the render loop moves its voice's bounds
    // at the start of its next block.
    std::atomic<std::uint32_t> boundsRequests{0};
    // The meters as the render loop last saw them at the end of a block, while the editor is
    // open; the editor reads them on its own thread. Each value on its own, relaxed.
    PerTrack<std::atomic<float>> editorTrackLevels{};
    std::atomic<float> editorMasterLeft{0.0f};
    std::atomic<float> editorMasterRight{0.0f};

    // --- audio: the sequencer's place and the clock -----------------------------------------
    std::int32_t previousTempo = 120;
    std::int32_t heldTriggerKeys = 0;
    std::int32_t playingPattern = 0;
    std::int32_t currentStep = 0;
    std::int32_t controlCounter = 0;
    double secondsPerStep = 0.0;
    VstTimeInfo standaloneTime{};  // the standalone clock's own time record
    double standalonePos = 0.0;  // samples; advances only while the sequencer runs
    double exportPos = 0.0;  // samples of the audio export's own clock
    double currentTempo = 120.0;  // tempo of the time info in force at the last rendered block
    // The rate the standalone host's clock reports, which voices are tuned to there; 0 in a
    // host, whose voices follow sampleRate.
    std::int32_t clockRate = 0;
    std::int32_t running = 0;
    // The song step the sequencer plays next when its clock runs on; -1 when there is none yet
    // (nothing played since a reset, or the export's clock starting anew). Any other step is a
    // jump of the clock.
    std::int64_t expectedStep = -1;
    std::uint32_t lastIdleTick = 0;

    // The step planes as the render loop plays them, taken whole at the start of each block.
    PlayedSteps playedSteps{};

    // --- audio: voices and mixer -------------------------------------------------------------
    // The user-interface thread reaches a voice only through requests (editorNotes,
    // releaseAllRequested); only the render loop writes a voice.
    std::array<TrackVoice, kTrackSlots> voices{};
    PerTrack<std::array<EqBand, kEqBands>> trackEq{};  // coefficients arrive through filterUpdates
    std::array<EqBand, kEqBands> masterEq{};
    float masterGain = 0.0f;
    float voiceBusGain = 0.0f;
    PerTrack<float> trackSignal{};
    // Tracks whose equaliser is not run while their voice is silent (EqualiserRest.h), and the
    // samples to the next check of who may rest.
    PerTrack<TrackRest> trackRest{};
    std::int32_t samplesToRestCheck = 0;
    bool restsOff = false;  // no track ever rests: the tests' renders to measure resting against
    float meterLeft = 0.0f;
    float meterRight = 0.0f;
    float holdLeft = 0.0f;
    float holdRight = 0.0f;
    std::int32_t holdCountLeft = 0;
    std::int32_t holdCountRight = 0;
    // The audio export's frames still to write and the fade of its last 2000 frames (the
    // export's own thread renders meanwhile).
    std::int32_t exportRemaining = 0;
    float exportFadeGain = 1.0f;

    // --- loader ------------------------------------------------------------------------------
    // The slots of hosted plug-ins: 0 to 3 the effects (send 1, send 2, insert 1, insert 2), then
    // the drum synth.
    static constexpr int kFirstInsertSlot = 2;
    static constexpr int kSynthSlot = kEffectSlots;
    static constexpr int kPluginSlots = kEffectSlots + 1;
    struct PluginSlot {
        // The plug-in the slot loaded and owns (EffectSlots.cpp), or null.
        std::unique_ptr<CPlugin> owner;
        // What the render loop runs: the owner once it is whole, or a plug-in the slot was lent
        // (VornDrums::placePlugin); null while the slot is empty or being refilled. Written with
        // `owner`, by loaders only, so the audio thread never meets a plug-in half replaced.
        HostedPlugin* live = nullptr;
        // The last latency report counted this insert's plug-in. Under the loaders' lock alone:
        // the audio thread never reads it.
        bool latencyCounted = false;
    };
    std::array<PluginSlot, kPluginSlots> pluginSlots{};
    // The render loop's view: the plug-in to run in effect slot 0..3, and the drum synth; null
    // for an empty slot.
    HostedPlugin* effectIn(int slot) const { return pluginSlots[static_cast<std::size_t>(slot)].live; }
    HostedPlugin* drumSynth() const { return pluginSlots[kSynthSlot].live; }
    // One Sound per distinct path; only appended to, so indexes stay valid for the life of the
    // instrument.
    std::vector<std::unique_ptr<Sound>> soundList;

    // --- main: synth presets (SynthPresets.cpp) ------------------------------------------------
    // Per track, the synth preset file last loaded or saved (a path that does not fit with its
    // terminating zero is not remembered) and the preset's name, zero-terminated.
    PerTrack<std::array<char, 256>> synthPresetPaths{};
    PerTrack<std::array<char, 28>> synthPresetNames{};

    void setPlaying(std::int32_t on) { playing.store(on); }

    bool isActiveTrack(int track) const { return track >= 0 && track < trackCount; }
    // The sound a voice plays, or nullptr when its index is -1 or out of range.
    const Sound* voiceSound(const TrackVoice& voice) const;
};

}  // namespace rimba
