// The editor's control-change dispatch against a real instrument in the process: each test sets a
// control the way the user would (its value, its mouse events, its menu's answer) and reads back
// what the instrument, the host and the other controls were told.

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "common/platform/Clock.h"
#include "common/vst/StandaloneLink.h"
#include "plugin/editor/Editor.h"
#include "plugin/editor/toolkit/Frame.h"
#include "plugin/model/Tags.h"
#include "tests/plugin/editor/OpenEditor.h"
#include "tests/plugins/FixturePlugins.h"
#include "tests/plugin/editor/menus/ScriptedDialogs.h"
// Xlib last: its macros clash with names in the headers above.
#include "tests/plugin/editor/toolkit/XTestHost.h"
#include "tests/support/InstrumentProbe.h"
#include <X11/keysym.h>

namespace rimba::test {
namespace {

namespace et = editor_tags;

// What the host was told through audioMasterAutomate: parameter index and value.
std::vector<std::pair<int, float>> automated;

VstIntPtr recordingHost(AEffect*, VstInt32 opcode, VstInt32 index, VstIntPtr, void*, float value) {
    if (opcode == audioMasterAutomate)
        automated.emplace_back(index, value);
    return opcode == audioMasterVersion ? kVstVersion : 0;
}


// A pop-up that answers the entry named `text`, and counts how often it was asked.
controls::PopupMenuFunction answering(std::string text, int* asked = nullptr) {
    return [text = std::move(text), asked](const toolkit::MenuModel& menu, toolkit::CPoint) {
        if (asked)
            ++*asked;
        return std::optional<toolkit::MenuChoice>(chainOf(menu, {text}));
    };
}

class EditorCommands : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(x.connected()) << "no X server: run under tests/support/with-xvfb.sh";
        automated.clear();
        drums = eightTrackInstrument(recordingHost);
        host = x.makeWindow(0, 0, 1005, 642);
        editor = openEditorIn(*drums, host, [&](Editor& opening) { opening.setDialogs(&dialogs); });
        ASSERT_NE(editor, nullptr);
        automated.clear();
    }
    void TearDown() override {
        drums.reset();
        XDestroyWindow(x.display, host);
    }

    EditorViews& views() { return editor->getControls()->views(); }
    template <class T = toolkit::CControl>
    T* tagged(long tag) {
        return taggedIn<T>(*editor->getFrame(), tag);
    }
    TrackStripViews& strip(int track) { return views().strips[static_cast<std::size_t>(track)]; }
    // Sets a control as the user's change would and lets the editor hear it.
    void change(toolkit::CControl* control, float value) {
        ASSERT_NE(control, nullptr);
        control->setValue(value);
        editor->valueChanged(control);
    }
    // A momentary button pressed and let go.
    void click(toolkit::CControl* control) {
        change(control, 1.0f);
        change(control, 0.0f);
    }
    int current() const { return test::stateOf(*drums).currentPattern.load(); }
    StepRow<float>& velocities(int track) {
        return test::stateOf(*drums)
            .patterns[static_cast<std::size_t>(track)]
            .stepVelocity[static_cast<std::size_t>(current())];
    }
    // The planes of one track's row that the grid menu works on, for comparing.
    std::vector<float> rowOf(int track) {
        const TrackPatterns& planes = test::stateOf(*drums).patterns[static_cast<std::size_t>(track)];
        const auto p = static_cast<std::size_t>(current());
        std::vector<float> all(planes.stepVelocity[p].begin(), planes.stepVelocity[p].end());
        all.insert(all.end(), planes.stepHold[p].begin(), planes.stepHold[p].end());
        all.insert(all.end(), planes.stepTune.begin(), planes.stepTune.end());
        return all;
    }
    void chooseInGrid(int track, const std::string& entry) {
        controls::CVornPattern* grid = strip(track).steps;
        grid->popupMenu = answering(entry);
        ASSERT_TRUE(grid->openMenu(centreOf(*grid))) << entry;
    }
    void chooseInStripMenu(int track, const std::string& entry) {
        controls::CVornDrum* drum = strip(track).drum;
        int asked = 0;
        drum->popupMenu = answering(entry, &asked);
        rightClick(*drum);
        ASSERT_EQ(asked, 1) << entry;
    }

    XTestHost x;
    Window host = 0;
    ScriptedDialogs dialogs;
    std::unique_ptr<VornDrums> drums;
    Editor* editor = nullptr;
};

TEST_F(EditorCommands, TheTypedTempoIsHeldTo10To480AndShownAgain) {
    controls::CVornTextEdit* field = views().tempo;
    const auto type = [&](const std::string& text) {
        field->beginEditing();
        for (int i = 0; i < 8; ++i)
            field->onKeyDown(XK_BackSpace, {});
        for (const char c : text)
            field->onKeyDown(static_cast<unsigned char>(c), std::string(1, c));
        field->onKeyDown(XK_Return, {});
    };
    struct Case {
        const char* typed;
        int tempo;
    };
    for (const Case c : {Case{"5", 10}, {"1000", 480}, {"123", 123}, {"480", 480}, {"10", 10}, {"fast", 10}}) {
        type(c.typed);
        EXPECT_EQ(test::stateOf(*drums).tempo, c.tempo) << c.typed;
        EXPECT_EQ(field->getText(), std::to_string(c.tempo)) << c.typed;
    }
}

TEST_F(EditorCommands, StopClearsPlayingAndPlaySetsItAndLightsPlay) {
    change(views().stop, 1.0f);
    EXPECT_EQ(test::stateOf(*drums).playing.load(), 0);
    EXPECT_EQ(views().play->getValue(), 0.0f);
    EXPECT_EQ(views().stop->getValue(), 0.0f);
    // The release of Play is no second command: the instrument keeps playing.
    change(views().play, 1.0f);
    EXPECT_EQ(test::stateOf(*drums).playing.load(), 1);
    EXPECT_EQ(views().play->getValue(), 1.0f);
    // Stop's own release stops nothing.
    change(views().stop, 0.0f);
    EXPECT_EQ(test::stateOf(*drums).playing.load(), 1);

    // Play is a latching button: clicked while playing it goes out, yet the instrument starts
    // again from the beginning and Play stays lit.
    test::stateOf(*drums).restartRequested.store(false);
    controls::CVornPushButton* play = views().play;
    play->onMouseDown(centreOf(*play), toolkit::kLButton);
    play->onMouseUp(centreOf(*play), toolkit::kLButton);
    EXPECT_EQ(test::stateOf(*drums).playing.load(), 1);
    EXPECT_TRUE(test::stateOf(*drums).restartRequested.load());
    EXPECT_EQ(play->getValue(), 1.0f);
}

TEST_F(EditorCommands, AtMostOneTrackIsSoloedAndChoosingItAgainClearsTheSolo) {
    const auto lit = [&] {
        std::vector<int> tracks;
        for (int t = 0; t < drums->getTrackCount(); ++t)
            if (strip(t).solo->getValue() != 0.0f)
                tracks.push_back(t);
        return tracks;
    };
    change(strip(2).solo, 1.0f);
    EXPECT_EQ(test::stateOf(*drums).soloSelected, 1);
    EXPECT_EQ(test::stateOf(*drums).selectedTrack, 2);
    EXPECT_EQ(lit(), std::vector<int>{2});
    change(strip(5).solo, 1.0f);
    EXPECT_EQ(test::stateOf(*drums).selectedTrack, 5);
    EXPECT_EQ(lit(), std::vector<int>{5});
    change(strip(5).solo, 0.0f);
    EXPECT_EQ(test::stateOf(*drums).soloSelected, 0);
    EXPECT_TRUE(lit().empty());
}

TEST_F(EditorCommands, StripKnobsFadersAndMuteReachTheInstrumentThroughTheHost) {
    struct Case {
        int kind;
        int parameter;  // of the track's 20 host parameters
        float value;
    };
    const Case cases[] = {
        {et::kLevelKind, 0, 0.25f},         {et::kPanKind, 1, 0.75f},   {et::kSend1Kind, 2, 0.5f},
        {et::kSend2Kind, 3, 0.125f},        {et::kTuneKind, 4, 0.625f}, {et::kLevelVelocityKind, 5, 0.375f},
        {et::kTuneVelocityKind, 6, 0.875f}, {et::kMuteKind, 7, 1.0f},
    };
    const int track = 3;
    for (const Case& c : cases) {
        automated.clear();
        change(tagged(et::stripTag(track, c.kind)), c.value);
        const int index = track * kSlotsPerTrack + c.parameter;
        ASSERT_EQ(automated.size(), 1u) << c.kind;
        EXPECT_EQ(automated[0].first, index) << c.kind;
        EXPECT_FLOAT_EQ(automated[0].second, c.value) << c.kind;
        EXPECT_FLOAT_EQ(drums->getParameter(index), c.value) << c.kind;
    }
}

TEST_F(EditorCommands, ThePatternPanelSetsPatternLoopRangeModesSwingAndFill) {
    change(views().patternSelect, 5.0f);
    EXPECT_EQ(current(), 5);
    EXPECT_EQ(strip(0).steps->getPattern(), 5);  // the grids now edit pattern 5

    views().loopSelect->setRange(3, 6);
    change(views().loopSelect, 6.0f);
    for (int p = 0; p < kPatternCount; ++p)
        EXPECT_EQ(test::stateOf(*drums).chainEnabled[static_cast<std::size_t>(p)], p >= 3 && p <= 6 ? 1 : 0) << p;

    for (const auto& [control, mode] :
         {std::pair{views().randomMode, 2}, {views().loopMode, 0}, {views().chainMode, 1}}) {
        change(control, 1.0f);
        EXPECT_EQ(test::stateOf(*drums).playMode, mode);
        EXPECT_EQ(views().loopMode->getValue(), mode == 0 ? 1.0f : 0.0f) << mode;
        EXPECT_EQ(views().chainMode->getValue(), mode == 1 ? 1.0f : 0.0f) << mode;
        EXPECT_EQ(views().randomMode->getValue(), mode == 2 ? 1.0f : 0.0f) << mode;
    }

    for (const auto& [fader, value] : {std::pair{0.0f, 0}, {0.5f, 64}, {1.0f, 127}, {0.25f, 32}}) {
        change(views().swing, fader);
        EXPECT_EQ(test::stateOf(*drums).swing, value) << fader;
        change(views().fillAttenuation, fader);
        EXPECT_EQ(test::stateOf(*drums).fillAttenuation, value) << fader;
    }
}

TEST_F(EditorCommands, RotateTurnsEveryTracksCurrentPatternWithinItsStepCount) {
    for (const int n : {12, 16, 64}) {
        test::stateOf(*drums).patternSteps[static_cast<std::size_t>(current())] = n;
        for (int t = 0; t < 2; ++t)
            velocities(t).fill(0.0f);
        velocities(0)[0] = 100.0f;
        velocities(1)[static_cast<std::size_t>(n - 1)] = 50.0f;
        if (n < kMaxSteps)
            velocities(0)[static_cast<std::size_t>(n)] = 7.0f;  // past the pattern's end

        click(tagged(et::kRotateLeft));
        EXPECT_EQ(velocities(0)[static_cast<std::size_t>(n - 1)], 100.0f) << n;
        EXPECT_EQ(velocities(0)[0], 0.0f) << n;
        EXPECT_EQ(velocities(1)[static_cast<std::size_t>(n - 2)], 50.0f) << n;
        if (n < kMaxSteps) {
            EXPECT_EQ(velocities(0)[static_cast<std::size_t>(n)], 7.0f) << n;
        }
        EXPECT_EQ(strip(0).steps->getRow().velocity[static_cast<std::size_t>(n - 1)], 100.0f) << n;

        click(tagged(et::kRotateRight));
        click(tagged(et::kRotateRight));
        EXPECT_EQ(velocities(0)[1], 100.0f) << n;
        EXPECT_EQ(velocities(1)[0], 50.0f) << n;
        EXPECT_EQ(strip(1).steps->getRow().velocity[0], 50.0f) << n;
    }
}

TEST_F(EditorCommands, SoundOptionsGoToTheSelectedTrack) {
    change(strip(4).select, 1.0f);
    EXPECT_EQ(editor->getSelectedTrack(), 4);
    EXPECT_EQ(strip(4).select->getValue(), 1.0f);
    EXPECT_EQ(strip(0).select->getValue(), 0.0f);
    struct Case {
        toolkit::CControl* control;
        int slot;
    };
    for (const Case c :
         {Case{views().decay, tags::kOneShot}, {views().reverse, tags::kReverse}, {views().charley, tags::kChoke}}) {
        // Each option turned to the other state than the one the track starts with, and back.
        const float was = drums->getValue(tags::trackTag(4, c.slot)) != 0.0f ? 1.0f : 0.0f;
        const float otherTrack = drums->getValue(tags::trackTag(0, c.slot));
        change(c.control, 1.0f - was);
        EXPECT_EQ(drums->getValue(tags::trackTag(4, c.slot)), 1.0f - was) << c.slot;
        EXPECT_EQ(drums->getValue(tags::trackTag(0, c.slot)), otherTrack) << c.slot;
        change(c.control, was);
        EXPECT_EQ(drums->getValue(tags::trackTag(4, c.slot)), was) << c.slot;
    }
}

TEST_F(EditorCommands, TheKeyLabelShowsTheNoteSelectorAndAPickedNoteBecomesTheKey) {
    change(strip(2).select, 1.0f);
    test::stateOf(*drums).settings.trackKey[2] = 40.0f;
    const float keyOfTrack1 = test::stateOf(*drums).settings.trackKey[0];
    controls::CVornNoteSelect* selector = views().noteSelect;
    ASSERT_FALSE(selector->isVisible());
    change(views().keyLabel, 1.0f);
    EXPECT_TRUE(selector->isVisible());
    EXPECT_EQ(selector->getViewSize().left, Editor::kTrackKeyPanel.left);

    change(selector, 62.0f);
    EXPECT_EQ(test::stateOf(*drums).settings.trackKey[2], 62.0f);
    EXPECT_EQ(test::stateOf(*drums).settings.trackKey[0], keyOfTrack1);
    EXPECT_FALSE(selector->isVisible());
    EXPECT_EQ(views().keyLabel->getText(), controls::noteName(62));

    // No note picked: the key stays.
    change(views().keyLabel, 1.0f);
    change(selector, -1.0f);
    EXPECT_EQ(test::stateOf(*drums).settings.trackKey[2], 62.0f);
}

TEST_F(EditorCommands, RandomisationsDrawFromOneReferenceThatRestoreBringsBackUntilAHandEdit) {
    const int track = 2;
    for (int s = 0; s < 4; ++s)
        velocities(track)[static_cast<std::size_t>(s)] = 100.0f - 10.0f * static_cast<float>(s);
    const std::vector<float> before = rowOf(track);

    chooseInGrid(track, "Randomize Step");
    ASSERT_NE(rowOf(track), before) << "the draw left every hit where it was";
    // A change the grid did not make: no hand edit, so the reference stays; the next draw places
    // only the reference's hits.
    velocities(track)[15] = 33.0f;
    chooseInGrid(track, "Randomize Step");
    std::vector<float> drawn(velocities(track).begin(), velocities(track).begin() + 16);
    std::erase(drawn, 0.0f);
    std::sort(drawn.begin(), drawn.end());
    EXPECT_EQ(drawn, (std::vector<float>{70.0f, 80.0f, 90.0f, 100.0f}));
    EXPECT_EQ(strip(track).steps->getRow().velocity, velocities(track));

    chooseInGrid(track, "Restore");
    EXPECT_EQ(rowOf(track), before);

    // A hand edit drops the reference: Restore then has nothing to bring back.
    chooseInGrid(track, "Randomize Step");
    controls::CVornPattern* grid = strip(track).steps;
    const toolkit::CRect area = grid->geometry().stepsArea();
    int emptyStep = 0;
    while (velocities(track)[static_cast<std::size_t>(emptyStep)] != 0.0f)
        ++emptyStep;
    const toolkit::CPoint at{area.left + (2 * emptyStep + 1) * area.width() / 32, (area.top + area.bottom) / 2};
    grid->onMouseDown(at, toolkit::kLButton);
    grid->onMouseUp(at, toolkit::kLButton);
    ASSERT_NE(velocities(track)[static_cast<std::size_t>(emptyStep)], 0.0f) << "the click made no hit";
    const std::vector<float> edited = rowOf(track);
    chooseInGrid(track, "Restore");
    EXPECT_EQ(rowOf(track), edited);
    // The next randomisation starts from the edited row.
    chooseInGrid(track, "Randomize Step");
    chooseInGrid(track, "Restore");
    EXPECT_EQ(rowOf(track), edited);
}

TEST_F(EditorCommands, TheStripMenuCopiesAndPastesAndAStripDragCopiesTheWholeTrack) {
    const auto fill = [&](int track, float velocity) {
        for (std::size_t p = 0; p < kPatternCount; ++p)
            test::stateOf(*drums).patterns[static_cast<std::size_t>(track)].stepVelocity[p][p] = velocity;
    };
    const auto grids = [&](int track) {
        return test::stateOf(*drums).patterns[static_cast<std::size_t>(track)].stepVelocity;
    };
    fill(1, 90.0f);
    fill(6, 20.0f);
    const auto oneBefore = grids(1);
    const auto sixBefore = grids(6);

    chooseInStripMenu(6, "Paste");  // nothing copied yet
    EXPECT_EQ(grids(6), sixBefore);

    chooseInStripMenu(1, "Copy");
    EXPECT_EQ(grids(6), sixBefore);
    chooseInStripMenu(4, "Paste");
    EXPECT_EQ(grids(4), oneBefore);
    EXPECT_EQ(grids(1), oneBefore);
    EXPECT_EQ(strip(4).steps->getRow().velocity, oneBefore[static_cast<std::size_t>(current())]);

    // A drag from track 1's handle over track 3's row to track 6's.
    controls::CVornDrum* handle = strip(1).drum;
    const int x = centreOf(*handle).x;
    handle->onMouseDown(centreOf(*handle), toolkit::kLButton);
    handle->onMouseMoved({x, centreOf(*strip(3).drum).y}, toolkit::kLButton);
    handle->onMouseMoved({x, centreOf(*strip(6).drum).y}, toolkit::kLButton);
    EXPECT_TRUE(strip(1).steps->isHighlighted()) << "the source's grid";
    EXPECT_TRUE(strip(6).steps->isHighlighted()) << "the target's grid";
    EXPECT_FALSE(strip(3).steps->isHighlighted());
    handle->onMouseUp({x, centreOf(*strip(6).drum).y}, toolkit::kLButton);
    EXPECT_EQ(grids(6), oneBefore);
    EXPECT_EQ(grids(1), oneBefore);
    EXPECT_NE(grids(3), oneBefore);
    EXPECT_FALSE(strip(6).steps->isHighlighted());
    EXPECT_FALSE(strip(1).steps->isHighlighted());
}

TEST_F(EditorCommands, TheRandomButtonsGenerateClearAndKeepRandomKeystrokes) {
    const int track = 1;
    test::stateOf(*drums).tracks.randomMinDensity[track] = -1.0f;
    test::stateOf(*drums).tracks.randomMaxDensity[track] = 6.0f;  // the densest cell
    const auto randomHits = [&] {
        const StepRow<float>& hits = test::stateOf(*drums).patterns[track].randomHit;
        return static_cast<int>(std::count(hits.begin(), hits.begin() + 16, 1.0f));
    };
    click(tagged<controls::CVornPushButton>(et::kRandomGenerate));
    const int generated = randomHits();
    EXPECT_GT(generated, 0);
    EXPECT_EQ(test::stateOf(*drums).patterns[3].randomHit, StepRow<float>{});  // no settings, no keystrokes
    EXPECT_EQ(strip(track).steps->getRow().randomHit, test::stateOf(*drums).patterns[track].randomHit);

    click(tagged(et::kRandomReset));
    EXPECT_EQ(randomHits(), 0);
    EXPECT_EQ(strip(track).steps->getRow().randomHit, StepRow<float>{});

    click(tagged<controls::CVornPushButton>(et::kRandomGenerate));
    const StepRow<float> hits = test::stateOf(*drums).patterns[track].randomHit;
    click(tagged(et::kRandomSave));
    EXPECT_EQ(randomHits(), 0);
    for (std::size_t s = 0; s < 16; ++s)
        EXPECT_EQ(velocities(track)[s] != 0.0f, hits[s] == 1.0f) << s;

    // A right click on the random button switches the generation at each loop's start.
    const int autoBefore = test::stateOf(*drums).randomAuto;
    controls::CVornPushButton* generate = tagged<controls::CVornPushButton>(et::kRandomGenerate);
    rightClick(*generate);
    EXPECT_NE(test::stateOf(*drums).randomAuto, autoBefore);
}

// The range graph: a rectangle gives the tracks it covers its density range and new keystrokes;
// tracks neither rectangle covers lose their range and their keystrokes.
TEST_F(EditorCommands, TheRangeGraphGivesTheTracksItCoversTheirRangeAndClearsTheOthers) {
    for (int track = 0; track < 8; ++track) {
        test::stateOf(*drums).tracks.randomMinDensity[static_cast<std::size_t>(track)] = 6.0f;
        test::stateOf(*drums).patterns[static_cast<std::size_t>(track)].randomHit[0] = 1.0f;
    }
    controls::CVornRandomGraphCtrl* graph = views().randomGraph;
    ASSERT_NE(graph, nullptr);
    // Cell 3 (four keystrokes per 16 steps) for tracks int(8 x 0.95 x y): 0 to 3.
    const float cell3 = 3.0f / 6.5f + 0.001f;
    graph->setRect(0, {cell3, cell3, 0.0f, 0.5f});
    graph->setRect(1, {});  // the other rectangle covers nothing
    change(graph, 0.0f);
    const auto randomHits = [&](int track) {
        const StepRow<float>& hits = test::stateOf(*drums).patterns[static_cast<std::size_t>(track)].randomHit;
        return static_cast<int>(std::count(hits.begin(), hits.end(), 1.0f));
    };
    // Four keystrokes per 16 steps of the current pattern, where its own hits leave room.
    const int steps = test::stateOf(*drums).patternSteps[static_cast<std::size_t>(current())];
    for (int track = 0; track < 8; ++track) {
        const auto t = static_cast<std::size_t>(track);
        SCOPED_TRACE(track);
        if (track <= 3) {
            const auto hits = std::count_if(velocities(track).begin(), velocities(track).begin() + steps,
                                            [](float v) { return v != 0.0f; });
            EXPECT_EQ(static_cast<int>(test::stateOf(*drums).tracks.randomMinDensity[t]), 3);
            EXPECT_EQ(static_cast<int>(test::stateOf(*drums).tracks.randomMaxDensity[t]), 3);
            EXPECT_EQ(randomHits(track), std::min(steps * 4 / 16, steps - static_cast<int>(hits)));
        } else {
            EXPECT_EQ(test::stateOf(*drums).tracks.randomMinDensity[t], -1.0f);
            EXPECT_EQ(test::stateOf(*drums).tracks.randomMaxDensity[t], -1.0f);
            EXPECT_EQ(randomHits(track), 0);
        }
    }
}

// Through the frame, as the window hands on a click.
void clickAt(toolkit::CFrame& frame, toolkit::CPoint where, unsigned button = toolkit::kLButton) {
    frame.mouseDown(where, button);
    frame.mouseUp(where, button);
}

// The grids' scroll bar and autoscroll move what every grid shows and the page the strip menu's
// measure duplications work on; a later refresh of the strips keeps it.
TEST_F(EditorCommands, TheShownStepsFollowTheScrollBarAndAutoscrollAndSurviveARefresh) {
    toolkit::CFrame& frame = *editor->getFrame();
    const toolkit::CRect grid = strip(0).steps->getViewSize();
    const auto expectShown = [&](int firstStep) {
        for (int track = 0; track < drums->getTrackCount(); ++track)
            EXPECT_EQ(strip(track).steps->getScrollOffset(), firstStep) << "track " << track;
        EXPECT_EQ(views().patternPage->getValue(), static_cast<float>(firstStep / 16));
        EXPECT_EQ(editor->getDisplayedPage(), firstStep / 16);
    };
    for (int click = 0; click < 17; ++click)
        clickAt(frame, {grid.right - 5, grid.bottom - 3});  // the right arrow
    expectShown(17);
    chooseInStripMenu(1, "Copy");  // refreshes every strip
    expectShown(17);

    test::stateOf(*drums).settings.autoscroll = 1;
    test::stateOf(*drums).stepDisplay.push(
        {.step = 32, .timeMilliseconds = static_cast<double>(platform::tickMilliseconds()) - 1.0});
    editor->refresh();
    expectShown(32);
    // "Duplicate Measure 1" copies the first four steps of the page shown.
    velocities(2).fill(0.0f);
    velocities(2)[33] = 90.0f;
    chooseInStripMenu(2, "Duplicate Measure 1");
    for (const std::size_t copied : {37u, 41u, 45u})
        EXPECT_EQ(velocities(2)[copied], 90.0f) << copied;
    EXPECT_EQ(std::count(velocities(2).begin(), velocities(2).end(), 90.0f), 4);
}

// The random panel's MODE, GRAPH and PLAY switches store what they show at every click, off as
// well as on.
TEST_F(EditorCommands, TheRandomSwitchesStoreWhatTheyShowAtEveryClick) {
    struct Case {
        long tag;
        const std::int32_t* stored;
    };
    toolkit::CFrame& frame = *editor->getFrame();
    for (const Case c : {Case{et::kRandomModeButton, &test::stateOf(*drums).randomPerPattern},
                         Case{et::kRandomGraphButton, &test::stateOf(*drums).randomGraphVisible},
                         Case{et::kRandomPlay, &test::stateOf(*drums).randomAuto}}) {
        toolkit::CControl* button = tagged(c.tag);
        ASSERT_NE(button, nullptr);
        for (int click = 1; click <= 3; ++click) {
            clickAt(frame, centreOf(*button));
            EXPECT_EQ(*c.stored, click % 2) << "tag " << c.tag << ", click " << click;
            EXPECT_EQ(button->getValue() != 0.0f, click % 2 == 1) << "tag " << c.tag << ", click " << click;
        }
    }
}

// The range graph shows while its switch is lit; a drag of one rectangle's edge gives the tracks
// it covers its density range, and the tracks the other rectangle covers keep theirs.
TEST_F(EditorCommands, TheRangeGraphShowsWithItsSwitchAndADragSetsTheRangesOfTheTracksItCovers) {
    toolkit::CFrame& frame = *editor->getFrame();
    controls::CVornRandomGraphCtrl* graph = views().randomGraph;
    controls::CVornPushButton* graphSwitch = tagged<controls::CVornPushButton>(et::kRandomGraphButton);
    ASSERT_FALSE(graph->isVisible());
    for (int track = 4; track < 8; ++track)
        test::stateOf(*drums).tracks.randomMinDensity[static_cast<std::size_t>(track)] = 2.0f;
    clickAt(frame, centreOf(*graphSwitch));
    ASSERT_TRUE(graph->isVisible());

    // Eight tracks: the first rectangle covers tracks 0 to int(8 x y1 x 0.95), the second the rest.
    const toolkit::CRect box = graph->getViewSize();
    const controls::GraphRect first = graph->getRect(0);
    const int firstLast = static_cast<int>(8.0f * first.y1 * 0.95f);
    ASSERT_GE(firstLast, 1);
    const toolkit::CPoint edge{
        box.left + static_cast<int>(first.x1 * static_cast<float>(box.width())),
        box.top + static_cast<int>((first.y0 + first.y1) / 2.0f * static_cast<float>(box.height()))};
    frame.mouseDown(edge, toolkit::kLButton);
    frame.mouseMoved({box.right + 20, edge.y}, toolkit::kLButton);
    frame.mouseUp({box.right + 20, edge.y}, toolkit::kLButton);
    EXPECT_FLOAT_EQ(graph->getRect(0).x1, 1.0f);
    for (int track = 0; track < 8; ++track) {
        const auto t = static_cast<std::size_t>(track);
        if (track <= firstLast) {
            EXPECT_EQ(static_cast<int>(test::stateOf(*drums).tracks.randomMaxDensity[t]), 6) << track;
            EXPECT_EQ(strip(track).randomAmount->getRange().maximum, 6) << track;
        } else {
            EXPECT_EQ(test::stateOf(*drums).tracks.randomMinDensity[t], 2.0f) << track;
        }
    }

    // Switched off, it hides and a press where it was changes nothing.
    clickAt(frame, centreOf(*graphSwitch));
    EXPECT_FALSE(graph->isVisible());
    test::stateOf(*drums).tracks.randomMaxDensity[0] = 1.0f;
    frame.mouseDown(edge, toolkit::kLButton);
    frame.mouseMoved({box.left, edge.y}, toolkit::kLButton);
    frame.mouseUp({box.left, edge.y}, toolkit::kLButton);
    EXPECT_EQ(test::stateOf(*drums).tracks.randomMaxDensity[0], 1.0f);
}

// The two switches under the pattern panel put every grid in the hold-and-tune and short-hold
// modes, and the modes come back when the window reopens.
TEST_F(EditorCommands, TheStepEditSwitchesSetEveryGridsModesAndKeepThemAcrossAReopen) {
    toolkit::CFrame& frame = *editor->getFrame();
    clickAt(frame, centreOf(*views().holdTuneMode));
    for (int track = 0; track < 8; ++track) {
        EXPECT_TRUE(strip(track).steps->isLengthMode()) << track;
        EXPECT_FALSE(strip(track).steps->isShortHoldMode()) << track;
    }
    clickAt(frame, centreOf(*views().shortHoldMode));
    editor->close();
    ASSERT_TRUE(editor->open(reinterpret_cast<void*>(static_cast<std::uintptr_t>(host))));
    EXPECT_EQ(views().holdTuneMode->getValue(), 1.0f);
    EXPECT_EQ(views().shortHoldMode->getValue(), 1.0f);
    for (int track = 0; track < 8; ++track)
        EXPECT_TRUE(strip(track).steps->isShortHoldMode()) << track;
}

// A grid changes its own track's current pattern through the instrument's functions: a click,
// the right drags for velocity, rolls, tune (Shift) and hold (Shift), and a click on a random
// keystroke, which the render loop takes away.
TEST_F(EditorCommands, AGridsGesturesLandInItsTracksCurrentPattern) {
    toolkit::CFrame& frame = *editor->getFrame();
    const controls::GridGeometry geometry = strip(1).steps->geometry();
    const toolkit::CRect area = geometry.stepsArea();
    const int column = geometry.box.width() / controls::GridGeometry::kVisibleSteps;
    const int middle = (area.top + area.bottom) / 2;
    const auto onStep = [&](int step) {
        return toolkit::CPoint{geometry.box.left + step * column + column / 2, middle};
    };
    const auto rightDrag = [&](int step, int dx, int dy, unsigned keys) {
        const toolkit::CPoint from = onStep(step);
        frame.mouseDown(from, toolkit::kRButton | keys);
        frame.mouseMoved({from.x + dx, from.y + dy}, toolkit::kRButton | keys);
        frame.mouseUp({from.x + dx, from.y + dy}, toolkit::kRButton | keys);
    };
    const TrackPatterns& planes = drums->state().patterns[1];
    const auto p = static_cast<std::size_t>(current());

    clickAt(frame, onStep(2));
    rightDrag(2, 0, 20, 0);
    rightDrag(2, 25, 0, 0);
    rightDrag(2, 0, -30, toolkit::kShift);
    rightDrag(2, 50, 0, toolkit::kShift);
    EXPECT_EQ((PatternStep{planes.stepVelocity[p][2], planes.stepRoll[p][2], planes.stepHold[p][2]}),
              (PatternStep{.velocity = 107.0f, .roll = 2.0f, .hold = 2.0f}));
    EXPECT_FLOAT_EQ(planes.stepTune[2], 3.0f);

    test::stateOf(*drums).patterns[1].randomHit[6] = 1.0f;
    clickAt(frame, onStep(6));
    EXPECT_EQ(planes.randomHit[6], 0.0f);
    EXPECT_EQ(planes.stepVelocity[p][6], 0.0f);

    for (const std::size_t other : {0u, 2u}) {
        EXPECT_EQ(drums->state().patterns[other].stepVelocity[p], (StepRow<float>{})) << other;
    }
}

// The frame's own idle (its events, its redraw) runs only while the instrument counts its editor
// as open.
TEST_F(EditorCommands, TheFramesIdleRunsOnlyWhileTheInstrumentCountsItsEditorOpen) {
    const Window second = x.makeWindow(0, 0, 1005, 642);
    Editor other(*drums);  // not the instrument's editor
    ASSERT_TRUE(other.open(reinterpret_cast<void*>(static_cast<std::uintptr_t>(second))));
    toolkit::CView* view = taggedIn(*other.getFrame(), et::kPlay);
    ASSERT_NE(view, nullptr);
    view->invalid();
    other.idle();
    EXPECT_FALSE(view->isDirty()) << "the instrument's editor is open: the frame redraws";
    editor->close();
    view->invalid();
    other.idle();
    EXPECT_TRUE(view->isDirty()) << "the instrument's editor is closed: nothing is drawn";
    other.close();
    XDestroyWindow(x.display, second);
}

// The hosted plug-ins' own editors: a right click on an effect slot's label or on the synth
// sound's label shows the plug-in's window and a second one hides it; removing the plug-in, or
// choosing another track for the synth's, closes it.
TEST_F(EditorCommands, ARightClickOnASlotOrTheSynthSoundShowsAndHidesThePluginsEditor) {
    ASSERT_TRUE(drums->selectEffect(0, fixturePluginPath("fixture-editor")));
    ASSERT_TRUE(drums->loadSlot(VornDrums::kSynthSlot, fixturePluginPath("fixture-editor")));
    const PluginEditorWindows& windows = editor->getPluginWindows();
    CPlugin& send1 = *drums->slotPlugin(0);
    CPlugin& synth = *drums->slotPlugin(VornDrums::kSynthSlot);
    const auto rightClickTagged = [&](long tag) {
        auto* control = tagged<controls::CVornControlEx>(tag);
        auto* slot = tagged<toolkit::COptionMenu>(tag);
        toolkit::CControl* target = control ? static_cast<toolkit::CControl*>(control) : slot;
        ASSERT_NE(target, nullptr) << tag;
        rightClick(*target);
    };

    rightClickTagged(et::kFirstEffectSlot);
    EXPECT_TRUE(windows.isOpen(send1));
    rightClickTagged(et::kFirstEffectSlot);
    EXPECT_FALSE(windows.isOpen(send1));
    EXPECT_FALSE(send1.editorOpen());

    const auto popups = [&] {
        return std::count_if(dialogs.requests.begin(), dialogs.requests.end(),
                             [](const DialogRequest& request) { return request.kind == "popup"; });
    };
    rightClickTagged(et::kSynthPresetName);
    EXPECT_TRUE(windows.isOpen(synth));
    EXPECT_EQ(popups(), 0);
    rightClickTagged(et::kSynthPresetName);
    EXPECT_FALSE(windows.isOpen(synth));
    click(tagged(et::kSynthPresetName));  // a left click opens the synth's menu, not its editor
    EXPECT_EQ(popups(), 1);
    EXPECT_FALSE(windows.isOpen(synth));

    rightClickTagged(et::kSynthPresetName);
    change(strip(2).select, 1.0f);
    EXPECT_FALSE(windows.isOpen(synth));

    rightClickTagged(et::kFirstEffectSlot);
    ASSERT_TRUE(windows.isOpen(send1));
    drums->removeEffect(0);
    EXPECT_EQ(windows.openCount(), 0u);
}

VstIntPtr standaloneHost(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float) {
    return opcode == audioMasterVersion ? kStandaloneHostSignature : 0;
}

// --- undo and redo ----------------------------------------------------------------------------

class EditorUndo : public EditorCommands {
protected:
    Window frameWindow() { return editor->getFrame()->getWindow(); }
    // Keys as the server delivers them to the editor's window, each taken by the frame's idle.
    void press(KeySym key, unsigned state, int times, const std::function<bool()>& done) {
        for (int i = 0; i < times; ++i)
            x.sendKey(frameWindow(), key, state);
        ASSERT_TRUE(XTestHost::idleUntil([this] { editor->idle(); }, done));
    }
    // A left drag through the server: pressed at `from`, moved by `dy` in steps, released.
    void dragVertically(toolkit::CPoint from, int dy) {
        unsigned long time = 5000;
        x.sendButton(frameWindow(), ButtonPress, Button1, from.x, from.y, 0, time);
        for (int step = 1; step <= 8; ++step)
            x.sendMotion(frameWindow(), from.x, from.y + dy * step / 8, Button1Mask);
        x.sendButton(frameWindow(), ButtonRelease, Button1, from.x, from.y + dy, Button1Mask, time + 400);
        ASSERT_TRUE(XTestHost::idleUntil([this] { editor->idle(); },
                                         [this] { return !editor->getFrame()->pressInProgress(); }));
    }
    std::vector<std::uint8_t> chunk() { return drums->buildChunk(); }
};

TEST_F(EditorUndo, TwentyEditsUndoneGiveTheProgramBeforeAndRedoneTheProgramAfter) {
    for (int t = 0; t < 4; ++t)
        for (std::size_t s = 0; s < 16; s += static_cast<std::size_t>(t + 2))
            velocities(t)[s] = 90.0f + static_cast<float>(t);
    const std::vector<std::uint8_t> before = chunk();
    ASSERT_FALSE(drums->canUndo());

    const std::function<void()> edits[] = {
        [&] { change(tagged(et::stripTag(0, et::kLevelKind)), 0.3f); },
        [&] { change(tagged(et::stripTag(1, et::kPanKind)), 0.8f); },
        [&] { change(tagged(et::stripTag(2, et::kSend1Kind)), 0.6f); },
        [&] { change(tagged(et::stripTag(3, et::kTuneKind)), 0.7f); },
        [&] { change(tagged(et::stripTag(4, et::kMuteKind)), 1.0f); },
        [&] { change(views().swing, 0.25f); },
        [&] { change(views().fillAttenuation, 0.75f); },
        [&] {
            views().loopSelect->setRange(2, 5);
            change(views().loopSelect, 5.0f);
        },
        [&] { change(views().randomMode, 1.0f); },
        [&] { change(tagged(et::kTempo), 140.0f); },
        [&] { change(tagged(et::kMasterEqSwitch), 1.0f); },
        [&] { change(tagged(et::kReverse), 1.0f); },
        [&] { change(tagged(et::kPhase), 1.0f); },
        [&] { click(tagged(et::kRotateLeft)); },
        [&] { chooseInGrid(1, "Duplicate"); },
        [&] { chooseInGrid(2, "Clean"); },
        [&] { chooseInStripMenu(3, "Reset"); },
        [&] { chooseInStripMenu(1, "Duplicate Measure 1"); },
        [&] { change(tagged(et::stripTag(5, et::kLevelVelocityKind)), 0.2f); },
        [&] { change(tagged(et::stripTag(6, et::kSend2Kind)), 0.9f); },
    };
    std::size_t done = 0;
    for (const auto& edit : edits) {
        edit();
        ++done;
        ASSERT_EQ(drums->undoDepth(), done) << "edit " << done << " is not one step";
    }
    const std::vector<std::uint8_t> after = chunk();
    ASSERT_NE(after, before);

    press(XK_z, ControlMask, 20, [&] { return !drums->canUndo(); });
    EXPECT_EQ(chunk(), before);
    EXPECT_EQ(velocities(0)[2], 90.0f);
    press(XK_Z, ControlMask | ShiftMask, 10, [&] { return drums->undoDepth() == 10; });
    press(XK_y, ControlMask, 10, [&] { return !drums->canRedo(); });
    EXPECT_EQ(chunk(), after);
    // The controls show what came back.
    EXPECT_FLOAT_EQ(tagged(et::stripTag(0, et::kLevelKind))->getValue(), 0.3f);
}

TEST_F(EditorUndo, ADragIsOneStepAndTheGridMenuUndoesAndRedoesIt) {
    // Which of the grid menu's "Undo" and "Redo" can be chosen, as the menu pops up.
    const auto offered = [this] {
        toolkit::MenuModel shown;
        controls::CVornPattern* grid = strip(0).steps;
        grid->popupMenu = [&shown](const toolkit::MenuModel& menu, toolkit::CPoint) {
            shown = menu;
            return std::optional<toolkit::MenuChoice>();
        };
        grid->openMenu(centreOf(*grid));
        const toolkit::MenuEntry* undo = entryOf(shown, {"Undo"});
        const toolkit::MenuEntry* redo = entryOf(shown, {"Redo"});
        return std::pair{undo && !undo->disabled, redo && !redo->disabled};
    };
    EXPECT_EQ(offered(), std::pair(false, false));

    toolkit::CControl* level = tagged(et::stripTag(2, et::kLevelKind));
    const float start = test::stateOf(*drums).tracks.level[2];
    dragVertically(centreOf(*level), -60);
    const float dragged = test::stateOf(*drums).tracks.level[2];
    ASSERT_NE(dragged, start);
    EXPECT_EQ(drums->undoDepth(), 1u);
    EXPECT_EQ(offered(), std::pair(true, false));

    chooseInGrid(0, "Undo");
    EXPECT_EQ(test::stateOf(*drums).tracks.level[2], start);
    EXPECT_FLOAT_EQ(level->getValue(), start);
    EXPECT_EQ(offered(), std::pair(false, true));
    chooseInGrid(0, "Redo");
    EXPECT_EQ(test::stateOf(*drums).tracks.level[2], dragged);
    EXPECT_EQ(drums->undoDepth(), 1u);
}

TEST_F(EditorUndo, AProgramFromTheHostIsNotRecordedAndTheHistoryStaysUsable) {
    change(tagged(et::stripTag(1, et::kPanKind)), 0.9f);
    change(views().swing, 0.5f);
    const float swingEdited = static_cast<float>(test::stateOf(*drums).swing);

    // The host's program: another pan on track 1, another tempo, steps of its own.
    std::unique_ptr<VornDrums> other = eightTrackInstrument(recordingHost);
    test::stateOf(*other).tracks.pan[1] = 0.1f;
    test::stateOf(*other).tempo = 97;
    test::stateOf(*other).patterns[3].stepVelocity[0][5] = 70.0f;
    test::stateOf(*other).swing = static_cast<std::int32_t>(swingEdited);
    std::vector<std::uint8_t> program = other->buildChunk();
    ASSERT_EQ(drums->setChunk(program.data(), static_cast<VstInt32>(program.size()), false), 1);
    EXPECT_EQ(drums->undoDepth(), 2u);

    // Undoing the swing edit puts back only what that edit changed.
    press(XK_z, ControlMask, 1, [&] { return drums->undoDepth() == 1; });
    EXPECT_EQ(test::stateOf(*drums).swing, 0);
    EXPECT_EQ(test::stateOf(*drums).tempo, 97);
    EXPECT_EQ(test::stateOf(*drums).tracks.pan[1], 0.1f);
    EXPECT_EQ(test::stateOf(*drums).patterns[3].stepVelocity[0][5], 70.0f);
    press(XK_y, ControlMask, 1, [&] { return drums->undoDepth() == 2; });
    EXPECT_EQ(static_cast<float>(test::stateOf(*drums).swing), swingEdited);

    // The host automates track 1's level; undoing the pan edit of that track leaves the level.
    drums->setParameter(1 * kSlotsPerTrack, 0.33f);
    press(XK_z, ControlMask, 2, [&] { return !drums->canUndo(); });
    EXPECT_EQ(test::stateOf(*drums).tracks.level[1], 0.33f);
    EXPECT_NE(test::stateOf(*drums).tracks.pan[1], 0.9f);
    EXPECT_EQ(drums->undoDepth(), 0u);
}

TEST(EditHistory, KeepsItsNewestStepsAndANewStepForgetsWhatCouldBeRedone) {
    EditHistory history;
    EditState state;
    state.tracks.resize(1);
    for (std::size_t i = 0; i < EditHistory::kDepth + 10; ++i) {
        EditState next = state;
        next.globals.tempo = static_cast<std::int32_t>(i + 1);
        ASSERT_TRUE(history.record(state, next));
        state = next;
    }
    EXPECT_FALSE(history.record(state, state));  // nothing changed: no step
    EXPECT_EQ(history.undoDepth(), EditHistory::kDepth);
    const EditStep* undone = nullptr;
    for (std::size_t i = 0; i < EditHistory::kDepth; ++i)
        undone = history.undo();
    ASSERT_NE(undone, nullptr);
    EXPECT_EQ(undone->before.globals->tempo, 10);  // the oldest kept step went from 10 to 11
    EXPECT_EQ(history.undo(), nullptr);
    ASSERT_NE(history.redo(), nullptr);
    EditState other = state;
    other.tracks[0].key = 40.0f;
    EXPECT_TRUE(history.record(state, other));
    EXPECT_FALSE(history.canRedo());
    const EditStep* step = history.undo();
    ASSERT_NE(step, nullptr);
    ASSERT_EQ(step->before.tracks.size(), 1u);
    EXPECT_FALSE(step->before.globals.has_value());
}

// The standalone program's device menus offer what is there as the main menu pops up: a
// keyboard plugged in after the editor opened is listed without choosing anything first.
TEST(EditorDeviceMenus, TheMainMenuListsTheDevicesThereWhenItPopsUp) {
    XTestHost x;
    ASSERT_TRUE(x.connected()) << "no X server: run under tests/support/with-xvfb.sh";
    std::unique_ptr<VornDrums> drums = eightTrackInstrument(standaloneHost);
    ASSERT_NE(test::stateOf(*drums).standalone, 0);
    std::vector<std::string> keyboards{"Keys:out"};
    const Window host = x.makeWindow(0, 0, 1005, 642);
    Editor* editor = openEditorIn(*drums, host, [&](Editor& opening) {
        opening.setDeviceLists({.audioOutputs = [] { return std::vector<std::string>{"default"}; },
                                .midiInputs = [&keyboards] { return keyboards; }});
    });
    ASSERT_NE(editor, nullptr);
    keyboards.push_back("Later Keys:out");

    // The user: Escape on the pop-up once it shows.
    const Window root = DefaultRootWindow(x.display);
    const std::vector<Window> before = x.children(root);
    std::atomic<bool> dismissed{false};
    std::thread user([&] {
        XTestHost other;
        for (int round = 0; round < 200 && !dismissed.load(); ++round) {
            for (Window window : other.children(root))
                if (std::find(before.begin(), before.end(), window) == before.end()) {
                    other.sendKey(window, XK_Escape);
                    dismissed.store(true);
                }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
    });
    controls::CVornSwitchMenu* menu = editor->getControls()->views().mainMenu;
    ASSERT_NE(menu, nullptr);
    menu->onMouseDown(centreOf(*menu), toolkit::kLButton);
    user.join();
    EXPECT_TRUE(dismissed.load()) << "no pop-up showed";

    const std::vector<std::string> midi{"Audio/MIDI Settings", "MIDI Input Device"};
    for (const std::string& keyboard : keyboards) {
        std::vector<std::string> chain = midi;
        chain.push_back(keyboard);
        EXPECT_NE(entryOf(menu->getMenu(), chain), nullptr) << keyboard;
    }
    drums.reset();
    XDestroyWindow(x.display, host);
}

}  // namespace
}  // namespace rimba::test
