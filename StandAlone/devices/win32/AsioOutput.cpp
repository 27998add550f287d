// An ASIO driver playing AudioOutput: loaded by its listed name from the process's catalog, at
// the driver's own preferred block size and current rate (this program never sets a rate), the
// plug-in's two channels converted into the driver's first two outputs on the driver's thread.
// The driver's callbacks carry no context, and one driver is loaded at a time, so they reach the
// open device through one process-wide pointer.

#include "StandAlone/devices/win32/WindowsDevices.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstring>

#include "StandAlone/devices/AudioDevice.h"
#include "StandAlone/devices/win32/AsioDriverCatalog.h"
#include "StandAlone/devices/win32/AsioSampleConversion.h"
#include "common/asio/AsioAbi.h"
#include "common/platform/AsioDrivers.h"

namespace rimba::standalone {

namespace {

// The buffer and channel tables hold this many channels, inputs and outputs together.
constexpr int kTableChannels = 64;
// The plug-in plays stereo: only a driver's first two outputs are written.
constexpr int kPlayedOutputs = 2;
// Set before a driver fills the entry, so that an entry the driver does not describe keeps a
// type nothing is written as.
constexpr asio::SampleType kUndescribedType = -1;

AsioDriverCatalog& processCatalog() {
    static AsioDriverCatalog catalog;
    return catalog;
}

class AsioDevice;
// The device the driver's callbacks serve; null while none plays.
std::atomic<AsioDevice*> playingDevice{nullptr};

// How many inputs and outputs the tables hold. The host reads no input, so when a driver has
// more channels than the tables, its outputs keep their places and the inputs get what is left.
struct TableShape {
    int inputs;
    int outputs;
    int total() const { return inputs + outputs; }
};

TableShape tableShapeFor(int driverInputs, int driverOutputs) {
    const int outputs = std::min(driverOutputs, kTableChannels);
    const int inputs = std::clamp(driverInputs, 0, kTableChannels - outputs);
    return {inputs, outputs};
}

void copyText(char* destination, std::size_t size, const char* text) { std::snprintf(destination, size, "%s", text); }

class AsioDevice final : public AudioOutput::Device {
public:
    explicit AsioDevice(AudioOutput& output) : output(output) {}
    ~AsioDevice() override { close(); }
    AsioDevice(const AsioDevice&) = delete;
    AsioDevice& operator=(const AsioDevice&) = delete;

    bool open(const std::string& listedName);

    // The driver's thread.
    void playBlock(asio::Int32 bufferIndex);
    asio::Driver* currentDriver() const { return driver; }

private:
    bool loadAndInitialise(const std::string& listedName);
    bool askFormat(int& preferredSize, int& rate);
    void fillTables();
    bool createAndStart(int preferredSize);
    void exitDriver();
    void close();

    AudioOutput& output;
    asio::Driver* driver = nullptr;
    asio::DriverInfo info{};
    TableShape shape{0, 0};
    int blockSize = 0;
    bool started = false;
    asio::BufferInfo bufferInfos[kTableChannels]{};
    asio::ChannelInfo channelInfos[kTableChannels]{};
    asio::Callbacks callbacks{};
};

asio::Time* onBufferSwitchTimeInfo(asio::Time*, asio::Int32 bufferIndex, asio::Bool) {
    if (AsioDevice* device = playingDevice.load(std::memory_order_acquire))
        device->playBlock(bufferIndex);
    return nullptr;
}

// Drivers that do not call the time-info callback themselves get a time record made here.
void onBufferSwitch(asio::Int32 bufferIndex, asio::Bool processNow) {
    AsioDevice* device = playingDevice.load(std::memory_order_acquire);
    if (device == nullptr)
        return;
    asio::Time time{};
    if (device->currentDriver()->getSamplePosition(&time.timeInfo.samplePosition, &time.timeInfo.systemTime) ==
        asio::kOk)
        time.timeInfo.flags = asio::kSystemTimeValid | asio::kSamplePositionValid;
    onBufferSwitchTimeInfo(&time, bufferIndex, processNow);
}

// The rate is the driver's business: the next open reads whatever rate it then has.
void onSampleRateChange(asio::SampleRate) {}

asio::Int32 onMessage(asio::Int32 selector, asio::Int32 value, void*, double*) {
    namespace m = asio::message;
    switch (selector) {
        case m::kSelectorSupported:
            return value == m::kEngineVersion || value == m::kResetRequest || value == m::kResyncRequest ||
                           value == m::kLatenciesChanged || value == m::kSupportsTimeInfo ||
                           value == m::kSupportsTimeCode || value == 10
                       ? 1
                       : 0;
        case m::kEngineVersion: return 2;
        case m::kResetRequest:  // acknowledged; the driver keeps playing as it is
        case m::kResyncRequest:
        case m::kLatenciesChanged:
        case m::kSupportsTimeInfo: return 1;
        default:  // buffer size changes and time code among them
            return 0;
    }
}

bool AsioDevice::open(const std::string& listedName) {
    // Loading another driver would release the playing one under its own thread.
    if (playingDevice.load(std::memory_order_acquire) != nullptr)
        return false;
    if (!loadAndInitialise(listedName))
        return false;
    int preferredSize = 0;
    int rate = 0;
    if (!askFormat(preferredSize, rate)) {
        exitDriver();
        return false;
    }
    blockSize = preferredSize;
    output.prepare(rate, preferredSize, preferredSize);
    fillTables();
    callbacks = {onBufferSwitch, onSampleRateChange, onMessage, onBufferSwitchTimeInfo};
    return createAndStart(preferredSize);
}

bool AsioDevice::loadAndInitialise(const std::string& listedName) {
    info.driverVersion = 0;
    copyText(info.name, sizeof info.name, "No ASIO Driver");
    AsioDriverCatalog& catalog = processCatalog();
    if (catalog.loadByName(listedName.c_str()) != catalog_result::kOk)
        return false;
    driver = catalog.loadedDriver();
    if (driver == nullptr)
        return false;
    if (driver->init(info.sysRef) == 0) {
        driver->getErrorMessage(info.errorMessage);
        exitDriver();
        return false;
    }
    copyText(info.errorMessage, sizeof info.errorMessage, "No ASIO Driver Error");
    driver->getDriverName(info.name);
    info.driverVersion = driver->getDriverVersion();
    return true;
}

// The driver's channels, block sizes and current rate. A block size or rate AudioOutput would
// not take is refused as a failed request: the buffers must hold what the driver asks for.
bool AsioDevice::askFormat(int& preferredSize, int& rate) {
    asio::Int32 inputs = 0, outputs = 0;
    if (driver->getChannels(&inputs, &outputs) != asio::kOk || outputs < kPlayedOutputs)
        return false;
    shape = tableShapeFor(inputs, outputs);
    asio::Int32 minimum = 0, maximum = 0, preferred = 0, granularity = 0;
    if (driver->getBufferSize(&minimum, &maximum, &preferred, &granularity) != asio::kOk)
        return false;
    asio::SampleRate current = 0;
    if (driver->getSampleRate(&current) != asio::kOk)
        return false;
    if (preferred <= 0 || preferred > AudioOutput::kLargestBlock || !(current >= AudioOutput::kLowestSampleRate) ||
        current > AudioOutput::kHighestSampleRate)
        return false;
    preferredSize = preferred;
    rate = static_cast<int>(current);  // the integer part
    return true;
}

void AsioDevice::fillTables() {
    for (int entry = 0; entry < shape.total(); ++entry) {
        const bool isInput = entry < shape.inputs;
        const asio::Int32 channel = isInput ? entry : entry - shape.inputs;
        bufferInfos[entry] = {isInput ? 1 : 0, channel, {nullptr, nullptr}};
        channelInfos[entry] = {};
        channelInfos[entry].channel = channel;
        channelInfos[entry].isInput = isInput ? 1 : 0;
        channelInfos[entry].type = kUndescribedType;
    }
}

bool AsioDevice::createAndStart(int preferredSize) {
    // Some drivers call back from within createBuffers or as soon as start is asked.
    playingDevice.store(this, std::memory_order_release);
    if (driver->createBuffers(bufferInfos, shape.total(), preferredSize, &callbacks) == asio::kOk) {
        for (int entry = 0; entry < shape.total(); ++entry)
            driver->getChannelInfo(&channelInfos[entry]);
        if (driver->start() == asio::kOk) {
            started = true;
            return true;
        }
    }
    playingDevice.store(nullptr, std::memory_order_release);
    driver->disposeBuffers();
    exitDriver();
    return false;
}

// Exiting a driver releases its object; the catalog then has none loaded.
void AsioDevice::exitDriver() {
    processCatalog().unload();
    driver = nullptr;
}

void AsioDevice::close() {
    if (!started)
        return;
    driver->stop();
    playingDevice.store(nullptr, std::memory_order_release);
    driver->disposeBuffers();
    exitDriver();
    started = false;
}

void AsioDevice::playBlock(asio::Int32 bufferIndex) {
    if (bufferIndex != 0 && bufferIndex != 1)
        return;
    output.processBlock(blockSize);
    const int played = std::min(shape.outputs, kPlayedOutputs);
    for (int k = 0; k < played; ++k) {
        const asio::BufferInfo& buffer = bufferInfos[shape.inputs + k];
        const asio::ChannelInfo& channel = channelInfos[shape.inputs + k];
        void* destination = buffer.buffers[bufferIndex];
        if (destination != nullptr)
            writeAsioSamples(channel.type, output.channel(buffer.channelNum), destination, blockSize);
    }
}

}  // namespace

std::vector<std::string> asioDriverNames() {
    char names[platform::kListedAsioDrivers][kListedNameSize] = {};
    const int listed = processCatalog().listNames(names, static_cast<int>(platform::kListedAsioDrivers));
    return std::vector<std::string>(names, names + listed);
}

std::unique_ptr<AudioOutput::Device> openAsioOutput(AudioOutput& output, const std::string& listedName) {
    auto device = std::make_unique<AsioDevice>(output);
    if (!device->open(listedName))
        return nullptr;
    return device;
}

}  // namespace rimba::standalone
