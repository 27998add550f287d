// The grid menu and the strip menu of the track strips, and the strip drag: the controls tell
// which entry was chosen on which track, the pattern tools change the instrument's pattern data.

#include "plugin/editor/Editor.h"

namespace rimba {

namespace {

bool isRandomisation(controls::GridMenuEntry entry) {
    using E = controls::GridMenuEntry;
    return entry == E::randomizeStep || entry == E::randomizeStepInPlace || entry == E::randomizePitch ||
           entry == E::randomizeHold || entry == E::restore;
}

}  // namespace

void Editor::stepRowChanged(int track) {
    controls::CVornPattern* row = controls->views().strips[static_cast<std::size_t>(track)].steps;
    if (!row)
        return;
    const int pattern = instrument.state().currentPattern.load();
    // References belong to the pattern they were taken from.
    if (referencePatternOf != pattern) {
        referencePatterns.fill(std::nullopt);
        referencePatternOf = pattern;
    }
    std::optional<ReferencePattern>& reference = referencePatterns[static_cast<std::size_t>(track)];
    const std::optional<controls::GridMenuEntry> entry = row->takeMenuChoice();
    if (!entry) {
        // A hand edit: the next randomisation starts from the row as it now is.
        reference.reset();
        controls->syncPatternRows();
        return;
    }
    if (*entry == controls::GridMenuEntry::undo || *entry == controls::GridMenuEntry::redo) {
        if (*entry == controls::GridMenuEntry::undo)
            undo();
        else
            redo();
        return;
    }
    if (isRandomisation(*entry) && *entry != controls::GridMenuEntry::restore && !reference)
        reference = takeReferencePattern(instrument.state(), track, pattern);
    using E = controls::GridMenuEntry;
    switch (*entry) {
        case E::reset: resetRow(instrument, track, pattern); break;
        case E::clean: cleanRow(instrument, track, pattern); break;
        case E::duplicate: duplicateRow(instrument, track, pattern); break;
        case E::randomizeStep: randomizeSteps(instrument, track, pattern, reference); break;
        case E::randomizeStepInPlace: randomizeStepsInPlace(instrument, track, pattern, reference); break;
        case E::randomizePitch: randomizePitch(instrument, track, pattern, reference); break;
        case E::randomizeHold: randomizeHold(instrument, track, pattern, reference); break;
        case E::restore: restoreRow(instrument, track, pattern, reference); break;
        case E::undo:
        case E::redo: break;  // handled above
    }
    if (!isRandomisation(*entry))
        reference.reset();
    controls->syncPatternRows();
    controls->refreshPatternPanel();
}

void Editor::drumStripChanged(int track) {
    controls::CVornDrum* drum = controls->views().strips[static_cast<std::size_t>(track)].drum;
    if (!drum)
        return;
    const std::optional<controls::StripAction> action = drum->takeStripAction();
    if (!action || !instrument.state().isActiveTrack(action->track))
        return;
    using E = controls::StripEntry;
    switch (action->entry) {
        case E::reset: resetStrip(instrument, action->track); break;
        case E::clean: cleanStrip(instrument, action->track); break;
        case E::copy: copyStrip(stripClipboard, instrument.state(), action->track); break;
        case E::paste: pasteStrip(instrument, stripClipboard, action->track); break;
        case E::duplicateMeasure1: duplicateMeasure1(instrument, action->track, displayedPage); break;
        case E::duplicateMeasures12: duplicateMeasures12(instrument, action->track, displayedPage); break;
        case E::dragCopy:
            if (instrument.state().isActiveTrack(action->targetTrack))
                copyWholeTrack(instrument, action->track, action->targetTrack);
            break;
    }
    referencePatterns.fill(std::nullopt);
    controls->syncPatternRows();
    for (int t = 0; t < instrument.getTrackCount(); ++t)
        controls->refreshTrack(t);
}

}  // namespace rimba
