// Tracks naming sound files: one shared Sound per exact path, failures that leave the track
// without a sound, and writing a track's sound back out.

#include <cstring>
#include <string>

#include <gtest/gtest.h>

#include "tests/plugin/core/CoreFixture.h"
#include "tests/plugin/files/SoundFixtures.h"
#include "tests/support/InstrumentProbe.h"

namespace rimba::test {
namespace {

using files::fixtures::readBytes;
using files::fixtures::TempFolder;
using files::fixtures::writeBytes;

void nameSound(VornDrums& drums, int track, const std::string& path) {
    auto& field = test::stateOf(drums).tracks.soundPath[static_cast<std::size_t>(track)];
    field.fill(0);
    std::memcpy(field.data(), path.data(), std::min(path.size(), field.size() - 1));
}

std::string soundPathOf(const VornDrums& drums, int track) {
    return test::stateOf(drums).tracks.soundPath[static_cast<std::size_t>(track)].data();
}

// A mono 16-bit WAV of `frames` frames of a rising ramp, built here byte by byte.
std::string makeRamp(const TempFolder& folder, const std::string& name, int frames, int rate = 44100) {
    const std::string path = folder / name;
    files::fixtures::ByteBuilder data;
    for (int i = 0; i < frames; ++i)
        data.le16(static_cast<std::uint16_t>(-30000 + 60000 * i / frames));
    files::fixtures::WaveLayout layout;
    layout.rate = static_cast<std::uint32_t>(rate);
    writeBytes(path, files::fixtures::waveFile(layout, data.bytes));
    return path;
}

class TrackSound : public ::testing::Test {
protected:
    TempFolder folder;
    std::unique_ptr<VornDrums> drums = makeInstrument();
};

TEST_F(TrackSound, TwoTracksNamingOnePathShareOneSound) {
    const std::string kick = makeRamp(folder, "kick.wav", 1000);
    nameSound(*drums, 0, kick);
    nameSound(*drums, 5, kick);
    drums->loadTrackSound(0);
    drums->loadTrackSound(5);
    EXPECT_EQ(test::stateOf(*drums).soundList.size(), 1u);
    EXPECT_EQ(test::stateOf(*drums).voices[0].soundIndex, 0);
    EXPECT_EQ(test::stateOf(*drums).voices[5].soundIndex, 0);
    EXPECT_EQ(test::stateOf(*drums).soundList[0]->frameCount, 1000);
    EXPECT_EQ(test::stateOf(*drums).voices[5].endBound, 1000.0f);
}

TEST_F(TrackSound, APathDifferingOnlyInCaseLoadsASecondCopy) {
    const std::string snare = makeRamp(folder, "Snare.wav", 500);
    nameSound(*drums, 1, snare);
    nameSound(*drums, 2, folder / "snare.wav");  // found on disk through the case-insensitive match
    drums->loadTrackSound(1);
    drums->loadTrackSound(2);
    EXPECT_EQ(test::stateOf(*drums).soundList.size(), 2u);
    EXPECT_EQ(test::stateOf(*drums).voices[1].soundIndex, 0);
    EXPECT_EQ(test::stateOf(*drums).voices[2].soundIndex, 1);
    EXPECT_STREQ(test::stateOf(*drums).soundList[1]->path.data(), (folder / "snare.wav").c_str());
}

TEST_F(TrackSound, AFailedLoadLeavesTheTrackWithoutSoundOrPath) {
    const std::string good = makeRamp(folder, "good.wav", 300);
    nameSound(*drums, 3, good);
    drums->loadTrackSound(3);
    ASSERT_EQ(test::stateOf(*drums).voices[3].soundIndex, 0);
    for (const std::string& bad : {folder / "missing.wav", folder / "song.mp3", std::string("/a.w"), std::string()}) {
        nameSound(*drums, 3, bad);
        drums->loadTrackSound(3);
        EXPECT_EQ(test::stateOf(*drums).voices[3].soundIndex, -1) << bad;
        EXPECT_EQ(soundPathOf(*drums, 3), "") << bad;
        EXPECT_EQ(test::stateOf(*drums).voices[3].endBound, 0.0f) << bad;
    }
    EXPECT_EQ(test::stateOf(*drums).soundList.size(), 1u);  // failures keep no record
    EXPECT_EQ(test::stateOf(*drums).handshake.loadsInProgress.load(), 0);
    EXPECT_EQ(test::stateOf(*drums).voices[3].loading, 0);
}

TEST_F(TrackSound, ALoadedSoundSetsTheBoundsAndIdlesTheVoice) {
    nameSound(*drums, 4, makeRamp(folder, "tom.wav", 2000, 22050));
    test::stateOf(*drums).tracks.start[4] = 0.5f;
    test::stateOf(*drums).tracks.end[4] = 0.25f;
    test::stateOf(*drums).voices[4].position = 100.0f;
    drums->updateTrack(4);
    EXPECT_EQ(test::stateOf(*drums).tracks.end[4], 0.5f);
    EXPECT_EQ(test::stateOf(*drums).voices[4].startBound, 1000.0f);
    EXPECT_EQ(test::stateOf(*drums).voices[4].endBound, 1000.0f);
    EXPECT_EQ(test::stateOf(*drums).voices[4].position, -1.0f);
    EXPECT_NEAR(test::stateOf(*drums).voices[4].rate, 0.5f, 1e-6f);  // 22050 Hz sound at 44100 Hz
}

TEST_F(TrackSound, WritingATrackWritesTheSelectedPartAtTheInstrumentsRate) {
    nameSound(*drums, 6, makeRamp(folder, "clap.wav", 1000));
    drums->loadTrackSound(6);
    drums->setSampleRate(48000.0f);
    test::stateOf(*drums).tracks.start[6] = 0.25f;
    test::stateOf(*drums).tracks.end[6] = 0.75f;
    const std::string out = folder / "part.wav";
    ASSERT_EQ(drums->writeTrackWave(6, out), 0);

    const std::vector<std::uint8_t> bytes = readBytes(out);
    ASSERT_GE(bytes.size(), 46u);
    const std::uint32_t rate =
        bytes[24] | bytes[25] << 8 | bytes[26] << 16 | static_cast<std::uint32_t>(bytes[27]) << 24;
    EXPECT_EQ(rate, 48000u);
    const std::uint32_t dataSize =
        bytes[42] | bytes[43] << 8 | bytes[44] << 16 | static_cast<std::uint32_t>(bytes[45]) << 24;
    ASSERT_EQ(dataSize, 1000u);  // 500 samples
    const std::vector<std::int16_t>& source = test::stateOf(*drums).soundList[0]->samples;
    for (std::size_t i = 0; i < 500; ++i) {
        const auto written = static_cast<std::int16_t>(bytes[46 + 2 * i] | bytes[47 + 2 * i] << 8);
        ASSERT_EQ(written, source[250 + i]) << i;
    }
}

TEST_F(TrackSound, NothingIsWrittenWithoutASoundOrAnEmptySelection) {
    const std::string out = folder / "none.wav";
    EXPECT_EQ(drums->writeTrackWave(7, out), -1);  // no sound
    nameSound(*drums, 7, makeRamp(folder, "hat.wav", 100));
    drums->loadTrackSound(7);
    test::stateOf(*drums).tracks.start[7] = test::stateOf(*drums).tracks.end[7] = 0.4f;
    EXPECT_EQ(drums->writeTrackWave(7, out), -1);
    EXPECT_FALSE(std::filesystem::exists(out));
    EXPECT_EQ(drums->writeTrackWave(40, out), -1);
}

}  // namespace
}  // namespace rimba::test
