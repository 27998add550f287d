// The audio thread's side of the devices must not allocate: operator new is counted here while
// this thread hands MIDI over and processes blocks. (The aligned forms stay the runtime's own:
// nothing aligned is made or freed through these.)

#include <atomic>
#include <cstdlib>
#include <new>

#include <gtest/gtest.h>

#include "StandAlone/devices/AudioOutput.h"
#include "StandAlone/devices/MidiInputPort.h"
#include "tests/StandAlone/devices/DeviceEnvironment.h"
#include "tests/StandAlone/devices/FakePlugin.h"

namespace {

// Counted only on the thread that asked, so the framework's own threads cannot spoil a count.
thread_local bool countingHere = false;
std::atomic<long> allocationsCounted{0};

void* allocate(std::size_t size) noexcept {
    if (countingHere)
        ++allocationsCounted;
    return std::malloc(size == 0 ? 1 : size);
}

void* allocateOrThrow(std::size_t size) {
    if (void* memory = allocate(size))
        return memory;
    throw std::bad_alloc();
}

}  // namespace

void* operator new(std::size_t size) { return allocateOrThrow(size); }
void* operator new[](std::size_t size) { return allocateOrThrow(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept { return allocate(size); }
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept { return allocate(size); }
void operator delete(void* memory) noexcept { std::free(memory); }
void operator delete[](void* memory) noexcept { std::free(memory); }
void operator delete(void* memory, std::size_t) noexcept { std::free(memory); }
void operator delete[](void* memory, std::size_t) noexcept { std::free(memory); }
void operator delete(void* memory, const std::nothrow_t&) noexcept { std::free(memory); }
void operator delete[](void* memory, const std::nothrow_t&) noexcept { std::free(memory); }

namespace rimba::standalone {
namespace {

template <typename Work>
long allocationsDuring(Work work) {
    allocationsCounted = 0;
    countingHere = true;
    work();
    countingHere = false;
    return allocationsCounted.load();
}

TEST(AudioThreadAllocation, HandOverAndProcessingAllocateNothing) {
    ASSERT_EQ(allocationsDuring([] { delete new int(3); }), 1) << "the count itself";
    test::DeviceEnvironment::get();
    auto fake = std::make_unique<test::FakePlugin>();
    MidiInputPort port(fake->plugin());
    AudioOutput output(fake->plugin(), &port);
    output.prepare(48000, 512, 512);
    for (int block = 0; block < 3; ++block) {
        for (std::uint8_t key = 36; key < 46; ++key)
            port.receive(0x90, key, 127);
        EXPECT_EQ(allocationsDuring([&] { output.processBlock(512); }), 0);
        port.receive(0x80, 36, 0);
        EXPECT_EQ(allocationsDuring([&] { port.handOver(); }), 0);
    }
    EXPECT_EQ(fake->eventCount(), 33);
    EXPECT_EQ(fake->blockCount(), 3);
}

}  // namespace
}  // namespace rimba::standalone
