#pragma once
// A thread that calls a function at a fixed interval until stopped. It stands in for the
// Windows system timer that serves every plug-in instance of the process.
// start/stop from any thread except the timer's own callback.

#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

namespace rimba::platform {

class PeriodicTimer {
public:
    PeriodicTimer() = default;
    ~PeriodicTimer() { stop(); }
    PeriodicTimer(const PeriodicTimer&) = delete;
    PeriodicTimer& operator=(const PeriodicTimer&) = delete;

    // Starts the thread; does nothing when it already runs.
    void start(int intervalMilliseconds, std::function<void()> callback);
    // Wakes the thread at once and joins it; a callback in progress finishes first.
    void stop();
    bool isRunning() const { return thread.joinable(); }

private:
    void run(int intervalMilliseconds);

    std::thread thread;
    std::function<void()> callback;
    std::mutex wakeLock;
    std::condition_variable wake;
    bool stopRequested = false;
};

}  // namespace rimba::platform
