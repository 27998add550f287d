// The host's 240 parameters, the tag space behind them and behind the editor's controls, the
// standalone host's private indexes, and programs by number.

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

#include "common/platform/Files.h"
#include "common/platform/FolderScan.h"
#include "common/platform/MessageBox.h"
#include "common/platform/Paths.h"
#include "common/vst/StandaloneLink.h"
#include "plugin/core/RandomKeystrokes.h"
#include "plugin/core/SettingLaws.h"
#include "plugin/core/VornDrums.h"
#include "plugin/files/FolderFiles.h"
#include "plugin/files/ProgramFile.h"
#include "plugin/model/Tags.h"

namespace rimba {

namespace {

// Host buffers for parameter texts are documented as 8 characters, yet names like
// "12 Level Velocity" are longer; every host we know gives far more room than 32 bytes, and no
// text of ours needs more.
constexpr std::size_t kParameterTextBytes = 32;

constexpr std::int32_t kHostSlotPatternRandom = 8;
constexpr const char* kHostSlotNames[] = {"Level",          "Pan",           "Effect1", "Effect2",       "Tune",
                                          "Level Velocity", "Tune Velocity", "Mute",    "Pattern Random"};

constexpr std::int32_t kSynthTune = 0x10010;
constexpr std::int32_t kSynthTuneVelocity = 0x10020;
constexpr std::int32_t kSynthLevelVelocity = 0x10040;
constexpr std::int32_t kSynthScaleNotes = 0x10050;
constexpr std::int32_t kSynthLevelVelocityShared = 62;

void writeText(char* text, const std::string& value) {
    if (text == nullptr)
        return;
    const std::size_t length = std::min(value.size(), kParameterTextBytes - 1);
    std::memcpy(text, value.data(), length);
    text[length] = 0;
}

std::string twoDecimals(double value) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.2f", value);
    return buffer;
}

struct HostParameter {
    std::int32_t track;
    std::int32_t slot;  // host slot 0..19
};

float tuneVelocityForSynth(float value) { return std::trunc(value * 10.0f) / 10.0f; }

bool hostParameter(std::int32_t index, std::int32_t trackCount, HostParameter& parameter) {
    if (index < 0 || index >= kParameterCount)
        return false;
    parameter = {index / kSlotsPerTrack, index % kSlotsPerTrack};
    return parameter.track < trackCount;
}

}  // namespace

// --- host parameters -------------------------------------------------------------------------

void VornDrums::setParameter(VstInt32 index, float value) {
    if (index == kStandalonePlayToggle) {
        togglePlaying();
        return;
    }
    HostParameter p{};
    if (!hostParameter(index, trackCount, p))
        return;
    if (p.slot < kHostSlotPatternRandom)
        setValue(tags::trackTag(p.track, p.slot + 1), value);
    else if (p.slot == kHostSlotPatternRandom)
        setValue(tags::kPatternRandomBase + p.track, value);
}

float VornDrums::getParameter(VstInt32 index) {
    switch (index) {
        case kStandaloneSampleRate: return static_cast<float>(settings.standaloneSampleRate);
        case kStandaloneBufferSize: return static_cast<float>(settings.standaloneBufferSize);
        case kStandalonePlayToggle: return static_cast<float>(playing.load());
        default: break;
    }
    HostParameter p{};
    if (!hostParameter(index, trackCount, p) || p.slot >= kHostSlotPatternRandom)
        return 0.0f;
    return getValue(tags::trackTag(p.track, p.slot + 1));
}

void VornDrums::getParameterName(VstInt32 index, char* text) {
    HostParameter p{};
    if (!hostParameter(index, trackCount, p) || p.slot > kHostSlotPatternRandom) {
        writeText(text, "");
        return;
    }
    writeText(text, std::to_string(p.track + 1) + " " + kHostSlotNames[p.slot]);
}

void VornDrums::getParameterDisplay(VstInt32 index, char* text) {
    if (index == kStandaloneAudioDevice || index == kStandaloneMidiDevice) {
        const std::string& device = index == kStandaloneAudioDevice ? settings.audioDevice : settings.midiDevice;
        if (text != nullptr) {
            const std::size_t length = std::min<std::size_t>(device.size(), 127);
            std::memcpy(text, device.data(), length);
            text[length] = 0;
        }
        return;
    }
    HostParameter p{};
    if (!hostParameter(index, trackCount, p) || p.slot >= kHostSlotPatternRandom) {
        writeText(text, "");
        return;
    }
    const float value = getValue(tags::trackTag(p.track, p.slot + 1));
    switch (p.slot) {
        case 1:  // pan
        case 4:  // tune
            writeText(text, twoDecimals(value * 2.0 - 1.0));
            break;
        case 7:  // mute
            writeText(text, value == 1.0f ? "on" : "off");
            break;
        default: writeText(text, twoDecimals(value)); break;
    }
}

// --- the tag space ---------------------------------------------------------------------------

void VornDrums::setValue(std::int32_t tag, float value) {
    if (tags::isTrackTag(tag, trackCount)) {
        const std::int32_t t = tag / kSlotsPerTrack;
        const std::int32_t slot = tag % kSlotsPerTrack;
        const auto i = static_cast<std::size_t>(t);
        if (slot == tags::kSound) {
            loadTrackSound(t);
            return;
        }
        // The render loop reads the track settings as they are, each on its own.
        storeRelaxed(*tracks.slot(t, slot), value);
        const bool forward = tracks.synthRoute[i] != 0.0f && drumSynth() != nullptr;
        switch (slot) {
            case tags::kPan:
                storeRelaxed(tracks.pan[i], std::clamp(value, 0.0f, 1.0f));
                updateTrackGains(t);
                break;
            case tags::kLevel:
            case tags::kMute:
            case tags::kSend1:
            case tags::kSend2: updateTrackGains(t); break;
            case tags::kTune:
                storeRelaxed(tracks.tuneRatio[i], tuneRatioFromSetting(value));
                if (forward)
                    drumSynth()->setParameter(kSynthTune + t, value);
                break;
            case tags::kLevelVelocity:
                if (forward) {
                    drumSynth()->setParameter(kSynthLevelVelocity + t, value);
                    drumSynth()->setParameter(kSynthLevelVelocityShared, value);
                }
                break;
            case tags::kTuneVelocity:
                if (forward)
                    drumSynth()->setParameter(kSynthTuneVelocity + t, tuneVelocityForSynth(value));
                break;
            case tags::kStart:
            case tags::kEnd:
                keepEndAfterStart(t);
                boundsRequests.fetch_or(1u << t);  // the voice is the render loop's to move
                break;
            default: break;  // derived values follow at the next control update
        }
        return;
    }
    if (tags::isPatternRandomTag(tag, trackCount)) {
        requestRandomKeystrokes(tag - tags::kPatternRandomBase, value);
        return;
    }
    const std::int32_t offset = tag - tags::globalBase(trackCount);
    const auto asInt = [value] {
        return std::isfinite(value) ? static_cast<std::int32_t>(std::fmax(std::fmin(value, 1e9f), -1e9f)) : 0;
    };
    // The render loop reads the sequencer and mixer settings as they are, each on its own.
    if (offset >= tags::kPatternStepsOffset && offset < tags::kPatternStepsOffset + kPatternCount)
        storeRelaxed(patternSteps[static_cast<std::size_t>(offset - tags::kPatternStepsOffset)],
                     std::clamp(asInt(), kMinSteps, kMaxSteps));
    else if (offset >= tags::kChainEnabledOffset && offset < tags::kChainEnabledOffset + kPatternCount)
        storeRelaxed(chainEnabled[static_cast<std::size_t>(offset - tags::kChainEnabledOffset)], asInt() != 0);
    else if (offset == tags::kCurrentPatternOffset)
        choosePattern(asInt());
    else if (offset == tags::kPlayModeOffset)
        storeRelaxed(playMode, std::clamp(asInt(), 0, 2));
    else if (offset == tags::kSwingOffset)
        storeRelaxed(swing, std::clamp(asInt(), 0, kMaxSwing));
    else if (offset == tags::kRandomAutoOffset)
        storeRelaxed(randomAuto, asInt() != 0);
    else if (offset == tags::kPlayingOffset)
        setPlaying(asInt() != 0);
    else if (offset == tags::kTempoOffset)
        storeRelaxed(tempo, std::max(asInt(), 1));
    else if (offset >= tags::kEffectEnabledOffset && offset < tags::kEffectEnabledOffset + kEffectSlots) {
        storeRelaxed(effectEnabled[static_cast<std::size_t>(offset - tags::kEffectEnabledOffset)], asInt() != 0);
        reportLatency();  // an insert switched on or off adds or takes away its latency
    } else if (offset == tags::kFillAttenuationOffset)
        storeRelaxed(fillAttenuation, std::clamp(asInt(), 0, kMaxFillAttenuation));
}

float VornDrums::getValue(std::int32_t tag) const {
    if (tags::isTrackTag(tag, trackCount)) {
        const float* value = tracks.slot(tag / kSlotsPerTrack, tag % kSlotsPerTrack);
        return value ? *value : 0.0f;
    }
    const std::int32_t offset = tag - tags::globalBase(trackCount);
    if (offset >= tags::kPatternStepsOffset && offset < tags::kPatternStepsOffset + kPatternCount)
        return static_cast<float>(patternSteps[static_cast<std::size_t>(offset - tags::kPatternStepsOffset)]);
    if (offset >= tags::kChainEnabledOffset && offset < tags::kChainEnabledOffset + kPatternCount)
        return static_cast<float>(chainEnabled[static_cast<std::size_t>(offset - tags::kChainEnabledOffset)]);
    if (offset >= tags::kEffectEnabledOffset && offset < tags::kEffectEnabledOffset + kEffectSlots)
        return static_cast<float>(effectEnabled[static_cast<std::size_t>(offset - tags::kEffectEnabledOffset)]);
    switch (offset) {
        case tags::kCurrentPatternOffset: return static_cast<float>(currentPattern);
        case tags::kPlayModeOffset: return static_cast<float>(playMode);
        case tags::kSwingOffset: return static_cast<float>(swing);
        case tags::kRandomAutoOffset: return static_cast<float>(randomAuto);
        case tags::kPlayingOffset: return static_cast<float>(playing.load());
        case tags::kTempoOffset: return static_cast<float>(tempo);
        case tags::kFillAttenuationOffset: return static_cast<float>(fillAttenuation);
        default: return 0.0f;
    }
}

void VornDrums::reportToHost(std::int32_t tag, float value) {
    if (tags::isTrackTag(tag, trackCount)) {
        const std::int32_t slot = tag % kSlotsPerTrack;
        if (slot >= 1 && slot <= 8)
            setParameterAutomated(tag / kSlotsPerTrack * kSlotsPerTrack + slot - 1, value);
    } else if (tags::isPatternRandomTag(tag, trackCount)) {
        setParameterAutomated((tag - tags::kPatternRandomBase) * kSlotsPerTrack + kHostSlotPatternRandom, value);
    }
}

void VornDrums::togglePlaying() {
    setPlaying(playing.load() != 0 ? 0 : 1);
    requestReleaseAllVoices();
}

void VornDrums::forwardTrackToSynth(int track) {
    const auto t = static_cast<std::size_t>(track);
    HostedPlugin& synth = *drumSynth();
    synth.setParameter(kSynthTune + track, tracks.tune[t]);
    synth.setParameter(kSynthTuneVelocity + track, tuneVelocityForSynth(tracks.tuneVelocity[t]));
    synth.setParameter(kSynthLevelVelocity + track, tracks.levelVelocity[t]);
    const bool scaled = tracks.tuneScale[t] != 0.0f;
    for (int n = 0; n < kScaleNotes; ++n) {
        const float allowed = scaled ? static_cast<float>(tracks.scaleNotes[t][static_cast<std::size_t>(n)]) : 0.0f;
        synth.setParameter(kSynthScaleNotes + 12 * track + n, allowed);
    }
}

// --- programs by number ----------------------------------------------------------------------

void VornDrums::loadProgram(std::int32_t n) { (void)loadProgramNumber(n); }

Result<> VornDrums::loadProgramNumber(std::int32_t n) {
    const std::string folder = platform::folderOf(settings.programFile);
    std::vector<std::string> names;
    std::vector<std::string> menuTexts;
    listFolderFiles(names, menuTexts, folder, "fxp");
    if (n < 0 || static_cast<std::size_t>(n) >= names.size())
        return Refusal{"no program " + std::to_string(n) + " in " + folder};
    // The whole change happens while the audio thread is held off: this runs on the
    // user-interface or timer thread.
    LoadGuard hold(handshake);
    for (int t = 0; t < trackCount; ++t)
        fillRelaxed(patterns[static_cast<std::size_t>(t)].randomHit, 0.0f);
    // The host reads the number from its own thread while the program-change timer may set it.
    std::atomic_ref<VstInt32>(curProgram).store(n);
    settings.programFile = folder + names[static_cast<std::size_t>(n)];
    const Result<> loaded = loadProgramFile(settings.programFile);
    if (!loaded)
        logRefusal("program", loaded.reason());
    if (currentPattern >= 0)
        playingPattern = currentPattern;
    soloSelected = 0;
    selectedTrack = -1;
    return loaded;
}

Result<> VornDrums::loadProgramFile(const std::string& path) {
    const std::optional<std::vector<std::uint8_t>> file =
        platform::readWholeFile(platform::resolvePathIgnoringCase(path));
    if (!file)
        return Refusal{"cannot read " + path};  // passed over without a message box
    const ProgramFileBlock found = findProgramFileBlock(*file);
    if (!found.compatible)
        platform::showMessage(incompatibleProgramFileText(path), kIncompatibleProgramFileCaption);
    if (!found.block)
        return found.block.refusal(path);
    if (const Result<> taken = takeProgramBlock(*found.block); !taken)
        return taken.refusal(path);
    return {};
}

void VornDrums::programChangeTimer() {
    if (const std::optional<std::int32_t> program = programChanges.pop())
        loadProgram(*program);
    recheckLatency();
    applyRequestsWhileHostIsStill(*this);
}

}  // namespace rimba
