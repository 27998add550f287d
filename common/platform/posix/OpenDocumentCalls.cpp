#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <vector>

#include "common/platform/OpenDocument.h"

extern char** environ;

namespace rimba::platform {

namespace {

// The viewer is a grandchild: the short-lived child that starts it exits at once and is reaped
// here, so the viewer belongs to init (or the session's reaper) and never lingers as a zombie of
// the host, however long it stays open. Everything that allocates happens before the fork: in a
// host's threaded process the child may only make system calls. posix_spawnp in the child sets
// up nothing but the exec (glibc's clones with a stack of its own, no allocation).
void startDetached(char* const argv[], const posix_spawn_file_actions_t* actions) {
    const pid_t child = fork();
    if (child < 0)
        return;
    if (child == 0) {
        pid_t viewer = 0;
        const int failed = posix_spawnp(&viewer, argv[0], actions, nullptr, argv, environ);
        _exit(failed == 0 ? 0 : 127);
    }
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
}

}  // namespace

void openDocument(const std::string& addressOrPath) {
    if (addressOrPath.empty())
        return;
    std::string program = "xdg-open";
    std::string target = addressOrPath;
    std::vector<char*> argv{program.data(), target.data(), nullptr};
    // The viewer's chatter does not belong on the host's terminal or log.
    posix_spawn_file_actions_t actions;
    if (posix_spawn_file_actions_init(&actions) != 0)
        return;
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    startDetached(argv.data(), &actions);
    posix_spawn_file_actions_destroy(&actions);
}

}  // namespace rimba::platform
