#pragma once
// The instrument itself for the Windows device tests, installed in a temporary home as a person
// installs it (the plug-in with its factory library beside it) and driven as the standalone
// program drives it: the program's signature, a time record at 120 beats a minute without a
// playing transport, and the instrument's own sequencer playing the factory song.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "common/vst/StandaloneLink.h"
#include "tests/host/TestHost.h"
#include "tests/host/UserLibrary.h"
#include "tests/support/TempFolder.h"
#include "tools/factory/Grooves.h"

namespace rimba::test {

class PlayingInstrument {
public:
    PlayingInstrument() {
        namespace fs = std::filesystem;
        fs::create_directories(fs::path(pluginPath).parent_path());
        fs::copy_file(RIMBA_PLUGIN_PATH, pluginPath);
        fs::copy(RIMBA_FACTORY_LIBRARY, home / "bin/RimbaDrums_64-library", fs::copy_options::recursive);
        hostRecord() = HostRecord{};
        hostRecord().versionAnswer = kStandaloneHostSignature;
        time.sampleRate = 44100.0;
        time.tempo = 120.0;
        time.timeSigNumerator = 4;
        time.timeSigDenominator = 4;
        time.flags = kVstPpqPosValid | kVstTempoValid | kVstTimeSigValid | kVstClockValid;
        hostRecord().timeInfo = &time;
    }
    ~PlayingInstrument() {
        // Closed before the library goes: the instrument's own threads must not outlive its code.
        if (instrument != nullptr)
            closeEffect(instrument);
        hostRecord().timeInfo = nullptr;
    }
    PlayingInstrument(const PlayingInstrument&) = delete;
    PlayingInstrument& operator=(const PlayingInstrument&) = delete;

    // Loads the instrument and starts its sequencer; null (with the test failed) when it does not
    // load as the standalone program's instrument.
    AEffect* start() {
        library = std::make_unique<PluginLibrary>(pluginPath);
        EXPECT_TRUE(library->loaded()) << library->loadError();
        if (!library->loaded())
            return nullptr;
        instrument = library->create();
        EXPECT_NE(instrument, nullptr);
        if (instrument == nullptr)
            return nullptr;
        EXPECT_EQ(instrument->numOutputs, 2) << "the instrument knows the standalone program";
        if (instrument->getParameter(instrument, kStandalonePlayToggle) == 0.0f)
            instrument->setParameter(instrument, kStandalonePlayToggle, 1.0f);
        return instrument;
    }

private:
    TempFolder home;
    ScopedUserLibrary user{home.path()};
    const std::string pluginPath = home / "bin/RimbaDrums_64.dll";
    VstTimeInfo time{};
    std::unique_ptr<PluginLibrary> library;
    AEffect* instrument = nullptr;
};

// A sixteenth of the factory song: in the standalone program the instrument keeps its own tempo.
constexpr double kSongStepFrames = 44100.0 * 60.0 / factory::kSongTempo / 4.0;
constexpr long kOnsetGrid = 256;

// Where hits begin in interleaved 16-bit stereo, to the nearest 256 frames: the sample-to-sample
// steps of the two channels' mean (the drums' attacks stand out there; a kick's long low tail
// hardly steps) jump to over four times those of the stretch before.
inline std::vector<long> hitOnsets(const std::vector<std::int16_t>& interleaved) {
    std::vector<long> found;
    float last = 0.0f, previousPeak = 0.0f, peak = 0.0f;
    for (std::size_t at = 0; at + 1 < interleaved.size(); at += 2) {
        const auto frame = static_cast<long>(at / 2);
        const float sample = (static_cast<float>(interleaved[at]) + static_cast<float>(interleaved[at + 1])) / 65536.0f;
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

// Each hit starts on a step of the factory song: its distance from the first is a whole number
// of steps, to within the onsets' grid.
inline void expectHitsOnTheSongsSixteenths(const std::vector<long>& hits) {
    ASSERT_GE(hits.size(), 4u) << ::testing::PrintToString(hits);
    for (const long hit : hits) {
        const double steps = static_cast<double>(hit - hits.front()) / kSongStepFrames;
        EXPECT_LE(std::fabs(steps - std::round(steps)) * kSongStepFrames, 2.0 * kOnsetGrid)
            << hit << " in " << ::testing::PrintToString(hits);
    }
}

}  // namespace rimba::test
