// A track's sound loaded again and again from files while another thread renders it: every load
// appends to the sound list, whose storage moves, and no block may read the old storage. The
// files are long (sox makes them) so that loads take time; links give each load a new path.

#include <atomic>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "tests/plugin/core/EngineFixture.h"
#include "tests/plugin/files/SoundFixtures.h"
#include "tests/support/InstrumentProbe.h"

namespace rimba::engine_test {
namespace {

constexpr int kBlock = 64;

// The render thread plays the track from MIDI while the sound list grows under it.
TEST(LoadHandshake, LoadingTrackSoundsWhileRenderingNeverCrashes) {
    files::fixtures::TempFolder folder;
    const std::string low = folder / "low.wav";
    const std::string high = folder / "high.wav";
    ASSERT_TRUE(files::fixtures::run("sox -r 44100 -n -b 16 -c 1 " + low + " synth 3000s sine 200"));
    ASSERT_TRUE(files::fixtures::run("sox -r 44100 -n -b 16 -c 1 " + high + " synth 5000s square 900"));
    constexpr int kLoads = 40;
    std::vector<std::string> names;
    for (int i = 0; i < kLoads; ++i) {
        // Every load names a path not yet in the list, so each one appends a new Sound.
        names.push_back(folder / ("take" + std::to_string(i) + ".wav"));
        std::filesystem::create_symlink(i % 2 ? high : low, names.back());
    }

    Engine engine;
    VornDrums& drums = *engine;
    test::stateOf(drums).tracks.oneShot[0] = 0.0f;
    engine.stop();
    engine.prepare(kBlock);
    // The velocity gain rises smoothly after the start; let it settle so that every block of the
    // race below carries one value.
    for (int block = 0; block < 100; ++block)
        engine.renderUnrecorded(kBlock);

    std::atomic<bool> done{false};
    std::atomic<long> blocks{0};
    std::atomic<long> badSamples{0};
    std::thread renderer([&] {
        while (!done.load()) {
            if (blocks.load() % 8 == 0)
                sendMidi(drums, 0x90, 36, 100, 0);
            engine.renderUnrecorded(kBlock);
            for (int c : {0, 1, engine.trackChannel(0)}) {
                const float* out = engine.channel(c);
                for (int i = 0; i < kBlock; ++i)
                    if (!std::isfinite(out[i]) || std::fabs(out[i]) > 1.0f)
                        ++badSamples;
            }
            ++blocks;
        }
    });

    for (const std::string& name : names) {
        auto& field = test::stateOf(drums).tracks.soundPath[0];
        field.fill(0);
        std::memcpy(field.data(), name.data(), name.size());
        drums.loadTrackSound(0);
        waitForBlocks(blocks, 2);
    }
    done = true;
    renderer.join();

    EXPECT_EQ(badSamples.load(), 0);
    EXPECT_EQ(test::stateOf(drums).soundList.size(), static_cast<std::size_t>(kLoads));
    EXPECT_EQ(test::stateOf(drums).voices[0].soundIndex, kLoads - 1);
    EXPECT_EQ(test::stateOf(drums).voices[0].loading, 0);
    EXPECT_EQ(test::stateOf(drums).handshake.loadsInProgress.load(), 0);
}

}  // namespace
}  // namespace rimba::engine_test
