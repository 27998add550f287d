// The Windows build decodes the artwork with GDI+. GDI+ is handed only bytes that form a whole
// PNG file of a size we accept: its chunks are walked first, so a truncated file or a hostile
// header ends here, as they do in the libpng decoder of the Linux build.

#include "plugin/editor/toolkit/gdiplus/GdiplusSession.h"

#include <cstdint>
#include <cstring>
#include <vector>

#include "plugin/editor/toolkit/Bitmap.h"

namespace rimba::toolkit {

namespace {

// The largest image we accept: the editor's artwork is at most a few thousand pixels a side,
// and a hostile header must not make us allocate gigabytes.
constexpr std::uint32_t kMostPixelsASide = 16384;
constexpr std::size_t kMostPixels = 32u * 1024u * 1024u;

constexpr unsigned char kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};

std::uint32_t bigEndianAt(const unsigned char* at) {
    return (std::uint32_t{at[0]} << 24) | (std::uint32_t{at[1]} << 16) | (std::uint32_t{at[2]} << 8) | at[3];
}

struct PngSize {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
};

// The header's size when `bytes` hold the signature, a header first and chunks that each fit,
// up to the end chunk; nothing otherwise.
bool wholePng(const unsigned char* bytes, std::size_t size, PngSize& found) {
    if (bytes == nullptr || size < sizeof kSignature || std::memcmp(bytes, kSignature, sizeof kSignature) != 0)
        return false;
    std::size_t at = sizeof kSignature;
    bool first = true;
    while (size - at >= 12) {
        const std::uint32_t length = bigEndianAt(bytes + at);
        const unsigned char* type = bytes + at + 4;
        if (length > size - at - 12)
            return false;
        if (first) {
            if (std::memcmp(type, "IHDR", 4) != 0 || length != 13)
                return false;
            found = {bigEndianAt(bytes + at + 8), bigEndianAt(bytes + at + 12)};
            first = false;
        }
        if (std::memcmp(type, "IEND", 4) == 0)
            return true;
        at += 12 + std::size_t{length};
    }
    return false;
}

bool sizeAccepted(const PngSize& png) {
    return png.width > 0 && png.height > 0 && png.width <= kMostPixelsASide && png.height <= kMostPixelsASide &&
           std::size_t{png.width} * png.height <= kMostPixels;
}

// Bitmaps hold premultiplied alpha; GDI+ hands out straight 0xAARRGGBB words, premultiplied here
// with the Linux decoder's rounding so that both builds hold the same pixels.
std::uint32_t premultiplied(std::uint32_t argb) {
    const std::uint32_t a = argb >> 24;
    if (a == 255)
        return argb;
    if (a == 0)
        return 0;
    const auto scale = [a](std::uint32_t c) { return (c * a + 127) / 255; };
    return (a << 24) | (scale((argb >> 16) & 0xff) << 16) | (scale((argb >> 8) & 0xff) << 8) | scale(argb & 0xff);
}

// A stream of its own over a copy of the bytes, which GDI+ reads as it likes.
IStream* streamOver(const unsigned char* bytes, std::size_t size) {
    if (size > ULONG{0xffffffff})
        return nullptr;
    IStream* stream = nullptr;
    if (CreateStreamOnHGlobal(nullptr, TRUE, &stream) != S_OK)
        return nullptr;
    ULONG written = 0;
    if (stream->Write(bytes, static_cast<ULONG>(size), &written) != S_OK || written != size) {
        stream->Release();
        return nullptr;
    }
    LARGE_INTEGER origin{};
    stream->Seek(origin, STREAM_SEEK_SET, nullptr);
    return stream;
}

std::vector<std::uint32_t> decodedPixels(IStream* stream, const PngSize& expected) {
    Gdiplus::Bitmap image(stream, FALSE);
    if (image.GetLastStatus() != Gdiplus::Ok || image.GetWidth() != expected.width ||
        image.GetHeight() != expected.height)
        return {};
    const Gdiplus::Rect whole(0, 0, static_cast<INT>(expected.width), static_cast<INT>(expected.height));
    Gdiplus::BitmapData locked{};
    if (image.LockBits(&whole, Gdiplus::ImageLockModeRead, PixelFormat32bppARGB, &locked) != Gdiplus::Ok)
        return {};
    std::vector<std::uint32_t> pixels(std::size_t{expected.width} * expected.height);
    for (std::uint32_t y = 0; y < expected.height; ++y) {
        const auto* row = reinterpret_cast<const std::uint32_t*>(static_cast<const std::uint8_t*>(locked.Scan0) +
                                                                 static_cast<std::ptrdiff_t>(y) * locked.Stride);
        std::uint32_t* out = pixels.data() + std::size_t{y} * expected.width;
        for (std::uint32_t x = 0; x < expected.width; ++x)
            out[x] = premultiplied(row[x]);
    }
    image.UnlockBits(&locked);
    return pixels;
}

}  // namespace

std::shared_ptr<CBitmap> CBitmap::fromPng(const unsigned char* bytes, std::size_t size) {
    PngSize header;
    if (!wholePng(bytes, size, header) || !sizeAccepted(header))
        return nullptr;
    std::shared_ptr<gdiplus::Session> session = gdiplus::Session::acquire();
    if (!session->started())
        return nullptr;
    IStream* stream = streamOver(bytes, size);
    if (!stream)
        return nullptr;
    std::vector<std::uint32_t> pixels = decodedPixels(stream, header);
    stream->Release();
    if (pixels.empty())
        return nullptr;
    return std::make_shared<CBitmap>(static_cast<int>(header.width), static_cast<int>(header.height),
                                     std::move(pixels));
}

}  // namespace rimba::toolkit
