#pragma once
// The instrument's window: the frame on the background of the instrument's track count, and
// the idle work that keeps the meters, the playing step and the progress bar up to date. Editor
// (the host's user-interface) thread only; it reaches the instrument only through its public
// functions: it reads the state through state() and changes it through the named functions
// (the step grids through a writer per track, TrackGridWriter below).

#include <array>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "plugin/core/VornDrums.h"
#include "plugin/editor/EditorControls.h"
#include "plugin/editor/EditorDialogs.h"
#include "plugin/editor/EditorDisplay.h"
#include "plugin/editor/EditorMenus.h"
#include "plugin/editor/PluginEditorWindows.h"
#include "plugin/tools/PatternEdit.h"
#include "plugin/editor/toolkit/AEffGUIEditor.h"
#include "plugin/editor/toolkit/DrawingSession.h"
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
    // Where the note selector shows for a track's key and for the pattern trigger key.
    static constexpr toolkit::CRect kTrackKeyPanel{635, 110, 932, 383};
    static const char* backgroundFor(int trackCount);

    explicit Editor(VornDrums& instrument);
    ~Editor() override;

    bool open(void* parentWindow) override;
    // Undo and redo of the musician's edits (Ctrl+Z; Ctrl+Shift+Z or Ctrl+Y; the grid menu), the
    // controls brought up to date; false when there was nothing to undo or redo.
    bool undo();
    bool redo();
    void close() override;
    void idle() override;
    // Every change a control reports is part of a gesture (Undo.cpp): the press it came with,
    // or the change alone.
    void valueChanged(toolkit::CControl* control) override;

    // Where the idle work shows what it finds instead of the editor's own controls (tests): not
    // owned, and it must outlive the editor's open time; nullptr gives the controls back.
    void setDisplay(EditorDisplay* target) { displayOverride = target; }
    // The controls the idle work shows on while the window is open; nullptr while closed.
    EditorControls* getControls() const { return controls.get(); }
    // What the commands ask of the user: the toolkit's dialogs over the frame unless a test
    // hands in its own (not owned; it must outlive the editor's open time).
    // The plug-in windows' program bars show the same ones.
    void setDialogs(EditorDialogs* replacement) {
        dialogsOverride = replacement;
        pluginWindows.setDialogs(replacement);
    }
    // The device lists of the standalone program's settings menus (tests); the system's unless
    // given before the editor opens.
    void setDeviceLists(DeviceLists lists) { deviceLists = std::move(lists); }
    int getSelectedTrack() const { return selectedTrack; }
    // Whether the system can draw the window at all (Windows: GDI+ started); a plug-in offers
    // no editor otherwise, and says why.
    bool canDraw() const { return drawing.available(); }
    const std::string& whyItCannotDraw() const { return drawing.whyUnavailable(); }
    int getDisplayedPage() const { return displayedPage; }
    bool isHoldTuneMode() const { return holdTuneMode; }
    bool isShortHoldMode() const { return shortHoldMode; }
    const PluginEditorWindows& getPluginWindows() const { return pluginWindows; }
    // The idle work of the instrument's side alone, without the frame's own (tests, bench); false
    // when the instrument does not count its editor as open, and the frame's idle is then skipped.
    bool refresh();

private:
    enum class NotePick { trackKey, patternTrigger };

    // First of the members: the drawing backend stays up while anything of the window lives.
    toolkit::DrawingSession drawing;

    EditorDisplay* display() const;
    EditorDialogs& dialogs();
    std::int32_t globalTag(std::int32_t offset) const;
    void refreshMainMenu();
    void attachGrids();
    void scrollGrids(int firstStep);

    // The control-change handler's parts (EditorCommands.cpp, EditorMenuCommands.cpp).
    void handleValueChange(toolkit::CControl* control);
    void endGestureUnlessPressed();
    bool shortcut(unsigned letter, unsigned modifiers);
    void showUndoneState();
    void stripChanged(int track, int kind, toolkit::CControl* control);
    void stepRowChanged(int track);
    void drumStripChanged(int track);
    void randomAmountChanged(int track);
    void storeRandomSettings(int track, controls::DensityRange range, int maxRoll);
    void selectTrack(int track);
    void soloTrack(int track);
    void padChanged(int track, toolkit::CControl* control);
    void soundSlotClicked(int track, toolkit::CControl* control);
    void stepTrackSound(int track, int direction);
    void openTrackPadMenu(int track, toolkit::CControl* control);
    bool transportChanged(long tag, toolkit::CControl* control);
    void equaliserChanged(int target, toolkit::CControl* control);
    void dragPatternOut();
    bool soundPageChanged(long tag, toolkit::CControl* control);
    void waveChanged(toolkit::CControl* control);
    void tuneScaleChanged(toolkit::CControl* control);
    void showNoteSelector(NotePick purpose, const toolkit::CRect& where, int note);
    void notePicked(int note);
    bool patternPanelChanged(long tag, toolkit::CControl* control);
    void loopRangeChanged(toolkit::CControl* control);
    void showPage(int page);
    void applyStepEditModes();
    bool randomPanelChanged(long tag, toolkit::CControl* control);
    void randomGraphChanged(toolkit::CControl* control);
    void toggleRandomAuto();
    void menuControlChanged(long tag, toolkit::CControl* control);
    void applyMenuOutcome(const MenuOutcome& outcome);
    void refreshEffectSlotMenus();
    void toggleSlotEditor(int slot);
    int dropTrackAt(toolkit::CPoint where) const;
    void dropFiles(toolkit::CPoint where, const std::vector<std::string>& paths);
    bool acceptsDrop(toolkit::CPoint where) const;
    void refreshMeters();
    void drainPlayedSteps();

    // What a track's step grid changes, handed to the instrument's own functions.
    class TrackGridWriter final : public controls::GridWriter {
    public:
        TrackGridWriter(VornDrums& drums, int track) : drums(drums), track(track) {}
        void setStep(int pattern, int step, const PatternStep& values) override {
            drums.setPatternStep(track, pattern, step, values);
        }
        void setStepTune(int step, float semitones) override { drums.setStepTune(track, step, semitones); }
        void removeKeystroke(int step) override { drums.requestRandomKeystrokeRemoval(track, step); }

    private:
        VornDrums& drums;
        int track;
    };

    VornDrums& instrument;
    std::vector<TrackGridWriter> gridWriters;
    EditorDisplay* displayOverride = nullptr;
    EditorDialogs* dialogsOverride = nullptr;
    std::unique_ptr<EditorDialogs> ownDialogs;
    std::unique_ptr<EditorMenus> menus;
    DeviceLists deviceLists = DeviceLists::system();
    BuiltMenu mainMenu;
    std::array<BuiltMenu, kEffectSlots> effectSlotMenus;
    // The track the sound editing page shows; the displayed page of 16 steps.
    int selectedTrack = 0;
    int displayedPage = 0;
    NotePick notePick = NotePick::trackKey;
    // What the grid menus' randomisations draw from and Restore brings back, per track: taken
    // when a randomisation is chosen while the track has none, and dropped when the track's row
    // is edited by hand or another pattern is shown, so "Restore" undoes a run of draws.
    std::array<std::optional<ReferencePattern>, kTrackSlots> referencePatterns;
    int referencePatternOf = -1;  // the pattern the references were taken from
    int attachedPattern = -1;  // the pattern and step count the grids edit
    int attachedSteps = -1;
    StripClipboard stripClipboard;
    // What a right drag on the steps edits (the switches under the pattern panel), kept while
    // the window is closed and reopened, as are the range graph's rectangles.
    bool holdTuneMode = false;
    bool shortHoldMode = false;
    std::array<controls::GraphRect, 2> graphRects = controls::kDefaultGraphRects;
    // The editor windows of the hosted plug-ins, shown over this one.
    PluginEditorWindows pluginWindows;
    // Pointers into the frame's views: reset before the frame goes.
    std::unique_ptr<EditorControls> controls;
    bool finishedOpening = false;
    bool progressShown = false;
    // The level each meter shows, so that only a change is passed on; -1 forces the first.
    std::array<float, kTrackSlots> shownLevels{};
    float shownMasterLevel = -1.0f;
    bool metersResting = false;
};

}  // namespace rimba
