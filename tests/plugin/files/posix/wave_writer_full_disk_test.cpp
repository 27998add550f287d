// The 16-bit mono WAV writer on a full disk (a file-size limit stands in for it).

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "plugin/files/WaveWriter.h"
#include "tests/common/platform/posix/FileSizeLimit.h"
#include "tests/plugin/files/SoundFixtures.h"

namespace rimba {
namespace {

using namespace files::fixtures;
using rimba::platform::fixtures::FileSizeLimit;

TEST(WriteMonoWave16, FailedWriteLeavesTheExistingFileIntact) {
    TempFolder folder;
    const std::string path = folder / "keep.wav";
    const std::vector<std::uint8_t> original(200, 0x5A);
    writeBytes(path, original);

    std::int32_t result = 0;
    {
        FileSizeLimit limit(4096);
        result = writeMonoWave16(path, seededSamples(20000), 44100);
    }

    EXPECT_EQ(result, -1);
    EXPECT_EQ(readBytes(path), original);
    std::size_t entries = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder.path())) {
        ++entries;
    }
    EXPECT_EQ(entries, 1u) << "the temporary file was left behind";
}

}  // namespace
}  // namespace rimba
