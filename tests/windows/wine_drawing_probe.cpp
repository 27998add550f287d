// What the drawing interfaces of the Windows we run on (Wine in the tests) can do, measured by
// drawing: (a) Direct2D into a WIC bitmap, does a disc get antialiased edges; (b) DirectWrite,
// does any text appear in the system's fonts; (c) GDI+, is a system font such as Tahoma there,
// and does text drawn from our own private font collection (the editor's backend) light pixels.
// Prints what it found; fails only when what the editor's GDI+ backend relies on does not hold:
// antialiased shapes and text from the embedded typeface.

#include "common/platform/win32/Windows.h"

#include <objidl.h>

#include <d2d1.h>
#include <dwrite.h>
#include <gdiplus.h>
#include <wincodec.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <numbers>
#include <vector>

#include "plugin/editor/toolkit/DrawContext.h"
#include "plugin/editor/toolkit/DrawingSession.h"

namespace {

constexpr UINT kSide = 48;

template <typename T>
void release(T*& pointer) {
    if (pointer) pointer->Release();
    pointer = nullptr;
}

struct Coverage {
    int lit = 0;    // pixels not black
    int greys = 0;  // pixels strictly between black and white
};

Coverage coverageOf(const std::vector<std::uint32_t>& pixels) {
    Coverage found;
    for (std::uint32_t pixel : pixels) {
        const std::uint32_t level = (pixel >> 8) & 0xff;  // green, in BGRA or xRGB alike
        if (level > 0) ++found.lit;
        if (level > 0x10 && level < 0xf0) ++found.greys;
    }
    return found;
}

// Direct2D over a WIC bitmap: a white disc, then text in DirectWrite's idea of a system font.
struct Direct2DResult {
    bool made = false;
    Coverage disc;
    Coverage text;
    UINT32 systemFamilies = 0;
};

Direct2DResult probeDirect2D() {
    Direct2DResult result;
    IWICImagingFactory* wic = nullptr;
    ID2D1Factory* d2d = nullptr;
    IDWriteFactory* dwrite = nullptr;
    IWICBitmap* bitmap = nullptr;
    ID2D1RenderTarget* target = nullptr;
    ID2D1SolidColorBrush* white = nullptr;
    IDWriteTextFormat* format = nullptr;
    IDWriteFontCollection* system = nullptr;
    const auto draw = [&](auto paint) -> Coverage {
        target->BeginDraw();
        target->Clear(D2D1::ColorF(0, 0, 0, 1));
        paint();
        if (FAILED(target->EndDraw())) return {};
        std::vector<std::uint32_t> pixels(kSide * kSide);
        if (FAILED(bitmap->CopyPixels(nullptr, kSide * 4, kSide * kSide * 4, reinterpret_cast<BYTE*>(pixels.data()))))
            return {};
        return coverageOf(pixels);
    };
    if (SUCCEEDED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                                   reinterpret_cast<void**>(&wic))) &&
        SUCCEEDED(D2D1CreateFactory(D2D1_FACTORY_TYPE_SINGLE_THREADED, &d2d)) &&
        SUCCEEDED(wic->CreateBitmap(kSide, kSide, GUID_WICPixelFormat32bppPBGRA, WICBitmapCacheOnLoad, &bitmap)) &&
        SUCCEEDED(d2d->CreateWicBitmapRenderTarget(
            bitmap,
            D2D1::RenderTargetProperties(D2D1_RENDER_TARGET_TYPE_SOFTWARE,
                                         D2D1::PixelFormat(DXGI_FORMAT_B8G8R8A8_UNORM, D2D1_ALPHA_MODE_PREMULTIPLIED)),
            &target)) &&
        SUCCEEDED(target->CreateSolidColorBrush(D2D1::ColorF(1, 1, 1, 1), &white))) {
        result.made = true;
        target->SetAntialiasMode(D2D1_ANTIALIAS_MODE_PER_PRIMITIVE);
        result.disc = draw([&] { target->FillEllipse(D2D1::Ellipse(D2D1::Point2F(24, 24), 15, 15), white); });
        if (SUCCEEDED(DWriteCreateFactory(DWRITE_FACTORY_TYPE_SHARED, __uuidof(IDWriteFactory),
                                          reinterpret_cast<IUnknown**>(&dwrite)))) {
            if (SUCCEEDED(dwrite->GetSystemFontCollection(&system, FALSE))) result.systemFamilies = system->GetFontFamilyCount();
            if (SUCCEEDED(dwrite->CreateTextFormat(L"Tahoma", nullptr, DWRITE_FONT_WEIGHT_NORMAL, DWRITE_FONT_STYLE_NORMAL,
                                                   DWRITE_FONT_STRETCH_NORMAL, 20.0f, L"en-us", &format)))
                result.text = draw([&] {
                    target->DrawText(L"Hello", 5, format, D2D1::RectF(0, 0, kSide, kSide), white);
                });
        }
    }
    release(system);
    release(format);
    release(white);
    release(target);
    release(bitmap);
    release(dwrite);
    release(d2d);
    release(wic);
    return result;
}

// GDI+ alone: is a system family found by name?
Gdiplus::Status systemFamilyStatus(const wchar_t* name) {
    Gdiplus::FontFamily family(name);
    return family.GetLastStatus();
}

// The editor's own backend: a disc and text from the embedded DejaVu Sans.
Coverage backendDrawing(bool text) {
    using namespace rimba::toolkit;
    COffscreen picture(kSide, kSide);
    {
        std::unique_ptr<CDrawContext> context = picture.beginDrawing();
        context->setColour(1, 1, 1);
        if (text) {
            context->selectFont(20);
            context->showText(2, 30, "Hello");
        } else {
            context->arc(24, 24, 15, 0, 2 * std::numbers::pi);
            context->fill();
        }
    }
    return coverageOf(std::vector<std::uint32_t>(picture.pixels(), picture.pixels() + kSide * kSide));
}

}  // namespace

int main() {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    const Direct2DResult d2d = probeDirect2D();
    std::printf("Direct2D (WIC bitmap target): %s; disc: %d pixels lit, %d grey edge pixels (%s)\n",
                d2d.made ? "made" : "could not be made", d2d.disc.lit, d2d.disc.greys,
                d2d.disc.greys > 0 ? "antialiased" : "NOT antialiased");
    std::printf("DirectWrite: %u system font families; \"Hello\" in Tahoma through Direct2D: %d pixels lit (%s)\n",
                d2d.systemFamilies, d2d.text.lit, d2d.text.lit > 0 ? "drawn" : "NOTHING drawn");

    bool relied = false;
    {
        rimba::toolkit::DrawingSession session;
        if (!session.available()) {
            std::printf("GDI+: %s\n", session.whyUnavailable().c_str());
        } else {
            for (const wchar_t* name : {L"Tahoma", L"Arial", L"DejaVu Sans"})
                std::printf("GDI+: FontFamily(\"%ls\"): status %d (%s)\n", name, static_cast<int>(systemFamilyStatus(name)),
                            systemFamilyStatus(name) == Gdiplus::Ok ? "found" : "not found");
            const Coverage disc = backendDrawing(false);
            const Coverage text = backendDrawing(true);
            std::printf("GDI+: disc: %d pixels lit, %d grey edge pixels (%s)\n", disc.lit, disc.greys,
                        disc.greys > 0 ? "antialiased" : "NOT antialiased");
            std::printf("GDI+: \"Hello\" from the embedded DejaVu Sans (PrivateFontCollection): %d pixels lit, %d grey\n",
                        text.lit, text.greys);
            relied = disc.greys > 0 && text.lit > 0 && text.greys > 0;
        }
    }
    CoUninitialize();
    return relied ? 0 : 1;
}
