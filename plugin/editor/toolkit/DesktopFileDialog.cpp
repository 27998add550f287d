#include "plugin/editor/toolkit/DesktopFileDialog.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <vector>

extern char** environ;

namespace rimba::toolkit {

namespace {

bool zenityInPath() {
    const char* path = std::getenv("PATH");
    if (path == nullptr) {
        return false;
    }
    std::string folders(path);
    std::size_t start = 0;
    while (start <= folders.size()) {
        std::size_t end = folders.find(':', start);
        if (end == std::string::npos) {
            end = folders.size();
        }
        const std::string candidate = folders.substr(start, end - start) + "/zenity";
        if (end > start && access(candidate.c_str(), X_OK) == 0) {
            return true;
        }
        start = end + 1;
    }
    return false;
}

// Runs `arguments` (no shell: names with quotes or spaces reach zenity as they are) and collects
// its standard output; the exit status, or -1 when it could not be started.
int runCollecting(const std::vector<std::string>& arguments, std::string& output) {
    int pipeEnds[2];
    // Close-on-exec: no other child of the host inherits the pipe and keeps it open.
    if (pipe2(pipeEnds, O_CLOEXEC) != 0) {
        return -1;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, pipeEnds[0]);
    std::vector<char*> argv;
    for (const std::string& argument : arguments) {
        argv.push_back(const_cast<char*>(argument.c_str()));
    }
    argv.push_back(nullptr);
    pid_t child = 0;
    const int spawned = posix_spawnp(&child, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(pipeEnds[1]);
    if (spawned != 0) {
        close(pipeEnds[0]);
        return -1;
    }
    char buffer[4096];
    for (;;) {
        const ssize_t count = read(pipeEnds[0], buffer, sizeof buffer);
        if (count > 0) {
            output.append(buffer, static_cast<std::size_t>(count));
        } else if (count == 0 || errno != EINTR) {
            break;
        }
    }
    close(pipeEnds[0]);
    int status = 0;
    while (waitpid(child, &status, 0) < 0) {
        if (errno != EINTR) {
            return -1;
        }
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace

bool desktopDialogWanted() {
    const char* choice = std::getenv("RIMBA_FILE_DIALOG");
    return choice != nullptr && std::strcmp(choice, "zenity") == 0 && zenityInPath();
}

std::optional<DesktopAnswer> askDesktopForFile(FileSelectorMode mode, const std::string& title,
                                               const FileFilter& filter, const std::string& start) {
    std::vector<std::string> arguments = {"zenity", "--file-selection", "--title=" + title};
    if (mode == FileSelectorMode::save) {
        arguments.push_back("--save");
    }
    if (mode == FileSelectorMode::folder) {
        arguments.push_back("--directory");
    }
    if (!start.empty()) {
        arguments.push_back("--filename=" + start);
    }
    if (mode != FileSelectorMode::folder && !filter.extension.empty()) {
        arguments.push_back("--file-filter=" + filter.description + " | *." + filter.extension);
    }
    std::string output;
    const int status = runCollecting(arguments, output);
    // zenity answers 0 with the path, 1 when cancelled; anything else means it did not run.
    if (status == 1) {
        return DesktopAnswer{};
    }
    while (!output.empty() && (output.back() == '\n' || output.back() == '\r')) {
        output.pop_back();
    }
    if (status != 0 || output.empty() || output[0] != '/') {
        return std::nullopt;
    }
    return DesktopAnswer{output};
}

std::string nameWithExtensionInPath(const std::string& path, const std::string& extension) {
    const std::size_t slash = path.find_last_of('/');
    const std::size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    return path.substr(0, nameStart) + nameWithExtension(path.substr(nameStart), extension);
}

}  // namespace rimba::toolkit
