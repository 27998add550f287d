#pragma once
// The master level control: 128 steps from silence to unity, a quarter at the middle.

#include <array>

#include "plugin/model/Constants.h"

namespace rimba {

using MasterGainTable = std::array<float, kMasterGainSteps>;

MasterGainTable buildMasterGainTable();
// One entry of the table: the gain of step `k` (0..127; 0 is silence, 64 a quarter, 127 unity).
float masterGainOfStep(int k);

// The table entry a master level setting selects: its integer part, masked to 0..127. A level
// that is not a number selects full level rather than undefined behaviour.
int masterGainStep(float masterLevel);

// Gains taken from settings are exponential, and never exactly 0 so that smoothing towards
// them stays cheap.
float levelGainFromSetting(float level, bool muted);  // 200^level / 100, 1e-6 at or below 0.01
float sendGainFromSetting(float send);  // 200^send / 200, 1e-6 at or below 0.01

constexpr float kSilentGain = 1e-6f;

}  // namespace rimba
