// The plug-in with its factory library installed beside it, loaded with dlopen as a host does:
// its first start fills the user's empty library folder with the factory library, wherever the
// plug-in file lies, and never touches a folder the user already has.

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/common/platform/TempFolder.h"
#include "tests/host/TestHost.h"

namespace rimba::test {
namespace {

namespace fs = std::filesystem;
using platform::fixtures::contentOf;
using platform::fixtures::TempFolder;

// Points the plug-in's library folder default at a folder of this test only, and puts the
// environment back afterwards.
class ScopedDataHome {
public:
    explicit ScopedDataHome(const std::string& folder) {
        if (const char* old = std::getenv("XDG_DATA_HOME"))
            previous = old;
        setenv("XDG_DATA_HOME", folder.c_str(), 1);
    }
    ~ScopedDataHome() {
        if (previous)
            setenv("XDG_DATA_HOME", previous->c_str(), 1);
        else
            unsetenv("XDG_DATA_HOME");
    }
    ScopedDataHome(const ScopedDataHome&) = delete;
    ScopedDataHome& operator=(const ScopedDataHome&) = delete;

private:
    std::optional<std::string> previous;
};

// Every file below `folder`, as paths relative to it, sorted.
std::vector<std::string> filesBelow(const std::string& folder) {
    std::vector<std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(folder))
        if (entry.is_regular_file())
            files.push_back(fs::relative(entry.path(), folder).string());
    std::sort(files.begin(), files.end());
    return files;
}

// A copy of the built plug-in (a copy, not a link: the loader would take a second name of an
// already loaded file for that file) with the factory library at `libraryPlace` relative to it.
std::string installPlugin(const TempFolder& temp, const std::string& pluginFolder, const std::string& libraryPlace) {
    const std::string folder = temp.makeFolder(pluginFolder);
    const std::string plugin = folder + "/RimbaDrums_64.so";
    fs::copy_file(RIMBA_PLUGIN_PATH, plugin);
    const std::string library = folder + "/" + libraryPlace;
    fs::create_directories(library);
    fs::copy(RIMBA_FACTORY_LIBRARY, library, fs::copy_options::recursive);
    return plugin;
}

// Creates one instance, as a host does when it scans or inserts the plug-in, and closes it.
void startAndClose(const std::string& pluginPath) {
    PluginLibrary plugin(pluginPath);
    ASSERT_TRUE(plugin.loaded()) << dlerror();
    hostRecord() = HostRecord{};
    AEffect* effect = plugin.create();
    ASSERT_NE(effect, nullptr);
    closeEffect(effect);
}

void expectSameFiles(const std::string& factory, const std::string& copy) {
    const std::vector<std::string> files = filesBelow(factory);
    ASSERT_EQ(filesBelow(copy), files);
    for (const std::string& file : files)
        EXPECT_EQ(contentOf(copy + "/" + file), contentOf(factory + "/" + file)) << file;
}

constexpr const char* kUserLibrary = "/VORN Studio/Rimba Drums";

TEST(FactoryLibraryHost, BuiltLibraryHoldsTheFactoryFiles) {
    const std::vector<std::string> files = filesBelow(RIMBA_FACTORY_LIBRARY);
    for (const char* expected : {"Drum Kits/Default.drs", "Drum Kits/RimbaRand.drs", "Patterns/Rimbastyle.ptn",
                                 "Programs/RimbaRand.fxp", "Samples/Kick.wav", "Samples/Cowbell.wav"})
        EXPECT_NE(std::find(files.begin(), files.end(), expected), files.end()) << expected;
    EXPECT_TRUE(fs::is_directory(std::string(RIMBA_FACTORY_LIBRARY) + "/SynthSounds/Synth"));
}

TEST(FactoryLibraryHost, PluginBesideItsLibraryFillsAMissingUserFolder) {
    TempFolder temp;
    const std::string plugin = installPlugin(temp, "home/.vst", "RimbaDrums_64-library");
    ScopedDataHome data(temp / "data");
    startAndClose(plugin);
    expectSameFiles(RIMBA_FACTORY_LIBRARY, temp / "data" + kUserLibrary);
    EXPECT_TRUE(fs::is_directory(temp / "data" + kUserLibrary + "/SynthSounds/Synth"));
}

TEST(FactoryLibraryHost, PluginUnderAPrefixFindsTheSharedLibraryAndFillsAnEmptyUserFolder) {
    TempFolder temp;
    const std::string plugin = installPlugin(temp, "usr/lib/vst", "../../share/RimbaDrums/library");
    ASSERT_TRUE(fs::exists(temp / "usr/share/RimbaDrums/library/Programs/RimbaRand.fxp"));
    temp.makeFolder(std::string("data") + kUserLibrary);
    ScopedDataHome data(temp / "data");
    startAndClose(plugin);
    expectSameFiles(RIMBA_FACTORY_LIBRARY, temp / "data" + kUserLibrary);
}

TEST(FactoryLibraryHost, UserFolderWithAnythingInItIsLeftAsItWas) {
    TempFolder temp;
    const std::string plugin = installPlugin(temp, "home/.vst", "RimbaDrums_64-library");
    temp.makeFile(std::string("data") + kUserLibrary + "/Programs/RimbaRand.fxp", "the user's own program");
    ScopedDataHome data(temp / "data");
    startAndClose(plugin);
    EXPECT_EQ(filesBelow(temp / "data" + kUserLibrary), std::vector<std::string>{"Programs/RimbaRand.fxp"});
    EXPECT_EQ(contentOf(temp / "data" + kUserLibrary + "/Programs/RimbaRand.fxp"), "the user's own program");
}

TEST(FactoryLibraryHost, PluginWithoutALibraryBesideItCopiesNothing) {
    TempFolder temp;
    const std::string folder = temp.makeFolder("lonely");
    fs::copy_file(RIMBA_PLUGIN_PATH, folder + "/RimbaDrums_64.so");
    ScopedDataHome data(temp / "data");
    startAndClose(folder + "/RimbaDrums_64.so");
    const std::string user = temp / "data" + kUserLibrary;
    EXPECT_TRUE(!fs::exists(user) || fs::is_empty(user));
}

}  // namespace
}  // namespace rimba::test
