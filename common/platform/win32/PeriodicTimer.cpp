#include "common/platform/PeriodicTimer.h"

#include "common/platform/win32/Windows.h"

#include <algorithm>
#include <map>
#include <mutex>
#include <utility>

#include "common/platform/Clock.h"

namespace rimba::platform {

namespace {

using Callback = std::shared_ptr<std::function<void()>>;
// Timer ids are handed out per thread, so the thread is part of the key.
using TimerKey = std::pair<DWORD, UINT_PTR>;

// The running timers. The timer procedure gets only an id; this finds the callback, and a
// WM_TIMER message still queued when its timer was killed finds nothing and does nothing.
std::mutex& timersLock() {
    static std::mutex lock;
    return lock;
}

std::map<TimerKey, Callback>& runningTimers() {
    static std::map<TimerKey, Callback> timers;
    return timers;
}

void CALLBACK timerProcedure(HWND, UINT, UINT_PTR id, DWORD) {
    Callback callback;
    {
        std::lock_guard guard(timersLock());
        const auto found = runningTimers().find({GetCurrentThreadId(), id});
        if (found == runningTimers().end())
            return;
        callback = found->second;
    }
    // Held by the copy, the callback survives a stop() made from inside it.
    (*callback)();
}

void dispatchWaitingMessages() {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

}  // namespace

struct PeriodicTimer::State {
    UINT_PTR id = 0;
    DWORD thread = 0;
};

PeriodicTimer::PeriodicTimer() : state(std::make_unique<State>()) {}

PeriodicTimer::~PeriodicTimer() { stop(); }

bool PeriodicTimer::isRunning() const { return state->id != 0; }

void PeriodicTimer::start(int intervalMilliseconds, std::function<void()> callback) {
    if (state->id != 0)
        return;
    const auto interval = static_cast<UINT>(std::max(intervalMilliseconds, 1));
    // A timer of the thread rather than of a window: it is served by whatever message loop the
    // host runs on this thread, with no window of ours to create or destroy.
    const UINT_PTR id = SetTimer(nullptr, 0, interval, timerProcedure);
    if (id == 0)
        return;
    state->id = id;
    state->thread = GetCurrentThreadId();
    std::lock_guard guard(timersLock());
    runningTimers()[{state->thread, id}] = std::make_shared<std::function<void()>>(std::move(callback));
}

void PeriodicTimer::stop() {
    if (state->id == 0)
        return;
    KillTimer(nullptr, state->id);
    {
        std::lock_guard guard(timersLock());
        runningTimers().erase({state->thread, state->id});
    }
    state->id = 0;
}

void runTimersOnThisThread(int milliseconds) {
    const std::uint32_t started = tickMilliseconds();
    const auto span = static_cast<std::uint32_t>(std::max(milliseconds, 0));
    for (;;) {
        dispatchWaitingMessages();
        const std::uint32_t elapsed = tickMilliseconds() - started;
        if (elapsed >= span)
            return;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, span - elapsed, QS_ALLINPUT);
    }
}

}  // namespace rimba::platform
