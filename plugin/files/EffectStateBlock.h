#pragma once
// The state block of a hosted plug-in whose programs are not chunks, as program chunks and kits
// keep it: every program in turn, its name in 32 bytes, then each parameter as a big-endian
// float. (A plug-in whose programs are chunks is kept as its own bank chunk instead.)
// Any thread except the audio thread (everything here allocates).

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "plugin/model/EffectPrograms.h"

namespace rimba {

// Each program takes 32 + 4 x `parameterCount` bytes; a name is cut to 32 bytes, and missing
// parameters are written as 0.
std::vector<std::uint8_t> writeEffectPrograms(const std::vector<EffectProgram>& programs, std::size_t parameterCount);

// The first `programCount` programs of `parameterCount` parameters each, as far as the block
// holds them whole.
std::vector<EffectProgram> readEffectPrograms(std::span<const std::uint8_t> block, std::size_t parameterCount,
                                              std::size_t programCount);

}  // namespace rimba
