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

constexpr VstInt32 kExportBlockFrames = 4096;
constexpr int kRunOutBlocks = 20;

// Stops every voice where it is: idle, silent, released, with no fade or restart waiting. The
// voices keep their sounds, so the export and the playing after it sound as before.
void stopVoicesForExport(VornDrums& drums) {
    for (TrackVoice& voice : drums.voices) {
        voice.position = -1.0f;
        voice.gateOn = 0;
        voice.fading = 0;
        voice.restartPending = 0;
        voice.command = -1;
        voice.velocityGain = 0.0f;
        voice.targetVelocityGain = 0.0f;
        voice.declickGain = 1.0f;
    }
}

struct ExportLength {
    std::int32_t steps = 0;
    std::int32_t lastChained = -1;
};

// A chain plays every chained pattern once; with none chained the instrument keeps playing the
// current pattern, and so does the export.
ExportLength lengthToExport(const VornDrums& drums) {
    ExportLength length;
    if (drums.playMode == 1 || drums.playMode == 2) {
        for (int p = 0; p < kPatternCount; ++p) {
            if (drums.chainEnabled[static_cast<std::size_t>(p)]) {
                length.steps += drums.patternSteps[static_cast<std::size_t>(p)];
                length.lastChained = p;
            }
        }
    }
    if (length.lastChained < 0 && drums.currentPattern >= 0 && drums.currentPattern < kPatternCount)
        length.steps = drums.patternSteps[static_cast<std::size_t>(drums.currentPattern)];
    return length;
}

// One rendered block as the bytes of the file: each frame clamped, converted and interleaved.
void appendFrames(std::vector<std::uint8_t>& bytes, const float* left, const float* right, std::int32_t frames) {
    bytes.clear();
    for (std::int32_t i = 0; i < frames; ++i) {
        const std::array<std::int16_t, 2> frame{exportSample(left[i]), exportSample(right[i])};
        appendSamples16(bytes, frame);
    }
}

}  // namespace

std::int32_t exportFrameCount(std::int32_t sampleRate, double tempo, std::int32_t steps) {
    if (!(tempo > 0.0) || steps <= 0 || sampleRate <= 0)
        return 0;
    const double frames = static_cast<double>(sampleRate) * 60.0 * steps / 4.0 / tempo;
    return static_cast<std::int32_t>(std::min(frames, 2147483647.0));
}

std::int16_t exportSample(float value) {
    const double clamped = std::clamp(static_cast<double>(value), -1.0, 1.0);
    return static_cast<std::int16_t>(static_cast<std::int32_t>(clamped * 32767.505859375 - 0.5));
}

std::int32_t exportAudioFile(VornDrums& drums, const std::string& path) {
    // The file is made before anything else: a target that cannot be written is refused while
    // the instrument is still untouched.
    platform::FileReplacement file(path);
    if (!file.isOpen() || drums.sampleRate <= 0)
        return -1;

    // The flag goes up before the wait: a host block that has not yet seen it is waited for,
    // and every later one outputs silence.
    drums.offlineRender.store(1);
    drums.handshake.waitForRenderToEnd();

    drums.exportFadeGain = 1.0f;
    drums.pendingEvents.clear();
    drums.masterGain = drums.masterGainTable[static_cast<std::size_t>(masterGainStep(drums.settings.masterLevel))];
    stopVoicesForExport(drums);

    const std::int32_t savedPlayMode = drums.playMode;
    const std::int32_t savedCurrentPattern = drums.currentPattern;
    drums.exportPos = 0.0;
    drums.expectedStep = -1;  // the export's clock starts anew at step 0

    const ExportLength length = lengthToExport(drums);
    if (length.lastChained >= 0) {
        drums.choosePattern(length.lastChained);  // so that the chain restarts at its first pattern
        drums.playMode = 1;
    }
    // Nothing is queued: the first pattern start moves on from the current pattern.
    drums.playingPattern = drums.currentPattern;
    const double tempo = drums.standalone ? static_cast<double>(drums.tempo) : drums.currentTempo;
    const std::int32_t totalFrames = exportFrameCount(drums.sampleRate, tempo, length.steps);

    std::vector<float> left(kExportBlockFrames);
    std::vector<float> right(kExportBlockFrames);
    std::array<float*, 2> outputs{left.data(), right.data()};
    // A write that fails (a full disk) ends the render; the instrument is then put back as after
    // any export, and the unfinished file is removed.
    const std::vector<std::uint8_t> header = wave16Header(2, static_cast<std::uint32_t>(totalFrames), drums.sampleRate);
    bool written = !header.empty() && file.write(header);
    std::vector<std::uint8_t> bytes;
    bytes.reserve(static_cast<std::size_t>(kExportBlockFrames) * 4);
    // The insert effects hold the master back by their latency: that many frames more are
    // rendered and the first of them dropped, so the file starts on the first step as a host
    // that compensates the latency plays it. The fade of the last frames follows the pattern's
    // own time, which runs `latency` frames ahead of the master's.
    const std::int32_t latency = drums.masterLatency();
    std::int32_t toDrop = latency;
    for (std::int32_t remaining = totalFrames; remaining > 0 && written;) {
        drums.exportRemaining = remaining - (latency - toDrop);
        drums.renderBlock(outputs.data(), kExportBlockFrames);
        const std::int32_t dropped = std::min(toDrop, kExportBlockFrames);
        toDrop -= dropped;
        const std::int32_t frames = std::min(remaining, kExportBlockFrames - dropped);
        if (frames == 0)
            continue;
        appendFrames(bytes, left.data() + dropped, right.data() + dropped, frames);
        written = file.write(bytes);
        remaining -= frames;
    }
    const std::int32_t result = written && file.commit() ? 0 : -1;

    drums.exportRemaining = 0;
    for (int block = 0; block < kRunOutBlocks; ++block)
        drums.renderBlock(outputs.data(), kExportBlockFrames);

    drums.choosePattern(savedCurrentPattern);
    drums.playMode = savedPlayMode;
    drums.exportPos = 0.0;
    drums.expectedStep = -1;
    drums.offlineRender.store(0);
    return result;
}

}  // namespace rimba
