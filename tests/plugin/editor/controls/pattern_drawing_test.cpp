// The step row as it is drawn: what a step holds shows in its cell, and the pixels that look like
// steps or like the scroll bar answer a click as what they look like. Drawn into an image
// surface, with no display.

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "plugin/editor/controls/VornPatternViews.h"
#include "plugin/editor/toolkit/DrawContext.h"
#include "tests/support/GridPlanesWriter.h"

namespace rimba::controls {
namespace {

using toolkit::CPoint;
using toolkit::rectOfSize;

// As the editor places it: 16 steps of 20 pixels over the scroll bar, 46 pixels in all.
constexpr int kWidth = 320;
constexpr int kHeight = 46;
constexpr int kTrack = 4;

std::size_t at(int index) { return static_cast<std::size_t>(index); }

struct Picture {
    std::vector<std::uint32_t> pixels;
    std::uint32_t at(int x, int y) const { return pixels[static_cast<std::size_t>(y * kWidth + x)]; }
};

// The grid over a ground of a colour nothing of the grid draws, so that undrawn pixels show.
Picture draw(CVornPattern& grid) {
    toolkit::COffscreen target(kWidth, kHeight);
    {
        std::unique_ptr<toolkit::CDrawContext> context = target.beginDrawing();
        context->setColour(0.0, 1.0, 0.0);
        context->paint();
        grid.draw(*context);
    }
    Picture picture;
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x)
            picture.pixels.push_back(target.pixelAt(x, y));
    return picture;
}

Picture drawRow(const PatternRowValues& row, int scrollOffset = 0) {
    CVornPattern grid(rectOfSize(0, 0, kWidth, kHeight), nullptr, 1, kTrack);
    grid.setScrollBar(true);
    grid.setRow(row);
    grid.setScrollOffset(scrollOffset);
    return draw(grid);
}

// The visible columns whose drawn step (the steps' rows, above the bar) differs between two
// pictures.
std::vector<int> changedColumns(const Picture& a, const Picture& b, int stepRows) {
    std::vector<int> columns;
    for (int column = 0; column < 16; ++column) {
        bool differs = false;
        for (int y = 0; y < stepRows && !differs; ++y)
            for (int x = column * 20; x < column * 20 + 20 && !differs; ++x)
                differs = a.at(x, y) != b.at(x, y);
        if (differs)
            columns.push_back(column);
    }
    return columns;
}

PatternRowValues plainHits() {
    PatternRowValues row;
    for (const int step : {0, 2, 5, 12})
        row.velocity[at(step)] = 100.0f;
    row.stepCount = 16;
    return row;
}

TEST(PatternDrawing, RollsHoldsAndTunesShowInTheirCellsAndAHoldRunsOverTheStepsItCovers) {
    const int stepRows = kHeight - GridGeometry::kScrollBarReach;
    struct Case {
        const char* what;
        int step;
        std::array<float, kMaxSteps> PatternRowValues::*field;
        float value;
        int stepCount, scrollOffset;
        std::vector<int> changed;  // visible columns that look different from the plain hits
    };
    const Case cases[] = {
        {"roll 3", 2, &PatternRowValues::roll, 3, 16, 0, {2}},
        {"hold 4", 5, &PatternRowValues::hold, 4, 16, 0, {5, 6, 7, 8}},
        {"hold 1", 5, &PatternRowValues::hold, 1, 16, 0, {}},
        {"hold 4 past the pattern's end", 5, &PatternRowValues::hold, 4, 7, 0, {5, 6}},
        {"hold 4 of a hit scrolled out", 5, &PatternRowValues::hold, 4, 64, 7, {0, 1}},
        {"hold 40 to the grid's edge", 5, &PatternRowValues::hold, 40, 64, 0, {5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15}},
        // A pattern file may give any finite number: beyond the grid's limits it draws as them.
        {"hold 3e9 to the grid's edge",
         5,
         &PatternRowValues::hold,
         3e9f,
         64,
         0,
         {5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15}},
        {"hold -3e9", 5, &PatternRowValues::hold, -3e9f, 64, 0, {}},
        {"roll 1e30 as 3", 2, &PatternRowValues::roll, 1e30f, 16, 0, {2}},
        {"tune +3", 12, &PatternRowValues::tune, 3, 16, 0, {12}},
        {"tune -5", 12, &PatternRowValues::tune, -5, 16, 0, {12}},
    };
    for (const Case& c : cases) {
        PatternRowValues plain = plainHits();
        plain.stepCount = c.stepCount;
        PatternRowValues shaped = plain;
        (shaped.*c.field)[at(c.step)] = c.value;
        EXPECT_EQ(changedColumns(drawRow(plain, c.scrollOffset), drawRow(shaped, c.scrollOffset), stepRows), c.changed)
            << c.what;
    }
    PatternRowValues rollOfThree = plainHits(), hugeRoll = plainHits();
    rollOfThree.roll[2] = 3.0f;
    hugeRoll.roll[2] = 1e30f;
    EXPECT_TRUE(changedColumns(drawRow(rollOfThree), drawRow(hugeRoll), stepRows).empty());
    // Two tunes read differently, not merely "tuned".
    PatternRowValues up = plainHits(), down = plainHits();
    up.tune[12] = 3.0f;
    down.tune[12] = -5.0f;
    EXPECT_EQ(changedColumns(drawRow(up), drawRow(down), stepRows), std::vector<int>{12});
}

// The row's own limits, whatever it is given: 1 to 64 steps, the loop within the 16 patterns and
// never ending before it starts, and a cell only for the 16 visible columns.
TEST(PatternViews, KeepTheirRowsLoopsAndColumnsWithinTheirLimits) {
    CVornPattern grid(rectOfSize(0, 0, kWidth, kHeight), nullptr, 1, kTrack);
    const std::pair<int, int> stepCounts[] = {{0, 1}, {-5, 1}, {1, 1}, {64, 64}, {65, 64}, {1000, 64}};
    for (const auto& [given, kept] : stepCounts) {
        PatternRowValues row = plainHits();
        row.stepCount = given;
        grid.setRow(row);
        EXPECT_EQ(grid.getRow().stepCount, kept) << given;
        TrackPatterns data{};
        test::GridPlanesWriter writer(data);
        grid.attachPatterns(&data, &writer, 0, given);
        EXPECT_EQ(grid.getRow().stepCount, kept) << given;
        grid.attachPatterns(nullptr, nullptr, 0, 16);
    }

    CVornLoopSelect loop(rectOfSize(0, 0, 160, 10), nullptr, 1);
    const std::array<std::array<int, 4>, 5> ranges{
        {{3, 9, 3, 9}, {9, 3, 9, 9}, {-2, 20, 0, 15}, {16, 0, 15, 15}, {0, 15, 0, 15}}};
    for (const auto& [first, last, keptFirst, keptLast] : ranges) {
        loop.setRange(first, last);
        EXPECT_EQ(loop.getFirst(), keptFirst) << first << ".." << last;
        EXPECT_EQ(loop.getLast(), keptLast) << first << ".." << last;
    }

    EXPECT_FALSE(grid.columnRect(-1));
    EXPECT_FALSE(grid.columnRect(16));
    ASSERT_TRUE(grid.columnRect(0));
    ASSERT_TRUE(grid.columnRect(15));
    EXPECT_EQ(grid.columnRect(15)->right, kWidth);
}

// Where the press lands: on a step (its velocity changed) or on the bar (a menu asked for, or the
// offset moved).
enum class Answer { step, bar, nothing };

Answer pressAt(CPoint where) {
    TrackPatterns data{};
    test::GridPlanesWriter writer(data);
    CVornPattern grid(rectOfSize(0, 0, kWidth, kHeight), nullptr, 1, kTrack);
    grid.setScrollBar(true);
    grid.attachPatterns(&data, &writer, 0, 16);
    bool menuAsked = false;
    grid.popupMenu = [&](const toolkit::MenuModel&, CPoint) -> std::optional<toolkit::MenuChoice> {
        menuAsked = true;
        return std::nullopt;
    };
    grid.onMouseDown(where, toolkit::kLButton);
    grid.onMouseUp(where, toolkit::kLButton);
    const bool stepChanged = data.stepVelocity[0][at(grid.geometry().stepAt(where.x, 0))] != 0.0f;
    if (stepChanged)
        return Answer::step;
    return menuAsked || grid.getScrollOffset() != 0 ? Answer::bar : Answer::nothing;
}

// Every row of pixels, at a step beside the thumb and at the right arrow: a pixel drawn as part of
// the step answers as the step, a pixel that answers as the bar is drawn by the bar.
TEST(PatternDrawing, EveryPixelAnswersAClickAsWhatItLooksLike) {
    PatternRowValues empty;
    PatternRowValues hit;
    const int column = 8;  // step 8: x 160..179, beside the thumb (x 22..90 at offset 0)
    hit.velocity[at(column)] = 127.0f;
    const Picture emptyPicture = drawRow(empty);
    const Picture hitPicture = drawRow(hit);
    CVornPattern barless(rectOfSize(0, 0, kWidth, kHeight), nullptr, 1, kTrack);
    barless.setRow(empty);
    const Picture noBar = draw(barless);
    int stepRows = 0, barRows = 0;
    for (const int x : {column * 20 + 10, kWidth - 8}) {
        for (int y = 0; y < kHeight; ++y) {
            // The bar's pixels are those that a grid without a bar does not draw alike.
            const bool drawnAsStep = emptyPicture.at(x, y) != hitPicture.at(x, y);
            const bool drawnAsBar = emptyPicture.at(x, y) != noBar.at(x, y);
            const Answer answer = pressAt({x, y});
            if (drawnAsStep) {
                EXPECT_EQ(answer, Answer::step) << x << "," << y << " looks like a step";
                ++stepRows;
            }
            if (answer == Answer::bar) {
                EXPECT_TRUE(drawnAsBar) << x << "," << y << " scrolls but does not look like the bar";
                ++barRows;
            }
            EXPECT_FALSE(drawnAsStep && drawnAsBar) << x << "," << y;
        }
    }
    // Both kinds are there: a picture that drew nothing could not fail the checks above.
    EXPECT_GE(stepRows, 16);
    EXPECT_EQ(barRows, 2 * GridGeometry::kScrollBarReach);
}

}  // namespace
}  // namespace rimba::controls
