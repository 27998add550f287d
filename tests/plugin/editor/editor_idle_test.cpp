// The editor's idle work against a real instrument: meters passed on when they change, played
// steps shown when due, pages followed, and only the progress while a load runs.

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "common/platform/Clock.h"
#include "plugin/editor/Editor.h"
#include "plugin/editor/toolkit/Frame.h"
#include "tests/plugin/editor/OpenEditor.h"
// Xlib last: its macros clash with names in the headers above.
#include "tests/plugin/editor/toolkit/XTestHost.h"
#include "tests/support/InstrumentProbe.h"

namespace rimba::test {
namespace {

struct RecordingDisplay : EditorDisplay {
    void showProgress(float fraction) override { log.push_back("progress " + std::to_string(fraction)); }
    void hideProgress() override { log.push_back("progress done"); }
    void showMasterLevel(float level) override { log.push_back("master " + std::to_string(level)); }
    void showTrackLevel(int track, float level) override {
        log.push_back("level " + std::to_string(track) + " " + std::to_string(level));
    }
    void showPlayingStep(int step) override { log.push_back("step " + std::to_string(step)); }
    void showPage(int page) override { log.push_back("page " + std::to_string(page)); }
    std::vector<std::string> log;
};

TEST(EditorSize, FollowsTheTrackCount) {
    struct Case {
        int tracks;
        int height;
        const char* background;
    };
    for (const Case c : {Case{8, 642, "Background.png"}, Case{12, 850, "BackgroundLarge.png"}}) {
        EXPECT_EQ(Editor::sizeFor(c.tracks), (toolkit::CRect{0, 0, 1005, c.height})) << c.tracks;
        EXPECT_STREQ(Editor::backgroundFor(c.tracks), c.background) << c.tracks;
    }
}

class EditorIdle : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(x.connected()) << "no X server: run under tests/support/with-xvfb.sh";
        drums = eightTrackInstrument();
        host = x.makeWindow(0, 0, 1005, 642);
        editor = openEditorIn(*drums, host, [&](Editor& opening) { opening.setDisplay(&display); });
        ASSERT_NE(editor, nullptr);
        // The first idle passes every meter on once, the master's too.
        editor->refresh();
        ASSERT_EQ(display.log.size(), 9u);
        display.log.clear();
    }
    void TearDown() override {
        drums.reset();
        XDestroyWindow(x.display, host);
    }
    void setLevel(int track, float level) {
        test::stateOf(*drums).editorTrackLevels[static_cast<std::size_t>(track)].store(level);
    }
    void queueStep(int step, double dueMs) {
        test::stateOf(*drums).stepDisplay.push({.step = step, .timeMilliseconds = dueMs});
    }
    double now() const { return static_cast<double>(platform::tickMilliseconds()); }

    XTestHost x;
    Window host = 0;
    RecordingDisplay display;
    std::unique_ptr<VornDrums> drums;
    Editor* editor = nullptr;
};

TEST_F(EditorIdle, PassesOnOnlyTheMetersThatChanged) {
    setLevel(2, 0.5f);
    setLevel(7, 0.25f);
    editor->refresh();
    editor->refresh();
    EXPECT_EQ(display.log, (std::vector<std::string>{"level 2 0.500000", "level 7 0.250000"}));
}

TEST_F(EditorIdle, ShowsTheStepsThatAreDueAndFollowsThePageWithAutoscroll) {
    queueStep(15, now() - 50);
    queueStep(16, now() - 10);
    queueStep(17, now() + 60000);  // not yet
    editor->refresh();
    EXPECT_EQ(display.log, (std::vector<std::string>{"step 15", "step 16", "page 1"}));
    EXPECT_EQ(test::stateOf(*drums).stepDisplay.size(), 1u);

    display.log.clear();
    test::stateOf(*drums).settings.autoscroll = 0;
    test::stateOf(*drums).stepDisplay.discardQueued();
    queueStep(32, now() - 1);
    editor->refresh();
    EXPECT_EQ(display.log, (std::vector<std::string>{"step 32"}));

    display.log.clear();
    test::stateOf(*drums).settings.autoscroll = 1;
    test::stateOf(*drums).settings.stepAndVumeter = 0;
    queueStep(0, now() - 1);
    editor->refresh();
    // Off, the meters come to rest once and the playing step is no longer shown.
    std::vector<std::string> resting;
    for (int track = 0; track < drums->getTrackCount(); ++track)
        resting.push_back("level " + std::to_string(track) + " 0.000000");
    resting.push_back("master 0.000000");
    resting.push_back("page 0");
    EXPECT_EQ(display.log, resting);
    display.log.clear();
    setLevel(2, 0.5f);
    queueStep(16, now() - 1);
    editor->refresh();
    EXPECT_EQ(display.log, (std::vector<std::string>{"page 1"}));
}

TEST_F(EditorIdle, WhileALoadRunsOnlyTheProgressIsShown) {
    setLevel(1, 0.75f);
    queueStep(3, now() - 1);
    test::stateOf(*drums).handshake.loadsInProgress.store(1);
    editor->refresh();
    test::stateOf(*drums).handshake.loadsInProgress.store(0);
    EXPECT_EQ(display.log, (std::vector<std::string>{"progress 1.000000"}));
    EXPECT_EQ(test::stateOf(*drums).stepDisplay.size(), 1u);
    display.log.clear();
    editor->refresh();
    EXPECT_EQ(display.log, (std::vector<std::string>{"progress done", "level 1 0.750000", "step 3"}));
}

TEST_F(EditorIdle, AClosedEditorShowsNothingAndTheInstrumentsCloseTakesTheWindowDown) {
    editor->close();
    setLevel(1, 0.75f);
    editor->idle();
    editor->refresh();
    EXPECT_TRUE(display.log.empty());
    ASSERT_TRUE(editor->open(reinterpret_cast<void*>(static_cast<std::uintptr_t>(host))));
    EXPECT_EQ(x.children(host).size(), 1u);
    drums->close();
    EXPECT_FALSE(editor->isOpen());
    EXPECT_TRUE(x.children(host).empty());
}

// The editor's own controls, found on its frame by tag as a later layout will find them.
template <class T>
T* controlTagged(const Editor& editor, long tag) {
    toolkit::CFrame* frame = editor.getFrame();
    for (std::size_t i = 0; frame && i < frame->getNbViews(); ++i)
        if (auto* control = dynamic_cast<T*>(frame->getView(i)); control && control->getTag() == tag)
            return control;
    return nullptr;
}

TEST_F(EditorIdle, TheEditorsOwnControlsShowWhatTheIdleFinds) {
    editor->setDisplay(nullptr);
    test::stateOf(*drums).patterns[3].stepVelocity[0][4] = 100.0f;
    test::stateOf(*drums).patterns[3].stepVelocity[1][6] = 50.0f;
    auto* meter = controlTagged<controls::CVornVuMeterVert>(*editor, EditorControls::stripTag(3, 11));
    auto* master = controlTagged<controls::CVornVuMeter>(*editor, EditorControls::kMasterMeterTag);
    auto* row = controlTagged<controls::CVornPattern>(*editor, EditorControls::stripTag(3, 0));
    auto* progress = controlTagged<controls::CVornProgressBar>(*editor, -1);
    ASSERT_TRUE(meter && master && row && progress);
    EXPECT_FALSE(progress->isVisible());

    setLevel(3, 0.5f);
    test::stateOf(*drums).editorMasterRight.store(0.25f);
    queueStep(18, now() - 5);
    queueStep(16, now() - 1);
    editor->refresh();
    EXPECT_FLOAT_EQ(meter->getValue(), 0.5f);
    EXPECT_FLOAT_EQ(master->getValue(), 0.25f);
    EXPECT_EQ(row->getPlayingStep(), 16);
    EXPECT_EQ(row->getScrollOffset(), 16);
    EXPECT_EQ(row->getRow().velocity[4], 100.0f);

    // A chain moves the current pattern on: the row follows at the next idle.
    drums->choosePattern(1);
    editor->refresh();
    EXPECT_EQ(row->getRow().velocity[4], 0.0f);
    EXPECT_EQ(row->getRow().velocity[6], 50.0f);

    test::stateOf(*drums).handshake.loadsInProgress.store(1);
    editor->refresh();
    EXPECT_TRUE(progress->isVisible());
    test::stateOf(*drums).handshake.loadsInProgress.store(0);
    editor->refresh();
    EXPECT_FALSE(progress->isVisible());
}

}  // namespace
}  // namespace rimba::test
