// GDI+'s start, shared by everything that draws: a start that fails leaves drawing unavailable
// with the reason, and everything that draws then draws nothing instead of failing; once its
// holders are gone, the next start is a fresh one, typeface and all.

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>

#include "plugin/editor/toolkit/Bitmap.h"
#include "plugin/editor/toolkit/DrawContext.h"
#include "plugin/editor/toolkit/DrawingSession.h"
#include "plugin/editor/toolkit/gdiplus/GdiplusSession.h"
#include "tests/plugin/editor/toolkit/drawing/TestPngs.h"

namespace rimba::test {
namespace {

using namespace toolkit;

int litPixelsOfText(const std::string& text) {
    COffscreen picture(60, 30);
    {
        std::unique_ptr<CDrawContext> context = picture.beginDrawing();
        context->setColour(1, 1, 1);
        context->selectFont(16);
        context->showText(2, 20, text);
    }
    int lit = 0;
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x)
            lit += picture.pixelAt(x, y) != 0;
    return lit;
}

TEST(GdiplusStart, AFailedStartMakesDrawingUnavailableWithTheReasonAndDrawsNothing) {
    {
        // No GDI+ has an interface version 99.
        std::shared_ptr<gdiplus::Session> refused = gdiplus::Session::acquire(99);
        ASSERT_FALSE(refused->started());

        DrawingSession session;
        EXPECT_FALSE(session.available());
        EXPECT_NE(session.whyUnavailable().find("GDI+ did not start"), std::string::npos) << session.whyUnavailable();

        COffscreen picture(8, 8);
        {
            std::unique_ptr<CDrawContext> context = picture.beginDrawing();
            ASSERT_NE(context, nullptr);
            context->setColour(1, 1, 1);
            context->paint();
            context->selectFont(12);
            EXPECT_EQ(context->textAdvance("x"), 0.0);
            context->showText(1, 6, "x");
        }
        EXPECT_EQ(picture.pixelAt(3, 3), 0u);
        EXPECT_EQ(CBitmap::fromPng(pngs::kColours.data(), pngs::kColours.size()), nullptr);
        EXPECT_EQ(measureText("Hello", 12), 0.0);
        const std::string path = ::testing::TempDir() + "unstarted.png";
        EXPECT_FALSE(picture.writePng(path));
        EXPECT_EQ(std::fopen(path.c_str(), "rb"), nullptr);
    }
    // The refused start held nothing once let go: the next one starts GDI+ for real.
    DrawingSession session;
    EXPECT_TRUE(session.available()) << session.whyUnavailable();
    EXPECT_GT(litPixelsOfText("Hello"), 50);
}

TEST(GdiplusStart, ATypefaceThatDoesNotLoadDrawsNoTextAndEverythingElse) {
    // Bytes that are no font, and the first half of a real one.
    static const unsigned char noFont[64] = {};
    const gdiplus::EmbeddedFont damaged[2] = {{noFont, sizeof noFont},
                                              {gdiplus::kEmbeddedFonts[0].bytes, gdiplus::kEmbeddedFonts[0].size / 2}};
    for (const gdiplus::EmbeddedFont& font : damaged) {
        std::shared_ptr<gdiplus::Session> session = gdiplus::Session::acquire(1, {&font, 1});
        ASSERT_TRUE(session->started());
        EXPECT_EQ(session->typeface(), nullptr);
        EXPECT_EQ(litPixelsOfText("Hello"), 0);
        EXPECT_EQ(measureText("Hello", 12), 0.0);
        COffscreen picture(8, 8);
        {
            std::unique_ptr<CDrawContext> context = picture.beginDrawing();
            context->selectFont(12, FontWeight::bold);
            EXPECT_EQ(context->fontMetrics().ascent, 0.0);
            context->setColour(0, 1, 0);
            context->rectangle(1, 1, 3, 3);
            context->fill();
        }
        EXPECT_EQ(picture.pixelAt(2, 2), 0x00ff00u);
    }
}

TEST(GdiplusStart, SessionsShareOneStartAndAStartAfterTheLastHolderWentLoadsTheTypefaceAgain) {
    int first = 0;
    {
        DrawingSession one;
        DrawingSession two;
        ASSERT_TRUE(one.available());
        ASSERT_TRUE(two.available());
        EXPECT_EQ(gdiplus::Session::acquire().get(), gdiplus::Session::acquire().get());
        first = litPixelsOfText("Hello");
        EXPECT_GT(first, 50);
    }
    // Nothing holds GDI+ now: this drawing starts and ends a session of its own.
    EXPECT_EQ(litPixelsOfText("Hello"), first);
    EXPECT_EQ(litPixelsOfText("Hello"), first);
}

}  // namespace
}  // namespace rimba::test
