#pragma once
// A cairo image as the bytes of a PNG file, for tests and benchmarks that hand drawn images to the
// toolkit's decoder. The surface stays the caller's.

#include <cairo.h>

#include <vector>

namespace rimba::test {

inline std::vector<unsigned char> pngBytesOf(cairo_surface_t* surface) {
    std::vector<unsigned char> bytes;
    cairo_surface_write_to_png_stream(
        surface,
        [](void* closure, const unsigned char* data, unsigned int length) {
            auto* out = static_cast<std::vector<unsigned char>*>(closure);
            out->insert(out->end(), data, data + length);
            return CAIRO_STATUS_SUCCESS;
        },
        &bytes);
    return bytes;
}

}  // namespace rimba::test
