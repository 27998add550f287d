#pragma once
// The standalone program run as a person runs it: a process of its own, with its standard output
// and error kept in files. On Linux with a private HOME and settings store (so the user's
// settings are never touched) and the X server of the test's wrapper (tests/support/with-xvfb.sh)
// to show its window on; on Windows (through Wine) the settings are the prefix's registry.
// ProgramRun.cpp is shared; posix/ and win32/ start and end the process, and posix/ holds the X
// server's side of the window.

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#ifndef _WIN32
#include <sys/types.h>
#endif

namespace rimba::test {

class ProgramRun {
public:
    // `home` holds the saved output; on Linux it becomes HOME, with XDG_CONFIG_HOME under it.
    // `environment` is added to the test's own.
    ProgramRun(const std::string& home, const std::map<std::string, std::string>& environment,
               const std::vector<std::string>& arguments, const std::string& program = RIMBA_STANDALONE_PROGRAM);
#ifdef _WIN32
    // Started as a console starts a window program: no standard handles (it writes into the
    // test's console, which sendCtrlC() reaches).
    struct InTheConsole {};
    ProgramRun(InTheConsole, const std::map<std::string, std::string>& environment,
               const std::string& program = RIMBA_STANDALONE_PROGRAM);
#endif
    ~ProgramRun();
    ProgramRun(const ProgramRun&) = delete;
    ProgramRun& operator=(const ProgramRun&) = delete;

    // The exit status once the program ended within `milliseconds`; nullopt while it still runs.
    // 128 + the signal's number when a signal ended it.
    std::optional<int> waitForExit(int milliseconds);
    std::string standardError() const;
    std::string standardOutput() const;
#ifdef _WIN32
    // Ctrl+C in the console; the test's own process ignores it from then on.
    void sendCtrlC();
#else
    void sendSignal(int signalNumber);
#endif

private:
#ifdef _WIN32
    void* process = nullptr;  // the process's handle
    unsigned long id = 0;
#else
    pid_t pid = -1;
#endif
    std::string errorFile;
    std::string outputFile;
    std::optional<int> status;
};

// A file's lines (without a CR before the LF); none when it does not exist.
std::vector<std::string> readLines(const std::string& path);
// Whether `condition` came true within `milliseconds`, asking every 20 ms.
bool waitUntil(const std::function<bool()>& condition, int milliseconds = 10000);

#ifndef _WIN32

// An X server of the test's own (Xvfb, 1280x1024, 24 bits), for a program whose server the test
// takes away; ended with the object if not before.
class XServer {
public:
    XServer();
    ~XServer();
    XServer(const XServer&) = delete;
    XServer& operator=(const XServer&) = delete;
    std::string display() const { return name; }  // ":N"
    // Ends the server as its administrator would (SIGTERM) and waits for it to go.
    void end();

private:
    pid_t pid = -1;
    std::string name;
};

// The program's top-level window, once it is mapped ("xdotool search --sync"); nullopt when none
// appears within the timeout. `display` names another X server than the test's own.
std::optional<unsigned long> waitForProgramWindow(int seconds, const std::string& display = {});

// The 0xRRGGBB pixels of a window's area, row by row, as the X server holds them; empty when the
// area cannot be read.
std::vector<unsigned long> windowPixels(unsigned long window, int x, int y, int width, int height,
                                        const std::string& display = {});
// A left click at (x, y) of the window, through xdotool: the pointer moves there first.
void clickInWindow(unsigned long window, int x, int y, const std::string& display = {});
// Whether a window titled like the program's is visible now.
bool programWindowVisible();

struct WindowGeometry {
    int x = 0, y = 0, width = 0, height = 0;
};
// As an independent tool (xwininfo) reports it.
WindowGeometry windowGeometry(unsigned long window);

// The window's _NET_WM_ICON as the X server holds it (width, height, then 0xAARRGGBB pixels row
// by row); empty when the window has none or it is not a list of 32-bit cardinals.
std::vector<unsigned long> windowIcon(unsigned long window);

// The two ways a window is closed: the window manager's close request (WM_DELETE_WINDOW, sent as
// a client message like a close button does) and xdotool windowclose, which destroys it.
void sendCloseRequest(unsigned long window);
void destroyWithXdotool(unsigned long window);

// Counts the top-level windows mapped on the display (the test's own, or the one named) from its
// making on: no window manager runs, so every map of a top-level window reaches the root window's
// listeners.
class MapWatcher {
public:
    explicit MapWatcher(const std::string& displayName = {});
    ~MapWatcher();
    MapWatcher(const MapWatcher&) = delete;
    MapWatcher& operator=(const MapWatcher&) = delete;
    int mapsSoFar();

private:
    void* display;
    int maps = 0;
};

// Runs a shell command and gives back its standard output.
std::string commandOutput(const std::string& command);
#endif

}  // namespace rimba::test
