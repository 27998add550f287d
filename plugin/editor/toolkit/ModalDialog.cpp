#include "plugin/editor/toolkit/ModalDialog.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <algorithm>

namespace rimba::toolkit {

namespace {

// Releases go through: a dialog opened by a click must let the editor see that click end.
bool isInput(int type) {
    return type == ButtonPress || type == MotionNotify || type == KeyPress || type == KeyRelease ||
           type == EnterNotify || type == LeaveNotify;
}

CRect centredOver(Display* display, Window owner, int width, int height) {
    const CRect screen = screenRect(display);
    CRect over = windowScreenRect(display, owner);
    if (over.isEmpty()) {
        over = screen;
    }
    int left = over.left + (over.width() - width) / 2;
    int top = over.top + (over.height() - height) / 2;
    left = std::clamp(left, screen.left, std::max(screen.left, screen.right - width));
    top = std::clamp(top, screen.top, std::max(screen.top, screen.bottom - height));
    return rectOfSize(left, top, width, height);
}

}  // namespace

ModalDialog::ModalDialog(const DialogHost& dialogHost, int width, int height, const std::string& title)
    : host(dialogHost) {
    Window focused = 0;
    XGetInputFocus(host.display, &focused, &revertBefore);
    focusBefore = focused;
    shown = std::make_unique<DialogWindow>(host.display, DialogWindowKind::dialog,
                                           centredOver(host.display, host.owner, width, height), host.owner, title);
    shown->waitUntilMapped();
    shown->takeKeyboardFocus();
}

ModalDialog::~ModalDialog() {
    shown.reset();
    // The focus goes back where it was when that is known to still exist: the pointer's window
    // (no window manager), or the editor's own window. Anything else is left to the server.
    if (focusBefore == PointerRoot || (focusBefore != 0 && focusBefore == host.owner)) {
        XSetInputFocus(host.display, focusBefore, revertBefore, CurrentTime);
    }
    XFlush(host.display);
}

void ModalDialog::run(const std::function<void(const XEvent&)>& handle, const std::function<bool()>& finished) {
    const XWindowId own = shown->id();
    host.runModal(
        [&](XEvent& event) {
            if (event.xany.window == own) {
                handle(event);
                return true;
            }
            return isInput(event.type);
        },
        finished);
}

void drawDialogFrame(CDrawContext& context, int width, int height, const std::string& caption) {
    context.setColour(0.94, 0.94, 0.94);
    context.paint();
    context.setColour(0.22, 0.30, 0.45);
    context.rectangle(0, 0, width, kDialogCaptionHeight);
    context.fill();
    context.setColour(0.35, 0.35, 0.35);
    context.setLineWidth(1.0);
    context.rectangle(0.5, 0.5, width - 1, height - 1);
    context.stroke();
    context.setColour(1, 1, 1);
    selectDialogFont(context, kDialogFontSize, true);
    drawTextInRow(context, caption, {10, 0, width - 10, kDialogCaptionHeight});
    selectDialogFont(context);
}

void drawButton(CDrawContext& context, const CRect& area, const std::string& label, bool isDefault) {
    context.rectangle(area.left + 0.5, area.top + 0.5, area.width() - 1, area.height() - 1);
    context.setColour(0.98, 0.98, 0.98);
    context.fillPreserve();
    context.setColour(isDefault ? 0.20 : 0.45, isDefault ? 0.40 : 0.45, isDefault ? 0.75 : 0.45);
    context.setLineWidth(isDefault ? 2.0 : 1.0);
    context.stroke();
    context.setColour(0, 0, 0);
    const double width = context.textAdvance(label);
    const int left = area.left + static_cast<int>((area.width() - width) / 2);
    drawTextInRow(context, label, {left, area.top, area.right, area.bottom});
}

std::string typedText(XEvent& keyPress, unsigned long& symbol) {
    char latin1[32] = {};
    KeySym key = 0;
    const int count = XLookupString(&keyPress.xkey, latin1, sizeof latin1 - 1, &key, nullptr);
    symbol = key;
    std::string utf8;
    for (int i = 0; i < count; ++i) {
        const unsigned char c = static_cast<unsigned char>(latin1[i]);
        if (c < 0x80) {
            utf8 += static_cast<char>(c);
        } else {
            utf8 += static_cast<char>(0xC0 | (c >> 6));
            utf8 += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return utf8;
}

}  // namespace rimba::toolkit
