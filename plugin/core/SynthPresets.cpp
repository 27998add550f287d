// The drum synth's presets seen from the instrument: a track's synth sound saved to and loaded
// from its file, the path and name each track remembers, and the preset folder's files.

#include <algorithm>
#include <array>

#include "common/platform/Paths.h"
#include "plugin/core/VornDrums.h"
#include "plugin/files/FolderFiles.h"
#include "plugin/synth/SynthPreset.h"

namespace rimba {

namespace {

static_assert(std::tuple_size_v<decltype(InstrumentState::synthPresetPaths)::value_type> == synth::kPathBytes);
static_assert(std::tuple_size_v<decltype(InstrumentState::synthPresetNames)::value_type> == synth::kNameBytes);

bool isSynthTrack(int track) { return track >= 0 && track < kTrackSlots; }

template <std::size_t N>
std::string fieldText(const std::array<char, N>& field) {
    return std::string(field.begin(), std::find(field.begin(), field.end(), '\0'));
}

// Cut to the field with its terminating zero; the rest of the field zero.
template <std::size_t N>
void setField(std::array<char, N>& field, const std::string& text) {
    field.fill('\0');
    std::copy_n(text.begin(), std::min(text.size(), N - 1), field.begin());
}

// A path that does not fit is forgotten rather than cut: "Save Synth" must never write to a
// path the user did not choose.
template <std::size_t N>
void rememberPath(std::array<char, N>& field, const std::string& path) {
    setField(field, path.size() < N ? path : std::string());
}

}  // namespace

Result<> VornDrums::saveSynthPreset(int track, const std::string& path) {
    if (drumSynth() == nullptr)
        return Refusal{"no drum synth is loaded"};
    if (!isSynthTrack(track))
        return Refusal{"there is no track " + std::to_string(track)};
    const auto t = static_cast<std::size_t>(track);
    const Result<> written = writeSynthPresetFile(*drumSynth(), track, fieldText(synthPresetNames[t]), path);
    if (!written)
        return written;
    rememberPath(synthPresetPaths[t], path);
    return {};
}

Result<> VornDrums::loadSynthPreset(int track, const std::string& path) {
    if (drumSynth() == nullptr)
        return Refusal{"no drum synth is loaded"};
    if (!isSynthTrack(track))
        return Refusal{"there is no track " + std::to_string(track)};
    const Result<SynthPresetValues> preset = readSynthPresetFile(path);
    if (!preset)
        return preset.refusal();
    const Result<> applied = applySynthPreset(*drumSynth(), track, *preset);
    if (!applied)
        return applied;
    const auto t = static_cast<std::size_t>(track);
    rememberPath(synthPresetPaths[t], path);
    setField(synthPresetNames[t], preset->name);
    return {};
}

std::vector<std::string> VornDrums::listSynthPresets() const {
    std::vector<std::string> names;
    std::vector<std::string> menuTexts;
    const std::string& folder = settings.synthFilesPath;
    listFolderFiles(names, menuTexts, folder, "fxp");
    std::vector<std::string> paths;
    paths.reserve(names.size());
    for (const std::string& name : names)
        paths.push_back(platform::joinPath(folder, name));
    return paths;
}

std::string VornDrums::synthPresetPath(int track) const {
    return isSynthTrack(track) ? fieldText(synthPresetPaths[static_cast<std::size_t>(track)]) : std::string();
}

std::string VornDrums::synthPresetName(int track) const {
    return isSynthTrack(track) ? fieldText(synthPresetNames[static_cast<std::size_t>(track)]) : std::string();
}

}  // namespace rimba
