// AudioOutput playing through the fixture ASIO driver, loaded as every driver is (the registry,
// COM): the driver logs every call the host makes and records what the host wrote into its
// output buffers, while a fake plug-in plays a known cycle of samples, some beyond full scale
// (and once the instrument itself plays its song).
// The drivers are registered once for the whole program, before the program's catalog is built;
// each test sets what the driver answers through its class's registry values.

#include "StandAlone/devices/AudioDevice.h"
#include "StandAlone/devices/AudioOutput.h"
#include "StandAlone/devices/win32/AsioSampleConversion.h"
#include "StandAlone/devices/win32/WindowsDevices.h"
#include "common/platform/AsioDrivers.h"
#include "common/platform/DeviceNames.h"
#include "tests/StandAlone/asio/FixtureAsioDriver.h"
#include "tests/StandAlone/devices/FakePlugin.h"
#include "tests/StandAlone/devices/PlayingInstrument.h"

#include "common/platform/win32/Windows.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace rimba::standalone {
namespace {

using namespace rimba::test;
using ::testing::ElementsAreArray;

constexpr const char* kPlayingName = "Rimba Playing Fixture";
constexpr const char* kTwinName = "Rimba twin driver: the same long name!!!";  // 40 characters
constexpr const char* kTwinListed = "Rimba twin driver: the same ...";
constexpr const char* kMissingFileClassIdText = "{6E3F1C52-9A0B-4D7E-8C21-5B4A3F907D1A}";
constexpr const char* kUnregisteredClassIdText = "{6E3F1C52-9A0B-4D7E-8C21-5B4A3F907D1B}";

struct Registration {
    const char* keyName;
    const char* classIdText;
    const char* description;
};

const Registration kRegistrations[] = {
    {"Rimba Playing", kPlayingFixtureAsioClassIdText, kPlayingName},
    {"Rimba Twin A", kPlayingFixtureAsioClassIdText, kTwinName},
    {"Rimba Twin B", kPlayingFixtureAsioClassIdText, kTwinName},
    // Neither has a server file, so neither is an installed driver.
    {"Rimba Missing File", kMissingFileClassIdText, "Rimba Missing File"},
    {"Rimba Unregistered Class", kUnregisteredClassIdText, "Rimba Unregistered Class"},
};

std::string windowsPath(std::string path) {
    if (!path.empty() && path.front() == '/')
        path = "Z:" + path;
    std::replace(path.begin(), path.end(), '/', '\\');
    return path;
}

std::string classKey(const char* classIdText) { return std::string("CLSID\\") + classIdText; }

void setString(HKEY root, const std::string& path, const char* name, const std::string& value) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(root, path.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr), ERROR_SUCCESS);
    RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                   static_cast<DWORD>(value.size() + 1));
    RegCloseKey(key);
}

void setNumber(const std::string& path, const char* name, DWORD value) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CLASSES_ROOT, path.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
    RegCloseKey(key);
}

void removeRegistrations() {
    for (const Registration& driver : kRegistrations)
        RegDeleteTreeA(HKEY_LOCAL_MACHINE, (std::string("SOFTWARE\\ASIO\\") + driver.keyName).c_str());
    RegDeleteTreeA(HKEY_CLASSES_ROOT, classKey(kPlayingFixtureAsioClassIdText).c_str());
    RegDeleteTreeA(HKEY_CLASSES_ROOT, classKey(kMissingFileClassIdText).c_str());
}

class RegisteredDrivers : public ::testing::Environment {
public:
    void SetUp() override {
        removeRegistrations();
        for (const Registration& driver : kRegistrations) {
            const std::string key = std::string("SOFTWARE\\ASIO\\") + driver.keyName;
            setString(HKEY_LOCAL_MACHINE, key, "CLSID", driver.classIdText);
            setString(HKEY_LOCAL_MACHINE, key, "Description", driver.description);
        }
        setString(HKEY_CLASSES_ROOT, classKey(kPlayingFixtureAsioClassIdText) + "\\InprocServer32", nullptr,
                  windowsPath(RIMBA_FIXTURE_ASIO_DRIVER));
        setString(HKEY_CLASSES_ROOT, classKey(kMissingFileClassIdText) + "\\InprocServer32", nullptr,
                  windowsPath(RIMBA_FIXTURE_ASIO_DRIVER) + ".gone");
    }
    void TearDown() override { removeRegistrations(); }
};

[[maybe_unused]] ::testing::Environment* const registeredDrivers =
    ::testing::AddGlobalTestEnvironment(new RegisteredDrivers);

// What the playing fixture is told to be for one test.
struct DriverSetup {
    int inputs = 0;
    int outputs = 2;
    asio::SampleType sampleType = asio::sample_type::kInt16LSB;
    int bufferSize = 64;
    int rate = 48000;
    bool failInit = false;
    int blocks = 4;
};

class AsioOutputTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder = std::filesystem::temp_directory_path() / ("rimba-asio-" + std::to_string(GetCurrentProcessId()));
        std::filesystem::create_directories(folder);
        played = CreateEventA(nullptr, TRUE, FALSE, eventName().c_str());
    }
    void TearDown() override {
        CloseHandle(played);
        std::error_code ignored;
        std::filesystem::remove_all(folder, ignored);
    }

    std::string eventName() const { return "RimbaFixtureAsioPlayed" + std::to_string(GetCurrentProcessId()); }
    std::filesystem::path logPath() const { return folder / "calls.txt"; }
    std::filesystem::path recordPath() const { return folder / "record.bin"; }

    void setUpDriver(const DriverSetup& setup) {
        std::filesystem::remove(logPath());
        std::filesystem::remove(recordPath());
        ResetEvent(played);
        const std::string key = classKey(kPlayingFixtureAsioClassIdText);
        setNumber(key, "Inputs", static_cast<DWORD>(setup.inputs));
        setNumber(key, "Outputs", static_cast<DWORD>(setup.outputs));
        setNumber(key, "SampleType", static_cast<DWORD>(setup.sampleType));
        setNumber(key, "BufferSize", static_cast<DWORD>(setup.bufferSize));
        setNumber(key, "SampleRate", static_cast<DWORD>(setup.rate));
        setNumber(key, "FailInit", setup.failInit ? 1 : 0);
        setNumber(key, "Blocks", static_cast<DWORD>(setup.blocks));
        setString(HKEY_CLASSES_ROOT, key, "LogFile", logPath().string());
        setString(HKEY_CLASSES_ROOT, key, "RecordFile", recordPath().string());
        setString(HKEY_CLASSES_ROOT, key, "PlayedEvent", eventName());
    }

    // The fixture's thread has played all its blocks (a bound for a hung driver, not a timing).
    bool waitUntilPlayed() const { return WaitForSingleObject(played, 20000) == WAIT_OBJECT_0; }

    // The calls the host made, without COM's own reference counting on creation (only the last
    // release, which drops the driver, is the host's to make) and without the host's answers to
    // the driver's messages.
    std::vector<std::string> hostCalls() const {
        std::vector<std::string> calls;
        for (const std::string& line : logLines())
            if (!line.starts_with("queryInterface") && !line.starts_with("addRef") &&
                !(line.starts_with("release") && line != "release 0") && !line.starts_with("host message"))
                calls.push_back(line);
        return calls;
    }
    std::vector<std::string> logLines() const {
        std::vector<std::string> lines;
        std::ifstream in(logPath());
        for (std::string line; std::getline(in, line);)
            lines.push_back(line);
        return lines;
    }
    std::vector<std::uint8_t> record() const {
        std::ifstream in(recordPath(), std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }

    std::filesystem::path folder;
    HANDLE played = nullptr;
};

std::vector<std::string> repeated(const std::string& line, int times) {
    return std::vector<std::string>(static_cast<std::size_t>(times), line);
}

std::vector<std::string> joined(std::initializer_list<std::vector<std::string>> parts) {
    std::vector<std::string> all;
    for (const auto& part : parts)
        all.insert(all.end(), part.begin(), part.end());
    return all;
}

TEST_F(AsioOutputTest, PlaysAtTheDriversRateAndSizeWithTheDescribedCallsOnlyAndStopsOnClose) {
    setUpDriver({.inputs = 1, .outputs = 2, .bufferSize = 96, .rate = 48000, .blocks = 3});
    FakePlugin plugin;
    {
        AudioOutput output(plugin.plugin(), nullptr);
        output.open(kPlayingName, 512, 44100);
        ASSERT_TRUE(output.isOpen());
        EXPECT_EQ(output.sampleRate(), 48000);
        EXPECT_EQ(output.blockSize(), 96);
        ASSERT_TRUE(waitUntilPlayed());
        EXPECT_EQ(plugin.blockCount(), 3);
        EXPECT_EQ(plugin.lastBlockFrames(), 96);
        output.close();
    }
    const std::vector<std::string> expected = joined({
        {"init null", "getDriverName", "getDriverVersion", "getChannels", "getBufferSize", "getSampleRate",
         "createBuffers 3 96 in0 out0 out1", "getChannelInfo in 0", "getChannelInfo out 0", "getChannelInfo out 1",
         "start"},
        repeated("getSamplePosition", 3),
        {"stop", "disposeBuffers", "release 0"},
    });
    EXPECT_THAT(hostCalls(), ElementsAreArray(expected));

    // The answers to the driver's messages: the selectors the host supports, the engine version,
    // and a reset request acknowledged without action.
    std::vector<std::string> answers;
    for (const std::string& line : logLines())
        if (line.starts_with("host message"))
            answers.push_back(line);
    EXPECT_THAT(answers,
                ElementsAreArray<std::string>({
                    "host message 1 1 = 0", "host message 1 2 = 1",  "host message 1 3 = 1",  "host message 1 4 = 0",
                    "host message 1 5 = 1", "host message 1 6 = 1",  "host message 1 7 = 1",  "host message 1 8 = 1",
                    "host message 1 9 = 0", "host message 1 10 = 1", "host message 1 11 = 0", "host message 2 0 = 2",
                    "host message 3 0 = 1", "host message 4 0 = 0",  "host message 5 0 = 1",  "host message 6 0 = 1",
                    "host message 7 0 = 1", "host message 8 0 = 0",  "host message 9 0 = 0",
                }));
}

// What the host should have written into output `k` of block `block`: the fake plug-in's left
// channel plays the cycle from where the previous block left it, its right channel one step on.
std::vector<std::uint8_t> expectedBlock(asio::SampleType type, int block, int output, int frames) {
    std::vector<float> samples(static_cast<std::size_t>(frames));
    for (int frame = 0; frame < frames; ++frame)
        samples[static_cast<std::size_t>(frame)] =
            kSignalCycle[static_cast<std::size_t>(block * frames + frame + output) % kSignalCycle.size()];
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(frames * asioSampleBytes(type)));
    writeAsioSamples(type, samples.data(), bytes.data(), frames);
    return bytes;
}

TEST_F(AsioOutputTest, EachSampleTypeReceivesThePluginsTwoChannelsInItsFirstTwoOutputsOnly) {
    namespace st = asio::sample_type;
    struct Case {
        asio::SampleType type;
        int outputs;
    } cases[] = {
        {st::kInt16LSB, 2}, {st::kInt24LSB, 2},   {st::kInt32LSB, 2},   {st::kFloat32LSB, 2}, {st::kInt16MSB, 2},
        {st::kInt32MSB, 2}, {st::kFloat64LSB, 2}, {st::kInt32LSB20, 2}, {st::kInt24LSB, 3},
    };
    constexpr int kFrames = 64;  // not a multiple of the cycle, so every block starts elsewhere in it
    constexpr int kBlocks = 4;
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "type " << c.type << ", outputs " << c.outputs);
        setUpDriver({.outputs = c.outputs, .sampleType = c.type, .bufferSize = kFrames, .blocks = kBlocks});
        FakePlugin plugin;
        AudioOutput output(plugin.plugin(), nullptr);
        output.open(kPlayingName, 512, 44100);
        ASSERT_TRUE(output.isOpen());
        ASSERT_TRUE(waitUntilPlayed());
        output.close();

        const std::size_t half = static_cast<std::size_t>(kFrames * asioSampleBytes(c.type));
        const std::vector<std::uint8_t> recorded = record();
        ASSERT_EQ(recorded.size(), half * kBlocks * static_cast<std::size_t>(c.outputs));
        auto at = recorded.begin();
        for (int block = 0; block < kBlocks; ++block)
            for (int k = 0; k < c.outputs; ++k, at += static_cast<long>(half)) {
                const std::vector<std::uint8_t> written(at, at + static_cast<long>(half));
                if (k < 2)
                    EXPECT_EQ(written, expectedBlock(c.type, block, k, kFrames))
                        << "block " << block << " output " << k;
                else
                    EXPECT_EQ(written, std::vector<std::uint8_t>(half, kFixtureAsioUntouchedByte)) << "output " << k;
            }
    }
}

// The instrument itself (PlayingInstrument.h) through a driver: the driver's outputs receive the
// factory song, its hits on the song's sixteenths.
TEST_F(AsioOutputTest, TheInstrumentPlaysItsSongIntoTheDriversOutputs) {
    constexpr int kFrames = 512;
    constexpr int kBlocks = 4 * 44100 / kFrames;  // four seconds: two bars
    setUpDriver({.sampleType = asio::sample_type::kInt16LSB, .bufferSize = kFrames, .rate = 44100, .blocks = kBlocks});
    test::PlayingInstrument playing;
    AEffect* instrument = playing.start();
    ASSERT_NE(instrument, nullptr);
    {
        AudioOutput output(instrument, nullptr);
        output.open(kPlayingName, 1024, 44100);
        ASSERT_TRUE(output.isOpen());
        ASSERT_TRUE(waitUntilPlayed());
    }
    // Each block's record is its left output, then its right, each a run of 16-bit samples.
    const std::vector<std::uint8_t> recorded = record();
    const std::size_t half = 2 * kFrames;
    ASSERT_EQ(recorded.size(), 2 * half * kBlocks);
    const auto sampleAt = [&](std::size_t at) {
        return static_cast<std::int16_t>(recorded[at] | recorded[at + 1] << 8);
    };
    std::vector<std::int16_t> interleaved;
    for (std::size_t block = 0; block < kBlocks; ++block)
        for (std::size_t frame = 0; frame < kFrames; ++frame) {
            interleaved.push_back(sampleAt(block * 2 * half + 2 * frame));
            interleaved.push_back(sampleAt(block * 2 * half + half + 2 * frame));
        }
    test::expectHitsOnTheSongsSixteenths(test::hitOnsets(interleaved));
}

TEST_F(AsioOutputTest, ADsdDriverPlaysButReceivesNothing) {
    constexpr asio::SampleType kDsdInt8Lsb1 = 32;
    setUpDriver({.sampleType = kDsdInt8Lsb1, .bufferSize = 64, .blocks = 2});
    FakePlugin plugin;
    AudioOutput output(plugin.plugin(), nullptr);
    output.open(kPlayingName, 512, 44100);
    ASSERT_TRUE(output.isOpen());
    ASSERT_TRUE(waitUntilPlayed());
    output.close();
    EXPECT_EQ(plugin.blockCount(), 2);
    EXPECT_EQ(record(), std::vector<std::uint8_t>(64 * 2 * 2, kFixtureAsioUntouchedByte));
}

TEST_F(AsioOutputTest, ADriverWithMoreChannelsThanTheTablesKeepsItsOutputsAndLosesInputs) {
    setUpDriver({.inputs = 70, .outputs = 3, .blocks = 0});
    FakePlugin plugin;
    AudioOutput output(plugin.plugin(), nullptr);
    output.open(kPlayingName, 512, 44100);
    ASSERT_TRUE(output.isOpen());
    output.close();
    std::string table = "createBuffers 64 64";
    for (int input = 0; input < 61; ++input)
        table += " in" + std::to_string(input);
    table += " out0 out1 out2";
    const std::vector<std::string> calls = hostCalls();
    EXPECT_THAT(calls, ::testing::Contains(table));
    const auto asksChannelInfo = [](const std::string& line) { return line.starts_with("getChannelInfo"); };
    EXPECT_EQ(std::count_if(calls.begin(), calls.end(), asksChannelInfo), 64);
}

TEST_F(AsioOutputTest, ADriverThatFailsToInitialiseIsReleasedAndNothingOpens) {
    setUpDriver({.failInit = true});
    FakePlugin plugin;
    AudioOutput output(plugin.plugin(), nullptr);
    EXPECT_EQ(openAsioOutput(output, kPlayingName), nullptr);
    EXPECT_THAT(hostCalls(), ElementsAreArray<std::string>({"init null", "getErrorMessage", "release 0"}));

    // The driver is no longer loaded: a driver that works opens next.
    setUpDriver({.blocks = 0});
    EXPECT_NE(openAsioOutput(output, kPlayingName), nullptr);
}

// The program's output then plays through wave-out (the test's home makes the wave mapper a
// capture file), at the plug-in's own rate and block size.
TEST_F(AsioOutputTest, ADriverThatFailsToInitialiseLeavesTheOutputToWaveOut) {
    setUpDriver({.failInit = true});
    FakePlugin plugin;
    AudioOutput output(plugin.plugin(), nullptr);
    output.open(kPlayingName, 512, 44100);
    EXPECT_TRUE(output.isOpen());
    EXPECT_EQ(output.sampleRate(), 44100);
    EXPECT_EQ(output.blockSize(), 512);
    EXPECT_THAT(hostCalls(), ElementsAreArray<std::string>({"init null", "getErrorMessage", "release 0"}));
}

TEST_F(AsioOutputTest, ASecondDriverDoesNotOpenWhileOnePlays) {
    setUpDriver({.blocks = 0});
    FakePlugin plugin;
    AudioOutput first(plugin.plugin(), nullptr), second(plugin.plugin(), nullptr);
    first.open(kPlayingName, 512, 44100);
    ASSERT_TRUE(first.isOpen());
    EXPECT_EQ(openAsioOutput(second, kTwinListed), nullptr);
    first.close();
    const std::vector<std::string> calls = hostCalls();
    ASSERT_GE(calls.size(), 3u);
    // The playing driver was stopped by its own close only, and released once.
    EXPECT_THAT(std::vector<std::string>(calls.end() - 3, calls.end()),
                ElementsAreArray<std::string>({"stop", "disposeBuffers", "release 0"}));
    EXPECT_EQ(std::count(calls.begin(), calls.end(), "init null"), 1);
}

TEST_F(AsioOutputTest, DriversAreListedAfterTheWaveOutDevicesUnderTheirListedNamesWhenTheirServerExists) {
    const std::vector<std::string> asio = asioDriverNames();
    EXPECT_EQ(std::count(asio.begin(), asio.end(), kTwinListed), 2);
    EXPECT_EQ(std::count(asio.begin(), asio.end(), kPlayingName), 1);
    for (const char* broken : {"Rimba Missing File", "Rimba Unregistered Class"})
        EXPECT_EQ(std::count(asio.begin(), asio.end(), broken), 0) << broken;

    const std::vector<std::string> menu = platform::audioOutputDeviceNames();
    const std::vector<std::string> waveOut = platform::systemAudioOutputDeviceNames();
    ASSERT_GE(menu.size(), waveOut.size() + 3);
    EXPECT_TRUE(std::equal(waveOut.begin(), waveOut.end(), menu.begin()));
    const std::vector<std::string> drivers(menu.begin() + static_cast<long>(waveOut.size()), menu.end());
    EXPECT_EQ(drivers, asio);

    // The twins open by the name both are listed under: the first of them.
    setUpDriver({.blocks = 0});
    FakePlugin plugin;
    AudioOutput output(plugin.plugin(), nullptr);
    EXPECT_NE(openAsioOutput(output, kTwinListed), nullptr);
}

TEST_F(AsioOutputTest, TheMenuListsEightDriversAtMost) {
    std::vector<std::string> extraKeys;
    for (int extra = 0; extra < 8; ++extra) {
        extraKeys.push_back("SOFTWARE\\ASIO\\Rimba Extra " + std::to_string(extra));
        setString(HKEY_LOCAL_MACHINE, extraKeys.back(), "CLSID", kPlayingFixtureAsioClassIdText);
    }
    const std::vector<std::string> listed = platform::listedAsioDriverNames();
    const std::size_t waveOut = platform::systemAudioOutputDeviceNames().size();
    const std::size_t menu = platform::audioOutputDeviceNames().size();
    for (const std::string& key : extraKeys)
        RegDeleteTreeA(HKEY_LOCAL_MACHINE, key.c_str());
    EXPECT_EQ(listed.size(), 8u);
    EXPECT_EQ(menu, waveOut + 8);
}

}  // namespace
}  // namespace rimba::standalone
