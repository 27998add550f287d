#pragma once
// A function called at a fixed interval until stopped: the system timer that serves every
// plug-in instance of the process. On Windows it is a system timer of the thread that starts it
// (SetTimer), so it fires only while that thread dispatches its messages, as a host's user-
// interface thread does; start and stop must then come from that thread. On Linux it is a thread
// of its own, and start/stop may come from any thread except the timer's own callback.

#include <functional>
#include <memory>

namespace rimba::platform {

class PeriodicTimer {
public:
    PeriodicTimer();
    ~PeriodicTimer();
    PeriodicTimer(const PeriodicTimer&) = delete;
    PeriodicTimer& operator=(const PeriodicTimer&) = delete;

    // Starts the timer; does nothing when it already runs.
    void start(int intervalMilliseconds, std::function<void()> callback);
    // Stops the timer at once; a callback in progress finishes first.
    void stop();
    bool isRunning() const;

private:
    struct State;
    std::unique_ptr<State> state;
};

// Lets the timers of the calling thread fire for about `milliseconds`: on Windows the thread's
// messages are dispatched meanwhile, elsewhere the timers have threads of their own and this only
// sleeps. For a thread that waits for a timer's work, such as a test or a command-line tool.
void runTimersOnThisThread(int milliseconds);

}  // namespace rimba::platform
