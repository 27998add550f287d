#include "plugin/editor/Editor.h"

#include <algorithm>

#include "common/platform/Clock.h"
#include "plugin/editor/ToolkitDialogs.h"
#include "plugin/editor/artwork/ArtworkGeometry.h"
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
Editor::Editor(VornDrums& instrument) : AEffGUIEditor(sizeFor(instrument.getTrackCount())), instrument(instrument) {
    for (int t = 0; t < kTrackSlots; ++t)
        gridWriters.emplace_back(instrument, t);
}

Editor::~Editor() { close(); }

bool Editor::open(void* parentWindow) {
    finishedOpening = false;
    if (!AEffGUIEditor::open(parentWindow))
        return false;
    frame->setBackground(toolkit::CBitmap::load(backgroundFor(instrument.getTrackCount())));
    controls = std::make_unique<EditorControls>(*frame, instrument, this);
    if (!ownDialogs)
        ownDialogs = std::make_unique<ToolkitDialogs>(*frame);
    menus = std::make_unique<EditorMenus>(instrument, dialogs(), deviceLists);
    selectedTrack = std::clamp(selectedTrack, 0, instrument.getTrackCount() - 1);
    attachedPattern = attachedSteps = -1;
    for (int r = 0; r < 2; ++r)
        controls->views().randomGraph->setRect(r, graphRects[static_cast<std::size_t>(r)]);
    controls->refreshAll(selectedTrack);
    attachGrids();
    applyStepEditModes();
    refreshMainMenu();
    // Built again as it opens: a keyboard plugged in or a JACK server started since is listed.
    if (controls::CVornSwitchMenu* menu = controls->views().mainMenu)
        menu->setOpening([this] { refreshMainMenu(); });
    refreshEffectSlotMenus();
    // What one press changes is one step of the undo history, however many changes it makes.
    frame->setPressHandlers([this] { instrument.beginGesture(); }, [this] { instrument.endGesture(); });
    frame->setShortcutHandler([this](unsigned letter, unsigned modifiers) { return shortcut(letter, modifiers); });
    frame->setDropHandler(
        {[this](toolkit::CPoint where) { return acceptsDrop(where); },
         [this](toolkit::CPoint where, const std::vector<std::string>& paths) { dropFiles(where, paths); }});
    // Every meter is passed on at the first idle, whatever it showed in an earlier window.
    shownLevels.fill(-1.0f);
    shownMasterLevel = -1.0f;
    metersResting = false;
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
    instrument.endGesture();
    pluginWindows.closeAll();
    // Built menus act through the menus object, and the strip clipboard lives as long as the
    // window: both go with it.
    mainMenu = {};
    effectSlotMenus.fill({});
    stripClipboard = {};
    referencePatterns.fill(std::nullopt);
    menus.reset();
    controls.reset();
    // The dialogs belong to the frame that goes now.
    ownDialogs.reset();
    AEffGUIEditor::close();
}

void Editor::idle() {
    if (!frame)
        return;
    // An editor the instrument does not count as open has nothing to show and nothing to pump.
    if (!refresh())
        return;
    AEffGUIEditor::idle();
}

// Each step row edits the live pattern data of its track in the current pattern, and each
// strip's handle knows where the strips lie, so that a drag finds its target.
void Editor::attachGrids() {
    const int pattern = std::clamp(instrument.state().currentPattern.load(), 0, kPatternCount - 1);
    const int steps = instrument.state().patternSteps[static_cast<std::size_t>(pattern)];
    if (pattern == attachedPattern && steps == attachedSteps)
        return;
    const bool otherPattern = pattern != attachedPattern;
    attachedPattern = pattern;
    attachedSteps = steps;
    std::vector<TrackStripViews>& strips = controls->views().strips;
    // Random settings kept per pattern change with it.
    if (otherPattern && instrument.state().randomPerPattern != 0)
        for (std::size_t t = 0; t < strips.size(); ++t)
            controls->refreshRandomAmount(static_cast<int>(t));
    for (std::size_t t = 0; t < strips.size(); ++t) {
        TrackStripViews& strip = strips[t];
        strip.steps->attachPatterns(&instrument.state().patterns[t], &gridWriters[t], pattern, steps);
        strip.steps->scrolled = [this](int firstStep) { scrollGrids(firstStep); };
        strip.steps->entryAvailable = [this](controls::GridMenuEntry entry) {
            if (entry == controls::GridMenuEntry::undo)
                return instrument.canUndo();
            if (entry == controls::GridMenuEntry::redo)
                return instrument.canRedo();
            return true;
        };
        strip.drum->setRows(artwork::kTrackStripsTop, artwork::kTrackStripPitch, instrument.getTrackCount());
        strip.drum->highlight = [this](int row, bool on) {
            std::vector<TrackStripViews>& all = controls->views().strips;
            if (row >= 0 && static_cast<std::size_t>(row) < all.size())
                all[static_cast<std::size_t>(row)].steps->setHighlighted(on);
        };
    }
}

// One grid's scroll bar moves every grid, so that the tracks stay in step; the controls keep the
// new first step, so a later refresh of a strip shows the same steps.
void Editor::scrollGrids(int firstStep) {
    controls->scrollTo(firstStep);
    displayedPage = controls->getShownFirstStep() / controls::CVornPattern::kVisibleSteps;
}

EditorDialogs& Editor::dialogs() {
    if (dialogsOverride)
        return *dialogsOverride;
    return *ownDialogs;
}

EditorDisplay* Editor::display() const {
    if (displayOverride)
        return displayOverride;
    return controls.get();
}

bool Editor::refresh() {
    EditorDisplay* target = display();
    // A load replaces what the meters and steps come from: only its progress means anything.
    if (instrument.loadRunning()) {
        if (target)
            target->showProgress(instrument.loadProgress());
        progressShown = true;
        return true;
    }
    if (progressShown) {
        progressShown = false;
        if (target)
            target->hideProgress();
    }
    if (!instrument.editorOpen())
        return false;
    if (!finishedOpening)
        return true;
    pluginWindows.idle();
    refreshMeters();
    drainPlayedSteps();
    // The current pattern moves on along a chain, and a load brings others.
    if (controls) {
        attachGrids();
        controls->syncPatternRows();
    }
    return true;
}

void Editor::refreshMeters() {
    EditorDisplay* target = display();
    // "Step Played + Vumeter" off: the meters rest at zero.
    if (!instrument.stepAndVumeterOn()) {
        if (metersResting)
            return;
        metersResting = true;
        for (int track = 0; track < instrument.getTrackCount(); ++track) {
            shownLevels[static_cast<std::size_t>(track)] = 0.0f;
            if (target)
                target->showTrackLevel(track, 0.0f);
        }
        shownMasterLevel = 0.0f;
        if (target)
            target->showMasterLevel(0.0f);
        return;
    }
    metersResting = false;
    for (int track = 0; track < instrument.getTrackCount(); ++track) {
        const float level = instrument.trackLevel(track);
        float& shown = shownLevels[static_cast<std::size_t>(track)];
        if (level == shown)
            continue;
        shown = level;
        if (target)
            target->showTrackLevel(track, level);
    }
    const float master = std::max(instrument.masterLevelLeft(), instrument.masterLevelRight());
    if (master != shownMasterLevel) {
        shownMasterLevel = master;
        if (target)
            target->showMasterLevel(master);
    }
}

void Editor::drainPlayedSteps() {
    EditorDisplay* target = display();
    const std::uint32_t now = platform::tickMilliseconds();
    // Drained even with nothing to show them on, so that the queue holds only fresh steps.
    while (std::optional<StepDisplay> played = instrument.takeDueStep(now)) {
        if (!target)
            continue;
        if (instrument.stepAndVumeterOn())
            target->showPlayingStep(played->step);
        if (instrument.autoscrollOn() && played->step % 16 == 0) {
            // The page the strip menu's measure duplications work on follows what is shown.
            displayedPage = played->step / 16;
            target->showPage(displayedPage);
        }
    }
}

}  // namespace rimba
