// The default bank in the user's own store, which on Linux lies under $XDG_CONFIG_HOME.

#include <gtest/gtest.h>

#include "plugin/effects/EffectFiles.h"
#include "tests/plugin/effects/FakeEffect.h"
#include "tests/support/Environment.h"
#include "tests/support/TempFolder.h"

namespace rimba::test {
namespace {

TEST(DefaultBankOfTheUser, GoesToTheUsersStoreInTheConfigurationFolder) {
    TempFolder folder;
    const auto saved = environmentVariable("XDG_CONFIG_HOME");
    setEnvironmentVariable("XDG_CONFIG_HOME", folder.path());
    FakeEffect fake(2, 2, true);
    const Result<> written = saveDefaultBank(fake.effect);
    setEnvironmentVariable("XDG_CONFIG_HOME", saved);
    ASSERT_TRUE(written) << written.reason();
    const auto stored = settings::SettingsStore("Fake Effect", folder.path()).readBinary("Data", "UserBank");
    ASSERT_TRUE(stored.has_value());
    const std::vector<std::uint8_t> chunk = fake.bankChunk();
    EXPECT_EQ(*stored, chunk);
    EXPECT_EQ(contentOf(folder / "Fake Effect/Data/UserBank.bin"), std::string(chunk.begin(), chunk.end()));
}

}  // namespace
}  // namespace rimba::test
