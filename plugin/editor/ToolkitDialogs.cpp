#include "plugin/editor/ToolkitDialogs.h"

#include "common/platform/MessageBox.h"
#include "common/platform/OpenDocument.h"
#include "plugin/editor/toolkit/DialogHost.h"
#include "plugin/editor/toolkit/FileSelector.h"
#include "plugin/editor/toolkit/MessageBox.h"
#include "plugin/editor/toolkit/PopupMenu.h"

namespace rimba {

std::optional<std::string> ToolkitDialogs::openFile(const std::string& title, const toolkit::FileFilter& filter,
                                                    const std::string& start) {
    if (!frame.isOpen())
        return std::nullopt;
    return toolkit::selectFile(toolkit::dialogHostOf(frame), toolkit::FileSelectorMode::open, title, filter, start);
}

std::optional<std::string> ToolkitDialogs::saveFile(const std::string& title, const toolkit::FileFilter& filter,
                                                    const std::string& start) {
    if (!frame.isOpen())
        return std::nullopt;
    return toolkit::selectFile(toolkit::dialogHostOf(frame), toolkit::FileSelectorMode::save, title, filter, start);
}

std::optional<std::string> ToolkitDialogs::chooseFolder(const std::string& title, const std::string& start) {
    if (!frame.isOpen())
        return std::nullopt;
    return toolkit::selectFolder(toolkit::dialogHostOf(frame), title, start);
}

void ToolkitDialogs::message(const std::string& text, const std::string& caption) {
    if (!frame.isOpen()) {
        platform::showMessage(text, caption);
        return;
    }
    toolkit::runMessageBox(toolkit::dialogHostOf(frame), text, caption);
}

std::optional<toolkit::MenuChoice> ToolkitDialogs::popupMenu(const toolkit::MenuModel& menu, toolkit::CPoint where) {
    if (!frame.isOpen())
        return std::nullopt;
    return toolkit::runPopupMenu(toolkit::dialogHostOf(frame), menu, frame.localToScreen(where));
}

void ToolkitDialogs::openDocument(const std::string& addressOrPath) { platform::openDocument(addressOrPath); }

}  // namespace rimba
