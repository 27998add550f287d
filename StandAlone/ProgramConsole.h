#pragma once
// Where the program's text goes. A Windows program of the GUI subsystem gets no console of its
// own: started from a console (cmd.exe, PowerShell) without redirection it has no standard
// output or error at all, so it attaches to the console of the process that started it, and
// its --help, --list-devices and reasons for failing appear there. A handle that is already
// usable (redirected to a file or pipe) is kept. Started from the desktop there is no console
// to attach to; the reasons then go to a message box (platform::showSystemMessage).
// On Linux the terminal's descriptors are simply inherited. Main thread, first thing in main.

namespace rimba::standalone {

#ifdef _WIN32
void reachTheStartingConsole();
#else
inline void reachTheStartingConsole() {}
#endif

}  // namespace rimba::standalone
