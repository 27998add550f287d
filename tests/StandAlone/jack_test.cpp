// The standalone program playing through a JACK server of the test's own (dummy driver at
// 48000 Hz, 256-frame periods, from tests/support/with-jack.sh) with the fixture plug-in: the
// server's ports as jack_lsp sees them, the server's rate in the time record, MIDI from
// jack_midiseq; the server stopped and started again, a MIDI source that goes and comes back;
// the real instrument's editor showing the program's message.

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <jack/jack.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <dlfcn.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <sstream>

#include "common/settings/SettingsStore.h"
#include "common/vst/VstAbi.h"
#include "tests/StandAlone/ProgramRun.h"
#include "tests/support/Environment.h"
#include "tests/support/TempFolder.h"

extern char** environ;

namespace rimba::test {
namespace {

using ::testing::Contains;
using ::testing::HasSubstr;
using ::testing::Not;

// The ports connected to `port`, as jack_lsp -c lists them under it.
std::vector<std::string> connectionsOf(const std::string& port) {
    std::istringstream lines(commandOutput("jack_lsp -c 2>/dev/null"));
    std::vector<std::string> connected;
    std::string line;
    bool under = false;
    while (std::getline(lines, line)) {
        if (!line.empty() && line[0] != ' ') {
            under = line == port;
            continue;
        }
        if (under)
            connected.push_back(line.substr(line.find_first_not_of(' ')));
    }
    return connected;
}

// A command started in the background and ended (SIGTERM, then waited for) with the object.
class Background {
public:
    explicit Background(std::vector<std::string> words) {
        std::vector<char*> argv;
        for (std::string& word : words)
            argv.push_back(word.data());
        argv.push_back(nullptr);
        if (posix_spawnp(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0)
            pid = -1;
    }
    ~Background() {
        if (pid > 0) {
            kill(pid, SIGTERM);
            waitpid(pid, nullptr, 0);
        }
    }
    Background(const Background&) = delete;
    Background& operator=(const Background&) = delete;
    bool running() const { return pid > 0; }

private:
    pid_t pid = -1;
};

// jack_midiseq, a client of jackd2's examples, looping notes on the port seq:out.
class MidiSequencer : public Background {
public:
    explicit MidiSequencer(const std::vector<std::string>& arguments) : Background(words(arguments)) {}

private:
    static std::vector<std::string> words(const std::vector<std::string>& arguments) {
        std::vector<std::string> text{"jack_midiseq", "seq"};
        text.insert(text.end(), arguments.begin(), arguments.end());
        return text;
    }
};

bool jackListsPort(const std::string& port) {
    std::istringstream lines(commandOutput("jack_lsp 2>/dev/null"));
    std::string line;
    while (std::getline(lines, line))
        if (line == port)
            return true;
    return false;
}

// The server of tests/support/with-jack.sh stopped as a musician stops JACK: the process ends
// (the wrapper reaps it; a zombie counts as gone).
bool stopTheWrappersServer() {
    const char* pid = std::getenv("RIMBA_JACKD_PID");
    if (pid == nullptr)
        return false;
    const pid_t server = static_cast<pid_t>(std::atol(pid));
    if (kill(server, SIGTERM) != 0)
        return false;
    return waitUntil([server] {
        std::ifstream stat("/proc/" + std::to_string(server) + "/stat");
        std::string number, name, state;
        return !(stat >> number >> name >> state) || state == "Z";
    });
}

// Another server under the wrapper's name and options, as a musician starts JACK again.
std::unique_ptr<Background> startTheServerAgain() {
    std::vector<std::string> words{"jackd", "-n", std::getenv("JACK_DEFAULT_SERVER")};
    std::istringstream options(std::getenv("RIMBA_JACKD_OPTIONS"));
    for (std::string option; options >> option;)
        words.push_back(option);
    auto server = std::make_unique<Background>(words);
    if (!server->running() || !waitUntil([] { return jackListsPort("system:playback_1"); }))
        return nullptr;
    return server;
}

class UnderJack : public ::testing::Test {
protected:
    UnderJack() {
        settings::SettingsStore store("RimbaDrums_64", home / "config");
        store.writeText("Settings", "PluginPath", std::string(RIMBA_STANDALONE_FIXTURE_DIR) + "/fixture-both");
        // The plug-in's own settings say 44100 and 512: the server's 48000 and 256 must win.
        home.makeFile("link.txt", "rate=44100\nbuffer=512\naudio=JACK\nmidi=seq:out\n");
        environment["RIMBA_FIXTURE_LOG"] = home / "fixture.log";
        environment["RIMBA_FIXTURE_LINK"] = home / "link.txt";
    }
    std::vector<std::string> log() const { return readLines(home / "fixture.log"); }
    bool logHas(const std::string& wanted) const {
        const std::vector<std::string> lines = log();
        return std::find(lines.begin(), lines.end(), wanted) != lines.end();
    }

    TempFolder home;
    std::map<std::string, std::string> environment;
};

// A server that stops while the program plays through it leaves dead clients; once it runs
// again the program's ports are back on it and both MIDI and sound flow (a note reaches the
// fixture only from inside an audio block).
TEST_F(UnderJack, AfterTheServerStopsAndStartsAgainTheProgramsPortsComeBackAndPlay) {
    ASSERT_NE(std::getenv("RIMBA_JACKD_PID"), nullptr) << "run under tests/support/with-jack.sh";
    auto sequencer = std::make_unique<MidiSequencer>(std::vector<std::string>{"48000", "0", "36", "2000"});
    ASSERT_TRUE(waitUntil([] { return jackListsPort("seq:out"); }));
    ProgramRun program(home.path(), environment, {});
    const std::optional<unsigned long> window = waitForProgramWindow(10);
    ASSERT_TRUE(window) << program.standardError();
    ASSERT_TRUE(waitUntil([&] { return logHas("midi 144 36 64 delta 0"); })) << program.standardError();

    sequencer.reset();
    ASSERT_TRUE(stopTheWrappersServer());
    const std::string lost = "RimbaDrums: Lost the JACK server: no sound or MIDI through JACK until it runs again.";
    EXPECT_TRUE(waitUntil([&] { return program.standardError().find(lost) != std::string::npos; }))
        << program.standardError();
    EXPECT_TRUE(waitUntil([&] { return logHas("message " + lost); }));

    const std::unique_ptr<Background> server = startTheServerAgain();
    ASSERT_TRUE(server);
    sequencer = std::make_unique<MidiSequencer>(std::vector<std::string>{"48000", "0", "40", "2000"});
    EXPECT_TRUE(waitUntil([] {
        return !connectionsOf("system:playback_1").empty() && !connectionsOf("system:playback_2").empty();
    })) << commandOutput("jack_lsp -c");
    EXPECT_THAT(connectionsOf("RimbaDrums:out_L"), Contains("system:playback_1"));
    EXPECT_TRUE(waitUntil([&] { return logHas("midi 144 40 64 delta 0"); })) << program.standardError();
    const std::string back = "RimbaDrums: Reconnected to the JACK server.";
    EXPECT_TRUE(logHas("message " + back));
    // Said once each, however many times the server was asked for.
    const std::string said = program.standardError();
    const std::vector<std::string> lines = log();
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "message " + lost), 1);
    EXPECT_EQ(said.find(back), said.rfind(back)) << said;
    EXPECT_EQ(said.find(lost), said.rfind(lost)) << said;

    sendCloseRequest(*window);
    EXPECT_EQ(program.waitForExit(10000), 0) << program.standardError();
}

TEST_F(UnderJack, AMidiSourceThatGoesAndComesBackUnderItsNameIsConnectedAgain) {
    auto sequencer = std::make_unique<MidiSequencer>(std::vector<std::string>{"48000", "0", "36", "2000"});
    ASSERT_TRUE(waitUntil([] { return jackListsPort("seq:out"); }));
    ProgramRun program(home.path(), environment, {});
    const std::optional<unsigned long> window = waitForProgramWindow(10);
    ASSERT_TRUE(window) << program.standardError();
    ASSERT_TRUE(waitUntil([&] { return logHas("midi 144 36 64 delta 0"); })) << program.standardError();

    sequencer.reset();
    ASSERT_TRUE(waitUntil([] { return !jackListsPort("seq:out"); }));
    sequencer = std::make_unique<MidiSequencer>(std::vector<std::string>{"48000", "0", "40", "2000"});
    EXPECT_TRUE(waitUntil([&] { return logHas("midi 144 40 64 delta 0"); })) << commandOutput("jack_lsp -c");
    EXPECT_THAT(connectionsOf("seq:out"), Contains("RimbaDrums-midi:midi_in"));

    sendCloseRequest(*window);
    EXPECT_EQ(program.waitForExit(10000), 0) << program.standardError();
}

TEST_F(UnderJack, OutputPortsAreConnectedToThePlaybackPortsAndBlocksRunAtTheServersRate) {
    ProgramRun program(home.path(), environment, {});
    const std::optional<unsigned long> window = waitForProgramWindow(10);
    ASSERT_TRUE(window) << program.standardError();
    EXPECT_TRUE(waitUntil([] {
        return !connectionsOf("system:playback_1").empty() && !connectionsOf("system:playback_2").empty();
    })) << commandOutput("jack_lsp -c");
    EXPECT_TRUE(waitUntil([&] { return logHas("process 256 48000"); })) << program.standardError();
    EXPECT_THAT(log(), Not(Contains(HasSubstr(" 44100"))));

    sendCloseRequest(*window);
    EXPECT_EQ(program.waitForExit(10000), 0) << program.standardError();
    EXPECT_TRUE(connectionsOf("system:playback_1").empty()) << commandOutput("jack_lsp -c");
}

TEST_F(UnderJack, NotesFromAJackMidiPortReachThePluginAtTheStartOfABlock) {
    // Key 36, then key 38 half a second later, every second, 2000 frames long.
    MidiSequencer sequencer({"48000", "0", "36", "2000", "24000", "38", "2000"});
    ASSERT_TRUE(sequencer.running());
    ASSERT_TRUE(waitUntil([] { return commandOutput("jack_lsp 2>/dev/null").find("seq:out") != std::string::npos; }));
    ProgramRun program(home.path(), environment, {});
    const std::optional<unsigned long> window = waitForProgramWindow(10);
    ASSERT_TRUE(window) << program.standardError();
    EXPECT_TRUE(waitUntil([&] { return logHas("midi 144 36 64 delta 0") && logHas("midi 144 38 64 delta 0"); }))
        << program.standardError();
    sendCloseRequest(*window);
    EXPECT_EQ(program.waitForExit(10000), 0);
}

TEST_F(UnderJack, ListDevicesNamesTheServerAndItsMidiPortsUnderTheirHeadings) {
    MidiSequencer sequencer({"48000", "0", "36", "2000"});
    ASSERT_TRUE(sequencer.running());
    ASSERT_TRUE(waitUntil([] { return commandOutput("jack_lsp 2>/dev/null").find("seq:out") != std::string::npos; }));
    const std::string listing = commandOutput(std::string(RIMBA_STANDALONE_PROGRAM) + " --list-devices");
    const std::size_t audio = listing.find("Audio outputs:\n");
    const std::size_t midi = listing.find("MIDI inputs:\n");
    ASSERT_NE(audio, std::string::npos) << listing;
    ASSERT_NE(midi, std::string::npos) << listing;
    EXPECT_NE(listing.substr(audio, midi - audio).find("\n  JACK\n"), std::string::npos) << listing;
    EXPECT_NE(listing.substr(midi).find("\n  seq:out\n"), std::string::npos) << listing;
}

// The instrument itself, installed as a person installs it: the program, the plug-in and its
// factory library side by side.
class RealInstrumentUnderJack : public ::testing::Test {
protected:
    RealInstrumentUnderJack() {
        namespace fs = std::filesystem;
        fs::create_directories(home / "bin");
        fs::copy_file(RIMBA_STANDALONE_PROGRAM, home / "bin/RimbaDrums");
        fs::copy_file(RIMBA_PLUGIN_PATH, home / "bin/RimbaDrums_64.so");
        fs::copy(RIMBA_FACTORY_LIBRARY, home / "bin/RimbaDrums_64-library", fs::copy_options::recursive);
    }

    // The instrument's sequencer plays at first; stopped once here, the stop is kept in the last
    // state the instrument saves when it is closed, and only MIDI notes sound at the next start.
    void stopTheSequencerForTheNextStart() {
        const ScopedEnvironmentVariable config("XDG_CONFIG_HOME", home / "config");
        const ScopedEnvironmentVariable data("XDG_DATA_HOME", home / "data");
        void* library = dlopen((home / "bin/RimbaDrums_64.so").c_str(), RTLD_NOW | RTLD_LOCAL);
        ASSERT_NE(library, nullptr) << dlerror();
        const auto entry = reinterpret_cast<VstPluginMainProc>(dlsym(library, "VSTPluginMain"));
        AEffect* instrument = entry([](AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float) -> VstIntPtr {
            return opcode == audioMasterVersion ? 0x35323249 : 0;
        });
        ASSERT_NE(instrument, nullptr);
        constexpr VstInt32 kPlayToggle = 0x20004;
        if (instrument->getParameter(instrument, kPlayToggle) != 0.0f)
            instrument->setParameter(instrument, kPlayToggle, 1.0f);
        EXPECT_EQ(instrument->getParameter(instrument, kPlayToggle), 0.0f);
        instrument->dispatcher(instrument, effClose, 0, 0, nullptr, 0.0f);
        // Kept mapped: memory its globals hold stays reachable for the leak checker.
        (void)library;
    }

    // Where hits begin, to the nearest 256 frames: the sample-to-sample steps of the mixed signal
    // (the drums' attacks stand out there; a kick's long low tail hardly steps) jump to over four
    // times those of the block before.
    std::vector<long> onsets(const std::string& wave) {
        commandOutput("sox '" + wave + "' -t f32 -c 1 '" + home / "take.f32" + "' remix - 2>/dev/null");
        std::ifstream raw(home / "take.f32", std::ios::binary);
        constexpr long kBlock = 256;
        std::vector<long> found;
        float last = 0.0f, previousPeak = 0.0f, peak = 0.0f, sample = 0.0f;
        for (long i = 0; raw.read(reinterpret_cast<char*>(&sample), sizeof sample); ++i) {
            peak = std::max(peak, std::fabs(sample - last));
            last = sample;
            if ((i + 1) % kBlock != 0)
                continue;
            if (peak > 0.002f && peak > 4.0f * previousPeak)
                found.push_back(i + 1 - kBlock);
            previousPeak = peak;
            peak = 0.0f;
        }
        return found;
    }

    TempFolder home;
};

TEST_F(RealInstrumentUnderJack, TwoMidiNotesHalfASecondApartAreRecordedAsTwoHitsHalfASecondApart) {
    stopTheSequencerForTheNextStart();
    // Key 36 (track 1), then key 38 (track 3) half a second later, every two seconds.
    MidiSequencer sequencer({"96000", "0", "36", "2000", "24000", "38", "2000"});
    ASSERT_TRUE(waitUntil([] { return commandOutput("jack_lsp 2>/dev/null").find("seq:out") != std::string::npos; }));
    ProgramRun program(home.path(), {}, {"--audio", "JACK", "--midi", "seq:out"}, home / "bin/RimbaDrums");
    waitUntil([&] { return programWindowVisible() || program.waitForExit(0).has_value(); });
    if (program.waitForExit(0) == 1 && program.standardError().find("has no editor") != std::string::npos)
        GTEST_SKIP() << "the instrument has no editor yet, and the program refuses it";
    const std::optional<unsigned long> window = waitForProgramWindow(10);
    ASSERT_TRUE(window) << program.standardError();
    ASSERT_TRUE(waitUntil([] { return !connectionsOf("system:playback_1").empty(); })) << commandOutput("jack_lsp -c");

    commandOutput("cd '" + home.path() +
                  "' && timeout -s INT 3 jack_capture -dc -ns --port RimbaDrums:out_L "
                  "--port RimbaDrums:out_R take.wav >/dev/null 2>&1");
    sendCloseRequest(*window);
    EXPECT_EQ(program.waitForExit(10000), 0) << program.standardError();

    const std::vector<long> hits = onsets(home / "take.wav");
    ASSERT_GE(hits.size(), 2u) << ::testing::PrintToString(hits);
#if defined(__SANITIZE_ADDRESS__)
    // A sanitized debug build cannot keep up with the server's real time (it skips cycles), so
    // only the sound of the notes is checked there, not their distance.
    return;
#endif
    // Each note sounds from the start of the block after it arrived: the distance holds to within
    // a block of 256 frames, and the onsets' own grid of 256.
    std::vector<long> gaps;
    for (std::size_t i = 1; i < hits.size(); ++i)
        gaps.push_back(hits[i] - hits[i - 1]);
    EXPECT_TRUE(std::any_of(gaps.begin(), gaps.end(), [](long gap) { return std::labs(gap - 24000) <= 512; }))
        << ::testing::PrintToString(hits);
}

// A client that registers a MIDI output and never activates: the server lists the port and
// refuses every connection to it, so an input that names it does not open.
class InactiveMidiSource {
public:
    InactiveMidiSource() {
        client = jack_client_open("idle-keys", JackNoStartServer, nullptr);
        if (client != nullptr)
            port = jack_port_register(client, "out", JACK_DEFAULT_MIDI_TYPE, JackPortIsOutput, 0);
    }
    ~InactiveMidiSource() {
        if (client != nullptr)
            jack_client_close(client);
    }
    bool ready() const { return port != nullptr; }

private:
    jack_client_t* client = nullptr;
    jack_port_t* port = nullptr;
};

std::optional<unsigned long> visibleWindowNamed(const std::string& pattern, int seconds) {
    const std::string found =
        commandOutput("timeout " + std::to_string(seconds) + " xdotool search --sync --onlyvisible --name '" + pattern +
                      "' 2>/dev/null");
    if (found.empty())
        return std::nullopt;
    return std::stoul(found);
}

// The program and the instrument are modules of their own: the program's message reaches the
// editor's message box (a dialog titled with the caption) through the instrument, not only
// standard error. At start-up the input opens before the editor, so the message waits for it.
TEST_F(RealInstrumentUnderJack, AMidiInputThatDoesNotOpenIsShownInTheEditorsMessageBox) {
    InactiveMidiSource keys;
    ASSERT_TRUE(keys.ready());
    ProgramRun program(home.path(), {}, {"--audio", "JACK", "--midi", "idle-keys:out"}, home / "bin/RimbaDrums");
    waitUntil([&] { return programWindowVisible() || program.waitForExit(0).has_value(); });
    if (program.waitForExit(0) == 1 && program.standardError().find("has no editor") != std::string::npos)
        GTEST_SKIP() << "the instrument has no editor yet, and the program refuses it";
    const std::optional<unsigned long> window = waitForProgramWindow(10);
    ASSERT_TRUE(window) << program.standardError();

    const std::optional<unsigned long> box = visibleWindowNamed("^Zelkor$", 10);
    ASSERT_TRUE(box) << program.standardError();
    EXPECT_NE(program.standardError().find("Zelkor: Unable to open the MIDI port !"), std::string::npos)
        << program.standardError();
    commandOutput("xdotool key --window " + std::to_string(*box) + " Return");
    EXPECT_TRUE(
        waitUntil([] { return commandOutput("xdotool search --onlyvisible --name '^Zelkor$' 2>/dev/null").empty(); }));

    sendCloseRequest(*window);
    EXPECT_EQ(program.waitForExit(10000), 0) << program.standardError();
}

}  // namespace
}  // namespace rimba::test
