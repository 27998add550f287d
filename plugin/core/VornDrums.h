#pragma once
// The instrument: a VST 2.4 synth of 12 (or 8) sampled drum tracks driven by a step sequencer and
// MIDI. It owns its whole state; this class is its face to the host and the operations that
// keep the state's derived values up to date.
//
// Threads: construction, close, destruction and setSampleRate on the host's main thread;
// processReplacing and processEvents on its audio thread; the program-change timer on the
// process-wide timer thread.

#include <cstdint>

#include "common/vst/AudioEffectX.h"
#include "plugin/core/InstrumentSettings.h"
#include "plugin/core/InstrumentState.h"

namespace rimba {

// The settings this instance starts with when nothing else is said: the user's settings store.
bool readStoredSettings(InstrumentSettings& settings, bool standalone);

class VornDrums : public AudioEffectX, public InstrumentState {
public:
    explicit VornDrums(audioMasterCallback audioMaster, SettingsReader readSettings = readStoredSettings);
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

    // State operations.
    void resetSequencer();
    void resetTracks();
    void updateTrack(int track);
    void recomputeBounds(int track);
    void loadTrackSound(int track);

    // Control-rate recomputation of one voice's pan, gains, shares and pitch.
    void controlUpdate(TrackVoice& voice);
    // Gains of the track's voices from its level, mute and send settings.
    void updateTrackGains(int track);

    // Computes a band's coefficients from the settings (track, or -1 for master) and queues them
    // for the audio thread; false when 100 updates already wait.
    bool queueEqUpdate(int target, int band);

    // The body of processReplacing, also driven directly by the audio export.
    void renderBlock(float** outputs, VstInt32 frames);

    // The 40 ms timer's work for this instance.
    void programChangeTimer();

    bool editorOpen() const { return editor != nullptr && editor->isOpen(); }
    bool synthSlotLoaded() const { return false; }  // hosted plug-ins arrive with the effect host

private:
    void askHostForStandalone();
    void applyStoredSettings(const SettingsReader& readSettings);
    void restoreLastState();
    void saveSettingsAndLastState();
    void resetMasterEqualiser();
    void resetTrackEqualiser(int track);
    void rebuildScaleList(int track);
    void forwardTrackToSynth(int track);
    void writeSilence(float** outputs, VstInt32 frames) const;
};

}  // namespace rimba
