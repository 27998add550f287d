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

HostedPlugin*& VornDrums::slotPointer(int slot) {
    return slot == kSynthSlot ? drumSynthPlugin : effectSlots[static_cast<std::size_t>(slot)];
}

Result<> VornDrums::loadSlot(int slot, const std::string& path, const std::string& file) {
    Result<> loaded = placeInSlot(slot, path, file);
    reportLatency();
    return loaded;
}

void VornDrums::removeSlot(int slot) {
    emptySlot(slot);
    reportLatency();
}

Result<> VornDrums::placeInSlot(int slot, const std::string& path, const std::string& file) {
    if (!isSlot(slot))
        return Refusal{"no slot " + std::to_string(slot)};
    // The plug-in the slot holds stays, with its state, when the same library is asked for.
    if (slotHolds(slot, path))
        return {};
    LoadGuard holdForLibrary(handshake);
    std::unique_ptr<CPlugin>& holder = hostedPlugins[static_cast<std::size_t>(slot)];
    if (!holder)
        holder = std::make_unique<CPlugin>();
    // The render loop stops reading the slot before its plug-in is replaced.
    slotPointer(slot) = nullptr;
    const PluginSources sources{
        .sampleRate = sampleRateValue, .blockSize = pluginBlockFrames, .hold = &handshake, .timeInfo = &timeForPlugins};
    Result<> loaded = holder->load(path, sources, file);
    if (!loaded) {
        holder.reset();
        return loaded;
    }
    slotPointer(slot) = holder.get();
    return {};
}

bool VornDrums::slotHolds(int slot, const std::string& path) {
    HostedPlugin* current = slotPointer(slot);
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
    LoadGuard holdForLibrary(handshake);
    slotPointer(slot) = nullptr;
    hostedPlugins[static_cast<std::size_t>(slot)].reset();
}

// The switches are read by the render loop, so they change while it is held off.
Result<> VornDrums::selectEffect(int slot, const std::string& path) {
    Result<> loaded = Refusal{"not loaded"};
    {
        LoadGuard holdForSwitch(handshake);
        loaded = placeInSlot(slot, path);
        if (slot >= 0 && slot < kEffectSlots)
            effectEnabled[static_cast<std::size_t>(slot)] = loaded ? 1 : 0;
    }
    reportLatency();
    return loaded;
}

void VornDrums::removeEffect(int slot) {
    {
        LoadGuard holdForSwitch(handshake);
        emptySlot(slot);
        if (slot >= 0 && slot < kEffectSlots)
            effectEnabled[static_cast<std::size_t>(slot)] = 0;
    }
    reportLatency();
}

std::int32_t VornDrums::masterLatency() const {
    std::int32_t total = 0;
    for (int slot = kFirstInsertSlot; slot < kEffectSlots; ++slot) {
        const HostedPlugin* insert = effectSlots[static_cast<std::size_t>(slot)];
        if (insert != nullptr && effectEnabled[static_cast<std::size_t>(slot)] != 0)
            total += insert->latency();
    }
    return total;
}

void VornDrums::reportLatency() {
    bool changed = false;
    {
        std::lock_guard<std::recursive_mutex> exclusive(handshake.loaders);
        changed = takeMasterLatency();
    }
    // Told once the audio thread runs again: a host may ask for blocks while it handles this.
    if (changed && hostHasInstrument)
        callHost(audioMasterIOChanged);
}

// Plug-ins may change their latency by themselves, when they first process or as a parameter
// changes, and tell no one (ZaMaximX2 does so): the timer reads the counted inserts' latencies
// again. Only the plug-ins this instrument holds are asked, so a slot that a test or a loader
// fills directly is read by a loader alone. A loader at work reports when it ends.
void VornDrums::recheckLatency() {
    std::unique_lock<std::recursive_mutex> exclusive(handshake.loaders, std::try_to_lock);
    if (!exclusive.owns_lock())
        return;
    std::int32_t counted = 0;
    for (int slot = kFirstInsertSlot; slot < kEffectSlots; ++slot) {
        const CPlugin* insert = hostedPlugins[static_cast<std::size_t>(slot)].get();
        if (latencyCounted[static_cast<std::size_t>(slot)] && insert != nullptr)
            counted += insert->latency();
    }
    if (counted == std::atomic_ref<VstInt32>(cEffect.initialDelay).load())
        return;
    const bool changed = takeMasterLatency();
    exclusive.unlock();
    if (changed && hostHasInstrument)
        callHost(audioMasterIOChanged);
}

// Under the loaders' lock.
bool VornDrums::takeMasterLatency() {
    for (int slot = 0; slot < kEffectSlots; ++slot)
        latencyCounted[static_cast<std::size_t>(slot)] = slot >= kFirstInsertSlot &&
                                                         effectSlots[static_cast<std::size_t>(slot)] != nullptr &&
                                                         effectEnabled[static_cast<std::size_t>(slot)] != 0;
    const std::int32_t latency = masterLatency();
    std::atomic_ref<VstInt32> reported(cEffect.initialDelay);
    if (latency == reported.load())
        return false;
    LoadGuard holdForDelay(handshake);
    separateOutputDelay.setFrames(cEffect.numOutputs - 2, latency);
    reported.store(latency);
    return true;
}

const CPlugin* VornDrums::slotPlugin(int slot) const {
    return isSlot(slot) ? hostedPlugins[static_cast<std::size_t>(slot)].get() : nullptr;
}

CPlugin* VornDrums::slotPlugin(int slot) {
    return isSlot(slot) ? hostedPlugins[static_cast<std::size_t>(slot)].get() : nullptr;
}

std::vector<std::string> VornDrums::effectLibraries() const {
    std::vector<std::string> names;
    std::vector<std::string> menuTexts;
    listFolderFiles(names, menuTexts, settings.effectPath, platform::libraryExtension());
    return names;
}

void VornDrums::handOnSampleRate(float rate) {
    {
        LoadGuard holdForPlugins(handshake);
        for (std::unique_ptr<CPlugin>& plugin : hostedPlugins)
            if (plugin)
                plugin->setSampleRate(rate);
    }
    // A latency counted in samples may change with the rate.
    reportLatency();
}

void VornDrums::handOnBlockSize(std::int32_t frames) {
    LoadGuard holdForPlugins(handshake);
    pluginBlockFrames = std::clamp(frames, 1, HostedPlugin::kMaxBlockFrames);
    for (std::unique_ptr<CPlugin>& plugin : hostedPlugins)
        if (plugin)
            plugin->setBlockSize(pluginBlockFrames);
}

void VornDrums::unloadEverySlot() {
    for (int slot = 0; slot < kPluginSlots; ++slot)
        emptySlot(slot);
}

}  // namespace rimba
