// rimbadrums-tool: the instrument's command-line companion.
//   info [PATH.so] [--standalone] [--params]   what a host sees of the plug-in
//   decode FILE [--raw OUT]         what the instrument's sound loader makes of a file
//   midi --patterns FILE.ptn ...    a pattern set exported as a Standard MIDI File
//   render --program FILE.fxp ...   a program rendered offline to a WAV file
//   program FILE.fxp                what a program file holds

#include <array>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "common/platform/Files.h"
#include "companion/KitCommand.h"
#include "companion/MidiCommand.h"
#include "companion/PluginProbe.h"
#include "companion/ProgramCommands.h"
#include "plugin/files/SoundReader.h"

namespace {

int usage() {
    std::fprintf(stderr,
                 "usage: rimbadrums-tool info [PATH.so] [--standalone] [--params]\n"
                 "       rimbadrums-tool decode FILE [--raw OUT]\n"
                 "       rimbadrums-tool midi --patterns FILE.ptn [--pattern N | --chain] [--tracks 8|12] --out OUT.mid\n"
                 "       rimbadrums-tool render --program FILE.fxp [--pattern N | --chain] [--tempo BPM] [--rate HZ]"
                 " [--library FOLDER] [--take TAKEN.fxp] --out OUT.wav\n"
                 "       rimbadrums-tool program FILE.fxp\n"
                 "       rimbadrums-tool kit FILE.drs\n"
                 "  info    load the plug-in as a host does and print what the host sees;\n"
                 "          --params adds every parameter's name and display\n"
                 "  decode  load a sound file as a drum track does; --raw writes its 16-bit mono\n"
                 "          samples as raw little-endian bytes\n"
                 "  midi    load a pattern set as the instrument does and export it as a MIDI file\n"
                 "  render  load a program file as the instrument does and export its pattern or chain\n"
                 "          as the editor's audio export does; --take also saves the instrument's state\n"
                 "  program describe a program file: its form, tracks, patterns and effect slots\n"
                 "  kit     describe a kit file: its form, record count and every track's sound and settings\n");
    return 2;
}

std::string magicText(VstInt32 magic) {
    std::string text;
    for (int shift = 24; shift >= 0; shift -= 8) {
        const char c = static_cast<char>((static_cast<std::uint32_t>(magic) >> shift) & 0xFF);
        text += (c >= 32 && c < 127) ? c : '?';
    }
    return text;
}

void printFacts(const rimba::tool::PluginFacts& f) {
    std::printf("magic: %s (0x%08X)\n", magicText(f.magic).c_str(), static_cast<unsigned>(f.magic));
    std::printf("unique id: %d (0x%08X)\n", f.uniqueID, static_cast<unsigned>(f.uniqueID));
    std::printf("version: %d\n", f.version);
    std::printf("numParams: %d\n", f.numParams);
    std::printf("numPrograms: %d\n", f.numPrograms);
    std::printf("numInputs: %d\n", f.numInputs);
    std::printf("numOutputs: %d\n", f.numOutputs);
    std::printf("flags: %s (0x%X)\n", rimba::tool::flagNames(f.flags).c_str(), static_cast<unsigned>(f.flags));
    std::printf("effect name: %s\n", f.effectName.c_str());
    std::printf("vendor: %s\n", f.vendor.c_str());
    std::printf("product: %s\n", f.product.c_str());
    std::printf("vendor version: %lld\n", static_cast<long long>(f.vendorVersion));
    std::printf("VST version: %lld\n", static_cast<long long>(f.vstVersion));
    std::printf("category: %s (%lld)\n", rimba::tool::categoryName(f.category).c_str(),
                static_cast<long long>(f.category));
    std::printf("outputs:\n");
    for (std::size_t i = 0; i < f.outputs.size(); ++i) {
        const auto& pin = f.outputs[i];
        std::printf("  %2zu: \"%s\" short \"%s\" %s\n", i, pin.label.c_str(), pin.shortLabel.c_str(),
                    rimba::tool::pinFlagNames(pin.flags).c_str());
    }
}

void printParameters(const rimba::tool::LoadedPlugin& plugin) {
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

int runInfo(const std::vector<std::string>& args) {
    std::string path = RIMBA_BUILT_PLUGIN;
    bool standalone = false;
    bool parameters = false;
    for (const std::string& arg : args) {
        if (arg == "--standalone")
            standalone = true;
        else if (arg == "--params")
            parameters = true;
        else if (!arg.empty() && arg[0] == '-')
            return usage();
        else
            path = arg;
    }
    rimba::tool::LoadedPlugin plugin(path, standalone);
    if (!plugin.ok()) {
        std::fprintf(stderr, "rimbadrums-tool: %s\n", plugin.error().c_str());
        return 1;
    }
    std::printf("plug-in: %s%s\n", path.c_str(), standalone ? " (as the standalone host sees it)" : "");
    printFacts(plugin.facts());
    if (parameters)
        printParameters(plugin);
    return 0;
}

int runDecode(const std::vector<std::string>& args) {
    std::string file;
    std::string rawOut;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--raw" && i + 1 < args.size())
            rawOut = args[++i];
        else if (!args[i].empty() && args[i][0] != '-' && file.empty())
            file = args[i];
        else
            return usage();
    }
    if (file.empty())
        return usage();
    const rimba::Result<rimba::Sound> sound = rimba::loadSoundFile(file);
    if (!sound) {
        std::fprintf(stderr, "rimbadrums-tool: the sound loader refuses %s: %s\n", file.c_str(), sound.reason().c_str());
        return 1;
    }
    std::printf("frames=%d rate=%g\n", sound->frameCount, static_cast<double>(sound->sampleRate));
    if (rawOut.empty())
        return 0;
    std::vector<std::uint8_t> bytes;
    bytes.reserve(sound->samples.size() * 2);
    for (const std::int16_t sample : sound->samples) {
        const auto word = static_cast<std::uint16_t>(sample);
        bytes.push_back(static_cast<std::uint8_t>(word & 0xFF));
        bytes.push_back(static_cast<std::uint8_t>(word >> 8));
    }
    if (!rimba::platform::writeFileAtomically(rawOut, bytes)) {
        std::fprintf(stderr, "rimbadrums-tool: cannot write %s\n", rawOut.c_str());
        return 1;
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2)
        return usage();
    const std::string command = argv[1];
    const std::vector<std::string> args(argv + 2, argv + argc);
    if (command == "info")
        return runInfo(args);
    if (command == "decode")
        return runDecode(args);
    if (command == "midi")
        return rimba::tool::runMidi(args);
    if (command == "render")
        return rimba::tool::runRender(args);
    if (command == "program")
        return rimba::tool::runProgram(args);
    if (command == "kit")
        return rimba::tool::runKit(args);
    return usage();
}
