// Gestures and the undo history from the editor's side: every change a control reports, a file
// dropped or a shortcut belongs to one gesture of the instrument's history (VornDrums::beginGesture),
// and an undo or redo brings every control up to date with what came back.

#include "plugin/editor/Editor.h"
#include "plugin/editor/toolkit/View.h"

namespace rimba {

void Editor::valueChanged(toolkit::CControl* control) {
    // A press began the gesture already (the frame's press handlers); a change without one (a
    // menu's choice after its loop took the release, a key) is a gesture of its own.
    instrument.beginGesture();
    handleValueChange(control);
    endGestureUnlessPressed();
}

void Editor::endGestureUnlessPressed() {
    if (!frame || !frame->pressInProgress())
        instrument.endGesture();
}

bool Editor::shortcut(unsigned letter, unsigned modifiers) {
    using toolkit::kAlt;
    using toolkit::kShift;
    if ((modifiers & kAlt) != 0)
        return false;
    const bool shift = (modifiers & kShift) != 0;
    if (letter == 'z' && !shift) {
        undo();
        return true;
    }
    if ((letter == 'z' && shift) || (letter == 'y' && !shift)) {
        redo();
        return true;
    }
    return false;
}

bool Editor::undo() {
    if (!instrument.undo())
        return false;
    showUndoneState();
    return true;
}

bool Editor::redo() {
    if (!instrument.redo())
        return false;
    showUndoneState();
    return true;
}

void Editor::showUndoneState() {
    if (!controls)
        return;
    MenuOutcome everything;
    everything.refresh = refresh::kEverything;
    applyMenuOutcome(everything);
    refreshMainMenu();
}

}  // namespace rimba
