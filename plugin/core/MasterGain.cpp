#include "plugin/core/MasterGain.h"

#include <cmath>

namespace rimba {

float masterGainOfStep(int k) {
    if (k <= 0)
        return kSilentGain;
    const double gain = k < 64 ? 0.25 * std::pow(2.0, 8.0 * (k - 63) / 63.0) : std::pow(2.0, 2.0 * (k - 127) / 63.0);
    return static_cast<float>(gain);
}

MasterGainTable buildMasterGainTable() {
    MasterGainTable table{};
    for (int k = 0; k < kMasterGainSteps; ++k)
        table[static_cast<std::size_t>(k)] = masterGainOfStep(k);
    return table;
}

int masterGainStep(float masterLevel) {
    if (!std::isfinite(masterLevel))
        return kMasterGainSteps - 1;
    return static_cast<int>(std::fmax(std::fmin(masterLevel, 1e6f), -1e6f)) & (kMasterGainSteps - 1);
}

float levelGainFromSetting(float level, bool muted) {
    if (muted || level <= 0.01f)
        return kSilentGain;
    return static_cast<float>(std::pow(200.0, static_cast<double>(level)) / 100.0);
}

float sendGainFromSetting(float send) {
    if (send <= 0.01f)
        return kSilentGain;
    return static_cast<float>(std::pow(200.0, static_cast<double>(send)) / 200.0);
}

}  // namespace rimba
