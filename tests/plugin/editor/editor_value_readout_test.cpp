// The value readout in the real editor: the pointer driven through the frame over the knobs and
// faders the editor built, the instrument changed through the host's parameters as a drag
// changes them, and the readout's text read back against the instrument's new value.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "plugin/editor/ControlValueText.h"
#include "plugin/editor/Editor.h"
#include "plugin/editor/toolkit/Frame.h"
#include "plugin/model/Tags.h"
#include "tests/plugin/editor/OpenEditor.h"
// Xlib last: its macros clash with names in the headers above.
#include "tests/plugin/editor/toolkit/XTestHost.h"
#include "tests/support/InstrumentProbe.h"

namespace rimba::test {
namespace {

using toolkit::CPoint;
using toolkit::CRect;

CPoint offset(CPoint where, int dx, int dy) { return {where.x + dx, where.y + dy}; }

bool contains(const CRect& outer, const CRect& inner) {
    return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
           inner.bottom <= outer.bottom;
}

CRect around(const CRect& a, const CRect& b) {
    return {std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right), std::max(a.bottom, b.bottom)};
}

class EditorValueReadout : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(x.connected()) << "no X server: run under tests/support/with-xvfb.sh";
        drums = eightTrackInstrument();
        host = x.makeWindow(0, 0, 1005, 642);
        editor = openEditorIn(*drums, host);
        ASSERT_NE(editor, nullptr);
        frame = editor->getFrame();
        readout = editor->getControls()->valueReadout();
        ASSERT_NE(readout, nullptr);
        frame->redraw();
    }
    void TearDown() override {
        drums.reset();
        XDestroyWindow(x.display, host);
    }

    EditorViews& views() { return editor->getControls()->views(); }
    float trackValue(tags::TrackSlot slot) const { return drums->getValue(tags::trackTag(0, slot)); }
    // Pressed at `from`, dragged to `to` through the frame as the window's events would be.
    void drag(CPoint from, CPoint to) {
        frame->mouseMoved(from, 0);
        frame->mouseDown(from, toolkit::kLButton);
        frame->mouseMoved(offset(from, (to.x - from.x) / 2, (to.y - from.y) / 2), toolkit::kLButton);
        frame->mouseMoved(to, toolkit::kLButton);
    }

    XTestHost x;
    std::unique_ptr<VornDrums> drums;
    Window host = 0;
    Editor* editor = nullptr;
    toolkit::CFrame* frame = nullptr;
    controls::CValueReadout* readout = nullptr;
};

TEST_F(EditorValueReadout, DraggingTrackOnesLevelWritesTheDecibelsOfItsNewGainBesideTheKnob) {
    controls::CVornKnob* level = views().strips[0].level;
    const float before = trackValue(tags::kLevel);
    drag(centreOf(*level), offset(centreOf(*level), 0, -12));

    const float after = trackValue(tags::kLevel);
    ASSERT_NE(after, before) << "the drag changed nothing";
    EXPECT_EQ(after, level->getValue());
    EXPECT_EQ(readout->getText(), levelText(after));
    // The number is the gain the track's voice now plays at.
    double written = 0.0;
    ASSERT_EQ(std::sscanf(readout->getText().c_str(), "%lf dB", &written), 1) << readout->getText();
    EXPECT_NEAR(written, 20.0 * std::log10(test::stateOf(*drums).voices[0].levelGain), 0.051);
    // Just above the knob, clear of it.
    const CRect& box = readout->getViewSize();
    EXPECT_LE(box.bottom, level->getViewSize().top);
    EXPECT_GE(box.top, level->getViewSize().top - 20);

    // Released away from the knob, the readout goes with the pointer.
    frame->mouseUp(offset(centreOf(*level), 0, -40), toolkit::kLButton);
    frame->mouseMoved(offset(centreOf(*level), 0, -40), 0);
    EXPECT_EQ(readout->getText(), "");
}

TEST_F(EditorValueReadout, DraggingATuneFaderWritesTheSemitonesTheTrackIsNowTunedBy) {
    controls::CVornTuneControl* tune = views().strips[0].tune;
    const CRect& r = tune->getViewSize();
    drag({(r.left + r.right) / 2, r.bottom - 4}, {(r.left + r.right) / 2, r.top + 8});

    const float after = trackValue(tags::kTune);
    ASSERT_GT(after, 0.0f) << "the drag changed nothing";
    EXPECT_EQ(readout->getText(), tuneText(after));
    double written = 0.0;
    ASSERT_EQ(std::sscanf(readout->getText().c_str(), "%lf st", &written), 1) << readout->getText();
    EXPECT_NEAR(written, 12.0 * std::log2(test::stateOf(*drums).tracks.tuneRatio[0]), 0.0051);
    frame->mouseUp({(r.left + r.right) / 2, r.top + 8}, toolkit::kLButton);
    EXPECT_EQ(readout->getText(), tuneText(after)) << "released over the fader, the pointer is still on it";
}

TEST_F(EditorValueReadout, DraggingSwingWritesHowLateOddStepsPlayAsAShareOfAStep) {
    controls::CVornFader* swing = views().swing;
    const CRect& r = swing->getViewSize();
    const int middle = r.top + 8;
    drag({r.left + 4, middle}, {r.left + r.width() * 3 / 4, middle});

    ASSERT_GT(test::stateOf(*drums).swing, 0) << "the drag changed nothing";
    // The sequencer delays odd steps by swing / 128 of a step.
    const auto share = static_cast<long>(std::lround(test::stateOf(*drums).swing * 100.0 / 128.0));
    EXPECT_EQ(readout->getText(), std::to_string(share) + " %");
    frame->mouseUp({r.left + r.width() * 3 / 4, middle}, toolkit::kLButton);
}

TEST_F(EditorValueReadout, HoveringShowsTheValueAndLeavingHidesIt) {
    controls::CVornKnob* pan = views().strips[0].pan;
    drums->setParameter(1, 0.4f);  // track 1's pan
    editor->getControls()->refreshTrack(0);

    frame->mouseMoved(centreOf(*pan), 0);
    EXPECT_EQ(readout->getText(), "30 L");
    // Onto a switch, which has no value to write.
    frame->mouseMoved(centreOf(*views().strips[0].mute), 0);
    EXPECT_EQ(readout->getText(), "");
    // Onto the master knob, then out of the window.
    frame->mouseMoved(centreOf(*views().masterLevel), 0);
    EXPECT_EQ(readout->getText(), masterLevelText(test::stateOf(*drums).settings.masterLevel));
    frame->mouseExitedWindow();
    EXPECT_EQ(readout->getText(), "");
}

TEST_F(EditorValueReadout, TheReadoutTakesNoClicksAndRepaintsOnlyItselfAndTheDraggedKnob) {
    controls::CVornKnob* send = views().strips[1].send1;
    frame->mouseMoved(centreOf(*send), 0);
    const CRect shownAt = readout->getViewSize();
    ASSERT_FALSE(shownAt.isEmpty());
    // It lies over track 1's strip: a click there goes to what is under it.
    const CPoint onIt{(shownAt.left + shownAt.right) / 2, (shownAt.top + shownAt.bottom) / 2};
    EXPECT_NE(frame->getViewAt(onIt), static_cast<toolkit::CView*>(readout));
    for (const CRect& painted : frame->redraw())
        EXPECT_TRUE(contains(shownAt, painted));

    drag(centreOf(*send), offset(centreOf(*send), 0, -10));
    ASSERT_NE(drums->getValue(tags::trackTag(1, tags::kSend1)), 0.0f);
    EXPECT_EQ(readout->getText(), sendText(drums->getValue(tags::trackTag(1, tags::kSend1))));
    // The box may have narrowed or widened with its text: the place it left is repainted too.
    const CRect allowed = around(around(shownAt, readout->getViewSize()), send->getViewSize());
    for (const CRect& painted : frame->redraw())
        EXPECT_TRUE(contains(allowed, painted));
    frame->mouseUp(offset(centreOf(*send), 0, -10), toolkit::kLButton);
}

}  // namespace
}  // namespace rimba::test
