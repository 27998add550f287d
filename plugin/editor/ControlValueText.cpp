#include "plugin/editor/ControlValueText.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "plugin/core/MasterGain.h"
#include "plugin/core/SettingLaws.h"

namespace rimba {

namespace {

template <class... Values>
std::string formatted(const char* format, Values... values) {
    char text[48];
    std::snprintf(text, sizeof text, format, values...);
    return text;
}

int percent(double share) { return static_cast<int>(std::lround(share * 100.0)); }

// A whole number of semitones plainly ("+3 st", "0 st"); a fraction with two decimals.
std::string semitoneText(double semitones) {
    const double whole = std::round(semitones);
    if (std::fabs(semitones - whole) < 0.005)
        return whole == 0.0 ? "0 st" : formatted("%+d st", static_cast<int>(whole));
    return formatted("%+.2f st", semitones);
}

// The faders of the pattern panel hold the instrument's 0..127 divided by 127; the editor rounds
// them back the same way when it stores them.
int instrumentStep(float faderValue) {
    return static_cast<int>(std::lround(std::clamp(faderValue, 0.0f, 1.0f) * 127.0f));
}

}  // namespace

std::string decibelText(double gain) {
    if (!(gain > kSilentGain))
        return "-inf dB";
    const double decibels = 20.0 * std::log10(gain);
    // No "-0.0 dB" for a gain a hair under unity.
    if (std::fabs(decibels) < 0.05)
        return "0.0 dB";
    return formatted("%+.1f dB", decibels);
}

std::string levelText(float level) { return decibelText(levelGainFromSetting(level, false)); }

std::string levelVelocityText(float levelVelocity) {
    // The share a hit of velocity 0 loses is the share that follows velocity.
    return formatted("%d %%", percent(1.0 - velocityGain(0, levelVelocity)));
}

std::string panText(float pan) {
    const SidePair factors = panFactors(std::clamp(pan, 0.0f, 1.0f));
    const bool towardsLeft = factors.right < factors.left;
    const int loss = percent(1.0 - std::min(factors.left, factors.right));
    if (loss == 0)
        return "C";
    return formatted("%d %s", loss, towardsLeft ? "L" : "R");
}

std::string sendText(float send) { return decibelText(sendGainFromSetting(send)); }

std::string tuneText(float tune) { return semitoneText(12.0 * std::log2(tuneRatioFromSetting(tune))); }

std::string tuneVelocityText(float tuneVelocity) {
    constexpr int kFullVelocity = 127;
    return semitoneText(velocityTuneSemitones(kFullVelocity, tuneVelocity));
}

std::string masterLevelText(float masterLevel) {
    // The editor stores the knob rounded to a step.
    return decibelText(masterGainOfStep(masterGainStep(std::round(masterLevel))));
}

std::string swingText(float swing) { return formatted("%d %%", percent(swingDelaySteps(instrumentStep(swing)))); }

std::string fillAttenuationText(float fillAttenuation) {
    // Told for the shortest roll, two hits a quarter step apart; longer rolls bend the same way.
    const RollShape shape = rollShape(instrumentStep(fillAttenuation), 1.0f);
    const int change = percent(shape.factor - 1.0);
    return change == 0 ? "0 %/hit" : formatted("%+d %%/hit", change);
}

std::string synthMixText(float mix) {
    const Shares shares = sampleAndSynthShares(mix);
    return formatted("Smp %d %% / Syn %d %%", percent(shares.sample), percent(shares.synth));
}

}  // namespace rimba
