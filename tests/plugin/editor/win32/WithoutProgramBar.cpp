// The windows' program bar on Windows needs the toolkit's frame and drawing there, not built yet:
// until they are, the Windows tests of the windows run with an empty strip. The strip's window is
// still made and handed over; only no frame opens in it.

#include <cstdlib>

#include "plugin/editor/PluginEditorWindows.h"

namespace rimba {

struct ProgramStrip {};

void ProgramStripCloser::operator()(ProgramStrip* strip) const { delete strip; }

bool CPluginEditor::openBar(AEffect&, int, EditorDialogs*) {
    strip.reset(new ProgramStrip);
    return toolWindow->stripParent() != 0;
}

void CPluginEditor::idleBar() {}

std::uintptr_t CPluginEditor::barWindow() const { return 0; }

CVornPluginProgramEx& CPluginEditor::bar() const { std::abort(); }

}  // namespace rimba
