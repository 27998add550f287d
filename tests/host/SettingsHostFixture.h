#pragma once
// An instrument that the host closes and makes again, with the user's settings store and library
// of the test's own (see SettingsHost::SetUp).

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

#include "common/platform/Paths.h"
#include "common/settings/SettingsStore.h"
#include "tests/host/HostChunks.h"
#include "tests/host/TestHost.h"
#include "tests/support/Environment.h"
#include "tests/support/UniqueFolder.h"

namespace rimba::test {

using files::fixtures::readBytes;
using files::fixtures::TempFolder;
using files::fixtures::writeBytes;

inline constexpr VstInt32 kUniqueIdInHost = 959526251;  // the plug-in's id in a host

// A program file around `block`, laid out as the ".fxp" format has it (big-endian header).
inline std::vector<std::uint8_t> programFile(const std::vector<std::uint8_t>& block, VstInt32 uniqueId) {
    std::vector<std::uint8_t> file(60, 0);
    auto bigEndian = [&file](std::size_t at, std::uint32_t value) {
        for (std::size_t i = 0; i < 4; ++i)
            file[at + i] = static_cast<std::uint8_t>(value >> (24 - 8 * i));
    };
    std::memcpy(file.data(), "CcnK", 4);
    bigEndian(4, static_cast<std::uint32_t>(block.size() + 52));
    std::memcpy(file.data() + 8, "FPCh", 4);
    bigEndian(12, 1);
    bigEndian(16, static_cast<std::uint32_t>(uniqueId));
    bigEndian(20, 1);
    bigEndian(24, 1);
    std::memcpy(file.data() + 28, "Test", 4);
    bigEndian(56, static_cast<std::uint32_t>(block.size()));
    for (const std::uint8_t byte : block)
        file.push_back(byte);
    return file;
}

class SettingsHost : public ::testing::Test {
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
        ASSERT_TRUE(plugin.loaded());
    }
    void TearDown() override {
        clearUserStore();
        for (const char* made : {"Samples/kick.wav", "Samples/snare.wav", "Samples/hat.wav", "Programs/RimbaRand.fxp"})
            std::filesystem::remove(inLibrary(made));
    }

    std::string inLibrary(const std::string& relative) const { return below(library, relative); }
    static bool userStoreHas(const std::string& section, const std::string& name) {
        return settings::SettingsStore("RimbaDrums_64").contains(section, name);
    }

    // Every output of `blocks` blocks of 512 frames with the transport playing from the start.
    std::vector<float> render(AEffect* effect, int blocks) {
        VstTimeInfo time{};
        time.sampleRate = 44100.0;
        time.tempo = 120.0;
        time.flags = kVstTransportPlaying | kVstTempoValid;
        hostRecord().timeInfo = &time;
        constexpr int kFrames = 512;
        std::vector<float> all;
        for (int block = 0; block < blocks; ++block) {
            time.samplePos = static_cast<double>(block) * kFrames;
            OutputBlock out(effect->numOutputs, kFrames, 0.0f);
            effect->processReplacing(effect, nullptr, out.pointers(), kFrames);
            for (const auto& channel : out.channels)
                all.insert(all.end(), channel.begin(), channel.end());
        }
        hostRecord().timeInfo = nullptr;
        return all;
    }

    static double energyOf(const std::vector<float>& samples) {
        double energy = 0.0;
        for (const float x : samples)
            energy += static_cast<double>(x) * x;
        return energy;
    }

    TempFolder home;
    ScopedEnvironmentVariable data{"XDG_DATA_HOME", home.path()};
    ScopedEnvironmentVariable config{"XDG_CONFIG_HOME", home.path() + "/config"};
    std::string store;  // the store's folder on Linux
    std::string library;
    PluginLibrary plugin;
};

}  // namespace rimba::test
