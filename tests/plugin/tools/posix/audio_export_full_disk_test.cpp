// An audio export whose file cannot be written to the end (a full disk, made here with a file
// size limit).

#include <gtest/gtest.h>

#include <filesystem>

#include "plugin/tools/AudioExport.h"
#include "tests/common/platform/posix/FileSizeLimit.h"
#include "tests/plugin/files/SoundFixtures.h"
#include "tests/plugin/tools/ExportFixture.h"
#include "tests/support/InstrumentProbe.h"

namespace rimba::test {
namespace {

TEST(AudioExportOnAFullDisk, AWriteThatFailsPartWayLeavesTheOldFileAndPutsTheInstrumentBack) {
    files::fixtures::TempFolder folder;
    const std::string target = folder / "song.wav";
    files::fixtures::writeBytes(target, {1, 2, 3});
    auto drums = makeExportingDrums();
    test::stateOf(*drums).playMode = 2;
    test::stateOf(*drums).chainEnabled[1] = test::stateOf(*drums).chainEnabled[6] = 1;
    test::stateOf(*drums).currentPattern = 9;
    {
        platform::fixtures::FileSizeLimit limit(100000);  // of about 350000 bytes
        ASSERT_TRUE(limit.isApplied());
        EXPECT_EQ(exportAudioFile(*drums, target), -1);
    }
    EXPECT_EQ(files::fixtures::readBytes(target), (std::vector<std::uint8_t>{1, 2, 3}));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path()), {}), 1)
        << "no temporary file is left behind";
    EXPECT_EQ(test::stateOf(*drums).playMode, 2);
    EXPECT_EQ(test::stateOf(*drums).currentPattern, 9);
    EXPECT_EQ(test::stateOf(*drums).exportPos, 0.0);
    EXPECT_EQ(test::stateOf(*drums).offlineRender.load(), 0);
    EXPECT_EQ(exportAudioFile(*drums, target), 0) << "the next export works";
}

}  // namespace
}  // namespace rimba::test
