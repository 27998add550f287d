// What survives a close: the settings store and the last state, seen through the binary
// interface of the built plug-in.

#include "tests/host/SettingsHostFixture.h"

namespace rimba::test {
namespace {

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
