#include "plugin/editor/toolkit/MessageBox.h"

#include <X11/Xlib.h>
#include <X11/keysym.h>

#include <algorithm>
#include <cmath>

#include "common/platform/MessageBox.h"
#include "common/platform/SystemMessage.h"
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

std::vector<std::string> wrapMessage(const std::string& text, double maxWidth,
                                     const std::function<double(const std::string&)>& widthOf) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) {
            end = text.size();
        }
        std::string paragraph = text.substr(start, end - start);
        if (!paragraph.empty() && paragraph.back() == '\r') {
            paragraph.pop_back();
        }
        std::string line;
        std::size_t at = 0;
        while (at <= paragraph.size()) {
            std::size_t space = paragraph.find(' ', at);
            if (space == std::string::npos) {
                space = paragraph.size();
            }
            const std::string word = paragraph.substr(at, space - at);
            const std::string longer = line.empty() ? word : line + " " + word;
            if (!line.empty() && widthOf(longer) > maxWidth) {
                lines.push_back(line);
                line = word;
            } else {
                line = longer;
            }
            at = space + 1;
        }
        lines.push_back(line);
        start = end + 1;
    }
    return lines;
}

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
            default:
                break;
            }
        },
        [&] { return closed; });
}

namespace {

// The open frames that present messages, latest last: with two editors open a message goes over
// the one opened last, and closing it hands messages back to the other.
std::vector<CFrame*>& presentingFrames() {
    static std::vector<CFrame*> frames;
    return frames;
}

void presentOverLatestFrame(const std::string& text, const std::string& caption) {
    if (presentingFrames().empty()) {
        return;
    }
    CFrame& frame = *presentingFrames().back();
    const DialogHost host = dialogHostOf(frame);
    if (!host.isUsable()) {
        platform::showSystemMessage(text, caption);
        return;
    }
    runMessageBox(host, text, caption);
}

}  // namespace

FrameMessagePresenter::FrameMessagePresenter(CFrame& owner) : frame(owner) {
    presentingFrames().push_back(&frame);
    platform::setMessagePresenter(presentOverLatestFrame);
}

FrameMessagePresenter::~FrameMessagePresenter() {
    auto& frames = presentingFrames();
    frames.erase(std::remove(frames.begin(), frames.end(), &frame), frames.end());
    if (frames.empty()) {
        platform::setMessagePresenter({});
    }
}

}  // namespace rimba::toolkit
