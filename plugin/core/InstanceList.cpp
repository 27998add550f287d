#include "plugin/core/InstanceList.h"

#include <algorithm>

namespace rimba {

InstanceList& InstanceList::process() {
    // Destroyed when the library is unloaded, which also joins the timer thread.
    static InstanceList list;
    return list;
}

void InstanceList::add(TimerServed* instance) {
    std::lock_guard membershipLock(membership);
    {
        std::lock_guard listLock(serving);
        instances.push_back(instance);
    }
    timer.start(kTimerIntervalMilliseconds, [this] { serveAll(); });
}

void InstanceList::remove(TimerServed* instance) {
    std::lock_guard membershipLock(membership);
    bool last = false;
    {
        std::lock_guard listLock(serving);
        instances.erase(std::remove(instances.begin(), instances.end(), instance), instances.end());
        last = instances.empty();
    }
    // Joined outside the list's lock: the timer thread may be waiting for it.
    if (last)
        timer.stop();
}

std::size_t InstanceList::size() {
    std::lock_guard listLock(serving);
    return instances.size();
}

bool InstanceList::timerRunning() {
    std::lock_guard membershipLock(membership);
    return timer.isRunning();
}

void InstanceList::serveAll() {
    std::lock_guard listLock(serving);
    for (TimerServed* instance : instances)
        instance->programChangeTimer();
}

}  // namespace rimba
