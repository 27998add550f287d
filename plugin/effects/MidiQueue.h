#pragma once
// The MIDI waiting for a hosted plug-in, and the VstEvents block it is handed over in.
//
// Notes for the drum synth are queued by the render loop on the audio thread (a stop's release
// of every routed track too, taken at the start of a block); the audio thread takes them all
// before the synth's next block. A bounded queue of cells with sequence numbers serves any
// number of producers and one consumer without a lock and without allocating: a producer claims
// a cell with one compare-and-swap and publishes it with its sequence number. A full queue drops
// the newest note (4096 notes are far more than one block can queue).

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "common/vst/VstAbi.h"

namespace rimba {

struct QueuedMidi {
    std::int32_t deltaFrames = 0;
    std::uint8_t status = 0;
    std::uint8_t data1 = 0;
    std::uint8_t data2 = 0;
};

class MidiQueue {
public:
    static constexpr std::size_t kCapacity = 4096;

    MidiQueue() { clear(); }

    // Any thread. False when the queue is full.
    bool push(const QueuedMidi& message) {
        std::size_t position = tail.load(std::memory_order_relaxed);
        for (;;) {
            Cell& cell = cells[position % kCapacity];
            const std::size_t sequence = cell.sequence.load(std::memory_order_acquire);
            const auto difference = static_cast<std::ptrdiff_t>(sequence) - static_cast<std::ptrdiff_t>(position);
            if (difference == 0) {
                if (tail.compare_exchange_weak(position, position + 1, std::memory_order_relaxed)) {
                    cell.message = message;
                    cell.sequence.store(position + 1, std::memory_order_release);
                    return true;
                }
            } else if (difference < 0) {
                return false;
            } else {
                position = tail.load(std::memory_order_relaxed);
            }
        }
    }

    // The consumer's thread only.
    bool pop(QueuedMidi& message) {
        Cell& cell = cells[head % kCapacity];
        if (cell.sequence.load(std::memory_order_acquire) != head + 1)
            return false;
        message = cell.message;
        cell.sequence.store(head + kCapacity, std::memory_order_release);
        ++head;
        return true;
    }

    // Only while no other thread uses the queue (a plug-in being loaded).
    void clear() {
        for (std::size_t i = 0; i < kCapacity; ++i)
            cells[i].sequence.store(i, std::memory_order_relaxed);
        tail.store(0, std::memory_order_relaxed);
        head = 0;
    }

private:
    struct Cell {
        std::atomic<std::size_t> sequence{0};
        QueuedMidi message;
    };
    std::array<Cell, kCapacity> cells;
    std::atomic<std::size_t> tail{0};
    std::size_t head = 0;
};

// Room for one effProcessEvents call: a VstEvents header whose event array holds up to
// kCapacity pointers, and the MIDI events they point at. Made once; filled on the audio thread.
class MidiBlock {
public:
    static constexpr std::size_t kCapacity = 512;

    MidiBlock();
    // Moves up to kCapacity queued messages into the block; the number taken.
    int fill(MidiQueue& queue);
    VstEvents* events() { return header; }

private:
    std::vector<std::uint8_t> storage;
    VstEvents* header = nullptr;
    std::array<VstMidiEvent, kCapacity> midi{};
};

}  // namespace rimba
