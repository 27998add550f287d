// The offline render behind the audio export: the current pattern, or the whole chain, from its
// first step, through the instrument's own render loop while the host's blocks are held off.

#include <algorithm>
#include <array>
#include <vector>

#include "plugin/core/MasterGain.h"
#include "plugin/core/VornDrums.h"

namespace rimba {

namespace {

constexpr VstInt32 kOfflineBlockFrames = 4096;
// Blocks rendered after the last frame so that the voices' tails and the effects' state run out
// before the host's blocks play again.
constexpr int kRunOutBlocks = 20;

struct RenderLength {
    std::int32_t steps = 0;
    std::int32_t lastChained = -1;
};

// A chain plays every chained pattern once; with none chained the instrument keeps playing the
// current pattern, and so does the render.
RenderLength lengthToRender(std::int32_t playMode, const PerPattern<std::int32_t>& chainEnabled,
                            const PerPattern<std::int32_t>& patternSteps, std::int32_t currentPattern) {
    RenderLength length;
    if (playMode == 1 || playMode == 2) {
        for (int p = 0; p < kPatternCount; ++p) {
            if (chainEnabled[static_cast<std::size_t>(p)]) {
                length.steps += patternSteps[static_cast<std::size_t>(p)];
                length.lastChained = p;
            }
        }
    }
    if (length.lastChained < 0 && currentPattern >= 0 && currentPattern < kPatternCount)
        length.steps = patternSteps[static_cast<std::size_t>(currentPattern)];
    return length;
}

}  // namespace

std::int32_t offlineFrameCount(std::int32_t sampleRate, double tempo, std::int32_t steps) {
    if (!(tempo > 0.0) || steps <= 0 || sampleRate <= 0)
        return 0;
    const double frames = static_cast<double>(sampleRate) * 60.0 * steps / 4.0 / tempo;
    return static_cast<std::int32_t>(std::min(frames, 2147483647.0));
}

std::int32_t VornDrums::offlineRenderFrames() const {
    const RenderLength length = lengthToRender(playMode, chainEnabled, patternSteps, currentPattern);
    const double tempo = standalone ? static_cast<double>(this->tempo) : currentTempo;
    return offlineFrameCount(sampleRate, tempo, length.steps);
}

// Stops every voice where it is: idle, silent, released, with no fade or restart waiting. The
// voices keep their sounds, so the render and the playing after it sound as before.
void VornDrums::stopVoicesForOfflineRender() {
    for (TrackVoice& voice : voices) {
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

bool VornDrums::renderOffline(const OfflineBlockTaker& take) {
    // The flag goes up before the wait: a host block that has not yet seen it is waited for,
    // and every later one outputs silence.
    offlineRender.store(1);
    handshake.waitForRenderToEnd();

    exportFadeGain = 1.0f;
    pendingEvents.clear();
    // The export plays the steps as they are now, whatever the host's last block took.
    playedSteps.takeAllAgain();
    masterGain = masterGainTable[static_cast<std::size_t>(masterGainStep(settings.masterLevel))];
    stopVoicesForOfflineRender();

    const std::int32_t totalFrames = offlineRenderFrames();
    const RenderLength length = lengthToRender(playMode, chainEnabled, patternSteps, currentPattern);
    const std::int32_t savedPlayMode = playMode;
    const std::int32_t savedCurrentPattern = currentPattern;
    exportPos = 0.0;
    expectedStep = -1;  // the render's clock starts anew at step 0
    if (length.lastChained >= 0) {
        choosePattern(length.lastChained);  // so that the chain restarts at its first pattern
        storeRelaxed(playMode, 1);  // a host block meanwhile outputs silence; stored as the editor stores it
    }
    // Nothing is queued: the first pattern start moves on from the current pattern.
    playingPattern = currentPattern;

    std::vector<float> left(kOfflineBlockFrames);
    std::vector<float> right(kOfflineBlockFrames);
    std::array<float*, 2> outputs{left.data(), right.data()};
    // The insert effects hold the master back by their latency: that many frames more are
    // rendered and the first of them dropped, so the render starts on the first step as a host
    // that compensates the latency plays it. The fade of the last frames follows the pattern's
    // own time, which runs `latency` frames ahead of the master's.
    const std::int32_t latency = masterLatency();
    std::int32_t toDrop = latency;
    bool taken = true;
    for (std::int32_t remaining = totalFrames; remaining > 0 && taken;) {
        exportRemaining = remaining - (latency - toDrop);
        renderBlock(outputs.data(), kOfflineBlockFrames);
        const std::int32_t dropped = std::min(toDrop, kOfflineBlockFrames);
        toDrop -= dropped;
        const std::int32_t frames = std::min(remaining, kOfflineBlockFrames - dropped);
        if (frames == 0)
            continue;
        taken = take(left.data() + dropped, right.data() + dropped, frames);
        remaining -= frames;
    }

    exportRemaining = 0;
    for (int block = 0; block < kRunOutBlocks; ++block)
        renderBlock(outputs.data(), kOfflineBlockFrames);

    choosePattern(savedCurrentPattern);
    storeRelaxed(playMode, savedPlayMode);
    exportPos = 0.0;
    expectedStep = -1;
    offlineRender.store(0);
    return taken;
}

}  // namespace rimba
