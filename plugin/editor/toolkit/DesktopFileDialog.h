#pragma once
// The desktop's own file dialog through zenity, offered instead of the built-in selector when
// RIMBA_FILE_DIALOG=zenity is set and zenity is found in PATH. It runs as a child process and the
// editor waits for its answer (the dialog is modal either way). Editor thread only.

#include <optional>
#include <string>

#include "plugin/editor/toolkit/FileSelectorModel.h"

namespace rimba::toolkit {

bool desktopDialogWanted();

struct DesktopAnswer {
    std::optional<std::string> path;  // nullopt: the user cancelled
};

// nullopt when the desktop dialog could not be run at all (the caller then shows its own).
std::optional<DesktopAnswer> askDesktopForFile(FileSelectorMode mode, const std::string& title,
                                               const FileFilter& filter, const std::string& start);

// `path` with the extension appended to its last element when missing.
std::string nameWithExtensionInPath(const std::string& path, const std::string& extension);

}  // namespace rimba::toolkit
