// One drum voice: a 16-bit mono sound played at a variable rate with linear interpolation,
// forwards or backwards, once or looped, with a declick fade when it is stopped or restarted.

#include <cmath>

#include "plugin/core/SettingLaws.h"
#include "plugin/core/VornDrums.h"

namespace rimba {

namespace {

constexpr std::int32_t kCommandNone = -1;
constexpr std::int32_t kCommandRelease = 0;
constexpr std::int32_t kCommandStart = 1;
constexpr std::int32_t kCommandChoke = 2;
constexpr float kDeclickPerSample = 0.99f;
constexpr float kFadeEndLevel = 1e-4f;
// The interpolation reads one frame ahead, and the last frames before the end bound are never
// read, so a reverse start is silent until it has moved past them.
constexpr float kEndGuardFrames = 3.0f;
constexpr float kIdlePosition = -1.0f;

// Only a voice inside its bounds is heard. An idle voice (position -1) lies below its end bound
// too, but fading it out would play its sound from the start as a ghost, and starting it through
// a fade would make the note late or flam.
bool sounding(const TrackVoice& voice) { return voice.position >= voice.startBound && voice.position < voice.endBound; }

}  // namespace

void VornDrums::startVoice(TrackVoice& voice, int velocity) {
    // The settings are stored on the user-interface thread, each on its own.
    const float levelVelocity = loadRelaxed(tracks.levelVelocity[static_cast<std::size_t>(voice.track)]);
    voice.velocity = velocity;
    voice.newVelocityGain = velocityGain(velocity, levelVelocity);
    voice.command = kCommandStart;
}

void VornDrums::restartVoiceNow(TrackVoice& voice) {
    voice.restartPending = 0;
    voice.fading = 0;
    voice.position = voice.startFrame;
    voice.declickGain = 1.0f;
    voice.targetVelocityGain = voice.newVelocityGain;
}

void VornDrums::applyVoiceCommand(TrackVoice& voice, const Sound& sound) {
    const auto t = static_cast<std::size_t>(voice.track);
    const bool oneShot = loadRelaxed(tracks.oneShot[t]) != 0.0f;
    switch (voice.command) {
        case kCommandRelease:
        case kCommandChoke:
            voice.gateOn = 0;
            if (sounding(voice) && (!oneShot || voice.command == kCommandChoke))
                voice.fading = 1;
            break;
        case kCommandStart: {
            const auto frames = static_cast<float>(sound.frameCount);
            voice.startFrame = loadRelaxed(tracks.reverse[t]) != 0.0f ? frames * loadRelaxed(tracks.end[t]) - 1.0f
                                                                      : frames * loadRelaxed(tracks.start[t]);
            const bool wasSounding = sounding(voice);
            if (voice.gateOn == 1) {
                voice.targetVelocityGain = voice.newVelocityGain;
                if (wasSounding) {
                    voice.restartPending = 1;  // fade out first, then restart
                    voice.fading = 1;
                } else {
                    restartVoiceNow(voice);
                }
            } else {
                voice.gateOn = 1;
                if (!oneShot || !wasSounding) {
                    restartVoiceNow(voice);
                } else {
                    voice.restartPending = 1;
                    voice.fading = 1;
                }
            }
            break;
        }
        default: break;
    }
    voice.command = kCommandNone;
}

float VornDrums::renderVoice(TrackVoice& voice) {
    const Sound* sound = voiceSound(voice);
    if (voice.loading || sound == nullptr || sound->samples.empty())
        return 0.0f;
    const auto t = static_cast<std::size_t>(voice.track);

    // The velocity gain rises smoothly and falls at once.
    if (voice.targetVelocityGain > voice.velocityGain)
        voice.velocityGain += (voice.targetVelocityGain - voice.velocityGain) * 0.01f;
    else
        voice.velocityGain = voice.targetVelocityGain;

    if (voice.command != kCommandNone)
        applyVoiceCommand(voice, *sound);

    const bool oneShot = loadRelaxed(tracks.oneShot[t]) != 0.0f;
    if (voice.gateOn == 0 && voice.fading == 0 && (!oneShot || !sounding(voice)))
        return 0.0f;  // a released one-shot voice keeps playing to its end
    // An idle voice stays silent until it is started again, even with its gate held: it must
    // not creep back into its bounds by itself.
    if (voice.fading == 0 && voice.position == kIdlePosition)
        return 0.0f;

    const bool looped = loadRelaxed(tracks.loop[t]) != 0.0f;
    if (loadRelaxed(tracks.reverse[t]) != 0.0f) {
        voice.position -= voice.rate;
        if (looped && voice.position < voice.startBound)
            voice.position = voice.endBound;
    } else {
        voice.position += voice.rate;
        if (looped && voice.position >= voice.endBound)
            voice.position = voice.startBound;
    }

    float y = 0.0f;
    if (voice.position >= voice.startBound && voice.position < voice.endBound - kEndGuardFrames) {
        const auto n = static_cast<std::int64_t>(voice.position);
        // Start and end points beyond the sound are allowed in the settings; they never read
        // outside it.
        if (n >= 0 && n + 1 < sound->frameCount) {
            const auto here = static_cast<float>(sound->samples[static_cast<std::size_t>(n)]);
            const auto next = static_cast<float>(sound->samples[static_cast<std::size_t>(n + 1)]);
            y = (here + (next - here) * (voice.position - static_cast<float>(n))) / 32768.0f * voice.declickGain *
                voice.velocityGain;
        }
    }

    if (voice.fading != 0) {
        voice.declickGain *= kDeclickPerSample;
        if (std::fabs(y) < kFadeEndLevel) {
            voice.fading = 0;
            voice.position = kIdlePosition;
            if (voice.restartPending != 0) {
                restartVoiceNow(voice);
                return 0.0f;
            }
        }
    }
    return y;
}

}  // namespace rimba
