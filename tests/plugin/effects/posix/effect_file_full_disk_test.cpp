// A bank or preset saved onto a full disk (a file-size limit stands in for it).

#include <gtest/gtest.h>

#include "plugin/effects/EffectFiles.h"
#include "tests/common/platform/posix/FileSizeLimit.h"
#include "tests/plugin/effects/FakeEffect.h"
#include "tests/support/TempFolder.h"

namespace rimba::test {
namespace {

TEST(EffectFiles, AFailedSaveLeavesTheFileThatWasThere) {
    TempFolder folder;
    // 200 programs of 100 values: 80 kB, far beyond the limit.
    FakeEffect fake(200, 100, false);
    const std::string bank = folder.makeFile("Keep.fxb", "old bank");
    const std::string preset = folder.makeFile("Keep.fxp", "old preset");
    {
        platform::fixtures::FileSizeLimit limit(256);
        ASSERT_TRUE(limit.isApplied());
        EXPECT_FALSE(saveBankFile(fake.effect, bank));
        EXPECT_FALSE(savePresetFile(fake.effect, preset));
    }
    EXPECT_EQ(contentOf(bank), "old bank");
    EXPECT_EQ(contentOf(preset), "old preset");
    EXPECT_EQ(folder.namesIn().size(), 2u);
}

}  // namespace
}  // namespace rimba::test
