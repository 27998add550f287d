#pragma once
// The instrument's own random numbers, for the random keystrokes, the random chain and the grid's
// randomisations. The C library's rand() takes a process-wide lock and shares its state with the
// host and every other plug-in; this source belongs to one instrument, never waits and never
// allocates, so the audio thread may draw from it.
//
// Draws are numbers 0..kMax as rand() gives them on Linux, taken `% n` where a choice among n is
// wanted, so the distributions are those rand() gave. The source is never seeded by the system:
// an instrument makes the same draws every time it starts.
//
// Threads: one user at a time. The instrument keeps one source for the render loop (and the
// loaders that hold it off) and another for the user-interface thread; a draw is still one
// atomic step of a counter, so a test may read a source from another thread.

#include <atomic>
#include <cstdint>

namespace rimba {

class RandomSource {
public:
    static constexpr std::int32_t kMax = 0x7FFFFFFF;
    static constexpr std::uint64_t kDefaultSeed = 0x5D0C0FFEEULL;

    explicit RandomSource(std::uint64_t seed = kDefaultSeed) : counter(seed) {}
    // A copy makes the same draws from here on, so a test can tell what the instrument will draw.
    RandomSource(const RandomSource& other) : counter(other.counter.load(std::memory_order_relaxed)) {}
    RandomSource& operator=(const RandomSource& other) {
        counter.store(other.counter.load(std::memory_order_relaxed), std::memory_order_relaxed);
        return *this;
    }

    // A number 0..kMax.
    std::int32_t next() {
        // SplitMix64: a step of a Weyl sequence through a mixing function; every counter value
        // gives a well-spread number, so threads drawing at once each get their own.
        std::uint64_t z = counter.fetch_add(kIncrement, std::memory_order_relaxed) + kIncrement;
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
        z ^= z >> 31;
        return static_cast<std::int32_t>(z >> 33);
    }

    void reseed(std::uint64_t seed) { counter.store(seed, std::memory_order_relaxed); }

private:
    static constexpr std::uint64_t kIncrement = 0x9E3779B97F4A7C15ULL;
    std::atomic<std::uint64_t> counter;
};

}  // namespace rimba
