#pragma once
// The instrument's window: the frame on the background of the instrument's track count, and
// the idle work that keeps the meters, the playing step and the progress bar up to date. Editor
// (the host's user-interface) thread only; it reaches the instrument only through its public
// functions.

#include <array>
#include <memory>

#include "plugin/core/VornDrums.h"
#include "plugin/editor/EditorControls.h"
#include "plugin/editor/EditorDisplay.h"
#include "plugin/editor/toolkit/AEffGUIEditor.h"
#include "plugin/editor/toolkit/View.h"
#include "plugin/model/Constants.h"

namespace rimba {

class Editor : public toolkit::AEffGUIEditor, public toolkit::CControlListener {
public:
    static constexpr int kWidth = 1005;
    static constexpr int kSmallHeight = 642;  // 8 tracks
    static constexpr int kLargeHeight = 850;  // 12 tracks

    // The editor's rectangle and background for a track count: 8 tracks get the small window.
    static toolkit::CRect sizeFor(int trackCount);
    static const char* backgroundFor(int trackCount);

    explicit Editor(VornDrums& instrument);
    ~Editor() override;

    bool open(void* parentWindow) override;
    void close() override;
    void idle() override;
    void valueChanged(toolkit::CControl* control) override;

    // Where the idle work shows what it finds instead of the editor's own controls (tests): not
    // owned, and it must outlive the editor's open time; nullptr gives the controls back.
    void setDisplay(EditorDisplay* target) { displayOverride = target; }
    // The controls the idle work shows on while the window is open; nullptr while closed.
    EditorControls* getControls() const { return controls.get(); }
    // The idle work of the instrument's side alone, without the frame's own (tests, bench).
    void refresh();

private:
    EditorDisplay* display() const;
    void refreshMeters();
    void drainPlayedSteps();

    VornDrums& instrument;
    EditorDisplay* displayOverride = nullptr;
    // Pointers into the frame's views: reset before the frame goes.
    std::unique_ptr<EditorControls> controls;
    bool finishedOpening = false;
    bool progressShown = false;
    // The level each meter shows, so that only a change is passed on; -1 forces the first.
    std::array<float, kTrackSlots> shownLevels{};
    float shownMasterLevel = -1.0f;
};

}  // namespace rimba
