// The program bar's half of a hosted plug-in's editor window: the bar's frame opened in the
// window's strip, its idle, and its end before the window's.

#include <cstdint>

#include "plugin/editor/PluginEditorWindows.h"
#include "plugin/editor/PluginProgramBar.h"
#include "plugin/editor/toolkit/Frame.h"

namespace rimba {

struct ProgramStrip {
    toolkit::CFrame frame;
    CVornPluginProgramEx bar;

    ProgramStrip(int width, AEffect& effect, EditorDialogs* dialogs)
        : frame(toolkit::CRect{0, 0, width, CVornPluginProgramEx::kHeight}, nullptr), bar(frame, effect, dialogs) {}
};

void ProgramStripCloser::operator()(ProgramStrip* strip) const { delete strip; }

bool CPluginEditor::openBar(AEffect& effect, int width, EditorDialogs* dialogs) {
    strip.reset(new ProgramStrip(width, effect, dialogs));
    return strip->frame.open(reinterpret_cast<void*>(toolWindow->stripParent()));
}

void CPluginEditor::idleBar() {
    if (!strip)
        return;
    strip->frame.idle();
    strip->bar.idle();
}

std::uintptr_t CPluginEditor::barWindow() const {
    return strip ? static_cast<std::uintptr_t>(strip->frame.getWindow()) : 0;
}

CVornPluginProgramEx& CPluginEditor::bar() const { return strip->bar; }

}  // namespace rimba
