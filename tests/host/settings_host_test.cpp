// What survives a close: the settings store and the last state, seen through the binary
// interface of the built plug-in. The store lives in a private configuration folder per test.

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "tests/host/HostChunks.h"
#include "tests/host/TestHost.h"

namespace rimba::test {
namespace {

using files::fixtures::readBytes;
using files::fixtures::TempFolder;
using files::fixtures::writeBytes;

constexpr VstInt32 kUniqueIdInHost = 959526251;  // the plug-in's id in a host

// A program file around `block`, laid out as the ".fxp" format has it (big-endian header).
std::vector<std::uint8_t> programFile(const std::vector<std::uint8_t>& block, VstInt32 uniqueId) {
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

class SettingsHost : public HostWithLibrary {
protected:
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
};

TEST_F(SettingsHost, CloseAndReopenBringsTheWholeStateBackAndItRendersBitForBit) {
    AEffect* first = plugin.create();
    ASSERT_NE(first, nullptr);
    ASSERT_EQ(give(first, stateBlock()), 1);
    first->setParameter(first, 1, 0.35f);  // a change made after the block was given
    const std::vector<std::uint8_t> before = chunkOf(first);
    closeEffect(first);
    EXPECT_TRUE(userStoreHas("Settings", "PluginName"));
    EXPECT_TRUE(userStoreHas("Data", "UserPreset"));

    AEffect* reopened = plugin.create();
    ASSERT_NE(reopened, nullptr);
    EXPECT_EQ(chunkOf(reopened), before);

    // The reference: an instance that starts from a clean store and is given the same block by
    // the host. (Giving a block to an instance that already holds it is not the same: every
    // track update also takes the voices' control smoothing one step further.)
    clearUserStore();
    AEffect* reference = plugin.create();
    ASSERT_NE(reference, nullptr);
    ASSERT_EQ(give(reference, before), 1);
    const std::vector<float> fromStore = render(reopened, 120);
    const std::vector<float> fromHost = render(reference, 120);
    ASSERT_EQ(fromStore.size(), fromHost.size());
    EXPECT_EQ(std::memcmp(fromStore.data(), fromHost.data(), sizeof(float) * fromStore.size()), 0);
    EXPECT_GT(energyOf(fromStore), 1.0);  // not a comparison of two silences
    closeEffect(reopened);
    closeEffect(reference);
}

TEST_F(SettingsHost, AFirstRunLoadsTheDefaultProgramFileAndALaterRunTheLastState) {
    std::filesystem::create_directories(inLibrary("Programs"));
    writeBytes(inLibrary("Programs/RimbaRand.fxp"), programFile(stateBlock(), kUniqueIdInHost));

    AEffect* first = plugin.create();
    ASSERT_NE(first, nullptr);
    const std::vector<std::uint8_t> loaded = chunkOf(first);
    EXPECT_EQ(textAt(loaded, kHeader + kTrack + kPath, 256), "\\Samples\\snare.wav");
    // The musician empties the instrument, then closes it.
    std::vector<std::uint8_t> emptied = stateBlock();
    Block edit{emptied};
    edit.text(kHeader + kTrack + kPath, std::string(20, '\0'));
    ASSERT_EQ(give(first, edit.bytes), 1);
    const std::vector<std::uint8_t> last = chunkOf(first);
    closeEffect(first);

    AEffect* second = plugin.create();
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(chunkOf(second), last);  // the last state, not the program file again
    closeEffect(second);
}

}  // namespace
}  // namespace rimba::test
