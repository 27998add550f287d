#pragma once
// The program's messages to the musician ("Unable to open the MIDI port !", a JACK server lost
// and found again). The program and the plug-in library are modules of their own, each with its
// own copy of the platform's message function, and only the plug-in's copy knows the editor's
// message box. So the program's copy gets a presenter that writes each message on standard error
// and hands it to the plug-in (effVendorSpecific with kStandaloneShowMessage), whose editor shows
// it. A message said before the editor is open and idling (the MIDI input opens first at
// start-up) waits for it. Main thread only.

#include "common/vst/VstAbi.h"

namespace rimba::standalone {

// From here on the program's messages go to standard error at once and to the plug-in's editor.
void routeMessagesToEditor(AEffect* plugin);
// The editor is open: what waited is shown now, later messages at once. Every idle tick.
void deliverWaitingMessages();
// Before the plug-in is closed: standard error only, and nothing waits any more.
void stopRoutingMessages();

}  // namespace rimba::standalone
