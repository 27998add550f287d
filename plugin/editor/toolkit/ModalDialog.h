#pragma once
// What the message box and the file selector share: a top-level window centred over the editor
// that takes the keyboard while it is open and gives it back after, a nested loop that keeps the
// user's input away from the editor beneath, and the look of the caption and the buttons.
// Editor thread only.

#include <functional>
#include <memory>
#include <string>

#include "plugin/editor/toolkit/DialogHost.h"
#include "plugin/editor/toolkit/DialogWindow.h"
#include "plugin/editor/toolkit/DrawContext.h"

namespace rimba::toolkit {

constexpr int kDialogCaptionHeight = 26;

class ModalDialog {
public:
    ModalDialog(const DialogHost& host, int width, int height, const std::string& title);
    ~ModalDialog();
    ModalDialog(const ModalDialog&) = delete;
    ModalDialog& operator=(const ModalDialog&) = delete;

    DialogWindow& window() { return *shown; }

    // Runs the nested loop until `finished`. `handle` gets the dialog's own events; input meant
    // for any other window of the editor is swallowed, everything else (the editor's exposes)
    // goes on to the host.
    void run(const std::function<void(const XEvent&)>& handle, const std::function<bool()>& finished);

private:
    DialogHost host;
    std::unique_ptr<DialogWindow> shown;
    XWindowId focusBefore = 0;
    int revertBefore = 0;
};

void drawDialogFrame(CDrawContext& context, int width, int height, const std::string& caption);
void drawButton(CDrawContext& context, const CRect& area, const std::string& label, bool isDefault);

// The text a key press typed, as UTF-8 (Xlib gives Latin-1 without an input method).
std::string typedText(XEvent& keyPress, unsigned long& symbol);

}  // namespace rimba::toolkit
