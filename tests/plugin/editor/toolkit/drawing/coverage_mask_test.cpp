// The GDI+ backend's coverage mask (compiled into both builds' tests): every pixel's share is the
// area of the polygon inside it, whatever the polygon's slope, size or direction, and wherever it
// lies against the box.

#include <gtest/gtest.h>

#include <cmath>
#include <cstddef>
#include <random>
#include <vector>

#include "plugin/editor/toolkit/gdiplus/CoverageMask.h"

namespace rimba::test {
namespace {

using toolkit::gdiplus::CoverageMask;
using toolkit::gdiplus::MaskPoint;

double shoelaceArea(const std::vector<MaskPoint>& polygon) {
    double twice = 0;
    for (std::size_t i = 0; i < polygon.size(); ++i) {
        const MaskPoint& a = polygon[i];
        const MaskPoint& b = polygon[(i + 1) % polygon.size()];
        twice += a.x * b.y - b.x * a.y;
    }
    return std::abs(twice) / 2;
}

double sum(const std::vector<float>& coverage) {
    double total = 0;
    for (float share : coverage)
        total += share;
    return total;
}

TEST(CoverageMask, ATrianglesCoverageAddsUpToItsAreaInEitherDirectionAndEachShareIsWithinZeroAndOne) {
    std::mt19937 random(7);
    std::uniform_real_distribution<double> coordinate(0.0, 30.0);
    for (int i = 0; i < 200; ++i) {
        std::vector<MaskPoint> triangle{{coordinate(random), coordinate(random)},
                                        {coordinate(random), coordinate(random)},
                                        {coordinate(random), coordinate(random)}};
        if (i % 2)
            std::swap(triangle[0], triangle[1]);
        CoverageMask mask(0, 0, 30, 30);
        mask.addPolygon(triangle);
        const std::vector<float> coverage = mask.coverage();
        EXPECT_NEAR(sum(coverage), shoelaceArea(triangle), 1e-3) << "triangle " << i;
        for (float share : coverage) {
            ASSERT_GE(share, 0.0f);
            ASSERT_LE(share, 1.0f);
        }
    }
}

TEST(CoverageMask, ABoxSeesExactlyThePartOfAPolygonInsideIt) {
    // The same polygons in a large box and in a small one placed inside it, where the polygons
    // run out of the small box on every side.
    std::mt19937 random(11);
    std::uniform_real_distribution<double> coordinate(-10.0, 40.0);
    for (int i = 0; i < 100; ++i) {
        std::vector<MaskPoint> polygon;
        for (int corner = 0; corner < 5; ++corner)
            polygon.push_back({coordinate(random), coordinate(random)});
        CoverageMask large(-20, -20, 80, 80);
        CoverageMask small(8, 5, 12, 9);
        large.addPolygon(polygon);
        small.addPolygon(polygon);
        const std::vector<float> whole = large.coverage();
        const std::vector<float> part = small.coverage();
        for (int y = 0; y < 9; ++y)
            for (int x = 0; x < 12; ++x)
                ASSERT_NEAR(part[static_cast<std::size_t>(y * 12 + x)],
                            whole[static_cast<std::size_t>((y + 25) * 80 + x + 28)], 1e-4)
                    << "polygon " << i << " pixel " << x << "," << y;
    }
}

TEST(CoverageMask, EdgesOnPixelEdgesCoverWholePixelsAndHalfwayEdgesHalfOfThem) {
    CoverageMask mask(0, 0, 8, 4);
    mask.addPolygon({{1, 0}, {4, 0}, {4, 2}, {1, 2}});
    mask.addPolygon({{5.5, 1}, {7, 1}, {7, 4}, {5.5, 4}});
    const std::vector<float> coverage = mask.coverage();
    const std::vector<float> expected{0, 1, 1, 1, 0, 0,   0, 0,  //
                                      0, 1, 1, 1, 0, 0.5, 1, 0,  //
                                      0, 0, 0, 0, 0, 0.5, 1, 0,  //
                                      0, 0, 0, 0, 0, 0.5, 1, 0};
    EXPECT_EQ(coverage, expected);
    // A polygon wholly outside covers nothing; one around the box covers all of it.
    CoverageMask outside(0, 0, 4, 4);
    outside.addPolygon({{10, 10}, {20, 10}, {20, 20}});
    outside.addPolygon({{-5, 1}, {-1, 1}, {-1, 3}});
    EXPECT_EQ(sum(outside.coverage()), 0.0);
    CoverageMask around(0, 0, 4, 4);
    around.addPolygon({{-3, -3}, {9, -3}, {9, 9}, {-3, 9}});
    EXPECT_EQ(sum(around.coverage()), 16.0);
}

}  // namespace
}  // namespace rimba::test
