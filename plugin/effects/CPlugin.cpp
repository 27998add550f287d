#include "plugin/effects/CPlugin.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "plugin/effects/PluginLimits.h"

namespace rimba {

namespace {

constexpr VstInt32 kVstPluginMagic = 0x56737450;  // 'VstP'
constexpr VstIntPtr kHostVersion = 2400;
constexpr VstIntPtr kHostId = 0x766F726E;  // "vorn"
constexpr char kHostProduct[] = "RimbaDrums";
// Every name answer is read into a buffer this large, cleared first: plug-ins write past the
// published lengths often enough.
constexpr std::size_t kNameBuffer = 256;
constexpr std::size_t kNameLimit = 100;

// The maker's own effects show a short label on their slot.
struct ShortLabel {
    const char* product;
    const char* label;
};
constexpr std::array<ShortLabel, 8> kShortLabels{{
    {"VORN chorus", "Chorus"},
    {"VORN reverb", "Reverb"},
    {"VORN delay", "Delay"},
    {"VORN compressor", "Compress"},
    {"VORN Limiter", "Limiter"},
    {"VORN flanger", "Flanger"},
    {"VORN Filter", "Filter"},
    {"VORN Overdrive", "Overdrive"},
}};

std::string labelFor(const std::string& product, const std::string& effectName) {
    for (const ShortLabel& entry : kShortLabels)
        if (product == entry.product)
            return entry.label;
    return effectName.empty() ? "no name" : effectName;
}

std::string nameAnswer(const CPlugin& plugin, VstInt32 opcode, VstInt32 index = 0) {
    std::array<char, kNameBuffer> text{};
    plugin.dispatch(opcode, index, 0, text.data());
    text.back() = 0;
    return std::string(text.data(), strnlen(text.data(), kNameLimit));
}

}  // namespace

CPlugin::CPlugin() : silence(kBufferFrames, 0.0f), discard(kBufferFrames, 0.0f) {}

CPlugin::~CPlugin() { unload(); }

VstIntPtr CPlugin::dispatch(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt) const {
    if (effect == nullptr || effect->dispatcher == nullptr)
        return 0;
    return effect->dispatcher(effect, opcode, index, value, ptr, opt);
}

// --- loading ---------------------------------------------------------------------------------

Result<> CPlugin::load(const std::string& path, const PluginSources& given, const std::string& file) {
    if (path.empty())
        return Refusal{"no library named"};
    unload();
    sources = given;
    link = HostLink{given.timeInfo, this};
    if (Result<> opened = openLibrary(file.empty() ? path : file); !opened) {
        releasePlugin();
        return opened;
    }
    if (Result<> fits = checkPlugin(); !fits) {
        // A refused plug-in was made by its entry point; it is closed like any other. What is
        // no plug-in at all is not called.
        if (effect->magic == kVstPluginMagic)
            dispatch(effClose);
        effect = nullptr;
        releasePlugin();
        return fits;
    }
    libraryFile = path;
    holdAudio();
    dispatch(effOpen);
    dispatch(effSetSampleRate, 0, 0, nullptr, given.sampleRate);
    dispatch(effSetBlockSize, 0, std::clamp(given.blockSize, 1, kBufferFrames));
    askNames();
    makeBuffers();
    startProcessing();
    effect->user = &link;
    active.store(true);
    releaseAudio();
    return {};
}

Result<> CPlugin::openLibrary(const std::string& path) {
    if (!library.open(path))
        return Refusal{"cannot open the library: " + library.lastError()};
    void* entry = library.symbol("VSTPluginMain");
    if (entry == nullptr)
        entry = library.symbol("main");
    if (entry == nullptr)
        return Refusal{"the library exports neither VSTPluginMain nor main"};
    effect = reinterpret_cast<VstPluginMainProc>(entry)(&CPlugin::hostCallback);
    if (effect == nullptr)
        return Refusal{"the entry point made no plug-in"};
    return {};
}

Result<> CPlugin::checkPlugin() const {
    if (effect->magic != kVstPluginMagic)
        return Refusal{"not a VST 2.4 plug-in (wrong magic)"};
    if (effect->dispatcher == nullptr || (effect->processReplacing == nullptr && effect->process == nullptr))
        return Refusal{"the plug-in has no dispatcher or no process function"};
    if (dispatch(effGetPlugCategory) == kPlugCategSynth)
        return Refusal{"the plug-in is an instrument"};
    // Channels, programs and parameters within PluginLimits.h: every buffer, image and list made
    // from them later can then be made.
    return checkDeclaredCounts(*effect);
}

void CPlugin::askNames() {
    answers = PluginDescription{};
    answers.vendor = nameAnswer(*this, effGetVendorString);
    answers.product = nameAnswer(*this, effGetProductString);
    answers.vendorVersion = static_cast<std::int32_t>(dispatch(effGetVendorVersion));
    answers.effectName = nameAnswer(*this, effGetEffectName);
    if (answers.product.empty())
        answers.product = answers.effectName;
    answers.label = labelFor(answers.product, answers.effectName);
}

void CPlugin::makeBuffers() {
    const auto makeSet = [](std::vector<std::vector<float>>& buffers, std::vector<float*>& pointers, int count) {
        buffers.assign(static_cast<std::size_t>(std::max(count, 2)), std::vector<float>(kBufferFrames, 0.0f));
        pointers.clear();
        for (std::vector<float>& buffer : buffers)
            pointers.push_back(buffer.data());
    };
    declaredInputs = std::max(effect->numInputs, 0);
    declaredOutputs = std::max(effect->numOutputs, 0);
    makeSet(inputBuffers, inputs, declaredInputs);
    makeSet(outputBuffers, outputs, declaredOutputs);
    midi.clear();
}

void CPlugin::startProcessing() {
    answers.wantsMidi = dispatch(effCanDo, 0, 0, const_cast<char*>("receiveVstMidiEvent")) == 1;
    dispatch(effCanDo, 0, 0, const_cast<char*>("receiveVstEvents"));
    dispatch(effCanDo, 0, 0, const_cast<char*>("midiProgramNames"));
    dispatch(effMainsChanged, 0, 1);
    answers.programName = nameAnswer(*this, effGetProgramNameIndexed, 0);
    dispatch(effBeginSetProgram);
    dispatch(effSetProgram, 0, 0);
    dispatch(effEndSetProgram);
}

// --- unloading -------------------------------------------------------------------------------

void CPlugin::unload() {
    closeEditor();
    if (effect == nullptr && !library.isOpen())
        return;
    active.store(false);
    holdAudio();
    // A plug-in that runs threads or timers of its own stops them on effClose; its code must
    // not be unmapped before.
    if (effect != nullptr) {
        dispatch(effMainsChanged, 0, 0);
        dispatch(effClose);
        effect = nullptr;
    }
    releasePlugin();
    releaseAudio();
}

// A plug-in's editor lives in a window of ours: the window goes first, while the plug-in can
// still close its editor.
void CPlugin::closeEditor() {
    if (editorOwner != nullptr)
        editorOwner->pluginGoing(*this);
    editorOwner = nullptr;
}

void CPlugin::releasePlugin() {
    effect = nullptr;
    library.close();
    inputBuffers.clear();
    outputBuffers.clear();
    inputs.clear();
    outputs.clear();
    declaredInputs = 0;
    declaredOutputs = 0;
    libraryFile.clear();
    answers = PluginDescription{};
}

void CPlugin::holdAudio() {
    if (sources.hold != nullptr)
        sources.hold->beginLoad();
}

void CPlugin::releaseAudio() {
    if (sources.hold != nullptr)
        sources.hold->endLoad();
}

// --- the audio thread ------------------------------------------------------------------------

float* CPlugin::inputChannel(int channel) {
    if (channel >= 0 && channel < static_cast<int>(inputs.size()))
        return inputs[static_cast<std::size_t>(channel)];
    return discard.data();
}

float* CPlugin::outputChannel(int channel) {
    if (channel >= 0 && channel < static_cast<int>(outputs.size()))
        return outputs[static_cast<std::size_t>(channel)];
    return silence.data();
}

// A slot meets every effect as a stereo one. A plug-in of one input hears the mono sum of both
// sides at half level, (L + R) / 2, so a signal on both sides keeps its level and one on one side
// loses 6 dB, as a mono bus would take it; one of one output gives it to both sides. Counts
// beyond two are left as they are: extra inputs stay silent and extra outputs unread. The
// counts are those the buffers were made for, whatever the plug-in declares later.
void CPlugin::processBlock(int frames) {
    frames = std::clamp(frames, 0, kBufferFrames);
    if (!active.load() || effect == nullptr) {
        for (float* output : outputs)
            std::fill_n(output, frames, 0.0f);
        return;
    }
    if (declaredInputs == 1)
        foldInputsToMono(frames);
    runPlugin(frames);
    if (declaredOutputs == 1)
        std::copy_n(outputs[0], frames, outputs[1]);
}

void CPlugin::foldInputsToMono(int frames) {
    float* mono = inputs[0];
    const float* right = inputs[1];
    for (int i = 0; i < frames; ++i)
        mono[i] = (mono[i] + right[i]) * 0.5f;
}

void CPlugin::runPlugin(int frames) {
    if (effect->processReplacing != nullptr) {
        effect->processReplacing(effect, inputs.data(), outputs.data(), frames);
        return;
    }
    // A plug-in of the first VST version only adds to its outputs.
    for (float* output : outputs)
        std::fill_n(output, frames, 0.0f);
    effect->process(effect, inputs.data(), outputs.data(), frames);
}

// A plug-in may set its latency on its audio thread while this is read on another (ZaMaximX2
// sets it in its first block and tells no one).
std::int32_t CPlugin::latency() const {
    if (effect == nullptr)
        return 0;
    return std::clamp(std::atomic_ref<VstInt32>(effect->initialDelay).load(std::memory_order_relaxed), 0, kMaxLatency);
}

void CPlugin::queueMidi(std::int32_t deltaFrames, std::uint8_t status, std::uint8_t data1, std::uint8_t data2) {
    midi.push({deltaFrames, status, data1, data2});
}

void CPlugin::deliverQueuedMidi() {
    if (!active.load() || effect == nullptr)
        return;
    while (midiBlock.fill(midi) > 0)
        dispatch(effProcessEvents, 0, 0, midiBlock.events());
}

// --- the user-interface thread ---------------------------------------------------------------

void CPlugin::setParameter(std::int32_t index, float value) {
    if (effect != nullptr && effect->setParameter != nullptr)
        effect->setParameter(effect, index, value);
}

float CPlugin::getParameter(std::int32_t index) {
    if (effect == nullptr || effect->getParameter == nullptr)
        return 0.0f;
    return effect->getParameter(effect, index);
}

void CPlugin::setSampleRate(float rate) {
    if (effect == nullptr)
        return;
    // VST 2.4 plug-ins take a new rate only while suspended.
    dispatch(effMainsChanged, 0, 0);
    dispatch(effSetSampleRate, 0, 0, nullptr, rate);
    dispatch(effMainsChanged, 0, 1);
}

void CPlugin::setBlockSize(std::int32_t frames) {
    if (effect == nullptr)
        return;
    dispatch(effMainsChanged, 0, 0);
    dispatch(effSetBlockSize, 0, std::clamp(frames, 1, kBufferFrames));
    dispatch(effMainsChanged, 0, 1);
}

bool CPlugin::programsAreChunks() { return effect != nullptr && (effect->flags & effFlagsProgramChunks) != 0; }

std::int32_t CPlugin::programCount() { return effect != nullptr ? std::max(effect->numPrograms, 0) : 0; }

std::int32_t CPlugin::parameterCount() { return effect != nullptr ? std::max(effect->numParams, 0) : 0; }

std::int32_t CPlugin::currentProgram() { return static_cast<std::int32_t>(dispatch(effGetProgram)); }

void CPlugin::setCurrentProgram(std::int32_t program) {
    dispatch(effBeginSetProgram);
    dispatch(effSetProgram, 0, program);
    dispatch(effEndSetProgram);
}

std::string CPlugin::programName() { return nameAnswer(*this, effGetProgramName); }

void CPlugin::setProgramName(const std::string& name) {
    std::array<char, kNameBuffer> text{};
    std::memcpy(text.data(), name.data(), std::min(name.size(), static_cast<std::size_t>(kVstMaxProgNameLen)));
    dispatch(effSetProgramName, 0, 0, text.data());
}

std::vector<std::uint8_t> CPlugin::bankChunk() {
    void* data = nullptr;
    const VstIntPtr size = dispatch(effGetChunk, 0, 0, &data);
    if (data == nullptr || size <= 0)
        return {};
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    return {bytes, bytes + size};
}

void CPlugin::setBankChunk(std::span<const std::uint8_t> chunk) {
    if (chunk.empty())
        return;
    // The plug-in copies what it keeps; it is handed a buffer of ours it may not write.
    std::vector<std::uint8_t> copy(chunk.begin(), chunk.end());
    dispatch(effSetChunk, 0, static_cast<VstIntPtr>(copy.size()), copy.data());
}

// --- the host callback -----------------------------------------------------------------------

bool CPlugin::editorAskedForSize(int width, int height) {
    return editorOwner != nullptr && width > 0 && height > 0 && editorOwner->pluginEditorResized(*this, width, height);
}

VstIntPtr CPlugin::hostCallback(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float) {
    const auto* link = effect != nullptr ? static_cast<const HostLink*>(effect->user) : nullptr;
    switch (opcode) {
        case audioMasterVersion: return kHostVersion;
        case audioMasterCurrentId: return kHostId;
        case audioMasterGetTime:
            if (link == nullptr || link->timeInfo == nullptr)
                return 0;
            return reinterpret_cast<VstIntPtr>(link->timeInfo->load());
        case audioMasterGetProductString:
            if (ptr != nullptr)
                std::memcpy(ptr, kHostProduct, sizeof kHostProduct);
            return 1;
        case audioMasterGetVendorVersion:
        case audioMasterUpdateDisplay: return 1;
        case audioMasterSizeWindow:
            // An editor that changes its size asks its window to follow.
            if (link == nullptr || link->plugin == nullptr)
                return 0;
            return link->plugin->editorAskedForSize(index, static_cast<int>(value)) ? 1 : 0;
        default: return 0;
    }
}

}  // namespace rimba
