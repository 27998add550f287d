#pragma once
// The ASIO driver interface between a host and an audio driver, declared from its published
// binary layout: a COM interface (the three IUnknown entries, then the driver's calls in their
// table order) and the records passed through it. The driver's 32-bit integers are Windows'
// `long`, which is 32 bits there, so they are declared with a fixed width here and the header
// means the same on every system. Every size and offset a driver relies on is checked below for
// x86-64, so a layout slip fails the build instead of corrupting a driver's memory.

#include <cstddef>
#include <cstdint>

namespace asio {

using Int32 = std::int32_t;
using Bool = std::int32_t;  // 0 false, anything else true
using Error = std::int32_t;
using SampleRate = double;
using SampleType = std::int32_t;

// A 64-bit count carried as two 32-bit halves, the most significant first.
struct Samples {
    std::uint32_t hi;
    std::uint32_t lo;
};
using TimeStamp = Samples;  // nanoseconds of the system clock

// The COM interface identifier's layout (the same 16 bytes as Windows' GUID).
struct Guid {
    std::uint32_t data1;
    std::uint16_t data2;
    std::uint16_t data3;
    std::uint8_t data4[8];
};

constexpr Error kOk = 0;
constexpr Error kSuccess = 0x3f4847a0;  // the answer of future() to a selector it handled
constexpr Error kNotPresent = -1000;  // no driver, or no hardware
constexpr Error kHardwareMalfunction = -999;
constexpr Error kInvalidParameter = -998;
constexpr Error kInvalidMode = -997;
constexpr Error kSamplePositionNotAdvancing = -996;
constexpr Error kNoClock = -995;
constexpr Error kNoMemory = -994;

// Sample types: MSB is big-endian, LSB little-endian; the Int32xx16..24 types hold 16 to 24
// significant bits in a 32-bit container, aligned to its least significant end.
namespace sample_type {
constexpr SampleType kInt16MSB = 0;
constexpr SampleType kInt24MSB = 1;
constexpr SampleType kInt32MSB = 2;
constexpr SampleType kFloat32MSB = 3;
constexpr SampleType kFloat64MSB = 4;
constexpr SampleType kInt32MSB16 = 8;
constexpr SampleType kInt32MSB18 = 9;
constexpr SampleType kInt32MSB20 = 10;
constexpr SampleType kInt32MSB24 = 11;
constexpr SampleType kInt16LSB = 16;
constexpr SampleType kInt24LSB = 17;
constexpr SampleType kInt32LSB = 18;
constexpr SampleType kFloat32LSB = 19;
constexpr SampleType kFloat64LSB = 20;
constexpr SampleType kInt32LSB16 = 24;
constexpr SampleType kInt32LSB18 = 25;
constexpr SampleType kInt32LSB20 = 26;
constexpr SampleType kInt32LSB24 = 27;
}  // namespace sample_type

// The selectors of the host's message callback.
namespace message {
constexpr Int32 kSelectorSupported = 1;
constexpr Int32 kEngineVersion = 2;
constexpr Int32 kResetRequest = 3;
constexpr Int32 kBufferSizeChange = 4;
constexpr Int32 kResyncRequest = 5;
constexpr Int32 kLatenciesChanged = 6;
constexpr Int32 kSupportsTimeInfo = 7;
constexpr Int32 kSupportsTimeCode = 8;
}  // namespace message

// TimeInfo::flags
constexpr std::uint32_t kSystemTimeValid = 1;
constexpr std::uint32_t kSamplePositionValid = 2;
constexpr std::uint32_t kSampleRateValid = 4;
constexpr std::uint32_t kSpeedValid = 8;
constexpr std::uint32_t kSampleRateChanged = 16;
constexpr std::uint32_t kClockSourceChanged = 32;

struct DriverInfo {
    Int32 asioVersion;  // in: the host's
    Int32 driverVersion;
    char name[32];
    char errorMessage[124];
    void* sysRef;  // in: the host's main window on Windows
};

struct ClockSource {
    Int32 index;
    Int32 associatedChannel;
    Int32 associatedGroup;
    Bool isCurrentSource;
    char name[32];
};

struct ChannelInfo {
    Int32 channel;  // in
    Bool isInput;  // in
    Bool isActive;
    Int32 channelGroup;
    SampleType type;
    char name[32];
};

struct BufferInfo {
    Bool isInput;  // in
    Int32 channelNum;  // in
    void* buffers[2];  // out: the two halves the driver switches between
};

struct TimeInfo {
    double speed;
    TimeStamp systemTime;
    Samples samplePosition;
    SampleRate sampleRate;
    std::uint32_t flags;
    char reserved[12];
};

struct TimeCode {
    double speed;
    Samples timeCodeSamples;
    std::uint32_t flags;
    char future[64];
};

struct Time {
    Int32 reserved[4];
    TimeInfo timeInfo;
    TimeCode timeCode;
};

extern "C" {
struct Callbacks {
    void (*bufferSwitch)(Int32 doubleBufferIndex, Bool directProcess);
    void (*sampleRateDidChange)(SampleRate rate);
    Int32 (*asioMessage)(Int32 selector, Int32 value, void* message, double* opt);
    Time* (*bufferSwitchTimeInfo)(Time* params, Int32 doubleBufferIndex, Bool directProcess);
};
}

// The driver's COM object. Its table starts with IUnknown's three entries, declared here with
// the same shape, so that a pointer CoCreateInstance answers can be used as this type. x86-64
// Windows has one calling convention, which these virtual functions use.
class Driver {
public:
    virtual std::int32_t queryInterface(const Guid& iid, void** object) = 0;
    virtual std::uint32_t addRef() = 0;
    virtual std::uint32_t release() = 0;

    virtual Bool init(void* sysHandle) = 0;
    virtual void getDriverName(char* name) = 0;  // at most 32 bytes with the terminating zero
    virtual Int32 getDriverVersion() = 0;
    virtual void getErrorMessage(char* text) = 0;  // at most 124 bytes with the terminating zero
    virtual Error start() = 0;
    virtual Error stop() = 0;
    virtual Error getChannels(Int32* inputs, Int32* outputs) = 0;
    virtual Error getLatencies(Int32* inputLatency, Int32* outputLatency) = 0;
    virtual Error getBufferSize(Int32* minimum, Int32* maximum, Int32* preferred, Int32* granularity) = 0;
    virtual Error canSampleRate(SampleRate rate) = 0;
    virtual Error getSampleRate(SampleRate* rate) = 0;
    virtual Error setSampleRate(SampleRate rate) = 0;
    virtual Error getClockSources(ClockSource* clocks, Int32* count) = 0;
    virtual Error setClockSource(Int32 reference) = 0;
    virtual Error getSamplePosition(Samples* position, TimeStamp* stamp) = 0;
    virtual Error getChannelInfo(ChannelInfo* info) = 0;
    virtual Error createBuffers(BufferInfo* infos, Int32 channels, Int32 bufferSize, Callbacks* callbacks) = 0;
    virtual Error disposeBuffers() = 0;
    virtual Error controlPanel() = 0;
    virtual Error future(Int32 selector, void* option) = 0;
    virtual Error outputReady() = 0;

protected:
    ~Driver() = default;  // a driver goes away through release(), never through delete
};

}  // namespace asio

#if defined(__x86_64__) || defined(_M_X64)
static_assert(sizeof(asio::Guid) == 16);
static_assert(sizeof(asio::Samples) == 8 && offsetof(asio::Samples, lo) == 4);

static_assert(sizeof(asio::DriverInfo) == 176);
static_assert(offsetof(asio::DriverInfo, driverVersion) == 4);
static_assert(offsetof(asio::DriverInfo, name) == 8);
static_assert(offsetof(asio::DriverInfo, errorMessage) == 40);
static_assert(offsetof(asio::DriverInfo, sysRef) == 168);

static_assert(sizeof(asio::ClockSource) == 48);
static_assert(offsetof(asio::ClockSource, isCurrentSource) == 12);
static_assert(offsetof(asio::ClockSource, name) == 16);

static_assert(sizeof(asio::ChannelInfo) == 52);
static_assert(offsetof(asio::ChannelInfo, isInput) == 4);
static_assert(offsetof(asio::ChannelInfo, isActive) == 8);
static_assert(offsetof(asio::ChannelInfo, channelGroup) == 12);
static_assert(offsetof(asio::ChannelInfo, type) == 16);
static_assert(offsetof(asio::ChannelInfo, name) == 20);

static_assert(sizeof(asio::BufferInfo) == 24);
static_assert(offsetof(asio::BufferInfo, channelNum) == 4);
static_assert(offsetof(asio::BufferInfo, buffers) == 8);

static_assert(sizeof(asio::TimeInfo) == 48);
static_assert(offsetof(asio::TimeInfo, systemTime) == 8);
static_assert(offsetof(asio::TimeInfo, samplePosition) == 16);
static_assert(offsetof(asio::TimeInfo, sampleRate) == 24);
static_assert(offsetof(asio::TimeInfo, flags) == 32);
static_assert(offsetof(asio::TimeInfo, reserved) == 36);

static_assert(sizeof(asio::TimeCode) == 88);
static_assert(offsetof(asio::TimeCode, timeCodeSamples) == 8);
static_assert(offsetof(asio::TimeCode, flags) == 16);
static_assert(offsetof(asio::TimeCode, future) == 20);

static_assert(sizeof(asio::Time) == 152);
static_assert(offsetof(asio::Time, timeInfo) == 16);
static_assert(offsetof(asio::Time, timeCode) == 64);

static_assert(sizeof(asio::Callbacks) == 32);
static_assert(offsetof(asio::Callbacks, sampleRateDidChange) == 8);
static_assert(offsetof(asio::Callbacks, asioMessage) == 16);
static_assert(offsetof(asio::Callbacks, bufferSwitchTimeInfo) == 24);
#endif
