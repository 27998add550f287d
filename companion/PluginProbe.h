#pragma once
// Loads a VST 2.4 plug-in library exactly as a host does (dlopen, entry point, callback) and
// reads what a host sees of it.

#include <string>
#include <vector>

#include "common/platform/DynamicLibrary.h"
#include "common/vst/VstAbi.h"

namespace rimba::tool {

struct PinInfo {
    std::string label;
    std::string shortLabel;
    VstInt32 flags = 0;
};

struct PluginFacts {
    VstInt32 magic = 0;
    VstInt32 uniqueID = 0;
    VstInt32 version = 0;
    VstInt32 numParams = 0;
    VstInt32 numPrograms = 0;
    VstInt32 numInputs = 0;
    VstInt32 numOutputs = 0;
    VstInt32 flags = 0;
    std::string effectName;
    std::string vendor;
    std::string product;
    VstIntPtr vendorVersion = 0;
    VstIntPtr vstVersion = 0;
    VstIntPtr category = 0;
    std::vector<PinInfo> outputs;
    // The editor's rectangle as effEditGetRect answers it, when the plug-in has an editor and
    // answers.
    bool hasEditorRect = false;
    ERect editorRect{};
};

class LoadedPlugin {
public:
    // `standalone` makes the host callback answer the standalone host's signature.
    LoadedPlugin(const std::string& path, bool standalone);
    ~LoadedPlugin();
    LoadedPlugin(const LoadedPlugin&) = delete;
    LoadedPlugin& operator=(const LoadedPlugin&) = delete;

    bool ok() const { return effect != nullptr; }
    const std::string& error() const { return failure; }
    AEffect* get() const { return effect; }
    VstIntPtr dispatch(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0, void* ptr = nullptr,
                       float opt = 0.0f) const;
    PluginFacts facts() const;

private:
    platform::DynamicLibrary library;
    AEffect* effect = nullptr;
    std::string failure;
};

std::string flagNames(VstInt32 flags);
std::string categoryName(VstIntPtr category);
std::string pinFlagNames(VstInt32 flags);

}  // namespace rimba::tool
