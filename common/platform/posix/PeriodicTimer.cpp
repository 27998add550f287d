#include "common/platform/PeriodicTimer.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <utility>

#include "common/platform/Clock.h"

namespace rimba::platform {

struct PeriodicTimer::State {
    void run(int intervalMilliseconds);

    std::thread thread;
    std::function<void()> callback;
    std::mutex wakeLock;
    std::condition_variable wake;
    bool stopRequested = false;
};

PeriodicTimer::PeriodicTimer() : state(std::make_unique<State>()) {}

PeriodicTimer::~PeriodicTimer() { stop(); }

bool PeriodicTimer::isRunning() const { return state->thread.joinable(); }

void PeriodicTimer::start(int intervalMilliseconds, std::function<void()> newCallback) {
    if (state->thread.joinable()) {
        return;
    }
    state->callback = std::move(newCallback);
    {
        std::lock_guard guard(state->wakeLock);
        state->stopRequested = false;
    }
    // A zero or negative interval would spin; the system timer also has a smallest period.
    state->thread =
        std::thread([running = state.get(), interval = std::max(intervalMilliseconds, 1)] { running->run(interval); });
}

void PeriodicTimer::stop() {
    if (!state->thread.joinable()) {
        return;
    }
    {
        std::lock_guard guard(state->wakeLock);
        state->stopRequested = true;
    }
    state->wake.notify_all();
    // From inside the callback the thread cannot join itself; it ends once the callback
    // returns, and a later stop() from another thread (or the destructor) collects it.
    if (state->thread.get_id() == std::this_thread::get_id()) {
        return;
    }
    state->thread.join();
    state->callback = nullptr;
}

void PeriodicTimer::State::run(int intervalMilliseconds) {
    using Clock = std::chrono::steady_clock;
    const auto interval = std::chrono::milliseconds(intervalMilliseconds);
    auto due = Clock::now() + interval;
    std::unique_lock lock(wakeLock);
    while (!wake.wait_until(lock, due, [this] { return stopRequested; })) {
        lock.unlock();
        callback();
        lock.lock();
        // Ticks are due on a fixed beat; a slow callback skips the ticks it missed instead of
        // running them back to back, as a system timer does.
        due += interval;
        const auto now = Clock::now();
        if (due <= now) {
            due = now + interval;
        }
    }
}

void runTimersOnThisThread(int milliseconds) { sleepMilliseconds(milliseconds); }

}  // namespace rimba::platform
