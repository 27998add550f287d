// Every VST 2.4 library of Debian's plug-in packages (dpf-plugins-vst, zam-plugins,
// lsp-plugins-vst, dragonfly-reverb-vst, zynaddsubfx-vst), found in their folders when the test
// runs: an effect loads into a CPlugin and into a send, an insert and the synth slot of an
// instrument, turns seeded noise into finite samples on every channel the slot reads, and
// unloads; an instrument is refused and leaves the slot empty; a library with no entry point is
// refused for that. What each library is comes from the test's own look at it (dlopen, its
// entry point, the category it answers), not from the code under test.

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "plugin/core/VornDrums.h"
#include "common/platform/Files.h"
#include "common/platform/PeriodicTimer.h"
#include "plugin/effects/CPlugin.h"
#include "plugin/effects/EffectFiles.h"
#include "plugin/effects/EffectImages.h"
#include "plugin/model/Tags.h"
#include "plugin/tools/AudioExport.h"
#include "tests/support/InstrumentProbe.h"

namespace rimba {
namespace {

namespace fs = std::filesystem;

const char* const kFolders[] = {"/usr/lib/vst", "/usr/lib/vst/lsp-plugins", "/usr/lib/lxvst"};

std::vector<std::string> installedLibraries() {
    std::vector<std::string> found;
    for (const char* folder : kFolders) {
        std::error_code error;
        for (const fs::directory_entry& entry : fs::directory_iterator(folder, error))
            if (entry.is_regular_file() && entry.path().extension() == ".so")
                found.push_back(entry.path().string());
    }
    std::sort(found.begin(), found.end());
    return found;
}

enum class Kind { kEffect, kInstrument, kNoEntryPoint };

VstIntPtr probeHost(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float) {
    return opcode == audioMasterVersion ? 2400 : 0;
}

// LeakSanitizer looks for leaks when the process ends, once every plug-in library is unloaded:
// memory that a library (or one it depends on) holds through its own globals and never frees is
// then unreachable and reported with no module to name it by (libpixman under the lsp plug-ins'
// shared core, libfftw3f's plans under ZamVerb and ZamHeadX2). Under AddressSanitizer the test's
// own look at a library therefore keeps it mapped to the end, and with an lsp plug-in the shared
// core it loads by itself, so those globals stay reachable and a real leak names its library.
// The normal build lets every library go as a host does.
void* openToLook(const std::string& path) {
#if defined(__SANITIZE_ADDRESS__)
    std::error_code error;
    for (const fs::directory_entry& entry : fs::directory_iterator(fs::path(path).parent_path(), error))
        if (entry.path().filename().string().starts_with("lsp-plugins-vst2-"))
            dlopen(entry.path().c_str(), RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE);
    return dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE);
#else
    return dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
#endif
}

// The library opened here and asked for its category, as a host that knows nothing of CPlugin.
Kind kindOf(const std::string& path) {
    void* library = openToLook(path);
    if (library == nullptr)
        ADD_FAILURE() << path << ": " << dlerror();
    void* entry = library != nullptr ? dlsym(library, "VSTPluginMain") : nullptr;
    if (entry == nullptr && library != nullptr)
        entry = dlsym(library, "main");
    Kind kind = Kind::kNoEntryPoint;
    if (entry != nullptr) {
        AEffect* effect = reinterpret_cast<VstPluginMainProc>(entry)(probeHost);
        EXPECT_NE(effect, nullptr) << path;
        if (effect != nullptr) {
            const bool synth = effect->dispatcher(effect, effGetPlugCategory, 0, 0, nullptr, 0.0f) == kPlugCategSynth;
            kind = synth ? Kind::kInstrument : Kind::kEffect;
            effect->dispatcher(effect, effClose, 0, 0, nullptr, 0.0f);
        }
    }
    if (library != nullptr)
        dlclose(library);
    return kind;
}

std::string fileName(const std::string& path) { return fs::path(path).filename().string(); }

// Seeded noise into every input a slot may write, then `frames` processed.
void processNoise(HostedPlugin& plugin, int inputs, int frames, std::mt19937& random) {
    std::uniform_real_distribution<float> noise(-0.5f, 0.5f);
    for (int channel = 0; channel < inputs; ++channel)
        std::generate_n(plugin.inputChannel(channel), frames, [&] { return noise(random); });
    plugin.processBlock(frames);
}

void expectFinite(HostedPlugin& plugin, int firstChannel, int channels, int frames, const std::string& where) {
    for (int channel = firstChannel; channel < firstChannel + channels; ++channel) {
        const float* samples = plugin.outputChannel(channel);
        const auto bad = std::find_if(samples, samples + frames, [](float x) { return !std::isfinite(x); });
        EXPECT_EQ(bad, samples + frames) << where << ": output " << channel << " sample " << (bad - samples);
    }
}

// Block sizes the render loop hands a plug-in: a partial block, the export's, a single sample.
constexpr int kBlocks[] = {64, 1000, HostedPlugin::kMaxBlockFrames, 1};

VstIntPtr instrumentHost(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float) {
    static VstTimeInfo time = [] {
        VstTimeInfo stopped{};
        stopped.sampleRate = 44100.0;
        stopped.tempo = 120.0;
        stopped.flags = kVstTempoValid;
        return stopped;
    }();
    if (opcode == audioMasterGetTime)
        return reinterpret_cast<VstIntPtr>(&time);
    return opcode == audioMasterVersion ? 2400 : 0;
}

std::unique_ptr<VornDrums> makeInstrument() {
    return std::make_unique<VornDrums>(instrumentHost, [](InstrumentSettings&, bool) { return false; });
}

class RealPlugin : public ::testing::TestWithParam<std::string> {
protected:
    const std::string& path() const { return GetParam(); }
    std::mt19937 random{20240521};
};

TEST_P(RealPlugin, LoadsProcessesNoiseAndUnloadsOrIsRefusedForWhatItIs) {
    const Kind kind = kindOf(path());
    CPlugin plugin;
    const Result<> loaded = plugin.load(path(), PluginSources{});
    if (kind == Kind::kEffect) {
        ASSERT_TRUE(loaded) << loaded.reason();
        const int inputs = std::max(plugin.aeffect()->numInputs, 2);
        const int outputs = std::max(plugin.aeffect()->numOutputs, 2);
        for (const int frames : kBlocks) {
            processNoise(plugin, inputs, frames, random);
            expectFinite(plugin, 0, outputs, frames, fileName(path()));
        }
        plugin.unload();
    } else {
        ASSERT_FALSE(loaded);
        EXPECT_EQ(loaded.reason(), kind == Kind::kInstrument ? "the plug-in is an instrument"
                                                             : "the library exports neither VSTPluginMain nor main");
    }
    EXPECT_FALSE(plugin.isLoaded());
    EXPECT_EQ(plugin.path(), "");
}

// A send and an insert read outputs 0 and 1; the synth slot reads one output per track, from 2.
struct SlotUse {
    int slot;
    int firstOutput;
    const char* name;
};
constexpr SlotUse kSlotUses[] = {{0, 0, "send 1"}, {2, 0, "insert 1"}, {VornDrums::kSynthSlot, 2, "synth"}};

TEST_P(RealPlugin, TakesASendAnInsertAndTheSynthSlotOrLeavesThemEmpty) {
    const Kind kind = kindOf(path());
    std::unique_ptr<VornDrums> drums = makeInstrument();
    drums->setSampleRate(44100.0f);
    drums->setBlockSize(HostedPlugin::kMaxBlockFrames);
    // Every track sounds a burst of noise into the master and both sends when a block renders.
    std::uniform_int_distribution<int> noise(-12000, 12000);
    for (int track = 0; track < test::stateOf(*drums).trackCount; ++track) {
        auto sound = std::make_unique<Sound>();
        sound->frameCount = 20000;
        std::generate_n(std::back_inserter(sound->samples), sound->frameCount, [&] { return noise(random); });
        test::stateOf(*drums).soundList.push_back(std::move(sound));
        test::stateOf(*drums).voices[static_cast<std::size_t>(track)].soundIndex =
            static_cast<std::int32_t>(test::stateOf(*drums).soundList.size() - 1);
        drums->recomputeBounds(track);
        drums->controlUpdate(test::stateOf(*drums).voices[static_cast<std::size_t>(track)]);
        drums->setValue(tags::trackTag(track, tags::kSend1), 1.0f);
        drums->setValue(tags::trackTag(track, tags::kSend2), 1.0f);
    }
    std::vector<std::vector<float>> channels(static_cast<std::size_t>(drums->getAeffect()->numOutputs),
                                             std::vector<float>(HostedPlugin::kMaxBlockFrames));
    std::vector<float*> outputs;
    for (std::vector<float>& channel : channels)
        outputs.push_back(channel.data());

    for (const SlotUse& use : kSlotUses) {
        SCOPED_TRACE(use.name);
        const Result<> loaded = use.slot == VornDrums::kSynthSlot ? drums->loadSlot(use.slot, path())
                                                                  : drums->selectEffect(use.slot, path());
        if (kind != Kind::kEffect) {
            EXPECT_FALSE(loaded);
            EXPECT_EQ(drums->slotPlugin(use.slot), nullptr);
            if (use.slot < kEffectSlots) {
                EXPECT_EQ(test::stateOf(*drums).effectEnabled[static_cast<std::size_t>(use.slot)], 0);
            }
            continue;
        }
        ASSERT_TRUE(loaded) << loaded.reason();
        CPlugin* plugin = drums->slotPlugin(use.slot);
        ASSERT_NE(plugin, nullptr);
        EXPECT_EQ(plugin->path(), path());
        const int reads = use.slot == VornDrums::kSynthSlot ? test::stateOf(*drums).trackCount : 2;
        for (const int frames : kBlocks) {
            processNoise(*plugin, std::max(plugin->aeffect()->numInputs, 2), frames, random);
            expectFinite(*plugin, use.firstOutput, reads, frames, fileName(path()));
        }
        // The render loop itself, with the slot switched on and every track playing.
        for (int track = 0; track < test::stateOf(*drums).trackCount; ++track)
            drums->auditionStart(track, 127, false);
        for (const int frames : kBlocks) {
            drums->processReplacing(nullptr, outputs.data(), frames);
            for (std::size_t c = 0; c < 2; ++c)
                EXPECT_TRUE(std::all_of(channels[c].begin(), channels[c].begin() + frames,
                                        [](float x) { return std::isfinite(x); }))
                    << "instrument output " << c << " through " << fileName(path());
        }
        drums->removeEffect(use.slot);
        EXPECT_EQ(drums->slotPlugin(use.slot), nullptr);
    }
}

// The instrument's audio export renders blocks of 4096 frames whatever block size the host told
// it; the render loop hands a slot's plug-in pieces of no more than that size. ZynReverb, told
// 512 and handed 4096, wrote past its own buffers and its output turned to clipped noise.
TEST(RealPluginBlocks, TheExportHandsAPluginNoMoreFramesThanTheHostsBlock) {
    const std::string reverb = "/usr/lib/vst/ZynReverb.so";
    ASSERT_EQ(kindOf(reverb), Kind::kEffect);
    float peaks[2] = {};
    for (const int hostBlock : {HostedPlugin::kMaxBlockFrames, 512}) {
        std::unique_ptr<VornDrums> drums = makeInstrument();
        test::stateOf(*drums).settings.filesPath = std::string(RIMBA_FACTORY_LIBRARY) + "/";
        drums->setSampleRate(44100.0f);
        drums->setBlockSize(hostBlock);
        ASSERT_TRUE(drums->loadProgramFile(std::string(RIMBA_FACTORY_LIBRARY) + "/Programs/RimbaRand.fxp"));
        ASSERT_TRUE(drums->selectEffect(2, reverb));
        test::stateOf(*drums).playMode = 0;
        drums->choosePattern(0);
        const std::string wave = ::testing::TempDir() + "/export-" + std::to_string(hostBlock) + ".wav";
        ASSERT_EQ(exportAudioFile(*drums, wave), 0);
        // The samples of a 16-bit stereo file, after its 44-byte header.
        std::ifstream file(wave, std::ios::binary);
        std::vector<char> bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
        ASSERT_GT(bytes.size(), 44u);
        std::int16_t largest = 0;
        for (std::size_t at = 44; at + 1 < bytes.size(); at += 2) {
            const auto sample = static_cast<std::int16_t>(static_cast<std::uint8_t>(bytes[at]) |
                                                          (static_cast<std::uint8_t>(bytes[at + 1]) << 8));
            largest = std::max<std::int16_t>(largest, static_cast<std::int16_t>(std::abs(sample)));
        }
        peaks[hostBlock == 512] = largest / 32768.0f;
        fs::remove(wave);
    }
    EXPECT_GT(peaks[0], 0.05f);
    EXPECT_LT(peaks[1], 2.0f * peaks[0]) << "peak " << peaks[1] << " told 512 frames, " << peaks[0] << " told 4096";
}

// Debian's plug-ins named here, or the reason a test skips without them.
std::string missing(const std::string& path) {
    std::error_code error;
    return fs::is_regular_file(path, error) ? "" : path + " is not installed";
}

// The mono versions of LSP's effects have one input and one output: a slot hears them on both
// sides. The equaliser passes the sound on unchanged at its start.
TEST(RealMonoPlugins, AnLspMonoEffectSoundsOnBothSides) {
    const std::string equaliser = "/usr/lib/vst/lsp-plugins/para-equalizer-x16-mono.so";
    if (const std::string reason = missing(equaliser); !reason.empty())
        GTEST_SKIP() << reason << " (lsp-plugins-vst)";
    ASSERT_EQ(kindOf(equaliser), Kind::kEffect);  // and, under ASan, keeps LSP's core mapped (see openToLook)
    CPlugin plugin;
    ASSERT_TRUE(plugin.load(equaliser, PluginSources{}));
    ASSERT_EQ(plugin.aeffect()->numInputs, 1);
    ASSERT_EQ(plugin.aeffect()->numOutputs, 1);
    std::mt19937 random(7);
    float loudest = 0.0f;
    for (int block = 0; block < 20; ++block) {
        processNoise(plugin, 2, 512, random);
        const float* left = plugin.outputChannel(0);
        const float* right = plugin.outputChannel(1);
        ASSERT_TRUE(std::equal(left, left + 512, right)) << "block " << block;
        loudest = std::max(loudest, std::fabs(*std::max_element(left, left + 512, [](float a, float b) {
                               return std::fabs(a) < std::fabs(b);
                           })));
    }
    EXPECT_GT(loudest, 0.1f);
}

// ZaMaximX2 looks ahead: it finds its latency once it processes (480 frames at 44100 Hz) and
// tells its host then, from the audio thread. The instrument, holding it in an insert, reports
// it to its own host from the timer's thread.
TEST(RealLatency, AnInsertedLimitersLatencyBecomesTheInstrumentsInitialDelay) {
    const std::string limiter = "/usr/lib/vst/ZaMaximX2-vst.so";
    if (const std::string reason = missing(limiter); !reason.empty())
        GTEST_SKIP() << reason << " (zam-plugins)";
    ASSERT_EQ(kindOf(limiter), Kind::kEffect);
    std::unique_ptr<VornDrums> drums = makeInstrument();
    drums->setSampleRate(44100.0f);
    ASSERT_TRUE(drums->selectEffect(2, limiter));
    std::vector<std::vector<float>> channels(static_cast<std::size_t>(drums->getAeffect()->numOutputs),
                                             std::vector<float>(512));
    std::vector<float*> outputs;
    for (std::vector<float>& channel : channels)
        outputs.push_back(channel.data());
    drums->processReplacing(nullptr, outputs.data(), 512);
    const int limiterLatency = drums->slotPlugin(2)->aeffect()->initialDelay;
    EXPECT_GT(limiterLatency, 0);
    // Written on the timer's thread.
    const auto initialDelay = [&] { return std::atomic_ref<VstInt32>(drums->getAeffect()->initialDelay).load(); };
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (initialDelay() != limiterLatency && std::chrono::steady_clock::now() < deadline)
        platform::runTimersOnThisThread(5);
    EXPECT_EQ(initialDelay(), limiterLatency);
    drums->removeEffect(2);
    EXPECT_EQ(drums->getAeffect()->initialDelay, 0);
}

// Every effect's bank and preset saved as files and loaded back into it: the plug-in takes the
// files it made, and what it holds afterwards saves as the same bank and preset again.
TEST_P(RealPlugin, SavesAndReloadsItsBankAndPreset) {
    if (kindOf(path()) != Kind::kEffect)
        GTEST_SKIP() << "refused by every slot (see above)";
    CPlugin plugin;
    ASSERT_TRUE(plugin.load(path(), PluginSources{}));
    AEffect& effect = *plugin.aeffect();
    const fs::path folder = fs::path(::testing::TempDir()) / ("rimba-banks-" + fileName(path()));
    fs::create_directories(folder);
    const std::string bank = (folder / "bank.fxb").string();
    const std::string preset = (folder / "preset.fxp").string();
    ASSERT_TRUE(saveBankFile(effect, bank)) << "bank";
    ASSERT_TRUE(savePresetFile(effect, preset)) << "preset";
    const Result<> bankLoaded = loadBankFile(effect, bank);
    EXPECT_TRUE(bankLoaded) << bankLoaded.reason();
    const Result<> presetLoaded = loadPresetFile(effect, preset);
    EXPECT_TRUE(presetLoaded) << presetLoaded.reason();
    if (!plugin.programsAreChunks()) {
        // A chunk is the plug-in's own business; regular values must come back as they were.
        EXPECT_EQ(*buildBankImage(effect, true), *platform::readWholeFile(bank));
        EXPECT_EQ(*buildPresetImage(effect, true), *platform::readWholeFile(preset));
    }
    plugin.unload();
    fs::remove_all(folder);
}

std::string testName(const ::testing::TestParamInfo<std::string>& info) {
    const fs::path path(info.param);
    std::string name = path.parent_path().filename().string() + "_" + path.stem().string();
    std::replace_if(
        name.begin(), name.end(), [](char c) { return !std::isalnum(static_cast<unsigned char>(c)); }, '_');
    return name;
}

INSTANTIATE_TEST_SUITE_P(DebianPackages, RealPlugin, ::testing::ValuesIn(installedLibraries()), testName);

// The packages are there and the plug-ins the test rig names are what it says they are, so the
// cases above cannot pass for want of plug-ins or through a wrong idea of which are instruments.
TEST(RealPluginFolders, HoldTheTestRigsEffectsAndInstruments) {
    const std::vector<std::string> libraries = installedLibraries();
    EXPECT_GT(libraries.size(), 150u);
    for (const char* effect :
         {"/usr/lib/vst/MVerb-vst.so", "/usr/lib/lxvst/DragonflyRoomReverb-vst.so", "/usr/lib/vst/3BandEQ-vst.so",
          "/usr/lib/vst/ZamEQ2-vst.so", "/usr/lib/vst/lsp-plugins/crossover-lr.so", "/usr/lib/vst/MaBitcrush-vst.so"}) {
        EXPECT_EQ(kindOf(effect), Kind::kEffect) << effect;
    }
    for (const char* instrument :
         {"/usr/lib/vst/Kars-vst.so", "/usr/lib/vst/Nekobi-vst.so", "/usr/lib/vst/ZynAddSubFX.so",
          "/usr/lib/vst/lsp-plugins/sampler-stereo.so", "/usr/lib/vst/lsp-plugins/multisampler-x12.so"}) {
        EXPECT_EQ(kindOf(instrument), Kind::kInstrument) << instrument;
    }
    const auto core = std::find_if(libraries.begin(), libraries.end(), [](const std::string& path) {
        return fileName(path).starts_with("lsp-plugins-vst2-");
    });
    ASSERT_NE(core, libraries.end());
    EXPECT_EQ(kindOf(*core), Kind::kNoEntryPoint);
    // Every library without an entry point is that core.
    for (const std::string& path : libraries) {
        if (kindOf(path) == Kind::kNoEntryPoint) {
            EXPECT_EQ(path, *core);
        }
    }
}

}  // namespace
}  // namespace rimba
