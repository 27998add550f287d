// The message box's X11 window: drawn with the dialogs' look and run in the host's nested loop.

#include "plugin/editor/toolkit/MessageBox.h"

#include <X11/Xlib.h>
#include <X11/keysym.h>

#include <algorithm>
#include <cmath>

#include "plugin/editor/toolkit/DialogWindow.h"
#include "plugin/editor/toolkit/ModalDialog.h"

namespace rimba::toolkit {

namespace {

constexpr int kLineHeight = 18;
constexpr int kMargin = 20;
constexpr int kButtonWidth = 80;
constexpr int kButtonHeight = 26;
constexpr double kMaxTextWidth = 520;

struct MessageLayout {
    std::vector<std::string> lines;
    int width = 0;
    int height = 0;
    CRect button;
};

MessageLayout layOut(const std::string& text, const std::string& caption) {
    MessageLayout layout;
    layout.lines = wrapMessage(text, kMaxTextWidth, [](const std::string& line) { return measureDialogText(line); });
    double widest = measureDialogText(caption, kDialogFontSize, true);
    for (const std::string& line : layout.lines) {
        widest = std::max(widest, measureDialogText(line));
    }
    layout.width = std::max(240, static_cast<int>(std::ceil(widest)) + 2 * kMargin);
    const int textHeight = static_cast<int>(layout.lines.size()) * kLineHeight;
    layout.height = kDialogCaptionHeight + kMargin + textHeight + kMargin + kButtonHeight + kMargin / 2;
    layout.button = rectOfSize((layout.width - kButtonWidth) / 2, layout.height - kMargin / 2 - kButtonHeight,
                               kButtonWidth, kButtonHeight);
    return layout;
}

void drawMessage(DialogWindow& window, const MessageLayout& layout, const std::string& caption) {
    std::unique_ptr<CDrawContext> drawing = window.beginDrawing();
    CDrawContext& context = *drawing;
    drawDialogFrame(context, layout.width, layout.height, caption);
    context.setColour(0, 0, 0);
    int top = kDialogCaptionHeight + kMargin;
    for (const std::string& line : layout.lines) {
        drawTextInRow(context, line, {kMargin, top, layout.width - kMargin, top + kLineHeight});
        top += kLineHeight;
    }
    drawButton(context, layout.button, "OK", true);
    window.endDrawing(std::move(drawing));
}

}  // namespace

void runMessageBox(const DialogHost& host, const std::string& text, const std::string& caption) {
    if (!host.isUsable()) {
        return;
    }
    const MessageLayout layout = layOut(text, caption);
    ModalDialog dialog(host, layout.width, layout.height, caption);
    bool closed = false;
    dialog.run(
        [&](const XEvent& event) {
            switch (event.type) {
                case Expose:
                    if (event.xexpose.count == 0) {
                        drawMessage(dialog.window(), layout, caption);
                    }
                    break;
                case ButtonPress:
                    closed = event.xbutton.window == dialog.window().id() && event.xbutton.button == Button1 &&
                             layout.button.contains({event.xbutton.x, event.xbutton.y});
                    break;
                case KeyPress: {
                    const KeySym key = XLookupKeysym(const_cast<XKeyEvent*>(&event.xkey), 0);
                    closed = key == XK_Return || key == XK_KP_Enter || key == XK_Escape || key == XK_space;
                    break;
                }
                default: break;
            }
        },
        [&] { return closed; });
}

}  // namespace rimba::toolkit
