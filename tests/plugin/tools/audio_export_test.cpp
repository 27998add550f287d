// The offline export of the current pattern or the chain to a 16-bit stereo WAV file.

#include <algorithm>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

#include <gtest/gtest.h>

#include "plugin/core/VornDrums.h"
#include "plugin/tools/AudioExport.h"
#include "tests/plugin/files/SoundFixtures.h"
#include "tests/plugin/tools/ExportFixture.h"
#include "tests/plugins/FixturePlugins.h"
#include "tests/support/InstrumentProbe.h"

namespace rimba::test {
namespace {

struct WaveFile {
    std::uint16_t channels = 0;
    std::uint32_t rate = 0;
    std::uint16_t bits = 0;
    std::vector<std::int16_t> samples;  // interleaved
};

std::uint32_t le32(const std::vector<std::uint8_t>& b, std::size_t at) {
    return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<std::uint32_t>(b[at + 3]) << 24;
}

WaveFile readWave(const std::string& path) {
    const std::vector<std::uint8_t> bytes = files::fixtures::readBytes(path);
    WaveFile wave;
    EXPECT_GE(bytes.size(), 46u);
    if (bytes.size() < 46)
        return wave;
    EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 4), "RIFF");
    EXPECT_EQ(le32(bytes, 16), 18u);  // the format chunk is 18 bytes
    wave.channels = static_cast<std::uint16_t>(bytes[22] | bytes[23] << 8);
    wave.rate = le32(bytes, 24);
    wave.bits = static_cast<std::uint16_t>(bytes[34] | bytes[35] << 8);
    EXPECT_EQ(std::string(bytes.begin() + 38, bytes.begin() + 42), "data");
    const std::uint32_t size = le32(bytes, 42);
    EXPECT_EQ(bytes.size(), 46u + size);
    for (std::size_t i = 46; i + 1 < bytes.size(); i += 2)
        wave.samples.push_back(static_cast<std::int16_t>(bytes[i] | bytes[i + 1] << 8));
    return wave;
}

// A sound of constant value, so the export's output tells which track played and when.
void giveTrackConstantSound(VornDrums& drums, int track, std::int16_t value, int frames) {
    auto sound = std::make_unique<Sound>();
    sound->samples.assign(static_cast<std::size_t>(frames), value);
    sound->frameCount = frames;
    test::stateOf(drums).soundList.push_back(std::move(sound));
    test::stateOf(drums).voices[static_cast<std::size_t>(track)].soundIndex =
        static_cast<std::int32_t>(test::stateOf(drums).soundList.size() - 1);
    drums.recomputeBounds(track);
}

class AudioExport : public ::testing::Test {
protected:
    void SetUp() override { drums = makeExportingDrums(); }

    files::fixtures::TempFolder folder;
    std::unique_ptr<VornDrums> drums;
};

TEST(ExportSample, FullScaleValuesMapToTheEndsOfTheSixteenBitRange) {
    EXPECT_EQ(exportSample(1.0f), 32767);
    EXPECT_EQ(exportSample(-1.0f), -32768);
    EXPECT_EQ(exportSample(0.0f), 0);
    EXPECT_EQ(exportSample(3.0f), 32767);
    EXPECT_EQ(exportSample(-7.5f), -32768);
    EXPECT_EQ(exportSample(0.5f), 16383);  // trunc(16383.75 - 0.5)
    EXPECT_EQ(exportSample(-0.5f), -16384);  // trunc(-16383.75 - 0.5)
}

TEST(ExportFrameCount, ASixteenStepPatternAtOneHundredTwentyIsTwoSeconds) {
    EXPECT_EQ(offlineFrameCount(44100, 120.0, 16), 88200);
    EXPECT_EQ(offlineFrameCount(48000, 90.0, 48), 384000);
    EXPECT_EQ(offlineFrameCount(44100, 0.0, 16), 0);
}

TEST_F(AudioExport, TheCurrentPatternExportsExactlyItsLength) {
    test::stateOf(*drums).playMode = 0;
    const std::string out = folder / "pattern.wav";
    ASSERT_EQ(exportAudioFile(*drums, out), 0);
    const WaveFile wave = readWave(out);
    EXPECT_EQ(wave.channels, 2);
    EXPECT_EQ(wave.rate, 44100u);
    EXPECT_EQ(wave.bits, 16);
    EXPECT_EQ(wave.samples.size(), 88200u * 2);
}

TEST_F(AudioExport, AChainOfTwoPatternsExportsBothStartingWithTheFirst) {
    test::stateOf(*drums).chainEnabled[2] = 1;
    test::stateOf(*drums).chainEnabled[5] = 1;
    test::stateOf(*drums).patternSteps[5] = 32;
    test::stateOf(*drums).currentPattern = 9;
    test::stateOf(*drums).playMode = 2;  // a random chain exports as a plain one
    giveTrackConstantSound(*drums, 0, 16384, 20000);
    giveTrackConstantSound(*drums, 1, -16384, 20000);
    test::stateOf(*drums).patterns[0].stepVelocity[2][0] = 127.0f;  // pattern 2 starts with track 1
    test::stateOf(*drums).patterns[1].stepVelocity[5][0] = 127.0f;  // pattern 5 starts with track 2
    test::stateOf(*drums).patterns[1].stepVelocity[5][16] = 127.0f;  // and plays it again half-way through
    drums->updateTrackGains(0);
    drums->updateTrackGains(1);

    const std::string out = folder / "chain.wav";
    ASSERT_EQ(exportAudioFile(*drums, out), 0);
    const WaveFile wave = readWave(out);
    ASSERT_EQ(wave.samples.size(), 264600u * 2);  // 48 steps
    auto leftAt = [&](std::size_t frame) { return wave.samples[2 * frame]; };
    EXPECT_GT(leftAt(5000), 0);  // track 1's positive sound: pattern 2 played first
    EXPECT_LT(leftAt(88200 + 5000), 0);  // then pattern 5 with track 2's negative sound
    // Pattern 5 plays all of its 32 steps from its first: silence after its first hit, then its
    // step 16 at song step 32.
    EXPECT_EQ(leftAt(88200 + 40000), 0);
    EXPECT_LT(leftAt(176400 + 5000), 0);
    EXPECT_EQ(test::stateOf(*drums).playMode, 2);
    EXPECT_EQ(test::stateOf(*drums).currentPattern, 9);
    EXPECT_EQ(test::stateOf(*drums).offlineRender.load(), 0);
}

TEST_F(AudioExport, WithNothingChainedTheCurrentPatternIsExported) {
    test::stateOf(*drums).playMode = 1;
    test::stateOf(*drums).patternSteps[3] = 8;
    test::stateOf(*drums).currentPattern = 3;
    const std::string out = folder / "unchained.wav";
    ASSERT_EQ(exportAudioFile(*drums, out), 0);
    EXPECT_EQ(readWave(out).samples.size(), 44100u * 2);
    EXPECT_EQ(test::stateOf(*drums).currentPattern, 3);
}

// The fade applies to a block that starts with fewer than 2000 frames to go, and the gain shrinks
// once per active track and sample.
TEST_F(AudioExport, ABlockStartingWithinTheLastTwoThousandFramesFadesOut) {
    test::stateOf(*drums).playMode = 0;
    test::stateOf(*drums).patternSteps[0] = 15;  // 82687 frames: the last block starts 767 frames before the end
    giveTrackConstantSound(*drums, 0, 16384, 200000);
    test::stateOf(*drums).patterns[0].stepVelocity[0][0] = 127.0f;
    const std::string out = folder / "fade.wav";
    ASSERT_EQ(exportAudioFile(*drums, out), 0);
    const WaveFile wave = readWave(out);
    ASSERT_EQ(wave.samples.size(), 82687u * 2);
    const std::size_t lastBlock = 82687 - 767;
    const std::int16_t held = wave.samples[2 * (lastBlock - 1)];
    EXPECT_GT(held, 8000);
    EXPECT_EQ(wave.samples[2 * (lastBlock - 1000)], held);
    EXPECT_EQ(wave.samples[2 * lastBlock], held);
    for (std::size_t k : {1u, 2u, 10u, 100u}) {
        const double expected = held * std::pow(0.995, 12.0 * static_cast<double>(k));
        EXPECT_NEAR(wave.samples[2 * (lastBlock + k)], expected, 2.0) << k;
    }
}

TEST_F(AudioExport, ASixteenStepExportEndsWithoutAFade) {
    test::stateOf(*drums).playMode = 0;
    giveTrackConstantSound(*drums, 0, 16384, 200000);
    test::stateOf(*drums).patterns[0].stepVelocity[0][0] = 127.0f;
    const std::string out = folder / "nofade.wav";
    ASSERT_EQ(exportAudioFile(*drums, out), 0);
    const WaveFile wave = readWave(out);
    ASSERT_EQ(wave.samples.size(), 88200u * 2);
    // Its last block starts 2184 frames before the end, so the file ends at full level.
    EXPECT_GT(wave.samples[2 * 88199], 8000);
    EXPECT_EQ(wave.samples[2 * 88199], wave.samples[2 * 80000]);
}

// fixture-delay in an insert holds the master back 300 frames and says so: the export drops
// them, and the file is the one exported without it, the fade of the last frames included.
TEST_F(AudioExport, AnInsertsLatencyIsTakenOffTheStartSoTheFileKeepsTheBeat) {
    test::stateOf(*drums).playMode = 0;
    // 55125 frames: the last block starts 1877 frames before the pattern's end, and so fades,
    // and 2177 frames before the file's end.
    test::stateOf(*drums).patternSteps[0] = 10;
    giveTrackConstantSound(*drums, 0, 16384, 30000);
    test::stateOf(*drums).patterns[0].stepVelocity[0][0] = 127.0f;
    test::stateOf(*drums).patterns[0].stepVelocity[0][8] = 100.0f;
    const std::string dry = folder / "dry.wav";
    // The first export after the instrument is made starts its first hit 3 frames later than
    // every later one; both files compared come after it.
    ASSERT_EQ(exportAudioFile(*drums, dry), 0);
    ASSERT_EQ(exportAudioFile(*drums, dry), 0);
    ASSERT_TRUE(drums->selectEffect(2, fixturePluginPath("fixture-delay")).ok());
    ASSERT_EQ(drums->masterLatency(), 300);
    const std::string delayed = folder / "delayed.wav";
    ASSERT_EQ(exportAudioFile(*drums, delayed), 0);

    const WaveFile plain = readWave(dry);
    const WaveFile late = readWave(delayed);
    ASSERT_EQ(late.samples.size(), 55125u * 2);
    const auto firstSound = [](const WaveFile& wave) {
        return (std::find_if(wave.samples.begin(), wave.samples.end(), [](std::int16_t x) { return x != 0; }) -
                wave.samples.begin()) /
               2;
    };
    EXPECT_LT(firstSound(late), 4) << "the first hit sounds at the start";
    EXPECT_EQ(firstSound(late), firstSound(plain));
    EXPECT_TRUE(late.samples == plain.samples);
}

TEST_F(AudioExport, VoicesKeepTheirSoundsAfterAnExport) {
    giveTrackConstantSound(*drums, 4, 1000, 100);
    ASSERT_EQ(exportAudioFile(*drums, folder / "keep.wav"), 0);
    EXPECT_EQ(test::stateOf(*drums).voices[4].soundIndex, 0);
    EXPECT_EQ(test::stateOf(*drums).voices[4].position, -1.0f);
}

// What an export changes when it runs: the sequencer's place, the voices, the waiting notes and
// (through pattern starts) the random keystrokes.
struct ExportTouches {
    std::int32_t playMode;
    std::int32_t currentPattern;
    std::int32_t playingPattern;
    float voicePosition;
    std::size_t pendingEvents;
    StepRow<float> randomHit;
    std::int32_t offlineRender;

    static ExportTouches of(const VornDrums& drums) {
        return {test::stateOf(drums).playMode,
                test::stateOf(drums).currentPattern,
                test::stateOf(drums).playingPattern,
                test::stateOf(drums).voices[0].position,
                test::stateOf(drums).pendingEvents.size(),
                test::stateOf(drums).patterns[0].randomHit,
                test::stateOf(drums).offlineRender.load()};
    }
    bool operator==(const ExportTouches&) const = default;
};

TEST_F(AudioExport, ATargetThatCannotBeCreatedIsRefusedBeforeAnythingChanges) {
    std::filesystem::create_directories(folder / "taken.wav");
    const std::string targets[] = {folder / "missing-folder/out.wav", folder / "taken.wav", ""};
    test::stateOf(*drums).playMode = 2;
    test::stateOf(*drums).chainEnabled[4] = 1;
    test::stateOf(*drums).currentPattern = 7;
    test::stateOf(*drums).playingPattern = 3;
    test::stateOf(*drums).randomAuto = 1;
    test::stateOf(*drums).tracks.randomMinDensity[0] = 6.0f;  // every pattern start would place keystrokes
    test::stateOf(*drums).patterns[0].randomHit[5] = 1.0f;
    giveTrackConstantSound(*drums, 0, 1000, 100000);
    test::stateOf(*drums).voices[0].position = 123.0f;
    test::stateOf(*drums).pendingEvents.append(
        {.countdown = 500, .status = 0x90, .data1 = 36, .data2 = 100, .fromSequencer = 1});
    const ExportTouches before = ExportTouches::of(*drums);
    for (const std::string& target : targets) {
        SCOPED_TRACE(target);
        EXPECT_EQ(exportAudioFile(*drums, target), -1);
        EXPECT_TRUE(ExportTouches::of(*drums) == before);
    }
    EXPECT_TRUE(std::filesystem::is_directory(folder / "taken.wav"));
    EXPECT_FALSE(std::filesystem::exists(folder / "missing-folder"));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path()), {}), 1)
        << "no temporary file is left behind";
}

TEST_F(AudioExport, TheHostsBlocksAreSilentWhileTheExportRuns) {
    test::stateOf(*drums).offlineRender = 1;
    std::vector<std::vector<float>> buffers(18, std::vector<float>(32, 0.25f));
    float* outputs[18];
    for (int c = 0; c < 18; ++c)
        outputs[c] = buffers[static_cast<std::size_t>(c)].data();
    drums->processReplacing(nullptr, outputs, 32);
    for (const auto& channel : buffers)
        for (float x : channel)
            ASSERT_EQ(x, 0.0f);
}

}  // namespace
}  // namespace rimba::test
