#pragma once
// Every live instrument of the process, served by one 40 ms timer thread that takes their queued
// MIDI program changes. The timer starts with the first instance and stops with the last, and an
// instance is never destroyed while the timer works on it.

#include <mutex>
#include <vector>

#include "common/platform/PeriodicTimer.h"

namespace rimba {

// What the timer serves: an instance's queued program changes.
class TimerServed {
public:
    // The 40 ms timer's work for this instance, on the timer's thread.
    virtual void programChangeTimer() = 0;

protected:
    ~TimerServed() = default;
};

class InstanceList {
public:
    static InstanceList& process();

    // Main thread. Adds the instance and starts the timer with the first one.
    void add(TimerServed* instance);
    // Main thread. After it returns the timer no longer touches the instance; the timer thread
    // has stopped when it was the last one.
    void remove(TimerServed* instance);

    std::size_t size();
    bool timerRunning();

    static constexpr int kTimerIntervalMilliseconds = 40;

private:
    InstanceList() = default;
    void serveAll();

    std::mutex membership;  // add/remove and the timer's start and stop, never the timer thread
    std::mutex serving;     // the list itself, held by the timer while it serves
    std::vector<TimerServed*> instances;
    platform::PeriodicTimer timer;
};

}  // namespace rimba
