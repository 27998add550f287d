// Text in the editor's typeface, DejaVu Sans, in both backends: its metrics and advances are the
// font's own (within the pixel cairo's hinting may round to), and glyphs sit on the baseline.

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>

#include "plugin/editor/toolkit/DrawContext.h"
#include "plugin/editor/toolkit/DrawingSession.h"

namespace rimba::test {
namespace {

using toolkit::CDrawContext;
using toolkit::COffscreen;
using toolkit::FontWeight;

// DejaVu Sans's design: 2048 units to the em, an ascent of 1901 and a descent of 483; "H", "e",
// "l" and "o" advance 1514, 1260, 569 and 1253 units.
constexpr double kUnits = 2048.0;
constexpr double kSize = 20.0;

struct InkRows {
    int top = -1;
    int bottom = -1;
    int lit = 0;
};

InkRows inkOf(const COffscreen& picture) {
    InkRows ink;
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x)
            if (picture.pixelAt(x, y) != 0) {
                if (ink.top < 0)
                    ink.top = y;
                ink.bottom = y;
                ++ink.lit;
            }
    return ink;
}

InkRows inkOfText(const std::string& text, double baseline, FontWeight weight = FontWeight::normal) {
    COffscreen picture(120, 50);
    std::unique_ptr<CDrawContext> context = picture.beginDrawing();
    context->setColour(0, 0, 0);
    context->paint();
    context->setColour(1, 1, 1);
    context->selectFont(kSize, weight);
    context->showText(4, baseline, text);
    context.reset();
    return inkOf(picture);
}

TEST(Text, MetricsAndAdvancesAreDejaVuSansAndMeasureTextAgrees) {
    toolkit::DrawingSession session;
    ASSERT_TRUE(session.available()) << session.whyUnavailable();
    COffscreen scratch(1, 1);
    std::unique_ptr<CDrawContext> context = scratch.beginDrawing();
    context->selectFont(kSize);
    const toolkit::CFontMetrics metrics = context->fontMetrics();
    EXPECT_NEAR(metrics.ascent, kSize * 1901 / kUnits, 1.0);
    EXPECT_NEAR(metrics.descent, kSize * 483 / kUnits, 1.0);

    const double hello = context->textAdvance("Hello");
    EXPECT_NEAR(hello, kSize * (1514 + 1260 + 569 + 569 + 1253) / kUnits, 2.0);
    EXPECT_NEAR(context->textAdvance("WW"), 2 * context->textAdvance("W"), 0.5);
    EXPECT_EQ(context->textAdvance(""), 0.0);
    // Trailing spaces move the pen too.
    EXPECT_GT(context->textAdvance("a  "), context->textAdvance("a") + 0.4 * kSize);
    // UTF-8: "é" is one glyph as wide as "e".
    EXPECT_NEAR(context->textAdvance("\xc3\xa9"), context->textAdvance("e"), 0.5);

    context->selectFont(kSize, FontWeight::bold);
    const double boldHello = context->textAdvance("Hello");
    EXPECT_GT(boldHello, hello + 2.0);

    EXPECT_NEAR(toolkit::measureText("Hello", kSize), hello, 0.01);
    EXPECT_NEAR(toolkit::measureText("Hello", kSize, FontWeight::bold), boldHello, 0.01);
}

TEST(Text, GlyphsSitOnTheBaselineInsideTheFontsAscentAndDescent) {
    toolkit::DrawingSession session;
    ASSERT_TRUE(session.available()) << session.whyUnavailable();
    constexpr double baseline = 30;
    COffscreen scratch(1, 1);
    std::unique_ptr<CDrawContext> context = scratch.beginDrawing();
    context->selectFont(kSize);
    const toolkit::CFontMetrics metrics = context->fontMetrics();

    // "H" stands on the baseline and rises its cap height (1493 units).
    const InkRows capital = inkOfText("H", baseline);
    ASSERT_GT(capital.lit, 20) << "no text drawn";
    EXPECT_NEAR(capital.bottom, baseline - 1, 1);
    EXPECT_NEAR(capital.top, baseline - kSize * 1493 / kUnits, 1.5);

    // Everything of "Hgjy" and "Ég" lies between baseline - ascent and baseline + descent.
    for (const std::string text : {"Hgjy", "\xc3\x89g", "|"}) {
        for (const FontWeight weight : {FontWeight::normal, FontWeight::bold}) {
            const InkRows ink = inkOfText(text, baseline, weight);
            ASSERT_GT(ink.lit, 0) << text;
            EXPECT_GE(ink.top, static_cast<int>(baseline - metrics.ascent) - 1) << text;
            EXPECT_LE(ink.bottom, static_cast<int>(baseline + metrics.descent) + 1) << text;
            EXPECT_GT(ink.bottom, baseline + 2) << text << " has no descender below the baseline";
        }
    }

    // Bold lights more pixels than normal.
    EXPECT_GT(inkOfText("Hello", baseline, FontWeight::bold).lit, inkOfText("Hello", baseline).lit);
}

}  // namespace
}  // namespace rimba::test
