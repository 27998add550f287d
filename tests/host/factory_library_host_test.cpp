// The plug-in with its factory library installed beside it, loaded with dlopen as a host does:
// its first start fills the user's empty library folder with the factory library, wherever the
// plug-in file lies, and adds to a folder the user already has only the user manuals it lacks.

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/common/platform/TempFolder.h"
#include "tests/host/TestHost.h"
#include "tests/host/UserLibrary.h"
#include "tests/support/UniqueFolder.h"

namespace rimba::test {
namespace {

namespace fs = std::filesystem;
using platform::fixtures::contentOf;
using platform::fixtures::TempFolder;

// Every file below `folder`, as paths relative to it, sorted.
std::vector<std::string> filesBelow(const std::string& folder) {
    std::vector<std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(folder))
        if (entry.is_regular_file())
            files.push_back(fs::relative(entry.path(), folder).generic_string());
    std::sort(files.begin(), files.end());
    return files;
}

// The built plug-in's file name (RimbaDrums_64.so or .dll).
std::string pluginFileName() { return fs::path(RIMBA_PLUGIN_PATH).filename().string(); }

// A copy of the built plug-in in `pluginFolder` (a copy, not a link: the loader would take a
// second name of an already loaded file for that file).
std::string copyPlugin(const TempFolder& temp, const std::string& pluginFolder) {
    const std::string plugin = below(temp.makeFolder(pluginFolder), pluginFileName());
    fs::copy_file(RIMBA_PLUGIN_PATH, plugin);
    return plugin;
}

// A copy of the built plug-in with the factory library at `libraryPlace` relative to it.
std::string installPlugin(const TempFolder& temp, const std::string& pluginFolder, const std::string& libraryPlace) {
    const std::string plugin = copyPlugin(temp, pluginFolder);
    const std::string library = below(fs::path(plugin).parent_path().string(), libraryPlace);
    fs::create_directories(library);
    fs::copy(RIMBA_FACTORY_LIBRARY, library, fs::copy_options::recursive);
    return plugin;
}

// Creates one instance, as a host does when it scans or inserts the plug-in, and closes it.
void startAndClose(const std::string& pluginPath) {
    PluginLibrary plugin(pluginPath);
    ASSERT_TRUE(plugin.loaded()) << plugin.loadError();
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

// The energy of the master pair over about three seconds of a playing host transport.
double masterEnergyWhilePlaying(AEffect* effect) {
    VstTimeInfo time{};
    time.sampleRate = 44100.0;
    time.tempo = 100.0;
    time.flags = kVstTransportPlaying | kVstTempoValid;
    hostRecord().timeInfo = &time;
    dispatch(effect, effSetSampleRate, 0, 0, nullptr, 44100.0f);
    dispatch(effect, effMainsChanged, 0, 1);
    constexpr int kFrames = 512;
    double energy = 0.0;
    for (int block = 0; block < 256; ++block) {
        time.samplePos = static_cast<double>(block) * kFrames;
        OutputBlock out(effect->numOutputs, kFrames, 0.0f);
        effect->processReplacing(effect, nullptr, out.pointers(), kFrames);
        for (int channel = 0; channel < 2; ++channel)
            for (const float x : out.channels[static_cast<std::size_t>(channel)])
                energy += static_cast<double>(x) * x;
    }
    hostRecord().timeInfo = nullptr;
    return energy;
}

// Starts one instance the way a host inserts it, lets it play, and closes it.
double firstStartEnergy(const std::string& pluginPath) {
    PluginLibrary plugin(pluginPath);
    EXPECT_TRUE(plugin.loaded()) << plugin.loadError();
    if (!plugin.loaded())
        return -1.0;
    hostRecord() = HostRecord{};
    AEffect* effect = plugin.create();
    EXPECT_NE(effect, nullptr);
    if (effect == nullptr)
        return -1.0;
    const double energy = masterEnergyWhilePlaying(effect);
    closeEffect(effect);
    return energy;
}

TEST(FactoryLibraryHost, BuiltLibraryHoldsTheFactoryFiles) {
    const std::vector<std::string> files = filesBelow(RIMBA_FACTORY_LIBRARY);
    for (const char* expected :
         {"Drum Kits/Default.drs", "Drum Kits/RimbaRand.drs", "Patterns/Rimbastyle.ptn", "Programs/RimbaRand.fxp",
          "Samples/Kick.wav", "Samples/Cowbell.wav", "UserManualEnglish.pdf", "UserManualFrench.pdf"})
        EXPECT_NE(std::find(files.begin(), files.end(), expected), files.end()) << expected;
    EXPECT_TRUE(fs::is_directory(below(RIMBA_FACTORY_LIBRARY, "SynthSounds/Synth")));
}

TEST(FactoryLibraryHost, PluginBesideItsLibraryFillsAMissingUserFolder) {
    TempFolder temp;
    const std::string plugin = installPlugin(temp, "home/.vst", "RimbaDrums_64-library");
    const ScopedUserLibrary user(temp.path());
    startAndClose(plugin);
    expectSameFiles(RIMBA_FACTORY_LIBRARY, user.folder());
    EXPECT_TRUE(fs::is_directory(below(user.folder(), "SynthSounds/Synth")));
}

TEST(FactoryLibraryHost, PluginUnderAPrefixFindsTheSharedLibraryAndFillsAnEmptyUserFolder) {
    TempFolder temp;
    const std::string plugin = installPlugin(temp, "usr/lib/vst", "../../share/RimbaDrums/library");
    ASSERT_TRUE(fs::exists(temp / "usr/share/RimbaDrums/library/Programs/RimbaRand.fxp"));
    const ScopedUserLibrary user(temp.path());
    fs::create_directories(user.folder());
    startAndClose(plugin);
    expectSameFiles(RIMBA_FACTORY_LIBRARY, user.folder());
}

TEST(FactoryLibraryHost, UserFolderInUseKeepsItsFilesAndReceivesOnlyTheManuals) {
    TempFolder temp;
    const std::string plugin = installPlugin(temp, "home/.vst", "RimbaDrums_64-library");
    const ScopedUserLibrary user(temp.path());
    const std::string own =
        temp.makeFile("data/VORN Studio/Rimba Drums/Programs/RimbaRand.fxp", "the user's own program");
    ASSERT_EQ(own, below(user.folder(), "Programs/RimbaRand.fxp"));
    startAndClose(plugin);
    EXPECT_EQ(filesBelow(user.folder()),
              (std::vector<std::string>{"Programs/RimbaRand.fxp", "UserManualEnglish.pdf", "UserManualFrench.pdf"}));
    EXPECT_EQ(contentOf(own), "the user's own program");
    for (const char* manual : {"UserManualEnglish.pdf", "UserManualFrench.pdf"})
        EXPECT_EQ(contentOf(below(user.folder(), manual)), contentOf(below(RIMBA_FACTORY_LIBRARY, manual))) << manual;
}

TEST(FactoryLibraryHost, PluginWithoutALibraryBesideItCopiesNothing) {
    TempFolder temp;
    const std::string plugin = copyPlugin(temp, "lonely");
    const ScopedUserLibrary user(temp.path());
    startAndClose(plugin);
    EXPECT_TRUE(!fs::exists(user.folder()) || fs::is_empty(user.folder()));
}

TEST(FactoryLibraryHost, AFirstStartBesideTheLibraryPlaysTheFactoryProgramOutOfTheBox) {
    TempFolder temp;
    const std::string plugin = installPlugin(temp, "with/.vst", "RimbaDrums_64-library");
    const std::string lonely = copyPlugin(temp, "without/.vst");
    double withLibrary = 0.0;
    double withoutLibrary = 0.0;
    {
        const ScopedUserLibrary user(temp / "with");
        withLibrary = firstStartEnergy(plugin);
    }
    {
        const ScopedUserLibrary user(temp / "without");
        withoutLibrary = firstStartEnergy(lonely);
    }
    EXPECT_GT(withLibrary, 100.0);  // three seconds of drums, not a stray sample
    EXPECT_EQ(withoutLibrary, 0.0);  // no sounds, so the same transport plays nothing
}

}  // namespace
}  // namespace rimba::test
