#pragma once
// The window's EditorDialogs: the toolkit's file selector, folder browser, message box and pop-up
// menu over the editor's open frame, and the desktop's viewer for documents and web pages. While
// the frame is closed the dialogs answer as cancelled and messages go to the system's fallback.
// Editor thread only.

#include "plugin/editor/EditorDialogs.h"
#include "plugin/editor/toolkit/Frame.h"

namespace rimba {

class ToolkitDialogs final : public EditorDialogs {
public:
    explicit ToolkitDialogs(toolkit::CFrame& frame) : frame(frame) {}

    std::optional<std::string> openFile(const std::string& title, const toolkit::FileFilter& filter,
                                        const std::string& start) override;
    std::optional<std::string> saveFile(const std::string& title, const toolkit::FileFilter& filter,
                                        const std::string& start) override;
    std::optional<std::string> chooseFolder(const std::string& title, const std::string& start) override;
    void message(const std::string& text, const std::string& caption) override;
    std::optional<toolkit::MenuChoice> popupMenu(const toolkit::MenuModel& menu, toolkit::CPoint where) override;
    void openDocument(const std::string& addressOrPath) override;

private:
    toolkit::CFrame& frame;
};

}  // namespace rimba
