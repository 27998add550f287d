#include "common/platform/DeviceNames.h"

#include "common/platform/AsioDrivers.h"

#include "common/platform/win32/Windows.h"

#include <mmsystem.h>

namespace rimba::platform {

// Product names in device order, as the wave-out and MIDI-in drivers report them.
std::vector<std::string> systemAudioOutputDeviceNames() {
    std::vector<std::string> names;
    const UINT count = waveOutGetNumDevs();
    for (UINT device = 0; device < count; ++device) {
        WAVEOUTCAPSA caps{};
        if (waveOutGetDevCapsA(device, &caps, sizeof caps) == MMSYSERR_NOERROR)
            names.emplace_back(caps.szPname);
    }
    return names;
}

std::vector<std::string> systemMidiInputDeviceNames() {
    std::vector<std::string> names;
    const UINT count = midiInGetNumDevs();
    for (UINT device = 0; device < count; ++device) {
        MIDIINCAPSA caps{};
        if (midiInGetDevCapsA(device, &caps, sizeof caps) == MMSYSERR_NOERROR)
            names.emplace_back(caps.szPname);
    }
    return names;
}

// No JACK on Windows. The installed ASIO drivers follow the wave-out devices, under their listed
// names, which are what the standalone program matches a setting against.
std::vector<std::string> audioOutputDeviceNames() {
    std::vector<std::string> names = systemAudioOutputDeviceNames();
    for (std::string& driver : listedAsioDriverNames())
        names.push_back(std::move(driver));
    return names;
}

// MIDI has no second kind of device here.
std::vector<std::string> midiInputDeviceNames() { return systemMidiInputDeviceNames(); }

}  // namespace rimba::platform
