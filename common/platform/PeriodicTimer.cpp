#include "common/platform/PeriodicTimer.h"

#include <algorithm>
#include <chrono>
#include <utility>

namespace rimba::platform {

void PeriodicTimer::start(int intervalMilliseconds, std::function<void()> newCallback) {
    if (thread.joinable()) {
        return;
    }
    callback = std::move(newCallback);
    {
        std::lock_guard guard(wakeLock);
        stopRequested = false;
    }
    // A zero or negative interval would spin; the system timer also has a smallest period.
    thread = std::thread([this, interval = std::max(intervalMilliseconds, 1)] { run(interval); });
}

void PeriodicTimer::stop() {
    if (!thread.joinable()) {
        return;
    }
    {
        std::lock_guard guard(wakeLock);
        stopRequested = true;
    }
    wake.notify_all();
    // From inside the callback the thread cannot join itself; it ends once the callback
    // returns, and a later stop() from another thread (or the destructor) collects it.
    if (thread.get_id() == std::this_thread::get_id()) {
        return;
    }
    thread.join();
    callback = nullptr;
}

void PeriodicTimer::run(int intervalMilliseconds) {
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

}  // namespace rimba::platform
