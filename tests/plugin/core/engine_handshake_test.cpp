// A loader replacing sounds while another thread renders without pause: the load handshake keeps
// every block either before or after a replacement, never in the middle of one. Under
// AddressSanitizer a block that read a sound already freed would be reported as well.

#include <atomic>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <set>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "common/platform/Clock.h"
#include "tests/plugin/core/EngineFixture.h"
#include "tests/support/InstrumentProbe.h"

namespace rimba::engine_test {
namespace {

constexpr int kFrames = 4000;
constexpr int kBlock = 64;

TEST(LoadHandshake, ARenderNeverSeesASoundHalfReplacedOrFreed) {
    Engine engine;
    VornDrums& drums = *engine;
    test::stateOf(drums).tracks.loop[0] = 1.0f;  // the voice reads the sound for as long as the test runs
    makeProbeTrack(drums, 0, kFrames, 1000);
    const int index = test::stateOf(drums).voices[0].soundIndex;
    for (int i = 0; i < 5000; ++i)
        drums.controlUpdate(test::stateOf(drums).voices[0]);
    test::stateOf(drums).voiceBusGain = 1.0f;
    drums.auditionStart(0, 100, false);
    engine.stop();
    engine.prepare(kBlock);
    // The velocity gain rises smoothly after the start; let it settle so that every block of the
    // race below carries one value.
    for (int block = 0; block < 100; ++block)
        engine.renderUnrecorded(kBlock);

    std::atomic<bool> done{false};
    std::atomic<long> blocks{0};
    std::atomic<long> mixedBlocks{0};
    std::set<float> valuesHeard;  // render thread only until joined
    std::thread renderer([&] {
        while (!done.load()) {
            engine.renderUnrecorded(kBlock);
            // A constant sound at a settled gain gives one value per block (the loop's last three
            // frames give 0), unless the sound changed under the block.
            const float* out = engine.channel(engine.trackChannel(0));
            float seen = 0.0f;
            bool mixed = false;
            for (int i = 0; i < kBlock; ++i) {
                if (out[i] == 0.0f)
                    continue;
                if (seen != 0.0f && out[i] != seen)
                    mixed = true;
                seen = out[i];
            }
            if (mixed)
                ++mixedBlocks;
            if (seen != 0.0f)
                valuesHeard.insert(seen);
            ++blocks;
        }
    });

    for (int generation = 1; generation <= 60; ++generation) {
        const auto value = static_cast<std::int16_t>(1000 + 1000 * (generation % 2));
        {
            LoadGuard hold(test::stateOf(drums).handshake);
            if (generation % 3 == 0) {
                // A new Sound object: the old one is freed at once.
                auto sound = std::make_unique<Sound>(*test::stateOf(drums).soundList[static_cast<std::size_t>(index)]);
                sound->samples.assign(static_cast<std::size_t>(kFrames), value);
                test::stateOf(drums).soundList[static_cast<std::size_t>(index)] = std::move(sound);
            } else {
                // Rewritten in place, with a pause half way that a block could fall into.
                std::vector<std::int16_t>& samples =
                    test::stateOf(drums).soundList[static_cast<std::size_t>(index)]->samples;
                samples = std::vector<std::int16_t>(samples.size(), samples[0]);  // a new buffer; the old one is freed
                for (int n = 0; n < kFrames; ++n) {
                    samples[static_cast<std::size_t>(n)] = value;
                    if (n == kFrames / 2)
                        platform::sleepMilliseconds(1);
                }
            }
            drums.recomputeBounds(0);
        }
        waitForBlocks(blocks, 3);
    }
    done = true;
    renderer.join();

    EXPECT_EQ(mixedBlocks.load(), 0);
    EXPECT_EQ(valuesHeard.size(), 2u) << "both versions of the sound were heard, and nothing else";
    EXPECT_EQ(test::stateOf(drums).handshake.loadsInProgress.load(), 0);
    EXPECT_EQ(test::stateOf(drums).handshake.renderActive.load(), 0);
}

}  // namespace
}  // namespace rimba::engine_test
