#include "plugin/core/OutputDelay.h"

#include <algorithm>
#include <utility>

namespace rimba {

void OutputDelay::setFrames(int channels, std::int32_t frames) {
    length = std::max(frames, 0);
    const auto count = static_cast<std::size_t>(length > 0 ? std::max(channels, 0) : 0);
    lines.assign(count, std::vector<float>(static_cast<std::size_t>(length), 0.0f));
    positions.assign(count, 0);
}

void OutputDelay::delay(int channel, float* samples, std::int32_t count) {
    if (samples == nullptr || channel < 0 || static_cast<std::size_t>(channel) >= lines.size())
        return;
    std::vector<float>& line = lines[static_cast<std::size_t>(channel)];
    std::int32_t& position = positions[static_cast<std::size_t>(channel)];
    for (std::int32_t i = 0; i < count; ++i) {
        std::swap(samples[i], line[static_cast<std::size_t>(position)]);
        if (++position == length)
            position = 0;
    }
}

}  // namespace rimba
