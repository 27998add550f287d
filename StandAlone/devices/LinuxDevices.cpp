// The Linux devices: JACK when the name is "JACK", else an ALSA PCM; the ALSA sequencer's ports
// first, then JACK's MIDI outputs.

#include <algorithm>
#include <vector>

#include "StandAlone/devices/AudioDevice.h"
#include "StandAlone/devices/MidiDevice.h"
#include "StandAlone/devices/SystemDevices.h"
#include "common/platform/DeviceNames.h"

namespace rimba::standalone {

namespace {

bool namesDevice(const std::string& full, const std::string& wanted) {
    return full == wanted || platform::listedDeviceName(full) == wanted;
}

const std::string* findNamed(const std::vector<std::string>& names, const std::string& wanted) {
    const auto found =
        std::find_if(names.begin(), names.end(), [&](const std::string& full) { return namesDevice(full, wanted); });
    return found == names.end() ? nullptr : &*found;
}

}  // namespace

void prepareDeviceSystem() { quietenJack(); }

std::unique_ptr<AudioOutput::Device> openOutputDevice(AudioOutput& output, const std::string& deviceName, int blockSize,
                                                      int sampleRate) {
    std::unique_ptr<AudioOutput::Device> device;
    if (deviceName == platform::kJackDeviceName)
        device = openJackOutput(output);
    // As with a driver that refuses to start, a JACK that does not answer leaves the ALSA path,
    // which normally opens "default".
    for (int attempt = 0; attempt < 2 && !device; ++attempt)
        device = openAlsaOutput(output, deviceName, blockSize, sampleRate);
    return device;
}

std::unique_ptr<MidiInputPort::Device> openInputDevice(MidiInputPort& port, const std::string& deviceName,
                                                       bool& named) {
    const std::vector<std::string> sequencerPorts = platform::systemMidiInputDeviceNames();
    if (const std::string* sequencerPort = findNamed(sequencerPorts, deviceName)) {
        named = true;
        return openAlsaSequencerInput(port, *sequencerPort);
    }
    const std::vector<std::string> allPorts = platform::midiInputDeviceNames();
    const std::string* jackPort = findNamed(allPorts, deviceName);
    named = jackPort != nullptr;
    return named ? openJackMidiInput(port, *jackPort) : nullptr;
}

}  // namespace rimba::standalone
