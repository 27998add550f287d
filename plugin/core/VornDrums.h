#pragma once
// The instrument: a VST 2.4 synth of 12 (or 8) sampled drum tracks driven by a step sequencer and
// MIDI. It owns its whole state; this class is its face to the host and the operations that
// keep the state's derived values up to date.
//
// Threads: construction, close, destruction and setSampleRate on the host's main thread;
// processReplacing and processEvents on its audio thread; the program-change timer on the
// process-wide timer thread.

#include <atomic>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "common/vst/AudioEffectX.h"
#include "plugin/core/InstrumentSettings.h"
#include "plugin/core/InstrumentState.h"
#include "plugin/core/StoredSettings.h"

namespace rimba {

struct ProgramChunk;
struct ChunkTrack;
struct KitRecord;
namespace batch {
struct BatchScratch;
}

class VornDrums : public AudioEffectX, public InstrumentState {
public:
    // An instrument that keeps its settings and last state in `storage` (the user's settings
    // store unless said otherwise).
    explicit VornDrums(audioMasterCallback audioMaster, std::unique_ptr<InstrumentStorage> storage = userStorage());
    // An instrument whose settings come from `readSettings` and that keeps nothing between runs.
    VornDrums(audioMasterCallback audioMaster, SettingsReader readSettings);
    ~VornDrums() override;

    // Host dialogue.
    void resume() override;
    void close() override;
    void setSampleRate(float rate) override;
    void setBlockSize(VstInt32 size) override;
    void processReplacing(float** inputs, float** outputs, VstInt32 sampleFrames) override;
    void processDoubleReplacing(double**, double**, VstInt32) override {}
    VstInt32 processEvents(VstEvents* events) override;

    void getProgramName(char* name) override;
    bool getProgramNameIndexed(VstInt32 category, VstInt32 index, char* text) override;
    bool getOutputProperties(VstInt32 index, VstPinProperties* properties) override;
    bool getEffectName(char* name) override;
    bool getVendorString(char* text) override;
    bool getProductString(char* text) override;
    VstInt32 getVendorVersion() override { return kPluginVersion; }
    VstPlugCategory getPlugCategory() override { return kPlugCategSynth; }
    VstInt32 canDo(char*) override { return 0; }

    // Host parameters: 240 = 12 tracks x 20 slots, and the standalone host's private indexes.
    void setParameter(VstInt32 index, float value) override;
    float getParameter(VstInt32 index) override;
    void getParameterName(VstInt32 index, char* text) override;
    void getParameterDisplay(VstInt32 index, char* text) override;
    VstInt32 getProgram() override { return std::atomic_ref<VstInt32>(curProgram).load(); }
    void setProgram(VstInt32 program) override { loadProgram(program); }

    // The tag space: every value of the instrument by number (see Tags.h).
    void setValue(std::int32_t tag, float value);
    float getValue(std::int32_t tag) const;
    // Tells the host of a change the editor made, as an automated parameter.
    void reportToHost(std::int32_t tag, float value);
    // Flips the sequencer's run switch and releases every voice.
    void togglePlaying();

    // Loads program file number n of the current program's folder; nothing changes when there is
    // no such file. User-interface or timer thread.
    void loadProgram(std::int32_t n);
    // The program file itself; false when it could not be loaded.
    bool loadProgramFile(const std::string& path);

    // State operations.
    void resetSequencer();
    void resetTracks();
    void updateTrack(int track);
    void recomputeBounds(int track);
    void loadTrackSound(int track);
    // Writes the part of the track's sound between its start and end as a 16-bit mono WAV at the
    // instrument's rate: 0 on success, -1 when there is nothing to write or the write failed.
    std::int32_t writeTrackWave(int track, const std::string& path);

    // Control-rate recomputation of one voice's pan, gains, shares and pitch.
    void controlUpdate(TrackVoice& voice);
    // Gains of the track's voices from its level, mute and send settings.
    void updateTrackGains(int track);

    // Computes a band's coefficients from the settings (track, or -1 for master) and queues them
    // for the audio thread; false when 100 updates already wait.
    bool queueEqUpdate(int target, int band);

    // The body of processReplacing, also driven directly by the audio export. Audio thread (or
    // the export's thread while offlineRender is set).
    void renderBlock(float** outputs, VstInt32 frames);

    // Engine stages, in the order a block runs them.
    void runSequencer(const VstTimeInfo& time, VstInt32 frames);
    void playStep(std::int64_t step, double offset, double displayTime, double samplesPerStep);
    void playHit(int track, float velocity, float roll, std::int32_t offset, double samplesPerStep);
    void handleEvent(const PendingEvent& event);
    float renderVoice(TrackVoice& voice);
    void mixSample(float** outputs, VstInt32 i);
    void finishBlock(float** outputs, VstInt32 frames);

    // The editor's way to sound a track directly, bypassing the pending list.
    void auditionStart(int track, int velocity, bool toSynth);
    void auditionStop(int track, bool toSynth);

    // The 40 ms timer's work for this instance.
    void programChangeTimer();

    bool editorOpen() const { return editor != nullptr && editor->isOpen(); }
    bool synthSlotLoaded() const { return drumSynthPlugin != nullptr; }

private:
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
    const VstTimeInfo& clockForBlock(const VstTimeInfo& hostTime);
    void drainOneMidiEntry();
    void startVoice(TrackVoice& voice, int velocity);
    void restartVoiceNow(TrackVoice& voice);
    void applyVoiceCommand(TrackVoice& voice, const Sound& sound);
    float equaliseTrack(int track, float input);
    void runSendEffects(float** outputs, VstInt32 frames);
    void applyMasterGain(float** outputs, VstInt32 frames);
    void applyMasterEqualiser(float** outputs, VstInt32 frames);
    void runInsertEffects(float** outputs, VstInt32 frames);
    void updateMasterMeters(float** outputs, VstInt32 frames);
    bool patternStart();
    std::int32_t stepInPattern(std::int64_t step, std::int32_t length) const;
    void queueSynthNote(std::int32_t deltaFrames, std::uint8_t status, int track, std::uint8_t velocity);
    void releaseAllVoices();

    // --- the program chunk and program files (Chunk.cpp) ----------------------------------
    // User-interface thread or the program-change timer, never the audio thread.
public:
    // Each call builds a new block; it stays valid until the next call or the instrument's end.
    VstInt32 getChunk(void** data, bool isPreset) override;
    // 1 when the block was taken; 0 when it was refused, and then nothing has changed.
    VstInt32 setChunk(void* data, VstInt32 byteSize, bool isPreset) override;
    // The block getChunk hands out, for callers that keep it themselves.
    std::vector<std::uint8_t> buildChunk();
    // Writes the ".fxp" file of the current state; false when it could not be written.
    bool saveProgramFile(const std::string& path);
    // Finds the file of the ProgramFile setting among the programs of its folder and loads it
    // by its number, as at start-up.
    void findCurrentProgram();

    // Set by a 256-byte setChunk: the next block built also writes every track's sound there.
    std::string sampleExportFolder;
    // The block last handed to the host.
    std::vector<std::uint8_t> lastChunk;

private:
    // A program block from the instrument's own sources (program files, the last state): never
    // the export folder a host may name with a 256-byte block. False when it was refused.
    bool takeProgramBlock(std::span<const std::uint8_t> block);
    void captureTrack(int track, ChunkTrack& stored, const std::string& library);
    std::string exportTrackSound(int track);
    void applyProgram(const ProgramChunk& program);
    void applyTrack(int track, const ChunkTrack& stored, const std::string& library);
    void emptyTrackPatterns(int track);
    void applyTail(const ProgramChunk& program);
    void applyEffects(const ProgramChunk& program);
    // Loading a library into an effect slot is the effect host's work; false leaves the slot
    // empty.
    bool loadEffectLibrary(int slot, const std::string& path);
    void unloadEffectLibrary(int slot);

    // --- kits (Kit.cpp) -------------------------------------------------------------------
    // User-interface thread, never the audio thread.
public:
    // Writes the ".drs" file of the tracks in use; false when it could not be written (a file
    // already there then stays as it was).
    bool saveKit(const std::string& path);
    // Gives the tracks the file's sounds and sound settings; false, with nothing changed, for a
    // file that cannot be read or is no kit.
    bool loadKit(const std::string& path);
    // "New Kit": every track in use loses its sound and takes its default settings.
    void newKit();
    // "New Program": a stopped sequencer, the default kit and empty patterns.
    void newProgram();

private:
    void applyKitRecord(int track, const KitRecord& record, const std::string& library);

    // --- batched rendering of event-free stretches (FastMix.cpp, BatchPlanner.cpp, BatchSums.cpp)
public:
    // Renders every sample the long way, one sample at a time, as the reference the batched
    // path is compared with.
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
};

}  // namespace rimba
