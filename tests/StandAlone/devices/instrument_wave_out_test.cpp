// The instrument itself on wave-out under Wine, installed as a person installs it (the plug-in
// with its factory library beside it) and driven as the standalone program drives it: the
// program's signature, a time record at 120 beats a minute without a playing transport, and the
// instrument's own sequencer playing the factory song at the song's own tempo into the capture of
// ALSA's file plug-in.

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
#include "common/vst/StandaloneLink.h"
#include "tests/host/TestHost.h"
#include "tests/host/UserLibrary.h"
#include "tests/support/TempFolder.h"
#include "tools/factory/Grooves.h"

namespace rimba::standalone {
namespace {

namespace fs = std::filesystem;

// A sixteenth of the factory song: in the standalone program the instrument keeps its own tempo.
constexpr double kStepFrames = 44100.0 * 60.0 / factory::kSongTempo / 4.0;
constexpr long kOnsetGrid = 256;

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

// Where hits begin, to the nearest 256 frames: the sample-to-sample steps of the two channels'
// mean (the drums' attacks stand out there; a kick's long low tail hardly steps) jump to over
// four times those of the stretch before.
std::vector<long> onsets() {
    std::ifstream file(RIMBA_WAVE_OUT_CAPTURE, std::ios::binary);
    std::vector<long> found;
    std::int16_t pair[2] = {};
    float last = 0.0f, previousPeak = 0.0f, peak = 0.0f;
    for (long frame = 0; file.read(reinterpret_cast<char*>(pair), sizeof pair); ++frame) {
        const float sample = (static_cast<float>(pair[0]) + static_cast<float>(pair[1])) / 65536.0f;
        peak = std::max(peak, std::fabs(sample - last));
        last = sample;
        if ((frame + 1) % kOnsetGrid != 0)
            continue;
        if (peak > 0.002f && peak > 4.0f * previousPeak)
            found.push_back(frame + 1 - kOnsetGrid);
        previousPeak = peak;
        peak = 0.0f;
    }
    return found;
}

class InstrumentOnWaveOut : public ::testing::Test {
protected:
    InstrumentOnWaveOut() {
        fs::create_directories(fs::path(plugin).parent_path());
        fs::copy_file(RIMBA_PLUGIN_PATH, plugin);
        fs::copy(RIMBA_FACTORY_LIBRARY, home / "bin/RimbaDrums_64-library", fs::copy_options::recursive);
        test::hostRecord() = test::HostRecord{};
        test::hostRecord().versionAnswer = kStandaloneHostSignature;
        time.sampleRate = 44100.0;
        time.tempo = 120.0;
        time.timeSigNumerator = 4;
        time.timeSigDenominator = 4;
        time.flags = kVstPpqPosValid | kVstTempoValid | kVstTimeSigValid | kVstClockValid;
        test::hostRecord().timeInfo = &time;
    }
    ~InstrumentOnWaveOut() override { test::hostRecord().timeInfo = nullptr; }

    test::TempFolder home;
    test::ScopedUserLibrary user{home.path()};
    const std::string plugin = home / "bin/RimbaDrums_64.dll";
    VstTimeInfo time{};
};

TEST_F(InstrumentOnWaveOut, TheFactorySongPlaysIntoTheCaptureWithItsHitsOnTheSixteenthsOfItsTempo) {
    test::PluginLibrary library(plugin);
    ASSERT_TRUE(library.loaded()) << library.loadError();
    AEffect* instrument = library.create();
    ASSERT_NE(instrument, nullptr);
    // Closed on every way out, before the library goes: the instrument's own threads must not
    // outlive its code.
    const std::unique_ptr<AEffect, void (*)(AEffect*)> closing(instrument, &test::closeEffect);
    ASSERT_EQ(instrument->numOutputs, 2) << "the instrument knows the standalone program";
    if (instrument->getParameter(instrument, kStandalonePlayToggle) == 0.0f)
        instrument->setParameter(instrument, kStandalonePlayToggle, 1.0f);

    fs::remove(RIMBA_WAVE_OUT_CAPTURE);
    {
        AudioOutput output(instrument, nullptr);
        std::unique_ptr<AudioOutput::Device> device = openWaveOutOutput(output, "", 1024, 44100);
        ASSERT_NE(device, nullptr);
        // Four seconds of sound: two bars of sixteen steps, not paced by the file device.
        EXPECT_TRUE(waitUntil([] { return capturedBytes() >= 4u * 44100u * 4u; })) << capturedBytes();
    }

    const std::vector<long> hits = onsets();
    ASSERT_GE(hits.size(), 4u) << ::testing::PrintToString(hits);
    // Each hit starts on a step: its distance from the first is a whole number of steps, to
    // within the onsets' grid of 256 frames.
    for (const long hit : hits) {
        const double steps = static_cast<double>(hit - hits.front()) / kStepFrames;
        EXPECT_LE(std::fabs(steps - std::round(steps)) * kStepFrames, 2.0 * kOnsetGrid)
            << hit << " in " << ::testing::PrintToString(hits);
    }
}

}  // namespace
}  // namespace rimba::standalone
