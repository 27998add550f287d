#include "tests/host/TestHost.h"

#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace rimba::test {

namespace {

// The plug-in reads and writes the user's settings store: give every test process a store of
// its own (on a memory file system where there is one, since every close writes it), so that
// tests neither see a developer's settings nor each other's.
//
// The plug-in is loaded through a link in that folder too. A plug-in looks for its factory
// library beside its own file and copies it into an empty library folder; through the link it
// finds none, as if it had been installed alone, so these tests start from the instrument's
// construction defaults. tests/host/factory_library_host_test.cpp loads a plug-in that has its
// library beside it.
struct PrivateSettingsFolders {
    PrivateSettingsFolders() {
        const std::string base = std::filesystem::is_directory("/dev/shm") ? "/dev/shm" : "/tmp";
        root = base + "/rimba-host-test-" + std::to_string(::getpid());
        std::filesystem::create_directories(root + "/lib/vst");
        setenv("XDG_CONFIG_HOME", (root + "/config").c_str(), 1);
        setenv("XDG_DATA_HOME", (root + "/data").c_str(), 1);
        plugin = root + "/lib/vst/RimbaDrums_64.so";
        std::error_code ignored;
        std::filesystem::remove(plugin, ignored);
        std::filesystem::create_symlink(RIMBA_PLUGIN_PATH, plugin, ignored);
    }
    ~PrivateSettingsFolders() {
        std::error_code ignored;
        std::filesystem::remove_all(root, ignored);
    }
    std::string root;
    std::string plugin;
};

const PrivateSettingsFolders privateSettingsFolders;

}  // namespace

HostRecord& hostRecord() {
    static HostRecord record;
    return record;
}

extern "C" VstIntPtr testHostCallback(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr value, void*, float opt) {
    HostRecord& record = hostRecord();
    record.calls.emplace_back(opcode, value);
    switch (opcode) {
        case audioMasterVersion:
            return record.versionAnswer;
        case audioMasterGetTime:
            return reinterpret_cast<VstIntPtr>(record.timeInfo);
        case audioMasterAutomate:
            record.automations.emplace_back(static_cast<VstInt32>(value), opt);
            return 1;
        default:
            return 0;
    }
}

PluginLibrary::PluginLibrary() : PluginLibrary(privateSettingsFolders.plugin) {}

PluginLibrary::PluginLibrary(const std::string& path) : handle(dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL)) {}

PluginLibrary::~PluginLibrary() {
    if (handle != nullptr)
        dlclose(handle);
}

VstPluginMainProc PluginLibrary::entry(const char* name) const {
    return handle ? reinterpret_cast<VstPluginMainProc>(dlsym(handle, name)) : nullptr;
}

VstIntPtr dispatch(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt) {
    return effect->dispatcher(effect, opcode, index, value, ptr, opt);
}

std::string textAnswer(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value) {
    std::array<char, 512> text{};
    text.fill('#');  // a missing terminator shows up as a run of '#'
    text.back() = 0;
    dispatch(effect, opcode, index, value, text.data());
    return text.data();
}

void closeEffect(AEffect* effect) { dispatch(effect, effClose); }

OutputBlock::OutputBlock(int channelCount, int frames, float marker)
    : channels(static_cast<std::size_t>(channelCount), std::vector<float>(static_cast<std::size_t>(frames), marker)) {
    for (auto& channel : channels)
        channelPointers.push_back(channel.data());
}

bool OutputBlock::allSilent() const {
    return std::all_of(channels.begin(), channels.end(), [](const std::vector<float>& channel) {
        return std::all_of(channel.begin(), channel.end(), [](float x) { return x == 0.0f; });
    });
}

}  // namespace rimba::test
