#pragma once
// The toolkit's modal message: a top-level window over the editor with the caption, the text and
// an OK button, run in a nested event loop until OK, Return or Escape (on Windows, MessageBoxW
// owned by the editor's top-level window). While a frame is open its
// message box is the presenter of the system's messages (common/platform/MessageBox.h): a
// FrameMessagePresenter made with the open frame installs it, and the last one to go restores
// the standard-error fallback. Editor thread only.

#include <functional>
#include <string>
#include <vector>

#include "plugin/editor/toolkit/DialogHost.h"

namespace rimba::toolkit {

void runMessageBox(const DialogHost& host, const std::string& text, const std::string& caption);

// The lines a message is drawn in: "\n" breaks a line, and longer lines wrap between words so
// that none is wider than `maxWidth` by `widthOf` (a single long word stays whole).
std::vector<std::string> wrapMessage(const std::string& text, double maxWidth,
                                     const std::function<double(const std::string&)>& widthOf);

class FrameMessagePresenter {
public:
    explicit FrameMessagePresenter(CFrame& frame);
    ~FrameMessagePresenter();
    FrameMessagePresenter(const FrameMessagePresenter&) = delete;
    FrameMessagePresenter& operator=(const FrameMessagePresenter&) = delete;

private:
    CFrame& frame;
};

}  // namespace rimba::toolkit
