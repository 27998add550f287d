#include "StandAlone/HostCallback.h"

#include <array>
#include <cmath>

#include "StandAlone/DeviceWatch.h"
#include "StandAlone/devices/AudioOutput.h"
#include "StandAlone/devices/MidiInputPort.h"
#include "common/vst/StandaloneLink.h"

namespace rimba::standalone {

namespace {

constexpr VstInt32 kClockFlags = kVstPpqPosValid | kVstTempoValid | kVstTimeSigValid | kVstClockValid;
constexpr double kTempo = 120.0;
// The link's device names come back in a zero-filled buffer of this size.
constexpr std::size_t kLinkTextBytes = 128;

int truncatedSetting(AEffect* plugin, VstInt32 index) {
    const float value = plugin->getParameter(plugin, index);
    // A value no device could take (NaN, out of int range) reads as 0: the device then falls back
    // to its own default rather than the cast being undefined.
    if (!std::isfinite(value) || value < 0.0f || value > 16'777'216.0f)
        return 0;
    return static_cast<int>(value);
}

std::string linkedText(AEffect* plugin, VstInt32 index) {
    std::array<char, kLinkTextBytes> text{};
    plugin->dispatcher(plugin, effGetParamDisplay, index, 0, text.data(), 0.0f);
    // A plug-in that fills the whole buffer leaves no terminator: the last byte is not read.
    text.back() = 0;
    return std::string(text.data());
}

// Time requests can come from the audio thread while the main thread answers one too; every
// field is written through atomic_ref so the rewrites of the same values never race.
template <typename Field>
void store(Field& field, Field value) {
    std::atomic_ref<Field>(field).store(value, std::memory_order_relaxed);
}

VstIntPtr answerTime() {
    HostRecord& record = hostRecord();
    AudioOutput* audio = record.audio.load(std::memory_order_acquire);
    VstTimeInfo* time = record.timeRecord.load(std::memory_order_acquire);
    if (audio == nullptr || time == nullptr)
        return 0;
    fillTimeRecord(*time, audio->sampleRate());
    return reinterpret_cast<VstIntPtr>(time);
}

void answerAutomate(VstInt32 index) {
    HostRecord& record = hostRecord();
    AEffect* plugin = record.plugin.load(std::memory_order_acquire);
    const bool reopensADevice = index == kStandaloneSampleRate || index == kStandaloneBufferSize ||
                                index == kStandaloneAudioDevice || index == kStandaloneMidiDevice;
    // Before any client opens (a device opened now, or the lists that come with it).
    if (DeviceWatch* watch = record.watch.load(std::memory_order_acquire); watch != nullptr && reopensADevice)
        watch->closeLostJackClients();
    switch (index) {
        case kStandaloneSampleRate:
        case kStandaloneBufferSize:
        case kStandaloneAudioDevice:
            if (AudioOutput* audio = record.audio.load(std::memory_order_acquire);
                audio != nullptr && plugin != nullptr)
                reopenAudioOutput(plugin, *audio);
            return;
        case kStandaloneMidiDevice:
            if (MidiInputPort* midi = record.midi.load(std::memory_order_acquire); midi != nullptr)
                midi->reopen();
            return;
        default: return;
    }
}

}  // namespace

HostRecord& hostRecord() {
    static HostRecord record;
    return record;
}

VstIntPtr HostCallback(AEffect*, VstInt32 opcode, VstInt32 index, VstIntPtr, void*, float) {
    switch (opcode) {
        case audioMasterAutomate: answerAutomate(index); return 0;
        case audioMasterVersion:
        case audioMasterCurrentId: return kStandaloneHostSignature;
        case audioMasterGetTime: return answerTime();
        default: return 0;
    }
}

LinkedAudioSettings readLinkedAudioSettings(AEffect* plugin) {
    LinkedAudioSettings settings;
    settings.sampleRate = truncatedSetting(plugin, kStandaloneSampleRate);
    settings.blockSize = truncatedSetting(plugin, kStandaloneBufferSize);
    settings.deviceName = linkedText(plugin, kStandaloneAudioDevice);
    return settings;
}

void reopenAudioOutput(AEffect* plugin, AudioOutput& audio) {
    const LinkedAudioSettings settings = readLinkedAudioSettings(plugin);
    audio.open(settings.deviceName, settings.blockSize, settings.sampleRate);
}

void fillTimeRecord(VstTimeInfo& record, int sampleRate) {
    const double samplePos = 0.0;  // the program keeps no running position
    const double rate = static_cast<double>(sampleRate);
    store(record.samplePos, samplePos);
    store(record.sampleRate, rate);
    store(record.tempo, kTempo);
    // 0 whatever the rate; a rate of 0 (no device) must not turn it into NaN.
    store(record.ppqPos, rate > 0.0 ? samplePos / rate * kTempo / 60.0 : 0.0);
    store(record.timeSigNumerator, VstInt32{4});
    store(record.timeSigDenominator, VstInt32{4});
    std::atomic_ref<VstInt32>(record.flags).fetch_or(kClockFlags, std::memory_order_relaxed);
}

}  // namespace rimba::standalone
