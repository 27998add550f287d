#pragma once
// The one hand-over between a loader that replaces shared data (sounds, kits, programs, chunks,
// hosted plug-ins) and the audio thread. The loader raises `loadsInProgress` and waits, at most
// 5000 ms, while the render loop's `renderActive` flag is set; the render loop outputs silence
// while the counter is above 0. Both are sequentially consistent so that either the loader sees
// the flag or the render loop sees the counter.

#include <atomic>
#include <cstdint>

namespace rimba {

struct LoadHandshake {
    std::atomic<std::int32_t> loadsInProgress{0};
    std::atomic<bool> renderActive{false};

    // Loader side (never the audio thread): raises the counter, then waits for a block in
    // progress to end, giving up after the bounded wait.
    void beginLoad();
    // Lowers the counter unless the render loop already forced it back to 0.
    void endLoad();
};

// Holds the audio thread off for the lifetime of a load.
class LoadGuard {
public:
    explicit LoadGuard(LoadHandshake& handshake) : handshake(handshake) { handshake.beginLoad(); }
    ~LoadGuard() { handshake.endLoad(); }
    LoadGuard(const LoadGuard&) = delete;
    LoadGuard& operator=(const LoadGuard&) = delete;

private:
    LoadHandshake& handshake;
};

}  // namespace rimba
