#include "tests/host/TestHost.h"

#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "tests/support/Environment.h"
#include "tests/support/UniqueFolder.h"

namespace rimba::test {

namespace {

// The plug-in reads and writes the user's settings store: on Linux give every test process a
// store of its own (on a memory file system where there is one, since every close writes it), so
// that tests neither see a developer's settings nor each other's. On Windows the store is the
// registry, which the Windows test run keeps in a Wine prefix of its own.
//
// The plug-in is loaded from that folder too, through a link (a copy where links cannot be
// made). A plug-in looks for its factory library beside its own file and copies it into an
// empty library folder; there it finds none, as if it had been installed alone, so these tests
// start from the instrument's construction defaults. tests/host/factory_library_host_test.cpp
// loads a plug-in that has its library beside it.
struct PrivateSettingsFolders {
    PrivateSettingsFolders() {
        const std::string base = std::filesystem::is_directory("/dev/shm") ? "/dev/shm" : "/tmp";
        root = std::filesystem::is_directory(base) ? base + "/rimba-host-test-" + std::to_string(::getpid())
                                                   : makeUniqueFolder("rimba-host-test");
        std::filesystem::create_directories(root + "/lib/vst");
        setEnvironmentVariable("XDG_CONFIG_HOME", root + "/config");
        setEnvironmentVariable("XDG_DATA_HOME", root + "/data");
        // On Windows the store outlives the process: what one test left must not reach the next.
        clearUserStore();
        plugin = root + "/lib/vst/" + std::filesystem::path(RIMBA_PLUGIN_PATH).filename().string();
        std::error_code ignored;
        std::filesystem::remove(plugin, ignored);
        std::error_code linkFailure;
        std::filesystem::create_symlink(RIMBA_PLUGIN_PATH, plugin, linkFailure);
        if (linkFailure)
            std::filesystem::copy_file(RIMBA_PLUGIN_PATH, plugin, ignored);
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

extern "C" VstIntPtr testHostCallback(AEffect*, VstInt32 opcode, VstInt32 index, VstIntPtr value, void*, float opt) {
    HostRecord& record = hostRecord();
    record.calls.emplace_back(opcode, value);
    switch (opcode) {
        case audioMasterVersion: return record.versionAnswer;
        case audioMasterGetTime: return reinterpret_cast<VstIntPtr>(record.timeInfo);
        case audioMasterAutomate:  // the parameter comes as the index, its new value as opt
            record.automations.emplace_back(index, opt);
            return 1;
        default: return 0;
    }
}

PluginLibrary::PluginLibrary() : PluginLibrary(privateSettingsFolders.plugin) {}

PluginLibrary::PluginLibrary(const std::string& path) : library(path) {}

VstPluginMainProc PluginLibrary::entry(const char* name) const {
    return library.isOpen() ? reinterpret_cast<VstPluginMainProc>(library.symbol(name)) : nullptr;
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
