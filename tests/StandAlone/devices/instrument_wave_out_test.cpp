// The instrument itself on wave-out under Wine (see PlayingInstrument.h), its sequencer playing
// the factory song at the song's own tempo into the capture of ALSA's file plug-in.

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "StandAlone/devices/AudioDevice.h"
#include "StandAlone/devices/win32/WindowsDevices.h"
#include "tests/StandAlone/devices/PlayingInstrument.h"

namespace rimba::standalone {
namespace {

namespace fs = std::filesystem;

bool waitUntil(const std::function<bool()>& condition) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (!condition()) {
        if (std::chrono::steady_clock::now() > end)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

std::uintmax_t capturedBytes() {
    std::error_code missing;
    const std::uintmax_t size = fs::file_size(RIMBA_WAVE_OUT_CAPTURE, missing);
    return missing ? 0 : size;
}

std::vector<std::int16_t> captured() {
    std::ifstream file(RIMBA_WAVE_OUT_CAPTURE, std::ios::binary);
    std::vector<std::int16_t> samples;
    for (std::int16_t sample = 0; file.read(reinterpret_cast<char*>(&sample), sizeof sample);)
        samples.push_back(sample);
    return samples;
}

TEST(InstrumentOnWaveOut, TheFactorySongPlaysIntoTheCaptureWithItsHitsOnTheSixteenthsOfItsTempo) {
    test::PlayingInstrument playing;
    AEffect* instrument = playing.start();
    ASSERT_NE(instrument, nullptr);

    fs::remove(RIMBA_WAVE_OUT_CAPTURE);
    {
        AudioOutput output(instrument, nullptr);
        std::unique_ptr<AudioOutput::Device> device = openWaveOutOutput(output, "", 1024, 44100);
        ASSERT_NE(device, nullptr);
        // Four seconds of sound: two bars of sixteen steps, not paced by the file device.
        EXPECT_TRUE(waitUntil([] { return capturedBytes() >= 4u * 44100u * 4u; })) << capturedBytes();
    }

    test::expectHitsOnTheSongsSixteenths(test::hitOnsets(captured()));
}

}  // namespace
}  // namespace rimba::standalone
