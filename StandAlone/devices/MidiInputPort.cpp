#include "StandAlone/devices/MidiInputPort.h"

#include <algorithm>
#include <array>

#include "StandAlone/devices/MidiDevice.h"
#include "StandAlone/devices/SystemDevices.h"
#include "common/concurrency/SpscRing.h"
#include "common/platform/DeviceNames.h"
#include "common/platform/MessageBox.h"
#include "common/vst/StandaloneLink.h"

namespace rimba::standalone {

namespace {

struct Packet {
    std::uint8_t bytes[3];
};

// One effProcessEvents request: the list and its single event side by side.
struct EventBlock {
    VstEvents list;
    VstMidiEvent event;
};

}  // namespace

// Fixed storage made before any thread uses it. Each packet handed over in a block gets an event
// block of its own, so a plug-in that keeps the event pointers until its next process call
// still reads every event, not the last one many times.
struct MidiInputPort::Queue {
    SpscRing<Packet, kQueueCapacity + 1> packets;
    std::array<EventBlock, kQueueCapacity> blocks{};
};

MidiInputPort::MidiInputPort(AEffect* plugin) : plugin(plugin), queue(std::make_unique<Queue>()) {
    prepareDeviceSystem();
    reopen();
}

MidiInputPort::~MidiInputPort() { close(); }

MidiInputPort::OpenResult MidiInputPort::reopen() {
    close();
    if (plugin == nullptr)
        return OpenResult::noSuchDevice;
    char name[128] = {};
    plugin->dispatcher(plugin, effGetParamDisplay, kStandaloneMidiDevice, 0, name, 0.0f);
    name[sizeof name - 1] = '\0';  // a plug-in that fills all 128 bytes still gives a string
    return open(name);
}

MidiInputPort::OpenResult MidiInputPort::open(const std::string& deviceName) {
    close();
    if (deviceName.empty())
        return OpenResult::noSuchDevice;
    bool named = false;
    device = openInputDevice(*this, deviceName, named);
    if (!named)
        return OpenResult::noSuchDevice;  // silently no MIDI input
    if (!device) {
        platform::showMessage("Unable to open the MIDI port !", "Zelkor");
        return OpenResult::failed;
    }
    started.store(true, std::memory_order_release);
    return OpenResult::opened;
}

void MidiInputPort::close() {
    started.store(false, std::memory_order_release);
    device.reset();
}

bool MidiInputPort::isStarted() const { return started.load(std::memory_order_acquire); }

bool MidiInputPort::takesJackMidi() const { return device != nullptr && device->isJack(); }

bool MidiInputPort::lostJackServer() const { return device != nullptr && device->lostServer(); }

void MidiInputPort::attend() {
    if (device != nullptr)
        device->attend();
}

void MidiInputPort::receive(std::uint8_t status, std::uint8_t data1, std::uint8_t data2) {
    constexpr std::uint8_t kActiveSensing = 0xFE;
    if (status == kActiveSensing)
        return;
    queue->packets.push(Packet{{status, data1, data2}});  // a full queue drops the message
}

void MidiInputPort::handOver() {
    // At most one queue's worth per block: messages that arrive meanwhile wait for the next one,
    // and every event block sent in this block stays untouched until then.
    std::size_t used = 0;
    for (std::size_t taken = 0; taken < kQueueCapacity; ++taken) {
        const std::optional<Packet> packet = queue->packets.pop();
        if (!packet)
            break;
        if (plugin == nullptr)
            continue;
        EventBlock& block = queue->blocks[used++];
        block.event = VstMidiEvent{};
        block.event.type = kVstMidiType;
        block.event.byteSize = sizeof(VstMidiEvent);
        block.event.deltaFrames = 0;
        block.event.flags = kVstMidiEventIsRealtime;
        for (int index = 0; index < 3; ++index)
            block.event.midiData[index] = static_cast<char>(packet->bytes[index]);
        block.list.numEvents = 1;
        block.list.reserved = 0;
        block.list.events[0] = reinterpret_cast<VstEvent*>(&block.event);
        block.list.events[1] = nullptr;
        plugin->dispatcher(plugin, effProcessEvents, 0, 0, &block.list, 0.0f);
    }
}

bool isShortMessage(const std::uint8_t* bytes, std::size_t size) {
    constexpr std::uint8_t kFirstStatus = 0x80;
    constexpr std::uint8_t kSystemExclusive = 0xF0;
    constexpr std::uint8_t kEndOfExclusive = 0xF7;
    if (size < 1 || size > 3)
        return false;
    return bytes[0] >= kFirstStatus && bytes[0] != kSystemExclusive && bytes[0] != kEndOfExclusive;
}

std::vector<std::string> listMidiInputDevices() {
    std::vector<std::string> names = platform::midiInputDeviceNames();
    std::transform(names.begin(), names.end(), names.begin(), platform::listedDeviceName);
    return names;
}

}  // namespace rimba::standalone
