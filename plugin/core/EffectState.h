#pragma once
// A hosted plug-in's state as program chunks and kits keep it. A plug-in whose programs are
// chunks is saved as its bank chunk; any other as every program in turn (see
// plugin/files/EffectStateBlock.h). The current program is selected again afterwards in both
// cases. User-interface thread only; setChunk and the kit loader hold the audio thread off.

#include <cstdint>
#include <span>
#include <vector>

#include "plugin/model/HostedPlugin.h"

namespace rimba {

std::vector<std::uint8_t> captureEffectState(HostedPlugin& plugin, std::int32_t& currentProgram);
void restoreEffectState(HostedPlugin& plugin, std::span<const std::uint8_t> state, std::int32_t program);
// The same without selecting a program afterwards: a plug-in restored program by program is
// left on its last one (kits keep no program number).
void restoreEffectPrograms(HostedPlugin& plugin, std::span<const std::uint8_t> state);

}  // namespace rimba
