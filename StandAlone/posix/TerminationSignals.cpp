#include "StandAlone/TerminationSignals.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>

namespace rimba::standalone {

namespace {

constexpr int kHandledSignals[] = {SIGTERM, SIGINT, SIGHUP};

int wakeWriter = -1;
volatile std::sig_atomic_t closeAsked = 0;

// Runs on whichever thread the signal reaches (an audio thread as well as the main one): only
// async-signal-safe calls.
void askForClose(int signalNumber) {
    if (closeAsked != 0) {
        // The close is on its way and the musician insists: the signal does what it does by
        // default once this handler returns.
        struct sigaction byDefault {};
        byDefault.sa_handler = SIG_DFL;
        sigemptyset(&byDefault.sa_mask);
        sigaction(signalNumber, &byDefault, nullptr);
        raise(signalNumber);
        return;
    }
    closeAsked = 1;
    const int callersError = errno;
    const char wake = 1;
    [[maybe_unused]] const ssize_t written = write(wakeWriter, &wake, 1);
    errno = callersError;
}

}  // namespace

int watchTerminationSignals() {
    int ends[2] = {-1, -1};
    if (pipe2(ends, O_CLOEXEC | O_NONBLOCK) != 0)
        return -1;
    wakeWriter = ends[1];
    struct sigaction action {};
    action.sa_handler = askForClose;
    sigemptyset(&action.sa_mask);
    // One handler at a time: a second signal waits for the first to be noted.
    for (const int signalNumber : kHandledSignals)
        sigaddset(&action.sa_mask, signalNumber);
    action.sa_flags = SA_RESTART;
    for (const int signalNumber : kHandledSignals)
        sigaction(signalNumber, &action, nullptr);
    return ends[0];
}

}  // namespace rimba::standalone
