#pragma once
// The whole in-memory state of one instrument: tracks, patterns, voices, the sequencer and mixer
// settings, the queues to the audio thread and the shared sound list. Plain records and fixed
// arrays; the instrument object owns it and everything else borrows it.
//
// Threads: the user-interface thread writes single settings and plane values while the audio
// thread reads them; everything that replaces shared data goes through `handshake`.

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <vector>

#include "common/vst/VstAbi.h"
#include "plugin/core/Equaliser.h"
#include "plugin/core/EventQueues.h"
#include "plugin/core/LoadHandshake.h"
#include "plugin/core/MasterGain.h"
#include "plugin/core/TrackVoice.h"
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
    // Instance facts.
    std::uint8_t standalone = 0;    // the standalone host answered its signature
    std::int32_t multiOutput = 1;   // per-track and send outputs exist
    // The host's rate, set by setSampleRate on the host's main thread only; equalisers, the WAV
    // writer and the export are made for it.
    std::int32_t sampleRate = kDefaultSampleRate;
    std::int32_t blockSize = kDefaultBlockSize;  // stored; nothing reads it
    std::atomic<std::int32_t> offlineRender{0};  // the audio export drives the render loop

    std::int32_t trackCount = kDefaultTrackCount;
    InstrumentSettings settings;

    TrackSettings tracks;

    // Mixer settings.
    std::array<std::int32_t, kEffectSlots> effectEnabled{};
    float masterEqOn = 0.0f;
    std::array<float, kEqBands> masterEqFreq = kDefaultEqFreq;
    std::array<float, kEqBands> masterEqQ{kDefaultEqQ, kDefaultEqQ, kDefaultEqQ};
    std::array<float, kEqBands> masterEqGain{};
    // The sequencer's run switch: the user's play/stop and MIDI's mute keys (audio thread) both
    // change it, only through setPlaying.
    std::atomic<std::int32_t> playing{1};
    std::int32_t tempo = 120;
    std::int32_t previousTempo = 120;
    std::int32_t heldTriggerKeys = 0;
    std::int32_t playingPattern = 0;
    std::int32_t currentStep = 0;
    std::uint8_t soloSelected = 0;
    std::int32_t selectedTrack = 0;
    std::int32_t controlCounter = 0;
    double secondsPerStep = 0.0;

    // Voices and mixer.
    std::array<TrackVoice, kTrackSlots> voices{};
    PerTrack<std::array<EqBand, kEqBands>> trackEq{};
    std::array<EqBand, kEqBands> masterEq{};
    MasterGainTable masterGainTable{};
    float masterGain = 0.0f;

    // Random keystrokes, the random chain and the grid's randomisations draw from it.
    RandomSource random;

    // Hand-overs to and from the audio thread.
    LoadHandshake handshake;
    PendingList pendingEvents;
    MidiInputRing midiInput;
    FilterUpdateList filterUpdates;
    ProgramChangeList programChanges;
    StepDisplayList stepDisplay;

    // The standalone clock's own time record.
    VstTimeInfo standaloneTime{};

    // Render loop.
    double standalonePos = 0.0;  // samples; advances only while the sequencer runs
    double exportPos = 0.0;      // samples of the audio export's own clock
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
    float voiceBusGain = 0.0f;
    PerTrack<float> trackSignal{};
    float meterLeft = 0.0f;
    float meterRight = 0.0f;
    float holdLeft = 0.0f;
    float holdRight = 0.0f;
    std::int32_t holdCountLeft = 0;
    std::int32_t holdCountRight = 0;

    // Audio export: frames still to write and the fade of its last 2000 frames.
    std::int32_t exportRemaining = 0;
    float exportFadeGain = 1.0f;

    // Hosted plug-ins: send 1, send 2, insert 1, insert 2, and the drum synth. Empty slots are
    // null; the effect host owns what they point to.
    std::array<HostedPlugin*, kEffectSlots> effectSlots{};
    HostedPlugin* drumSynthPlugin = nullptr;

    // One Sound per distinct path; only appended to, and only while a load holds the audio
    // thread off, so indexes stay valid for the life of the instrument.
    std::vector<std::unique_ptr<Sound>> soundList;

    void setPlaying(std::int32_t on) { playing.store(on); }

    bool isActiveTrack(int track) const { return track >= 0 && track < trackCount; }
    // The sound a voice plays, or nullptr when its index is -1 or out of range.
    const Sound* voiceSound(const TrackVoice& voice) const;
};

}  // namespace rimba
