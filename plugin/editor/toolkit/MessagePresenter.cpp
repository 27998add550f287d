// What the message box does on every system: its lines, and the frames that present the system's
// messages while they are open.

#include <algorithm>

#include "common/platform/MessageBox.h"
#include "common/platform/SystemMessage.h"
#include "plugin/editor/toolkit/MessageBox.h"

namespace rimba::toolkit {

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
