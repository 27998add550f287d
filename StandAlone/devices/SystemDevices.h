#pragma once
// Which backend opens a device name. One file per system implements these, chosen by the build:
// LinuxDevices.cpp (JACK, ALSA PCM, the ALSA sequencer, JACK MIDI) and win32/WindowsDevices.cpp
// (ASIO drivers, wave-out, WinMM MIDI input). AudioOutput and MidiInputPort keep the rules every
// system shares (sane sizes, the queue, the hand-over, the message for a port that fails).

#include <memory>
#include <string>

#include "StandAlone/devices/AudioOutput.h"
#include "StandAlone/devices/MidiInputPort.h"

namespace rimba::standalone {

// Once per object that lists or opens devices, before it does (JACK is quietened on Linux).
void prepareDeviceSystem();

// The device that plays the name, with its fallbacks (a name that matches nothing opens the
// system's default output); null when nothing opens. Main thread.
std::unique_ptr<AudioOutput::Device> openOutputDevice(AudioOutput& output, const std::string& deviceName, int blockSize,
                                                      int sampleRate);

// The input named so (its full or listed name). `named` tells whether any device has that name:
// a name that matches nothing is silently no input, a named device that fails is said.
std::unique_ptr<MidiInputPort::Device> openInputDevice(MidiInputPort& port, const std::string& deviceName, bool& named);

}  // namespace rimba::standalone
