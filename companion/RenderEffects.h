#pragma once
// The effect options of `render`: a plug-in for an effect slot as the slot menu loads it, the
// slots' switches, one send level for every track, and values for the plug-ins' parameters.
// They are applied to the instrument once the program is loaded, in that order, whatever the
// order on the command line.

#include <optional>
#include <string>
#include <vector>

#include "companion/CommandLine.h"

namespace rimba {
class VornDrums;
}

namespace rimba::tool {

struct RenderEffects {
    std::vector<std::string> libraries;  // SLOT=PLUGIN
    std::vector<std::string> switches;  // SLOT=on|off
    std::optional<float> sendLevel;  // send 1 and send 2 of every track in use
    std::vector<std::string> parameters;  // SLOT:INDEX=VALUE
};

// Adds --effect, --enable, --send-level and --param to `command`, each checked as it is read
// (a malformed one is a usage error).
void addRenderEffectOptions(CLI::App& command, RenderEffects& effects);

// Applies the options to the instrument. Answers 0, or 1 once a library or a parameter is
// refused (reported as every refusal is; the slots loaded before it stay loaded).
int applyRenderEffects(VornDrums& drums, const RenderEffects& effects);

}  // namespace rimba::tool
