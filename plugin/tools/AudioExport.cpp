#include "plugin/tools/AudioExport.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

#include "common/platform/Files.h"
#include "plugin/core/VornDrums.h"
#include "plugin/files/WaveWriter.h"

namespace rimba {

namespace {

// One rendered block as the bytes of the file: each frame clamped, converted and interleaved.
void appendFrames(std::vector<std::uint8_t>& bytes, const float* left, const float* right, std::int32_t frames) {
    bytes.clear();
    for (std::int32_t i = 0; i < frames; ++i) {
        const std::array<std::int16_t, 2> frame{exportSample(left[i]), exportSample(right[i])};
        appendSamples16(bytes, frame);
    }
}

}  // namespace

std::int16_t exportSample(float value) {
    const double clamped = std::clamp(static_cast<double>(value), -1.0, 1.0);
    return static_cast<std::int16_t>(static_cast<std::int32_t>(clamped * 32767.505859375 - 0.5));
}

std::int32_t exportAudioFile(VornDrums& drums, const std::string& path) {
    // The file is made before anything else: a target that cannot be written is refused while
    // the instrument is still untouched.
    platform::FileReplacement file(path);
    if (!file.isOpen() || drums.state().sampleRate <= 0)
        return -1;
    // A write that fails (a full disk) ends the render; the instrument is then put back as after
    // any export, and the unfinished file is removed.
    const std::int32_t totalFrames = drums.offlineRenderFrames();
    const std::vector<std::uint8_t> header =
        wave16Header(2, static_cast<std::uint32_t>(totalFrames), drums.state().sampleRate);
    if (header.empty() || !file.write(header))
        return -1;
    std::vector<std::uint8_t> bytes;
    const bool written = drums.renderOffline([&](const float* left, const float* right, std::int32_t frames) {
        appendFrames(bytes, left, right, frames);
        return file.write(bytes);
    });
    return written && file.commit() ? 0 : -1;
}

}  // namespace rimba
