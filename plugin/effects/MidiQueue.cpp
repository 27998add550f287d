#include "plugin/effects/MidiQueue.h"

namespace rimba {

MidiBlock::MidiBlock() {
    // VstEvents declares two event pointers; the array runs on past its end in the same storage.
    storage.assign(sizeof(VstEvents) + sizeof(VstEvent*) * kCapacity, 0);
    header = reinterpret_cast<VstEvents*>(storage.data());
    for (VstMidiEvent& event : midi) {
        event.type = kVstMidiType;
        event.byteSize = static_cast<VstInt32>(sizeof(VstMidiEvent));
        event.flags = kVstMidiEventIsRealtime;
    }
}

int MidiBlock::fill(MidiQueue& queue) {
    VstEvent** slots = header->events;
    int count = 0;
    QueuedMidi message;
    while (count < static_cast<int>(kCapacity) && queue.pop(message)) {
        VstMidiEvent& event = midi[static_cast<std::size_t>(count)];
        event.deltaFrames = message.deltaFrames;
        event.midiData[0] = static_cast<char>(message.status);
        event.midiData[1] = static_cast<char>(message.data1);
        event.midiData[2] = static_cast<char>(message.data2);
        event.midiData[3] = 0;
        slots[count++] = reinterpret_cast<VstEvent*>(&event);
    }
    header->numEvents = count;
    header->reserved = 0;
    return count;
}

}  // namespace rimba
