#pragma once
// Hands a web address or a file to the desktop, which opens it with the user's browser or viewer:
// xdg-open on Linux, the shell's "open" verb on Windows (maximised). The call returns at once
// and never waits for the viewer; a failure (no xdg-open, no handler for the file) is silent, as
// there is nobody to tell but the user, who sees that nothing opened.
// Main (user-interface) thread.

#include <string>

namespace rimba::platform {

void openDocument(const std::string& addressOrPath);

}  // namespace rimba::platform
