#include "common/vst/StandaloneLink.h"
#include "companion/PluginProbe.h"

#include <array>
#include <utility>

namespace rimba::tool {

namespace {

constexpr VstIntPtr kStandaloneHostSignature = 0x35323249;
bool answerAsStandalone = false;  // the callback carries no context, so the tool keeps one answer

extern "C" VstIntPtr probeHostCallback(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float) {
    if (opcode == audioMasterVersion)
        return answerAsStandalone ? kStandaloneHostSignature : kVstVersion;
    return 0;
}

std::string textAnswer(const LoadedPlugin& plugin, VstInt32 opcode) {
    std::array<char, 256> text{};  // larger than any string a plug-in may write
    plugin.dispatch(opcode, 0, 0, text.data());
    text.back() = 0;
    return text.data();
}

}  // namespace

LoadedPlugin::LoadedPlugin(const std::string& path, bool standalone) {
    answerAsStandalone = standalone;
    if (!library.open(path)) {
        failure = "cannot load " + path + ": " + library.lastError();
        return;
    }
    auto entry = reinterpret_cast<VstPluginMainProc>(library.symbol("VSTPluginMain"));
    if (entry == nullptr)
        entry = reinterpret_cast<VstPluginMainProc>(library.symbol("main"));
    if (entry == nullptr) {
        failure = path + " has no VST 2.4 entry point (VSTPluginMain or main)";
        return;
    }
    effect = entry(probeHostCallback);
    if (effect == nullptr)
        failure = path + ": the entry point returned no effect";
    else if (effect->magic != kEffectMagic) {
        failure = path + ": the entry point returned a record without the VST magic";
        effect = nullptr;
    }
}

LoadedPlugin::~LoadedPlugin() {
    if (effect != nullptr)
        dispatch(effClose);
}

VstIntPtr LoadedPlugin::dispatch(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt) const {
    return effect->dispatcher(effect, opcode, index, value, ptr, opt);
}

PluginFacts LoadedPlugin::facts() const {
    PluginFacts facts;
    facts.magic = effect->magic;
    facts.uniqueID = effect->uniqueID;
    facts.version = effect->version;
    facts.numParams = effect->numParams;
    facts.numPrograms = effect->numPrograms;
    facts.numInputs = effect->numInputs;
    facts.numOutputs = effect->numOutputs;
    facts.flags = effect->flags;
    facts.effectName = textAnswer(*this, effGetEffectName);
    facts.vendor = textAnswer(*this, effGetVendorString);
    facts.product = textAnswer(*this, effGetProductString);
    facts.vendorVersion = dispatch(effGetVendorVersion);
    facts.vstVersion = dispatch(effGetVstVersion);
    facts.category = dispatch(effGetPlugCategory);
    for (VstInt32 i = 0; i < effect->numOutputs; ++i) {
        VstPinProperties pin{};
        if (dispatch(effGetOutputProperties, i, 0, &pin) == 0)
            continue;
        pin.label[sizeof pin.label - 1] = 0;
        pin.shortLabel[sizeof pin.shortLabel - 1] = 0;
        facts.outputs.push_back({pin.label, pin.shortLabel, pin.flags});
    }
    ERect* rect = nullptr;
    if ((effect->flags & effFlagsHasEditor) != 0 && dispatch(effEditGetRect, 0, 0, &rect) != 0 && rect != nullptr) {
        facts.hasEditorRect = true;
        facts.editorRect = *rect;
    }
    return facts;
}

std::string flagNames(VstInt32 flags) {
    static constexpr std::pair<VstInt32, const char*> kNames[] = {
        {effFlagsHasEditor, "HasEditor"},
        {effFlagsHasClip, "HasClip"},
        {effFlagsHasVu, "HasVu"},
        {effFlagsCanMono, "CanMono"},
        {effFlagsCanReplacing, "CanReplacing"},
        {effFlagsProgramChunks, "ProgramChunks"},
        {effFlagsIsSynth, "IsSynth"},
        {effFlagsNoSoundInStop, "NoSoundInStop"},
        {effFlagsExtIsAsync, "ExtIsAsync"},
        {effFlagsExtHasBuffer, "ExtHasBuffer"},
        {effFlagsCanDoubleReplacing, "CanDoubleReplacing"},
    };
    std::string names;
    for (const auto& [flag, name] : kNames) {
        if ((flags & flag) == 0)
            continue;
        if (!names.empty())
            names += ' ';
        names += name;
    }
    return names.empty() ? "none" : names;
}

std::string categoryName(VstIntPtr category) {
    static constexpr const char* kNames[] = {"Unknown",     "Effect",         "Synth",  "Analysis",
                                             "Mastering",   "Spacializer",    "RoomFx", "SurroundFx",
                                             "Restoration", "OfflineProcess", "Shell",  "Generator"};
    if (category >= 0 && category < static_cast<VstIntPtr>(std::size(kNames)))
        return kNames[category];
    return "?";
}

std::string pinFlagNames(VstInt32 flags) {
    std::string names;
    if (flags & kVstPinIsActive)
        names += "active";
    if (flags & kVstPinIsStereo)
        names += names.empty() ? "stereo" : ",stereo";
    if (flags & kVstPinUseSpeaker)
        names += names.empty() ? "speaker" : ",speaker";
    return names.empty() ? "none" : names;
}

}  // namespace rimba::tool
