// Sound paths longer than a Windows path can be, which Linux file systems hold.

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>

#include "plugin/files/SoundReader.h"
#include "tests/plugin/files/SoundFixtures.h"

namespace rimba {
namespace {

using namespace files::fixtures;

TEST(LoadSoundFile, LongPathIsKeptToItsFirst255Characters) {
    TempFolder folder;
    std::string deep = folder.path();
    while (deep.size() < 300) {
        deep += "/" + std::string(40, 'd');
    }
    std::filesystem::create_directories(deep);
    const std::string path = deep + "/long.wav";
    writeBytes(path, shortWave());

    const rimba::Result<Sound> sound = loadSoundFile(path);

    ASSERT_TRUE(sound.has_value());
    EXPECT_EQ(std::string(sound->path.data()), path.substr(0, 255));
    EXPECT_EQ(sound->path[255], '\0');
}

}  // namespace
}  // namespace rimba
