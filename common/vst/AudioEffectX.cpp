#include "common/vst/AudioEffectX.h"

namespace {

extern "C" {

VstIntPtr dispatchEffect(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt) {
    return AudioEffectX::fromAeffect(effect)->dispatcher(opcode, index, value, ptr, opt);
}

// The accumulating process of VST 1 is never called by 2.4 hosts that see effFlagsCanReplacing.
void processAccumulating(AEffect*, float**, float**, VstInt32) {}

void processReplacingEffect(AEffect* effect, float** inputs, float** outputs, VstInt32 sampleFrames) {
    AudioEffectX::fromAeffect(effect)->processReplacing(inputs, outputs, sampleFrames);
}

void processDoubleReplacingEffect(AEffect* effect, double** inputs, double** outputs, VstInt32 sampleFrames) {
    AudioEffectX::fromAeffect(effect)->processDoubleReplacing(inputs, outputs, sampleFrames);
}

void setParameterEffect(AEffect* effect, VstInt32 index, float value) {
    AudioEffectX::fromAeffect(effect)->setParameter(index, value);
}

float getParameterEffect(AEffect* effect, VstInt32 index) {
    return AudioEffectX::fromAeffect(effect)->getParameter(index);
}

}  // extern "C"

}  // namespace

AudioEffectX::AudioEffectX(audioMasterCallback master, VstInt32 numPrograms, VstInt32 numParams) : audioMaster(master) {
    cEffect.magic = kEffectMagic;
    cEffect.dispatcher = dispatchEffect;
    cEffect.process = processAccumulating;
    cEffect.setParameter = setParameterEffect;
    cEffect.getParameter = getParameterEffect;
    cEffect.numPrograms = numPrograms;
    cEffect.numParams = numParams;
    cEffect.numInputs = 1;
    cEffect.numOutputs = 2;
    cEffect.ioRatio = 1.0f;
    cEffect.object = this;
    cEffect.uniqueID = fourCharCode('N', 'o', 'E', 'f');
    cEffect.version = 1;
    cEffect.processReplacing = processReplacingEffect;
    cEffect.processDoubleReplacing = processDoubleReplacingEffect;
}

AudioEffectX::~AudioEffectX() = default;

void AudioEffectX::setFlag(VstInt32 flag, bool on) {
    if (on)
        cEffect.flags |= flag;
    else
        cEffect.flags &= ~flag;
}

void AudioEffectX::setEditor(AEffEditor* newEditor) {
    editor = newEditor;
    setFlag(effFlagsHasEditor, editor != nullptr);
}

VstPlugCategory AudioEffectX::getPlugCategory() {
    return (cEffect.flags & effFlagsIsSynth) ? kPlugCategSynth : kPlugCategUnknown;
}

VstIntPtr AudioEffectX::callHost(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt) {
    return audioMaster ? audioMaster(&cEffect, opcode, index, value, ptr, opt) : 0;
}

VstInt32 AudioEffectX::getMasterVersion() {
    // A host that answers 0 is taken to be a VST 1 host, as the interface prescribes.
    const VstIntPtr version = callHost(audioMasterVersion);
    return version == 0 ? 1 : static_cast<VstInt32>(version);
}

VstTimeInfo* AudioEffectX::getTimeInfo(VstInt32 filter) {
    return reinterpret_cast<VstTimeInfo*>(callHost(audioMasterGetTime, 0, filter));
}

void AudioEffectX::setParameterAutomated(VstInt32 index, float value) {
    setParameter(index, value);
    callHost(audioMasterAutomate, index, 0, nullptr, value);
}

VstIntPtr AudioEffectX::dispatchEditor(VstInt32 opcode, void* ptr) {
    if (!editor)
        return 0;
    switch (opcode) {
        case effEditGetRect: return editor->getRect(static_cast<ERect**>(ptr)) ? 1 : 0;
        case effEditOpen: return editor->open(ptr) ? 1 : 0;
        case effEditClose: editor->close(); return 0;
        case effEditIdle: editor->idle(); return 0;
        default: return 0;
    }
}

VstIntPtr AudioEffectX::dispatcher(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt) {
    char* text = static_cast<char*>(ptr);
    switch (opcode) {
        case effOpen: open(); return 0;
        case effClose:
            close();
            delete this;
            return 1;
        case effSetProgram:
            if (value < cEffect.numPrograms)
                setProgram(static_cast<VstInt32>(value));
            return 0;
        case effGetProgram: return getProgram();
        case effSetProgramName: setProgramName(text); return 0;
        case effGetProgramName: getProgramName(text); return 0;
        case effGetParamLabel: getParameterLabel(index, text); return 0;
        case effGetParamDisplay: getParameterDisplay(index, text); return 0;
        case effGetParamName: getParameterName(index, text); return 0;
        case effSetSampleRate: setSampleRate(opt); return 0;
        case effSetBlockSize: setBlockSize(static_cast<VstInt32>(value)); return 0;
        case effMainsChanged:
            if (value)
                resume();
            else
                suspend();
            return 0;
        case effEditGetRect:
        case effEditOpen:
        case effEditClose:
        case effEditIdle: return dispatchEditor(opcode, ptr);
        case effIdentify: return fourCharCode('N', 'v', 'E', 'f');
        case effGetChunk: return getChunk(static_cast<void**>(ptr), index != 0);
        case effSetChunk: return setChunk(ptr, static_cast<VstInt32>(value), index != 0);
        case effProcessEvents: return processEvents(static_cast<VstEvents*>(ptr));
        case effCanBeAutomated: return canParameterBeAutomated(index) ? 1 : 0;
        case effGetProgramNameIndexed: return getProgramNameIndexed(static_cast<VstInt32>(value), index, text) ? 1 : 0;
        case effGetInputProperties: return getInputProperties(index, static_cast<VstPinProperties*>(ptr)) ? 1 : 0;
        case effGetOutputProperties: return getOutputProperties(index, static_cast<VstPinProperties*>(ptr)) ? 1 : 0;
        case effGetPlugCategory: return getPlugCategory();
        case effGetEffectName: return getEffectName(text) ? 1 : 0;
        case effGetVendorString: return getVendorString(text) ? 1 : 0;
        case effGetProductString: return getProductString(text) ? 1 : 0;
        case effGetVendorVersion: return getVendorVersion();
        case effCanDo: return text ? canDo(text) : 0;
        case effGetTailSize: return getTailSize();
        case effGetVstVersion: return getVstVersion();
        case effGetCurrentMidiProgram: return getCurrentMidiProgram(index, ptr);
        case effSetTotalSampleToProcess: return setTotalSampleToProcess(static_cast<VstInt32>(value));
        case effVendorSpecific: return vendorSpecific(index, value, ptr, opt);
        default: return 0;
    }
}
