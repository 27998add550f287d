#include "plugin/editor/toolkit/TooltipTracker.h"

#include <gtest/gtest.h>

namespace rimba::toolkit {
namespace {

using Change = TooltipTracker::Change;

// Views are compared by address only; any distinct addresses will do.
const CView* const kKnob = reinterpret_cast<const CView*>(0x1000);
const CView* const kFader = reinterpret_cast<const CView*>(0x2000);

TEST(TooltipTracker, ShowsOnlyAfterThePointerRestsForTheDelay) {
    TooltipTracker tracker;
    tracker.pointerMoved(kKnob, {5, 5}, 1000);
    EXPECT_EQ(tracker.idle(1000 + kTooltipDelayMs - 1), Change::none);
    tracker.pointerMoved(kKnob, {6, 5}, 1300);  // still moving: the wait starts again
    EXPECT_EQ(tracker.idle(1000 + kTooltipDelayMs), Change::none);
    EXPECT_EQ(tracker.idle(1300 + kTooltipDelayMs), Change::show);
    EXPECT_EQ(tracker.idle(1300 + 2 * kTooltipDelayMs), Change::none);  // shown once
    EXPECT_EQ(tracker.pointerMoved(kKnob, {7, 5}, 2500), Change::none);  // moving within the view keeps it
    EXPECT_EQ(tracker.pointerMoved(kFader, {50, 5}, 2600), Change::hide);
    EXPECT_EQ(tracker.target(), kFader);
}

TEST(TooltipTracker, CountsAcrossTheWrapOfTheMillisecondTick) {
    TooltipTracker tracker;
    tracker.pointerMoved(kKnob, {5, 5}, 0xFFFFFF00u);
    EXPECT_EQ(tracker.idle(0xFFFFFF00u + 100), Change::none);
    EXPECT_EQ(tracker.idle(0xFFFFFF00u + kTooltipDelayMs), Change::show);  // wrapped past zero
}

TEST(TooltipTracker, AClickHidesItUntilThePointerLeavesAndARemovedViewHidesIt) {
    TooltipTracker tracker;
    tracker.pointerMoved(kKnob, {5, 5}, 0);
    ASSERT_EQ(tracker.idle(kTooltipDelayMs), Change::show);
    EXPECT_EQ(tracker.pointerPressed(), Change::hide);
    EXPECT_EQ(tracker.idle(10 * kTooltipDelayMs), Change::none);
    tracker.pointerMoved(nullptr, {500, 5}, 7000);
    tracker.pointerMoved(kKnob, {5, 5}, 7000);
    ASSERT_EQ(tracker.idle(7000 + kTooltipDelayMs), Change::show);
    EXPECT_EQ(tracker.viewRemoved(kFader), Change::none);
    EXPECT_EQ(tracker.viewRemoved(kKnob), Change::hide);
    EXPECT_EQ(tracker.idle(20000), Change::none);
}

TEST(TooltipLines, CarriageReturnLineFeedAndLineFeedBreakLines) {
    EXPECT_EQ(tooltipLines("Pour modifier,\r\n déplacez"), (std::vector<std::string>{"Pour modifier,", " déplacez"}));
    EXPECT_EQ(tooltipLines("a\nb\r\n"), (std::vector<std::string>{"a", "b", ""}));
    EXPECT_EQ(tooltipLines("one\rline"), (std::vector<std::string>{"one\rline"}));
}

}  // namespace
}  // namespace rimba::toolkit
