#pragma once
// How much of each pixel of a box a set of polygons covers, as exact areas: the antialiasing
// cairo gives shapes, which GDI+ under Wine does not (it fills paths pixel by pixel, with no
// partial pixels; docs/notes/windows-editor.md). Integer coordinates lie on pixel edges, as in
// cairo. Overlapping polygons add up to full coverage at most, which for the toolkit's shapes
// (figures and the outlines GDI+ widens strokes into) is the non-zero winding rule.

#include <vector>

namespace rimba::toolkit::gdiplus {

struct MaskPoint {
    double x;
    double y;
};

class CoverageMask {
public:
    // A box `width` x `height` pixels whose top left pixel is at (left, top).
    CoverageMask(int left, int top, int width, int height);

    // A closed polygon: its last point joins its first.
    void addPolygon(const std::vector<MaskPoint>& points);
    // From 0 (untouched) to 1 (covered), the box's pixels row after row.
    std::vector<float> coverage() const;

    int width() const { return columns; }
    int height() const { return rows; }

private:
    void addEdge(MaskPoint from, MaskPoint to);
    void addEdgeInside(MaskPoint from, MaskPoint to);

    int left;
    int top;
    int columns;
    int rows;
    // Each pixel's signed share of the edges' area; a row's running sum is its coverage. Two
    // columns more than the box, for the cells just right of an edge at its right side.
    std::vector<double> accumulated;
};

}  // namespace rimba::toolkit::gdiplus
