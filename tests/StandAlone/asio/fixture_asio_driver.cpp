// A small ASIO driver of our own: a COM in-process server whose object answers as a driver with
// two 16-bit outputs and no inputs, at 44100 or 48000 Hz. It plays nothing; it is there so that
// the host side can be tested through a driver loaded as every ASIO driver is.

#include "tests/StandAlone/asio/FixtureAsioDriver.h"

#include "common/platform/win32/Windows.h"

#include <objbase.h>
#include <unknwn.h>

#include <atomic>
#include <cstdio>
#include <cstring>

namespace {

using namespace rimba::test;

std::atomic<long> liveObjects{0};
std::atomic<long> serverLocks{0};

bool isFixtureClass(const GUID& id) { return std::memcmp(&id, &kFixtureAsioClassId, sizeof id) == 0; }

class FixtureDriver final : public asio::Driver {
public:
    FixtureDriver() { ++liveObjects; }

    std::int32_t queryInterface(const asio::Guid& iid, void** object) override {
        if (object == nullptr)
            return E_POINTER;
        GUID asked;
        std::memcpy(&asked, &iid, sizeof asked);
        // Hosts ask for the driver's own class id as the interface.
        if (!IsEqualGUID(asked, IID_IUnknown) && !isFixtureClass(asked)) {
            *object = nullptr;
            return E_NOINTERFACE;
        }
        *object = this;
        addRef();
        return S_OK;
    }
    std::uint32_t addRef() override { return static_cast<std::uint32_t>(++references); }
    std::uint32_t release() override {
        const long left = --references;
        if (left == 0)
            delete this;
        return static_cast<std::uint32_t>(left);
    }

    asio::Bool init(void*) override {
        initialised = true;
        return 1;
    }
    void getDriverName(char* name) override { std::snprintf(name, 32, "%s", kFixtureAsioDriverName); }
    asio::Int32 getDriverVersion() override { return kFixtureAsioDriverVersion; }
    void getErrorMessage(char* text) override { std::snprintf(text, 124, "%s", "no error"); }
    asio::Error start() override { return buffersCreated ? asio::kOk : asio::kInvalidMode; }
    asio::Error stop() override { return asio::kOk; }
    asio::Error getChannels(asio::Int32* inputs, asio::Int32* outputs) override {
        if (!initialised)
            return asio::kNotPresent;
        *inputs = 0;
        *outputs = kFixtureAsioOutputs;
        return asio::kOk;
    }
    asio::Error getLatencies(asio::Int32* inputLatency, asio::Int32* outputLatency) override {
        *inputLatency = kFixtureAsioBlockSize;
        *outputLatency = kFixtureAsioBlockSize;
        return asio::kOk;
    }
    asio::Error getBufferSize(asio::Int32* minimum, asio::Int32* maximum, asio::Int32* preferred,
                              asio::Int32* granularity) override {
        *minimum = *maximum = *preferred = kFixtureAsioBlockSize;
        *granularity = 0;
        return asio::kOk;
    }
    asio::Error canSampleRate(asio::SampleRate candidate) override {
        return candidate == 44100.0 || candidate == 48000.0 ? asio::kOk : asio::kNoClock;
    }
    asio::Error getSampleRate(asio::SampleRate* current) override {
        *current = rate;
        return asio::kOk;
    }
    asio::Error setSampleRate(asio::SampleRate wanted) override {
        if (canSampleRate(wanted) != asio::kOk)
            return asio::kNoClock;
        rate = wanted;
        return asio::kOk;
    }
    asio::Error getClockSources(asio::ClockSource* clocks, asio::Int32* count) override {
        *clocks = {0, -1, -1, 1, "Internal"};
        *count = 1;
        return asio::kOk;
    }
    asio::Error setClockSource(asio::Int32 reference) override {
        return reference == 0 ? asio::kOk : asio::kInvalidParameter;
    }
    asio::Error getSamplePosition(asio::Samples* position, asio::TimeStamp* stamp) override {
        *position = {0, 0};
        *stamp = {0, 0};
        return asio::kOk;
    }
    asio::Error getChannelInfo(asio::ChannelInfo* info) override {
        if (info->isInput != 0 || info->channel < 0 || info->channel >= kFixtureAsioOutputs)
            return asio::kInvalidParameter;
        info->isActive = buffersCreated ? 1 : 0;
        info->channelGroup = 0;
        info->type = kFixtureAsioSampleType;
        std::snprintf(info->name, sizeof info->name, "Out %d", static_cast<int>(info->channel) + 1);
        return asio::kOk;
    }
    asio::Error createBuffers(asio::BufferInfo* infos, asio::Int32 channels, asio::Int32 bufferSize,
                              asio::Callbacks*) override {
        if (bufferSize != kFixtureAsioBlockSize || channels > kFixtureAsioOutputs)
            return asio::kInvalidParameter;
        for (asio::Int32 i = 0; i < channels; ++i) {
            if (infos[i].isInput != 0 || infos[i].channelNum >= kFixtureAsioOutputs)
                return asio::kInvalidParameter;
            infos[i].buffers[0] = halves[infos[i].channelNum][0];
            infos[i].buffers[1] = halves[infos[i].channelNum][1];
        }
        buffersCreated = true;
        return asio::kOk;
    }
    asio::Error disposeBuffers() override {
        buffersCreated = false;
        return asio::kOk;
    }
    asio::Error controlPanel() override { return asio::kNotPresent; }
    asio::Error future(asio::Int32, void*) override { return asio::kInvalidParameter; }
    asio::Error outputReady() override { return asio::kNotPresent; }

private:
    ~FixtureDriver() { --liveObjects; }

    std::atomic<long> references{1};
    bool initialised = false;
    bool buffersCreated = false;
    asio::SampleRate rate = 44100.0;
    std::int16_t halves[kFixtureAsioOutputs][2][kFixtureAsioBlockSize] = {};
};

class Factory final : public IClassFactory {
public:
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
    // The factory is one static object; counting its references would serve nothing.
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }

    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** object) override {
        if (object == nullptr)
            return E_POINTER;
        *object = nullptr;
        if (outer != nullptr)
            return CLASS_E_NOAGGREGATION;
        auto* driver = new FixtureDriver;
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
};

Factory factory;

}  // namespace

extern "C" HRESULT STDAPICALLTYPE DllGetClassObject(REFCLSID classId, REFIID iid, void** object) {
    if (object == nullptr)
        return E_POINTER;
    *object = nullptr;
    if (!isFixtureClass(classId))
        return CLASS_E_CLASSNOTAVAILABLE;
    return factory.QueryInterface(iid, object);
}

extern "C" HRESULT STDAPICALLTYPE DllCanUnloadNow() {
    return liveObjects == 0 && serverLocks == 0 ? S_OK : S_FALSE;
}
