// The instrument's five slots for hosted plug-ins: loading, removing, the switches of the slot
// menu, and what the plug-ins are told when the host changes the rate or the block size.

#include <algorithm>

#include "common/platform/Paths.h"
#include "plugin/core/VornDrums.h"
#include "plugin/effects/LibraryPlaces.h"
#include "plugin/files/FolderFiles.h"

namespace rimba {

namespace {

bool isSlot(int slot) { return slot >= 0 && slot < VornDrums::kPluginSlots; }

}  // namespace

// --- the loaders' entries: each holds the handshake once --------------------------------------

Result<> VornDrums::loadSlot(int slot, const std::string& path, const std::string& file) {
    Result<> loaded = Refusal{"not loaded"};
    bool latencyChanged = false;
    {
        LoadGuard hold(handshake);
        loaded = placeInSlot(slot, path, file);
        latencyChanged = takeMasterLatency();
    }
    announceLatencyChange(latencyChanged);
    return loaded;
}

void VornDrums::removeSlot(int slot) {
    bool latencyChanged = false;
    {
        LoadGuard hold(handshake);
        emptySlot(slot);
        latencyChanged = takeMasterLatency();
    }
    announceLatencyChange(latencyChanged);
}

// The switches are read by the render loop, so they change while it is held off.
Result<> VornDrums::selectEffect(int slot, const std::string& path) {
    Result<> loaded = Refusal{"not loaded"};
    bool latencyChanged = false;
    {
        LoadGuard hold(handshake);
        loaded = placeInSlot(slot, path);
        if (slot >= 0 && slot < kEffectSlots)
            effectEnabled[static_cast<std::size_t>(slot)] = loaded ? 1 : 0;
        latencyChanged = takeMasterLatency();
    }
    announceLatencyChange(latencyChanged);
    return loaded;
}

void VornDrums::removeEffect(int slot) {
    bool latencyChanged = false;
    {
        LoadGuard hold(handshake);
        emptySlot(slot);
        if (slot >= 0 && slot < kEffectSlots)
            effectEnabled[static_cast<std::size_t>(slot)] = 0;
        latencyChanged = takeMasterLatency();
    }
    announceLatencyChange(latencyChanged);
}

void VornDrums::placePlugin(int slot, HostedPlugin* plugin) {
    if (!isSlot(slot))
        return;
    LoadGuard hold(handshake);
    pluginSlots[static_cast<std::size_t>(slot)].live = plugin;
}

void VornDrums::handOnSampleRate(float rate) {
    bool latencyChanged = false;
    {
        LoadGuard hold(handshake);
        for (PluginSlot& slot : pluginSlots)
            if (slot.owner)
                slot.owner->setSampleRate(rate);
        // A latency counted in samples may change with the rate.
        latencyChanged = takeMasterLatency();
    }
    announceLatencyChange(latencyChanged);
}

void VornDrums::handOnBlockSize(std::int32_t frames) {
    LoadGuard hold(handshake);
    pluginBlockFrames = std::clamp(frames, 1, HostedPlugin::kMaxBlockFrames);
    for (PluginSlot& slot : pluginSlots)
        if (slot.owner)
            slot.owner->setBlockSize(pluginBlockFrames);
}

void VornDrums::unloadEverySlot() {
    LoadGuard hold(handshake);
    for (int slot = 0; slot < kPluginSlots; ++slot)
        emptySlot(slot);
}

// --- helpers: the caller holds the handshake ---------------------------------------------------

Result<> VornDrums::placeInSlot(int slot, const std::string& path, const std::string& file) {
    if (!isSlot(slot))
        return Refusal{"no slot " + std::to_string(slot)};
    // The plug-in the slot holds stays, with its state, when the same library is asked for.
    if (slotHolds(slot, path))
        return {};
    PluginSlot& place = pluginSlots[static_cast<std::size_t>(slot)];
    if (!place.owner)
        place.owner = std::make_unique<CPlugin>();
    // The render loop stops reading the slot before its plug-in is replaced.
    place.live = nullptr;
    const PluginSources sources{
        .sampleRate = sampleRateValue, .blockSize = pluginBlockFrames, .hold = &handshake, .timeInfo = &timeForPlugins};
    Result<> loaded = place.owner->load(path, sources, file);
    if (!loaded) {
        place.owner.reset();
        return loaded;
    }
    place.live = place.owner.get();
    return {};
}

bool VornDrums::slotHolds(int slot, const std::string& path) {
    HostedPlugin* current = pluginSlots[static_cast<std::size_t>(slot)].live;
    return current != nullptr && !path.empty() && current->libraryPath() == path;
}

// A program places its effects without a latency report each: the program's load reports once.
Result<> VornDrums::loadProgramEffect(int slot, const std::string& path) {
    if (!isSlot(slot))
        return Refusal{"no slot " + std::to_string(slot)};
    // Nothing is opened for the library the slot already runs, wherever it was chosen from.
    if (slotHolds(slot, path))
        return {};
    Result<std::string> place = placeProgramEffectLibrary(path, settings.effectPath);
    if (!place) {
        emptySlot(slot);
        return place.refusal();
    }
    return placeInSlot(slot, path, *place);
}

void VornDrums::emptySlot(int slot) {
    if (!isSlot(slot))
        return;
    PluginSlot& place = pluginSlots[static_cast<std::size_t>(slot)];
    place.live = nullptr;
    place.owner.reset();
}

bool VornDrums::takeMasterLatency() {
    countRunningInserts();
    return applyMasterLatency();
}

// --- latency ---------------------------------------------------------------------------------

std::int32_t VornDrums::masterLatency() const {
    std::int32_t total = 0;
    for (int slot = kFirstInsertSlot; slot < kEffectSlots; ++slot) {
        const HostedPlugin* insert = effectIn(slot);
        if (insert != nullptr && effectEnabled[static_cast<std::size_t>(slot)] != 0)
            total += insert->latency();
    }
    return total;
}

void VornDrums::countRunningInserts() {
    for (int slot = 0; slot < kPluginSlots; ++slot) {
        const bool insert = slot >= kFirstInsertSlot && slot < kEffectSlots;
        pluginSlots[static_cast<std::size_t>(slot)].latencyCounted =
            insert && effectIn(slot) != nullptr && effectEnabled[static_cast<std::size_t>(slot)] != 0;
    }
}

std::int32_t VornDrums::reportedLatency() { return std::atomic_ref<VstInt32>(cEffect.initialDelay).load(); }

bool VornDrums::applyMasterLatency() {
    const std::int32_t latency = masterLatency();
    if (latency == reportedLatency())
        return false;
    separateOutputDelay.setFrames(cEffect.numOutputs - 2, latency);
    std::atomic_ref<VstInt32>(cEffect.initialDelay).store(latency);
    return true;
}

// Told once the audio thread runs again: a host may ask for blocks while it handles this.
void VornDrums::announceLatencyChange(bool changed) {
    if (changed && hostHasInstrument)
        callHost(audioMasterIOChanged);
}

// The loaders' lock is enough to count; the audio thread is held off only to move the delay.
void VornDrums::reportLatency() {
    bool changed = false;
    {
        std::lock_guard<std::recursive_mutex> exclusive(handshake.loaders);
        countRunningInserts();
        if (masterLatency() != reportedLatency()) {
            LoadGuard holdForDelay(handshake);
            changed = applyMasterLatency();
        }
    }
    announceLatencyChange(changed);
}

// Plug-ins may change their latency by themselves, when they first process or as a parameter
// changes, and tell no one (ZaMaximX2 does so): the timer reads the counted inserts' latencies
// again. Only the plug-ins this instrument loaded are asked, so a slot lent a plug-in
// (placePlugin) is read by a loader alone. A loader at work reports when it ends.
void VornDrums::recheckLatency() {
    std::unique_lock<std::recursive_mutex> exclusive(handshake.loaders, std::try_to_lock);
    if (!exclusive.owns_lock())
        return;
    std::int32_t counted = 0;
    for (const PluginSlot& slot : pluginSlots)
        if (slot.latencyCounted && slot.owner)
            counted += slot.owner->latency();
    if (counted == reportedLatency())
        return;
    bool changed = false;
    countRunningInserts();
    if (masterLatency() != reportedLatency()) {
        LoadGuard holdForDelay(handshake);
        changed = applyMasterLatency();
    }
    exclusive.unlock();
    announceLatencyChange(changed);
}

// --- what the editor and the program block read ----------------------------------------------

const CPlugin* VornDrums::slotPlugin(int slot) const {
    return isSlot(slot) ? pluginSlots[static_cast<std::size_t>(slot)].owner.get() : nullptr;
}

CPlugin* VornDrums::slotPlugin(int slot) {
    return isSlot(slot) ? pluginSlots[static_cast<std::size_t>(slot)].owner.get() : nullptr;
}

std::vector<std::string> VornDrums::effectLibraries() const {
    std::vector<std::string> names;
    std::vector<std::string> menuTexts;
    listFolderFiles(names, menuTexts, settings.effectPath, platform::libraryExtension());
    return names;
}

}  // namespace rimba
