// Not built yet: no MIDI input opens.
#include "StandAlone/devices/win32/WindowsDevices.h"

#include "StandAlone/devices/MidiDevice.h"

namespace rimba::standalone {

std::unique_ptr<MidiInputPort::Device> openWinMmMidiInput(MidiInputPort&, const std::string&, bool& named) {
    named = false;
    return nullptr;
}

}  // namespace rimba::standalone
