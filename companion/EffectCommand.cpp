#include <cstdio>
#include <memory>
#include <string>

#include "companion/Commands.h"
#include "plugin/effects/CPlugin.h"
#include "plugin/effects/EffectFiles.h"

namespace rimba::tool {
namespace {

struct EffectRequest {
    std::string library;
    std::string loadBank;
    std::string loadPreset;
    std::string saveBank;
    std::string savePreset;
    std::string editorPicture;
    int idleMilliseconds = 1000;
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

void describeCurrentProgram(CPlugin& plugin) {
    std::printf("current program: %d \"%s\"\n", plugin.currentProgram(), plugin.programName().c_str());
    for (std::int32_t p = 0; p < plugin.parameterCount(); ++p)
        std::printf("  parameter %d: %.9g\n", p, static_cast<double>(plugin.getParameter(p)));
}

// Loads first, then saves, so that a bank loaded and saved again shows what the plug-in kept.
int runEffect(const EffectRequest& request) {
    CPlugin plugin;
    if (const Result<> loaded = plugin.load(request.library, PluginSources{}); !loaded) {
        std::printf("refused: %s\n", loaded.reason().c_str());
        return 1;
    }
    describePlugin(plugin);
    AEffect& effect = *plugin.aeffect();
    const struct {
        const std::string& path;
        Result<> (*run)(AEffect&, const std::string&);
        const char* what;
    } steps[] = {{request.loadBank, loadBankFile, "bank"},
                 {request.loadPreset, loadPresetFile, "preset"},
                 {request.saveBank, saveBankFile, "bank file"},
                 {request.savePreset, savePresetFile, "preset file"}};
    for (const auto& step : steps) {
        if (step.path.empty())
            continue;
        if (const Result<> done = step.run(effect, step.path); !done)
            return fail(step.path + " (" + step.what + ")", done.reason());
    }
    if (!request.loadBank.empty() || !request.loadPreset.empty())
        describeCurrentProgram(plugin);
    return 0;
}

}  // namespace

void addEffectCommand(CLI::App& tool, Job& job) {
    auto request = std::make_shared<EffectRequest>();
    CLI::App* command = tool.add_subcommand(
        "effect", "Load a VST 2.4 library as an effect slot does and describe it, or say why a slot refuses it");
    command->add_option("PLUGIN", request->library, "The plug-in's library")->required()->check(nonEmpty());
    command->add_option("--load-bank", request->loadBank, "Load this bank (.fxb) into the plug-in")->check(nonEmpty());
    command->add_option("--load-preset", request->loadPreset, "Load this preset (.fxp) into its current program")
        ->check(nonEmpty());
    command->add_option("--save-bank", request->saveBank, "Save the plug-in's bank (.fxb) here")->check(nonEmpty());
    command->add_option("--save-preset", request->savePreset, "Save its current program (.fxp) here")
        ->check(nonEmpty());
#ifdef RIMBA_TOOL_PICTURES_EFFECT_EDITORS
    command
        ->add_option("--editor-screenshot", request->editorPicture,
                     "Load the plug-in into send 1, open its editor window with the program bar as the instrument "
                     "does and write the whole window as a PNG image (needs an X display)")
        ->check(nonEmpty())
        ->type_name("FILE.png");
    command
        ->add_option("--idle-ms", request->idleMilliseconds,
                     "How long the window gets the editor's idle before the picture is taken")
        ->check(CLI::Range(0, 60000))
        ->capture_default_str();
#endif
    command->callback([request, &job] {
        job = [request] {
#ifdef RIMBA_TOOL_PICTURES_EFFECT_EDITORS
            if (!request->editorPicture.empty())
                return writeEffectEditorPicture(request->library, request->editorPicture, request->idleMilliseconds);
#endif
            return runEffect(*request);
        };
    });
}

}  // namespace rimba::tool
