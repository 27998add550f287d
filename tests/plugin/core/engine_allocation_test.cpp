// The audio thread must not allocate: global operator new is counted here while a block renders
// on this thread.

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <new>
#include <vector>

#ifdef _WIN32
#include <malloc.h>
#endif

#include <gtest/gtest.h>

#include "plugin/model/Tags.h"
#include "tests/plugin/core/EngineFixture.h"
#include "tests/support/LentPlugins.h"
#include "tests/support/InstrumentProbe.h"

namespace {

// Counted only on the thread that asked, so the process's other threads (the program-change
// timer, the test framework) cannot spoil a measurement.
thread_local bool countingHere = false;
std::atomic<long> allocationsCounted{0};

void* allocate(std::size_t size) {
    if (countingHere)
        ++allocationsCounted;
    if (void* memory = std::malloc(size == 0 ? 1 : size))
        return memory;
    throw std::bad_alloc();
}

// The C library's aligned allocation: Windows' runtime has no aligned_alloc and frees aligned
// blocks with a function of their own.
void* alignedMemory(std::size_t align, std::size_t size) {
#ifdef _WIN32
    return _aligned_malloc(size, align);
#else
    return std::aligned_alloc(align, size);
#endif
}

void freeAligned(void* memory) {
#ifdef _WIN32
    _aligned_free(memory);
#else
    std::free(memory);
#endif
}

void* allocateAligned(std::size_t size, std::align_val_t alignment) {
    if (countingHere)
        ++allocationsCounted;
    const auto align = static_cast<std::size_t>(alignment);
    const std::size_t rounded = (size + align - 1) / align * align;
    if (void* memory = alignedMemory(align, rounded == 0 ? align : rounded))
        return memory;
    throw std::bad_alloc();
}

}  // namespace

void* operator new(std::size_t size) { return allocate(size); }
void* operator new[](std::size_t size) { return allocate(size); }
void* operator new(std::size_t size, std::align_val_t alignment) { return allocateAligned(size, alignment); }
void* operator new[](std::size_t size, std::align_val_t alignment) { return allocateAligned(size, alignment); }
void operator delete(void* memory) noexcept { std::free(memory); }
void operator delete[](void* memory) noexcept { std::free(memory); }
void operator delete(void* memory, std::size_t) noexcept { std::free(memory); }
void operator delete[](void* memory, std::size_t) noexcept { std::free(memory); }
void operator delete(void* memory, std::align_val_t) noexcept { freeAligned(memory); }
void operator delete[](void* memory, std::align_val_t) noexcept { freeAligned(memory); }
void operator delete(void* memory, std::size_t, std::align_val_t) noexcept { freeAligned(memory); }
void operator delete[](void* memory, std::size_t, std::align_val_t) noexcept { freeAligned(memory); }
// The nothrow forms too (std::stable_sort's buffer, in this program or a plug-in it loads), so
// that no block is made by one allocator and freed by another (a sanitizer's runtime has its own).
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    try {
        return allocate(size);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}
void* operator new[](std::size_t size, const std::nothrow_t& tag) noexcept { return operator new(size, tag); }
void* operator new(std::size_t size, std::align_val_t alignment, const std::nothrow_t&) noexcept {
    try {
        return allocateAligned(size, alignment);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}
void* operator new[](std::size_t size, std::align_val_t alignment, const std::nothrow_t& tag) noexcept {
    return operator new(size, alignment, tag);
}
void operator delete(void* memory, const std::nothrow_t&) noexcept { std::free(memory); }
void operator delete[](void* memory, const std::nothrow_t&) noexcept { std::free(memory); }
void operator delete(void* memory, std::align_val_t, const std::nothrow_t&) noexcept { freeAligned(memory); }
void operator delete[](void* memory, std::align_val_t, const std::nothrow_t&) noexcept { freeAligned(memory); }

namespace rimba::engine_test {
namespace {

class Allocation : public ::testing::Test {
protected:
    // Every track sounds, every equaliser filters, both sends and both inserts and the synth slot
    // hold a plug-in; rolls and random keystrokes fill the pattern.
    void SetUp() override {
        VornDrums& drums = *engine;
        for (int t = 0; t < test::stateOf(drums).trackCount; ++t) {
            const auto slot = static_cast<std::size_t>(t);
            test::stateOf(drums).tracks.eqOnSample[slot] = 1.0f;
            test::stateOf(drums).tracks.eqGain[slot] = {0.2f, -0.1f, 0.3f};
            test::stateOf(drums).tracks.send1[slot] = 0.5f;
            test::stateOf(drums).tracks.send2[slot] = 0.4f;
            test::stateOf(drums).tracks.pan[slot] = 0.1f * static_cast<float>(t % 10);
            test::stateOf(drums).tracks.randomMinDensity[slot] = 2.0f;
            test::stateOf(drums).tracks.randomMaxDensity[slot] = 4.0f;
            test::stateOf(drums).tracks.randomMaxRoll[slot] = 3.0f;
            drums.updateTrack(t);
            for (int band = 0; band < kEqBands; ++band)
                drums.queueEqUpdate(t, band);
            makeProbeTrack(drums, t, 20000, static_cast<std::int16_t>(1000 * (t + 1)));
            for (int s = t % 3; s < 16; s += 3)
                test::stateOf(drums).patterns[slot].stepVelocity[0][static_cast<std::size_t>(s)] = 100.0f;
            test::stateOf(drums).patterns[slot].stepRoll[0][0] = 3.0f;
        }
        test::stateOf(drums).tracks.synthRoute[2] = 1.0f;
        test::stateOf(drums).masterEqOn = 1.0f;
        test::stateOf(drums).masterEqGain = {0.3f, 0.2f, -0.2f};
        for (int band = 0; band < kEqBands; ++band)
            drums.queueEqUpdate(FilterUpdate::kMasterTarget, band);
        test::stateOf(drums).randomAuto = 1;
        test::stateOf(drums).swing = 30;
        for (std::size_t slot = 0; slot < 4; ++slot) {
            drums.placePlugin(slot, &effects[slot]);
            test::stateOf(drums).effectEnabled[slot] = 1;
        }
        drums.placePlugin(VornDrums::kSynthSlot, &synth);
        test::stateOf(drums).random.reseed(11);
        engine.prepare(4096);
    }

    void TearDown() override { test::takeBackLentPlugins(*engine); }

    long allocationsDuring(int frames) {
        allocationsCounted = 0;
        countingHere = true;
        engine.renderUnrecorded(frames);
        countingHere = false;
        return allocationsCounted.load();
    }

    Engine engine;
    FakePlugin effects[4];
    FakePlugin synth;
};

// The measurement itself: a plug-in that allocates inside the block is caught.
TEST_F(Allocation, TheCountSeesAnAllocationMadeInsideABlock) {
    effects[3].process = [](FakePlugin& plugin, int frames) {
        std::vector<float> scratch(static_cast<std::size_t>(frames), 0.5f);
        std::copy(scratch.begin(), scratch.end(), plugin.outputs[0].begin());
    };
    engine.play(0.0);
    engine.renderUnrecorded(512);
    EXPECT_EQ(allocationsDuring(512), 1);
}

TEST_F(Allocation, ABlockWithoutNewEventsAllocatesNothing) {
    engine.play(0.0);
    for (int i = 0; i < 30; ++i)  // a bar and a half of steps, rolls and pattern starts
        engine.renderUnrecorded(4096);
    // The next step starts at 126787.5; [126000, 126256) holds no step and no message arrives,
    // while the voices, equalisers, plug-ins and earlier roll hits keep working.
    engine.play(126000.0);
    ASSERT_GT(stepStart(23), 126256);
    ASSERT_LT(stepStart(22), 126000);
    const std::size_t waiting = test::stateOf(*engine).pendingEvents.size();
    EXPECT_EQ(allocationsDuring(256), 0);
    EXPECT_LE(test::stateOf(*engine).pendingEvents.size(), waiting);
    EXPECT_GT(effects[0].processCalls, 0);
}

TEST_F(Allocation, BlocksWithStepsAndMessagesAllocateNothingWhileTheListHasRoom) {
    engine.play(0.0);
    engine.renderUnrecorded(4096);
    long total = 0;
    for (int i = 0; i < 60; ++i) {
        for (int n = 0; n < 10; ++n)
            sendMidi(*engine, 0x90, static_cast<std::uint8_t>(36 + n), 90, n);
        total += allocationsDuring(1024 + 13 * i);
    }
    EXPECT_EQ(total, 0);
}

// Edits undone and redone between blocks (the editor's thread) leave the render loop nothing to
// allocate for: equaliser coefficients, gains and steps arrive as they do after any edit.
TEST_F(Allocation, BlocksBetweenUndoAndRedoAllocateNothing) {
    VornDrums& drums = *engine;
    engine.play(0.0);
    engine.renderUnrecorded(4096);
    long total = 0;
    for (int i = 0; i < 24; ++i) {
        const int track = i % test::stateOf(drums).trackCount;
        const auto t = static_cast<std::size_t>(track);
        drums.beginGesture();
        drums.setValue(tags::trackTag(track, tags::kLevel), 0.04f * static_cast<float>(i));
        test::stateOf(drums).tracks.eqGain[t][1] = -0.3f + 0.02f * static_cast<float>(i);
        drums.queueEqUpdate(track, 1);
        test::stateOf(drums).patterns[t].stepVelocity[0][static_cast<std::size_t>(i % 16)] = i % 2 == 0 ? 0.0f : 120.0f;
        drums.endGesture();
        total += allocationsDuring(1024);
        ASSERT_TRUE(drums.undo());
        total += allocationsDuring(1024);
        ASSERT_TRUE(drums.redo());
        total += allocationsDuring(1024);
    }
    EXPECT_EQ(drums.undoDepth(), 24u);
    EXPECT_EQ(total, 0);
}

// The user-interface side's requests (random keystrokes, a stop's release, the pads) are taken
// by the render loop at the start of a block, without allocating.
TEST_F(Allocation, BlocksThatTakeTheUserInterfacesRequestsAllocateNothing) {
    engine.play(0.0);
    engine.renderUnrecorded(4096);
    long total = 0;
    for (int i = 0; i < 42; ++i) {
        const int track = i % test::stateOf(*engine).trackCount;
        switch (i % 7) {
            case 0: engine->requestRandomRegeneration(); break;
            case 1: engine->requestTrackRandomRegeneration(track); break;
            case 2: engine->requestRandomKeystrokes(track, 0.5f); break;
            case 3: engine->requestRandomKeystrokeRemoval(track, i % 16); break;
            case 4: engine->requestTrackRandomClear(track); break;
            case 5: engine->keepRandomKeystrokes(); break;
            case 6: engine->requestRandomClear(); break;
        }
        engine->requestReleaseAllVoices();
        engine->padNote(track, 90);
        ASSERT_FALSE(test::stateOf(*engine).randomRequests.empty()) << "the render loop takes it, not this thread";
        total += allocationsDuring(1024 + 13 * i);
        EXPECT_TRUE(test::stateOf(*engine).randomRequests.empty());
        EXPECT_FALSE(test::stateOf(*engine).releaseAllRequested.load());
    }
    EXPECT_EQ(total, 0);
}

}  // namespace
}  // namespace rimba::engine_test
