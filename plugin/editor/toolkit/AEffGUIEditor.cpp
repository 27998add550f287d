#include "plugin/editor/toolkit/AEffGUIEditor.h"

#include "plugin/editor/toolkit/MessageBox.h"

namespace rimba::toolkit {

AEffGUIEditor::AEffGUIEditor(const CRect& size) : size(size) {
    rect.top = static_cast<VstInt16>(size.top);
    rect.left = static_cast<VstInt16>(size.left);
    rect.bottom = static_cast<VstInt16>(size.bottom);
    rect.right = static_cast<VstInt16>(size.right);
}

// The message presenter, declared after the frame, goes before it.
AEffGUIEditor::~AEffGUIEditor() = default;

bool AEffGUIEditor::getRect(ERect** answer) {
    if (answer == nullptr)
        return false;
    *answer = &rect;
    return true;
}

bool AEffGUIEditor::open(void* parentWindow) {
    // Some hosts open again without closing first: the old window must not be left behind.
    if (frame)
        close();
    auto made = std::make_unique<CFrame>(rectOfSize(0, 0, size.width(), size.height()), nullptr);
    if (!made->open(parentWindow))
        return false;
    messages = std::make_unique<FrameMessagePresenter>(*made);
    frame = std::move(made);
    opened.store(true, std::memory_order_release);
    return true;
}

void AEffGUIEditor::close() {
    // Cleared first: the render loop stops queueing steps and meters for a window going away.
    opened.store(false, std::memory_order_release);
    messages.reset();
    frame.reset();
}

void AEffGUIEditor::idle() {
    if (frame)
        frame->idle();
}

}  // namespace rimba::toolkit
