#pragma once
// Program chunks for the tests that talk to the built plug-in: a whole state with sounds,
// patterns, settings and a master equaliser built field by field from the format's tables, and
// the host's two chunk calls.

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "common/platform/Paths.h"
#include "common/settings/SettingsStore.h"
#include "tests/host/TestHost.h"
#include "tests/plugin/files/ChunkLayout.h"
#include "tests/support/Environment.h"
#include "tests/support/UniqueFolder.h"

namespace rimba::test {

using namespace rimba::chunk_test;

constexpr int kTracks = 12;  // the plug-in's track count when nothing else is set
constexpr int kOutputs = kTracks + 6;

// A state with sounds, patterns, settings and a master equaliser, built here field by field.
inline std::vector<std::uint8_t> stateBlock() {
    FormRow current = formTable()[6];
    current.version = 1480;
    Block block = emptyBlock(current, kTracks);
    const char* const sounds[] = {"\\Samples\\kick.wav", "\\Samples\\snare.wav", "\\Samples\\hat.wav"};
    for (int t = 0; t < 3; ++t) {
        block.text(trackAt(current, t) + kPath, sounds[t]);
        const std::size_t settings = settingsAt(current, t);
        block.f32(settings + 4 * kLevel, 0.8f);
        block.f32(settings + 4 * kPan, 0.2f + 0.3f * static_cast<float>(t));
        block.f32(settings + 4 * kLevelVelocity, 1.0f);
        block.f32(settings + 4 * kTune, -2.0f + 2.0f * static_cast<float>(t));
        block.f32(settings + 4 * 7, 1.0f);  // one shot
        block.f32(settings + 4 * kEnd, 1.0f);
        block.f32(settings + 4 * kRandomMin, -1.0f);
        block.f32(settings + 4 * kRandomMax, -1.0f);
        block.f32(settings + 4 * kEqOnSample, t == 1 ? 1.0f : 0.0f);
        for (int band = 0; band < 3; ++band) {
            const std::array<float, 3> freq{0.2407676f, 0.4815352f, 0.6889311f};
            block.f32(settings + 4 * static_cast<std::size_t>(kBand0Freq + 3 * band),
                      freq[static_cast<std::size_t>(band)]);
            block.f32(settings + 4 * static_cast<std::size_t>(kBand0Freq + 3 * band + 1), 0.707f);
        }
        block.f32(settings + 4 * kBand2Gain, t == 1 ? 0.4f : 0.0f);
        block.f32(settings + 4 * kSynthMix, 0.5f);
        for (int p = 0; p < 16; ++p) {
            block.s8(randomAt(current, t) + 3 * static_cast<std::size_t>(p), -1);
            block.s8(randomAt(current, t) + 3 * static_cast<std::size_t>(p) + 1, -1);
        }
    }
    for (int s = 0; s < 16; s += 4)
        block.s8(stepAt(current, 0, s), 120);
    for (int s = 2; s < 16; s += 4)
        block.s8(stepAt(current, 1, s), 90);
    block.s8(stepAt(current, 1, 14) + 32, 2);  // a roll of three hits
    for (int s = 1; s < 16; s += 2)
        block.s8(stepAt(current, 2, s), 50 + 4 * s);
    const std::size_t tail = tailAt(current, kTracks);
    block.i32(tail + kTailPlayMode, 0);
    block.i32(tail + kTailSwing, 24);
    block.i32(tail + kTailPlaying, 1);
    block.i32(tail + kTailTempo, 120);
    block.i32(tail + kTailTriggerKey, -1);
    block.i32(tail + kTailFill, 64);
    block.f32(tail + kTailMasterEqOn, 1.0f);
    for (int band = 0; band < 3; ++band) {
        const std::array<float, 3> freq{0.2407676f, 0.4815352f, 0.6889311f};
        block.f32(tail + kTailMasterBands + 12 * static_cast<std::size_t>(band), freq[static_cast<std::size_t>(band)]);
        block.f32(tail + kTailMasterBands + 12 * static_cast<std::size_t>(band) + 4, 0.707f);
    }
    block.f32(tail + kTailMasterBands + 8, -0.3f);
    return block.bytes;
}

inline std::vector<std::uint8_t> chunkOf(AEffect* effect) {
    void* data = nullptr;
    const VstIntPtr size = dispatch(effect, effGetChunk, 0, 0, &data);
    if (size <= 0 || data == nullptr)
        return {};
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    return std::vector<std::uint8_t>(bytes, bytes + size);
}

inline VstIntPtr give(AEffect* effect, std::vector<std::uint8_t> block) {
    return dispatch(effect, effSetChunk, 0, static_cast<VstIntPtr>(block.size()), block.data());
}

// A private home for the plug-in: its data folder (and so its library folder, which holds three
// sounds under Samples/) and its settings store lie in a temporary folder for the test.
class HostWithLibrary : public ::testing::Test {
protected:
    void SetUp() override {
        hostRecord() = HostRecord{};
        // The user's store and library: private folders on Linux; on Windows the registry and
        // program-files folder of the test run's own Wine prefix, emptied before and after.
        clearUserStore();
        store = home.path() + "/config/RimbaDrums_64";
        library = platform::defaultLibraryFolder();
        std::filesystem::create_directories(inLibrary("Samples"));
        writeWave(inLibrary("Samples/kick.wav"), testSound(9000, 1));
        writeWave(inLibrary("Samples/snare.wav"), testSound(7000, 2));
        writeWave(inLibrary("Samples/hat.wav"), testSound(2000, 3));
        ASSERT_TRUE(plugin.loaded()) << plugin.loadError();
    }
    void TearDown() override {
        clearUserStore();
        // Only what the tests make: on Windows the library folder is not the test's own.
        for (const char* made : {"Samples/kick.wav", "Samples/snare.wav", "Samples/hat.wav", "Programs/RimbaRand.fxp"})
            std::filesystem::remove(inLibrary(made));
    }

    // `relative` inside the library folder, with this system's separators.
    std::string inLibrary(const std::string& relative) const { return below(library, relative); }
    static bool userStoreHas(const std::string& section, const std::string& name) {
        return settings::SettingsStore("RimbaDrums_64").contains(section, name);
    }

    files::fixtures::TempFolder home;
    ScopedEnvironmentVariable data{"XDG_DATA_HOME", home.path()};
    ScopedEnvironmentVariable config{"XDG_CONFIG_HOME", home.path() + "/config"};
    std::string store;  // the store's folder on Linux
    std::string library;
    PluginLibrary plugin;
};

}  // namespace rimba::test
