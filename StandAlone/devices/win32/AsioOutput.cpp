// Not built yet: no ASIO driver plays.
#include "StandAlone/devices/win32/WindowsDevices.h"

#include "StandAlone/devices/AudioDevice.h"

namespace rimba::standalone {

std::vector<std::string> asioDriverNames() { return {}; }

std::unique_ptr<AudioOutput::Device> openAsioOutput(AudioOutput&, const std::string&) { return nullptr; }

}  // namespace rimba::standalone
