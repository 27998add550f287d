// The factory library the build makes, checked with the instrument's own readers and loaders:
// every sound, kit, pattern set and program loads, and each holds what a musician expects.

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "plugin/core/PatternSets.h"
#include "plugin/core/VornDrums.h"
#include "plugin/files/SoundReader.h"
#include "tests/support/Environment.h"
#include "tests/support/UniqueFolder.h"
#include "tests/support/InstrumentProbe.h"

namespace rimba::test {
namespace {

const std::string kLibrary = RIMBA_FACTORY_LIBRARY;

constexpr std::array<const char*, 12> kSoundNames{"Kick",    "Snare",   "Rim",      "Clap",  "Closed Hat", "Open Hat",
                                                  "Low Tom", "Mid Tom", "High Tom", "Crash", "Ride",       "Cowbell"};

// The instruments made here must not read or write a developer's settings store or library.
struct PrivateHome {
    std::string root = makeUniqueFolder("rimba-factory-test");
    ScopedEnvironmentVariable config{"XDG_CONFIG_HOME", below(root, "config")};
    ScopedEnvironmentVariable data{"XDG_DATA_HOME", below(root, "data")};
    ~PrivateHome() {
        std::error_code ignored;
        std::filesystem::remove_all(root, ignored);
    }
};
const PrivateHome privateHome;

VstIntPtr quietHost(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float) {
    return opcode == audioMasterVersion ? kVstVersion : 0;
}

// A twelve-track instrument in a host whose library folder is the factory library, as the
// user's is once the library has been copied there.
std::unique_ptr<VornDrums> instrumentOnTheFactoryLibrary() {
    return std::make_unique<VornDrums>(quietHost, [](InstrumentSettings& settings, bool) {
        settings = InstrumentSettings{};
        settings.filesPath = kLibrary;
        return false;
    });
}

std::string soundFile(const char* name) { return below(kLibrary, std::string("Samples/") + name + ".wav"); }

double decibels(double fraction) { return 20.0 * std::log10(fraction); }

double rms(const std::vector<std::int16_t>& samples, std::size_t from, std::size_t to) {
    double sum = 0.0;
    for (std::size_t i = from; i < to; ++i)
        sum += static_cast<double>(samples[i]) * samples[i];
    return std::sqrt(sum / static_cast<double>(std::max<std::size_t>(1, to - from)));
}

// Sign changes per second: a rough measure of how bright a sound is.
double crossingsPerSecond(const Sound& sound) {
    int crossings = 0;
    for (std::size_t i = 1; i < sound.samples.size(); ++i)
        crossings += (sound.samples[i - 1] < 0) != (sound.samples[i] < 0);
    return crossings * sound.sampleRate / static_cast<double>(sound.samples.size());
}

Sound readSound(const char* name) {
    rimba::Result<Sound> sound = loadSoundFile(soundFile(name));
    if (!sound) {
        ADD_FAILURE() << "the sound reader refuses " << name << ": " << sound.reason();
        return Sound{};
    }
    return *sound;
}

std::string trackSoundPath(const VornDrums& drums, int track) {
    return soundPathText(test::stateOf(drums).tracks.soundPath[static_cast<std::size_t>(track)]);
}

void expectEveryTrackPlaysItsFactorySound(const VornDrums& drums) {
    for (int t = 0; t < 12; ++t) {
        const auto i = static_cast<std::size_t>(t);
        EXPECT_EQ(trackSoundPath(drums, t), soundFile(kSoundNames[i])) << "track " << t;
        const Sound* sound = test::stateOf(drums).voiceSound(test::stateOf(drums).voices[i]);
        ASSERT_NE(sound, nullptr) << "track " << t;
        EXPECT_EQ(sound->frameCount, readSound(kSoundNames[i]).frameCount) << "track " << t;
    }
}

int hitsIn(const VornDrums& drums, int pattern) {
    int hits = 0;
    for (int t = 0; t < test::stateOf(drums).trackCount; ++t)
        for (const float velocity :
             test::stateOf(drums).patterns[static_cast<std::size_t>(t)].stepVelocity[static_cast<std::size_t>(pattern)])
            hits += velocity != 0.0f;
    return hits;
}

float velocityAt(const VornDrums& drums, int track, int pattern, int step) {
    return test::stateOf(drums)
        .patterns[static_cast<std::size_t>(track)]
        .stepVelocity[static_cast<std::size_t>(pattern)][static_cast<std::size_t>(step)];
}

TEST(FactorySounds, TwelveSoundsOfUnderASecondAt44100HzLoadWithTheSoundReader) {
    for (const char* name : kSoundNames) {
        const Sound sound = readSound(name);
        EXPECT_EQ(sound.sampleRate, 44100.0f) << name;
        EXPECT_GT(sound.frameCount, 4410) << name;  // none is a mere click
        EXPECT_LT(sound.frameCount, 44100) << name;
    }
}

TEST(FactorySounds, PeakBetweenOneAndThreeDecibelsBelowFullScale) {
    for (const char* name : kSoundNames) {
        const Sound sound = readSound(name);
        int peak = 0;
        for (const std::int16_t s : sound.samples)
            peak = std::max(peak, std::abs(static_cast<int>(s)));
        const double db = decibels(peak / 32768.0);
        EXPECT_GE(db, -3.05) << name;
        EXPECT_LE(db, -0.95) << name;
    }
}

TEST(FactorySounds, StartAndEndAtSilenceAndDecayInBetween) {
    for (const char* name : kSoundNames) {
        const Sound sound = readSound(name);
        ASSERT_GT(sound.samples.size(), 100u) << name;
        EXPECT_LE(std::abs(sound.samples.front()), 33) << name;  // 0.1% of full scale
        EXPECT_LE(std::abs(sound.samples.back()), 33) << name;
        const std::size_t tenth = sound.samples.size() / 10;
        EXPECT_LT(rms(sound.samples, sound.samples.size() - tenth, sound.samples.size()),
                  rms(sound.samples, 0, tenth) / 4.0)
            << name;
    }
}

TEST(FactorySounds, DrumsGetBrighterFromKickAndTomsToSnareToHatsAndCrash) {
    const double snare = crossingsPerSecond(readSound("Snare"));
    for (const char* dark : {"Kick", "Low Tom", "Mid Tom", "High Tom"})
        EXPECT_LT(crossingsPerSecond(readSound(dark)), snare / 4.0) << dark;
    for (const char* bright : {"Closed Hat", "Open Hat", "Crash"})
        EXPECT_GT(crossingsPerSecond(readSound(bright)), snare) << bright;
    // The ride's bell partials lie a few kilohertz up, far above any drum's body.
    EXPECT_GT(crossingsPerSecond(readSound("Ride")), 10.0 * crossingsPerSecond(readSound("High Tom")));
}

TEST(FactoryKits, BothKitsLoadAndGiveEveryTrackItsFactorySound) {
    for (const char* kit : {"Default", "RimbaRand"}) {
        SCOPED_TRACE(kit);
        auto drums = instrumentOnTheFactoryLibrary();
        ASSERT_TRUE(drums->loadKit(below(kLibrary, "Drum Kits/" + std::string(kit) + ".drs")));
        expectEveryTrackPlaysItsFactorySound(*drums);
    }
}

TEST(FactoryKits, DefaultIsPlainAndRimbaRandRetunedSpreadAndEqualised) {
    auto plain = instrumentOnTheFactoryLibrary();
    auto rand = instrumentOnTheFactoryLibrary();
    ASSERT_TRUE(plain->loadKit(below(kLibrary, "Drum Kits/Default.drs")));
    ASSERT_TRUE(rand->loadKit(below(kLibrary, "Drum Kits/RimbaRand.drs")));
    int retuned = 0;
    int equalised = 0;
    int panned = 0;
    for (std::size_t t = 0; t < 12; ++t) {
        EXPECT_EQ(test::stateOf(*plain).tracks.tune[t], 0.0f) << t;
        EXPECT_EQ(test::stateOf(*plain).tracks.eqOnSample[t], 0.0f) << t;
        retuned += test::stateOf(*rand).tracks.tune[t] != 0.0f;
        equalised += test::stateOf(*rand).tracks.eqOnSample[t] != 0.0f;
        panned += std::fabs(test::stateOf(*rand).tracks.pan[t] - 0.5f) >
                  std::fabs(test::stateOf(*plain).tracks.pan[t] - 0.5f);
    }
    EXPECT_GE(retuned, 6);
    EXPECT_GE(equalised, 6);
    EXPECT_GE(panned, 6);
    // The open hat is cut off by the closed one in both kits.
    for (const VornDrums* drums : {plain.get(), rand.get()}) {
        EXPECT_NE(test::stateOf(*drums).tracks.choke[4], 0.0f);
        EXPECT_NE(test::stateOf(*drums).tracks.choke[5], 0.0f);
    }
}

TEST(FactoryPatterns, SixteenChainedTwoBarGroovesWithSwing) {
    auto drums = instrumentOnTheFactoryLibrary();
    ASSERT_EQ(*loadPatternSet(test::stateOf(*drums), below(kLibrary, "Patterns/Rimbastyle.ptn")), 16);
    EXPECT_GT(test::stateOf(*drums).swing, 0);
    EXPECT_EQ(test::stateOf(*drums).playMode, 1);
    for (int p = 0; p < kPatternCount; ++p) {
        EXPECT_EQ(test::stateOf(*drums).patternSteps[static_cast<std::size_t>(p)], 32) << p;
        EXPECT_NE(test::stateOf(*drums).chainEnabled[static_cast<std::size_t>(p)], 0) << p;
        EXPECT_GE(hitsIn(*drums, p), 16) << p;
        EXPECT_NE(velocityAt(*drums, 0, p, 0), 0.0f) << "every groove starts on the kick: " << p;
    }
}

TEST(FactoryPatterns, BackbeatsGhostNotesAndRolledFills) {
    auto drums = instrumentOnTheFactoryLibrary();
    ASSERT_EQ(*loadPatternSet(test::stateOf(*drums), below(kLibrary, "Patterns/Rimbastyle.ptn")), 16);
    // Rock: the snare on beats two and four of both bars.
    for (const int step : {4, 12, 20, 28})
        EXPECT_NE(velocityAt(*drums, 1, 1, step), 0.0f) << step;
    // Funk: ghost notes well below the backbeat.
    EXPECT_GT(velocityAt(*drums, 1, 4, 4), 100.0f);
    EXPECT_GT(velocityAt(*drums, 1, 4, 7), 0.0f);
    EXPECT_LT(velocityAt(*drums, 1, 4, 7), 50.0f);
    // House: four on the floor.
    for (int step = 0; step < 32; step += 4)
        EXPECT_NE(velocityAt(*drums, 0, 10, step), 0.0f) << step;
    int rolledPatterns = 0;
    for (int p = 0; p < kPatternCount; ++p) {
        bool rolled = false;
        for (int t = 0; t < test::stateOf(*drums).trackCount; ++t)
            for (const float roll :
                 test::stateOf(*drums).patterns[static_cast<std::size_t>(t)].stepRoll[static_cast<std::size_t>(p)])
                rolled = rolled || roll > 0.0f;
        rolledPatterns += rolled;
    }
    EXPECT_GE(rolledPatterns, 4);
}

TEST(FactoryProgram, LoadsTheRimbaRandKitAndTheRimbastyleSongInChainPlay) {
    auto program = instrumentOnTheFactoryLibrary();
    ASSERT_TRUE(program->loadProgramFile(below(kLibrary, "Programs/RimbaRand.fxp")));
    expectEveryTrackPlaysItsFactorySound(*program);
    EXPECT_EQ(test::stateOf(*program).playMode, 1);
    EXPECT_GE(test::stateOf(*program).tempo, 80);
    EXPECT_LE(test::stateOf(*program).tempo, 130);

    auto kit = instrumentOnTheFactoryLibrary();
    ASSERT_TRUE(kit->loadKit(below(kLibrary, "Drum Kits/RimbaRand.drs")));
    auto set = instrumentOnTheFactoryLibrary();
    ASSERT_EQ(*loadPatternSet(test::stateOf(*set), below(kLibrary, "Patterns/Rimbastyle.ptn")), 16);
    for (std::size_t t = 0; t < 12; ++t) {
        EXPECT_EQ(test::stateOf(*program).tracks.level[t], test::stateOf(*kit).tracks.level[t]) << t;
        EXPECT_EQ(test::stateOf(*program).tracks.tune[t], test::stateOf(*kit).tracks.tune[t]) << t;
        EXPECT_EQ(test::stateOf(*program).tracks.pan[t], test::stateOf(*kit).tracks.pan[t]) << t;
        EXPECT_EQ(test::stateOf(*program).patterns[t].stepVelocity, test::stateOf(*set).patterns[t].stepVelocity) << t;
        EXPECT_EQ(test::stateOf(*program).patterns[t].stepRoll, test::stateOf(*set).patterns[t].stepRoll) << t;
    }
    EXPECT_EQ(test::stateOf(*program).patternSteps, test::stateOf(*set).patternSteps);
    EXPECT_EQ(test::stateOf(*program).chainEnabled, test::stateOf(*set).chainEnabled);
    EXPECT_EQ(test::stateOf(*program).swing, test::stateOf(*set).swing);

    // Random keystrokes belong to the patterns, so the program carries the kit's densities: a
    // few tracks ready to play random hits once the random layer is switched on.
    int randomised = 0;
    for (std::size_t t = 0; t < 12; ++t)
        randomised += test::stateOf(*program).tracks.randomMaxDensity[t] >= 0.0f;
    EXPECT_GE(randomised, 3);
    EXPECT_EQ(test::stateOf(*program).randomAuto, 0);
}

}  // namespace
}  // namespace rimba::test
