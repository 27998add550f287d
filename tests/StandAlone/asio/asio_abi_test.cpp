// The driver interface's table order, read from the compiler: a pointer to a virtual member
// function holds 1 + the byte offset of its table entry (the Itanium C++ ABI, which GCC uses on
// both systems). The fixture driver is built from the same header, so only this check holds the
// order to the published one.

#include "common/asio/AsioAbi.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

namespace {

template <typename Member>
std::ptrdiff_t tableSlotOf(Member member) {
    static_assert(sizeof(Member) == 2 * sizeof(std::ptrdiff_t));
    std::ptrdiff_t words[2];
    std::memcpy(words, &member, sizeof words);
    return (words[0] - 1) / static_cast<std::ptrdiff_t>(sizeof(void*));
}

TEST(AsioDriverInterface, EveryCallSitsInItsPublishedTableSlot) {
    using asio::Driver;
    const struct {
        const char* call;
        std::ptrdiff_t slot;
        std::ptrdiff_t expected;
    } calls[] = {
        {"QueryInterface", tableSlotOf(&Driver::queryInterface), 0},
        {"AddRef", tableSlotOf(&Driver::addRef), 1},
        {"Release", tableSlotOf(&Driver::release), 2},
        {"init", tableSlotOf(&Driver::init), 3},
        {"getDriverName", tableSlotOf(&Driver::getDriverName), 4},
        {"getDriverVersion", tableSlotOf(&Driver::getDriverVersion), 5},
        {"getErrorMessage", tableSlotOf(&Driver::getErrorMessage), 6},
        {"start", tableSlotOf(&Driver::start), 7},
        {"stop", tableSlotOf(&Driver::stop), 8},
        {"getChannels", tableSlotOf(&Driver::getChannels), 9},
        {"getLatencies", tableSlotOf(&Driver::getLatencies), 10},
        {"getBufferSize", tableSlotOf(&Driver::getBufferSize), 11},
        {"canSampleRate", tableSlotOf(&Driver::canSampleRate), 12},
        {"getSampleRate", tableSlotOf(&Driver::getSampleRate), 13},
        {"setSampleRate", tableSlotOf(&Driver::setSampleRate), 14},
        {"getClockSources", tableSlotOf(&Driver::getClockSources), 15},
        {"setClockSource", tableSlotOf(&Driver::setClockSource), 16},
        {"getSamplePosition", tableSlotOf(&Driver::getSamplePosition), 17},
        {"getChannelInfo", tableSlotOf(&Driver::getChannelInfo), 18},
        {"createBuffers", tableSlotOf(&Driver::createBuffers), 19},
        {"disposeBuffers", tableSlotOf(&Driver::disposeBuffers), 20},
        {"controlPanel", tableSlotOf(&Driver::controlPanel), 21},
        {"future", tableSlotOf(&Driver::future), 22},
        {"outputReady", tableSlotOf(&Driver::outputReady), 23},
    };
    for (const auto& c : calls)
        EXPECT_EQ(c.slot, c.expected) << c.call;
}

}  // namespace
