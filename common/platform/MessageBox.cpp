#include "common/platform/MessageBox.h"
#include "common/platform/SystemMessage.h"

#include <cstdio>
#include <mutex>
#include <utility>

namespace rimba::platform {

namespace {

// Function-local so a message shown while other globals are still being built finds them ready.
std::mutex& presenterLock() {
    static std::mutex lock;
    return lock;
}

MessagePresenter& installedPresenter() {
    static MessagePresenter presenter;
    return presenter;
}

MessagePresenter currentPresenter() {
    std::lock_guard guard(presenterLock());
    return installedPresenter();
}

}  // namespace

void writeMessageToStandardError(const std::string& text, const std::string& caption) {
    // One write per message keeps lines from other threads out of the middle of it.
    const std::string line = caption.empty() ? text + "\n" : caption + ": " + text + "\n";
    std::fwrite(line.data(), 1, line.size(), stderr);
    std::fflush(stderr);
}

// The presenter is called outside the lock: a modal message may close the editor, which removes
// the presenter.
void showMessage(const std::string& text, const std::string& caption) {
    if (!presentMessage(text, caption))
        showSystemMessage(text, caption);
}

bool presentMessage(const std::string& text, const std::string& caption) {
    const MessagePresenter presenter = currentPresenter();
    if (!presenter)
        return false;
    presenter(text, caption);
    return true;
}

void setMessagePresenter(MessagePresenter presenter) {
    std::lock_guard guard(presenterLock());
    installedPresenter() = std::move(presenter);
}

}  // namespace rimba::platform
