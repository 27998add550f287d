#include "plugin/files/EffectStateBlock.h"

#include <algorithm>
#include <bit>

#include "plugin/files/ByteFields.h"

namespace rimba {
namespace {

constexpr std::size_t kProgramNameBytes = 32;

std::size_t programBytes(std::size_t parameterCount) { return kProgramNameBytes + 4 * parameterCount; }

}  // namespace

std::vector<std::uint8_t> writeEffectPrograms(const std::vector<EffectProgram>& programs, std::size_t parameterCount) {
    const std::size_t each = programBytes(parameterCount);
    std::vector<std::uint8_t> block(programs.size() * each, 0);
    ChunkWriter out(block);
    for (std::size_t p = 0; p < programs.size(); ++p) {
        const std::size_t at = p * each;
        out.text(at, programs[p].name, kProgramNameBytes);
        const std::size_t known = std::min(parameterCount, programs[p].parameters.size());
        for (std::size_t i = 0; i < known; ++i)
            out.u32BigEndian(at + kProgramNameBytes + 4 * i, std::bit_cast<std::uint32_t>(programs[p].parameters[i]));
    }
    return block;
}

std::vector<EffectProgram> readEffectPrograms(std::span<const std::uint8_t> block, std::size_t parameterCount,
                                              std::size_t programCount) {
    const std::size_t whole = block.size() / programBytes(parameterCount);
    std::vector<EffectProgram> programs(std::min(programCount, whole));
    ChunkReader in(block);
    for (EffectProgram& program : programs) {
        program.name = in.text(kProgramNameBytes);
        program.parameters.resize(parameterCount);
        for (float& value : program.parameters)
            value = in.f32BigEndian();
    }
    return programs;
}

}  // namespace rimba
