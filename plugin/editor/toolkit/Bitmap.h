#pragma once
// Bitmaps loaded by name from the artwork embedded in the plug-in, decoded from PNG once per
// frame and kept as cairo image surfaces. A film strip is one bitmap of frames stacked from top
// to bottom, all of the same height.

#include <cairo.h>

#include <memory>
#include <string>
#include <string_view>

#include "plugin/editor/toolkit/Geometry.h"

namespace rimba::toolkit {

class CBitmap {
public:
    // nullptr when no artwork carries that name or its PNG does not decode.
    static std::shared_ptr<CBitmap> load(std::string_view name);
    static std::shared_ptr<CBitmap> fromPng(const unsigned char* bytes, std::size_t size);
    ~CBitmap();
    CBitmap(const CBitmap&) = delete;
    CBitmap& operator=(const CBitmap&) = delete;

    int getWidth() const;
    int getHeight() const;
    cairo_surface_t* surface() const { return image; }

    // Draws the whole bitmap, or frame `index` of `frameCount` equal frames, at `where`.
    void draw(cairo_t* context, CPoint where) const;
    void drawFrame(cairo_t* context, CPoint where, int index, int frameCount) const;

private:
    explicit CBitmap(cairo_surface_t* image);
    cairo_surface_t* image;
};

}  // namespace rimba::toolkit
