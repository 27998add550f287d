#pragma once
// A small plug-in base class on the VST 2.4 binary interface: it owns the AEffect record,
// answers the host's dispatcher by calling virtual operations, and gives every operation the
// answer a 2.4 host expects from a plug-in that does not implement it.
//
// Threads: the dispatcher, parameters and processing are called from whatever thread the host
// chooses (processReplacing and processEvents usually from its audio thread).

#include "common/vst/AEffEditor.h"
#include "common/vst/VstAbi.h"

class AudioEffectX {
public:
    AudioEffectX(audioMasterCallback audioMaster, VstInt32 numPrograms, VstInt32 numParams);
    virtual ~AudioEffectX();
    AudioEffectX(const AudioEffectX&) = delete;
    AudioEffectX& operator=(const AudioEffectX&) = delete;

    AEffect* getAeffect() { return &cEffect; }
    static AudioEffectX* fromAeffect(AEffect* effect) { return static_cast<AudioEffectX*>(effect->object); }

    // The host's dispatcher call; effClose ends with the deletion of the plug-in.
    virtual VstIntPtr dispatcher(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt);

    // Lifecycle.
    virtual void open() {}
    virtual void close() {}
    virtual void suspend() {}
    virtual void resume() {}
    virtual void setSampleRate(float newRate) { sampleRateValue = newRate; }
    virtual void setBlockSize(VstInt32 size) { blockSizeValue = size; }

    // Processing.
    virtual void processReplacing(float** inputs, float** outputs, VstInt32 sampleFrames) = 0;
    virtual void processDoubleReplacing(double**, double**, VstInt32) {}
    virtual VstInt32 processEvents(VstEvents*) { return 0; }

    // Parameters and programs.
    virtual void setParameter(VstInt32, float) {}
    virtual float getParameter(VstInt32) { return 0.0f; }
    virtual void getParameterLabel(VstInt32, char* label) { *label = 0; }
    virtual void getParameterDisplay(VstInt32, char* text) { *text = 0; }
    virtual void getParameterName(VstInt32, char* text) { *text = 0; }
    virtual bool canParameterBeAutomated(VstInt32) { return true; }
    virtual void setProgram(VstInt32 program) { curProgram = program; }
    virtual VstInt32 getProgram() { return curProgram; }
    virtual void setProgramName(char*) {}
    virtual void getProgramName(char* name) { *name = 0; }
    virtual bool getProgramNameIndexed(VstInt32, VstInt32, char*) { return false; }
    virtual VstInt32 getChunk(void**, bool) { return 0; }
    virtual VstInt32 setChunk(void*, VstInt32, bool) { return 0; }

    // Queries.
    virtual bool getInputProperties(VstInt32, VstPinProperties*) { return false; }
    virtual bool getOutputProperties(VstInt32, VstPinProperties*) { return false; }
    virtual bool getEffectName(char*) { return false; }
    virtual bool getVendorString(char*) { return false; }
    virtual bool getProductString(char*) { return false; }
    virtual VstInt32 getVendorVersion() { return 0; }
    virtual VstInt32 getVstVersion() { return kVstVersion; }
    virtual VstPlugCategory getPlugCategory();
    virtual VstInt32 canDo(char*) { return 0; }
    virtual VstInt32 getCurrentMidiProgram(VstInt32, void*) { return -1; }
    virtual VstInt32 getTailSize() { return 0; }
    virtual VstInt32 setTotalSampleToProcess(VstInt32 value) { return value; }
    virtual VstIntPtr vendorSpecific(VstInt32, VstIntPtr, void*, float) { return 0; }

    // Requests to the host; each answers 0 when the host gave no callback.
    VstIntPtr callHost(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0, void* ptr = nullptr, float opt = 0.0f);
    VstInt32 getMasterVersion();
    VstTimeInfo* getTimeInfo(VstInt32 filter);
    void wantEvents() { callHost(audioMasterWantMidi, 0, 1); }
    bool updateDisplay() { return callHost(audioMasterUpdateDisplay) != 0; }
    void setParameterAutomated(VstInt32 index, float value);

    float getSampleRate() const { return sampleRateValue; }
    VstInt32 getBlockSize() const { return blockSizeValue; }

protected:
    // The AEffect fields a plug-in sets in its constructor.
    void setNumInputs(VstInt32 count) { cEffect.numInputs = count; }
    void setNumOutputs(VstInt32 count) { cEffect.numOutputs = count; }
    void setUniqueID(VstInt32 id) { cEffect.uniqueID = id; }
    void setFlag(VstInt32 flag, bool on);
    void canProcessReplacing(bool on = true) { setFlag(effFlagsCanReplacing, on); }
    void programsAreChunks(bool on = true) { setFlag(effFlagsProgramChunks, on); }
    void isSynth(bool on = true) { setFlag(effFlagsIsSynth, on); }
    void setEditor(AEffEditor* newEditor);

    AEffect cEffect{};
    audioMasterCallback audioMaster = nullptr;
    AEffEditor* editor = nullptr;
    VstInt32 curProgram = 0;
    float sampleRateValue = 44100.0f;
    VstInt32 blockSizeValue = 1024;

private:
    VstIntPtr dispatchEditor(VstInt32 opcode, void* ptr);
};
