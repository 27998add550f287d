// Not built yet: no wave-out device plays.
#include "StandAlone/devices/win32/WindowsDevices.h"

#include "StandAlone/devices/AudioDevice.h"

namespace rimba::standalone {

std::unique_ptr<AudioOutput::Device> openWaveOutOutput(AudioOutput&, const std::string&, int, int) { return nullptr; }

}  // namespace rimba::standalone
