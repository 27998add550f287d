#pragma once
// One playing voice per track slot: voice v serves track v.

#include <cstdint>

namespace rimba {

struct TrackVoice {
    std::int32_t track = 0;
    std::int32_t key = 24;
    std::int32_t gateOn = 0;
    std::int32_t startTick = 0;
    std::int32_t velocity = 0;
    std::uint8_t rendered = 0;
    float position = -1.0f;  // in sound frames; -1 = idle
    float levelGain = 0.0f;
    float gainLeft = 0.0f;
    float gainRight = 0.0f;
    float sendGain1 = 0.0f;
    float sendGain2 = 0.0f;
    float send1Left = 0.0f;
    float send1Right = 0.0f;
    float send2Left = 0.0f;
    float send2Right = 0.0f;
    float rate = 0.0f;
    float peakLeft = 0.0f;
    float peakRight = 0.0f;
    std::int32_t command = -1;  // 1 start, 0 release, 2 choke, -1 none
    std::int32_t fading = -1;  // the reset value settles within one sample
    std::int32_t restartPending = -1;
    float declickGain = 1.0f;
    float newVelocityGain = 0.0f;
    float targetVelocityGain = 0.0f;
    float velocityGain = 0.0f;
    float startFrame = -1.0f;
    std::int32_t soundIndex = -1;
    float startBound = 0.0f;
    float endBound = 0.0f;
    std::uint8_t loading = 0;
    float sampleGain = 0.0f;
    float synthGain = 0.0f;
    std::int32_t noteSent = 0;

    // Every field in its default; the voice serves `voiceTrack`.
    void reset(int voiceTrack) { *this = TrackVoice{.track = voiceTrack}; }
};

}  // namespace rimba
