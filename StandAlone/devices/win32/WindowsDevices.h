#pragma once
// The Windows devices behind AudioOutput and MidiInputPort: an ASIO driver when the name is the
// listed name of an installed one, else a wave-out device (the wave mapper when no device has
// the name); a WinMM MIDI input device by its exact product name.

#include <memory>
#include <string>
#include <vector>

#include "StandAlone/devices/AudioOutput.h"
#include "StandAlone/devices/MidiInputPort.h"

namespace rimba::standalone {

// The listed names of the first eight installed ASIO drivers, from the process's catalog (built
// on first use). Main thread.
std::vector<std::string> asioDriverNames();

// The driver of that listed name, loaded, initialised, its buffers made and started; null when
// any step fails (the driver is then released). Main thread.
std::unique_ptr<AudioOutput::Device> openAsioOutput(AudioOutput& output, const std::string& listedName);

// The first wave-out device whose product name is `deviceName`, else the wave mapper: five
// buffers of one block, 16-bit stereo, fed by a thread of its own. Null when it does not open.
std::unique_ptr<AudioOutput::Device> openWaveOutOutput(AudioOutput& output, const std::string& deviceName,
                                                       int blockSize, int sampleRate);

// The first MIDI input device whose product name is exactly `deviceName`; `named` tells whether
// one has it. Null when none has it or it does not open and start.
std::unique_ptr<MidiInputPort::Device> openWinMmMidiInput(MidiInputPort& port, const std::string& deviceName,
                                                          bool& named);

}  // namespace rimba::standalone
