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
    const PluginSources sources{.sampleRate = sampleRateValue,
                                .blockSize = pluginBlockFrames,
                                .hold = &handshake,
                                .timeInfo = &timeForPlugins};
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

Result<> VornDrums::loadProgramEffect(int slot, const std::string& path) {
    if (!isSlot(slot))
        return Refusal{"no slot " + std::to_string(slot)};
    // Nothing is opened for the library the slot already runs, wherever it was chosen from.
    if (slotHolds(slot, path))
        return {};
    Result<std::string> place = placeProgramEffectLibrary(path, settings.effectPath);
    if (!place) {
        removeSlot(slot);
        return place.refusal();
    }
    return loadSlot(slot, path, *place);
}

void VornDrums::removeSlot(int slot) {
    if (!isSlot(slot))
        return;
    LoadGuard holdForLibrary(handshake);
    slotPointer(slot) = nullptr;
    hostedPlugins[static_cast<std::size_t>(slot)].reset();
}

// The switches are read by the render loop, so they change while it is held off.
Result<> VornDrums::selectEffect(int slot, const std::string& path) {
    LoadGuard holdForSwitch(handshake);
    Result<> loaded = loadSlot(slot, path);
    if (slot >= 0 && slot < kEffectSlots)
        effectEnabled[static_cast<std::size_t>(slot)] = loaded ? 1 : 0;
    return loaded;
}

void VornDrums::removeEffect(int slot) {
    LoadGuard holdForSwitch(handshake);
    removeSlot(slot);
    if (slot >= 0 && slot < kEffectSlots)
        effectEnabled[static_cast<std::size_t>(slot)] = 0;
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
    LoadGuard holdForPlugins(handshake);
    for (std::unique_ptr<CPlugin>& plugin : hostedPlugins)
        if (plugin)
            plugin->setSampleRate(rate);
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
        removeSlot(slot);
}

}  // namespace rimba
