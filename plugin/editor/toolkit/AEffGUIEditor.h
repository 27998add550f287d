#pragma once
// The toolkit's bridge to the VST 2.4 editor interface: the host's rectangle from the editor's
// size, a frame built on open inside the host's window, pumped on idle and destroyed on close.
// A plug-in's editor derives from it and fills the frame after AEffGUIEditor::open succeeds.
// Editor thread only.

#include <atomic>
#include <memory>

#include "common/vst/AEffEditor.h"
#include "common/vst/VstAbi.h"
#include "plugin/editor/toolkit/Frame.h"
#include "plugin/editor/toolkit/Geometry.h"

namespace rimba::toolkit {

class FrameMessagePresenter;

class AEffGUIEditor : public AEffEditor {
public:
    explicit AEffGUIEditor(const CRect& size);
    ~AEffGUIEditor() override;

    // The rectangle stays ours; a host reads it through the pointer until the editor goes.
    bool getRect(ERect** rect) override;
    // Builds the frame inside `parentWindow` (an X11 window id or an HWND); false, with no frame,
    // when the window cannot be made. Opening an open editor reopens it.
    bool open(void* parentWindow) override;
    void close() override;
    void idle() override;
    // Any thread: the audio thread asks whether to feed the editor's meters and steps.
    bool isOpen() const override { return opened.load(std::memory_order_acquire); }

    CFrame* getFrame() const { return frame.get(); }
    const CRect& getSize() const { return size; }

protected:
    CRect size;
    std::unique_ptr<CFrame> frame;

private:
    // The system's messages show over the frame while it is open; it goes before the frame.
    std::unique_ptr<FrameMessagePresenter> messages;
    ERect rect{};
    std::atomic<bool> opened{false};
};

}  // namespace rimba::toolkit
