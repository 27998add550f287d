#include "plugin/synth/SynthPreset.h"

#include <algorithm>

#include "common/platform/Files.h"
#include "plugin/files/ByteFields.h"
#include "plugin/files/FxContainer.h"

namespace rimba {

namespace {

// The synth's presets carry its own ID, the one any plug-in's preset loader takes.
constexpr std::uint32_t kSynthId = fx::tag("451t");
constexpr std::size_t kMostValues = static_cast<std::size_t>(synth::kMostParametersPerTrack);
static_assert(synth::kValuesOffset + 4 * kMostValues == synth::kPresetFileBytes);

}  // namespace

int synthParametersPerTrack(HostedPlugin& synth) {
    const std::int32_t count = std::max<std::int32_t>(synth.parameterCount(), 0);
    return std::min(static_cast<int>(count / synth::kTracks), synth::kMostParametersPerTrack);
}

std::vector<std::uint8_t> synthPresetBytes(const std::string& name, std::span<const float> values) {
    std::vector<std::uint8_t> file(synth::kPresetFileBytes, 0);
    fx::Header header;
    header.type = fx::kChunkProgram;
    header.pluginId = static_cast<std::int32_t>(kSynthId);
    header.pluginVersion = 1;
    header.count = synth::kHeaderParameterCount;
    fx::writeHeader(file, 0, header);
    ChunkWriter out(file);
    out.text(synth::kNameOffset, name, synth::kNameBytes - 1);
    out.u32BigEndian(fx::kProgramChunkSizeOffset, static_cast<std::uint32_t>(synth::kChunkBytes));
    out.u32(synth::kHeaderBytes, synth::kVersion);
    out.u32BigEndian(synth::kHeaderBytes + 4, synth::kVersion);
    const std::size_t count = std::min(values.size(), kMostValues);
    for (std::size_t i = 0; i < count; ++i)
        out.f32(synth::kValuesOffset + 4 * i, values[i]);
    return file;
}

Result<SynthPresetValues> readSynthPreset(std::span<const std::uint8_t> file) {
    // The header and the two words that tell the layouts apart.
    if (file.size() < synth::kValuesOffset)
        return Refusal{"a synth preset of " + std::to_string(file.size()) + " bytes is shorter than its header"};
    const std::optional<fx::Header> header = fx::readHeader(file);
    if (!header || !fx::isMagic(header->magic) || header->type != fx::kChunkProgram ||
        header->pluginId != static_cast<std::int32_t>(kSynthId))
        return Refusal{"not a synth preset (no \"CcnK\", \"FPCh\" and \"451t\" header)"};
    if (header->formatVersion != fx::kFormatVersion)
        return Refusal{"a synth preset of format version " +
                       std::to_string(static_cast<std::uint32_t>(header->formatVersion)) + "; only version 1 is read"};
    ChunkReader in(file);
    SynthPresetValues preset;
    in.seek(synth::kNameOffset);
    preset.name = in.text(synth::kNameBytes);
    in.seek(synth::kHeaderBytes);
    const std::uint32_t first = in.u32();
    const std::uint32_t second = in.u32BigEndian();
    preset.olderLayout = !(first == static_cast<std::uint32_t>(synth::kVersion) && second == first);
    const std::size_t valuesAt = preset.olderLayout ? synth::kHeaderBytes : synth::kValuesOffset;
    const std::size_t count = preset.olderLayout ? synth::kOlderLayoutValues : kMostValues;
    const std::size_t needed = valuesAt + 4 * count;
    if (file.size() < needed)
        return Refusal{"a synth preset of the " + std::string(preset.olderLayout ? "older" : "current") +
                       " layout needs " + std::to_string(needed) + " bytes; this one has " +
                       std::to_string(file.size())};
    in.seek(valuesAt);
    preset.values.resize(count);
    for (float& value : preset.values)
        value = in.f32();
    return preset;
}

std::vector<float> synthTrackValues(HostedPlugin& synth, int track) {
    const int perTrack = synthParametersPerTrack(synth);
    std::vector<float> values(static_cast<std::size_t>(perTrack));
    for (int i = 0; i < perTrack; ++i)
        values[static_cast<std::size_t>(i)] = synth.getParameter(track * perTrack + i);
    return values;
}

Result<> applySynthPreset(HostedPlugin& synth, int track, const SynthPresetValues& preset) {
    if (track < 0 || track >= synth::kTracks)
        return Refusal{"the synth has no track " + std::to_string(track)};
    const int perTrack = synthParametersPerTrack(synth);
    const int count = std::min(perTrack, static_cast<int>(preset.values.size()));
    for (int i = 0; i < count; ++i)
        synth.setParameter(track * perTrack + i, preset.values[static_cast<std::size_t>(i)]);
    return {};
}

Result<> writeSynthPresetFile(HostedPlugin& synth, int track, const std::string& name, const std::string& path) {
    if (track < 0 || track >= synth::kTracks)
        return Refusal{"the synth has no track " + std::to_string(track)};
    if (!platform::writeFileAtomically(path, synthPresetBytes(name, synthTrackValues(synth, track))))
        return Refusal{"cannot write " + path};
    return {};
}

Result<SynthPresetValues> readSynthPresetFile(const std::string& path) {
    const auto file = platform::readWholeFile(path);
    if (!file)
        return Refusal{"cannot read " + path};
    Result<SynthPresetValues> preset = readSynthPreset(*file);
    if (!preset)
        return preset.refusal(path);
    return preset;
}

}  // namespace rimba
