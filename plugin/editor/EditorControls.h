#pragma once
// Every control of the editor's window, built on the frame for 8 or 12 tracks, and the refresh
// that shows the instrument's state on them. The frame owns the controls; this class keeps
// pointers to them (EditorViews), valid until the frame goes. It is also what the editor's idle
// work shows its findings on (EditorDisplay). Editor thread only.
//
// The window, top to bottom: the top bar (transport with tempo and the main menu, program and
// kit names with next/previous, the four effect slots, master knob, EQ and meter), the track
// strips (handle over the accent, 16 steps, random amount, mute and solo, five knobs, two tune
// faders, sound name with next/previous, pad, select lamp, meter), then the sound page of the
// selected track, the pattern panel and the random panel. The note selector and the welcome
// picture are built hidden; the progress bar shows only while a load runs.
//
// The values the controls hold, which the editor's commands read back:
// - track knobs and faders (kinds 2 to 8), mute (14): the track's own setting, 0 to 1 (the tune
//   fader 0 to 1 with the middle untuned, as the host's "Tune" parameter);
// - decay, reverse, charley (9, 10, 17): the selected track's one-shot, reverse and choke flags;
//   sound EQ switch (48) its EQ on the sample, sound EQ page switch (68) its EQ on the synth part,
//   phase (70) its phase inversion, synth route (67) and "Mix" (66) its synth routing and mix;
// - master level (59): 0 to 127; swing (87) and fill attenuation (88): the instrument's 0 to 127
//   divided by 127; tempo (32): beats per minute, 10 to 480;
// - pattern select (81): the current pattern; loop LEDs (82): the first to the last chained
//   pattern; loop, chain, random switches (83 to 85): lit for play mode 0, 1, 2; page (86): the
//   shown page of 16 steps;
// - effect slots (41 to 44): lit when the slot's effect is on, the loaded effect's label on it.

#include <string>
#include <vector>

#include "plugin/core/VornDrums.h"
#include "plugin/editor/EditorDisplay.h"
#include "plugin/editor/EditorViews.h"
#include "plugin/editor/controls/ValueReadout.h"
#include "plugin/editor/toolkit/Frame.h"

namespace rimba {

class EditorControls : public EditorDisplay {
public:
    // The tag of a track strip's control of `kind` (0 the step row, 11 the level meter).
    static constexpr long stripTag(int track, int kind) { return editor_tags::stripTag(track, kind); }
    static constexpr long kMasterMeterTag = editor_tags::kMasterMeter;
    static constexpr long kStepRowKind = editor_tags::kStepRowKind;
    static constexpr long kTrackMeterKind = editor_tags::kMeterKind;

    static toolkit::CRect stepRowRect(int track);
    static toolkit::CRect trackMeterRect(int track);
    static toolkit::CRect masterMeterRect();
    static toolkit::CRect progressBarRect();
    // Where the note selector shows for a track's key.
    static toolkit::CRect noteSelectorRect();

    EditorControls(toolkit::CFrame& frame, const VornDrums& instrument, toolkit::CControlListener* listener);

    EditorViews& views() { return controls; }
    // The box that writes the value of the knob or fader under the pointer (ControlValueText.h).
    controls::CValueReadout* valueReadout() const { return readout; }

    // Every control's value, text and lit state from the instrument's state.
    void refreshAll(int selectedTrack);
    void refreshTrack(int track);
    void refreshRandomAmount(int track);
    void refreshSoundPage(int selectedTrack);
    void refreshPatternPanel();
    // Program, kit and pattern set names, and the effect slots' labels.
    void refreshNames();
    void refreshEffectSlots();
    // Play and Stop, and the tempo.
    void refreshTransport();
    // The select switch of the track the sound page shows, and the one solo switch.
    void refreshSelection(int selectedTrack);
    void refreshSolo();
    void refreshKnobMode();
    void refreshStepAndVumeter();

    void showProgress(float fraction) override;
    void hideProgress() override;
    void showTrackLevel(int track, float level) override;
    void showMasterLevel(float level) override;
    void showPlayingStep(int step) override;
    void showPage(int page) override;
    // Every grid scrolled to `firstStep` (0..48) and the page control on the page it lies in.
    void scrollTo(int firstStep);
    int getShownFirstStep() const { return shownFirstStep; }

    // Copies each track's current pattern into its step row where it changed.
    void syncPatternRows();

private:
    void buildTopBar(toolkit::CFrame& frame, toolkit::CControlListener* listener);
    void buildStrip(toolkit::CFrame& frame, toolkit::CControlListener* listener, int track);
    void buildSoundPage(toolkit::CFrame& frame, toolkit::CControlListener* listener, int top);
    void buildPatternPanel(toolkit::CFrame& frame, toolkit::CControlListener* listener, int top);
    void buildRandomPanel(toolkit::CFrame& frame, toolkit::CControlListener* listener, int top);
    void refreshMaster();
    void attachValueTexts(toolkit::CFrame& frame);
    bool isSoloed(int track) const;
    controls::PatternRowValues rowOf(int track) const;
    std::string trackHeading(int track) const;
    std::vector<controls::CVornKnob*> allKnobs() const;

    const VornDrums& instrument;
    EditorViews controls;
    int soundPageTrack = -1;  // the track the sound page shows
    int shownFirstStep = 0;  // the grids' first visible step, kept across refreshes
    controls::CValueReadout* readout = nullptr;
};

// The name a file is shown by: its name without folder and extension; "" for no file.
std::string shownFileName(const std::string& path);
// `columns` peaks (0 to 1, the largest magnitude in each column's span) of 16-bit samples.
std::vector<float> wavePeaks(const std::vector<std::int16_t>& samples, int columns);

}  // namespace rimba
