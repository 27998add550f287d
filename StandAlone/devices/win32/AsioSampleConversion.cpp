#include "StandAlone/devices/win32/AsioSampleConversion.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>

#include "StandAlone/devices/AudioOutput.h"

namespace rimba::standalone {

namespace {

namespace st = asio::sample_type;

enum class Layout { Int16, Int24, Int32, Float32, Float64 };
enum class Order { LeastSignificantFirst, MostSignificantFirst };

struct TypeLayout {
    Layout layout;
    Order order;
    int significantBits;  // Int32 containers only
};

bool layoutOf(asio::SampleType type, TypeLayout& found) {
    constexpr Order lsb = Order::LeastSignificantFirst;
    constexpr Order msb = Order::MostSignificantFirst;
    switch (type) {
        case st::kInt16MSB: found = {Layout::Int16, msb, 16}; return true;
        case st::kInt24MSB: found = {Layout::Int24, msb, 24}; return true;
        case st::kInt32MSB: found = {Layout::Int32, msb, 32}; return true;
        case st::kFloat32MSB: found = {Layout::Float32, msb, 0}; return true;
        case st::kFloat64MSB: found = {Layout::Float64, msb, 0}; return true;
        case st::kInt32MSB16: found = {Layout::Int32, msb, 16}; return true;
        case st::kInt32MSB18: found = {Layout::Int32, msb, 18}; return true;
        case st::kInt32MSB20: found = {Layout::Int32, msb, 20}; return true;
        case st::kInt32MSB24: found = {Layout::Int32, msb, 24}; return true;
        case st::kInt16LSB: found = {Layout::Int16, lsb, 16}; return true;
        case st::kInt24LSB: found = {Layout::Int24, lsb, 24}; return true;
        case st::kInt32LSB: found = {Layout::Int32, lsb, 32}; return true;
        case st::kFloat32LSB: found = {Layout::Float32, lsb, 0}; return true;
        case st::kFloat64LSB: found = {Layout::Float64, lsb, 0}; return true;
        case st::kInt32LSB16: found = {Layout::Int32, lsb, 16}; return true;
        case st::kInt32LSB18: found = {Layout::Int32, lsb, 18}; return true;
        case st::kInt32LSB20: found = {Layout::Int32, lsb, 20}; return true;
        case st::kInt32LSB24: found = {Layout::Int32, lsb, 24}; return true;
        default: return false;
    }
}

int bytesOf(Layout layout) {
    switch (layout) {
        case Layout::Int16: return 2;
        case Layout::Int24: return 3;
        case Layout::Int32:
        case Layout::Float32: return 4;
        case Layout::Float64: return 8;
    }
    return 0;
}

float clamped(float value) { return std::clamp(value, -1.0f, 1.0f); }

// 24 significant bits moved into a container of `bits`: narrower drops low bits (arithmetic
// shift keeps the sign), wider fills zeros below.
std::uint32_t inContainer(std::int32_t value24, int bits) {
    if (bits < 24)
        return static_cast<std::uint32_t>(value24 >> (24 - bits));
    return static_cast<std::uint32_t>(value24) << (bits - 24);
}

// One sample's bytes, least significant first (x86 order), reversed for the MSB types.
void store(std::uint8_t* out, const void* littleEndian, int bytes, Order order) {
    std::memcpy(out, littleEndian, static_cast<std::size_t>(bytes));
    if (order == Order::MostSignificantFirst)
        std::reverse(out, out + bytes);
}

void writeOne(const TypeLayout& type, float value, std::uint8_t* out) {
    static_assert(std::endian::native == std::endian::little);
    switch (type.layout) {
        case Layout::Int16: {
            const std::int16_t sample = toSample16(value);
            store(out, &sample, 2, type.order);
            return;
        }
        case Layout::Int24: {
            const std::int32_t sample = toSample24(value);
            store(out, &sample, 3, type.order);  // the low three bytes
            return;
        }
        case Layout::Int32: {
            const std::uint32_t sample = inContainer(toSample24(value), type.significantBits);
            store(out, &sample, 4, type.order);
            return;
        }
        case Layout::Float32: store(out, &value, 4, type.order); return;
        case Layout::Float64: {
            const double sample = clamped(value);
            store(out, &sample, 8, type.order);
            return;
        }
    }
}

}  // namespace

std::int32_t toSample24(float value) {
    constexpr float kScale = 8388608.0f;
    if (std::isnan(value))
        return 0;
    return static_cast<std::int32_t>(std::trunc(clamped(value) * kScale - 0.5f));
}

int asioSampleBytes(asio::SampleType type) {
    TypeLayout layout{};
    return layoutOf(type, layout) ? bytesOf(layout.layout) : 0;
}

bool writeAsioSamples(asio::SampleType type, const float* source, void* destination, int frames) {
    TypeLayout layout{};
    if (!layoutOf(type, layout))
        return false;
    const int bytes = bytesOf(layout.layout);
    auto* out = static_cast<std::uint8_t*>(destination);
    for (int frame = 0; frame < frames; ++frame, out += bytes)
        writeOne(layout, source[frame], out);
    return true;
}

}  // namespace rimba::standalone
