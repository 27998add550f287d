#include "plugin/files/ProgramChunk.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <limits>

#include "common/platform/Paths.h"
#include "plugin/files/ByteFields.h"

namespace rimba {

namespace {

// How each form lays out its tracks and its tail.
enum class TailForm {
    Oldest,  // patterns' lengths and chains, current pattern, play mode and swing only
    WithoutSynth,  // the current tail less the drum synth's entry
    Current,
};

struct FormLayout {
    std::size_t headerBytes;
    bool hasRandom;
    bool hasScaleNotes;
    bool velocityOnly;  // steps carry velocities alone
    std::size_t settingsBytes;
    int settingsRead;
    bool tuneInOldUnits;  // tune as 0..1 around 0.5 for +-12 semitones, tune velocity as 0..1 of 12
    TailForm tail;
};

constexpr FormLayout layoutOf(ChunkForm form) {
    switch (form) {
        case ChunkForm::Oldest: return {0, false, false, true, 56, 14, false, TailForm::Oldest};
        case ChunkForm::Plain: return {4, true, false, false, 68, 17, true, TailForm::WithoutSynth};
        case ChunkForm::Text122: return {36, true, false, false, 96, 17, true, TailForm::WithoutSynth};
        case ChunkForm::Text1x: return {36, true, false, false, 192, 17, false, TailForm::WithoutSynth};
        case ChunkForm::NumberedBefore1300: return {44, true, false, false, 192, 17, false, TailForm::WithoutSynth};
        case ChunkForm::Numbered1300: return {44, true, true, false, 192, 32, false, TailForm::Current};
        case ChunkForm::Current: break;
    }
    return {chunk::kHeaderBytes, true, true, false, 192, 32, false, TailForm::Current};
}

constexpr std::size_t kRandomBytes = 3 * kPatternCount;
constexpr std::size_t kStepGroupBytes = 3 * kPatternCount;  // velocities, holds, rolls
constexpr std::size_t kOldestTailBytes = 140;
constexpr std::int32_t kFirstNumbered1300 = 1300;
constexpr std::int32_t kLastNumberedBeforeCurrent = 1450;

// Tail offsets of the current form; the forms without the drum synth's entry lack the 8 bytes
// at kSynthEntry, so everything after it sits 8 bytes earlier.
namespace tail {
constexpr std::size_t kPatternSteps = 0;
constexpr std::size_t kChainEnabled = 64;
constexpr std::size_t kCurrentPattern = 128;
constexpr std::size_t kRandomAuto = 140;
constexpr std::size_t kEffectEnabled = 156;
constexpr std::size_t kMuteMidiKey = 172;
constexpr std::size_t kEffectEntries = 256;
constexpr std::size_t kSynthEntry = 288;
constexpr std::size_t kSynthEntryBytes = 8;
constexpr std::size_t kMasterEqOn = 296;
constexpr std::size_t kMasterEqBands = 300;
constexpr std::size_t kPatternSetReserved = 336;
constexpr std::size_t kEffectPaths = 424;
constexpr std::size_t kStateBlocks = 1448;
}  // namespace tail

// The pattern set keeps its eight reserved values in this order.
constexpr std::array<std::size_t, 8> kReservedOrder{0, 4, 1, 5, 2, 6, 3, 7};

std::string bytes(std::size_t count) { return std::to_string(count) + (count == 1 ? " byte" : " bytes"); }

Result<ChunkForm> decideForm(std::span<const std::uint8_t> block, std::int32_t& version) {
    ChunkReader header(block);
    const std::uint32_t size = header.u32();
    if (!header.ok())
        return Refusal{"a block of " + bytes(block.size()) + " is too short to be a program"};
    if (block.size() == chunk::kOldestFormBytes && size != block.size())
        return ChunkForm::Oldest;
    if (size != block.size())
        return Refusal{"the block says it holds " + bytes(size) + " but holds " + bytes(block.size())};

    const auto numbered = static_cast<std::int32_t>(header.u32());
    const auto swapped = static_cast<std::int32_t>(header.u32BigEndian());
    if (header.ok() && numbered != 0 && numbered == swapped) {
        if (numbered > chunk::kVersion)
            return Refusal{"version " + std::to_string(numbered) + " is newer than " + std::to_string(chunk::kVersion) +
                           ", the newest this instrument reads"};
        version = numbered;
        if (numbered < kFirstNumbered1300)
            return ChunkForm::NumberedBefore1300;
        if (numbered <= kLastNumberedBeforeCurrent)
            return ChunkForm::Numbered1300;
        return ChunkForm::Current;
    }
    version = 0;
    ChunkReader text(block);
    text.seek(4);
    const std::string versionText = text.text(std::min(chunk::kVersionTextBytes, block.size() - 4));
    if (versionText.starts_with("1."))
        return versionText == "1.22" ? ChunkForm::Text122 : ChunkForm::Text1x;
    return ChunkForm::Plain;
}

bool allFinite(std::span<const float> values) {
    return std::all_of(values.begin(), values.end(), [](float v) { return std::isfinite(v); });
}

Result<> readTrack(ChunkReader& in, const FormLayout& layout, ChunkTrack& track) {
    track = emptyChunkTrack();
    track.path = in.text(chunk::kPathBytes);
    if (layout.hasRandom) {
        for (int p = 0; p < kPatternCount; ++p) {
            const auto i = static_cast<std::size_t>(p);
            track.randomMinDensity[i] = in.s8();
            track.randomMaxDensity[i] = in.s8();
            track.randomMaxRoll[i] = in.s8();
            // Blocks of some versions saved "off" as a minimum of 0 with a maximum of -1.
            if (track.randomMinDensity[i] == 0 && track.randomMaxDensity[i] == -1)
                track.randomMinDensity[i] = -1;
        }
    }
    if (layout.hasScaleNotes)
        for (std::uint8_t& note : track.scaleNotes)
            note = in.u8();
    for (int s = 0; s < kMaxSteps; ++s) {
        const auto step = static_cast<std::size_t>(s);
        for (auto& pattern : track.velocity)
            pattern[step] = in.s8();
        if (layout.velocityOnly)
            continue;
        for (auto& pattern : track.hold)
            pattern[step] = in.s8();
        for (auto& pattern : track.roll)
            pattern[step] = in.s8();
    }

    ChunkReader settings = in;
    in.take(layout.settingsBytes);
    if (layout.settingsRead == 14) {
        for (int i = 0; i <= stored::kEnd; ++i)
            track.settings[static_cast<std::size_t>(i)] = settings.f32();
        settings.f32();  // a value no later version kept
        track.settings[stored::kMute] = settings.f32();
    } else {
        for (int i = 0; i < layout.settingsRead; ++i)
            track.settings[static_cast<std::size_t>(i)] = settings.f32();
    }
    if (layout.tuneInOldUnits) {
        track.settings[stored::kTune] = (track.settings[stored::kTune] - 0.5f) * 24.0f;
        track.settings[stored::kTuneVelocity] *= 12.0f;
    }
    if (!in.ok() || !settings.ok())
        return Refusal{"it runs past the end of the block"};
    if (!allFinite(track.settings))
        return Refusal{"a setting is not a number"};
    return {};
}

Result<> readTail(ChunkReader& in, TailForm form, ProgramChunk& program) {
    const std::size_t start = in.position();
    for (std::int32_t& steps : program.patternSteps)
        steps = in.i32();
    for (std::int32_t& chained : program.chainEnabled)
        chained = in.i32();
    program.currentPattern = in.i32();
    program.playMode = in.i32();
    program.swing = in.i32();
    if (form == TailForm::Oldest) {
        program.hasFullTail = false;
        return in.ok() ? Result<>() : Refusal{"the tail runs past the end of the block"};
    }

    in.seek(start + tail::kRandomAuto);
    program.randomAuto = in.i32();
    program.randomPerPattern = in.i32();
    program.playing = in.i32();
    program.tempo = in.i32();
    for (std::int32_t& enabled : program.effectEnabled)
        enabled = in.i32();
    program.muteMidiKey = in.i32();
    program.patternTriggerMidiKey = in.i32();
    program.randomGraphVisible = in.i32();
    program.fillAttenuation = in.i32();

    in.seek(start + tail::kEffectEntries);
    std::array<std::int32_t, kEffectSlots> stateBytes{};
    for (int slot = 0; slot < kEffectSlots; ++slot) {
        stateBytes[static_cast<std::size_t>(slot)] = in.i32();
        program.effects[static_cast<std::size_t>(slot)].program = in.i32();
    }
    std::int32_t synthStateBytes = 0;
    const std::size_t shift = form == TailForm::Current ? 0 : tail::kSynthEntryBytes;
    if (form == TailForm::Current) {
        synthStateBytes = in.i32();
        program.drumSynth.program = in.i32();
    }

    in.seek(start + tail::kMasterEqOn - shift);
    program.masterEqOn = in.f32();
    for (int band = 0; band < kEqBands; ++band) {
        const auto b = static_cast<std::size_t>(band);
        program.masterEqFreq[b] = in.f32();
        program.masterEqQ[b] = in.f32();
        program.masterEqGain[b] = in.f32();
    }
    for (const std::size_t index : kReservedOrder)
        program.patternSetReserved[index] = in.f32();

    in.seek(start + tail::kEffectPaths - shift);
    for (ChunkEffect& effect : program.effects)
        effect.path = in.text(chunk::kPathBytes);

    in.seek(start + tail::kStateBlocks - shift);
    const auto takeState = [&in](std::int32_t bytes, ChunkEffect& effect) {
        // A size below 1 is an empty slot and takes no room.
        if (bytes < 1)
            return;
        const auto part = in.take(static_cast<std::size_t>(bytes));
        effect.state.assign(part.begin(), part.end());
    };
    for (int slot = 0; slot < kEffectSlots; ++slot)
        takeState(stateBytes[static_cast<std::size_t>(slot)], program.effects[static_cast<std::size_t>(slot)]);
    takeState(synthStateBytes, program.drumSynth);

    const std::array<float, 1 + 3 * kEqBands> master{
        program.masterEqOn,      program.masterEqFreq[0], program.masterEqQ[0],    program.masterEqGain[0],
        program.masterEqFreq[1], program.masterEqQ[1],    program.masterEqGain[1], program.masterEqFreq[2],
        program.masterEqQ[2],    program.masterEqGain[2]};
    if (!in.ok())
        return Refusal{"the effect states run past the end of the block"};
    if (!allFinite(master))
        return Refusal{"a master equaliser setting is not a number"};
    return {};
}

void writeTrack(ChunkWriter& out, std::size_t at, const ChunkTrack& track) {
    out.text(at, track.path, chunk::kPathBytes);
    std::size_t field = at + chunk::kPathBytes;
    for (int p = 0; p < kPatternCount; ++p) {
        const auto i = static_cast<std::size_t>(p);
        out.s8(field++, track.randomMinDensity[i]);
        out.s8(field++, track.randomMaxDensity[i]);
        out.s8(field++, track.randomMaxRoll[i]);
    }
    for (const std::uint8_t note : track.scaleNotes)
        out.u8(field++, note);
    for (int s = 0; s < kMaxSteps; ++s) {
        const auto step = static_cast<std::size_t>(s);
        for (const auto& pattern : track.velocity)
            out.s8(field++, pattern[step]);
        for (const auto& pattern : track.hold)
            out.s8(field++, pattern[step]);
        for (const auto& pattern : track.roll)
            out.s8(field++, pattern[step]);
    }
    for (const float value : track.settings) {
        out.f32(field, value);
        field += 4;
    }
}

void writeTail(ChunkWriter& out, std::size_t at, const ProgramChunk& program) {
    std::size_t field = at + tail::kPatternSteps;
    for (const std::int32_t steps : program.patternSteps) {
        out.i32(field, steps);
        field += 4;
    }
    field = at + tail::kChainEnabled;
    for (const std::int32_t chained : program.chainEnabled) {
        out.i32(field, chained);
        field += 4;
    }
    const std::array<std::int32_t, 7> sequencer{program.currentPattern, program.playMode,         program.swing,
                                                program.randomAuto,     program.randomPerPattern, program.playing,
                                                program.tempo};
    field = at + tail::kCurrentPattern;
    for (const std::int32_t value : sequencer) {
        out.i32(field, value);
        field += 4;
    }
    field = at + tail::kEffectEnabled;
    for (const std::int32_t enabled : program.effectEnabled) {
        out.i32(field, enabled);
        field += 4;
    }
    const std::array<std::int32_t, 4> keysAndView{program.muteMidiKey, program.patternTriggerMidiKey,
                                                  program.randomGraphVisible, program.fillAttenuation};
    field = at + tail::kMuteMidiKey;
    for (const std::int32_t value : keysAndView) {
        out.i32(field, value);
        field += 4;
    }

    field = at + tail::kEffectEntries;
    for (const ChunkEffect& effect : program.effects) {
        out.i32(field, static_cast<std::int32_t>(effect.state.size()));
        out.i32(field + 4, effect.program);
        field += 8;
    }
    out.i32(at + tail::kSynthEntry, static_cast<std::int32_t>(program.drumSynth.state.size()));
    out.i32(at + tail::kSynthEntry + 4, program.drumSynth.program);

    out.f32(at + tail::kMasterEqOn, program.masterEqOn);
    field = at + tail::kMasterEqBands;
    for (int band = 0; band < kEqBands; ++band) {
        const auto b = static_cast<std::size_t>(band);
        out.f32(field, program.masterEqFreq[b]);
        out.f32(field + 4, program.masterEqQ[b]);
        out.f32(field + 8, program.masterEqGain[b]);
        field += 12;
    }
    field = at + tail::kPatternSetReserved;
    for (const std::size_t index : kReservedOrder) {
        out.f32(field, program.patternSetReserved[index]);
        field += 4;
    }
    field = at + tail::kEffectPaths;
    for (const ChunkEffect& effect : program.effects) {
        out.text(field, effect.path, chunk::kPathBytes);
        field += chunk::kPathBytes;
    }
    field = at + tail::kStateBlocks;
    for (const ChunkEffect& effect : program.effects) {
        out.bytes(field, effect.state);
        field += effect.state.size();
    }
    out.bytes(field, program.drumSynth.state);
}

}  // namespace

Result<ProgramChunk> readProgramChunk(std::span<const std::uint8_t> block) {
    ProgramChunk program;
    std::int32_t version = 0;
    const Result<ChunkForm> form = decideForm(block, version);
    if (!form)
        return form.refusal();
    program.form = *form;
    program.version = version;
    const FormLayout layout = layoutOf(*form);

    ChunkReader in(block);
    std::int32_t trackCount = chunk::kFixedTrackCount;
    if (*form == ChunkForm::Current) {
        in.seek(12);
        trackCount = in.i32();
        // The instrument has room for 16 tracks; a block naming more is damaged, not clipped.
        if (trackCount < 0 || trackCount > kTrackSlots)
            return Refusal{"the block names " + std::to_string(trackCount) + " tracks; 0 to " +
                           std::to_string(kTrackSlots) + " allowed"};
    }
    // Everything but the state blocks has a fixed size in each form; a block too short for it is
    // refused before any of it is read.
    const std::size_t trackBytes =
        chunk::kPathBytes + (layout.hasRandom ? kRandomBytes : 0) +
        (layout.hasScaleNotes ? static_cast<std::size_t>(kScaleNotes) : 0) +
        static_cast<std::size_t>(kMaxSteps) *
            (layout.velocityOnly ? static_cast<std::size_t>(kPatternCount) : kStepGroupBytes) +
        layout.settingsBytes;
    const std::size_t tailBytes = layout.tail == TailForm::Oldest         ? kOldestTailBytes
                                  : layout.tail == TailForm::WithoutSynth ? tail::kStateBlocks - tail::kSynthEntryBytes
                                                                          : tail::kStateBlocks;
    const std::size_t fixedBytes = layout.headerBytes + static_cast<std::size_t>(trackCount) * trackBytes + tailBytes;
    if (fixedBytes > block.size())
        return Refusal{"a " + std::string(chunkFormName(*form)) + " block of " + std::to_string(trackCount) +
                       " tracks needs at least " + bytes(fixedBytes) + "; this one holds " + bytes(block.size())};
    in.seek(layout.headerBytes);
    program.tracks.resize(static_cast<std::size_t>(trackCount));
    for (std::size_t t = 0; t < program.tracks.size(); ++t)
        if (const Result<> track = readTrack(in, layout, program.tracks[t]); !track)
            return track.refusal("track " + std::to_string(t + 1));
    if (const Result<> tail = readTail(in, layout.tail, program); !tail)
        return tail.refusal();
    if (layout.tail == TailForm::Oldest && in.position() != block.size())
        return Refusal{"the oldest form ends at " + bytes(in.position()) + " but the block holds " +
                       bytes(block.size())};
    return program;
}

std::vector<std::uint8_t> writeProgramChunk(const ProgramChunk& program) {
    std::size_t total = chunk::kFixedBytes + chunk::kTrackBytes * program.tracks.size();
    for (const ChunkEffect& effect : program.effects)
        total += effect.state.size();
    total += program.drumSynth.state.size();

    std::vector<std::uint8_t> block(total, 0);
    ChunkWriter out(block);
    out.u32(0, static_cast<std::uint32_t>(total));
    out.i32(4, chunk::kVersion);
    out.u32BigEndian(8, static_cast<std::uint32_t>(chunk::kVersion));
    out.i32(12, static_cast<std::int32_t>(program.tracks.size()));
    out.text(32, kVersionText, chunk::kVersionTextBytes);
    std::size_t at = chunk::kHeaderBytes;
    for (const ChunkTrack& track : program.tracks) {
        writeTrack(out, at, track);
        at += chunk::kTrackBytes;
    }
    writeTail(out, at, program);
    return block;
}

std::int8_t storedByte(float value) {
    if (std::isnan(value))
        return 0;
    const float whole = std::trunc(value);
    return static_cast<std::int8_t>(std::clamp(whole, -128.0f, 127.0f));
}

std::string storedEffectPath(const std::string& path, const std::string& effectPath) {
    if (!effectPath.empty() && path.starts_with(effectPath))
        return path.substr(effectPath.size());
    return path;
}

std::string effectPathFromStored(const std::string& stored, const std::string& effectPath) {
    std::string path = platform::withNativeSeparators(stored);
    // A drive path stays whole even where it cannot open, like any foreign absolute path; so does
    // a path from a root ("\Effects\Verb.dll"), which is no name inside the effect folder.
    const bool absolute = platform::isAbsolutePath(path) || (path.size() > 1 && path[1] == ':') ||
                          (!path.empty() && platform::isPathSeparator(path.front()));
    if (!absolute)
        path = effectPath + path;
    if (path.size() >= 4 && path[path.size() - 4] == '.')
        path = path.substr(0, path.size() - 3) + platform::libraryExtension();
    return path;
}

}  // namespace rimba
