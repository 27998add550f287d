#include "plugin/core/SettingLaws.h"

#include <algorithm>
#include <cmath>

namespace rimba {

SidePair panFactors(float p) {
    if (p > 0.5f)
        return {p < 0.75f ? 2.5f - 3.0f * p : 1.0f - p, 1.0f};
    return {1.0f, p > 0.25f ? 3.0f * p - 0.5f : p};
}

Shares sampleAndSynthShares(float mix) {
    const SidePair factors = panFactors(std::clamp(mix, 1e-6f, 0.999999f));
    return {factors.right, factors.left};
}

float tuneRatioFromSetting(float tune) { return static_cast<float>(std::pow(2.0, tune / 12.0)); }

float velocityGain(int velocity, float levelVelocity) {
    return static_cast<float>(velocity) * levelVelocity / 128.0f + (1.0f - levelVelocity);
}

double velocityTuneSemitones(int velocity, float tuneVelocity) { return velocity * tuneVelocity / 127.0; }

double swingDelaySteps(int swing) { return swing * (1.0 / 128.0); }

RollShape rollShape(int fillAttenuation, float roll) {
    const double u = fillAttenuation;
    const double v = roll * 0.125;
    const double rolls = std::trunc(static_cast<double>(roll));
    RollShape shape{1.0, 1.0};
    if (roll > 0.0f) {
        if (u < 64.0) {
            shape.factor = 1.0 / (u / 64.0 - (u / 64.0 - 1.0) * v);
            shape.firstGain = std::pow(shape.factor, -rolls);
        } else {
            const double first = (128.0 - u) / 64.0;
            shape.factor = first - v * (first - 1.0);
        }
    }
    return shape;
}

}  // namespace rimba
