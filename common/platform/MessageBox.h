#pragma once
// The system's few messages to the user. Without an open editor the text goes to standard
// error; an editor installs a presenter that draws a modal message instead.
// Main thread (user-interface thread) only.

#include <functional>
#include <string>

namespace rimba::platform {

using MessagePresenter = std::function<void(const std::string& text, const std::string& caption)>;

void showMessage(const std::string& text, const std::string& caption);

// Through the installed presenter only: false, and nothing shown, when none is installed. For a
// message from another module (the standalone program's), which says it elsewhere itself.
bool presentMessage(const std::string& text, const std::string& caption);

// Installs a presenter; an empty function restores the standard-error fallback.
void setMessagePresenter(MessagePresenter presenter);

}  // namespace rimba::platform
