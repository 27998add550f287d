#pragma once
// A track's settings in the stored order of the instrument's files (the 32 floats of a program
// chunk's track, of which kits keep most), and the way back.

#include <array>
#include <cstddef>

#include "plugin/core/TrackSettings.h"
#include "plugin/files/ProgramChunk.h"

namespace rimba {

std::array<float, chunk::kSettingCount> storedSettings(const TrackSettings& tracks, std::size_t t);
void setStoredSettings(TrackSettings& tracks, std::size_t t, const std::array<float, chunk::kSettingCount>& s);

}  // namespace rimba
