// The program as a POSIX process, and the X server's side of its window (xdotool, xwininfo,
// Xlib), for the Linux tests.

#include "tests/StandAlone/ProgramRun.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <thread>

extern char** environ;

namespace rimba::test {

namespace {

// posix_spawn's argument and environment lists: pointers into `texts`, ended by a null.
std::vector<char*> nullTerminated(std::vector<std::string>& texts) {
    std::vector<char*> pointers;
    for (std::string& text : texts)
        pointers.push_back(text.data());
    pointers.push_back(nullptr);
    return pointers;
}

}  // namespace

ProgramRun::ProgramRun(const std::string& home, const std::map<std::string, std::string>& environment,
                       const std::vector<std::string>& arguments, const std::string& program)
    : errorFile(home + "/program-stderr.txt"), outputFile(home + "/program-stdout.txt") {
    std::map<std::string, std::string> variables;
    for (char** entry = environ; *entry != nullptr; ++entry) {
        const std::string text(*entry);
        const std::size_t equals = text.find('=');
        if (equals != std::string::npos)
            variables[text.substr(0, equals)] = text.substr(equals + 1);
    }
    variables["HOME"] = home;
    variables["XDG_CONFIG_HOME"] = home + "/config";
    variables["XDG_DATA_HOME"] = home + "/data";
    for (const auto& [name, value] : environment)
        variables[name] = value;
    std::vector<std::string> envText;
    for (const auto& [name, value] : variables)
        envText.push_back(name + "=" + value);
    std::vector<char*> envp = nullTerminated(envText);

    std::vector<std::string> argText{program};
    argText.insert(argText.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv = nullTerminated(argText);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 2, errorFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&actions, 1, outputFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const int failed = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    if (failed != 0)
        throw std::runtime_error("the program did not start");
}

ProgramRun::~ProgramRun() {
    if (!status && pid > 0) {
        kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);
    }
}

std::optional<int> ProgramRun::waitForExit(int milliseconds) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    while (!status) {
        int raw = 0;
        const pid_t done = waitpid(pid, &raw, WNOHANG);
        if (done == pid) {
            status = WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw);
            break;
        }
        if (std::chrono::steady_clock::now() >= end)
            break;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return status;
}

void ProgramRun::sendSignal(int signalNumber) {
    if (!status && pid > 0)
        kill(pid, signalNumber);
}

MapWatcher::MapWatcher(const std::string& displayName)
    : display(XOpenDisplay(displayName.empty() ? nullptr : displayName.c_str())) {
    if (display == nullptr)
        throw std::runtime_error("no X display to watch");
    auto* connection = static_cast<Display*>(display);
    XSelectInput(connection, DefaultRootWindow(connection), SubstructureNotifyMask);
    XSync(connection, False);
}

MapWatcher::~MapWatcher() { XCloseDisplay(static_cast<Display*>(display)); }

int MapWatcher::mapsSoFar() {
    auto* connection = static_cast<Display*>(display);
    XSync(connection, False);
    while (XPending(connection) > 0) {
        XEvent event{};
        XNextEvent(connection, &event);
        if (event.type == MapNotify)
            ++maps;
    }
    return maps;
}

std::string commandOutput(const std::string& command) {
    std::string output;
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr)
        return output;
    std::array<char, 4096> buffer{};
    std::size_t read = 0;
    while ((read = std::fread(buffer.data(), 1, buffer.size(), pipe)) > 0)
        output.append(buffer.data(), read);
    pclose(pipe);
    return output;
}

namespace {

std::string displayPrefix(const std::string& display) { return display.empty() ? "" : "DISPLAY=" + display + " "; }

}  // namespace

XServer::XServer() {
    int numberPipe[2] = {-1, -1};
    if (pipe(numberPipe) != 0)
        throw std::runtime_error("no pipe for the X server's display number");
    const std::string descriptor = std::to_string(numberPipe[1]);
    std::vector<std::string> argText{"Xvfb",         "-displayfd", descriptor, "-screen", "0",
                                     "1280x1024x24", "-nolisten",  "tcp",      "-noreset"};
    std::vector<char*> argv = nullTerminated(argText);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addclose(&actions, numberPipe[0]);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    const int failed = posix_spawnp(&pid, "Xvfb", &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(numberPipe[1]);
    if (failed != 0) {
        close(numberPipe[0]);
        throw std::runtime_error("Xvfb did not start");
    }
    // Xvfb writes the number once it listens; a server that fails closes the pipe instead.
    std::string number;
    char digit = 0;
    while (read(numberPipe[0], &digit, 1) == 1 && digit != '\n')
        number += digit;
    close(numberPipe[0]);
    if (number.empty())
        throw std::runtime_error("Xvfb gave no display number");
    name = ":" + number;
}

XServer::~XServer() { end(); }

void XServer::end() {
    if (pid <= 0)
        return;
    kill(pid, SIGTERM);
    waitpid(pid, nullptr, 0);
    pid = -1;
}

std::optional<unsigned long> waitForProgramWindow(int seconds, const std::string& display) {
    const std::string found = commandOutput(displayPrefix(display) + "timeout " + std::to_string(seconds) +
                                            " xdotool search --sync --onlyvisible --name '^StandAlone$' 2>/dev/null");
    if (found.empty())
        return std::nullopt;
    return std::stoul(found);
}

bool programWindowVisible() {
    return !commandOutput("xdotool search --onlyvisible --name '^StandAlone$' 2>/dev/null").empty();
}

std::vector<unsigned long> windowIcon(unsigned long window) {
    std::vector<unsigned long> icon;
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr)
        return icon;
    Atom type = None;
    int format = 0;
    unsigned long count = 0, left = 0;
    unsigned char* data = nullptr;
    const int status = XGetWindowProperty(display, window, XInternAtom(display, "_NET_WM_ICON", False), 0, 1L << 20,
                                          False, AnyPropertyType, &type, &format, &count, &left, &data);
    // Xlib hands 32-bit items back in longs, sign-extended on 64-bit systems.
    if (status == Success && type == XA_CARDINAL && format == 32 && data != nullptr) {
        const auto* items = reinterpret_cast<const long*>(data);
        for (unsigned long index = 0; index < count; ++index)
            icon.push_back(static_cast<unsigned long>(items[index]) & 0xFFFFFFFFul);
    }
    if (data != nullptr)
        XFree(data);
    XCloseDisplay(display);
    return icon;
}

WindowGeometry windowGeometry(unsigned long window) {
    const std::string report = commandOutput("xwininfo -id " + std::to_string(window));
    WindowGeometry geometry;
    std::istringstream lines(report);
    std::string line;
    auto valueAfter = [](const std::string& text, const std::string& label, int& field) {
        const std::size_t at = text.find(label);
        if (at != std::string::npos)
            field = std::stoi(text.substr(at + label.size()));
    };
    while (std::getline(lines, line)) {
        valueAfter(line, "Absolute upper-left X:", geometry.x);
        valueAfter(line, "Absolute upper-left Y:", geometry.y);
        valueAfter(line, "Width:", geometry.width);
        valueAfter(line, "Height:", geometry.height);
    }
    return geometry;
}

void sendCloseRequest(unsigned long window) {
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr)
        throw std::runtime_error("no X display for the close request");
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    XSendEvent(display, window, False, NoEventMask, &event);
    XFlush(display);
    XCloseDisplay(display);
}

std::vector<unsigned long> windowPixels(unsigned long window, int x, int y, int width, int height,
                                        const std::string& display) {
    std::vector<unsigned long> pixels;
    Display* connection = XOpenDisplay(display.empty() ? nullptr : display.c_str());
    if (connection == nullptr)
        return pixels;
    // A window that is gone meanwhile answers with an error, not an image.
    const auto previous = XSetErrorHandler([](Display*, XErrorEvent*) { return 0; });
    XImage* image = XGetImage(connection, window, x, y, static_cast<unsigned>(width), static_cast<unsigned>(height),
                              AllPlanes, ZPixmap);
    XSetErrorHandler(previous);
    if (image != nullptr) {
        for (int row = 0; row < height; ++row)
            for (int column = 0; column < width; ++column)
                pixels.push_back(XGetPixel(image, column, row) & 0xFFFFFFul);
        XDestroyImage(image);
    }
    XCloseDisplay(connection);
    return pixels;
}

void clickInWindow(unsigned long window, int x, int y, const std::string& display) {
    commandOutput(displayPrefix(display) + "xdotool mousemove --window " + std::to_string(window) + " " +
                  std::to_string(x) + " " + std::to_string(y) + " click 1 2>&1");
}

void destroyWithXdotool(unsigned long window) {
    commandOutput("xdotool windowclose " + std::to_string(window) + " 2>&1");
}

}  // namespace rimba::test
