#pragma once
// The one hand-over between a loader that replaces shared data (sounds, kits, programs, chunks,
// hosted plug-ins) and the audio thread. The loader raises `loadsInProgress` and waits, at most
// 5000 ms, while a render is active; the render loop marks itself active before it reads the
// counter and outputs silence while the counter is above 0. Both are sequentially consistent, so
// either the loader sees the render or the render sees the counter.
//
// `renderActive` counts the renders in progress rather than being a flag, because the host's
// audio thread and the audio export may both pass through the render loop's entry.

#include <atomic>
#include <cstdint>
#include <mutex>
#include <thread>

#include "plugin/model/AudioHold.h"

namespace rimba {

struct LoadHandshake final : AudioHold {
    std::atomic<std::int32_t> loadsInProgress{0};
    std::atomic<std::int32_t> renderActive{0};
    // When the latest load began (millisecond tick). Loads that follow each other without a
    // silent block between them (a program loading its sounds and effects one by one) keep the
    // counter raised for longer than 5000 ms in all; the render loop's recovery from a loader
    // that never finished counts from here, not from the last block it rendered.
    std::atomic<std::uint32_t> lastLoadBegan{0};
    // Counts the loads that ended: what a loader replaced, the render loop takes anew (PlayedSteps.h).
    std::atomic<std::uint32_t> loadsEnded{0};
    // Loaders run on the host's user-interface thread and on the program-change timer's own
    // thread; this keeps two of them from interleaving. Never taken by the audio thread.
    std::recursive_mutex loaders;

    // Loader side (never the audio thread): raises the counter, then waits for a block in
    // progress to end, giving up after the bounded wait.
    void beginLoad() override;
    // Waits, at most 5000 ms, until no render is in progress.
    void waitForRenderToEnd() const;
    // Lowers the counter unless the render loop already forced it back to 0.
    void endLoad() override;

    // Whether the calling thread holds a LoadGuard and no block is being rendered: only then may
    // it rearrange what waits for the audio thread.
    bool heldOffByThisThread() const {
        return guardHolder.load() == std::this_thread::get_id() && loadsInProgress.load() > 0 &&
               renderActive.load() == 0;
    }

    // Kept by LoadGuard under `loaders`.
    std::atomic<std::thread::id> guardHolder{};
    int guardDepth = 0;
};

// Marks a render in progress for its lifetime.
class RenderScope {
public:
    explicit RenderScope(LoadHandshake& handshake) : handshake(handshake) { handshake.renderActive.fetch_add(1); }
    ~RenderScope() { handshake.renderActive.fetch_sub(1); }
    RenderScope(const RenderScope&) = delete;
    RenderScope& operator=(const RenderScope&) = delete;

private:
    LoadHandshake& handshake;
};

// Holds the audio thread and every other loader off for the lifetime of a load.
class LoadGuard {
public:
    explicit LoadGuard(LoadHandshake& handshake) : handshake(handshake), exclusive(handshake.loaders) {
        handshake.beginLoad();
        if (handshake.guardDepth++ == 0)
            handshake.guardHolder.store(std::this_thread::get_id());
    }
    ~LoadGuard() {
        if (--handshake.guardDepth == 0)
            handshake.guardHolder.store(std::thread::id());
        handshake.endLoad();
    }
    LoadGuard(const LoadGuard&) = delete;
    LoadGuard& operator=(const LoadGuard&) = delete;

private:
    LoadHandshake& handshake;
    std::lock_guard<std::recursive_mutex> exclusive;
};

}  // namespace rimba
