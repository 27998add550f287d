#pragma once
// The termination requests of the system ask for the close a window close makes, so that the
// plug-in still writes its settings and the state it saves at close.
//
// POSIX: SIGTERM, SIGINT (Ctrl+C in the terminal that started the program) and SIGHUP (that
// terminal closed). The handler only writes a byte into a pipe that the main loop watches beside
// the X connection; a second signal while the close runs ends the program at once, as the
// signal's default action does.
//
// Windows: Ctrl+C, Ctrl+Break and the close of the console the program was started from (and
// the session's end) post WM_CLOSE to the main window; a second Ctrl+C while the close runs
// takes the system's default action, which ends the program at once.

namespace rimba::standalone {

// Installs the handlers (main thread, once, before anything may take long). POSIX: the
// descriptor it gives turns readable at the first signal; -1 when no pipe could be made, and the
// signals then keep their default action. Windows: always -1, the request arrives as WM_CLOSE.
int watchTerminationSignals();

#ifdef _WIN32
// The window a termination request closes (nullptr: none any more). A request made before any
// window was named closes the first one named.
void directTerminationTo(void* window);
#endif

}  // namespace rimba::standalone
