// A settings store on disk that was damaged between two runs of the host.

#include "tests/host/HostChunks.h"

namespace rimba::test {
namespace {

using files::fixtures::readBytes;
using files::fixtures::writeBytes;

class SettingsOnDisk : public HostWithLibrary {};

TEST_F(SettingsOnDisk, ADamagedStoreStartsFromTheDefaults) {
    AEffect* clean = plugin.create();
    ASSERT_NE(clean, nullptr);
    const std::vector<std::uint8_t> defaults = chunkOf(clean);
    ASSERT_EQ(give(clean, stateBlock()), 1);
    closeEffect(clean);
    const std::vector<std::uint8_t> settingsFile = readBytes(store + "/Settings.conf");
    const std::vector<std::uint8_t> presetFile = readBytes(store + "/Data/UserPreset.bin");
    ASSERT_GT(settingsFile.size(), 20u);
    ASSERT_GT(presetFile.size(), 1000u);

    // Cut in half, then garbage: either way the store reads as missing.
    const std::vector<std::vector<std::uint8_t>> damages{
        std::vector<std::uint8_t>(presetFile.begin(),
                                  presetFile.begin() + static_cast<std::ptrdiff_t>(presetFile.size() / 2)),
        std::vector<std::uint8_t>(presetFile.size(), 0xA5)};
    for (const auto& damaged : damages) {
        writeBytes(store + "/Data/UserPreset.bin", damaged);
        writeBytes(
            store + "/Settings.conf",
            std::vector<std::uint8_t>(settingsFile.begin(),
                                      settingsFile.begin() + static_cast<std::ptrdiff_t>(settingsFile.size() / 2)));
        AEffect* next = plugin.create();
        ASSERT_NE(next, nullptr);
        EXPECT_EQ(chunkOf(next), defaults);
        EXPECT_EQ(next->numOutputs, 18);
        dispatch(next, effClose);
    }
}

}  // namespace
}  // namespace rimba::test
