// The effect libraries a host's chunk names, through effSetChunk on the built plug-in: a library
// outside the effects folder and the standard plug-in folders is never opened (fixture-marker
// leaves a file behind the moment its library is loaded), the slot stays empty and the refusal
// goes to standard error; the same library inside the effects folder loads.

#include <gtest/gtest.h>

#include <bit>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/host/HostChunks.h"
#include "tests/host/TestHost.h"
#include "tests/plugins/FixturePlugins.h"

namespace rimba::test {
namespace {

using namespace rimba::chunk_test;

const std::string kMarkerLibrary = std::string("fixture-marker") + RIMBA_LIBRARY_EXTENSION;
constexpr std::size_t kTail = kHeader + kTracks * kTrack;
// fixture-marker keeps one program of one parameter: its name in 32 bytes, the value big-endian.
constexpr std::int32_t kMarkerState = 36;

// The whole state with send 1 holding fixture-marker, named by `path` as a block stores it.
std::vector<std::uint8_t> blockNamingEffect(const std::string& path) {
    Block block(stateBlock());
    block.text(kTail + kTailEffectPaths, path);
    block.i32(kTail + kTailEffectEntries, kMarkerState);
    block.i32(kTail + kTailEffectEnabled, 1);
    Block state(static_cast<std::size_t>(kMarkerState));
    state.text(0, "Unity");
    state.be32(32, std::bit_cast<std::uint32_t>(0.5f));
    block.append(state.bytes);
    fixSize(block);
    return block.bytes;
}

class EffectLibraryPlacesHost : public HostWithLibrary {
protected:
    void SetUp() override {
        HostWithLibrary::SetUp();
        std::filesystem::create_directories(effects);
        std::filesystem::create_directories(elsewhere);
        std::filesystem::copy_file(fixturePluginPath("fixture-marker"), below(elsewhere, kMarkerLibrary));
        // The effects folder as the musician set it, read when the instrument is made.
        ASSERT_TRUE(settings::SettingsStore("RimbaDrums_64").writeText("Settings", "EffectPath", effects));
        instrument = plugin.create();
        ASSERT_NE(instrument, nullptr);
    }
    void TearDown() override {
        if (instrument != nullptr)
            closeEffect(instrument);
        HostWithLibrary::TearDown();
    }

    // What effSetChunk answered and wrote to standard error.
    std::pair<VstIntPtr, std::string> giveReporting(const std::vector<std::uint8_t>& block) {
        ::testing::internal::CaptureStderr();
        const VstIntPtr taken = give(instrument, block);
        return {taken, ::testing::internal::GetCapturedStderr()};
    }
    std::string sendOnePath() { return textAt(chunkOf(instrument), kTail + kTailEffectPaths, 256); }
    std::int32_t sendOneStateSize() { return i32At(chunkOf(instrument), kTail + kTailEffectEntries); }
    bool markerLeft() const { return std::filesystem::exists(marker); }

    std::string effects = home.path() + "/effects";
    std::string elsewhere = home.path() + "/elsewhere";
    std::string marker = home.path() + "/marker.txt";
    ScopedEnvironmentVariable markOnLoad{"RIMBA_FIXTURE_MARKER", marker};
    AEffect* instrument = nullptr;
};

TEST_F(EffectLibraryPlacesHost, AChunkNamingALibraryOutsideThePluginFoldersNeverOpensItAndSaysWhy) {
    const std::string sep(1, platform::pathSeparator());
    for (const std::string& named :
         {below(elsewhere, kMarkerLibrary), ".." + sep + "elsewhere" + sep + kMarkerLibrary}) {
        const auto [taken, report] = giveReporting(blockNamingEffect(named));
        EXPECT_EQ(taken, 1) << named;  // the rest of the program is taken
        EXPECT_FALSE(markerLeft()) << named << ": the library was loaded";
        EXPECT_EQ(sendOneStateSize(), 0) << named;
        EXPECT_EQ(sendOnePath(), "") << named;
        EXPECT_NE(report.find("the effect library is refused"), std::string::npos) << report;
        EXPECT_NE(report.find("outside the effects folder and the standard plug-in folders"), std::string::npos)
            << report;
        EXPECT_NE(report.find(kMarkerLibrary), std::string::npos) << report;
    }

    // The same library put into the effects folder loads as the program names it there.
    std::filesystem::copy_file(below(elsewhere, kMarkerLibrary), below(effects, kMarkerLibrary));
    const auto [taken, report] = giveReporting(blockNamingEffect(kMarkerLibrary));
    EXPECT_EQ(taken, 1);
    EXPECT_TRUE(markerLeft());
    EXPECT_EQ(report, "");
    EXPECT_EQ(sendOnePath(), kMarkerLibrary);
    EXPECT_EQ(sendOneStateSize(), kMarkerState);
}

}  // namespace
}  // namespace rimba::test
