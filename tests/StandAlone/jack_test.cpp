// The standalone program playing through a JACK server of the test's own (dummy driver at
// 48000 Hz, 256-frame periods, from tests/support/with-jack.sh) with the fixture plug-in: the
// server's ports as jack_lsp sees them, the server's rate in the time record, MIDI from
// jack_midiseq.

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <algorithm>
#include <sstream>

#include "common/settings/SettingsStore.h"
#include "tests/StandAlone/ProgramRun.h"
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

// jack_midiseq, a client of jackd2's examples, looping notes on the port seq:out.
class MidiSequencer {
public:
    explicit MidiSequencer(const std::vector<std::string>& arguments) {
        std::vector<std::string> text{"jack_midiseq", "seq"};
        text.insert(text.end(), arguments.begin(), arguments.end());
        std::vector<char*> argv;
        for (std::string& word : text)
            argv.push_back(word.data());
        argv.push_back(nullptr);
        if (posix_spawnp(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0)
            pid = -1;
    }
    ~MidiSequencer() {
        if (pid > 0) {
            kill(pid, SIGTERM);
            waitpid(pid, nullptr, 0);
        }
    }
    bool running() const { return pid > 0; }

private:
    pid_t pid = -1;
};

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

TEST_F(UnderJack, OutputPortsAreConnectedToThePlaybackPortsAndBlocksRunAtTheServersRate) {
    ProgramRun program(home.path(), environment, {});
    const std::optional<unsigned long> window = waitForProgramWindow(10);
    ASSERT_TRUE(window) << program.standardError();
    EXPECT_TRUE(waitUntil([] { return !connectionsOf("system:playback_1").empty() &&
                                    !connectionsOf("system:playback_2").empty(); }))
        << commandOutput("jack_lsp -c");
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

}  // namespace
}  // namespace rimba::test
