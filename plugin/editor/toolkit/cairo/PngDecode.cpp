// The Linux build decodes the artwork with libpng.

#include "plugin/editor/toolkit/Bitmap.h"

#include <png.h>

#include <cstdint>
#include <cstring>
#include <vector>


namespace rimba::toolkit {

namespace {

// Reads from a PNG held in memory; libpng reports a short read through its error path.
struct MemoryReader {
    const unsigned char* bytes;
    std::size_t size;
    std::size_t at = 0;
};

void readFromMemory(png_structp png, png_bytep out, png_size_t count) {
    auto* reader = static_cast<MemoryReader*>(png_get_io_ptr(png));
    if (count > reader->size - reader->at)
        png_error(png, "truncated PNG");
    std::memcpy(out, reader->bytes + reader->at, count);
    reader->at += count;
}

// The largest image we accept: the editor's artwork is at most a few thousand pixels a side,
// and a hostile header must not make us allocate gigabytes.
constexpr png_uint_32 kMostPixelsASide = 16384;
constexpr std::size_t kMostPixels = 32u * 1024u * 1024u;

// Bitmaps hold premultiplied alpha in native-endian 32-bit words. Most of the artwork is opaque,
// which needs no arithmetic.
std::uint32_t premultiplied(const png_byte* rgba) {
    const std::uint32_t a = rgba[3];
    if (a == 255)
        return 0xff000000u | (std::uint32_t{rgba[0]} << 16) | (std::uint32_t{rgba[1]} << 8) | rgba[2];
    if (a == 0)
        return 0;
    const auto scale = [a](std::uint32_t c) { return (c * a + 127) / 255; };
    return (a << 24) | (scale(rgba[0]) << 16) | (scale(rgba[1]) << 8) | scale(rgba[2]);
}

// A damaged image is an answer (no bitmap), not news for the host's standard error.
[[noreturn]] void quietError(png_structp png, png_const_charp) { png_longjmp(png, 1); }
void quietWarning(png_structp, png_const_charp) {}

std::shared_ptr<CBitmap> decodePng(const unsigned char* bytes, std::size_t size) {
    if (bytes == nullptr || size < 8 || png_sig_cmp(bytes, 0, 8) != 0)
        return nullptr;
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, quietError, quietWarning);
    if (!png)
        return nullptr;
    png_infop info = png_create_info_struct(png);
    if (!info) {
        png_destroy_read_struct(&png, nullptr, nullptr);
        return nullptr;
    }
    MemoryReader reader{bytes, size};
    // No object with a destructor may live on the stack between setjmp and a longjmp.
    struct Buffers {
        std::vector<png_byte> pixels;
        std::vector<png_bytep> rows;
        std::vector<std::uint32_t> premultiplied;
    };
    Buffers* volatile buffers = new Buffers();
    if (setjmp(png_jmpbuf(png))) {
        delete buffers;
        png_destroy_read_struct(&png, &info, nullptr);
        return nullptr;
    }
    png_set_read_fn(png, &reader, readFromMemory);
    png_read_info(png, info);
    png_uint_32 width = png_get_image_width(png, info);
    png_uint_32 height = png_get_image_height(png, info);
    if (width == 0 || height == 0 || width > kMostPixelsASide || height > kMostPixelsASide ||
        std::size_t{width} * height > kMostPixels)
        png_error(png, "image too large");
    // Every colour type and depth becomes 8-bit RGBA.
    png_set_expand(png);
    png_set_strip_16(png);
    png_set_gray_to_rgb(png);
    png_set_add_alpha(png, 0xff, PNG_FILLER_AFTER);
    png_set_interlace_handling(png);
    png_read_update_info(png, info);
    std::size_t rowBytes = png_get_rowbytes(png, info);
    if (rowBytes != std::size_t{width} * 4)
        png_error(png, "unexpected row layout");
    buffers->pixels.resize(rowBytes * height);
    buffers->rows.resize(height);
    for (png_uint_32 y = 0; y < height; ++y)
        buffers->rows[y] = buffers->pixels.data() + y * rowBytes;
    png_read_image(png, buffers->rows.data());
    png_read_end(png, nullptr);

    buffers->premultiplied.resize(std::size_t{width} * height);
    for (png_uint_32 y = 0; y < height; ++y) {
        std::uint32_t* out = buffers->premultiplied.data() + std::size_t{y} * width;
        const png_byte* in = buffers->rows[y];
        for (png_uint_32 x = 0; x < width; ++x)
            out[x] = premultiplied(in + 4 * x);
    }
    auto bitmap =
        std::make_shared<CBitmap>(static_cast<int>(width), static_cast<int>(height), std::move(buffers->premultiplied));
    delete buffers;
    png_destroy_read_struct(&png, &info, nullptr);
    return bitmap;
}

}  // namespace

std::shared_ptr<CBitmap> CBitmap::fromPng(const unsigned char* bytes, std::size_t size) {
    return decodePng(bytes, size);
}

}  // namespace rimba::toolkit
