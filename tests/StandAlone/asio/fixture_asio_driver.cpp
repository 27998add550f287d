// A small ASIO driver of our own: a COM in-process server whose object answers as a driver with
// the inputs, outputs, sample type, block size and rate its registry key sets (FixtureAsioDriver.h),
// logs every call a host makes, plays buffer switches from a thread of its own and records what
// the host wrote into its output buffers. It makes no sound; it is there so that the host side
// can be tested through a driver loaded as every ASIO driver is.

#include "tests/StandAlone/asio/FixtureAsioDriver.h"

#include "common/platform/win32/Windows.h"

#include <objbase.h>
#include <unknwn.h>

#include <array>
#include <atomic>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace {

using namespace rimba::test;

std::atomic<long> liveObjects{0};
std::atomic<long> serverLocks{0};

bool sameGuid(const void* a, const asio::Guid& b) { return std::memcmp(a, &b, sizeof b) == 0; }
bool isServedClass(const GUID& id) {
    return sameGuid(&id, kFixtureAsioClassId) || sameGuid(&id, kPlayingFixtureAsioClassId);
}

std::string classIdText(const GUID& id) {
    return sameGuid(&id, kFixtureAsioClassId) ? kFixtureAsioClassIdText : kPlayingFixtureAsioClassIdText;
}

struct Settings {
    int inputs = 0;
    int outputs = kFixtureAsioOutputs;
    asio::SampleType sampleType = kFixtureAsioSampleType;
    int bufferSize = kFixtureAsioBlockSize;
    int rate = kFixtureAsioRate;
    bool failInit = false;
    int blocks = 0;
    std::string logFile, recordFile, playedEvent;
};

Settings readSettings(const GUID& classId) {
    Settings settings;
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CLASSES_ROOT, ("CLSID\\" + classIdText(classId)).c_str(), 0, KEY_READ, &key) !=
        ERROR_SUCCESS)
        return settings;
    const auto number = [&](const char* name, int& value) {
        DWORD read = 0, size = sizeof read, type = 0;
        if (RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&read), &size) == ERROR_SUCCESS &&
            type == REG_DWORD)
            value = static_cast<int>(read);
    };
    const auto text = [&](const char* name, std::string& value) {
        char read[512] = {};
        DWORD size = sizeof read - 1, type = 0;
        if (RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(read), &size) == ERROR_SUCCESS &&
            type == REG_SZ)
            value = read;
    };
    int failInit = 0;
    number("Inputs", settings.inputs);
    number("Outputs", settings.outputs);
    number("SampleType", settings.sampleType);
    number("BufferSize", settings.bufferSize);
    number("SampleRate", settings.rate);
    number("FailInit", failInit);
    number("Blocks", settings.blocks);
    text("LogFile", settings.logFile);
    text("RecordFile", settings.recordFile);
    text("PlayedEvent", settings.playedEvent);
    settings.failInit = failInit != 0;
    RegCloseKey(key);
    return settings;
}

// Bytes a sample of the type takes in the record; the DSD types pack eight samples in a byte,
// recorded here as one byte per sample all the same.
int recordedBytes(asio::SampleType type) {
    namespace st = asio::sample_type;
    switch (type) {
        case st::kInt16MSB:
        case st::kInt16LSB: return 2;
        case st::kInt24MSB:
        case st::kInt24LSB: return 3;
        case st::kFloat64MSB:
        case st::kFloat64LSB: return 8;
        case st::kInt32MSB:
        case st::kFloat32MSB:
        case st::kInt32MSB16:
        case st::kInt32MSB18:
        case st::kInt32MSB20:
        case st::kInt32MSB24:
        case st::kInt32LSB:
        case st::kFloat32LSB:
        case st::kInt32LSB16:
        case st::kInt32LSB18:
        case st::kInt32LSB20:
        case st::kInt32LSB24: return 4;
        default: return 1;
    }
}

class CallLog {
public:
    explicit CallLog(const std::string& path) {
        if (!path.empty())
            file = std::fopen(path.c_str(), "a");
    }
    ~CallLog() {
        if (file != nullptr)
            std::fclose(file);
    }
    void line(const char* format, ...) {
        if (file == nullptr)
            return;
        const std::lock_guard<std::mutex> lock(guard);
        va_list arguments;
        va_start(arguments, format);
        std::vfprintf(file, format, arguments);
        va_end(arguments);
        std::fputc('\n', file);
        std::fflush(file);
    }

private:
    std::FILE* file = nullptr;
    std::mutex guard;
};

class FixtureDriver final : public asio::Driver {
public:
    explicit FixtureDriver(const GUID& classId)
        : classId(classId), settings(readSettings(classId)), log(settings.logFile) {
        ++liveObjects;
    }

    std::int32_t queryInterface(const asio::Guid& iid, void** object) override {
        log.line("queryInterface");
        if (object == nullptr)
            return E_POINTER;
        GUID asked;
        std::memcpy(&asked, &iid, sizeof asked);
        // Hosts ask for the driver's own class id as the interface.
        if (!IsEqualGUID(asked, IID_IUnknown) && !IsEqualGUID(asked, classId)) {
            *object = nullptr;
            return E_NOINTERFACE;
        }
        *object = this;
        addRef();
        return S_OK;
    }
    std::uint32_t addRef() override {
        const long count = ++references;
        log.line("addRef %ld", count);
        return static_cast<std::uint32_t>(count);
    }
    std::uint32_t release() override {
        const long left = --references;
        log.line("release %ld", left);
        if (left == 0)
            delete this;
        return static_cast<std::uint32_t>(left);
    }

    asio::Bool init(void* system) override {
        log.line("init %s", system == nullptr ? "null" : "handle");
        initialised = !settings.failInit;
        return initialised ? 1 : 0;
    }
    void getDriverName(char* name) override {
        log.line("getDriverName");
        std::snprintf(name, 32, "%s", kFixtureAsioDriverName);
    }
    asio::Int32 getDriverVersion() override {
        log.line("getDriverVersion");
        return kFixtureAsioDriverVersion;
    }
    void getErrorMessage(char* text) override {
        log.line("getErrorMessage");
        std::snprintf(text, 124, "%s", initialised ? "no error" : "the fixture was told to fail");
    }
    asio::Error start() override {
        log.line("start");
        if (!buffersCreated)
            return asio::kInvalidMode;
        if (settings.blocks > 0 && !player.joinable())
            player = std::thread([this] { playBlocks(); });
        return asio::kOk;
    }
    asio::Error stop() override {
        log.line("stop");
        stopPlaying();
        return asio::kOk;
    }
    asio::Error getChannels(asio::Int32* inputs, asio::Int32* outputs) override {
        log.line("getChannels");
        if (!initialised)
            return asio::kNotPresent;
        *inputs = settings.inputs;
        *outputs = settings.outputs;
        return asio::kOk;
    }
    asio::Error getLatencies(asio::Int32* inputLatency, asio::Int32* outputLatency) override {
        log.line("getLatencies");
        *inputLatency = *outputLatency = settings.bufferSize;
        return asio::kOk;
    }
    asio::Error getBufferSize(asio::Int32* minimum, asio::Int32* maximum, asio::Int32* preferred,
                              asio::Int32* granularity) override {
        log.line("getBufferSize");
        *minimum = *maximum = *preferred = settings.bufferSize;
        *granularity = 0;
        return asio::kOk;
    }
    asio::Error canSampleRate(asio::SampleRate candidate) override {
        log.line("canSampleRate %g", candidate);
        return candidate == 44100.0 || candidate == 48000.0 ? asio::kOk : asio::kNoClock;
    }
    asio::Error getSampleRate(asio::SampleRate* current) override {
        log.line("getSampleRate");
        *current = settings.rate;
        return asio::kOk;
    }
    asio::Error setSampleRate(asio::SampleRate wanted) override {
        log.line("setSampleRate %g", wanted);
        settings.rate = static_cast<int>(wanted);
        return asio::kOk;
    }
    asio::Error getClockSources(asio::ClockSource* clocks, asio::Int32* count) override {
        log.line("getClockSources");
        *clocks = {0, -1, -1, 1, "Internal"};
        *count = 1;
        return asio::kOk;
    }
    asio::Error setClockSource(asio::Int32 reference) override {
        log.line("setClockSource %d", static_cast<int>(reference));
        return reference == 0 ? asio::kOk : asio::kInvalidParameter;
    }
    asio::Error getSamplePosition(asio::Samples* position, asio::TimeStamp* stamp) override {
        log.line("getSamplePosition");
        const auto samples =
            static_cast<std::uint64_t>(played.load()) * static_cast<std::uint64_t>(settings.bufferSize);
        *position = {static_cast<std::uint32_t>(samples >> 32), static_cast<std::uint32_t>(samples)};
        *stamp = {0, 0};
        return asio::kOk;
    }
    asio::Error getChannelInfo(asio::ChannelInfo* info) override {
        log.line("getChannelInfo %s %d", info->isInput ? "in" : "out", static_cast<int>(info->channel));
        const int count = info->isInput ? settings.inputs : settings.outputs;
        if (info->channel < 0 || info->channel >= count)
            return asio::kInvalidParameter;
        info->isActive = buffersCreated ? 1 : 0;
        info->channelGroup = 0;
        info->type = settings.sampleType;
        std::snprintf(info->name, sizeof info->name, "%s %d", info->isInput ? "In" : "Out",
                      static_cast<int>(info->channel) + 1);
        return asio::kOk;
    }
    asio::Error createBuffers(asio::BufferInfo* infos, asio::Int32 channels, asio::Int32 bufferSize,
                              asio::Callbacks* hostCallbacks) override {
        std::string table;
        for (asio::Int32 i = 0; i < channels; ++i)
            table += std::string(infos[i].isInput ? " in" : " out") + std::to_string(infos[i].channelNum);
        log.line("createBuffers %d %d%s", static_cast<int>(channels), static_cast<int>(bufferSize), table.c_str());
        if (bufferSize != settings.bufferSize || hostCallbacks == nullptr)
            return asio::kInvalidParameter;
        for (asio::Int32 i = 0; i < channels; ++i) {
            const int count = infos[i].isInput ? settings.inputs : settings.outputs;
            if (infos[i].channelNum < 0 || infos[i].channelNum >= count)
                return asio::kInvalidParameter;
        }
        const std::size_t halfBytes = static_cast<std::size_t>(bufferSize) * kFixtureAsioLargestSample;
        storage.assign(static_cast<std::size_t>(channels) * 2,
                       std::vector<unsigned char>(halfBytes, kFixtureAsioUntouchedByte));
        outputHalves.clear();
        for (asio::Int32 i = 0; i < channels; ++i) {
            infos[i].buffers[0] = storage[static_cast<std::size_t>(i) * 2].data();
            infos[i].buffers[1] = storage[static_cast<std::size_t>(i) * 2 + 1].data();
            if (!infos[i].isInput)
                outputHalves.push_back({storage[static_cast<std::size_t>(i) * 2].data(),
                                        storage[static_cast<std::size_t>(i) * 2 + 1].data()});
        }
        callbacks = *hostCallbacks;
        buffersCreated = true;
        askHostMessages();
        return asio::kOk;
    }
    asio::Error disposeBuffers() override {
        log.line("disposeBuffers");
        stopPlaying();
        buffersCreated = false;
        storage.clear();
        outputHalves.clear();
        return asio::kOk;
    }
    asio::Error controlPanel() override {
        log.line("controlPanel");
        return asio::kNotPresent;
    }
    asio::Error future(asio::Int32 selector, void*) override {
        log.line("future %d", static_cast<int>(selector));
        return asio::kInvalidParameter;
    }
    asio::Error outputReady() override {
        log.line("outputReady");
        return asio::kNotPresent;
    }

private:
    ~FixtureDriver() {
        stopPlaying();
        --liveObjects;
    }

    // The host's answers to the messages a driver may send, logged apart from the calls.
    void askHostMessages() {
        for (asio::Int32 value = 1; value <= 11; ++value)
            log.line("host message 1 %d = %d", static_cast<int>(value),
                     static_cast<int>(callbacks.asioMessage(1, value, nullptr, nullptr)));
        for (asio::Int32 selector = 2; selector <= 9; ++selector)
            log.line("host message %d 0 = %d", static_cast<int>(selector),
                     static_cast<int>(callbacks.asioMessage(selector, 0, nullptr, nullptr)));
    }

    void playBlocks() {
        std::FILE* record = settings.recordFile.empty() ? nullptr : std::fopen(settings.recordFile.c_str(), "ab");
        const std::size_t halfBytes = static_cast<std::size_t>(settings.bufferSize) *
                                      static_cast<std::size_t>(recordedBytes(settings.sampleType));
        for (int block = 0; block < settings.blocks && !stopping.load(); ++block) {
            const int half = block % 2;
            callbacks.bufferSwitch(half, 1);
            ++played;
            if (record != nullptr)
                for (const auto& halves : outputHalves)
                    std::fwrite(halves[static_cast<std::size_t>(half)], 1, halfBytes, record);
        }
        if (record != nullptr)
            std::fclose(record);
        if (!settings.playedEvent.empty())
            if (HANDLE event = OpenEventA(EVENT_MODIFY_STATE, FALSE, settings.playedEvent.c_str())) {
                SetEvent(event);
                CloseHandle(event);
            }
    }

    void stopPlaying() {
        stopping = true;
        if (player.joinable())
            player.join();
        stopping = false;
    }

    GUID classId;
    Settings settings;
    CallLog log;
    std::atomic<long> references{1};
    bool initialised = false;
    bool buffersCreated = false;
    asio::Callbacks callbacks{};
    std::vector<std::vector<unsigned char>> storage;
    std::vector<std::array<unsigned char*, 2>> outputHalves;
    std::thread player;
    std::atomic<bool> stopping{false};
    std::atomic<int> played{0};
};

class Factory final : public IClassFactory {
public:
    explicit Factory(const GUID& classId) : classId(classId) {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
        if (object == nullptr)
            return E_POINTER;
        if (!IsEqualGUID(iid, IID_IUnknown) && !IsEqualGUID(iid, IID_IClassFactory)) {
            *object = nullptr;
            return E_NOINTERFACE;
        }
        *object = this;
        return S_OK;
    }
    // The factories are static objects; counting their references would serve nothing.
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }

    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** object) override {
        if (object == nullptr)
            return E_POINTER;
        *object = nullptr;
        if (outer != nullptr)
            return CLASS_E_NOAGGREGATION;
        auto* driver = new FixtureDriver(classId);
        asio::Guid asked;
        std::memcpy(&asked, &iid, sizeof asked);
        const std::int32_t result = driver->queryInterface(asked, object);
        driver->release();
        return result;
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override {
        serverLocks += lock ? 1 : -1;
        return S_OK;
    }

private:
    GUID classId;
};

GUID asGuid(const asio::Guid& id) {
    GUID converted;
    std::memcpy(&converted, &id, sizeof converted);
    return converted;
}

Factory fixtureFactory(asGuid(kFixtureAsioClassId));
Factory playingFactory(asGuid(kPlayingFixtureAsioClassId));

}  // namespace

extern "C" HRESULT STDAPICALLTYPE DllGetClassObject(REFCLSID classId, REFIID iid, void** object) {
    if (object == nullptr)
        return E_POINTER;
    *object = nullptr;
    if (!isServedClass(classId))
        return CLASS_E_CLASSNOTAVAILABLE;
    Factory& factory = sameGuid(&classId, kFixtureAsioClassId) ? fixtureFactory : playingFactory;
    return factory.QueryInterface(iid, object);
}

extern "C" HRESULT STDAPICALLTYPE DllCanUnloadNow() { return liveObjects == 0 && serverLocks == 0 ? S_OK : S_FALSE; }
