#pragma once
// The strings the Windows file dialogs take and give, apart from the dialogs so that they are
// testable without a window: the filter list, the start folder and name, and the name a save
// gives for what was typed (as the X11 selector does: the filter's extension appended to a name
// that does not end with it).

#include <string>

#include "plugin/editor/toolkit/FileSelectorModel.h"

namespace rimba::toolkit::win32 {

// lpstrFilter: "description (*.ext)", NUL, "*.ext", NUL, then the list's closing NUL (the
// string's own terminator makes the second). An empty extension lets every file through.
std::wstring fileDialogFilter(const FileFilter& filter);

struct DialogStart {
    std::string folder;  // empty: the system's choice
    std::string name;  // the name field's first text
};
// `start` is a folder (`isFolder`), or a file whose folder is shown and whose name fills the
// name field.
DialogStart dialogStartOf(const std::string& start, bool isFolder);

// `path` with the extension appended to its last element (after '\' or '/') when missing.
std::string savedPathWithExtension(const std::string& path, const std::string& extension);

// A chosen folder without the separator at its end, unless it is a drive's root ("C:\").
std::string folderWithoutTrailingSeparator(std::string folder);

}  // namespace rimba::toolkit::win32
