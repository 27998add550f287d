#include "plugin/core/InstanceList.h"

#include <algorithm>

namespace rimba {

InstanceList& InstanceList::process() {
    // Destroyed when the library is unloaded, which also joins the timer thread.
    static InstanceList list;
    return list;
}

void InstanceList::add(TimerClient client) {
    std::lock_guard membershipLock(membership);
    {
        std::lock_guard listLock(serving);
        clients.push_back(client);
    }
    timer.start(kTimerIntervalMilliseconds, [this] { serveAll(); });
}

void InstanceList::remove(const void* instance) {
    std::lock_guard membershipLock(membership);
    bool last = false;
    {
        std::lock_guard listLock(serving);
        std::erase_if(clients, [instance](const TimerClient& client) { return client.instance == instance; });
        last = clients.empty();
    }
    // Joined outside the list's lock: the timer thread may be waiting for it.
    if (last)
        timer.stop();
}

std::size_t InstanceList::size() {
    std::lock_guard listLock(serving);
    return clients.size();
}

bool InstanceList::timerRunning() {
    std::lock_guard membershipLock(membership);
    return timer.isRunning();
}

void InstanceList::serveAll() {
    std::lock_guard listLock(serving);
    for (const TimerClient& client : clients)
        client.serve(client.instance);
}

}  // namespace rimba
