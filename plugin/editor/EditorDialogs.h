#pragma once
// What the editor's commands ask of the user and of the desktop: file and folder dialogs, the
// message box, a pop-up menu, and opening a web page or a document with the desktop's viewer.
// The window's own implementation shows the toolkit's dialogs over the editor's frame; tests
// hand in a scripted one, so that every menu action is testable without a display.
// Editor thread only.

#include <optional>
#include <string>

#include "plugin/editor/toolkit/FileSelectorModel.h"
#include "plugin/editor/toolkit/Geometry.h"
#include "plugin/editor/toolkit/MenuModel.h"

namespace rimba {

// The caption of the editor's messages.
inline constexpr const char* kMessageCaption = "VORN Studio";

class EditorDialogs {
public:
    virtual ~EditorDialogs() = default;
    // The chosen file's full path, or nothing when cancelled.
    virtual std::optional<std::string> openFile(const std::string& title, const toolkit::FileFilter& filter,
                                                const std::string& start) = 0;
    // The chosen path, or nothing when cancelled; a name typed without the filter's extension
    // gets it.
    virtual std::optional<std::string> saveFile(const std::string& title, const toolkit::FileFilter& filter,
                                                const std::string& start) = 0;
    // The chosen folder (no separator at its end), or nothing when cancelled.
    virtual std::optional<std::string> chooseFolder(const std::string& title, const std::string& start) = 0;
    // A modal message with an OK button.
    virtual void message(const std::string& text, const std::string& caption) = 0;
    // The menu popped up at `where` (editor coordinates); the chosen entry's index chain, or
    // nothing when dismissed.
    virtual std::optional<toolkit::MenuChoice> popupMenu(const toolkit::MenuModel& menu, toolkit::CPoint where) = 0;
    // A web address or a file, handed to the desktop (xdg-open); a failure is silent.
    virtual void openDocument(const std::string& addressOrPath) = 0;
};

// What every failed write of the editor says: the path on a line of its own, and below it why,
// where more is known than that the write failed.
inline void reportUnwrittenFile(EditorDialogs& dialogs, const std::string& path, const std::string& why = {}) {
    dialogs.message("The file could not be written:\n" + path + (why.empty() ? "" : "\n\n" + why), kMessageCaption);
}

}  // namespace rimba
