// The standalone program RimbaDrums, run as a process under an X server of its own against a
// fixture plug-in named like the instrument (fixture/StandaloneFixture.cpp), which logs every
// call the program makes; the window is measured with xwininfo and closed the two ways a person
// or a desktop closes it.

#include <dlfcn.h>
#include <gmock/gmock.h>
#include <signal.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <thread>

#include "common/settings/SettingsStore.h"
#include "common/vst/VstAbi.h"
#include "tests/StandAlone/ProgramRun.h"
#include "tests/support/Environment.h"
#include "tests/support/TempFolder.h"

namespace rimba::test {
namespace {

using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::Not;

constexpr const char* kProduct = "RimbaDrums_64";
constexpr long kSignature = 0x35323249;
// The dispatcher opcodes and link indexes as the fixture logs them, in decimal.
constexpr const char* kEffClose = "dispatcher 1 0";
constexpr const char* kEditGetRect = "dispatcher 13 0";

std::string fixtureFolder(const std::string& variant) {
    return std::string(RIMBA_STANDALONE_FIXTURE_DIR) + "/fixture-" + variant;
}

// The main thread's calls only: blocks come from the audio thread at any point between them.
std::vector<std::string> withoutBlocks(const std::vector<std::string>& lines) {
    std::vector<std::string> kept;
    std::copy_if(lines.begin(), lines.end(), std::back_inserter(kept),
                 [](const std::string& line) { return line.rfind("process", 0) != 0 && line.rfind("time ", 0) != 0; });
    return kept;
}

class StandaloneProgram : public ::testing::Test {
protected:
    StandaloneProgram() {
        // ALSA's default device writes into a file, so an output opens on a machine without sound.
        home.makeFile(".asoundrc", "pcm.!default { type file slave.pcm \"null\" file \"" + home / "out.raw" +
                                       "\" format \"raw\" }\n");
        environment["RIMBA_FIXTURE_LOG"] = logPath();
        environment["RIMBA_FIXTURE_LINK"] = linkPath();
        writeLink("rate=44100\nbuffer=512\n");
    }

    void storePluginFolder(const std::string& folder) {
        settings::SettingsStore store(kProduct, home / "config");
        ASSERT_TRUE(store.writeText("Settings", "PluginPath", folder));
    }
    void writeLink(const std::string& text) { home.makeFile("link.txt", text); }
    std::string logPath() const { return home / "fixture.log"; }
    std::string linkPath() const { return home / "link.txt"; }
    std::vector<std::string> log() const { return readLines(logPath()); }
    bool logHas(const std::string& line) const {
        const std::vector<std::string> lines = log();
        return std::find(lines.begin(), lines.end(), line) != lines.end();
    }
    bool audioRunning() const {
        const std::vector<std::string> lines = log();
        return std::any_of(lines.begin(), lines.end(),
                           [](const std::string& l) { return l.rfind("process ", 0) == 0; });
    }

    std::unique_ptr<ProgramRun> start(const std::vector<std::string>& arguments = {}) {
        return std::make_unique<ProgramRun>(home.path(), environment, arguments);
    }

    // Started, shown, and closed again with a close request; the exit status.
    // Closes the window once it is shown and the editor has had its first idle request (the
    // 20 ms timer can come late on a busy machine).
    int runUntilShownThenClose(ProgramRun& program) {
        const std::optional<unsigned long> window = waitForProgramWindow(10);
        EXPECT_TRUE(window) << program.standardError();
        if (window) {
            EXPECT_TRUE(waitUntil([&] { return logHas("dispatcher 19 0"); }));
            sendCloseRequest(*window);
        }
        return program.waitForExit(10000).value_or(-1);
    }

    TempFolder home;
    std::map<std::string, std::string> environment;
};

struct EditorSize {
    const char* name;
    bool small;
    int width, height;
};

class EditorSizes : public StandaloneProgram, public ::testing::WithParamInterface<EditorSize> {};

TEST_P(EditorSizes, ClientAreaHoldsTheEditorAtLeastOneHundredSquareCentredOnTheScreen) {
    storePluginFolder(fixtureFolder("both"));
    if (GetParam().small)
        environment["RIMBA_FIXTURE_SMALL_EDITOR"] = "1";
    auto program = start();
    const std::optional<unsigned long> window = waitForProgramWindow(10);
    ASSERT_TRUE(window) << program->standardError();
    const WindowGeometry geometry = windowGeometry(*window);
    EXPECT_EQ(geometry.width, GetParam().width);
    EXPECT_EQ(geometry.height, GetParam().height);
    // with-xvfb.sh gives a screen of 1280 x 1024.
    EXPECT_EQ(geometry.x, (1280 - GetParam().width) / 2);
    EXPECT_EQ(geometry.y, (1024 - GetParam().height) / 2);
    EXPECT_THAT(commandOutput("xprop -id " + std::to_string(*window) + " WM_CLASS"), HasSubstr("\"STANDALONE\""));
    sendCloseRequest(*window);
    EXPECT_EQ(program->waitForExit(10000), 0);
}

INSTANTIATE_TEST_SUITE_P(Sizes, EditorSizes,
                         ::testing::Values(EditorSize{"SixtyByForty", true, 100, 100},
                                           EditorSize{"Instrument", false, 1005, 642}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(StandaloneProgram, TheWindowCarriesAnOpaqueThirtyTwoPixelIconWithAPictureInIt) {
    storePluginFolder(fixtureFolder("both"));
    auto program = start();
    const std::optional<unsigned long> window = waitForProgramWindow(10);
    ASSERT_TRUE(window) << program->standardError();
    const std::vector<unsigned long> icon = windowIcon(*window);
    sendCloseRequest(*window);
    EXPECT_EQ(program->waitForExit(10000), 0);

    ASSERT_EQ(icon.size(), 2u + 32 * 32);
    EXPECT_EQ(icon[0], 32u);
    EXPECT_EQ(icon[1], 32u);
    const std::vector<unsigned long> pixels(icon.begin() + 2, icon.end());
    EXPECT_TRUE(std::all_of(pixels.begin(), pixels.end(), [](unsigned long pixel) { return pixel >> 24 == 0xFF; }))
        << "every pixel opaque, as a 24-bit icon is";
    std::vector<unsigned long> colours = pixels;
    std::sort(colours.begin(), colours.end());
    colours.erase(std::unique(colours.begin(), colours.end()), colours.end());
    EXPECT_GE(colours.size(), 4u) << "a picture, not a flat tile";
    EXPECT_NE(pixels[0], pixels[16 * 32 + 16]) << "the corner and the centre differ";
}

struct EntryVariant {
    const char* folder;
    const char* entryLine;
};

class EntryPoints : public StandaloneProgram, public ::testing::WithParamInterface<EntryVariant> {};

TEST_P(EntryPoints, TheLibraryLoadsThroughTheEntryPointItExports) {
    storePluginFolder(fixtureFolder(GetParam().folder));
    auto program = start();
    EXPECT_EQ(runUntilShownThenClose(*program), 0) << program->standardError();
    EXPECT_TRUE(logHas(GetParam().entryLine));
}

INSTANTIATE_TEST_SUITE_P(Exports, EntryPoints,
                         ::testing::Values(EntryVariant{"both", "entry VSTPluginMain"},
                                           EntryVariant{"main-only", "entry main"}),
                         [](const auto& info) {
                             return std::string(info.param.folder) == "both" ? std::string("VSTPluginMainFirst")
                                                                             : std::string("MainOnly");
                         });

struct FailedStart {
    const char* name;
    const char* switchName;  // a fixture switch, or null
    bool pluginFound;
    const char* reason;
};

class FailedStarts : public StandaloneProgram, public ::testing::WithParamInterface<FailedStart> {};

TEST_P(FailedStarts, EndWithStatusOneSayingWhyAndNoWindowEverShown) {
    if (GetParam().pluginFound)
        storePluginFolder(fixtureFolder("both"));
    if (GetParam().switchName != nullptr)
        environment[GetParam().switchName] = "1";
    MapWatcher maps;
    auto program = start();
    EXPECT_EQ(program->waitForExit(10000), 1);
    EXPECT_THAT(program->standardError(), HasSubstr(GetParam().reason));
    EXPECT_EQ(maps.mapsSoFar(), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Reasons, FailedStarts,
    ::testing::Values(FailedStart{"PluginWithoutEditor", "RIMBA_FIXTURE_NO_EDITOR", true, "has no editor"},
                      FailedStart{"EditorWithoutRectangle", "RIMBA_FIXTURE_NO_RECT", true, "gave no rectangle"},
                      FailedStart{"NoLibraryAnywhere", nullptr, false, "/.vst/RimbaDrums_64.so"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(StandaloneProgram, AnswersTheSignatureGivesNoTimeBeforeTheOutputAndOpensTheEditorIntoItsOneWindow) {
    storePluginFolder(fixtureFolder("both"));
    MapWatcher maps;
    auto program = start();
    const std::optional<unsigned long> window = waitForProgramWindow(10);
    ASSERT_TRUE(window) << program->standardError();
    sendCloseRequest(*window);
    EXPECT_EQ(program->waitForExit(10000), 0);
    EXPECT_EQ(maps.mapsSoFar(), 1);
    const std::vector<std::string> lines = log();
    EXPECT_THAT(lines, Contains("dispatcher 14 0 window " + std::to_string(*window)));
    EXPECT_THAT(lines, Contains("answer 1 " + std::to_string(kSignature)));
    EXPECT_THAT(lines, Contains("answer 2 " + std::to_string(kSignature)));
    EXPECT_THAT(lines, Contains("answer 7 0"));
}

TEST_F(StandaloneProgram, BlocksGetAStillClockAtOneHundredTwentyBeatsInFourFour) {
    storePluginFolder(fixtureFolder("both"));
    auto program = start();
    const std::optional<unsigned long> window = waitForProgramWindow(10);
    ASSERT_TRUE(window) << program->standardError();
    ASSERT_TRUE(waitUntil([&] { return audioRunning(); })) << program->standardError();
    sendCloseRequest(*window);
    EXPECT_EQ(program->waitForExit(10000), 0);
    // Tempo, bar and clock valid, position 0, the transport never playing (bit 1 clear).
    constexpr int kFlags = 0x200 | 0x400 | 0x2000 | 0x8000;
    EXPECT_THAT(log(), Contains("time 120 4 4 " + std::to_string(kFlags) + " 0 0"));
}

TEST_F(StandaloneProgram, StartUpReadsTheAudioSettingsThenOpensTheEditorAndAsksItsSize) {
    storePluginFolder(fixtureFolder("both"));
    auto program = start();
    EXPECT_EQ(runUntilShownThenClose(*program), 0);
    std::vector<std::string> calls = withoutBlocks(log());
    // From the MIDI port's name to the first idle request.
    const auto first = std::find(calls.begin(), calls.end(), "dispatcher 7 131075");
    const auto idle = std::find(calls.begin(), calls.end(), "dispatcher 19 0");
    ASSERT_NE(first, calls.end());
    ASSERT_NE(idle, calls.end());
    const auto startOfWindow =
        std::find_if(first, idle, [](const std::string& l) { return l.rfind("dispatcher 14", 0) == 0; });
    EXPECT_EQ(std::vector<std::string>(first, startOfWindow),
              (std::vector<std::string>{"dispatcher 7 131075", "getParameter 131072", "getParameter 131073",
                                        "dispatcher 7 131074"}));
    EXPECT_EQ(std::vector<std::string>(startOfWindow + 1, idle), std::vector<std::string>{kEditGetRect});
}

TEST_F(StandaloneProgram, AutomateWithAnUnlinkedIndexDoesNothingAndWithTheMidiIndexReopensOnlyTheMidiInput) {
    storePluginFolder(fixtureFolder("both"));
    environment["RIMBA_FIXTURE_AUTOMATE_ON_OPEN"] = "5,0x20003";
    auto program = start();
    EXPECT_EQ(runUntilShownThenClose(*program), 0);
    const std::vector<std::string> calls = withoutBlocks(log());
    const auto from = std::find(calls.begin(), calls.end(), "automate 5");
    const auto to = std::find(calls.begin(), calls.end(), kEditGetRect);
    ASSERT_LT(from, to);
    EXPECT_EQ(std::vector<std::string>(from, to),
              (std::vector<std::string>{"automate 5", "automate 131075", "dispatcher 7 131075"}));
}

class AudioReopens : public StandaloneProgram, public ::testing::WithParamInterface<const char*> {};

TEST_P(AudioReopens, AutomateWithAnAudioIndexReopensTheOutputWithThePluginsNewSettings) {
    storePluginFolder(fixtureFolder("both"));
    environment["RIMBA_FIXTURE_AUTOMATE_FILE"] = home / "automate.txt";
    auto program = start();
    const std::optional<unsigned long> window = waitForProgramWindow(10);
    ASSERT_TRUE(window) << program->standardError();
    ASSERT_TRUE(waitUntil([&] { return logHas("process 512 44100"); })) << program->standardError();

    writeLink("rate=48000\nbuffer=256\n");
    home.makeFile("automate.txt", GetParam());
    // The new block length and the rate the time record gives show the output reopened.
    EXPECT_TRUE(waitUntil([&] { return logHas("process 256 48000"); })) << program->standardError();
    sendCloseRequest(*window);
    EXPECT_EQ(program->waitForExit(10000), 0);

    const std::vector<std::string> calls = withoutBlocks(log());
    const auto from =
        std::find_if(calls.begin(), calls.end(), [](const std::string& l) { return l.rfind("automate ", 0) == 0; });
    ASSERT_NE(from, calls.end());
    EXPECT_THAT(std::vector<std::string>(from + 1, std::min(from + 4, calls.end())),
                ElementsAre("getParameter 131072", "getParameter 131073", "dispatcher 7 131074"));
    EXPECT_THAT(std::vector<std::string>(from, calls.end()), Not(Contains("dispatcher 7 131075")));
}

INSTANTIATE_TEST_SUITE_P(LinkIndexes, AudioReopens, ::testing::Values("0x20000", "0x20001", "0x20002"),
                         [](const auto& info) { return std::string(info.param).substr(2); });

// The ways a running program is ended that still let the plug-in save: its window closed, a
// termination signal, the X server gone.
struct CloseWay {
    const char* name;
    bool ownServer;  // the program runs on an X server of the test's own, which the way may end
    void (*close)(ProgramRun& program, XServer* server);
};

void closeRequestToTheWindow(ProgramRun&, XServer*) { sendCloseRequest(waitForProgramWindow(10).value_or(0)); }
void xdotoolWindowClose(ProgramRun&, XServer*) { destroyWithXdotool(waitForProgramWindow(10).value_or(0)); }
void sigterm(ProgramRun& program, XServer*) { program.sendSignal(SIGTERM); }
void sigint(ProgramRun& program, XServer*) { program.sendSignal(SIGINT); }
void sighup(ProgramRun& program, XServer*) { program.sendSignal(SIGHUP); }
void endTheXServer(ProgramRun&, XServer* server) { server->end(); }

const auto kCloseWays = ::testing::Values(
    CloseWay{"CloseRequest", false, closeRequestToTheWindow}, CloseWay{"XdotoolWindowClose", false, xdotoolWindowClose},
    CloseWay{"Sigterm", false, sigterm}, CloseWay{"Sigint", false, sigint}, CloseWay{"Sighup", false, sighup},
    CloseWay{"LostXServer", true, endTheXServer});

class ClosingTheWindow : public StandaloneProgram, public ::testing::WithParamInterface<CloseWay> {};

TEST_P(ClosingTheWindow, ClosesTheAudioBeforeThePluginAndReleasesTheLibraryLast) {
    storePluginFolder(fixtureFolder("both"));
    std::optional<XServer> ownServer;
    if (GetParam().ownServer) {
        ownServer.emplace();
        environment["DISPLAY"] = ownServer->display();
    }
    auto program = start();
    // The first idle request: the window is shown and its loop runs.
    ASSERT_TRUE(waitUntil([&] { return logHas("dispatcher 19 0"); })) << program->standardError();
    ASSERT_TRUE(waitUntil([&] { return audioRunning(); })) << program->standardError();
    GetParam().close(*program, ownServer ? &*ownServer : nullptr);
    EXPECT_EQ(program->waitForExit(10000), 0) << program->standardError();

    const std::vector<std::string> lines = log();
    const auto closing = std::find(lines.begin(), lines.end(), kEffClose);
    ASSERT_NE(closing, lines.end());
    EXPECT_EQ(std::count(lines.begin(), lines.end(), kEffClose), 1);
    // After effClose nothing reaches the plug-in: no block, no idle; then the library goes.
    EXPECT_THAT(std::vector<std::string>(closing + 1, lines.end()), ElementsAre("unload"));
}

INSTANTIATE_TEST_SUITE_P(Ways, ClosingTheWindow, kCloseWays,
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(StandaloneProgram, ASecondSigintWhileThePluginIsClosingEndsTheProgramAtOnce) {
    storePluginFolder(fixtureFolder("both"));
    environment["RIMBA_FIXTURE_CLOSE_WAITS_FOR"] = home / "close-may-go-on";
    auto program = start();
    ASSERT_TRUE(waitUntil([&] { return logHas("dispatcher 19 0"); })) << program->standardError();
    program->sendSignal(SIGINT);
    ASSERT_TRUE(waitUntil([&] { return logHas(kEffClose); })) << program->standardError();
    program->sendSignal(SIGINT);
    // The plug-in's close would hold the program for twenty seconds more.
    EXPECT_EQ(program->waitForExit(10000), 128 + SIGINT) << program->standardError();
    EXPECT_THAT(log(), Not(Contains("unload")));
}

struct SearchPlace {
    const char* name;
    bool besideProgram;
    bool staleStoredFolder;  // a stored folder that no longer holds the library
};

class WithoutAStoredFolder : public StandaloneProgram, public ::testing::WithParamInterface<SearchPlace> {};

TEST_P(WithoutAStoredFolder, TheProgramFindsTheLibrary) {
    namespace fs = std::filesystem;
    if (GetParam().staleStoredFolder)
        storePluginFolder(home / "removed-build-folder");
    const std::string library = fixtureFolder("both") + "/RimbaDrums_64.so";
    std::string program = RIMBA_STANDALONE_PROGRAM;
    if (GetParam().besideProgram) {
        fs::create_directories(home / "bin");
        program = home / "bin/RimbaDrums";
        fs::copy_file(RIMBA_STANDALONE_PROGRAM, program);
        fs::copy_file(library, home / "bin/RimbaDrums_64.so");
    } else {
        fs::create_directories(home / ".vst");
        fs::copy_file(library, home / ".vst/RimbaDrums_64.so");
    }
    ProgramRun run(home.path(), environment, {}, program);
    EXPECT_EQ(runUntilShownThenClose(run), 0) << run.standardError();
    EXPECT_TRUE(logHas("entry VSTPluginMain"));
}

INSTANTIATE_TEST_SUITE_P(Places, WithoutAStoredFolder,
                         ::testing::Values(SearchPlace{"BesideTheProgram", true, false},
                                           SearchPlace{"InDotVst", false, false},
                                           SearchPlace{"InDotVstWhenTheStoredFolderLostIt", false, true}),
                         [](const auto& info) { return std::string(info.param.name); });

struct BadLine {
    std::vector<std::string> arguments;
    const char* reason;
};

class CommandLines : public StandaloneProgram, public ::testing::WithParamInterface<BadLine> {};

TEST_P(CommandLines, AMisusedOptionEndsWithStatusTwoNamingIt) {
    auto program = start(GetParam().arguments);
    EXPECT_EQ(program->waitForExit(10000), 2);
    EXPECT_THAT(program->standardError(), HasSubstr(GetParam().reason));
    EXPECT_FALSE(std::filesystem::exists(home / "config/RimbaDrums_64"));
}

INSTANTIATE_TEST_SUITE_P(Misuse, CommandLines,
                         ::testing::Values(BadLine{{"--rate", "fast"}, "--rate takes a whole number"},
                                           BadLine{{"--buffer", "8"}, "--buffer takes a whole number"},
                                           BadLine{{"--audio"}, "--audio needs a value"},
                                           BadLine{{"--audio", "JACK", "--volume", "11"}, "unknown option --volume"}));

// The instrument itself, created as the program creates it: the settings the program stored from
// its command line come back through the private link, and the instrument has recorded its folder.
VstIntPtr standaloneAnswers(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float) {
    return opcode == 1 || opcode == 2 ? kSignature : 0;
}

TEST_F(StandaloneProgram, DeviceChoicesFromTheCommandLineReachTheInstrumentWhichRecordsItsFolder) {
    storePluginFolder(fixtureFolder("both"));
    environment["RIMBA_FIXTURE_NO_EDITOR"] = "1";
    auto program = start({"--audio", "hw:Loopback", "--rate", "48000", "--buffer", "256", "--midi", "Port 1"});
    EXPECT_EQ(program->waitForExit(10000), 1);

    const ScopedEnvironmentVariable config("XDG_CONFIG_HOME", home / "config");
    const ScopedEnvironmentVariable data("XDG_DATA_HOME", home / "data");
    void* library = dlopen(RIMBA_PLUGIN_PATH, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(library, nullptr) << dlerror();
    const auto entry = reinterpret_cast<VstPluginMainProc>(dlsym(library, "VSTPluginMain"));
    ASSERT_NE(entry, nullptr);
    AEffect* instrument = entry(standaloneAnswers);
    ASSERT_NE(instrument, nullptr);
    EXPECT_EQ(instrument->getParameter(instrument, 0x20000), 48000.0f);
    EXPECT_EQ(instrument->getParameter(instrument, 0x20001), 256.0f);
    char text[128] = {};
    instrument->dispatcher(instrument, effGetParamDisplay, 0x20002, 0, text, 0.0f);
    EXPECT_STREQ(text, "hw:Loopback");
    instrument->dispatcher(instrument, effGetParamDisplay, 0x20003, 0, text, 0.0f);
    EXPECT_STREQ(text, "Port 1");
    instrument->dispatcher(instrument, effClose, 0, 0, nullptr, 0.0f);
    // Kept mapped: memory its globals hold stays reachable for the leak checker.
    (void)library;

    const settings::SettingsStore store(kProduct, home / "config");
    EXPECT_EQ(store.readText("Settings", "PluginPath"),
              std::filesystem::path(RIMBA_PLUGIN_PATH).parent_path().string());
}

// Drawn: more than the one colour of a window not painted yet.
bool drawn(const std::vector<unsigned long>& pixels) {
    return std::any_of(pixels.begin(), pixels.end(), [&](unsigned long pixel) { return pixel != pixels.front(); });
}

// The instrument itself, installed as a person installs it (the program, the plug-in and its
// factory library side by side), with an ALSA default device that refuses to open so that nothing
// plays: an edit made in its editor is kept in the last state the instrument saves when it is
// closed, whichever way the program is ended.
class RealInstrument : public ::testing::Test {
protected:
    RealInstrument() {
        namespace fs = std::filesystem;
        fs::create_directories(home / "bin");
        fs::copy_file(RIMBA_STANDALONE_PROGRAM, home / "bin/RimbaDrums");
        fs::copy_file(RIMBA_PLUGIN_PATH, home / "bin/RimbaDrums_64.so");
        fs::copy(RIMBA_FACTORY_LIBRARY, home / "bin/RimbaDrums_64-library", fs::copy_options::recursive);
        home.makeFile(".asoundrc", "pcm.!default { type hw card 99 }\n");
    }

    // Whether the instrument, made again from what its last close saved, plays.
    bool playsAtTheNextStart() {
        const ScopedEnvironmentVariable config("XDG_CONFIG_HOME", home / "config");
        const ScopedEnvironmentVariable data("XDG_DATA_HOME", home / "data");
        void* library = dlopen((home / "bin/RimbaDrums_64.so").c_str(), RTLD_NOW | RTLD_LOCAL);
        EXPECT_NE(library, nullptr) << dlerror();
        if (library == nullptr)
            return true;
        const auto entry = reinterpret_cast<VstPluginMainProc>(dlsym(library, "VSTPluginMain"));
        AEffect* instrument = entry(standaloneAnswers);
        constexpr VstInt32 kPlayToggle = 0x20004;
        const bool playing = instrument->getParameter(instrument, kPlayToggle) != 0.0f;
        instrument->dispatcher(instrument, effClose, 0, 0, nullptr, 0.0f);
        // Kept mapped: memory its globals hold stays reachable for the leak checker.
        return playing;
    }

    // The program's window once the editor in it has stopped the sequencer, which plays at the
    // first start: Stop clicked, and the Play button's light seen going out.
    std::optional<unsigned long> windowWithTheSequencerStopped(ProgramRun& program, const std::string& display) {
        const std::optional<unsigned long> window = waitForProgramWindow(20, display);
        EXPECT_TRUE(window) << program.standardError();
        if (!window)
            return window;
        const auto playButton = [&] { return windowPixels(*window, 16, 28, 32, 24, display); };
        std::vector<unsigned long> lit;
        EXPECT_TRUE(waitUntil([&] {
            lit = playButton();
            return drawn(lit) && lit == playButton();
        })) << program.standardError();
        clickInWindow(*window, 52 + 16, 28 + 12, display);
        const bool stopped = waitUntil([&] {
            const std::vector<unsigned long> now = playButton();
            return drawn(now) && now != lit;
        });
        EXPECT_TRUE(stopped) << "the Stop click changed nothing";
        return stopped ? window : std::nullopt;
    }

    TempFolder home;
};

class RealInstrumentClosing : public RealInstrument, public ::testing::WithParamInterface<CloseWay> {};

TEST_P(RealInstrumentClosing, AStopClickedInTheEditorIsInTheStateSavedAtClose) {
    std::optional<XServer> ownServer;
    std::map<std::string, std::string> environment;
    if (GetParam().ownServer) {
        ownServer.emplace();
        environment["DISPLAY"] = ownServer->display();
    }
    ProgramRun program(home.path(), environment, {}, home / "bin/RimbaDrums");
    ASSERT_TRUE(windowWithTheSequencerStopped(program, ownServer ? ownServer->display() : std::string()));
    GetParam().close(program, ownServer ? &*ownServer : nullptr);
    EXPECT_EQ(program.waitForExit(20000), 0) << program.standardError();
    EXPECT_FALSE(playsAtTheNextStart());
}

INSTANTIATE_TEST_SUITE_P(Ways, RealInstrumentClosing,
                         ::testing::Values(CloseWay{"Sigterm", false, sigterm}, CloseWay{"Sigint", false, sigint},
                                           CloseWay{"LostXServer", true, endTheXServer}),
                         [](const auto& info) { return std::string(info.param.name); });

// A menu runs an event loop of its own, inside the editor's idle request: the server's loss ends
// it, the program's loop then ends in turn, and the close goes on as after any other loss.
TEST_F(RealInstrument, AServerLostWhileTheMainMenuIsOpenStillLeavesTheStateSaved) {
    XServer server;
    ProgramRun program(home.path(), {{"DISPLAY", server.display()}}, {}, home / "bin/RimbaDrums");
    const std::optional<unsigned long> window = windowWithTheSequencerStopped(program, server.display());
    ASSERT_TRUE(window);
    {
        // Gone before the server: its connection would otherwise end this test with the server.
        MapWatcher maps(server.display());
        clickInWindow(*window, 126 + 20, 28 + 10, server.display());
        ASSERT_TRUE(waitUntil([&] { return maps.mapsSoFar() > 0; })) << "no menu was shown";
    }
    server.end();
    EXPECT_EQ(program.waitForExit(20000), 0) << program.standardError();
    EXPECT_FALSE(playsAtTheNextStart());
}

}  // namespace
}  // namespace rimba::test
