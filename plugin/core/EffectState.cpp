#include "plugin/core/EffectState.h"

#include <algorithm>

#include "plugin/files/EffectStateBlock.h"

namespace rimba {
namespace {

std::size_t countOf(std::int32_t count) { return static_cast<std::size_t>(std::max(count, 0)); }

std::vector<EffectProgram> programsOf(HostedPlugin& plugin) {
    std::vector<EffectProgram> programs(countOf(plugin.programCount()));
    const std::size_t parameters = countOf(plugin.parameterCount());
    for (std::size_t p = 0; p < programs.size(); ++p) {
        plugin.setCurrentProgram(static_cast<std::int32_t>(p));
        programs[p].name = plugin.programName();
        for (std::size_t i = 0; i < parameters; ++i)
            programs[p].parameters.push_back(plugin.getParameter(static_cast<std::int32_t>(i)));
    }
    return programs;
}

}  // namespace

std::vector<std::uint8_t> captureEffectState(HostedPlugin& plugin, std::int32_t& currentProgram) {
    currentProgram = plugin.currentProgram();
    std::vector<std::uint8_t> state = plugin.programsAreChunks()
                                          ? plugin.bankChunk()
                                          : writeEffectPrograms(programsOf(plugin), countOf(plugin.parameterCount()));
    plugin.setCurrentProgram(currentProgram);
    return state;
}

void restoreEffectState(HostedPlugin& plugin, std::span<const std::uint8_t> state, std::int32_t program) {
    restoreEffectPrograms(plugin, state);
    plugin.setCurrentProgram(program);
}

void restoreEffectPrograms(HostedPlugin& plugin, std::span<const std::uint8_t> state) {
    if (plugin.programsAreChunks()) {
        plugin.setBankChunk(state);
        return;
    }
    // A plug-in that now has fewer programs, or a state cut short, restores what both hold.
    const std::vector<EffectProgram> programs =
        readEffectPrograms(state, countOf(plugin.parameterCount()), countOf(plugin.programCount()));
    for (std::size_t p = 0; p < programs.size(); ++p) {
        plugin.setCurrentProgram(static_cast<std::int32_t>(p));
        plugin.setProgramName(programs[p].name);
        for (std::size_t i = 0; i < programs[p].parameters.size(); ++i)
            plugin.setParameter(static_cast<std::int32_t>(i), programs[p].parameters[i]);
    }
}

}  // namespace rimba
