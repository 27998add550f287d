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
    if (pointer)
        pointer->Release();
    pointer = nullptr;
}

struct Coverage {
    int lit = 0;  // pixels not black
    int greys = 0;  // pixels strictly between black and white
};

Coverage coverageOf(const std::vector<std::uint32_t>& pixels) {
    Coverage found;
    for (std::uint32_t pixel : pixels) {
        const std::uint32_t level = (pixel >> 8) & 0xff;  // green, in BGRA or xRGB alike
        if (level > 0)
            ++found.lit;
        if (level > 0x10 && level < 0xf0)
            ++found.greys;
    }
    return found;
}

// Direct2D over a WIC bitmap: a white disc, then text in DirectWrite's idea of a system font.
struct Direct2DResult {
    bool made = false;
    const char* failedStep = "";
    HRESULT failure = S_OK;
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
        if (FAILED(target->EndDraw()))
            return {};
        std::vector<std::uint32_t> pixels(kSide * kSide);
        if (FAILED(bitmap->CopyPixels(nullptr, kSide * 4, kSide * kSide * 4, reinterpret_cast<BYTE*>(pixels.data()))))
            return {};
        return coverageOf(pixels);
    };
    const auto step = [&result](const char* name, HRESULT outcome) {
        if (FAILED(outcome) && result.failure == S_OK) {
            result.failedStep = name;
            result.failure = outcome;
        }
        return SUCCEEDED(outcome);
    };
    if (step("CoCreateInstance(WICImagingFactory)",
             CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                              reinterpret_cast<void**>(&wic))) &&
        step("D2D1CreateFactory", D2D1CreateFactory(D2D1_FACTORY_TYPE_SINGLE_THREADED, &d2d)) &&
        step("IWICImagingFactory::CreateBitmap",
             wic->CreateBitmap(kSide, kSide, GUID_WICPixelFormat32bppPBGRA, WICBitmapCacheOnLoad, &bitmap)) &&
        step("ID2D1Factory::CreateWicBitmapRenderTarget",
             d2d->CreateWicBitmapRenderTarget(
                 bitmap,
                 D2D1::RenderTargetProperties(
                     D2D1_RENDER_TARGET_TYPE_DEFAULT,
                     D2D1::PixelFormat(DXGI_FORMAT_B8G8R8A8_UNORM, D2D1_ALPHA_MODE_PREMULTIPLIED)),
                 &target)) &&
        step("CreateSolidColorBrush", target->CreateSolidColorBrush(D2D1::ColorF(1, 1, 1, 1), &white))) {
        result.made = true;
        target->SetAntialiasMode(D2D1_ANTIALIAS_MODE_PER_PRIMITIVE);
        result.disc = draw([&] { target->FillEllipse(D2D1::Ellipse(D2D1::Point2F(24, 24), 15, 15), white); });
        if (SUCCEEDED(DWriteCreateFactory(DWRITE_FACTORY_TYPE_SHARED, __uuidof(IDWriteFactory),
                                          reinterpret_cast<IUnknown**>(&dwrite)))) {
            if (SUCCEEDED(dwrite->CreateTextFormat(L"Tahoma", nullptr, DWRITE_FONT_WEIGHT_NORMAL,
                                                   DWRITE_FONT_STYLE_NORMAL, DWRITE_FONT_STRETCH_NORMAL, 20.0f,
                                                   L"en-us", &format)))
                result.text =
                    draw([&] { target->DrawText(L"Hello", 5, format, D2D1::RectF(0, 0, kSide, kSide), white); });
        }
    }
    // The system's font families, even where Direct2D could not draw them.
    if (!dwrite &&
        SUCCEEDED(DWriteCreateFactory(DWRITE_FACTORY_TYPE_SHARED, __uuidof(IDWriteFactory),
                                      reinterpret_cast<IUnknown**>(&dwrite))) &&
        SUCCEEDED(dwrite->GetSystemFontCollection(&system, FALSE)))
        result.systemFamilies = system->GetFontFamilyCount();
    for (UINT32 i = 0; system && i < result.systemFamilies; ++i) {
        IDWriteFontFamily* family = nullptr;
        IDWriteLocalizedStrings* names = nullptr;
        WCHAR name[100] = {};
        if (SUCCEEDED(system->GetFontFamily(i, &family)) && SUCCEEDED(family->GetFamilyNames(&names)) &&
            SUCCEEDED(names->GetString(0, name, 100)))
            std::printf("DirectWrite: system family %u: %ls\n", i, name);
        release(names);
        release(family);
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

// GDI+'s own antialiasing: a disc filled with SmoothingModeAntiAlias into a bitmap.
Coverage gdiplusDisc() {
    std::vector<std::uint32_t> pixels(kSide * kSide, 0);
    {
        Gdiplus::Bitmap target(kSide, kSide, kSide * 4, PixelFormat32bppRGB, reinterpret_cast<BYTE*>(pixels.data()));
        Gdiplus::Graphics graphics(&target);
        graphics.SetSmoothingMode(Gdiplus::SmoothingModeAntiAlias);
        Gdiplus::SolidBrush white(Gdiplus::Color(255, 255, 255, 255));
        graphics.FillEllipse(&white, 9.0f, 9.0f, 30.0f, 30.0f);
        graphics.Flush(Gdiplus::FlushIntentionSync);
    }
    return coverageOf(pixels);
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
    if (!d2d.made)
        std::printf("Direct2D: %s failed (HRESULT 0x%08lx)\n", d2d.failedStep, static_cast<unsigned long>(d2d.failure));
    std::printf("Direct2D (WIC bitmap target): %s; disc: %d pixels lit, %d grey edge pixels (%s)\n",
                d2d.made ? "made" : "could not be made", d2d.disc.lit, d2d.disc.greys,
                d2d.disc.greys > 0 ? "antialiased" : "NOT antialiased");
    std::printf("DirectWrite: %u system font families; \"Hello\" in Tahoma through Direct2D: %d pixels lit (%s)\n",
                d2d.systemFamilies, d2d.text.lit, d2d.text.lit > 0 ? "drawn" : "NOTHING drawn");

    // System fonts by name, before our typeface is loaded (which Wine makes visible to the process).
    {
        ULONG_PTR token = 0;
        Gdiplus::GdiplusStartupInput input;
        if (Gdiplus::GdiplusStartup(&token, &input, nullptr) == Gdiplus::Ok) {
            for (const wchar_t* name : {L"Tahoma", L"Arial", L"DejaVu Sans"})
                std::printf("GDI+: FontFamily(\"%ls\"): status %d (%s)\n", name,
                            static_cast<int>(systemFamilyStatus(name)),
                            systemFamilyStatus(name) == Gdiplus::Ok ? "found" : "not found");
            Gdiplus::GdiplusShutdown(token);
        }
    }

    bool relied = false;
    {
        rimba::toolkit::DrawingSession session;
        if (!session.available()) {
            std::printf("GDI+: %s\n", session.whyUnavailable().c_str());
        } else {
            const Coverage raw = gdiplusDisc();
            std::printf("GDI+: FillEllipse with SmoothingModeAntiAlias: %d pixels lit, %d grey edge pixels (%s)\n",
                        raw.lit, raw.greys, raw.greys > 0 ? "antialiased" : "NOT antialiased");
            const Coverage disc = backendDrawing(false);
            const Coverage text = backendDrawing(true);
            std::printf("Our backend (own coverage mask through GDI+): disc: %d pixels lit, %d grey edge pixels (%s)\n",
                        disc.lit, disc.greys, disc.greys > 0 ? "antialiased" : "NOT antialiased");
            std::printf(
                "GDI+: \"Hello\" from the embedded DejaVu Sans (PrivateFontCollection): %d pixels lit, %d grey\n",
                text.lit, text.greys);
            relied = disc.greys > 0 && text.lit > 0 && text.greys > 0;
        }
    }
    CoUninitialize();
    return relied ? 0 : 1;
}
