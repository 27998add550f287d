#pragma once
// SIGTERM, SIGINT (Ctrl+C in the terminal that started the program) and SIGHUP (that terminal
// closed) ask for the close a window close makes, so that the plug-in still writes its settings
// and the state it saves at close. The handler only writes a byte into a pipe that the main loop
// watches beside the X connection; a second signal while the close runs ends the program at
// once, as the signal's default action does.

namespace rimba::standalone {

// Installs the handlers (main thread, once, before anything may take long). The descriptor it
// gives turns readable at the first signal; -1 when no pipe could be made, and the signals then
// keep their default action.
int watchTerminationSignals();

}  // namespace rimba::standalone
