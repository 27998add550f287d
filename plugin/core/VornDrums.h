#pragma once
// The instrument: a VST 2.4 synth of 12 (or 8) sampled drum tracks driven by a step sequencer and
// MIDI. It owns its whole state; this class is its face to the host and the operations that
// keep the state's derived values up to date.
//
// Threads, as each function below names them:
//   main      the host's main (user-interface) thread: construction, close, destruction, the
//             editor, parameters from the host, file loads and saves, chunks;
//   audio     the host's audio thread: processReplacing, processEvents and what they call;
//   timer     the process-wide 40 ms timer that takes queued program changes;
//   loader    a main- or timer-thread function while it holds the load handshake (the audio
//             thread renders silence meanwhile), so it may replace what the audio thread uses.
// Functions on the audio thread never wait, lock, allocate (beyond pending events) or touch
// files; the others never run on the audio thread. InstrumentState.h says who writes each field.

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "common/vst/AudioEffectX.h"
#include "common/vst/StandaloneLink.h"
#include "plugin/core/InstanceList.h"
#include "plugin/core/InstrumentState.h"
#include "plugin/core/OutputDelay.h"
#include "plugin/core/RandomKeystrokes.h"
#include "plugin/core/StoredSettings.h"
#include "plugin/effects/CPlugin.h"
#include "plugin/model/EditHistory.h"
#include "plugin/model/InstrumentSettings.h"
#include "plugin/model/Result.h"

namespace rimba {

struct ProgramChunk;
struct ChunkTrack;
struct KitRecord;
namespace batch {
struct BatchScratch;
}

// The frames `steps` steps last at `sampleRate` and `tempo` (0 for a tempo, a rate or a count of
// steps that is not positive).
std::int32_t offlineFrameCount(std::int32_t sampleRate, double tempo, std::int32_t steps);

namespace test {
struct InstrumentProbe;
}

class VornDrums : public AudioEffectX, private InstrumentState {
    friend struct test::InstrumentProbe;  // tests set up and inspect the engine's state directly

public:
    // Main. An instrument that keeps its settings and last state in `storage` (the user's
    // settings store unless said otherwise).
    explicit VornDrums(audioMasterCallback audioMaster, std::unique_ptr<InstrumentStorage> storage = userStorage());
    // Main. An instrument whose settings come from `readSettings` and that keeps nothing.
    VornDrums(audioMasterCallback audioMaster, SettingsReader readSettings);
    // Any thread, by the rules of InstrumentState.h: the whole state to read. Everything
    // outside the engine reads it here and changes it only through the functions below.
    const InstrumentState& state() const { return *this; }
    // Any thread: the pattern shown and edited, held to 0..15 (PatternState.h).
    using InstrumentState::choosePattern;
    // The slots of hosted plug-ins by number (InstrumentState.h).
    using InstrumentState::kFirstInsertSlot;
    using InstrumentState::kPluginSlots;
    using InstrumentState::kSynthSlot;
    // Main, once the host no longer processes; waits for the timer to leave this instance.
    ~VornDrums() override;

    // Host dialogue.
    void resume() override;  // main
    void close() override;  // main; writes the settings store
    void setSampleRate(float rate) override;  // main, while the host does not process
    void setBlockSize(VstInt32 size) override;  // main
    // Audio; silence while a loader holds the handshake or the export runs.
    void processReplacing(float** inputs, float** outputs, VstInt32 sampleFrames) override;
    void processDoubleReplacing(double**, double**, VstInt32) override {}  // audio; never called
    VstInt32 processEvents(VstEvents* events) override;  // audio (or any one thread); queues only

    // Main, or any thread: they read names and constants only.
    void getProgramName(char* name) override;
    bool getProgramNameIndexed(VstInt32 category, VstInt32 index, char* text) override;
    bool getOutputProperties(VstInt32 index, VstPinProperties* properties) override;
    bool getEffectName(char* name) override;
    bool getVendorString(char* text) override;
    bool getProductString(char* text) override;
    VstInt32 getVendorVersion() override { return kPluginVersion; }
    VstPlugCategory getPlugCategory() override { return kPlugCategSynth; }
    VstInt32 canDo(char*) override { return 0; }
    // Main. The standalone program's messages (kStandaloneShowMessage), shown in the editor.
    VstIntPtr vendorSpecific(VstInt32 index, VstIntPtr value, void* ptr, float opt) override;

    // Host parameters: 240 = 12 tracks x 20 slots, and the standalone host's private indexes.
    void setParameter(VstInt32 index, float value) override;  // main (hosts may automate from audio: values only)
    float getParameter(VstInt32 index) override;  // any thread; reads as they are
    void getParameterName(VstInt32 index, char* text) override;  // any thread
    void getParameterDisplay(VstInt32 index, char* text) override;  // any thread
    VstInt32 getProgram() override { return std::atomic_ref<VstInt32>(curProgram).load(); }  // any thread
    void setProgram(VstInt32 program) override { loadProgram(program); }  // main; a loader

    // The tag space: every value of the instrument by number (see Tags.h).
    void setValue(std::int32_t tag, float value);  // main; stores one setting (never the audio thread)
    float getValue(std::int32_t tag) const;  // any thread; reads as they are
    // Main: tells the host of a change the editor made, as an automated parameter.
    void reportToHost(std::int32_t tag, float value);
    // Main: flips the sequencer's run switch and asks for a release of every voice.
    void togglePlaying();
    // Any thread but the audio thread: every voice is released, and every track routed to the
    // drum synth sent a note-off, at the start of the render loop's next block (the audio
    // export's too). Requests made before that block are taken together.
    void requestReleaseAllVoices() { releaseAllRequested.store(true); }

    // The random keystrokes' commands, user-interface thread only. Each is a request that the
    // render loop applies at the start of its next block (RandomKeystrokes.h); when the host is
    // still, it is applied at once under the load handshake. The editor sees the new layer at
    // its next idle, which shows the layer as it finds it.
    // Every active track draws a density from its range and generates with it.
    void requestRandomRegeneration() { requestRandomChange(*this, {.kind = RandomRequest::Kind::regenerateAll}); }
    // The same for one track.
    void requestTrackRandomRegeneration(int track) {
        requestRandomChange(*this, {.kind = RandomRequest::Kind::regenerateTrack, .track = track});
    }
    // The track's keystrokes replaced with int(steps * fraction) new ones.
    void requestRandomKeystrokes(int track, float fraction) {
        requestRandomChange(*this, {.kind = RandomRequest::Kind::generateTrack, .track = track, .fraction = fraction});
    }
    // Every active track's keystrokes removed.
    void requestRandomClear() { requestRandomChange(*this, {.kind = RandomRequest::Kind::clearAll}); }
    // One track's keystrokes removed.
    void requestTrackRandomClear(int track) {
        requestRandomChange(*this, {.kind = RandomRequest::Kind::clearTrackHits, .track = track});
    }
    // The keystroke at the track's step removed.
    void requestRandomKeystrokeRemoval(int track, int step) {
        requestRandomChange(*this, {.kind = RandomRequest::Kind::removeKeystroke, .track = track, .step = step});
    }
    // The keystrokes become hits of the current pattern, and the layer is cleared.
    void keepRandomKeystrokes() { rimba::keepRandomKeystrokes(*this); }

    // Main or timer; a loader. Loads program file number n of the current program's folder;
    // nothing changes when there is no such file.
    void loadProgram(std::int32_t n);
    // The same, answering whether the file loaded: refused when there is no such file (nothing
    // changes then) or the file was refused (the number and ProgramFile have moved to it, as a
    // host's program change expects; the editor puts ProgramFile back).
    Result<> loadProgramNumber(std::int32_t n);
    // Main or timer; a loader. The program file itself; refused, with nothing changed, when it
    // cannot be read or holds no program this instrument takes.
    Result<> loadProgramFile(const std::string& path);

    // State operations: main, as loaders or before the instance is registered (construction).
    void resetSequencer();
    void resetTracks();
    void updateTrack(int track);  // main; recomputes a track's derived values and gains
    // Audio, or a loader: moves the voice's bounds to the track's start and end, which may idle
    // it.
    void recomputeBounds(int track);
    // Main or a loader: an end before the start is moved to the start.
    void keepEndAfterStart(int track);
    void loadTrackSound(int track);  // main; a loader (reads the sound file)
    // Main. Writes the part of the track's sound between its start and end as a 16-bit mono WAV
    // at the instrument's rate: 0 on success, -1 when there is nothing to write or it failed.
    std::int32_t writeTrackWave(int track, const std::string& path);

    // Audio (a loader may call it too). Control-rate recomputation of one voice's pan, gains,
    // shares and pitch.
    void controlUpdate(TrackVoice& voice);
    // Main. Gains of the track's voices from its level, mute and send settings.
    void updateTrackGains(int track);

    // Main. Computes a band's coefficients from the settings (track, or -1 for master) and queues
    // them for the audio thread; false when 100 updates already wait.
    bool queueEqUpdate(int target, int band);

    // Audio, or the offline render's thread while offlineRender holds the host's blocks off. The
    // body of processReplacing.
    void renderBlock(float** outputs, VstInt32 frames);

    // Main (the audio export). The frames an offline render of the current pattern, or of the
    // whole chain, lasts at the instrument's rate and tempo: 0 when there is nothing to render.
    std::int32_t offlineRenderFrames() const;
    // Receives each block of an offline render's master output, in order; false stops the render.
    using OfflineBlockTaker = std::function<bool(const float* left, const float* right, std::int32_t frames)>;
    // Main. Renders those frames from the first step through the render loop, the host's own
    // blocks held off meanwhile (they output silence), and puts the instrument back as it was:
    // the pattern, the play mode and the clock; the voices stopped. False when `take` stopped it.
    bool renderOffline(const OfflineBlockTaker& take);

    // Engine stages, in the order a block runs them: audio only. takeStepEdits brings the played
    // step planes up to every whole edit (PlayedSteps.h).
    void takeStepEdits();
    void runSequencer(const VstTimeInfo& time, VstInt32 frames);
    void playStep(std::int64_t step, double offset, double displayTime, double samplesPerStep);
    void playHit(int track, float velocity, float roll, std::int32_t offset, double samplesPerStep);
    void handleEvent(const PendingEvent& event);
    float renderVoice(TrackVoice& voice);
    void mixSample(float** outputs, VstInt32 i);
    void finishBlock(float** outputs, VstInt32 frames);

    // Audio, or a loader: the editor's way to sound a track directly, bypassing the pending
    // list. (A voice belongs to the audio thread; the editor must reach it through the MIDI ring
    // or while holding the handshake.)
    void auditionStart(int track, int velocity, bool toSynth);
    void auditionStop(int track, bool toSynth);

    // Timer: takes one queued program change; a loader.
    void programChangeTimer();

    bool editorOpen() const { return editor != nullptr && editor->isOpen(); }  // main or audio
    // Main, before the host has the descriptor: the instrument takes the editor, owns it from
    // then on and tells the host it has one.
    void giveEditor(AEffEditor* newEditor) { setEditor(newEditor); }
    // Main. Remembers the folder of the plug-in library as `PluginPath`, where the standalone
    // program looks for it; only the library's entry point knows that this instance is the
    // library's (the companion and the tests build the engine into programs of their own).
    void recordPluginFolder(const std::string& folder) { storage->recordPluginFolder(folder); }

    // --- what the editor shows of the instrument (EditorLink.cpp) ------------------------------
    // Editor thread unless said otherwise. The track's meter level (the greater of its two
    // peaks) as the render loop last published it; 0 for a track that is not in use.
    float trackLevel(int track) const;
    float masterLevelLeft() const { return editorMasterLeft.load(std::memory_order_relaxed); }
    float masterLevelRight() const { return editorMasterRight.load(std::memory_order_relaxed); }
    // A loader holds the handshake (on the timer's thread, or another thread of the host's).
    bool loadRunning() const { return handshake.loadsInProgress.load() > 0; }
    // While a load runs: the share of the tracks in use whose sound is not being loaded, 0 to 1.
    float loadProgress() const;
    // Takes the oldest played step whose display time is not later than `nowMs` (the platform's
    // millisecond tick); nothing when the queue is empty or its oldest step is still due later.
    std::optional<StepDisplay> takeDueStep(std::uint32_t nowMs);
    std::int32_t getTrackCount() const { return trackCount; }
    bool stepAndVumeterOn() const { return settings.stepAndVumeter != 0; }
    bool autoscrollOn() const { return settings.autoscroll != 0; }
    bool synthSlotLoaded() const { return drumSynth() != nullptr; }  // main or a loader
    // Play: the sequencer runs; pressed while it runs, it starts again from the first step.
    void startPlaying();
    // Stop: the sequencer stops and every voice of the 16 tracks is released at the next block.
    void stopPlaying();
    // The track's pad: sounds the track at `velocity` (1..127), or releases it with 0. Queued
    // for the render loop's next block; a full queue drops the press.
    void padNote(int track, int velocity);

private:
    // A host has no way to show why a file or chunk was refused; its standard error can.
    static void logRefusal(const char* what, const std::string& reason);

    // Where the settings and the last state live between runs.
    std::unique_ptr<InstrumentStorage> storage;

    void askHostForStandalone();
    bool applyStoredSettings();
    void restoreLastState(bool firstRun);
    void saveSettingsAndLastState();
    void resetMasterEqualiser();
    void resetTrackEqualiser(int track);
    void rebuildScaleList(int track);
    void forwardTrackToSynth(int track);
    void writeSilence(float** outputs, VstInt32 frames) const;
    void renderChunk(float** outputs, VstInt32 frames, const VstTimeInfo& time);
    const VstTimeInfo& publishPieceTime(const VstTimeInfo& blockTime, VstInt32 offset);
    void delaySeparateOutputs(float** outputs, VstInt32 frames);
    const VstTimeInfo& clockForBlock(const VstTimeInfo& hostTime);
    void drainOneMidiEntry();
    void startVoice(TrackVoice& voice, int velocity);
    void restartVoiceNow(TrackVoice& voice);
    void applyVoiceCommand(TrackVoice& voice, const Sound& sound);
    float equaliseTrack(int track, float input);
    // The rests of this sample (EqualiserRest.h), before any voice is summed.
    void settleRests(bool exportFading);
    float restSample(TrackVoice& voice);
    float voiceSignal(TrackVoice& voice, bool routed, VstInt32 i);
    void runSendEffects(float** outputs, VstInt32 frames);
    void applyMasterGain(float** outputs, VstInt32 frames);
    void applyMasterEqualiser(float** outputs, VstInt32 frames);
    void runInsertEffects(float** outputs, VstInt32 frames);
    void updateMasterMeters(float** outputs, VstInt32 frames);
    bool patternStart();
    std::int32_t stepInPattern(std::int64_t step, std::int32_t length) const;
    void queueSynthNote(std::int32_t deltaFrames, std::uint8_t status, int track, std::uint8_t velocity);
    void releaseAllVoices();  // audio
    void takeVoiceRequests();  // audio, at the start of a block
    void publishEditorMeters();  // audio, at the end of a block while the editor is open
    void takeEditorNotes();  // audio, at the start of a block
    // Audio: a note on the track itself (its voice, chokes) and its release.
    void soundTrack(int track, int key, int velocity);
    void releaseTrack(int track);

    // --- the program chunk and program files (Chunk.cpp) ----------------------------------
public:
    // Main or timer; never the audio thread. Each call builds a new block (excluding loaders
    // meanwhile); it stays valid until the next call or the instrument's end.
    VstInt32 getChunk(void** data, bool isPreset) override;
    // Main or timer; a loader. 1 when the block was taken; 0 when it was refused, and then
    // nothing has changed.
    VstInt32 setChunk(void* data, VstInt32 byteSize, bool isPreset) override;
    // Main or timer. The block getChunk hands out, for callers that keep it themselves.
    std::vector<std::uint8_t> buildChunk();
    // Main or timer. Writes the ".fxp" file of the current state; false when it failed.
    bool saveProgramFile(const std::string& path);
    // Main (start-up, the editor); a loader. Finds the file of the ProgramFile setting among the
    // programs of its folder and loads it by its number.
    void findCurrentProgram();

    // Set by a 256-byte setChunk: the next block built also writes every track's sound there.
    std::string sampleExportFolder;
    // The block last handed to the host.
    std::vector<std::uint8_t> lastChunk;

private:
    // A program block from the instrument's own sources (program files, the last state): never
    // the export folder a host may name with a 256-byte block.
    Result<> takeProgramBlock(std::span<const std::uint8_t> block);
    void captureTrack(int track, ChunkTrack& stored, const std::string& library);
    std::string exportTrackSound(int track);
    void applyProgram(const ProgramChunk& program);
    void applyTrack(int track, const ChunkTrack& stored, const std::string& library);
    void emptyTrackPatterns(int track);
    void applyTail(const ProgramChunk& program);
    void applyEffects(const ProgramChunk& program);

    // --- hosted plug-ins (EffectSlots.cpp) ------------------------------------------------
public:
    // The slots are InstrumentState's `pluginSlots` (kSynthSlot the drum synth). The calls below
    // that change them are loaders: each holds the load handshake (and with it the loaders'
    // lock) once, for the whole change and its latency, and tells the host of a new latency
    // after letting go. The private helpers they share expect the handshake held.
    // Main; a loader. Loads the library into the slot, holding the audio thread off meanwhile;
    // the library the slot already holds is not loaded again. A refusal empties the slot.
    // `file`, when given, is the file opened for `path` (see CPlugin::load).
    Result<> loadSlot(int slot, const std::string& path, const std::string& file = {});
    // Main; a loader. Unloads and empties the slot.
    void removeSlot(int slot);
    // The slot menu's two actions: a successful load switches the effect on, a failed one or a
    // removal switches it off. Main.
    Result<> selectEffect(int slot, const std::string& path);
    void removeEffect(int slot);
    // Main. The plug-in a slot holds, or null.
    const CPlugin* slotPlugin(int slot) const;
    CPlugin* slotPlugin(int slot);
    // Main; a loader. Lends the slot a plug-in made elsewhere (the tests' stand-ins), or takes
    // the loan back with null: the render loop runs it as it would a loaded one. The slot's own
    // plug-in, if any, stays loaded but unheard until the slot is loaded or emptied again.
    // Nothing is reported: the latency report and the timer ask loaded plug-ins only.
    void placePlugin(int slot, HostedPlugin* plugin);
    // Main. The effect libraries of the EffectPath folder, in folder-scan order: the slot
    // menu's entries.
    std::vector<std::string> effectLibraries() const;

    // The frames by which the insert effects hold the master back: the latencies of the inserts
    // that run (loaded and switched on), added up, since they run one after the other. Send
    // returns and the drum synth are not counted (see docs/notes/effect-host.md). Main, or a
    // loader.
    std::int32_t masterLatency() const;
    // Main, or a loader; never the audio thread. Makes the master latency the instrument's
    // initialDelay and, when that changed, delays the separate outputs as much and tells the
    // host with audioMasterIOChanged (not before the constructor has ended: the host reads the
    // field when it gets the instrument). Every change of the slots, their switches, the rate
    // or the program calls it; the timer looks for the plug-ins' own changes. Holds the audio
    // thread off only when the latency changed, so a switch that changes none never silences a
    // block.
    void reportLatency();

private:
    void stopVoicesForOfflineRender();
    // Main; loaders: what the host's new rate or block size means for the slots.
    void handOnSampleRate(float rate);
    void handOnBlockSize(std::int32_t frames);
    // Main, at the instrument's end; a loader.
    void unloadEverySlot();

    // The helpers below expect the caller to hold the load handshake.
    // The slot holds a plug-in loaded from `path` (not empty).
    bool slotHolds(int slot, const std::string& path);
    // loadSlot without a latency report: a program places its four effects and reports once.
    Result<> placeInSlot(int slot, const std::string& path, const std::string& file = {});
    // A library that a program block names: placed as placeInSlot does only when it lies inside
    // the effects folder or a standard plug-in folder (plugin/effects/LibraryPlaces.h), judged
    // before anything of it is opened; otherwise refused, saying why, and the slot is emptied.
    // The library the slot already holds stays.
    Result<> loadProgramEffect(int slot, const std::string& path);
    void emptySlot(int slot);
    // Counts the inserts that run and takes their latency as reported; true when it changed.
    bool takeMasterLatency();

    // Under the loaders' lock (the handshake not needed): marks the inserts that run as counted.
    void countRunningInserts();
    // The handshake held: takes the master latency as reported; true when it changed.
    bool applyMasterLatency();
    std::int32_t reportedLatency();
    // Tells the host of a changed latency, once no loader of this call holds the audio thread.
    void announceLatencyChange(bool changed);
    // Timer: reports the latency again when a counted insert's own latency changed.
    void recheckLatency();
    // The most frames a hosted plug-in is handed at once: the host's block size, within the
    // render loop's own limit. Plug-ins are told it, and the render loop cuts longer blocks (the
    // audio export's) into pieces of it. Changed by setBlockSize while the audio thread is held
    // off.
    std::int32_t pluginBlockFrames = HostedPlugin::kMaxBlockFrames;
    // The time record of the block in progress, which hosted plug-ins ask for with
    // audioMasterGetTime. Written by the audio thread, read by any.
    std::atomic<const VstTimeInfo*> timeForPlugins{nullptr};
    // The records it points at, one per piece of a block, in turns. Audio thread.
    std::array<VstTimeInfo, 2> pieceTimes{};
    std::size_t pieceTimeTurn = 0;
    // The separate outputs held back by the reported latency; set up by reportLatency under the
    // handshake.
    OutputDelay separateOutputDelay;
    // The constructor has ended: the host has the instrument and may be told of changes.
    bool hostHasInstrument = false;

    // --- kits (Kit.cpp) -------------------------------------------------------------------
public:
    // Main. Writes the ".drs" file of the tracks in use; false when it could not be written (a
    // file already there then stays as it was).
    bool saveKit(const std::string& path);
    // Main; a loader. Gives the tracks the file's sounds and sound settings; refused, with
    // nothing changed, for a file that cannot be read or is no kit.
    Result<> loadKit(const std::string& path);
    // Main; a loader. "New Kit": every track in use loses its sound and takes its defaults.
    void newKit();
    // Main; a loader. "New Program": a stopped sequencer, the default kit and empty patterns.
    void newProgram();

private:
    void applyKitRecord(int track, const KitRecord& record, const std::string& library);

    // --- batched rendering of event-free stretches (FastMix.cpp, BatchPlanner.cpp, BatchSums.cpp)
public:
    // Set before rendering (tests, benchmarks): renders every sample the long way, one sample at
    // a time, as the reference the batched path is compared with.
    bool forceSampleBySample = false;
    // Samples rendered in batches since construction, so tests can tell that batches ran.
    std::int64_t batchedFrames = 0;

    // A voice's smoothed gains, in the order controlTargets gives their targets.
    enum ControlTarget {
        kTargetSampleGain,
        kTargetSynthGain,
        kTargetGainLeft,
        kTargetGainRight,
        kTargetSend1Left,
        kTargetSend1Right,
        kTargetSend2Left,
        kTargetSend2Right,
        kControlTargets
    };

private:
    struct BatchScratchDeleter {
        void operator()(batch::BatchScratch* scratch) const;
    };
    static std::unique_ptr<batch::BatchScratch, BatchScratchDeleter> makeBatchScratch();
    // Working rows of the batched path, made with the instrument so the audio thread never
    // allocates them.
    std::unique_ptr<batch::BatchScratch, BatchScratchDeleter> batchScratch = makeBatchScratch();

    // Sample i of a block the long way: the control-rate update when due, one MIDI entry, the
    // bus gain, the pending events, then mixSample.
    void renderSample(float** outputs, VstInt32 i);
    // How many samples from `at` on can be rendered as one batch; 0 when sample `at` has to go
    // the long way (an event fires, MIDI waits, a voice takes a command, the export fades).
    VstInt32 batchLength(VstInt32 at, VstInt32 frames) const;
    void renderBatch(float** outputs, VstInt32 at, VstInt32 frames);
    // The smoothed gains of every voice and the targets the batch's first control-rate update
    // gives them, which the later updates keep; and, after the batch, the gains of control
    // period `table` and the rates of the first update.
    void startBatchControl(batch::BatchScratch& scratch);
    void finishBatchControl(const batch::BatchScratch& scratch, int table);
    void applyMasterGainBatched(float** outputs, VstInt32 frames);
    void applyMasterEqualiserBatched(float** outputs, VstInt32 frames);
    // The parts of controlUpdate, for a voice whose track is a slot: the values its smoothed
    // gains approach (the track's pan is clamped on the way), its pitch in semitones, and its
    // rate from 2^(semitones / 12).
    void controlTargets(const TrackVoice& voice, float* targets);
    double controlSemitones(const TrackVoice& voice) const;
    float controlRate(const TrackVoice& voice, double pitchFactor) const;

    // --- undo and redo of the musician's edits (UndoRedo.cpp) ---------------------------------
public:
    // Main. A gesture of the musician's begins (a click, a drag, a menu choice, a file dropped):
    // what is editable now is what undoing it puts back. Calls before its end belong to the same
    // gesture, so a whole drag is one step.
    void beginGesture();
    // Main. The gesture ends: what it changed becomes one step of the history; a gesture that
    // changed nothing leaves none. Nothing happens when no gesture is open.
    void endGesture();
    // Main, never the audio thread. Puts back what the newest step changed, or does it again;
    // false when there is no such step. An open gesture ends first. The audio thread plays on
    // (a changed sound holds it off while it loads, as a sound load does).
    bool undo();
    bool redo();
    bool canUndo() const { return history.canUndo(); }
    bool canRedo() const { return history.canRedo(); }
    std::size_t undoDepth() const { return history.undoDepth(); }
    // Main. Everything a musician edits, as it is now.
    EditState editState() const;

private:
    TrackEdit trackEdit(int track) const;
    PatternEdit patternEdit(int track, int pattern) const;
    GlobalEdit globalEdit() const;
    // Moves every part a step names from its `from` side to its `to` side (see `moved`).
    void applyEditChange(const EditChange& from, const EditChange& to);
    void applyTrackEdit(int track, const TrackEdit& edit);
    void applyPatternEdit(int track, int pattern, const PatternEdit& edit);
    void applyGlobalEdit(const GlobalEdit& edit);
    EditHistory history;
    std::optional<EditState> gestureStart;

    // --- synth presets (SynthPresets.cpp) ------------------------------------------------------
public:
    // Main. Writes the track's sound of the drum synth, under the track's preset name, to
    // `path` and remembers the path for the track. Refused, with nothing changed, when the synth
    // slot is empty or the file cannot be written.
    Result<> saveSynthPreset(int track, const std::string& path);
    // Main. Gives the file's values to the track's synth parameters and remembers its path and
    // name for the track. Refused, with nothing changed, when the synth slot is empty or the file
    // cannot be read or is no synth preset.
    Result<> loadSynthPreset(int track, const std::string& path);
    // Main. The ".fxp" files of the synth preset folder (setting SynthFilesPath), as whole paths
    // in the order of the folder scan.
    std::vector<std::string> listSynthPresets() const;
    // Main. The track's remembered path and preset name; empty when there is none.
    std::string synthPresetPath(int track) const;
    std::string synthPresetName(int track) const;

    // --- the editor's and the pattern tools' changes (Edits.cpp) ---------------------------------
    // Every change the editor, the pattern tools and the companion make to the state goes through
    // one of these, so the derived values each change needs follow it. Main thread, as a gesture
    // of the musician's (the undo history captures the state around it); the audio thread reads
    // what they write value by value, as it does for every setting.
public:
    // Main. Solo on lets the track through alone (it becomes the selected track); off lets every
    // track through and keeps the selected track.
    void setSolo(int track, bool on);
    // Main. The master level, 0 to 127.
    void setMasterLevel(float level);
    // Main. The master equaliser's switch.
    void setMasterEqOn(bool on);
    // Main. One band of the master equaliser or of a track's, each value as its setting stores it;
    // the band's coefficients are queued for the audio thread (false when 100 updates wait).
    bool setMasterEqBand(int band, float frequency, float quality, float gain);
    bool setTrackEqBand(int track, int band, float frequency, float quality, float gain);
    // The track's switches outside the tag space.
    enum class TrackSwitch { eqOnSample, eqOnSynth, phaseInvert };
    // Main. Sets one; the phase, which the gains carry, recomputes the track's derived values.
    void setTrackSwitch(int track, TrackSwitch which, bool on);
    // Main. The share of the track's signal the drum synth gives (0..1); the track's derived
    // values follow.
    void setSynthMix(int track, float mix);
    // Main. The semitones the track's tune is held to, 12 switches from C; the tune scale is on
    // when any is, and the track's scale and derived values follow.
    void setScaleNotes(int track, const std::array<bool, kScaleNotes>& notes);
    // Main. The MIDI key that sounds the track.
    void setTrackKey(int track, int key);
    // Main. The random settings in force for the track: the current pattern's when they are kept
    // per pattern, else the track's own (see randomRangeInForce).
    void setRandomSettings(int track, float minDensity, float maxDensity, float maxRoll);
    // Main. The track's own random settings, whatever is in force.
    void setTrackRandomSettings(int track, float minDensity, float maxDensity, float maxRoll);
    // Main. Random settings kept per pattern or per track; either way the range graph goes.
    void setRandomPerPattern(bool on);
    void setRandomGraphVisible(bool on);
    // Main. The track's 16 patterns: velocities, holds, rolls, tunes and the per-pattern random
    // settings. Its random keystrokes are left as they are: the render loop draws them anew at
    // pattern starts while automatic generation is on.
    void setTrackPatterns(int track, const TrackPatterns& planes);
    // Main. One step of the track's pattern: velocity, rolls and hold together (the step grid's
    // edits).
    void setPatternStep(int track, int pattern, int step, const PatternStep& values);
    // Main. The step's tune, shared by the track's 16 patterns.
    void setStepTune(int track, int step, float semitones);
    // Main. The pattern's step count, 1 to 64.
    void setPatternSteps(int pattern, int steps);
    // Main. 0 repeats the current pattern, 1 plays the chain, 2 the chain in random order.
    void setPlayMode(std::int32_t mode);
    // Main. The track's sound from the file at `path`, played whole.
    void setTrackSound(int track, const std::string& path);
    // Main or timer; loaders (PatternSets.h): the pattern set file, the single pattern file read
    // into `pattern`, and "New Patterns".
    Result<int> loadPatternSet(const std::string& path);
    Result<int> loadPatternFile(const std::string& path, int pattern);
    void newPatterns();
    // Main. The next number (0..RandomSource::kMax) of the source the grid's randomisations draw
    // from, the user-interface thread's own.
    std::int32_t drawEditRandom();

    // The files and folders the settings remember for the menus' file selectors.
    enum class RememberedPath {
        programFile,
        kitFile,
        patternSetFile,
        patternFile,
        savedPatternFile,  // also the pattern file the selector opens next
        audioExport,
        midiExport,
        soundFolder,
        soundSaveFolder,
        appFolder,
        effectsFolder,
    };
    // Main.
    void setRememberedPath(RememberedPath which, const std::string& path);
    const std::string& rememberedPath(RememberedPath which) const;

    // Main. The menus' settings; the MIDI ones are read by the audio thread as they are.
    void setAutoscroll(bool on);
    void setStepAndVumeter(bool on);
    void setReceiveMidiChannel(std::int32_t channel);  // -1 off, 0 any, else 1..16
    void setMidiProgramChange(bool on);
    void setPatternTriggerKey(std::int32_t key);  // -1 off
    void setMuteMidiKey(bool on);
    void setKnobBehaviorMode(std::int32_t mode);
    // Main. The track count the next run starts with (this run's stays).
    void setNextTrackCount(std::int32_t count);
    // Main. The standalone program's devices and stream, each passed on to it as its private
    // parameter.
    void chooseStandaloneAudioDevice(const std::string& name);
    void chooseStandaloneMidiDevice(const std::string& name);
    void chooseStandaloneSampleRate(std::int32_t rate);
    void chooseStandaloneBufferSize(std::int32_t frames);

private:
    std::string& rememberedPathSetting(RememberedPath which);
};

}  // namespace rimba
