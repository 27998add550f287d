#pragma once
// One sound file held in memory as 16-bit mono samples. The instrument keeps one Sound per
// distinct path and never removes it while it lives, so tracks can refer to it by index.

#include <array>
#include <cstdint>
#include <vector>

namespace rimba {

constexpr int kSoundPathLength = 256;

struct Sound {
    std::array<char, kSoundPathLength> path{};  // as the track named it; empty until read
    std::vector<std::int16_t> samples;  // mono, -32767..32767
    std::int32_t frameCount = 0;  // always samples.size()
    float sampleRate = 44100.0f;
};

}  // namespace rimba
