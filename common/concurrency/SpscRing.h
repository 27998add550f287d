#pragma once
// A fixed ring between exactly one writer thread and one reader thread, without locks.
// It is full when one more entry would make the write index reach the read index, so a ring of
// N entries holds at most N - 1; a value that finds it full is dropped by the writer.

#include <array>
#include <atomic>
#include <cstddef>
#include <optional>

namespace rimba {

template <typename T, std::size_t N>
class SpscRing {
    static_assert(N >= 2 && (N & (N - 1)) == 0, "ring sizes are powers of two");

public:
    // Writer thread only. False when the ring is full (the value is dropped).
    bool push(const T& value) {
        const std::size_t write = writeIndex.load(std::memory_order_relaxed);
        const std::size_t next = (write + 1) & (N - 1);
        if (next == readIndex.load(std::memory_order_acquire))
            return false;
        entries[write] = value;
        writeIndex.store(next, std::memory_order_release);
        return true;
    }

    // Reader thread only.
    std::optional<T> pop() {
        const std::size_t read = readIndex.load(std::memory_order_relaxed);
        if (read == writeIndex.load(std::memory_order_acquire))
            return std::nullopt;
        T value = entries[read];
        readIndex.store((read + 1) & (N - 1), std::memory_order_release);
        return value;
    }

    // Reader thread only: the oldest entry, left in place.
    std::optional<T> peek() const {
        const std::size_t read = readIndex.load(std::memory_order_relaxed);
        if (read == writeIndex.load(std::memory_order_acquire))
            return std::nullopt;
        return entries[read];
    }

    // Either side; a snapshot that may be stale by the time it is used.
    bool empty() const {
        return readIndex.load(std::memory_order_acquire) == writeIndex.load(std::memory_order_acquire);
    }
    std::size_t size() const {
        return (writeIndex.load(std::memory_order_acquire) - readIndex.load(std::memory_order_acquire)) & (N - 1);
    }

    // Reader side (or any thread while the reader is held off): forgets every queued entry.
    // The writer may go on pushing meanwhile.
    void discardQueued() { readIndex.store(writeIndex.load(std::memory_order_acquire), std::memory_order_release); }

    // Only while neither side can run: visits the queued entries in order, in place.
    template <typename Visit>
    void forEachQueued(Visit visit) {
        for (std::size_t i = readIndex.load(); i != writeIndex.load(); i = (i + 1) & (N - 1))
            visit(entries[i]);
    }

    static constexpr std::size_t capacity() { return N - 1; }

private:
    std::array<T, N> entries{};
    std::atomic<std::size_t> writeIndex{0};
    std::atomic<std::size_t> readIndex{0};
};

}  // namespace rimba
