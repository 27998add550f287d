#pragma once
// The controls the editor's idle work shows its findings on: one step row and one small level
// meter per track strip, the master meter and the loading progress bar. They are built on the
// open frame and belong to it; this class only keeps pointers to them, which stay valid until
// the frame goes. Editor thread only.
//
// Where they sit (editor pixels): a strip's step row at (32, top + 8), 16 steps of 20 x 32 just
// right of the strip's accent; its meter at (854, top + 4), 8 x 40, in the strip's right part
// that the background leaves free; the master meter (96 x 8) at (760, 26) and the progress bar
// (240 x 8) at (756, 44), under the master panel's title.

#include <array>
#include <vector>

#include "plugin/core/VornDrums.h"
#include "plugin/editor/EditorDisplay.h"
#include "plugin/editor/controls/VornMeters.h"
#include "plugin/editor/controls/VornPatternViews.h"
#include "plugin/editor/toolkit/Frame.h"

namespace rimba {

class EditorControls : public EditorDisplay {
public:
    // The tag of a track strip's control of `kind` (0 the step row, 11 the level meter).
    static constexpr long stripTag(int track, int kind) { return 8192 + 32 * track + kind; }
    static constexpr long kMasterMeterTag = 58;
    static constexpr long kStepRowKind = 0;
    static constexpr long kTrackMeterKind = 11;

    static toolkit::CRect stepRowRect(int track);
    static toolkit::CRect trackMeterRect(int track);
    static toolkit::CRect masterMeterRect();
    static toolkit::CRect progressBarRect();

    EditorControls(toolkit::CFrame& frame, const VornDrums& instrument, toolkit::CControlListener* listener);

    void showProgress(float fraction) override;
    void hideProgress() override;
    void showTrackLevel(int track, float level) override;
    void showMasterLevel(float level) override;
    void showPlayingStep(int step) override;
    void showPage(int page) override;

    // Copies each track's current pattern into its step row where it changed.
    void syncPatternRows();

private:
    controls::PatternRowValues rowOf(int track) const;

    const VornDrums& instrument;
    std::vector<controls::CVornPattern*> stepRows;
    std::vector<controls::CVornVuMeterVert*> trackMeters;
    controls::CVornVuMeter* masterMeter = nullptr;
    controls::CVornProgressBar* progressBar = nullptr;
};

}  // namespace rimba
