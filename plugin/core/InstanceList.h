#pragma once
// Every live instrument of the process, served by one 40 ms timer thread that takes their queued
// MIDI program changes. The timer starts with the first instance and stops with the last, and an
// instance is never destroyed while the timer works on it.

#include <mutex>
#include <vector>

#include "common/platform/PeriodicTimer.h"

namespace rimba {

// What the timer serves: one instance and the function that takes its queued program changes.
// A plain function rather than a virtual call, so the timer thread never reads an object's
// vtable while a subclass's constructor or destructor is still changing it.
struct TimerClient {
    void* instance;
    void (*serve)(void* instance);
};

class InstanceList {
public:
    static InstanceList& process();

    // Main thread. Adds the instance and starts the timer with the first one.
    void add(TimerClient client);
    // Main thread. After it returns the timer no longer touches the instance; the timer thread
    // has stopped when it was the last one.
    void remove(const void* instance);

    std::size_t size();
    bool timerRunning();

    static constexpr int kTimerIntervalMilliseconds = 40;

private:
    InstanceList() = default;
    void serveAll();

    std::mutex membership;  // add/remove and the timer's start and stop, never the timer thread
    std::mutex serving;  // the list itself, held by the timer while it serves
    std::vector<TimerClient> clients;
    platform::PeriodicTimer timer;
};

}  // namespace rimba
