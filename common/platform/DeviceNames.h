#pragma once
// The audio output and MIDI input devices of this machine, by the names the settings menus offer
// and the standalone program matches. Linux: ALSA PCM playback devices, then "JACK" when a JACK
// server answers; ALSA sequencer ports that can be read ("client:port"), then JACK MIDI output
// ports. Windows: wave-out and MIDI-in product names in device order, the audio list followed by
// the listed names of at most eight installed ASIO drivers (AsioDrivers.h).
// JACK is looked up at run time, so a plug-in that lists devices loads without libjack.
// Main thread only.

#include <string>
#include <vector>

namespace rimba::platform {

// The audio device name under which the JACK server is offered.
inline constexpr const char* kJackDeviceName = "JACK";

// Full names, as the system spells them: the system's own devices, then JACK's (Linux) or the
// ASIO drivers' listed names (Windows).
std::vector<std::string> audioOutputDeviceNames();
std::vector<std::string> midiInputDeviceNames();
// The system's own devices only (ALSA, or wave-out and MIDI-in), without asking JACK.
std::vector<std::string> systemAudioOutputDeviceNames();
std::vector<std::string> systemMidiInputDeviceNames();

// What a menu shows of a device name: a name of 32 characters or more becomes its first 28
// characters and "...", so every listed name fits the 32-byte field of the settings menu.
std::string listedDeviceName(const std::string& name);

}  // namespace rimba::platform
