#include "plugin/editor/Editor.h"

#include <algorithm>

#include "common/platform/Clock.h"
#include "plugin/editor/toolkit/Bitmap.h"
#include "plugin/editor/toolkit/Frame.h"

namespace rimba {

toolkit::CRect Editor::sizeFor(int trackCount) {
    return {0, 0, kWidth, trackCount == kSmallTrackCount ? kSmallHeight : kLargeHeight};
}

const char* Editor::backgroundFor(int trackCount) {
    return trackCount == kSmallTrackCount ? "Background.png" : "BackgroundLarge.png";
}

// The track count is the instrument's for its whole life, so the size is fixed here once.
Editor::Editor(VornDrums& instrument)
    : AEffGUIEditor(sizeFor(instrument.getTrackCount())), instrument(instrument) {}

Editor::~Editor() { close(); }

bool Editor::open(void* parentWindow) {
    finishedOpening = false;
    if (!AEffGUIEditor::open(parentWindow)) return false;
    frame->setBackground(toolkit::CBitmap::load(backgroundFor(instrument.getTrackCount())));
    controls = std::make_unique<EditorControls>(*frame, instrument, this);
    // Every meter is passed on at the first idle, whatever it showed in an earlier window.
    shownLevels.fill(-1.0f);
    shownMasterLevel = -1.0f;
    progressShown = false;
    // Steps played while the window was closed are no longer worth showing.
    while (instrument.takeDueStep(platform::tickMilliseconds())) {
    }
    frame->redraw();
    finishedOpening = true;
    return true;
}

void Editor::close() {
    finishedOpening = false;
    controls.reset();
    AEffGUIEditor::close();
}

void Editor::idle() {
    if (!frame) return;
    refresh();
    AEffGUIEditor::idle();
}

void Editor::valueChanged(toolkit::CControl*) {
    // No control of the editor reports to it yet: the strips and panels come with the controls.
}

EditorDisplay* Editor::display() const {
    if (displayOverride) return displayOverride;
    return controls.get();
}

void Editor::refresh() {
    EditorDisplay* target = display();
    // A load replaces what the meters and steps come from: only its progress means anything.
    if (instrument.loadRunning()) {
        if (target) target->showProgress(instrument.loadProgress());
        progressShown = true;
        return;
    }
    if (progressShown) {
        progressShown = false;
        if (target) target->hideProgress();
    }
    if (!instrument.editorOpen() || !finishedOpening) return;
    refreshMeters();
    drainPlayedSteps();
    // The current pattern moves on along a chain, and a load brings others.
    if (controls) controls->syncPatternRows();
}

void Editor::refreshMeters() {
    EditorDisplay* target = display();
    for (int track = 0; track < instrument.getTrackCount(); ++track) {
        const float level = instrument.trackLevel(track);
        float& shown = shownLevels[static_cast<std::size_t>(track)];
        if (level == shown) continue;
        shown = level;
        if (target) target->showTrackLevel(track, level);
    }
    const float master = std::max(instrument.masterLevelLeft(), instrument.masterLevelRight());
    if (master != shownMasterLevel) {
        shownMasterLevel = master;
        if (target) target->showMasterLevel(master);
    }
}

void Editor::drainPlayedSteps() {
    EditorDisplay* target = display();
    const std::uint32_t now = platform::tickMilliseconds();
    // Drained even with nothing to show them on, so that the queue holds only fresh steps.
    while (std::optional<StepDisplay> played = instrument.takeDueStep(now)) {
        if (!target) continue;
        if (instrument.stepAndVumeterOn()) target->showPlayingStep(played->step);
        if (instrument.autoscrollOn() && played->step % 16 == 0) target->showPage(played->step / 16);
    }
}

}  // namespace rimba
