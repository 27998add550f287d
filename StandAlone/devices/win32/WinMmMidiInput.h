#pragma once
// The WinMM MIDI input's driver side, where its tests reach it: the callback the driver calls
// with every message, and the calls it makes to the driver (replaceable, as a machine without
// MIDI devices cannot show a device that fails to open).

#include "common/platform/win32/Windows.h"

#include <mmsystem.h>

namespace rimba::standalone {

// The driver's thread: a short message (MIM_DATA) goes to the MidiInputPort given as the
// instance, its status byte first; every other message is ignored.
void CALLBACK onMidiInMessage(HMIDIIN device, UINT message, DWORD_PTR instance, DWORD_PTR parameter1,
                              DWORD_PTR parameter2);

struct MidiInCalls {
    UINT(WINAPI* deviceCount)();
    MMRESULT(WINAPI* capabilities)(UINT_PTR device, MIDIINCAPSA* caps, UINT size);
    MMRESULT(WINAPI* open)(HMIDIIN* handle, UINT device, DWORD_PTR callback, DWORD_PTR instance, DWORD flags);
    MMRESULT(WINAPI* start)(HMIDIIN handle);
    MMRESULT(WINAPI* stop)(HMIDIIN handle);
    MMRESULT(WINAPI* reset)(HMIDIIN handle);
    MMRESULT(WINAPI* close)(HMIDIIN handle);
};

// WinMM's own functions.
const MidiInCalls& systemMidiInCalls();
// What the MIDI input calls from now on; main thread, with no input open.
void useMidiInCalls(const MidiInCalls& calls);

}  // namespace rimba::standalone
