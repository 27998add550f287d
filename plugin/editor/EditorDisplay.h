#pragma once
// What the editor's idle work shows, as the controls that show it take it: the progress bar,
// each track's level meter, the master meter, the playing step of the track strips and the shown
// page. The editor's controls implement it (EditorControls); tests record it.

namespace rimba {

class EditorDisplay {
public:
    virtual ~EditorDisplay() = default;
    // While a load runs, the progress bar alone is redrawn; `fraction` is 0 to 1.
    virtual void showProgress(float fraction) = 0;
    // At the first idle after a load: the progress bar goes away.
    virtual void hideProgress() = 0;
    virtual void showTrackLevel(int track, float level) = 0;
    virtual void showMasterLevel(float level) = 0;
    // The step the sequencer plays, on every track strip.
    virtual void showPlayingStep(int step) = 0;
    // The page of 16 steps shown by the page control, the track strips and the pattern view.
    virtual void showPage(int page) = 0;
};

}  // namespace rimba
