#pragma once
// Points and rectangles in pixels, the toolkit's units. A rectangle includes its left and top
// edges and excludes its right and bottom ones.

#include <algorithm>

namespace rimba::toolkit {

struct CPoint {
    int x = 0;
    int y = 0;
    friend bool operator==(const CPoint&, const CPoint&) = default;
};

struct CRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    int width() const { return right - left; }
    int height() const { return bottom - top; }
    bool isEmpty() const { return right <= left || bottom <= top; }
    bool contains(CPoint p) const { return p.x >= left && p.x < right && p.y >= top && p.y < bottom; }
    CPoint centre() const { return {(left + right) / 2, (top + bottom) / 2}; }
    CRect offset(int dx, int dy) const { return {left + dx, top + dy, right + dx, bottom + dy}; }
    CRect intersection(const CRect& o) const {
        CRect r{std::max(left, o.left), std::max(top, o.top), std::min(right, o.right), std::min(bottom, o.bottom)};
        return r.isEmpty() ? CRect{} : r;
    }
    CRect united(const CRect& o) const {
        if (isEmpty())
            return o;
        if (o.isEmpty())
            return *this;
        return {std::min(left, o.left), std::min(top, o.top), std::max(right, o.right), std::max(bottom, o.bottom)};
    }
    friend bool operator==(const CRect&, const CRect&) = default;
};

inline CRect rectOfSize(int left, int top, int width, int height) { return {left, top, left + width, top + height}; }

}  // namespace rimba::toolkit
