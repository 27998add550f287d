#pragma once
// The system's own way of showing a message when no editor presents it; the halves of the
// platform layer differ only here. Main thread (user-interface thread) only.

#include <string>

namespace rimba::platform {

void showSystemMessage(const std::string& text, const std::string& caption);

// "caption: text" as one line on standard error.
void writeMessageToStandardError(const std::string& text, const std::string& caption);

}  // namespace rimba::platform
