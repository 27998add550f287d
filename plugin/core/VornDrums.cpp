#include "common/vst/StandaloneLink.h"
#include "plugin/core/VornDrums.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <string>

#include "common/platform/MessageBox.h"
#include "plugin/core/InstanceList.h"
#include "plugin/files/FactoryLibrary.h"

namespace rimba {

namespace {

// Copies a text answer into a host buffer of `capacity` bytes, cut to fit and always terminated.
void copyText(char* destination, const char* text, std::size_t capacity) {
    if (destination == nullptr || capacity == 0)
        return;
    const std::size_t length = strnlen(text, capacity - 1);
    std::memcpy(destination, text, length);
    destination[length] = 0;
}

constexpr VstInt32 kStandaloneClockFlags =
    kVstTempoValid | kVstClockValid | kVstNanosValid | kVstPpqPosValid | kVstTimeSigValid;

}  // namespace

VornDrums::VornDrums(audioMasterCallback master, SettingsReader readSettings)
    : VornDrums(master, readerOnlyStorage(std::move(readSettings))) {}

VornDrums::VornDrums(audioMasterCallback master, std::unique_ptr<InstrumentStorage> storageToUse)
    : AudioEffectX(master, 0, kParameterCount), storage(std::move(storageToUse)) {
    askHostForStandalone();
    isSynth();
    const bool firstRun = applyStoredSettings();

    setNumInputs(0);
    setNumOutputs(standalone ? 2 : trackCount + 6);
    canProcessReplacing();
    setEditor(nullptr);  // the instrument runs without an editor until it has one
    programsAreChunks();

    standaloneTime = VstTimeInfo{};
    standaloneTime.flags = kStandaloneClockFlags;
    sampleRate = kDefaultSampleRate;
    pluginBlockFrames = std::clamp(getBlockSize(), 1, HostedPlugin::kMaxBlockFrames);

    masterGainTable = buildMasterGainTable();
    resetSequencer();
    resetTracks();
    installFactoryLibraryOnFirstUse(settings);
    restoreLastState(firstRun);

    hostHasInstrument = true;
    // Registered last, once the instrument is whole: the timer thread may serve it at once.
    InstanceList::process().add({this, [](void* self) { static_cast<VornDrums*>(self)->programChangeTimer(); }});
}

VornDrums::~VornDrums() {
    // Leaving the list first guarantees the timer thread no longer works on this instance.
    InstanceList::process().remove(this);
    handshake.beginLoad();
    unloadEverySlot();
    delete editor;
    editor = nullptr;
}

void VornDrums::askHostForStandalone() {
    standalone = callHost(audioMasterVersion) == kStandaloneHostSignature ? 1 : 0;
    multiOutput = standalone ? 0 : 1;
    setUniqueID(standalone ? kUniqueIdStandalone : kUniqueIdInHost);
    cEffect.version = kPluginVersion;
}

bool VornDrums::applyStoredSettings() {
    settings = InstrumentSettings{};
    const bool firstRun = storage->readSettings(settings, standalone != 0);
    trackCount = settings.trackCount();
    settings.channelNumber = trackCount;
    return firstRun;
}

void VornDrums::logRefusal(const char* what, const std::string& reason) {
    std::fprintf(stderr, "%s: the %s is refused: %s\n", kProductName, what, reason.c_str());
}

void VornDrums::restoreLastState(bool firstRun) {
    // A last state that cannot be read, or that the instrument refuses, counts as none: the
    // musician then gets the last program file instead of an empty instrument.
    bool restored = false;
    if (std::optional<std::vector<std::uint8_t>> block = storage->readLastState(); block && !block->empty())
        restored = takeProgramBlock(*block).ok();
    if (firstRun || !restored)
        findCurrentProgram();
}

void VornDrums::saveSettingsAndLastState() {
    // A program change on the timer thread rewrites the settings it loads; it waits meanwhile.
    std::lock_guard<std::recursive_mutex> exclusive(handshake.loaders);
    storage->writeSettings(settings, standalone != 0);
    storage->writeLastState(buildChunk());
}

void VornDrums::resume() { wantEvents(); }

void VornDrums::close() {
    // A host that closes the instrument with its editor still open gets the window taken down
    // here, while the host's window it lives in still exists.
    if (editor != nullptr && editor->isOpen())
        editor->close();
    saveSettingsAndLastState();
    // Held raised so that no block is rendered after close returns.
    handshake.beginLoad();
}

void VornDrums::setSampleRate(float rate) {
    // A rate that cannot be a sample rate is ignored rather than cast into nonsense.
    if (!std::isfinite(rate) || rate < 1.0f || rate > 10'000'000.0f)
        return;
    const auto newRate = static_cast<std::int32_t>(rate);
    if (newRate == sampleRate)
        return;
    sampleRate = newRate;
    sampleRateValue = rate;
    for (int band = 0; band < kEqBands; ++band)
        queueEqUpdate(FilterUpdate::kMasterTarget, band);
    handOnSampleRate(rate);
    for (int t = 0; t < trackCount; ++t) {
        updateTrack(t);
        resetTrackEqualiser(t);
    }
}

void VornDrums::setBlockSize(VstInt32 size) {
    blockSize = size;
    blockSizeValue = size;
    handOnBlockSize(size);
}

void VornDrums::writeSilence(float** outputs, VstInt32 frames) const {
    if (outputs == nullptr || frames <= 0)
        return;
    for (VstInt32 channel = 0; channel < cEffect.numOutputs; ++channel)
        if (outputs[channel] != nullptr)
            std::memset(outputs[channel], 0, sizeof(float) * static_cast<std::size_t>(frames));
}

void VornDrums::processReplacing(float**, float** outputs, VstInt32 sampleFrames) {
    // Marked active before the export flag is read: an export that sets the flag and then waits
    // for renders to end cannot start while this block still renders.
    RenderScope active(handshake);
    if (offlineRender.load()) {
        writeSilence(outputs, sampleFrames);
        return;
    }
    renderBlock(outputs, sampleFrames);
}

VstInt32 VornDrums::processEvents(VstEvents* events) {
    if (offlineRender.load(std::memory_order_relaxed) || events == nullptr)
        return 1;
    for (VstInt32 i = 0; i < events->numEvents; ++i) {
        const VstEvent* event = events->events[i];
        if (event == nullptr || event->type != kVstMidiType)
            continue;
        const auto* midi = reinterpret_cast<const VstMidiEvent*>(event);
        const auto status = static_cast<std::uint8_t>(midi->midiData[0]);
        const std::int32_t channel = loadRelaxed(settings.receiveMidiChannel);  // the editor stores it
        if (channel != 0 && (status & 0x0F) + 1 != channel)
            continue;
        MidiInputEntry entry{.deltaFrames = midi->deltaFrames};
        std::memcpy(entry.midi, midi->midiData, sizeof entry.midi);
        midiInput.push(entry);  // a full ring drops the message
    }
    return 1;
}

void VornDrums::getProgramName(char* name) { copyText(name, kProductName, kVstMaxProgNameLen); }

bool VornDrums::getProgramNameIndexed(VstInt32, VstInt32, char* text) {
    copyText(text, kProductName, kVstMaxProgNameLen);
    return true;
}

bool VornDrums::getEffectName(char* name) {
    copyText(name, kProductName, kVstMaxEffectNameLen);
    return true;
}

bool VornDrums::getVendorString(char* text) {
    copyText(text, kVendorName, kVstMaxVendorStrLen);
    return true;
}

bool VornDrums::getProductString(char* text) {
    copyText(text, kProductName, kVstMaxProductStrLen);
    return true;
}

bool VornDrums::getOutputProperties(VstInt32 index, VstPinProperties* properties) {
    if (properties == nullptr)
        return false;
    const VstInt32 n = trackCount;
    const char* pairName = nullptr;
    if (index == 0 || index == 1)
        pairName = "Master";
    else if (index == n + 2 || index == n + 3)
        pairName = "Send 1";
    else if (index == n + 4 || index == n + 5)
        pairName = "Send 2";

    properties->arrangementType = 0;
    if (pairName != nullptr) {
        // Pairs start on an even offset from their first pin: that pin is the left, stereo one.
        const bool left = index == 0 || index == n + 2 || index == n + 4;
        copyText(properties->label, pairName, sizeof properties->label);
        copyText(properties->shortLabel, left ? "LEFT" : "RIGHT", sizeof properties->shortLabel);
        properties->flags = kVstPinIsActive | (left ? kVstPinIsStereo : 0);
        return true;
    }
    // Track outputs, and any index beyond the sends, are mono drum pins numbered from 1.
    const std::string drumName = "Drum " + std::to_string(static_cast<long long>(index) - 1);
    copyText(properties->label, drumName.c_str(), sizeof properties->label);
    copyText(properties->shortLabel, properties->label, sizeof properties->shortLabel);
    properties->flags = kVstPinIsActive;
    return true;
}

// Only an open editor shows it: the program writes its messages on standard error itself.
VstIntPtr VornDrums::vendorSpecific(VstInt32 index, VstIntPtr, void* ptr, float) {
    if (standalone == 0 || index != kStandaloneShowMessage || ptr == nullptr)
        return 0;
    const auto* message = static_cast<const StandaloneMessage*>(ptr);
    if (message->text == nullptr)
        return 0;
    return platform::presentMessage(message->text, message->caption != nullptr ? message->caption : "") ? 1 : 0;
}

}  // namespace rimba
