#include "plugin/editor/toolkit/gdiplus/CoverageMask.h"

#include <algorithm>
#include <cmath>

namespace rimba::toolkit::gdiplus {

CoverageMask::CoverageMask(int left, int top, int width, int height)
    : left(left),
      top(top),
      columns(std::max(width, 0)),
      rows(std::max(height, 0)),
      accumulated(static_cast<std::size_t>(columns + 2) * static_cast<std::size_t>(rows), 0.0) {}

void CoverageMask::addPolygon(const std::vector<MaskPoint>& points) {
    if (points.size() < 3)
        return;
    for (std::size_t i = 0; i < points.size(); ++i) {
        const MaskPoint& from = points[i];
        const MaskPoint& to = points[(i + 1) % points.size()];
        addEdge({from.x - left, from.y - top}, {to.x - left, to.y - top});
    }
}

// An edge left of the box covers its whole row to the right, as it would at the box's left side;
// one right of it covers nothing inside. So the edge is cut where it crosses either side and
// each piece moved onto the side it lies beyond.
void CoverageMask::addEdge(MaskPoint from, MaskPoint to) {
    const double right = columns;
    std::vector<double> cuts{0.0, 1.0};
    for (double side : {0.0, right}) {
        if ((from.x - side) * (to.x - side) < 0.0)
            cuts.push_back((side - from.x) / (to.x - from.x));
    }
    std::sort(cuts.begin(), cuts.end());
    for (std::size_t i = 0; i + 1 < cuts.size(); ++i) {
        const auto at = [&](double t) {
            return MaskPoint{std::clamp(from.x + (to.x - from.x) * t, 0.0, right), from.y + (to.y - from.y) * t};
        };
        addEdgeInside(at(cuts[i]), at(cuts[i + 1]));
    }
}

// The area between the edge and the box's right side, row by row, spread over the cells the
// edge passes through so that a row's running sum is each pixel's covered share.
void CoverageMask::addEdgeInside(MaskPoint from, MaskPoint to) {
    if (from.y == to.y)
        return;
    const double direction = from.y < to.y ? 1.0 : -1.0;
    if (from.y > to.y)
        std::swap(from, to);
    const double dxdy = (to.x - from.x) / (to.y - from.y);
    const int stride = columns + 2;
    const int firstRow = std::max(0, static_cast<int>(std::floor(from.y)));
    const int endRow = std::min(rows, static_cast<int>(std::ceil(to.y)));
    for (int y = firstRow; y < endRow; ++y) {
        const double rowTop = std::max<double>(y, from.y);
        const double rowBottom = std::min<double>(y + 1, to.y);
        const double share = (rowBottom - rowTop) * direction;
        const double xa = from.x + (rowTop - from.y) * dxdy;
        const double xb = from.x + (rowBottom - from.y) * dxdy;
        const double x0 = std::min(xa, xb);
        const double x1 = std::max(xa, xb);
        double* row = accumulated.data() + static_cast<std::ptrdiff_t>(y) * stride;
        const double x0floor = std::floor(x0);
        const int x0i = static_cast<int>(x0floor);
        const int x1i = static_cast<int>(std::ceil(x1));
        if (x1i <= x0i + 1) {
            // Within one pixel: the part right of the edge's middle.
            const double middle = 0.5 * (xa + xb) - x0floor;
            row[x0i] += share * (1.0 - middle);
            row[x0i + 1] += share * middle;
            continue;
        }
        // Across several pixels: a triangle in the first, trapezoids between, the rest after.
        const double slope = 1.0 / (x1 - x0);
        const double x0f = x0 - x0floor;
        const double firstArea = 0.5 * slope * (1.0 - x0f) * (1.0 - x0f);
        const double x1f = x1 - x1i + 1.0;
        const double lastArea = 0.5 * slope * x1f * x1f;
        row[x0i] += share * firstArea;
        if (x1i == x0i + 2) {
            row[x0i + 1] += share * (1.0 - firstArea - lastArea);
        } else {
            const double secondArea = slope * (1.5 - x0f);
            row[x0i + 1] += share * (secondArea - firstArea);
            for (int x = x0i + 2; x < x1i - 1; ++x)
                row[x] += share * slope;
            const double beforeLast = secondArea + (x1i - x0i - 3) * slope;
            row[x1i - 1] += share * (1.0 - beforeLast - lastArea);
        }
        row[x1i] += share * lastArea;
    }
}

std::vector<float> CoverageMask::coverage() const {
    std::vector<float> out(static_cast<std::size_t>(columns) * static_cast<std::size_t>(rows));
    const int stride = columns + 2;
    for (int y = 0; y < rows; ++y) {
        double sum = 0.0;
        for (int x = 0; x < columns; ++x) {
            sum += accumulated[static_cast<std::size_t>(y) * stride + x];
            out[static_cast<std::size_t>(y) * columns + x] = static_cast<float>(std::min(1.0, std::abs(sum)));
        }
    }
    return out;
}

}  // namespace rimba::toolkit::gdiplus
