#include <cstdio>
#include <memory>
#include <string>

#include "companion/Commands.h"
#include "plugin/effects/CPlugin.h"

namespace rimba::tool {
namespace {

struct EffectRequest {
    std::string library;
};

const char* yesNo(bool value) { return value ? "yes" : "no"; }

void describePlugin(CPlugin& plugin) {
    const PluginDescription& answers = plugin.description();
    const AEffect& effect = *plugin.aeffect();
    std::printf("label: %s\n", answers.label.c_str());
    std::printf("vendor: %s\n", answers.vendor.c_str());
    std::printf("product: %s\n", answers.product.c_str());
    std::printf("vendor version: %d\n", answers.vendorVersion);
    std::printf("effect name: %s\n", answers.effectName.c_str());
    std::printf("unique id: 0x%08X\n", static_cast<unsigned>(effect.uniqueID));
    std::printf("inputs: %d\n", effect.numInputs);
    std::printf("outputs: %d\n", effect.numOutputs);
    std::printf("programs: %d\n", effect.numPrograms);
    std::printf("parameters: %d\n", effect.numParams);
    std::printf("programs are chunks: %s\n", yesNo(plugin.programsAreChunks()));
    std::printf("wants MIDI: %s\n", yesNo(answers.wantsMidi));
    std::printf("program 0: %s\n", answers.programName.c_str());
}

int runEffect(const EffectRequest& request) {
    CPlugin plugin;
    if (const Result<> loaded = plugin.load(request.library, PluginSources{}); !loaded) {
        std::printf("refused: %s\n", loaded.reason().c_str());
        return 1;
    }
    describePlugin(plugin);
    return 0;
}

}  // namespace

void addEffectCommand(CLI::App& tool, Job& job) {
    auto request = std::make_shared<EffectRequest>();
    CLI::App* command = tool.add_subcommand(
        "effect", "Load a VST 2.4 library as an effect slot does and describe it, or say why a slot refuses it");
    command->add_option("PLUGIN", request->library, "The plug-in's library")->required()->check(nonEmpty());
    command->callback([request, &job] { job = [request] { return runEffect(*request); }; });
}

}  // namespace rimba::tool
