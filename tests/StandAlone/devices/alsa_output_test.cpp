// The ALSA path end to end: the test's own default device writes every frame it is given into a
// file, read back here as 16-bit interleaved stereo.

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <thread>
#include <vector>

#include "StandAlone/devices/AudioDevice.h"
#include "StandAlone/devices/AudioOutput.h"
#include "tests/StandAlone/devices/DeviceEnvironment.h"
#include "tests/StandAlone/devices/FakePlugin.h"

namespace rimba::standalone {
namespace {

constexpr std::uintmax_t kFramesWanted = 4096;
constexpr std::uintmax_t kBytesPerFrame = 4;

std::vector<std::int16_t> readSamples(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::vector<std::int16_t> samples(bytes.size() / 2);
    for (std::size_t index = 0; index < samples.size(); ++index) {
        const auto low = static_cast<std::uint8_t>(bytes[2 * index]);
        const auto high = static_cast<std::uint8_t>(bytes[2 * index + 1]);
        samples[index] = static_cast<std::int16_t>(low | (high << 8));
    }
    return samples;
}

// The file device is not paced: it fills as fast as the feeder renders. The wait is bounded so a
// device that never plays fails the test instead of hanging it.
bool waitForFile(const std::string& path) {
    for (int tries = 0; tries < 500; ++tries) {
        std::error_code ignored;
        if (std::filesystem::file_size(path, ignored) >= kFramesWanted * kBytesPerFrame &&
            !ignored)
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
}

class AlsaOutput : public ::testing::Test {
protected:
    void SetUp() override {
        played = test::DeviceEnvironment::get().playedFile();
        std::filesystem::remove(played);
    }

    // Opens the named device, lets it play, closes it and reads what the file device received.
    std::vector<std::int16_t> play(const std::string& name, int blockSize) {
        AudioOutput output(fake.plugin(), nullptr);
        output.open(name, blockSize, 44100);
        EXPECT_TRUE(output.isOpen()) << name;
        EXPECT_EQ(output.blockSize(), blockSize);
        EXPECT_TRUE(waitForFile(played)) << name;
        output.close();
        EXPECT_FALSE(output.isOpen());
        output.close();  // a second close has nothing left to do
        return readSamples(played);
    }

    test::FakePlugin fake;
    std::string played;
};

TEST_F(AlsaOutput, ThePluginsSignalReachesTheDeviceAsInterleavedSixteenBitFrames) {
    const std::vector<std::int16_t> samples = play("default", 256);
    ASSERT_GE(samples.size(), kFramesWanted * 2);
    for (std::size_t frame = 0; frame < samples.size() / 2; ++frame) {
        ASSERT_EQ(samples[2 * frame], test::kSignalCycle16[frame % 9]) << "left, frame " << frame;
        ASSERT_EQ(samples[2 * frame + 1], test::kSignalCycle16[(frame + 1) % 9]) << "right, frame " << frame;
    }
    // A lost block would shift the cycle (256 frames are not a whole number of cycles).
    EXPECT_EQ(fake.lastBlockFrames(), 256);
}

TEST_F(AlsaOutput, NamesThatMatchNoAlsaDeviceOpenTheDefaultDevice) {
    // "JACK" included: without a JACK server it falls back as a refused driver does.
    for (const char* name : {"No device is called this", "", "JACK"}) {
        EXPECT_EQ(alsaDeviceFor(name), "default");
        std::filesystem::remove(played);
        const std::vector<std::int16_t> samples = play(name, 128);
        ASSERT_GE(samples.size(), kFramesWanted * 2) << name;
        EXPECT_EQ(samples[8], test::kSignalCycle16[4]) << name;
    }
}

TEST_F(AlsaOutput, TheDeviceListOffersTheAlsaDevicesAndNoJackWithoutAServer) {
    const std::vector<std::string> names = listAudioOutputDevices();
    EXPECT_NE(std::find(names.begin(), names.end(), "default"), names.end());
    EXPECT_NE(std::find(names.begin(), names.end(), "null"), names.end());
    EXPECT_EQ(std::find(names.begin(), names.end(), "JACK"), names.end());
    EXPECT_EQ(alsaDeviceFor("null"), "null");
}

TEST_F(AlsaOutput, ReopeningManyTimesKeepsOneDeviceOpenAndTheSettingsInForce) {
    AudioOutput output(fake.plugin(), nullptr);
    for (int round = 0; round < 10; ++round) {
        const int block = 64 << (round % 4);
        output.open(round % 2 ? "default" : "null", block, round % 2 ? 48000 : 44100);
        ASSERT_TRUE(output.isOpen());
        EXPECT_EQ(output.blockSize(), block);
        EXPECT_EQ(output.sampleRate(), round % 2 ? 48000 : 44100);
    }
    output.close();
    EXPECT_FALSE(output.isOpen());
}

}  // namespace
}  // namespace rimba::standalone
