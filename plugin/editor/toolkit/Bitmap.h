#pragma once
// Bitmaps loaded by name from the artwork embedded in the plug-in, decoded from PNG once per
// frame into premultiplied 32-bit pixels (0xAARRGGBB words in the machine's byte order, the form
// both cairo and GDI+ draw from). A film strip is one bitmap of frames stacked from top to
// bottom, all of the same height.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

#include "plugin/editor/toolkit/Geometry.h"

namespace rimba::toolkit {

class CDrawContext;

class CBitmap {
public:
    // nullptr when no artwork carries that name or its PNG does not decode.
    static std::shared_ptr<CBitmap> load(std::string_view name);
    // The decoder is the drawing backend's (libpng on Linux, GDI+ on Windows).
    static std::shared_ptr<CBitmap> fromPng(const unsigned char* bytes, std::size_t size);
    CBitmap(int width, int height, std::vector<std::uint32_t> premultipliedPixels);
    CBitmap(const CBitmap&) = delete;
    CBitmap& operator=(const CBitmap&) = delete;

    int getWidth() const { return width; }
    int getHeight() const { return height; }
    const std::uint32_t* pixels() const { return words.data(); }
    std::uint32_t pixelAt(int x, int y) const;  // 0 outside

    // Draws the whole bitmap, or frame `index` of `frameCount` equal frames, at `where`.
    void draw(CDrawContext& context, CPoint where) const;
    void drawFrame(CDrawContext& context, CPoint where, int index, int frameCount) const;

    // The backend's own image over the pixels, made at the first drawing and kept.
    std::shared_ptr<void>& backendImage() const { return backend; }

private:
    int width;
    int height;
    std::vector<std::uint32_t> words;
    mutable std::shared_ptr<void> backend;
};

}  // namespace rimba::toolkit
