// The Windows choice of device: ASIO first when the name is a driver's, wave-out otherwise and
// as the fallback of a driver that does not start.

#include "StandAlone/devices/win32/WindowsDevices.h"

#include <algorithm>

#include "StandAlone/devices/AudioDevice.h"
#include "StandAlone/devices/MidiDevice.h"
#include "StandAlone/devices/SystemDevices.h"

namespace rimba::standalone {

void prepareDeviceSystem() {}

// No JACK on Windows: nothing ever waits for its server.
bool jackServerAnswers() { return false; }

std::unique_ptr<AudioOutput::Device> openOutputDevice(AudioOutput& output, const std::string& deviceName, int blockSize,
                                                      int sampleRate) {
    std::unique_ptr<AudioOutput::Device> device;
    const std::vector<std::string> drivers = asioDriverNames();
    if (std::find(drivers.begin(), drivers.end(), deviceName) != drivers.end())
        device = openAsioOutput(output, deviceName);
    // A wave-out device that fails once is given one more try; a second failure leaves the
    // output silent.
    for (int attempt = 0; attempt < 2 && !device; ++attempt)
        device = openWaveOutOutput(output, deviceName, blockSize, sampleRate);
    return device;
}

std::unique_ptr<MidiInputPort::Device> openInputDevice(MidiInputPort& port, const std::string& deviceName,
                                                       bool& named) {
    return openWinMmMidiInput(port, deviceName, named);
}

}  // namespace rimba::standalone
