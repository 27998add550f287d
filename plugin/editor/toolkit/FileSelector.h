#pragma once
// The toolkit's modal file selector (open and save) and folder browser: a top-level window over
// the editor with the title, the current folder, a list of its folders and of the files the
// filter lets through, the filter's name, a name field, and OK and Cancel. A double-click enters
// a folder (".." goes up) or takes a file; Return is OK, Escape is Cancel.
//
// On Windows these are the system's common file dialogs and folder browser (win32/Win32Dialogs.cpp).
//
// Where zenity is installed and RIMBA_FILE_DIALOG=zenity is set, the desktop's dialog is asked
// instead; the built-in one is the default (and the one the tests drive). Editor thread only.

#include <optional>
#include <string>

#include "plugin/editor/toolkit/DialogHost.h"
#include "plugin/editor/toolkit/FileSelectorModel.h"

namespace rimba::toolkit {

// The chosen file's full path, or nullopt when cancelled. In save mode the filter's extension
// is appended to a name typed without it.
std::optional<std::string> selectFile(const DialogHost& host, FileSelectorMode mode, const std::string& title,
                                      const FileFilter& filter, const std::string& start);
// The chosen folder's full path (no separator at its end), or nullopt when cancelled.
std::optional<std::string> selectFolder(const DialogHost& host, const std::string& title, const std::string& start);

}  // namespace rimba::toolkit
