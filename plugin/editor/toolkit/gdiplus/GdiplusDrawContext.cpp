// The Windows drawing backend: contexts, text measurement and PNG writing with GDI+, drawing as
// the cairo backend does. cairo puts integer coordinates on pixel edges, so a one-pixel line at
// y + 0.5 covers exactly one row; the contexts set GDI+'s pixel offset to half a pixel, the same
// grid, for images and text. Shapes are antialiased as cairo draws them, by our own coverage mask
// (CoverageMask.h): GDI+ under Wine fills paths without antialiasing. GDI+ builds and flattens the
// paths, widens strokes into outlines, and lays the covered pixels down through its clip; text is
// GDI+'s own, antialiased; bitmaps are copied pixel for pixel.

#include "plugin/editor/toolkit/gdiplus/GdiplusSession.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numbers>
#include <optional>
#include <string>
#include <vector>

#include "common/platform/Files.h"

#include "plugin/editor/toolkit/Bitmap.h"
#include "plugin/editor/toolkit/DrawContext.h"
#include "plugin/editor/toolkit/gdiplus/CoverageMask.h"

namespace rimba::toolkit {

namespace {

using gdiplus::Session;

std::wstring widened(std::string_view utf8) {
    if (utf8.empty())
        return {};
    const int length = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    if (length <= 0)
        return {};
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(), length);
    return wide;
}

BYTE channel(double value) { return static_cast<BYTE>(std::lround(std::clamp(value, 0.0, 1.0) * 255.0)); }

Gdiplus::PointF pointAt(double x, double y) { return {static_cast<Gdiplus::REAL>(x), static_cast<Gdiplus::REAL>(y)}; }

// How far a flattened curve may stray from the true one, in pixels.
constexpr Gdiplus::REAL kFlatness = 0.1f;

// The figures of a flattened path as closed polygons (a fill closes every figure).
std::vector<std::vector<gdiplus::MaskPoint>> polygonsOf(const Gdiplus::GraphicsPath& flat) {
    const INT count = flat.GetPointCount();
    std::vector<std::vector<gdiplus::MaskPoint>> polygons;
    if (count <= 0)
        return polygons;
    std::vector<Gdiplus::PointF> points(static_cast<std::size_t>(count));
    std::vector<BYTE> types(static_cast<std::size_t>(count));
    if (flat.GetPathPoints(points.data(), count) != Gdiplus::Ok ||
        flat.GetPathTypes(types.data(), count) != Gdiplus::Ok)
        return polygons;
    for (std::size_t i = 0; i < points.size(); ++i) {
        if ((types[i] & Gdiplus::PathPointTypePathTypeMask) == Gdiplus::PathPointTypeStart || polygons.empty())
            polygons.emplace_back();
        polygons.back().push_back({points[i].X, points[i].Y});
    }
    return polygons;
}

struct PixelBox {
    int left;
    int top;
    int right;
    int bottom;
    bool empty() const { return right <= left || bottom <= top; }
};

PixelBox boxAround(const std::vector<std::vector<gdiplus::MaskPoint>>& polygons) {
    double left = 1e9, top = 1e9, right = -1e9, bottom = -1e9;
    for (const auto& polygon : polygons)
        for (const gdiplus::MaskPoint& point : polygon) {
            left = std::min(left, point.x);
            top = std::min(top, point.y);
            right = std::max(right, point.x);
            bottom = std::max(bottom, point.y);
        }
    const auto whole = [](double value) { return static_cast<int>(std::clamp(value, -1e6, 1e6)); };
    return {whole(std::floor(left)), whole(std::floor(top)), whole(std::ceil(right)), whole(std::ceil(bottom))};
}

// The box a single polygon fills exactly, when it is a rectangle on whole pixels (most of what the
// editor fills, and every paint): such a fill needs no coverage mask, since every pixel is wholly
// in or out.
std::optional<PixelBox> wholePixelRectangle(const std::vector<std::vector<gdiplus::MaskPoint>>& polygons) {
    if (polygons.size() != 1)
        return std::nullopt;
    std::vector<gdiplus::MaskPoint> corners;
    for (const gdiplus::MaskPoint& point : polygons.front())
        if (corners.empty() || point.x != corners.back().x || point.y != corners.back().y)
            corners.push_back(point);
    if (corners.size() == 5 && corners.front().x == corners.back().x && corners.front().y == corners.back().y)
        corners.pop_back();
    if (corners.size() != 4)
        return std::nullopt;
    for (std::size_t i = 0; i < 4; ++i) {
        const gdiplus::MaskPoint& a = corners[i];
        const gdiplus::MaskPoint& b = corners[(i + 1) % 4];
        if (a.x != std::round(a.x) || a.y != std::round(a.y) || (a.x != b.x && a.y != b.y))
            return std::nullopt;
    }
    const PixelBox box = boxAround(polygons);
    // Four corners with straight sides between them and two of each coordinate: a rectangle.
    for (const gdiplus::MaskPoint& corner : corners)
        if ((corner.x != box.left && corner.x != box.right) || (corner.y != box.top && corner.y != box.bottom))
            return std::nullopt;
    return box;
}

PixelBox overlap(const PixelBox& a, const PixelBox& b) {
    return {std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right), std::min(a.bottom, b.bottom)};
}

// The bitmap's pixels as a GDI+ bitmap, made at its first drawing and kept beside it. It holds
// the session, since GDI+ must outlive its objects.
struct BitmapImage {
    std::shared_ptr<Session> session;
    std::unique_ptr<Gdiplus::Bitmap> image;
};

Gdiplus::Bitmap* imageOf(const CBitmap& bitmap, const std::shared_ptr<Session>& session) {
    std::shared_ptr<void>& kept = bitmap.backendImage();
    if (!kept) {
        auto made = std::make_shared<BitmapImage>();
        made->session = session;
        made->image = std::make_unique<Gdiplus::Bitmap>(
            bitmap.getWidth(), bitmap.getHeight(), bitmap.getWidth() * 4, PixelFormat32bppPARGB,
            reinterpret_cast<BYTE*>(const_cast<std::uint32_t*>(bitmap.pixels())));
        if (made->image->GetLastStatus() != Gdiplus::Ok)
            return nullptr;
        kept = std::move(made);
    }
    return static_cast<BitmapImage*>(kept.get())->image.get();
}

struct FontChoice {
    double size = 10.0;
    FontWeight weight = FontWeight::normal;
};

// What save() keeps beside GDI+'s own state (the clip).
struct SavedState {
    Gdiplus::GraphicsState graphics;
    Gdiplus::Color colour;
    double lineWidth;
    FontChoice font;
};

class GdiplusDrawContext final : public CDrawContext {
public:
    GdiplusDrawContext(std::shared_ptr<Session> running, std::unique_ptr<Gdiplus::Bitmap> target)
        : session(std::move(running)),
          surface(std::move(target)),
          graphics(Gdiplus::Graphics::FromImage(surface.get())),
          path(std::make_unique<Gdiplus::GraphicsPath>(Gdiplus::FillModeWinding)),
          typographic(Gdiplus::StringFormat::GenericTypographic()) {
        if (!graphics)
            return;
        // Shapes are antialiased by our coverage mask; GDI+ itself fills only whole pixels.
        graphics->SetSmoothingMode(Gdiplus::SmoothingModeNone);
        graphics->SetPixelOffsetMode(Gdiplus::PixelOffsetModeHalf);
        graphics->SetInterpolationMode(Gdiplus::InterpolationModeNearestNeighbor);
        graphics->SetTextRenderingHint(Gdiplus::TextRenderingHintAntiAlias);
        graphics->SetCompositingMode(Gdiplus::CompositingModeSourceOver);
        graphics->SetPageUnit(Gdiplus::UnitPixel);
        typographic.SetFormatFlags(typographic.GetFormatFlags() | Gdiplus::StringFormatFlagsMeasureTrailingSpaces |
                                   Gdiplus::StringFormatFlagsNoWrap);
    }
    ~GdiplusDrawContext() override {
        if (graphics)
            graphics->Flush(Gdiplus::FlushIntentionSync);
        // GDI+'s objects before the session that holds GDI+ up.
        font.reset();
        path.reset();
        graphics.reset();
        surface.reset();
    }
    GdiplusDrawContext(const GdiplusDrawContext&) = delete;
    GdiplusDrawContext& operator=(const GdiplusDrawContext&) = delete;

    bool ready() const { return graphics && graphics->GetLastStatus() == Gdiplus::Ok; }

    void save() override { saved.push_back({graphics->Save(), colour, lineWidth, fontChoice}); }
    void restore() override {
        if (saved.empty())
            return;
        const SavedState state = saved.back();
        saved.pop_back();
        graphics->Restore(state.graphics);
        colour = state.colour;
        lineWidth = state.lineWidth;
        if (state.font.size != fontChoice.size || state.font.weight != fontChoice.weight) {
            fontChoice = state.font;
            font.reset();
        }
    }
    void setColour(double red, double green, double blue, double alpha) override {
        colour = Gdiplus::Color(channel(alpha), channel(red), channel(green), channel(blue));
    }
    void setLineWidth(double width) override { lineWidth = width; }

    // GDI+ paths have no current point of their own: it is kept here, and a moveTo starts a
    // figure that the next segment opens.
    void moveTo(double x, double y) override {
        path->StartFigure();
        current = pointAt(x, y);
        figureStart = current;
        hasCurrent = true;
    }
    void lineTo(double x, double y) override {
        const Gdiplus::PointF to = pointAt(x, y);
        if (!hasCurrent) {
            moveTo(x, y);
            return;
        }
        path->AddLine(current, to);
        current = to;
    }
    void closePath() override {
        path->CloseFigure();
        current = figureStart;
    }
    void rectangle(double x, double y, double width, double height) override {
        path->StartFigure();
        path->AddLine(pointAt(x, y), pointAt(x + width, y));
        path->AddLine(pointAt(x + width, y), pointAt(x + width, y + height));
        path->AddLine(pointAt(x + width, y + height), pointAt(x, y + height));
        path->CloseFigure();
        current = figureStart = pointAt(x, y);
        hasCurrent = true;
    }
    void arc(double centreX, double centreY, double radius, double from, double to) override {
        // As cairo: the end angle is taken past the start, and a line joins the current point to
        // the arc's start.
        constexpr double turn = 2.0 * std::numbers::pi;
        while (to < from)
            to += turn;
        const double sweep = std::min(to - from, turn);
        const Gdiplus::PointF start = pointAt(centreX + radius * std::cos(from), centreY + radius * std::sin(from));
        if (hasCurrent)
            path->AddLine(current, start);
        else
            figureStart = start;
        // Flat segments of our own: GDI+ under Wine 8 recurses without end flattening some small
        // arcs far from the origin (an equaliser dot at (358.5, 758.5) overflowed the stack).
        // Their chords stay within a hundredth of a pixel of the circle, so an inscribed disc
        // loses no visible area.
        if (sweep > 0.0 && radius > 0.0) {
            constexpr double kArcFlatness = 0.01;
            const double step = 2.0 * std::acos(std::clamp(1.0 - kArcFlatness / radius, -1.0, 1.0));
            const int segments = std::max(4, static_cast<int>(std::ceil(sweep / std::max(step, 1e-3))));
            std::vector<Gdiplus::PointF> points;
            points.reserve(static_cast<std::size_t>(segments) + 1);
            for (int i = 0; i <= segments; ++i) {
                const double angle = from + sweep * i / segments;
                points.push_back(pointAt(centreX + radius * std::cos(angle), centreY + radius * std::sin(angle)));
            }
            path->AddLines(points.data(), static_cast<INT>(points.size()));
        }
        current = pointAt(centreX + radius * std::cos(from + sweep), centreY + radius * std::sin(from + sweep));
        hasCurrent = true;
    }

    void fill() override {
        fillPreserve();
        newPath();
    }
    void fillPreserve() override {
        std::unique_ptr<Gdiplus::GraphicsPath> flat(path->Clone());
        if (!flat || flat->Flatten(nullptr, kFlatness) != Gdiplus::Ok)
            return;
        cover(polygonsOf(*flat));
    }
    void stroke() override {
        Gdiplus::Pen pen(colour, static_cast<Gdiplus::REAL>(lineWidth));
        std::unique_ptr<Gdiplus::GraphicsPath> outline(path->Clone());
        newPath();
        if (!outline || lineWidth <= 0.0 || outline->Widen(&pen, nullptr, kFlatness) != Gdiplus::Ok)
            return;
        outline->Flatten(nullptr, kFlatness);
        cover(polygonsOf(*outline));
    }
    void clip() override {
        graphics->SetClip(path.get(), Gdiplus::CombineModeIntersect);
        newPath();
    }
    void paint() override {
        const PixelBox whole = drawable();
        cover({{{double(whole.left), double(whole.top)},
                {double(whole.right), double(whole.top)},
                {double(whole.right), double(whole.bottom)},
                {double(whole.left), double(whole.bottom)}}});
    }

    void drawBitmap(const CBitmap& bitmap, CPoint origin) override {
        Gdiplus::Bitmap* image = imageOf(bitmap, session);
        if (!image)
            return;
        graphics->DrawImage(image, Gdiplus::Rect(origin.x, origin.y, bitmap.getWidth(), bitmap.getHeight()), 0, 0,
                            bitmap.getWidth(), bitmap.getHeight(), Gdiplus::UnitPixel);
    }

    void selectFont(double size, FontWeight weight) override {
        if (size == fontChoice.size && weight == fontChoice.weight)
            return;
        fontChoice = {size, weight};
        font.reset();
    }
    CFontMetrics fontMetrics() override {
        const Gdiplus::FontFamily* family = session->typeface();
        if (!family)
            return {};
        const INT style = styleOf(fontChoice.weight);
        const double em = family->GetEmHeight(style);
        if (em <= 0.0)
            return {};
        return {fontChoice.size * family->GetCellAscent(style) / em,
                fontChoice.size * family->GetCellDescent(style) / em};
    }
    double textAdvance(std::string_view text) override {
        Gdiplus::Font* chosen = selectedFont();
        const std::wstring wide = widened(text);
        if (!chosen || wide.empty())
            return 0.0;
        Gdiplus::RectF box;
        if (graphics->MeasureString(wide.c_str(), static_cast<INT>(wide.size()), chosen, pointAt(0, 0), &typographic,
                                    &box) != Gdiplus::Ok)
            return 0.0;
        return box.Width;
    }
    void showText(double x, double baseline, std::string_view text) override {
        Gdiplus::Font* chosen = selectedFont();
        const std::wstring wide = widened(text);
        if (!chosen || wide.empty())
            return;
        // GDI+ writes from the top of the line, which lies the font's ascent above the baseline.
        const double top = baseline - fontMetrics().ascent;
        Gdiplus::SolidBrush brush(colour);
        graphics->DrawString(wide.c_str(), static_cast<INT>(wide.size()), chosen, pointAt(x, top), &typographic,
                             &brush);
    }

private:
    static INT styleOf(FontWeight weight) {
        return weight == FontWeight::bold ? Gdiplus::FontStyleBold : Gdiplus::FontStyleRegular;
    }

    // The font of the selected size and weight, made when first needed; nullptr when it cannot be.
    Gdiplus::Font* selectedFont() {
        if (!font) {
            const Gdiplus::FontFamily* family = session->typeface();
            if (!family || fontChoice.size <= 0.0)
                return nullptr;
            font = std::make_unique<Gdiplus::Font>(family, static_cast<Gdiplus::REAL>(fontChoice.size),
                                                   styleOf(fontChoice.weight), Gdiplus::UnitPixel);
        }
        if (font->GetLastStatus() != Gdiplus::Ok)
            return nullptr;
        return font.get();
    }

    // The pixels the clip leaves, within the picture.
    PixelBox drawable() const {
        const PixelBox picture{0, 0, static_cast<int>(surface->GetWidth()), static_cast<int>(surface->GetHeight())};
        Gdiplus::RectF bounds;
        if (graphics->GetClipBounds(&bounds) != Gdiplus::Ok)
            return picture;
        return overlap(picture, boxAround({{{bounds.X, bounds.Y}, {bounds.GetRight(), bounds.GetBottom()}}}));
    }

    // Lays the colour down over the polygons' inside, each pixel in the share of it they cover:
    // a premultiplied image of the covered box, drawn through GDI+'s clip.
    void cover(const std::vector<std::vector<gdiplus::MaskPoint>>& polygons) {
        const PixelBox box = overlap(boxAround(polygons), drawable());
        if (box.empty() || colour.GetA() == 0)
            return;
        if (wholePixelRectangle(polygons)) {
            Gdiplus::SolidBrush brush(colour);
            graphics->FillRectangle(&brush,
                                    Gdiplus::Rect(box.left, box.top, box.right - box.left, box.bottom - box.top));
            return;
        }
        gdiplus::CoverageMask mask(box.left, box.top, box.right - box.left, box.bottom - box.top);
        for (const auto& polygon : polygons)
            mask.addPolygon(polygon);
        const std::vector<float> coverage = mask.coverage();
        std::vector<std::uint32_t> pixels(coverage.size());
        const double alpha = colour.GetA();
        for (std::size_t i = 0; i < coverage.size(); ++i) {
            const double share = coverage[i] * alpha / 255.0;
            if (share <= 0.0)
                continue;
            const auto premultiplied = [share](BYTE value) {
                return static_cast<std::uint32_t>(std::lround(share * value));
            };
            pixels[i] = (static_cast<std::uint32_t>(std::lround(share * 255.0)) << 24) |
                        (premultiplied(colour.GetR()) << 16) | (premultiplied(colour.GetG()) << 8) |
                        premultiplied(colour.GetB());
        }
        Gdiplus::Bitmap tile(mask.width(), mask.height(), mask.width() * 4, PixelFormat32bppPARGB,
                             reinterpret_cast<BYTE*>(pixels.data()));
        if (tile.GetLastStatus() != Gdiplus::Ok)
            return;
        graphics->DrawImage(&tile, Gdiplus::Rect(box.left, box.top, mask.width(), mask.height()), 0, 0, mask.width(),
                            mask.height(), Gdiplus::UnitPixel);
    }

    void newPath() {
        path->Reset();
        path->SetFillMode(Gdiplus::FillModeWinding);
        hasCurrent = false;
    }

    std::shared_ptr<Session> session;
    std::unique_ptr<Gdiplus::Bitmap> surface;
    std::unique_ptr<Gdiplus::Graphics> graphics;
    std::unique_ptr<Gdiplus::GraphicsPath> path;
    Gdiplus::StringFormat typographic;
    std::unique_ptr<Gdiplus::Font> font;
    FontChoice fontChoice;
    Gdiplus::Color colour{255, 0, 0, 0};
    double lineWidth = 2.0;  // cairo's default
    Gdiplus::PointF current;
    Gdiplus::PointF figureStart;
    bool hasCurrent = false;
    std::vector<SavedState> saved;
};

// Where GDI+ could not start or the picture could not be drawn into: nothing is drawn.
class NothingDrawn final : public CDrawContext {
public:
    void save() override {}
    void restore() override {}
    void setColour(double, double, double, double) override {}
    void setLineWidth(double) override {}
    void moveTo(double, double) override {}
    void lineTo(double, double) override {}
    void closePath() override {}
    void rectangle(double, double, double, double) override {}
    void arc(double, double, double, double, double) override {}
    void fill() override {}
    void fillPreserve() override {}
    void stroke() override {}
    void clip() override {}
    void paint() override {}
    void drawBitmap(const CBitmap&, CPoint) override {}
    void selectFont(double, FontWeight) override {}
    CFontMetrics fontMetrics() override { return {}; }
    double textAdvance(std::string_view) override { return 0.0; }
    void showText(double, double, std::string_view) override {}
};

// A GDI+ bitmap over the picture's own words: GDI+ draws straight into them.
std::unique_ptr<Gdiplus::Bitmap> bitmapOver(const COffscreen& picture) {
    auto bitmap =
        std::make_unique<Gdiplus::Bitmap>(picture.width(), picture.height(), picture.stride(), PixelFormat32bppRGB,
                                          reinterpret_cast<BYTE*>(const_cast<std::uint32_t*>(picture.pixels())));
    if (bitmap->GetLastStatus() != Gdiplus::Ok)
        return nullptr;
    return bitmap;
}

bool pngEncoder(CLSID& found) {
    UINT count = 0;
    UINT bytes = 0;
    if (Gdiplus::GetImageEncodersSize(&count, &bytes) != Gdiplus::Ok || bytes == 0)
        return false;
    std::vector<std::uint8_t> storage(bytes);
    auto* encoders = reinterpret_cast<Gdiplus::ImageCodecInfo*>(storage.data());
    if (Gdiplus::GetImageEncoders(count, bytes, encoders) != Gdiplus::Ok)
        return false;
    for (UINT i = 0; i < count; ++i) {
        if (encoders[i].MimeType && std::wstring_view(encoders[i].MimeType) == L"image/png") {
            found = encoders[i].Clsid;
            return true;
        }
    }
    return false;
}

// The whole content of a memory stream.
std::vector<std::uint8_t> contentOf(IStream* stream) {
    STATSTG status{};
    if (stream->Stat(&status, STATFLAG_NONAME) != S_OK)
        return {};
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(status.cbSize.QuadPart));
    LARGE_INTEGER origin{};
    if (stream->Seek(origin, STREAM_SEEK_SET, nullptr) != S_OK)
        return {};
    ULONG read = 0;
    if (stream->Read(bytes.data(), static_cast<ULONG>(bytes.size()), &read) != S_OK || read != bytes.size())
        return {};
    return bytes;
}

}  // namespace

std::unique_ptr<CDrawContext> COffscreen::beginDrawing() {
    std::shared_ptr<Session> session = Session::acquire();
    if (!session->started())
        return std::make_unique<NothingDrawn>();
    std::unique_ptr<Gdiplus::Bitmap> target = bitmapOver(*this);
    if (!target)
        return std::make_unique<NothingDrawn>();
    auto context = std::make_unique<GdiplusDrawContext>(std::move(session), std::move(target));
    if (!context->ready())
        return std::make_unique<NothingDrawn>();
    return context;
}

// The PNG is made in memory and written whole, so a failure never leaves half a picture.
bool COffscreen::writePng(const std::string& path) const {
    std::shared_ptr<Session> session = Session::acquire();
    CLSID encoder{};
    if (!session->started() || !pngEncoder(encoder))
        return false;
    std::vector<std::uint8_t> png;
    {
        std::unique_ptr<Gdiplus::Bitmap> picture = bitmapOver(*this);
        IStream* stream = nullptr;
        if (!picture || CreateStreamOnHGlobal(nullptr, TRUE, &stream) != S_OK)
            return false;
        if (picture->Save(stream, &encoder, nullptr) == Gdiplus::Ok)
            png = contentOf(stream);
        stream->Release();
    }
    return !png.empty() && platform::writeFileAtomically(path, png);
}

double measureText(std::string_view text, double size, FontWeight weight) {
    COffscreen scratch(1, 1);
    std::unique_ptr<CDrawContext> context = scratch.beginDrawing();
    context->selectFont(size, weight);
    return context->textAdvance(text);
}

}  // namespace rimba::toolkit
