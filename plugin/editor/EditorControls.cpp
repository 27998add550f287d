#include "plugin/editor/EditorControls.h"

#include <algorithm>

#include "plugin/editor/artwork/ArtworkGeometry.h"

namespace rimba {

namespace art = artwork;
using toolkit::CRect;
using toolkit::rectOfSize;

namespace {

int stripTop(int track) { return art::kTrackStripsTop + track * art::kTrackStripPitch; }

}  // namespace

CRect EditorControls::stepRowRect(int track) {
    return rectOfSize(32, stripTop(track) + 8, controls::CVornPattern::kVisibleSteps * 20, 32);
}
CRect EditorControls::trackMeterRect(int track) { return rectOfSize(854, stripTop(track) + 4, 8, 40); }
CRect EditorControls::masterMeterRect() { return rectOfSize(760, 26, 96, 8); }
CRect EditorControls::progressBarRect() { return rectOfSize(756, 44, 240, 8); }

EditorControls::EditorControls(toolkit::CFrame& frame, const VornDrums& drums, toolkit::CControlListener* listener)
    : instrument(drums) {
    for (int track = 0; track < instrument.getTrackCount(); ++track) {
        auto* row = frame.add(std::make_unique<controls::CVornPattern>(stepRowRect(track), listener,
                                                                       stripTag(track, kStepRowKind), track));
        row->setRow(rowOf(track));
        stepRows.push_back(row);
        trackMeters.push_back(frame.add(std::make_unique<controls::CVornVuMeterVert>(
            trackMeterRect(track), listener, stripTag(track, kTrackMeterKind))));
    }
    masterMeter = frame.add(std::make_unique<controls::CVornVuMeter>(masterMeterRect(), listener, kMasterMeterTag));
    // No tag: nothing reports from it, and it shows only while a load runs.
    progressBar = frame.add(std::make_unique<controls::CVornProgressBar>(progressBarRect(), listener, -1));
    progressBar->setVisible(false);
}

void EditorControls::showProgress(float fraction) {
    if (!progressBar->isVisible()) progressBar->setVisible(true);
    progressBar->setLevel(fraction);
}

void EditorControls::hideProgress() {
    progressBar->setLevel(0.0f);
    progressBar->setVisible(false);
    // A load may have brought other patterns.
    syncPatternRows();
}

void EditorControls::showTrackLevel(int track, float level) {
    if (track < 0 || track >= static_cast<int>(trackMeters.size())) return;
    trackMeters[static_cast<std::size_t>(track)]->setLevel(level);
}

void EditorControls::showMasterLevel(float level) { masterMeter->setLevel(level); }

void EditorControls::showPlayingStep(int step) {
    for (controls::CVornPattern* row : stepRows) row->setPlayingStep(step);
}

void EditorControls::showPage(int page) {
    for (controls::CVornPattern* row : stepRows) row->setScrollOffset(page * controls::CVornPattern::kVisibleSteps);
}

void EditorControls::syncPatternRows() {
    for (std::size_t track = 0; track < stepRows.size(); ++track) {
        const controls::PatternRowValues row = rowOf(static_cast<int>(track));
        const controls::PatternRowValues& shown = stepRows[track]->getRow();
        if (row.velocity != shown.velocity || row.randomHit != shown.randomHit || row.stepCount != shown.stepCount)
            stepRows[track]->setRow(row);
    }
}

controls::PatternRowValues EditorControls::rowOf(int track) const {
    const int pattern = std::clamp(instrument.currentPattern.load(), 0, kPatternCount - 1);
    const TrackPatterns& steps = instrument.patterns[static_cast<std::size_t>(track)];
    controls::PatternRowValues row;
    row.velocity = steps.stepVelocity[static_cast<std::size_t>(pattern)];
    row.randomHit = steps.randomHit;
    row.stepCount = instrument.patternSteps[static_cast<std::size_t>(pattern)];
    return row;
}

}  // namespace rimba
