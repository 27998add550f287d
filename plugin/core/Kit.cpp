// Kits from the instrument's side: the sounds and sound settings of the tracks taken into a kit
// file, and a kit file given back. A file is read and checked whole before anything changes.

#include <mutex>

#include "common/platform/Files.h"
#include "common/platform/Paths.h"
#include "plugin/core/EffectState.h"
#include "plugin/core/PatternSets.h"
#include "plugin/core/VornDrums.h"
#include "plugin/files/KitFile.h"
#include "plugin/files/LibraryFolder.h"
#include "plugin/model/StoredTrackSettings.h"

namespace rimba {

bool VornDrums::saveKit(const std::string& path) {
    std::lock_guard<std::recursive_mutex> exclusive(handshake.loaders);
    const std::string library = libraryFolder(settings);
    KitFile kit;
    kit.records.resize(static_cast<std::size_t>(trackCount));
    for (int track = 0; track < trackCount; ++track) {
        const auto t = static_cast<std::size_t>(track);
        KitRecord& record = kit.records[t];
        record.path = toStoredPath(soundPathText(tracks.soundPath[t]), library, FolderCase::kExact);
        record.settings = storedSettings(tracks, t);
        record.scaleNotes = tracks.scaleNotes[t];
    }
    if (HostedPlugin* synth = drumSynth()) {
        std::int32_t synthProgram = 0;
        kit.synthState = captureEffectState(*synth, synthProgram);
    }
    return platform::writeFileAtomically(path, writeKitFile(kit));
}

Result<> VornDrums::loadKit(const std::string& path) {
    const std::optional<std::vector<std::uint8_t>> bytes = platform::readWholeFile(path);
    if (!bytes)
        return Refusal{"cannot read " + path};
    const Result<KitFile> kit = readKitFile(*bytes);
    if (!kit)
        return kit.refusal(path);

    LoadGuard hold(handshake);
    if (HostedPlugin* synth = drumSynth(); synth != nullptr && !kit->synthState.empty())
        restoreEffectPrograms(*synth, kit->synthState);
    const std::string library = libraryFolder(settings);
    for (std::size_t r = 0; r < kit->records.size(); ++r)
        applyKitRecord(static_cast<int>(r), kit->records[r], library);
    updateDisplay();
    return {};
}

void VornDrums::applyKitRecord(int track, const KitRecord& record, const std::string& library) {
    const auto t = static_cast<std::size_t>(track);
    storeSoundPath(tracks.soundPath[t], fromStoredPath(record.path, library));
    loadTrackSound(track);

    // The random settings belong to the patterns, not to the kit: they stay as they are.
    const std::array<float, chunk::kSettingCount> settingsNow = storedSettings(tracks, t);
    std::array<float, chunk::kSettingCount> applied = record.settings;
    for (const int kept : {stored::kRandomMinDensity, stored::kRandomMaxDensity, stored::kRandomMaxRoll})
        applied[static_cast<std::size_t>(kept)] = settingsNow[static_cast<std::size_t>(kept)];
    // The synth slot's routing is the user's choice for the synth loaded now, not a saved one.
    applied[stored::kSynthRoute] = 0.0f;
    setStoredSettings(tracks, t, applied);
    tracks.scaleNotes[t] = record.scaleNotes;
    resetTrackEqualiser(track);
    updateTrack(track);
}

void VornDrums::newKit() {
    LoadGuard hold(handshake);
    resetTracks();
    updateDisplay();
}

void VornDrums::newProgram() {
    LoadGuard hold(handshake);
    resetSequencer();
    settings.drumKitFile =
        platform::joinPath(libraryFolder(settings), platform::withNativeSeparators("Drum Kits/Default.drs"));
    resetTracks();
    if (const Result<> kit = loadKit(settings.drumKitFile); !kit)
        logRefusal("default kit", kit.reason());
    resetPatterns(*this);
    settings.muteMidiKey = 0;
    settings.patternTriggerMidiKey = -1;
    updateDisplay();
}

}  // namespace rimba
