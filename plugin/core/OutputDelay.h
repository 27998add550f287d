#pragma once
// The same delay on many channels: each channel's samples come out `frames` samples after they
// went in. The instrument's separate outputs (tracks and send returns) pass through it so that
// they keep time with a master held back by the insert effects' latency, which the host
// compensates on every output alike.
//
// Threads: setFrames allocates and belongs to a loader (the audio thread held off); delay
// belongs to the audio thread and never allocates.

#include <cstdint>
#include <vector>

namespace rimba {

class OutputDelay {
public:
    // `channels` delay lines of `frames` samples, silent; 0 frames passes every channel through.
    void setFrames(int channels, std::int32_t frames);
    std::int32_t frames() const { return length; }

    // Delays `count` samples of `channel` in place. A channel beyond those set up passes
    // through.
    void delay(int channel, float* samples, std::int32_t count);

private:
    std::int32_t length = 0;
    std::vector<std::vector<float>> lines;
    std::vector<std::int32_t> positions;
};

}  // namespace rimba
