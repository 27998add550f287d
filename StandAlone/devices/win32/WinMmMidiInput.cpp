// MIDI in through a WinMM MIDI input device: the driver's callback queues each short message
// in the port's lock-free queue.

#include "StandAlone/devices/win32/WinMmMidiInput.h"
#include "StandAlone/devices/win32/WindowsDevices.h"

#include <cstdint>

#include "StandAlone/devices/MidiDevice.h"
#include "common/platform/DeviceNames.h"

namespace rimba::standalone {

namespace {

MMRESULT WINAPI openDevice(HMIDIIN* handle, UINT device, DWORD_PTR callback, DWORD_PTR instance, DWORD flags) {
    return midiInOpen(handle, device, callback, instance, flags);
}

constexpr MidiInCalls kSystemCalls = {&midiInGetNumDevs, &midiInGetDevCapsA, &openDevice, &midiInStart,
                                      &midiInStop,       &midiInReset,       &midiInClose};

MidiInCalls callsInUse = kSystemCalls;

class WinMmMidiInput final : public MidiInputPort::Device {
public:
    explicit WinMmMidiInput(HMIDIIN handle) : handle(handle) {}
    ~WinMmMidiInput() override {
        callsInUse.stop(handle);
        callsInUse.reset(handle);
        callsInUse.close(handle);
    }
    WinMmMidiInput(const WinMmMidiInput&) = delete;
    WinMmMidiInput& operator=(const WinMmMidiInput&) = delete;

private:
    HMIDIIN handle;
};

// The first device in device order called so, by its product name or its listed form.
bool findDevice(const std::string& deviceName, UINT& found) {
    const UINT count = callsInUse.deviceCount();
    for (UINT device = 0; device < count; ++device) {
        MIDIINCAPSA caps{};
        if (callsInUse.capabilities(device, &caps, sizeof caps) != MMSYSERR_NOERROR)
            continue;
        caps.szPname[sizeof caps.szPname - 1] = '\0';
        const std::string productName = caps.szPname;
        if (productName == deviceName || platform::listedDeviceName(productName) == deviceName) {
            found = device;
            return true;
        }
    }
    return false;
}

}  // namespace

void CALLBACK onMidiInMessage(HMIDIIN, UINT message, DWORD_PTR instance, DWORD_PTR parameter1, DWORD_PTR) {
    auto* port = reinterpret_cast<MidiInputPort*>(instance);
    if (message != MIM_DATA || port == nullptr)
        return;
    // The message word holds the status byte in its lowest byte, then the two data bytes.
    const auto word = static_cast<std::uint32_t>(parameter1);
    port->receive(static_cast<std::uint8_t>(word), static_cast<std::uint8_t>(word >> 8),
                  static_cast<std::uint8_t>(word >> 16));
}

const MidiInCalls& systemMidiInCalls() { return kSystemCalls; }

void useMidiInCalls(const MidiInCalls& calls) { callsInUse = calls; }

std::unique_ptr<MidiInputPort::Device> openWinMmMidiInput(MidiInputPort& port, const std::string& deviceName,
                                                          bool& named) {
    UINT device = 0;
    named = findDevice(deviceName, device);
    if (!named)
        return nullptr;
    HMIDIIN handle = nullptr;
    if (callsInUse.open(&handle, device, reinterpret_cast<DWORD_PTR>(&onMidiInMessage),
                        reinterpret_cast<DWORD_PTR>(&port), CALLBACK_FUNCTION) != MMSYSERR_NOERROR)
        return nullptr;
    if (callsInUse.start(handle) != MMSYSERR_NOERROR) {
        callsInUse.close(handle);
        return nullptr;
    }
    return std::make_unique<WinMmMidiInput>(handle);
}

}  // namespace rimba::standalone
