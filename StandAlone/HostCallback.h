#pragma once
// The standalone program's side of the VST 2.4 dialogue: the host callback the plug-in calls,
// the time record it answers with, and the reopen of the audio output from the settings the
// plug-in holds (the private parameter link: the program never reads those settings itself).
//
// The callback has no room for a host pointer, so the program's devices and descriptor live in
// one process-wide record, filled in start-up order. HostCallback: the main thread, except
// audioMasterGetTime, which the audio thread may ask too.

#include <atomic>
#include <string>

#include "common/vst/VstAbi.h"

namespace rimba::standalone {

class AudioOutput;
class DeviceWatch;
class MidiInputPort;

struct HostRecord {
    std::atomic<AEffect*> plugin{nullptr};
    // Allocated and zeroed once, after the entry point returned; the plug-in keeps its address.
    std::atomic<VstTimeInfo*> timeRecord{nullptr};
    std::atomic<MidiInputPort*> midi{nullptr};
    // Set once the output exists: until then a time request is answered with nothing.
    std::atomic<AudioOutput*> audio{nullptr};
    // Set once both devices exist: a reopen first closes the clients of a lost JACK server.
    std::atomic<DeviceWatch*> watch{nullptr};
};

HostRecord& hostRecord();

extern "C" VstIntPtr HostCallback(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                                  float opt);

// The audio settings as the plug-in holds them, read through the private link.
struct LinkedAudioSettings {
    int sampleRate = 0;
    int blockSize = 0;
    std::string deviceName;
};
LinkedAudioSettings readLinkedAudioSettings(AEffect* plugin);

// Opens the audio output again with what the plug-in holds now (opening closes what was open).
void reopenAudioOutput(AEffect* plugin, AudioOutput& audio);

// The answer to audioMasterGetTime: a still clock at 120 beats a minute in 4/4 at `sampleRate`.
// Rewritten whole at each request (same values from any thread), the valid-bits added to what the
// flags hold.
void fillTimeRecord(VstTimeInfo& record, int sampleRate);

}  // namespace rimba::standalone
