// The loader's own rules: which paths it refuses, which parser a name selects, the letter-case
// fallback, and the path it keeps.

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "SoundFixtures.h"
#include "plugin/files/SoundReader.h"

namespace rimba {
namespace {

using namespace files::fixtures;


std::vector<std::uint8_t> shortAiff() {
    ByteBuilder data;
    data.be16(100).be16(static_cast<std::uint16_t>(-200)).be16(300);
    return aiffFile(AiffLayout{1, 16, 22050, 0}, data.bytes);
}

const std::vector<std::int16_t> kShortSamples = {100, -200, 300};

// Runs the rest of the test in another working folder, for paths too short to be absolute.
class WorkingFolder {
public:
    explicit WorkingFolder(const std::string& folder) : previous(std::filesystem::current_path()) {
        std::filesystem::current_path(folder);
    }
    ~WorkingFolder() { std::filesystem::current_path(previous); }
    WorkingFolder(const WorkingFolder&) = delete;
    WorkingFolder& operator=(const WorkingFolder&) = delete;

private:
    std::filesystem::path previous;
};

TEST(LoadSoundFile, ReadsAWaveAndKeepsThePathAsGiven) {
    TempFolder folder;
    const std::string path = folder / "kick.wav";
    writeBytes(path, shortWave());

    const rimba::Result<Sound> sound = loadSoundFile(path);

    ASSERT_TRUE(sound.has_value());
    EXPECT_EQ(sound->samples, kShortSamples);
    EXPECT_EQ(sound->frameCount, 3);
    EXPECT_EQ(sound->sampleRate, 22050.0f);
    EXPECT_STREQ(sound->path.data(), path.c_str());
}

TEST(LoadSoundFile, PathShorterThanFiveCharactersIsRefusedUnread) {
    TempFolder folder;
    writeBytes(folder / "a.wv", shortWave());
    writeBytes(folder / "ab.wv", shortWave());
    WorkingFolder inside(folder.path());

    EXPECT_FALSE(loadSoundFile("a.wv").has_value());
    EXPECT_TRUE(loadSoundFile("ab.wv").has_value());
}

TEST(LoadSoundFile, LowerCaseMp3IsRefusedWhileUpperCaseGoesToTheWaveReader) {
    TempFolder folder;
    writeBytes(folder / "wave.mp3", shortWave());
    writeBytes(folder / "wave.MP3", shortWave());
    writeBytes(folder / "wave.Mp3", shortWave());
    ByteBuilder mpeg;
    mpeg.tag("ID3").u8(3).u8(0).u8(0).le32(0).tag("real mpeg audio would follow here");
    writeBytes(folder / "song.MP3", mpeg.bytes);

    EXPECT_FALSE(loadSoundFile(folder / "wave.mp3").has_value());
    const rimba::Result<Sound> upper = loadSoundFile(folder / "wave.MP3");
    ASSERT_TRUE(upper.has_value());
    EXPECT_EQ(upper->samples, kShortSamples);
    EXPECT_TRUE(loadSoundFile(folder / "wave.Mp3").has_value());
    EXPECT_FALSE(loadSoundFile(folder / "song.MP3").has_value());
}

TEST(LoadSoundFile, AiffEndingsSelectTheAiffReaderCaseSensitively) {
    TempFolder folder;
    for (const std::string ending : {".aif", ".aiff", ".AIF", ".AIFF"}) {
        writeBytes(folder / ("drum" + ending), shortAiff());
        const rimba::Result<Sound> sound = loadSoundFile(folder / ("drum" + ending));
        ASSERT_TRUE(sound.has_value()) << ending;
        EXPECT_EQ(sound->samples, kShortSamples) << ending;
    }
}

TEST(LoadSoundFile, MixedCaseAifGoesToTheWaveReaderAndFails) {
    TempFolder folder;
    writeBytes(folder / "drum.Aif", shortAiff());
    writeBytes(folder / "wave.Aif", shortWave());

    EXPECT_FALSE(loadSoundFile(folder / "drum.Aif").has_value());
    EXPECT_TRUE(loadSoundFile(folder / "wave.Aif").has_value());
}

TEST(LoadSoundFile, WaveBytesUnderAnAiffNameFail) {
    TempFolder folder;
    writeBytes(folder / "wave.aif", shortWave());
    EXPECT_FALSE(loadSoundFile(folder / "wave.aif").has_value());
}

TEST(LoadSoundFile, MissingFileFails) {
    TempFolder folder;
    EXPECT_FALSE(loadSoundFile(folder / "nothing.wav").has_value());
}

TEST(LoadSoundFile, PathInAnotherLetterCaseFindsTheFileAndKeepsTheGivenPath) {
    TempFolder folder;
    writeBytes(folder / "Snare.WAV", shortWave());
    const std::string asNamed = folder / "snare.wav";

    const rimba::Result<Sound> sound = loadSoundFile(asNamed);

    ASSERT_TRUE(sound.has_value());
    EXPECT_EQ(sound->samples, kShortSamples);
    EXPECT_STREQ(sound->path.data(), asNamed.c_str());
}

TEST(LoadSoundFile, TruncatedFileLoadsTheFramesPresentOrNothing) {
    TempFolder folder;
    const std::vector<std::uint8_t> whole = shortWave();
    writeBytes(folder / "cut-data.wav", std::vector<std::uint8_t>(whole.begin(), whole.end() - 3));
    writeBytes(folder / "cut-header.wav", std::vector<std::uint8_t>(whole.begin(), whole.begin() + 30));

    const rimba::Result<Sound> cutData = loadSoundFile(folder / "cut-data.wav");
    ASSERT_TRUE(cutData.has_value());
    EXPECT_EQ(cutData->samples, (std::vector<std::int16_t>{100}));
    EXPECT_FALSE(loadSoundFile(folder / "cut-header.wav").has_value());
}

}  // namespace
}  // namespace rimba
