// The ALSA path end to end: the test's own default device writes every frame it is given into a
// file, read back here as 16-bit interleaved stereo: five blocks of silence queued at open, then
// the plug-in's blocks.

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

#include "StandAlone/devices/AudioDevice.h"
#include "StandAlone/devices/AudioOutput.h"
#include "common/platform/DeviceNames.h"
#include "tests/StandAlone/devices/DeviceEnvironment.h"
#include "tests/StandAlone/devices/FakePlugin.h"

namespace rimba::standalone {
namespace {

constexpr std::size_t kFramesWanted = 4096;
constexpr std::size_t kSilentBlocks = 5;

class AlsaOutput : public ::testing::Test {
protected:
    void SetUp() override { test::DeviceEnvironment::get(); }

    // Opens the named device, lets it play, closes it and reads what the device got after the
    // silence queued at open, which must be silence. The file device is not paced (it fills at
    // tens of megabytes a second), so the output is closed as soon as enough has arrived; the
    // wait is bounded so a silent device fails.
    std::vector<std::int16_t> play(const std::string& name, int blockSize) {
        const std::size_t silentFrames = kSilentBlocks * static_cast<std::size_t>(blockSize);
        const std::size_t framesWanted = silentFrames + kFramesWanted;
        const std::string played = test::DeviceEnvironment::get().playedFile();
        std::filesystem::remove(played);
        fake = std::make_unique<test::FakePlugin>();  // its signal starts again at frame 0
        AudioOutput output(fake->plugin(), nullptr);
        output.open(name, blockSize, 44100);
        EXPECT_TRUE(output.isOpen()) << name;
        EXPECT_EQ(output.blockSize(), blockSize);
        const auto bytesPlayed = [&] {
            std::error_code missing;
            const auto size = std::filesystem::file_size(played, missing);
            return missing ? 0 : size;
        };
        for (int tries = 0; tries < 2000 && bytesPlayed() < framesWanted * 4; ++tries)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        output.close();
        output.close();  // a second close has nothing left to do
        EXPECT_FALSE(output.isOpen());
        std::vector<std::int16_t> samples(framesWanted * 2);
        std::ifstream in(played, std::ios::binary);
        in.read(reinterpret_cast<char*>(samples.data()), static_cast<std::streamsize>(samples.size() * 2));
        samples.resize(static_cast<std::size_t>(in.gcount()) / 2);  // little-endian, as this machine
        std::filesystem::remove(played);
        const auto endOfSilence =
            samples.begin() + static_cast<std::ptrdiff_t>(std::min(samples.size(), silentFrames * 2));
        const auto firstSound = std::find_if(samples.begin(), endOfSilence, [](std::int16_t s) { return s != 0; });
        EXPECT_EQ(firstSound, endOfSilence) << name << ": sound at frame " << (firstSound - samples.begin()) / 2
                                            << ", within the silence queued at open";
        return {endOfSilence, samples.end()};
    }

    std::unique_ptr<test::FakePlugin> fake;
};

TEST_F(AlsaOutput, FiveBlocksOfSilenceThenThePluginsSignalAsInterleavedSixteenBitFrames) {
    const std::vector<std::int16_t> samples = play("default", 256);
    ASSERT_EQ(samples.size(), kFramesWanted * 2);
    // A lost or repeated block would shift the cycle: 256 frames are no whole number of cycles.
    for (std::size_t frame = 0; frame < kFramesWanted; ++frame) {
        ASSERT_EQ(samples[2 * frame], test::kSignalCycle16[frame % 9]) << "left, frame " << frame;
        ASSERT_EQ(samples[2 * frame + 1], test::kSignalCycle16[(frame + 1) % 9]) << "right, frame " << frame;
    }
    EXPECT_EQ(fake->lastBlockFrames(), 256);
}

TEST_F(AlsaOutput, NamesThatMatchNoAlsaDeviceOpenTheDefaultDevice) {
    const std::vector<std::string> listed = listAudioOutputDevices();
    EXPECT_NE(std::find(listed.begin(), listed.end(), "default"), listed.end());
    EXPECT_EQ(std::find(listed.begin(), listed.end(), "JACK"), listed.end()) << "no JACK server here";
    EXPECT_EQ(alsaDeviceFor("null"), "null");
    // "JACK" too: without a server it falls back as a refused driver does.
    for (const char* name : {"No device is called this", "", "JACK"}) {
        EXPECT_EQ(alsaDeviceFor(name), "default");
        const std::vector<std::int16_t> samples = play(name, 128);
        ASSERT_EQ(samples.size(), kFramesWanted * 2) << name;
        EXPECT_EQ(samples[8], test::kSignalCycle16[4]) << name;
    }
}

bool holds(const std::vector<std::string>& names, const std::string& name) {
    return std::find(names.begin(), names.end(), name) != names.end();
}

// ALSA's own configuration defines and hints "null" on every machine, and the rate converters,
// mixers and "jack" wherever its plug-ins are installed.
TEST_F(AlsaOutput, TheMenuLeavesOutAlsasPlugInsWhichStillOpenByName) {
    const std::vector<std::string> every = platform::systemAudioOutputDeviceNames();
    const std::vector<std::string> listed = listAudioOutputDevices();
    ASSERT_TRUE(holds(every, "null"));
    EXPECT_TRUE(holds(listed, "default"));
    for (const char* plugIn :
         {"null", "jack", "lavrate", "samplerate", "speexrate", "speex", "upmix", "vdownmix", "oss"})
        EXPECT_FALSE(holds(listed, plugIn)) << plugIn << (holds(every, plugIn) ? " (hinted here)" : "");

    // A name stored before the menu left it out opens that device, not the default one.
    EXPECT_EQ(alsaDeviceFor("null"), "null");
    const std::string played = test::DeviceEnvironment::get().playedFile();
    std::filesystem::remove(played);
    test::FakePlugin plugin;
    AudioOutput output(plugin.plugin(), nullptr);
    output.open("null", 128, 44100);
    EXPECT_TRUE(output.isOpen());
    for (int tries = 0; tries < 200 && plugin.blockCount() < 4; ++tries)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    output.close();
    EXPECT_GE(plugin.blockCount(), 4) << "the null device plays";
    EXPECT_FALSE(std::filesystem::exists(played)) << "nothing went to the default device";
}

}  // namespace
}  // namespace rimba::standalone
