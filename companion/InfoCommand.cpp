#include <array>
#include <cstdio>
#include <memory>
#include <string>

#include "companion/Commands.h"
#include "companion/PluginProbe.h"

namespace rimba::tool {
namespace {

struct InfoRequest {
    std::string path = RIMBA_BUILT_PLUGIN;  // the plug-in this build made, unless one is named
    bool standalone = false;
    bool parameters = false;
};

std::string magicText(VstInt32 magic) {
    std::string text;
    for (int shift = 24; shift >= 0; shift -= 8) {
        const char c = static_cast<char>((static_cast<std::uint32_t>(magic) >> shift) & 0xFF);
        text += (c >= 32 && c < 127) ? c : '?';
    }
    return text;
}

void printFacts(const PluginFacts& f) {
    std::printf("magic: %s (0x%08X)\n", magicText(f.magic).c_str(), static_cast<unsigned>(f.magic));
    std::printf("unique id: %d (0x%08X)\n", f.uniqueID, static_cast<unsigned>(f.uniqueID));
    std::printf("version: %d\n", f.version);
    std::printf("numParams: %d\n", f.numParams);
    std::printf("numPrograms: %d\n", f.numPrograms);
    std::printf("numInputs: %d\n", f.numInputs);
    std::printf("numOutputs: %d\n", f.numOutputs);
    std::printf("flags: %s (0x%X)\n", flagNames(f.flags).c_str(), static_cast<unsigned>(f.flags));
    std::printf("effect name: %s\n", f.effectName.c_str());
    std::printf("vendor: %s\n", f.vendor.c_str());
    std::printf("product: %s\n", f.product.c_str());
    std::printf("vendor version: %lld\n", static_cast<long long>(f.vendorVersion));
    std::printf("VST version: %lld\n", static_cast<long long>(f.vstVersion));
    std::printf("category: %s (%lld)\n", categoryName(f.category).c_str(), static_cast<long long>(f.category));
    if (f.hasEditorRect) {
        const ERect& r = f.editorRect;
        std::printf("editor: %d x %d (top %d, left %d, bottom %d, right %d)\n", r.right - r.left, r.bottom - r.top,
                    r.top, r.left, r.bottom, r.right);
    } else {
        std::printf("editor: none\n");
    }
    std::printf("outputs:\n");
    for (std::size_t i = 0; i < f.outputs.size(); ++i) {
        const auto& pin = f.outputs[i];
        std::printf("  %2zu: \"%s\" short \"%s\" %s\n", i, pin.label.c_str(), pin.shortLabel.c_str(),
                    pinFlagNames(pin.flags).c_str());
    }
}

void printParameters(const LoadedPlugin& plugin) {
    std::printf("parameters:\n");
    for (VstInt32 i = 0; i < plugin.get()->numParams; ++i) {
        std::array<char, 256> name{};
        std::array<char, 256> display{};
        plugin.dispatch(effGetParamName, i, 0, name.data());
        plugin.dispatch(effGetParamDisplay, i, 0, display.data());
        name.back() = display.back() = 0;
        const float value = plugin.get()->getParameter(plugin.get(), i);
        std::printf("  %3d: \"%s\" = \"%s\" (%g)\n", i, name.data(), display.data(), static_cast<double>(value));
    }
}

int showPlugin(const InfoRequest& request) {
    LoadedPlugin plugin(request.path, request.standalone);
    if (!plugin.ok())
        return fail("the plug-in does not load", plugin.error());
    std::printf("plug-in: %s%s\n", request.path.c_str(), request.standalone ? " (as the standalone host sees it)" : "");
    printFacts(plugin.facts());
    if (request.parameters)
        printParameters(plugin);
    return 0;
}

}  // namespace

void addInfoCommand(CLI::App& tool, Job& job) {
    auto request = std::make_shared<InfoRequest>();
    CLI::App* info = tool.add_subcommand("info", "Load the plug-in as a host does and print what the host sees");
    info->add_option("PATH.so", request->path, "The plug-in library; the one this build made unless given")
        ->type_name("")
        ->capture_default_str();
    info->add_flag("--standalone", request->standalone, "Answer the plug-in as the standalone host does");
    info->add_flag("--params", request->parameters, "Add every parameter's name and display");
    info->callback([request, &job] { job = [request] { return showPlugin(*request); }; });
}

}  // namespace rimba::tool
