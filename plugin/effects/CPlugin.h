#pragma once
// One VST 2.4 plug-in hosted in a slot of the instrument (a send or insert effect, or the drum
// synth): its library, its descriptor, its audio buffers and the MIDI waiting for it.
//
// Threads: load, unload, the destructor and every call on the plug-in's programs and
// parameters belong to the user-interface thread (or the host's thread in setChunk);
// processBlock, deliverQueuedMidi and the channels belong to the audio thread; queueMidi may be
// called from any thread. Load and unload hold the audio thread off through the AudioHold they
// are given, so a render never meets a plug-in half replaced.

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "common/platform/DynamicLibrary.h"
#include "common/vst/VstAbi.h"
#include "plugin/effects/MidiQueue.h"
#include "plugin/model/AudioHold.h"
#include "plugin/model/HostedPlugin.h"
#include "plugin/model/Result.h"

namespace rimba {

// What a slot lends its plug-in: the instrument's rate and block size, read at load; the
// hand-over to hold the audio thread off (none for a plug-in loaded outside an instrument);
// and where the instrument keeps the time record of the block in progress, which the plug-in's
// audioMasterGetTime answers.
struct PluginSources {
    float sampleRate = 44100.0f;
    std::int32_t blockSize = HostedPlugin::kMaxBlockFrames;
    AudioHold* hold = nullptr;
    const std::atomic<const VstTimeInfo*>* timeInfo = nullptr;
};

// The answers of the plug-in that a slot shows and a host needs to know.
struct PluginDescription {
    std::string label;
    std::string vendor;
    std::string product;
    std::int32_t vendorVersion = 0;
    std::string effectName;
    std::string programName;  // of program 0
    bool wantsMidi = false;
};

class CPlugin;

// Where the plug-in's editor window stood when it was last closed, in screen pixels (its outer
// rectangle, right and bottom exclusive); every side -1 until the window was first closed.
struct EditorWindowPlace {
    int left = -1;
    int top = -1;
    int right = -1;
    int bottom = -1;
    // A window may be moved partly off the screen, so a side below 0 is a real place; only an
    // empty rectangle means none was kept.
    bool known() const { return right > left && bottom > top; }
};

// Whoever shows the plug-in's editor in a window. It is told before the plug-in goes (unloaded,
// replaced by another load, or destroyed) and closes the window then, effEditClose included,
// while the plug-in can still answer.
class PluginEditorOwner {
public:
    virtual void pluginGoing(CPlugin& plugin) = 0;
    // The plug-in asks for an editor of `width` x `height` pixels (audioMasterSizeWindow). True
    // when its window follows.
    virtual bool pluginEditorResized(CPlugin& plugin, int width, int height) = 0;

protected:
    ~PluginEditorOwner() = default;
};

class CPlugin final : public HostedPlugin {
public:
    // Every buffer holds this many samples, which bounds the block a plug-in is given.
    static constexpr int kBufferFrames = 16384;
    // The most latency a plug-in is believed: about 1.5 s at 44100 Hz. A plug-in that declares
    // more (or less than 0) is taken at this bound (or at 0).
    static constexpr std::int32_t kMaxLatency = 65536;

    CPlugin();
    ~CPlugin() override;
    CPlugin(const CPlugin&) = delete;
    CPlugin& operator=(const CPlugin&) = delete;

    // Loads the library at `path` (replacing what is loaded), opens the plug-in and makes it
    // ready to process. A refusal says why and leaves nothing loaded. `file`, when given, is the
    // file opened for `path`: the resolved path a caller judged before, so that what runs is what
    // was judged; `path` is still what the slot keeps, shows and saves.
    Result<> load(const std::string& path, const PluginSources& sources, const std::string& file = {});
    // Sends the plug-in mains off and effClose, then releases its library.
    void unload();

    bool isLoaded() const { return effect != nullptr; }
    AEffect* aeffect() const { return effect; }
    const std::string& path() const { return libraryFile; }
    const PluginDescription& description() const { return answers; }
    int inputBufferCount() const { return static_cast<int>(inputs.size()); }
    int outputBufferCount() const { return static_cast<int>(outputs.size()); }
    VstIntPtr dispatch(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0, void* ptr = nullptr,
                       float opt = 0.0f) const;

    // HostedPlugin
    float* inputChannel(int channel) override;
    float* outputChannel(int channel) override;
    void processBlock(int frames) override;
    int outputCount() const override { return declaredOutputs; }
    std::int32_t latency() const override;
    void queueMidi(std::int32_t deltaFrames, std::uint8_t status, std::uint8_t data1, std::uint8_t data2) override;
    void deliverQueuedMidi() override;
    void setParameter(std::int32_t index, float value) override;
    void setSampleRate(float rate) override;
    void setBlockSize(std::int32_t frames) override;
    bool programsAreChunks() override;
    std::int32_t programCount() override;
    std::int32_t parameterCount() override;
    std::int32_t currentProgram() override;
    void setCurrentProgram(std::int32_t program) override;
    std::string programName() override;
    void setProgramName(const std::string& name) override;
    float getParameter(std::int32_t index) override;
    std::vector<std::uint8_t> bankChunk() override;
    void setBankChunk(std::span<const std::uint8_t> chunk) override;
    std::string libraryPath() override { return libraryFile; }

    // The plug-in's editor window (user-interface thread). Open while an owner shows it; the
    // owner clears it when it closes the window itself. The place outlives the loaded library,
    // so a window reopened after a reload stands where it stood.
    bool editorOpen() const { return editorOwner != nullptr; }
    void setEditorOwner(PluginEditorOwner* owner) { editorOwner = owner; }
    const EditorWindowPlace& editorWindowPlace() const { return editorPlace; }
    void rememberEditorWindow(const EditorWindowPlace& place) { editorPlace = place; }
    // The plug-in's audioMasterSizeWindow: its open window follows; nothing while none is open.
    bool editorAskedForSize(int width, int height);

    // The host callback every hosted plug-in is given.
    static VstIntPtr hostCallback(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                                  float opt);

private:
    // What the host callback finds through the plug-in's user field.
    struct HostLink {
        const std::atomic<const VstTimeInfo*>* timeInfo = nullptr;
        CPlugin* plugin = nullptr;
    };

    Result<> openLibrary(const std::string& path);
    Result<> checkPlugin() const;
    void askNames();
    void makeBuffers();
    void startProcessing();
    void releasePlugin();
    void holdAudio();
    void releaseAudio();
    void closeEditor();
    void foldInputsToMono(int frames);
    void runPlugin(int frames);

    platform::DynamicLibrary library;
    AEffect* effect = nullptr;
    std::string libraryFile;
    PluginDescription answers;
    PluginSources sources;
    HostLink link;
    // Only where `effect` is set; the audio thread reads it before it touches the plug-in.
    std::atomic<bool> active{false};
    std::vector<std::vector<float>> inputBuffers;
    std::vector<std::vector<float>> outputBuffers;
    std::vector<float*> inputs;
    std::vector<float*> outputs;
    // The channel counts the plug-in declared at load, which its buffers were made for; 0 or
    // more.
    int declaredInputs = 0;
    int declaredOutputs = 0;
    // Channels a caller asks for beyond the plug-in's own: one that stays silent for reading,
    // one that takes what is written and is never read.
    std::vector<float> silence;
    std::vector<float> discard;
    MidiQueue midi;
    MidiBlock midiBlock;
    PluginEditorOwner* editorOwner = nullptr;
    EditorWindowPlace editorPlace;
};

}  // namespace rimba
