#pragma once
// The two factory kits over the same twelve sounds: "Default", plain and balanced, and
// "RimbaRand", retuned, panned wider, equalised and with random keystroke densities.

#include <string>
#include <vector>

#include "plugin/core/VornDrums.h"

namespace rimba::factory {

// Each applies its kit to tracks 0..11: every track setting reset, then the sound at
// `soundPaths[track]` loaded and the kit's values set. Patterns are left alone.
void applyDefaultKit(VornDrums& drums, const std::vector<std::string>& soundPaths);
void applyRimbaRandKit(VornDrums& drums, const std::vector<std::string>& soundPaths);

}  // namespace rimba::factory
