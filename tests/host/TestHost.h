#pragma once
// A minimal VST 2.4 host for tests: loads the built plug-in through the platform's dynamic-library
// seam (dlopen on Linux, LoadLibraryA on Windows), as a real host does, and talks to it only
// through the binary interface.

#include <array>
#include <string>
#include <vector>

#include "common/platform/DynamicLibrary.h"
#include "common/vst/VstAbi.h"

namespace rimba::test {

// What the host callback answers and what it was asked. The callback carries no context of its
// own, so the tests share one record and reset it per test.
struct HostRecord {
    VstIntPtr versionAnswer = kVstVersion;
    VstTimeInfo* timeInfo = nullptr;
    std::vector<std::pair<VstInt32, VstIntPtr>> calls;  // opcode, value
    std::vector<std::pair<VstInt32, float>> automations;  // parameter index, value

    bool wasAsked(VstInt32 opcode, VstIntPtr value) const {
        for (const auto& [op, v] : calls)
            if (op == opcode && v == value)
                return true;
        return false;
    }
};

HostRecord& hostRecord();

// Removes the plug-in's store from the user's settings (the system's half is in posix/ or win32/).
// Every test process starts without one.
void clearUserStore();
extern "C" VstIntPtr testHostCallback(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                                      float opt);

class PluginLibrary {
public:
    // The built plug-in, through a link in the test's private folder where no factory library
    // lies beside it.
    PluginLibrary();
    explicit PluginLibrary(const std::string& path);

    bool loaded() const { return library.isOpen(); }
    const std::string& loadError() const { return library.lastError(); }
    VstPluginMainProc entry(const char* name = "VSTPluginMain") const;
    AEffect* create() const { return entry()(testHostCallback); }

private:
    platform::DynamicLibrary library;
};

// Dispatcher helpers.
VstIntPtr dispatch(AEffect* effect, VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0, void* ptr = nullptr,
                   float opt = 0.0f);
std::string textAnswer(AEffect* effect, VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0);
void closeEffect(AEffect* effect);

// A block of output buffers filled with a marker value, so a test can tell written from untouched.
struct OutputBlock {
    OutputBlock(int channels, int frames, float marker);
    float** pointers() { return channelPointers.data(); }
    bool allSilent() const;

    std::vector<std::vector<float>> channels;
    std::vector<float*> channelPointers;
};

}  // namespace rimba::test
