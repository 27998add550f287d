#pragma once
// What the editor's in-process tests start from: an instrument of 8 tracks that keeps no
// settings, and its editor opened in a window of the test's own (on the X server of
// tests/support/with-xvfb.sh); its controls found by tag and clicked as the user would.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>

#include "plugin/core/VornDrums.h"
#include "plugin/editor/Editor.h"
#include "plugin/editor/toolkit/Frame.h"

namespace rimba::test {

inline VstIntPtr versionOnlyHost(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float) {
    return opcode == audioMasterVersion ? kVstVersion : 0;
}

inline std::unique_ptr<VornDrums> eightTrackInstrument(audioMasterCallback host = versionOnlyHost) {
    return std::make_unique<VornDrums>(host, [](InstrumentSettings& settings, bool) {
        settings.channelNumber = 8;
        return false;
    });
}

// The instrument's editor (which the instrument owns), given by `prepare` what it needs before it
// opens (scripted dialogs, a recording display), then opened in `window`. Null if it cannot open.
inline Editor* openEditorIn(VornDrums& drums, toolkit::XWindowId window,
                            const std::function<void(Editor&)>& prepare = {}) {
    auto* editor = new Editor(drums);
    drums.giveEditor(editor);
    if (prepare)
        prepare(*editor);
    return editor->open(reinterpret_cast<void*>(static_cast<std::uintptr_t>(window))) ? editor : nullptr;
}

// A control found on the frame by its tag: the fixed controls EditorViews does not name.
template <class T = toolkit::CControl>
T* taggedIn(toolkit::CFrame& frame, long tag) {
    for (std::size_t i = 0; i < frame.getNbViews(); ++i)
        if (auto* control = dynamic_cast<T*>(frame.getView(i)); control && control->getTag() == tag)
            return control;
    return nullptr;
}

inline toolkit::CPoint centreOf(const toolkit::CView& view) {
    const toolkit::CRect& r = view.getViewSize();
    return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

// Pressed and let go with the right button in its middle.
inline void rightClick(toolkit::CView& view) {
    view.onMouseDown(centreOf(view), toolkit::kRButton);
    view.onMouseUp(centreOf(view), toolkit::kRButton);
}

}  // namespace rimba::test
