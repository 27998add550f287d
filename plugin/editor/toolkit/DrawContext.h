#pragma once
// The toolkit's drawing context: everything a view, a control or a pop-up draws goes through
// it, so that the same drawing code serves every window system. Its model is a path and a source
// colour, as in PostScript: build a path (moveTo, lineTo, rectangle, arc), then fill, stroke or
// clip with it. Coordinates are in pixels with y growing downwards; a pixel's centre lies at +0.5,
// so a one-pixel line along a pixel row is drawn at y + 0.5.
//
// Two backends make contexts: cairo on Linux (toolkit/cairo/), GDI+ on Windows (toolkit/gdiplus/).
// Neither leaks into this header. Editor thread only.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "plugin/editor/toolkit/Geometry.h"

namespace rimba::toolkit {

class CBitmap;
class COffscreen;

// The typeface the whole editor writes in: DejaVu Sans. Linux finds it through fontconfig; the
// Windows build carries the font file, since Windows need not have it.
enum class FontWeight { normal, bold };

struct CFontMetrics {
    double ascent = 0.0;  // pixels above the baseline
    double descent = 0.0;  // pixels below it
};

class CDrawContext {
public:
    virtual ~CDrawContext() = default;

    // The colour, line width, font and clip, kept and brought back in pairs.
    virtual void save() = 0;
    virtual void restore() = 0;

    // Components from 0 to 1; alpha 1 is opaque.
    virtual void setColour(double red, double green, double blue, double alpha = 1.0) = 0;
    virtual void setLineWidth(double width) = 0;

    // The path.
    virtual void moveTo(double x, double y) = 0;
    virtual void lineTo(double x, double y) = 0;
    virtual void closePath() = 0;
    virtual void rectangle(double x, double y, double width, double height) = 0;
    void rectangle(const CRect& box) { rectangle(box.left, box.top, box.width(), box.height()); }
    // A circular arc from angle `from` to `to` (radians, growing clockwise on screen from the
    // positive x axis), joined to the path by a line from its current point.
    virtual void arc(double centreX, double centreY, double radius, double from, double to) = 0;

    // fill, stroke and clip use up the path; fillPreserve keeps it for a stroke that follows.
    virtual void fill() = 0;
    virtual void fillPreserve() = 0;
    virtual void stroke() = 0;
    // Narrows the clip to the path's inside.
    virtual void clip() = 0;
    void clipTo(const CRect& box) {
        rectangle(box);
        clip();
    }
    // Covers the whole clip with the colour.
    virtual void paint() = 0;

    // Draws `bitmap` (with its alpha) with its top left at `origin`, inside the clip only.
    virtual void drawBitmap(const CBitmap& bitmap, CPoint origin) = 0;

    // Text in the editor's typeface, `size` pixels high (the em), from a baseline.
    virtual void selectFont(double size, FontWeight weight = FontWeight::normal) = 0;
    virtual CFontMetrics fontMetrics() = 0;
    // How far the pen moves over `text` (UTF-8) in the selected font.
    virtual double textAdvance(std::string_view text) = 0;
    virtual void showText(double x, double baseline, std::string_view text) = 0;
};

// The width `text` takes in the editor's typeface, for layouts made before anything is drawn.
double measureText(std::string_view text, double size, FontWeight weight = FontWeight::normal);

// An opaque picture drawn off screen: the frame's and every pop-up's image, copied to a window
// rectangle by rectangle. Its pixels are 32-bit words 0x00RRGGBB in the machine's byte order,
// row after row, which both Xlib's 24-bit images and Windows' 32-bit DIBs take as they are.
class COffscreen {
public:
    COffscreen(int width, int height);  // black; sizes below 1 are taken as 1
    int width() const { return columns; }
    int height() const { return rows; }
    int stride() const { return columns * 4; }  // bytes from one row to the next
    std::uint32_t* pixels() { return words.data(); }
    const std::uint32_t* pixels() const { return words.data(); }
    std::uint32_t pixelAt(int x, int y) const;  // 0x00RRGGBB; 0 outside

    // A context that draws into the picture; the pixels are complete once it is destroyed.
    std::unique_ptr<CDrawContext> beginDrawing();
    // False (with nothing left behind under `path`) when the file cannot be written.
    bool writePng(const std::string& path) const;

private:
    int columns;
    int rows;
    std::vector<std::uint32_t> words;
};

}  // namespace rimba::toolkit
