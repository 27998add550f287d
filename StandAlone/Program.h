#pragma once
// The program's life: start-up in the instrument's order (window, library, descriptor, time
// record, MIDI input, audio output, editor, window placed and shown), the editor's idle timer
// until the window closes, then shut-down (audio closed, the plug-in closed, the library
// released). A termination signal and a lost X server end the loop as a window close does, so
// the same shut-down runs. Main thread only.

namespace rimba::standalone {

// The exit status: 0 after a close (the window's, a signal's, a lost server's), 1 when start-up
// failed (the reason is on standard error, or on Windows in a message box when the program has
// no standard error).
int runProgram();

}  // namespace rimba::standalone
