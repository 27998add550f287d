#pragma once
// What the value readout writes for each control, in the units the musician hears: the engine's
// own rules turn the control's value into a gain, a pan position, semitones or a time, and the
// text says that. The host's parameter display (getParameterDisplay) stays as it is: sessions
// and automation lanes rely on it. Any thread: plain functions.

#include <string>

namespace rimba {

// A gain as decibels, one decimal, signed: "-6.0 dB", "0.0 dB", "+6.0 dB"; "-inf dB" for the
// engine's silence.
std::string decibelText(double gain);

// The track strip. Each takes the control's own value, 0 to 1.
std::string levelText(float level);  // dB of the track's level gain
std::string levelVelocityText(float levelVelocity);  // "%": share of the level that follows velocity
std::string panText(float pan);  // "30 L", "C", "30 R": how much the far side loses
std::string sendText(float send);  // dB of the send gain (after the level)
std::string tuneText(float tune);  // semitones the track is tuned by
std::string tuneVelocityText(float tuneVelocity);  // semitones a full-velocity hit adds

// The master knob, 0 to 127.
std::string masterLevelText(float masterLevel);
// The pattern panel's faders, 0 to 1 (the instrument's 0 to 127).
std::string swingText(float swing);  // "%": how late odd steps play, of a step
std::string fillAttenuationText(float fillAttenuation);  // "%/hit": velocity change from hit to hit
// The sound page's "Mix": the shares of the sample and the synth part on a routed track.
std::string synthMixText(float mix);

}  // namespace rimba
