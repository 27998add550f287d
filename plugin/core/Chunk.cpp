// The program chunk from the instrument's side: its state taken into a block for the host and
// for program files, and a block given back. A block is read and checked whole before anything
// changes, so a refused block leaves a running instrument exactly as it was.

#include <algorithm>
#include <cstring>
#include <limits>
#include <mutex>

#include "common/platform/Files.h"
#include "common/platform/FolderScan.h"
#include "common/platform/Paths.h"
#include "plugin/core/EffectState.h"
#include "plugin/core/VornDrums.h"
#include "plugin/files/FolderFiles.h"
#include "plugin/files/LibraryFolder.h"
#include "plugin/files/ProgramChunk.h"
#include "plugin/files/ProgramFile.h"
#include "plugin/model/StoredTrackSettings.h"

namespace rimba {

// --- building the block ----------------------------------------------------------------------

VstInt32 VornDrums::getChunk(void** data, bool) {
    if (data == nullptr)
        return 0;
    std::vector<std::uint8_t> block = buildChunk();
    if (block.size() > static_cast<std::size_t>(std::numeric_limits<VstInt32>::max())) {
        *data = nullptr;
        return 0;
    }
    lastChunk = std::move(block);
    *data = lastChunk.data();
    return static_cast<VstInt32>(lastChunk.size());
}

std::vector<std::uint8_t> VornDrums::buildChunk() {
    // Keeps a program change on the timer thread from changing the state half-way through; the
    // audio thread plays on, as it only reads.
    std::lock_guard<std::recursive_mutex> exclusive(handshake.loaders);
    // The sample export writes only into a folder that exists; any other folder named by a host
    // leaves the block as usual.
    if (!sampleExportFolder.empty() &&
        !(platform::isAbsolutePath(sampleExportFolder) && platform::folderExists(sampleExportFolder)))
        sampleExportFolder.clear();
    ProgramChunk program;
    const std::string library = libraryFolder(settings);
    program.tracks.resize(static_cast<std::size_t>(trackCount));
    for (int t = 0; t < trackCount; ++t)
        captureTrack(t, program.tracks[static_cast<std::size_t>(t)], library);

    program.patternSteps = patternSteps;
    program.chainEnabled = chainEnabled;
    program.currentPattern = currentPattern;
    program.playMode = playMode;
    program.swing = swing;
    program.randomAuto = randomAuto;
    program.randomPerPattern = randomPerPattern;
    program.playing = playing;
    program.tempo = tempo;
    program.effectEnabled = effectEnabled;
    program.muteMidiKey = settings.muteMidiKey;
    program.patternTriggerMidiKey = settings.patternTriggerMidiKey;
    program.randomGraphVisible = randomGraphVisible;
    program.fillAttenuation = fillAttenuation;
    program.masterEqOn = masterEqOn;
    program.masterEqFreq = masterEqFreq;
    program.masterEqQ = masterEqQ;
    program.masterEqGain = masterEqGain;
    program.patternSetReserved = patternSetReserved;

    for (int slot = 0; slot < kEffectSlots; ++slot) {
        HostedPlugin* plugin = effectIn(slot);
        if (plugin == nullptr)
            continue;
        ChunkEffect& effect = program.effects[static_cast<std::size_t>(slot)];
        effect.state = captureEffectState(*plugin, effect.program);
        effect.path = storedEffectPath(plugin->libraryPath(), settings.effectPath);
    }
    if (HostedPlugin* synth = drumSynth())
        program.drumSynth.state = captureEffectState(*synth, program.drumSynth.program);

    // The export folder serves one block only.
    sampleExportFolder.clear();
    return writeProgramChunk(program);
}

void VornDrums::captureTrack(int track, ChunkTrack& stored, const std::string& library) {
    const auto t = static_cast<std::size_t>(track);
    stored.path = sampleExportFolder.empty()
                      ? toStoredPath(soundPathText(tracks.soundPath[t]), library, FolderCase::kIgnored)
                      : exportTrackSound(track);
    const TrackPatterns& planes = patterns[t];
    for (std::size_t p = 0; p < static_cast<std::size_t>(kPatternCount); ++p) {
        stored.randomMinDensity[p] = storedByte(planes.randomMinDensity[p]);
        stored.randomMaxDensity[p] = storedByte(planes.randomMaxDensity[p]);
        stored.randomMaxRoll[p] = storedByte(planes.randomMaxRoll[p]);
        for (std::size_t s = 0; s < static_cast<std::size_t>(kMaxSteps); ++s) {
            stored.velocity[p][s] = storedByte(planes.stepVelocity[p][s]);
            stored.hold[p][s] = storedByte(planes.stepHold[p][s]);
            stored.roll[p][s] = storedByte(planes.stepRoll[p][s]);
        }
    }
    for (std::size_t n = 0; n < static_cast<std::size_t>(kScaleNotes); ++n)
        stored.scaleNotes[n] = static_cast<std::uint8_t>(std::clamp(tracks.scaleNotes[t][n], 0, 255));
    stored.settings = storedSettings(tracks, t);
}

// Export mode: the track's sound goes into the export folder as a WAV file named after the
// sound, and the block names it relative to that folder, so the folder and the block travel
// together. A track without a sound has nothing to write and names nothing.
std::string VornDrums::exportTrackSound(int track) {
    const auto t = static_cast<std::size_t>(track);
    const std::string name = platform::fileNameOfAnySystemPath(soundPathText(tracks.soundPath[t]));
    if (voiceSound(voices[t]) == nullptr || name.empty())
        return {};
    std::string folder = sampleExportFolder;
    writeTrackWave(track, platform::joinPath(folder, platform::withoutExtension(name) + ".wav"));
    return "\\" + name;
}

// --- taking a block --------------------------------------------------------------------------

VstInt32 VornDrums::setChunk(void* data, VstInt32 byteSize, bool) {
    if (data == nullptr || byteSize < 0)
        return 0;
    const std::span<const std::uint8_t> block(static_cast<const std::uint8_t*>(data),
                                              static_cast<std::size_t>(byteSize));
    if (block.size() == chunk::kExportFolderBytes) {
        std::lock_guard<std::recursive_mutex> exclusive(handshake.loaders);
        const auto* text = reinterpret_cast<const char*>(block.data());
        std::string folder(text, strnlen(text, block.size()));
        folder = platform::withNativeSeparators(folder);
        if (!folder.empty() && platform::isPathSeparator(folder.back()))
            folder.pop_back();
        sampleExportFolder = folder;
        return 1;
    }
    const Result<> taken = takeProgramBlock(block);
    if (!taken)
        logRefusal("host's program chunk", taken.reason());
    return taken ? 1 : 0;
}

Result<> VornDrums::takeProgramBlock(std::span<const std::uint8_t> block) {
    const Result<ProgramChunk> program = readProgramChunk(block);
    if (!program)
        return program.refusal();
    applyProgram(*program);
    reportLatency();
    return {};
}

void VornDrums::applyProgram(const ProgramChunk& program) {
    LoadGuard hold(handshake);
    const std::string library = libraryFolder(settings);
    const auto blockTracks = static_cast<int>(program.tracks.size());
    for (int t = 0; t < blockTracks; ++t)
        applyTrack(t, program.tracks[static_cast<std::size_t>(t)], library);
    for (int t = blockTracks; t < trackCount; ++t)
        emptyTrackPatterns(t);
    // No track stays routed to the synth, whether the block names it or not.
    tracks.synthRoute.fill(0.0f);
    applyTail(program);
    applyEffects(program);
    for (TrackVoice& voice : voices)
        voice.fading = 0;
    pendingEvents.clear();
}

void VornDrums::applyTrack(int track, const ChunkTrack& stored, const std::string& library) {
    const auto t = static_cast<std::size_t>(track);
    storeSoundPath(tracks.soundPath[t], fromStoredPath(stored.path, library));
    loadTrackSound(track);

    TrackPatterns& planes = patterns[t];
    for (std::size_t p = 0; p < static_cast<std::size_t>(kPatternCount); ++p) {
        planes.randomMinDensity[p] = stored.randomMinDensity[p];
        planes.randomMaxDensity[p] = stored.randomMaxDensity[p];
        planes.randomMaxRoll[p] = stored.randomMaxRoll[p];
        for (std::size_t s = 0; s < static_cast<std::size_t>(kMaxSteps); ++s) {
            planes.stepVelocity[p][s] = stored.velocity[p][s];
            planes.stepHold[p][s] = stored.hold[p][s];
            planes.stepRoll[p][s] = stored.roll[p][s];
        }
    }
    for (std::size_t n = 0; n < static_cast<std::size_t>(kScaleNotes); ++n)
        tracks.scaleNotes[t][n] = stored.scaleNotes[n];
    setStoredSettings(tracks, t, stored.settings);
    // The synth slot's routing is the user's choice for the synth loaded now, not a saved one.
    tracks.synthRoute[t] = 0.0f;
    resetTrackEqualiser(track);
    updateTrack(track);
}

void VornDrums::emptyTrackPatterns(int track) {
    const auto t = static_cast<std::size_t>(track);
    TrackPatterns& planes = patterns[t];
    for (std::size_t p = 0; p < static_cast<std::size_t>(kPatternCount); ++p) {
        planes.stepVelocity[p].fill(0.0f);
        planes.stepHold[p].fill(1.0f);
        planes.stepRoll[p].fill(0.0f);
    }
    planes.randomMinDensity.fill(-1.0f);
    planes.randomMaxDensity.fill(-1.0f);
    planes.randomMaxRoll.fill(0.0f);
    tracks.randomMinDensity[t] = -1.0f;
    tracks.randomMaxDensity[t] = -1.0f;
    tracks.randomMaxRoll[t] = 0.0f;
    tracks.choke[t] = 0.0f;
}

void VornDrums::applyTail(const ProgramChunk& program) {
    // Values that index the planes or feed the sequencer's arithmetic are held to the ranges
    // the editor gives them; the rest are kept as the block has them.
    for (std::size_t p = 0; p < static_cast<std::size_t>(kPatternCount); ++p) {
        patternSteps[p] = std::clamp(program.patternSteps[p], kMinSteps, kMaxSteps);
        chainEnabled[p] = program.chainEnabled[p];
    }
    choosePattern(program.currentPattern);
    playMode = std::clamp(program.playMode, 0, 2);
    swing = std::clamp(program.swing, 0, kMaxSwing);

    // An oldest-form block gets these from the reading's defaults; fillAttenuation and the
    // MIDI keys it leaves as they were.
    randomAuto = program.randomAuto;
    randomPerPattern = program.randomPerPattern;
    setPlaying(program.playing);
    tempo = std::max(program.tempo, 1);
    effectEnabled = program.effectEnabled;
    randomGraphVisible = program.randomGraphVisible;
    patternSetReserved = program.patternSetReserved;
    if (program.hasFullTail) {
        settings.muteMidiKey = program.muteMidiKey;
        settings.patternTriggerMidiKey = std::clamp(program.patternTriggerMidiKey, -1, 127);
        fillAttenuation = std::clamp(program.fillAttenuation, 0, kMaxFillAttenuation);
    }
    masterEqOn = program.masterEqOn;
    masterEqFreq = program.masterEqFreq;
    masterEqQ = program.masterEqQ;
    masterEqGain = program.masterEqGain;
    filterUpdates.dropMasterUpdates();
    for (int band = 0; band < kEqBands; ++band) {
        masterEq[static_cast<std::size_t>(band)].resetState();
        queueEqUpdate(FilterUpdate::kMasterTarget, band);
    }
}

void VornDrums::applyEffects(const ProgramChunk& program) {
    for (int slot = 0; slot < kEffectSlots; ++slot) {
        const ChunkEffect& entry = program.effects[static_cast<std::size_t>(slot)];
        if (entry.state.empty()) {
            emptySlot(slot);
            continue;
        }
        const std::string path =
            platform::resolvePathIgnoringCase(effectPathFromStored(entry.path, settings.effectPath));
        if (Result<> loaded = loadProgramEffect(slot, path); !loaded)
            logRefusal("effect library", path + ": " + loaded.reason());
        if (HostedPlugin* plugin = effectIn(slot))
            restoreEffectState(*plugin, entry.state, entry.program);
    }
    // The drum synth is never loaded by a block: a block only gives a loaded one its state.
    HostedPlugin* synth = drumSynth();
    if (synth != nullptr && !program.drumSynth.state.empty())
        restoreEffectState(*synth, program.drumSynth.state, program.drumSynth.program);
}

// --- program files ---------------------------------------------------------------------------

bool VornDrums::saveProgramFile(const std::string& path) {
    const std::vector<std::uint8_t> block = buildChunk();
    return writeProgramFile(path, block, cEffect.uniqueID, programTitle(settings.programFile));
}

void VornDrums::findCurrentProgram() {
    const std::string& file = settings.programFile;
    const std::size_t slash = platform::lastPathSeparator(file);
    if (slash == std::string::npos)
        return;
    std::vector<std::string> names;
    std::vector<std::string> menuTexts;
    listFolderFiles(names, menuTexts, file.substr(0, slash + 1), "fxp");
    const auto found = std::find(names.begin(), names.end(), file.substr(slash + 1));
    if (found == names.end())
        return;
    loadProgram(static_cast<std::int32_t>(found - names.begin()));
    updateDisplay();
}

}  // namespace rimba
