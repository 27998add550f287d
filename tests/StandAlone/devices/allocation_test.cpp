// The audio thread's side of the devices must not allocate: global operator new is counted here
// while this thread hands MIDI over and processes a block.

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

void* allocate(std::size_t size) {
    if (countingHere)
        ++allocationsCounted;
    if (void* memory = std::malloc(size == 0 ? 1 : size))
        return memory;
    throw std::bad_alloc();
}

void* allocateAligned(std::size_t size, std::align_val_t alignment) {
    if (countingHere)
        ++allocationsCounted;
    const auto align = static_cast<std::size_t>(alignment);
    const std::size_t rounded = (size + align - 1) / align * align;
    if (void* memory = std::aligned_alloc(align, rounded == 0 ? align : rounded))
        return memory;
    throw std::bad_alloc();
}

}  // namespace

void* operator new(std::size_t size) { return allocate(size); }
void* operator new[](std::size_t size) { return allocate(size); }
void* operator new(std::size_t size, std::align_val_t alignment) { return allocateAligned(size, alignment); }
void* operator new[](std::size_t size, std::align_val_t alignment) { return allocateAligned(size, alignment); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    if (countingHere)
        ++allocationsCounted;
    return std::malloc(size == 0 ? 1 : size);
}
void* operator new[](std::size_t size, const std::nothrow_t& tag) noexcept { return operator new(size, tag); }
void operator delete(void* memory) noexcept { std::free(memory); }
void operator delete[](void* memory) noexcept { std::free(memory); }
void operator delete(void* memory, std::size_t) noexcept { std::free(memory); }
void operator delete[](void* memory, std::size_t) noexcept { std::free(memory); }
void operator delete(void* memory, std::align_val_t) noexcept { std::free(memory); }
void operator delete[](void* memory, std::align_val_t) noexcept { std::free(memory); }
void operator delete(void* memory, std::size_t, std::align_val_t) noexcept { std::free(memory); }
void operator delete[](void* memory, std::size_t, std::align_val_t) noexcept { std::free(memory); }
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

TEST(AudioThreadAllocation, TheCountSeesAnAllocation) {
    EXPECT_EQ(allocationsDuring([] { delete new int(3); }), 1);
}

TEST(AudioThreadAllocation, HandOverAndProcessingAllocateNothing) {
    test::DeviceEnvironment::get();
    test::FakePlugin fake;
    MidiInputPort port(fake.plugin());
    AudioOutput output(fake.plugin(), &port);
    output.prepare(48000, 512, 512);
    for (int block = 0; block < 3; ++block) {
        for (std::uint8_t key = 36; key < 46; ++key)
            port.receive(0x90, key, 127);
        EXPECT_EQ(allocationsDuring([&] { output.processBlock(512); }), 0);
        port.receive(0x80, 36, 0);
        EXPECT_EQ(allocationsDuring([&] { port.handOver(); }), 0);
    }
    EXPECT_EQ(fake.eventCount(), 33);
    EXPECT_EQ(fake.blockCount(), 3);
}

}  // namespace
}  // namespace rimba::standalone
